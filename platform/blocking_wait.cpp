#include "platform/blocking_wait.h"

#include <utility>

namespace platform {
namespace {
BlockingWaitHook &installedHook() {
    static BlockingWaitHook hook;
    return hook;
}
}  // namespace

void blockingWait(int milliseconds) {
    if (const auto &hook = installedHook()) {
        hook(milliseconds);
        return;
    }
    if (milliseconds > 0)
        systemSleep(milliseconds);
}

BlockingWaitHook setBlockingWaitHook(BlockingWaitHook hook) {
    return std::exchange(installedHook(), std::move(hook));
}

}  // namespace platform
