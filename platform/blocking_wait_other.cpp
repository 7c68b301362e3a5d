#include "platform/blocking_wait.h"

#include <chrono>
#include <thread>

namespace platform {

void systemSleep(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace platform
