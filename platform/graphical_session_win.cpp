#include "platform/graphical_session.h"

namespace platform {

// Every Windows session has its desktop: there is no display server to be told of.
std::optional<QString> missingGraphicalSession(int, const char *const *) {
    return std::nullopt;
}

}  // namespace platform
