#include "platform/graphical_session.h"

namespace platform {

std::optional<QString> missingGraphicalSession(int argc, const char *const *argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return missingDisplay(displayRequest(arguments, QProcessEnvironment::systemEnvironment()));
}

}  // namespace platform
