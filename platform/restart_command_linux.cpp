#include "platform/restart_command.h"

#include <QProcess>

#include "platform/desktop_family.h"

namespace platform {

namespace {

struct SessionManager {
    QList<DesktopFamily> families;  // the desktops it serves
    QString busName;                // owned while the session manager runs
    Command reboot;
};

Command gdbusCall(const QString &destination, const QString &path, const QString &method) {
    return {QStringLiteral("gdbus"),
            {QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"), destination,
             QStringLiteral("--object-path"), path, QStringLiteral("--method"), method}};
}

QList<SessionManager> sessionManagers() {
    return {
        // mate-session and cinnamon-session took over gnome-session's bus name and interface.
        {{DesktopFamily::Gnome, DesktopFamily::Mate, DesktopFamily::Cinnamon},
         QStringLiteral("org.gnome.SessionManager"),
         // Opens the session's own restart dialog, which lists the programs that object.
         gdbusCall(QStringLiteral("org.gnome.SessionManager"), QStringLiteral("/org/gnome/SessionManager"),
                   QStringLiteral("org.gnome.SessionManager.Reboot"))},
        {{DesktopFamily::Plasma},
         QStringLiteral("org.kde.ksmserver"),
         gdbusCall(QStringLiteral("org.kde.Shutdown"), QStringLiteral("/Shutdown"),
                   QStringLiteral("org.kde.Shutdown.logoutAndReboot"))},
        {{DesktopFamily::Xfce},
         QStringLiteral("org.xfce.SessionManager"),
         {QStringLiteral("xfce4-session-logout"), {QStringLiteral("--reboot")}}},
    };
}

}  // namespace

Command restartCommandFor(const QString &xdgCurrentDesktop, const SessionBusProbe &isRunning) {
    const DesktopFamily family = desktopFamily(xdgCurrentDesktop);
    QList<SessionManager> candidates;
    for (const SessionManager &manager : sessionManagers())
        if (manager.families.contains(family))
            candidates.append(manager);
    // An unlisted or misnamed desktop may still run one of them.
    for (const SessionManager &manager : sessionManagers())
        if (!manager.families.contains(family))
            candidates.append(manager);
    for (const SessionManager &manager : std::as_const(candidates))
        if (isRunning && isRunning(manager.busName))
            return manager.reboot;
    // No session manager: nobody could ask the programs anyway.
    return {QStringLiteral("systemctl"), {QStringLiteral("reboot")}};
}

Command restartCommand() {
    return restartCommandFor(qEnvironmentVariable("XDG_CURRENT_DESKTOP"), sessionBusHasOwner);
}

bool sessionBusHasOwner(const QString &busName) {
    QProcess probe;
    probe.start(QStringLiteral("gdbus"),
                {QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"),
                 QStringLiteral("org.freedesktop.DBus"), QStringLiteral("--object-path"),
                 QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("--method"),
                 QStringLiteral("org.freedesktop.DBus.NameHasOwner"), busName},
                QIODevice::ReadOnly);
    if (!probe.waitForFinished(3000)) {
        probe.kill();
        probe.waitForFinished(1000);
        return false;
    }
    // gdbus prints the reply as a GVariant tuple: "(true,)".
    return probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0 &&
           probe.readAllStandardOutput().trimmed() == "(true,)";
}

}  // namespace platform
