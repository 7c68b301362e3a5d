#include "frame_tool/node_access.h"

#include <hidapi.h>

namespace frame_tool {

NodeAccess probeNode(const std::string &path, std::uint16_t vendorId) {
    if (hid_device *handle = hid_open_path(path.c_str())) {
        hid_close(handle);
        NodeAccess access;
        access.opened = true;
        return access;
    }
    const device::OpenError error = device::lastOpenError();
    if (error.cause != device::OpenError::Cause::Gone)
        return diagnoseNodeAccess(path, vendorId, error);
    NodeAccess access;
    access.gone = true;
    access.reason = error.reason;
    return access;
}

}  // namespace frame_tool
