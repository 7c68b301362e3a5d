#include "platform/blocking_wait.h"

#include <windows.h>

namespace platform {

void systemSleep(int milliseconds) {
    Sleep(static_cast<DWORD>(milliseconds));
}

}  // namespace platform
