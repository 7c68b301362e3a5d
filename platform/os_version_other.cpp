#include "platform/os_version.h"

namespace platform {

std::optional<int> windowsMajorVersion() {
    return std::nullopt;
}

}  // namespace platform
