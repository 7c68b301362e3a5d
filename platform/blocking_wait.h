#pragma once

#include <functional>

namespace platform {

/// Blocks the calling thread for @p milliseconds (>= 0), like Windows' Sleep. The event loop does not run meanwhile.
/// When a hook is installed (tests), the hook is called with the requested time instead and nothing sleeps.
void blockingWait(int milliseconds);

using BlockingWaitHook = std::function<void(int milliseconds)>;

/// Replaces every later blockingWait() by @p hook; an empty hook restores the real sleep.
/// @return the hook that was installed before.
BlockingWaitHook setBlockingWaitHook(BlockingWaitHook hook);

}  // namespace platform
