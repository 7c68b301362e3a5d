#pragma once

#include <cstddef>
#include <cstdint>

// Short writes and the operating system's HID layer. Windows' HID class driver takes only whole output reports and
// hidapi pads a short write with zeros there; Linux' hidraw sends exactly the bytes it is given, so the program pads
// them itself, to the length the device's report descriptor declares.

namespace device {

/// Number of bytes to hand to hid_write for a report of @p length bytes whose first byte is @p reportId, on the
/// HID device node @p path, so that the device receives its whole output report.
/// @return at least @p length; more only where the HID layer does not pad by itself (Linux), @p path is a hidraw
///         node (/dev/hidraw*) whose report descriptor can be read and parsed, and it declares a longer output
///         report for @p reportId. Otherwise (no padding needed or nothing known) @p length. Never more than
///         maxPaddedLength.
std::size_t paddedWriteLength(const char *path, std::uint8_t reportId, std::size_t length);

}  // namespace device
