#pragma once

#include <functional>

#include <QString>
#include <QStringList>

namespace platform {

/// A program and its arguments, to be started as a process.
struct Command {
    QString program;
    QStringList arguments;
};

/// Tells whether a D-Bus name has an owner on the session bus, i.e. whether that service is running.
using SessionBusProbe = std::function<bool(const QString &busName)>;

/// The command that restarts the computer.
/// Windows: "shutdown -r -t 0".
/// Linux: the reboot request of the desktop's session manager, which asks the running programs first, so that one
/// with unsaved work can object: GNOME and its relatives, MATE and Cinnamon org.gnome.SessionManager.Reboot, Plasma
/// org.kde.Shutdown.logoutAndReboot, Xfce "xfce4-session-logout --reboot". The session manager of the desktop
/// family of XDG_CURRENT_DESKTOP (platform/desktop_family.h) is asked first, then the others; a session manager
/// counts when its name is owned on the session bus (org.gnome.SessionManager, org.kde.ksmserver,
/// org.xfce.SessionManager). Only when none runs: "systemctl reboot" (systemd asks polkit whether the user may).
Command restartCommand();

/// restartCommand() for the desktop names @p xdgCurrentDesktop (as in XDG_CURRENT_DESKTOP), asking @p isRunning
/// which session managers run. Windows has one command and ignores both.
Command restartCommandFor(const QString &xdgCurrentDesktop, const SessionBusProbe &isRunning);

/// Asks the session bus (through gdbus) whether @p busName has an owner; false when there is no session bus.
bool sessionBusHasOwner(const QString &busName);

}  // namespace platform
