#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace frame_tool {

/// The settings file as the main program reads it, and what it silently passes over.
struct SettingsReport {
    QString path;
    bool found = false;       ///< the file exists (a missing file means the built-in defaults)
    QVector<int> vendorIds;   ///< the vendor ids the main program takes for a frame: built-in, then those of vid=
    QVector<int> idsFromVid;  ///< the ids vid= adds to the built-in ones
    QStringList warnings;     ///< what the program ignores without a word
};

/// Reads the settings file at @p path with the main program's own reader and vid= parser, then looks for what that
/// reader ignores: groups other than [config], keys it does not know, a vid= value with commas (the INI reader makes
/// a list of it, and the program then takes none of its ids), parts of vid= that are not hexadecimal or that no
/// 16-bit vendor id can match.
SettingsReport readSettingsReport(const QString &path);

/// @p id as four upper-case hexadecimal digits (more for ids beyond 16 bits), the way vid= and lsusb write ids.
QString hexId(int id);

}  // namespace frame_tool
