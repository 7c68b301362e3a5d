#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

/// Keeps the autostart entry that starts the program hidden (argument "-bg") when the user logs in.
/// @p programPath is the absolute path of the executable as Qt gives it ('/' separators).
/// With @p enabled the entry starts the program; without, an entry stops starting it.
/// Windows: the string value "Vantrel" under HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run (empty when not
/// enabled; Windows keeps the user's own switch for it in a separate key that is never touched here).
/// Linux: the desktop entry $XDG_CONFIG_HOME/autostart/Vantrel.desktop (~/.config when the variable is unset),
/// edited as updatedAutostartEntry() says and replaced whole (platform/user_file.h); when not enabled, an entry is
/// only switched off, never created. An entry that cannot be read is left alone.
/// A failed write (no right to the registry key, read-only folder) is not reported: the program runs on without it.
void writeAutostartEntry(const QString &programPath, bool enabled);

/// Text of the Windows Run value for @p programPath: the path with every '/' turned into '\', in quotation marks
/// (so that a path with spaces cannot be read as a shorter program plus arguments), followed by " -bg".
/// Example: "D:/Tools/Touch Kit/app.exe" gives "\"D:\Tools\Touch Kit\app.exe\" -bg".
QString windowsRunCommand(const QString &programPath);

/// @p text written as a string value of a desktop entry (TryExec, for example): '\', newline, tab and carriage
/// return escaped, and a leading space, which readers would drop. No quoting: only Exec has quoting rules.
QString desktopStringValue(const QString &text);

/// @p argument written for the Exec key of a desktop entry: in quotation marks, with '"', '`', '$' and '\' escaped
/// for the Exec quoting rules, '%' doubled (no field code), then escaped as a string value (desktopStringValue).
/// A launcher that follows the desktop entry rules gets @p argument back exactly.
QString desktopExecArgument(const QString &argument);

/// The Exec value of the autostart entry: the quoted @p programPath and "-bg"; behind "env " when the path holds a
/// '%', the one form that both GLib's launcher and desktop-file-validate accept for it.
QString desktopExecValue(const QString &programPath);

/// The autostart entry @p existing (empty when there is none) updated for @p programPath, as bytes.
/// Enabled (tray mode): Type, Name, Comment, Exec, TryExec (@p programPath, so that desktops skip the entry once the
/// program is gone) and Terminal are set and the entry is switched on, unless the user switched it off in the
/// desktop's startup settings (Hidden=true that window mode did not write; GNOME's X-GNOME-Autostart-enabled=false
/// is never touched). Not enabled (window mode): switched off with Hidden=true,
/// marked as window mode's own so that tray mode can switch it on again. Every other line stays as it was.
QByteArray updatedAutostartEntry(const QByteArray &existing, const QString &programPath, bool enabled);

}  // namespace platform
