#include "platform/restart_command.h"

namespace platform {

Command restartCommand() {
    return {QStringLiteral("shutdown"), {QStringLiteral("-r"), QStringLiteral("-t"), QStringLiteral("0")}};
}

}  // namespace platform
