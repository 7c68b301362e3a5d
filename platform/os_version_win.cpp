#include "platform/os_version.h"

#include <windows.h>

namespace platform {

std::optional<int> windowsMajorVersion() {
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof(info);  // 284 bytes: the extended record
#pragma warning(suppress : 4996)
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW *>(&info)))
        return std::nullopt;
    return static_cast<int>(info.dwMajorVersion);
}

}  // namespace platform
