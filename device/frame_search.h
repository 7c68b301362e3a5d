#pragma once

#include <QString>
#include <QVector>

#include <cstdint>
#include <string>
#include <vector>

#include "device/open_error.h"

struct hid_device_;
using hid_device = struct hid_device_;  // hidapi's handle, the same type hidapi.h declares

// Finding and opening the touch frame among the HID devices: the one search behind every device operation of the
// main window and of orvessa-frame, so that both always pick the same interface.

namespace device {

/// One entry of hidapi's enumeration, copied out of the list.
struct HidInterface {
    std::string path;  ///< the device node; several collections of one node share it
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    QString product;  ///< the product string, empty when the device gives none
};

/// Every HID interface hidapi lists (hid_enumerate(0, 0)), in its order. The list is freed before returning.
/// @return an empty vector when there is no HID device at all.
std::vector<HidInterface> enumerateInterfaces();

/// The outcome of one search for the frame.
struct FrameSearch {
    hid_device *handle = nullptr;  ///< the opened frame, or null; the caller closes it with hid_close
    int attempts = 0;              ///< open attempts made, 0..4; 0 when no interface qualified
    int usage = 0;                 ///< candidate usage of the last attempt; meaningless when attempts is 0
    std::string path;              ///< device path of the last attempt; empty when attempts is 0
    std::uint16_t vendorId = 0;    ///< USB vendor id of the last attempt's device; 0 when attempts is 0
    std::uint16_t productId = 0;   ///< its product id: with vendorId, what the desktop knows the frame by
    OpenError openError;           ///< when no attempt opened: why, the most telling cause (moreTelling)

    /// True when frames were found but none of them could be opened (access refused, busy, unplugged meanwhile).
    bool foundButNotOpened() const { return !handle && attempts > 0; }
};

/// Finds the frame and opens it: hid_enumerate(0, 0) once; then the attempts of openAttempts() with @p vendorIds,
/// in order, each after a blocking wait of openWaitMs, until one opens (device::openPath); the enumeration list is
/// freed last, on every way out. At most four attempts, so at most four waits; none when nothing qualifies.
/// @param onlyPath  when not empty, only interfaces of this device path take part (one frame among several)
FrameSearch openTouchFrame(const QVector<int> &vendorIds, const std::string &onlyPath = {});

}  // namespace device
