#include "frame_tool/node_access.h"

#include <hidapi.h>

namespace frame_tool {

// Windows keeps no per-user permissions on HID interfaces worth showing; what stops an open is another program
// holding the device exclusively, or a driver that does not expose the interface. The system's error says which,
// else hidapi's last error.
NodeAccess diagnoseNodeAccess(const std::string & /*path*/, std::uint16_t /*vendorId*/,
                              const device::OpenError &error) {
    NodeAccess access;
    const wchar_t *hidError = hid_error(nullptr);
    access.reason = error.code != 0         ? error.reason
                    : hidError && *hidError ? QString::fromWCharArray(hidError)
                                            : QStringLiteral("Windows refused to open it (in use by another program?)");
    return access;
}

}  // namespace frame_tool
