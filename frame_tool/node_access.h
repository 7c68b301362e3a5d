#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>

#include "device/open_error.h"

namespace frame_tool {

/// What trying to open one HID device node showed.
struct NodeAccess {
    bool opened = false;
    bool gone = false;    ///< the node was no longer there (unplugged since the enumeration)
    QString reason;       ///< why it could not be opened, in the system's words; empty when opened
    QStringList details;  ///< what the system knows about the node's access (owner, mode, ACL, udev rule)
    QString fix;          ///< the one command that gives this user access; empty when none is known
};

/// Opens the node at @p path as the main program would (hid_open_path) and closes it again at once; nothing is
/// written. On failure the open's own error decides: a node that went away is gone, with the system's reason;
/// otherwise the reason and details come from diagnoseNodeAccess.
NodeAccess probeNode(const std::string &path, std::uint16_t vendorId);

/// Why the node at @p path of a device with USB vendor id @p vendorId could not be opened by this user, given the
/// open's @p error, and what would fix it. One implementation per operating system (node_access_linux.cpp: owner,
/// mode, ACL, the project's udev rule; node_access_win.cpp: the system's own words).
NodeAccess diagnoseNodeAccess(const std::string &path, std::uint16_t vendorId, const device::OpenError &error);

}  // namespace frame_tool
