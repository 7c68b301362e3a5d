#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>

// The output reports a HID report descriptor declares, for padding short writes. The descriptor comes from a
// device, so the parser takes any bytes: it never reads outside them and refuses what the kernel's own HID parser
// would refuse.

namespace device {

/// Output reports of one descriptor.
struct OutputReports {
    bool numbered = false;                       ///< the descriptor declares report ids
    std::map<std::uint8_t, std::uint64_t> bits;  ///< output bits per report id; id 0 when not numbered
};

/// Largest write the padding ever produces, in bytes (hidraw's buffer limit on older kernels).
constexpr std::size_t maxPaddedLength = 4096;

/// Parses the HID report descriptor @p data of @p size bytes (null only with size 0).
/// @return the output reports, or nullopt when the descriptor is malformed: an item runs past the end, a report
///         id is 0 or wider than a byte, a report size exceeds 256 bits or a report count 12288, pushes and pops or
///         collections do not balance, or a report exceeds maxPaddedLength bytes.
std::optional<OutputReports> parseOutputReports(const std::uint8_t *data, std::size_t size);

/// Bytes a write of a report with @p reportId must hand to the HID layer for the device to receive the whole
/// output report: 1 (the id) + the report's bytes when the descriptor is numbered; the report's bytes when it is
/// not (the first byte written then counts as data). 0 when the descriptor declares no such output report.
std::size_t outputWriteLength(const OutputReports &reports, std::uint8_t reportId);

}  // namespace device
