#pragma once

#include <QVector>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// Which HID interface is the touch frame. The frame is recognised by its USB vendor id, the vendor-defined usage
// page 0xFF00 and one of four usages; when several interfaces qualify, the usage decides, not the order in which
// the system lists them.

namespace device {

/// The usages a frame's interface may carry, best first.
constexpr std::array<int, 4> candidateUsages{0x0000, 0x00A3, 0x00A2, 0x00A1};

/// The usage page every frame interface carries.
constexpr std::uint16_t frameUsagePage = 0xFF00;

/// True for a frame's vendor interface, whatever its vendor id: usage page 0xFF00 and one of the candidate usages.
bool isVendorInterface(std::uint16_t usagePage, std::uint16_t usage);

/// Milliseconds to wait before each attempt to open an interface.
constexpr int openWaitMs = 1500;

/// What the search reads of one enumeration entry.
struct HidEntry {
    std::uint16_t vendorId = 0;
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
};

/// One attempt to open: the index of the entry in the enumeration and the candidate usage it matched.
struct OpenAttempt {
    std::size_t entry = 0;
    int usage = 0;

    bool operator==(const OpenAttempt &other) const { return entry == other.entry && usage == other.usage; }
};

/// The attempts to make, in order, until one opens: for each candidate usage in precedence order, the first entry
/// in enumeration order whose vendor id is in @p vendorIds (the 16-bit id compared with each int), whose usage is
/// the candidate and whose usage page is 0xFF00. At most one attempt per candidate, so at most four.
/// Cost: linear in the number of entries and of vendor ids.
std::vector<OpenAttempt> openAttempts(const std::vector<HidEntry> &entries, const QVector<int> &vendorIds);

}  // namespace device
