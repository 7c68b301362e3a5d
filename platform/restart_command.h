#pragma once

#include <QString>
#include <QStringList>

namespace platform {

/// A program and its arguments, to be started as a process.
struct Command {
    QString program;
    QStringList arguments;
};

/// The command that restarts the computer at once. Windows: "shutdown -r -t 0". Linux: "systemctl reboot"
/// (systemd asks polkit whether the logged-in user may; when not, the command fails and nothing happens).
Command restartCommand();

}  // namespace platform
