#pragma once

#include <optional>

namespace platform {

/// Major version of Windows (5 for XP, 6 for Vista/7, 10 for 10 and 11) as GetVersionExW reports it.
/// @return no value when the query fails or the system is not Windows.
std::optional<int> windowsMajorVersion();

}  // namespace platform
