#pragma once

#include <QLocale>
#include <QString>

class QSettings;
class QTranslator;

/// Reads "/config/language" from @p store and, when the value and @p systemLocale ask for English, installs the
/// catalogue found in @p catalogueFolder into the application. The catalogue is read only when it is a regular file
/// of at most platform::catalogueLimit bytes, and loaded only when language::isSoundCatalogue() holds for it. The
/// translator is installed even when the file is missing, too large or broken (the interface then stays Chinese)
/// and lives until the process ends.
/// @return the installed translator, or null when the interface is Chinese by choice.
QTranslator *installLanguage(const QSettings &store, const QLocale &systemLocale, const QString &catalogueFolder);

/// The whole life of the process: usage or version when asked for (before any window system or instance check),
/// otherwise single-instance check, language, main window, event loop.
/// @return the process exit code (0 for a second instance, for --help and for --version).
int runApplication(int &argc, char **argv);
