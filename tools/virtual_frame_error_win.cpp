// Before windows.h, which makes "interface" a macro that the frame's own names would collide with.
#include "virtual_frame_state.h"

#include <cerrno>

#include <windows.h>

namespace virtual_frame::detail {

// hidapi's Windows back end fails when CreateFile does, which leaves the thread's last error.
void reportOpenError(int error) {
    DWORD code = ERROR_GEN_FAILURE;
    if (error == EACCES || error == EPERM)
        code = ERROR_ACCESS_DENIED;
    else if (error == ENOENT)
        code = ERROR_FILE_NOT_FOUND;
    else if (error == ENODEV || error == ENXIO)
        code = ERROR_DEVICE_NOT_CONNECTED;
    else if (error == EBUSY)
        code = ERROR_SHARING_VIOLATION;
    errno = error;
    SetLastError(code);
}

}  // namespace virtual_frame::detail
