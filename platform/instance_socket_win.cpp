#include "platform/instance_socket.h"

namespace platform {

QString instanceSocketName(const QString &executableFileName) {
    return executableFileName;
}

}  // namespace platform
