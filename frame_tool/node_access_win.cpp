#include "frame_tool/node_access.h"

#include <hidapi.h>

namespace frame_tool {

// Windows keeps no per-user permissions on HID interfaces worth showing; what stops an open is another program
// holding the device exclusively, or a driver that does not expose the interface. hidapi's last error says which.
NodeAccess diagnoseNodeAccess(const std::string & /*path*/, std::uint16_t /*vendorId*/) {
    NodeAccess access;
    const wchar_t *error = hid_error(nullptr);
    access.reason = error && *error ? QString::fromWCharArray(error)
                                    : QStringLiteral("Windows refused to open it (in use by another program?)");
    return access;
}

}  // namespace frame_tool
