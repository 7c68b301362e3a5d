#include "platform/restart_command.h"

namespace platform {

Command restartCommand() {
    return {QStringLiteral("systemctl"), {QStringLiteral("reboot")}};
}

}  // namespace platform
