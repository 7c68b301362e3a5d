#include "platform/autostart.h"

#include <QStringList>

#include "platform/key_file_lines.h"

// The texts of both systems' entries are built here, on every system, so that they can be checked anywhere.

namespace platform {

QString windowsRunCommand(const QString &programPath) {
    QString path = programPath;
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return QLatin1Char('"') + path + QStringLiteral("\" -bg");
}

QString desktopStringValue(const QString &text) {
    QString escaped;
    for (const QChar c : text) {
        switch (c.unicode()) {
            case '\\':
                escaped += QStringLiteral("\\\\");
                break;
            case '\n':
                escaped += QStringLiteral("\\n");
                break;
            case '\t':
                escaped += QStringLiteral("\\t");
                break;
            case '\r':
                escaped += QStringLiteral("\\r");
                break;
            default:
                escaped += c;
        }
    }
    // Readers drop the spaces before a value.
    if (escaped.startsWith(QLatin1Char(' ')))
        escaped.replace(0, 1, QStringLiteral("\\s"));
    return escaped;
}

QString desktopExecArgument(const QString &argument) {
    // First the Exec quoting rules, then the key file's string escapes on top: a literal '\' ends up as four
    // backslashes and a '$' as "\\$", which is what launchers undo in the opposite order.
    QString quoted;
    for (const QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
        if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
    }
    return desktopStringValue(QLatin1Char('"') + quoted + QLatin1Char('"'));
}

QString desktopExecValue(const QString &programPath) {
    const QString line = desktopExecArgument(programPath) + QStringLiteral(" -bg");
    // GLib checks that the program of an Exec line exists before it expands "%%", so it refuses a quoted path
    // with a '%' in it (desktop-file-validate does not). env, found on every PATH, takes the program's place
    // there, and the path, now an argument, is expanded as the rules say.
    return programPath.contains(QLatin1Char('%')) ? QStringLiteral("env ") + line : line;
}

QByteArray updatedAutostartEntry(const QByteArray &existing, const QString &programPath, bool enabled) {
    const QByteArray group("Desktop Entry");
    const QByteArray hidden("Hidden");
    // Marks a Hidden=true that window mode wrote, as opposed to one the user set through the desktop.
    const QByteArray ours("X-Orvessa-Hidden-By-Window-Mode");
    KeyFileLines entry(existing);
    const bool hiddenNow = entry.value(group, hidden) == QByteArray("true");
    const bool hiddenByUs = hiddenNow && entry.value(group, ours) == QByteArray("true");
    if (!enabled) {
        if (!hiddenNow) {
            entry.setValue(group, hidden, "true");
            entry.setValue(group, ours, "true");
        }
        return entry.bytes();
    }
    entry.setValue(group, "Type", "Application");
    entry.setValue(group, "Name", "Orvessa");
    entry.setValue(group, "Comment", "Touch-frame calibration utility, started hidden in the notification area");
    entry.setValue(group, "Exec", desktopExecValue(programPath).toUtf8());
    // Desktops skip an entry whose TryExec program is gone: an uninstalled program leaves no dead login item.
    entry.setValue(group, "TryExec", desktopStringValue(programPath).toUtf8());
    entry.setValue(group, "Terminal", "false");
    // The user's "off" (Hidden=true from Plasma or Xfce, X-GNOME-Autostart-enabled=false from GNOME, which is
    // never touched here) stays off; only window mode's own switch is undone.
    if (!hiddenNow || hiddenByUs)
        entry.setValue(group, hidden, "false");
    entry.removeKey(group, ours);
    return entry.bytes();
}

}  // namespace platform
