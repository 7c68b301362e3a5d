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
    return diagnoseNodeAccess(path, vendorId);
}

}  // namespace frame_tool
