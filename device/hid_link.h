#pragma once

#include <cstdint>

#include "device/open_error.h"
#include "device/report.h"

struct hid_device_;
using hid_device = struct hid_device_;  // hidapi's handle, the same type hidapi.h declares

// Reports to and from the opened frame, through hidapi.

namespace device {

/// Opens the HID device node at @p path (hid_open_path) and remembers the path for the output padding of
/// writeReport.
/// @param failure  when not null and the open fails, set to why (lastOpenError, taken at once)
/// @return the handle, or null when the node cannot be opened (busy, access refused, unplugged). The caller closes
///         it with hid_close.
hid_device *openPath(const char *path, OpenError *failure = nullptr);

/// Writes @p report: hands its first reportWriteLength (63) bytes to hid_write. Where the HID layer does not pad
/// short writes itself and the device's output report for this report id is longer, the bytes are padded with
/// zeros to the output report's length first, so the frame always receives a whole report.
/// @return hid_write's result: the number of bytes written (> 0), or -1 (0 or less) when the write failed.
int writeReport(hid_device *device, const Report &report);

/// Sends one plain command: builds its report, sets the report id for the interface matched with @p deviceUsage
/// and writes it once with writeReport.
/// @return true when the write went through (hid_write returned more than 0).
bool sendCommand(hid_device *device, Command code, int deviceUsage);

/// Reads one input report into @p buffer64 (64 bytes, zero-filled first) with hid_read_timeout.
/// @param timeoutMs  how long to wait for the report, in milliseconds (-1: no limit)
/// @return the number of bytes read (at most 64), 0 on timeout, -1 on error.
int readReport(hid_device *device, std::uint8_t *buffer64, int timeoutMs);

}  // namespace device
