#include "platform/os_version.h"

#include <windows.h>

namespace platform {

static_assert(sizeof(OSVERSIONINFOEXW) == 284, "GetVersionExW tells the records apart by this size");

std::optional<int> windowsMajorVersion() {
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof(info);  // 284 bytes: the extended record
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)  // deprecated in favour of the version helpers, which cannot give the number
#endif
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW *>(&info)))
        return std::nullopt;
    return static_cast<int>(info.dwMajorVersion);
}

}  // namespace platform
