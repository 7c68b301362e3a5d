#include "platform/autostart.h"

#include <QStringList>

// The texts of both systems' entries are built here, on every system, so that they can be checked anywhere.

namespace platform {

QString windowsRunCommand(const QString &programPath) {
    QString path = programPath;
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return QLatin1Char('"') + path + QStringLiteral("\" -bg");
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
    quoted = QLatin1Char('"') + quoted + QLatin1Char('"');

    QString escaped;
    for (const QChar c : quoted) {
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
    return escaped;
}

QString autostartDesktopEntry(const QString &programPath, bool enabled) {
    const QStringList lines{
        QStringLiteral("[Desktop Entry]"),
        QStringLiteral("Type=Application"),
        QStringLiteral("Name=Orvessa"),
        QStringLiteral("Comment=Touch-frame calibration utility, started hidden in the notification area"),
        QStringLiteral("Exec=") + desktopExecArgument(programPath) + QStringLiteral(" -bg"),
        QStringLiteral("Terminal=false"),
        // Window mode keeps the entry but switches it off, like the emptied registry value on Windows.
        QStringLiteral("Hidden=") + (enabled ? QStringLiteral("false") : QStringLiteral("true")),
    };
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

}  // namespace platform
