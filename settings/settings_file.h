#pragma once

#include <QSettings>
#include <QString>

#include "platform/file_read.h"

namespace settings {

/// The program's configuration file, read once per start and never written: "setting_calibration.ini" in the
/// folder of the executable.
QString filePath();

/// Looks at the settings file at @p path the way the program reads it: only a regular file (or a link to one) of
/// at most platform::keyFileLimit bytes is read. Anything else in its place (a FIFO, a device, a folder, a file of
/// a gigabyte) is never read and gives the defaults: opening a FIFO would wait for a writer and hang the launch
/// before any window, and a huge file would stall the start and fill the memory.
platform::FileRead checkFile(const QString &path);

/// @p path when checkFile() would read it, otherwise an empty string, which QSettings reads as an empty store.
QString readablePath(const QString &path = filePath());

/// Makes filePath() look in @p folder instead of the executable's folder; an empty folder restores the default.
/// For tests, which must not write beside the executable.
void setFolderOverride(const QString &folder);

/// @p key of @p store as an integer; a missing, empty or non-numeric value reads as 0.
int readInt(const QSettings &store, const QString &key);

/// @p key of @p store as a string; missing (or a comma list, which the INI reader splits) reads as empty.
QString readString(const QSettings &store, const QString &key);

}  // namespace settings
