#pragma once

#include <functional>

namespace platform {

/// Blocks the calling thread for @p milliseconds (>= 0) with systemSleep. The event loop does not run meanwhile.
/// When a hook is installed (tests), the hook is called with the requested time instead and nothing sleeps.
void blockingWait(int milliseconds);

/// The system's own blocking sleep of @p milliseconds (> 0), never hooked: Windows' Sleep, nanosleep elsewhere.
/// Tests of the real executable replace these calls from outside (an LD_PRELOAD interposer on Linux, the virtual
/// frame DLL's import patch on Windows), so the program calls them directly and only from here.
void systemSleep(int milliseconds);

using BlockingWaitHook = std::function<void(int milliseconds)>;

/// Replaces every later blockingWait() by @p hook; an empty hook restores the real sleep.
/// @return the hook that was installed before.
BlockingWaitHook setBlockingWaitHook(BlockingWaitHook hook);

}  // namespace platform
