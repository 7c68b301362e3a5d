#pragma once

#include <QString>

namespace platform {

/// Keeps the autostart entry that starts the program hidden (argument "-bg") when the user logs in.
/// @p programPath is the absolute path of the executable as Qt gives it ('/' separators).
/// With @p enabled the entry starts the program; without, the entry stays present but starts nothing.
/// Windows: the string value "Vantrel" under HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run (empty when not
/// enabled). Linux: the desktop entry $XDG_CONFIG_HOME/autostart/Vantrel.desktop (~/.config when the variable is
/// unset), marked Hidden=true when not enabled.
/// A failed write (no right to the registry key, read-only folder) is not reported: the program runs on without it.
void writeAutostartEntry(const QString &programPath, bool enabled);

/// Text of the Windows Run value for @p programPath: the path with every '/' turned into '\', in quotation marks
/// (so that a path with spaces cannot be read as a shorter program plus arguments), followed by " -bg".
/// Example: "D:/Tools/Touch Kit/app.exe" gives "\"D:\Tools\Touch Kit\app.exe\" -bg".
QString windowsRunCommand(const QString &programPath);

/// @p argument written for the Exec key of a desktop entry: in quotation marks, with '"', '`', '$' and '\' escaped
/// for the Exec quoting rules, '%' doubled (no field code), then escaped for the key file's string rules ('\',
/// newline, tab, carriage return). A launcher that follows the desktop entry rules gets @p argument back exactly.
QString desktopExecArgument(const QString &argument);

/// Content of the Linux autostart desktop entry for @p programPath (UTF-8 text, one key per line).
QString autostartDesktopEntry(const QString &programPath, bool enabled);

}  // namespace platform
