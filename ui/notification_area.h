#pragma once

#include <functional>

namespace tray {

/// Whether the desktop has a notification area that can hold the tray icon at this moment. It can appear late (a
/// panel started after the program at login) or go away (a restarted shell), so ask when it matters.
bool notificationAreaAvailable();

using AvailabilitySource = std::function<bool()>;

/// Makes notificationAreaAvailable() report what @p source gives (tests: the offscreen platform never has one);
/// an empty source restores the desktop's own answer.
/// @return the source installed before.
AvailabilitySource setAvailabilitySource(AvailabilitySource source);

}  // namespace tray
