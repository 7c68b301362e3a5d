#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

namespace frame_tool {

/// The settings file as the main program reads it, and what it silently passes over.
struct SettingsReport {
    QString path;
    bool found = false;              ///< something is at the path (a missing file means the built-in defaults)
    QString notRead;                 ///< why what was found is not read (the defaults then apply); empty when read
    QVector<int> vendorIds;          ///< the vendor ids the main program takes for a frame: built-in, then vid='s
    QVector<int> idsFromVid;         ///< the ids vid= adds to the built-in ones
    QMap<int, QString> negativeIds;  ///< ids below 0 that vid= adds, as the file writes them
    QStringList warnings;            ///< what the program ignores without a word
};

/// Reads the settings file at @p path with the main program's own code: the same judgement of what is read
/// (settings::checkFile: a FIFO, a folder or a file beyond 1 MiB is not), the same reader, key and vid= parser.
/// Then looks for what that reader ignores: groups other than [config], keys it does not know, a vid= value with
/// commas (the INI reader makes a list of it, and the program then takes none of its ids), parts of vid= that are
/// not hexadecimal or that no 16-bit vendor id can match.
SettingsReport readSettingsReport(const QString &path);

/// @p id as four upper-case hexadecimal digits (more for ids beyond 16 bits), the way vid= and lsusb write ids.
QString hexId(int id);

/// @p id as list shows it: hexId(), or, for an id below 0 that vid= adds, as the settings file writes it.
QString idText(const SettingsReport &settings, int id);

}  // namespace frame_tool
