#include "platform/restart_command.h"

namespace platform {

Command restartCommandFor(const QString &, const SessionBusProbe &) {
    return {QStringLiteral("shutdown"), {QStringLiteral("-r"), QStringLiteral("-t"), QStringLiteral("0")}};
}

Command restartCommand() {
    return restartCommandFor({}, {});
}

bool sessionBusHasOwner(const QString &) {
    return false;
}

}  // namespace platform
