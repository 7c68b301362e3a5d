#include "platform/instance_socket.h"

#include <QDir>
#include <QFileInfo>

namespace platform {

QString instanceSocketName(const QString &executableFileName) {
    const QString runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtimeDir.isEmpty() || !QFileInfo(runtimeDir).isDir())
        return executableFileName;
    return QDir(runtimeDir).filePath(executableFileName);
}

}  // namespace platform
