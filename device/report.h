#pragma once

#include <array>
#include <cstdint>
#include <optional>

// The reports exchanged with the touch frame. Every report is built in a zero-filled 64-byte frame:
//
//   byte 0     report id (6, or the low byte of the matched interface's usage)
//   byte 1     0x55
//   byte 2     command code
//   byte 3..   0xFF for plain commands; the coefficient fields, then 0xFF, for the two uploads
//   byte 63    never written: the HID layer is handed the first 63 bytes
//
// Nothing here touches a device; the functions only build and check bytes.

namespace device {

/// One report frame as the program builds it. Only the first reportWriteLength bytes go to the device.
using Report = std::array<std::uint8_t, 64>;

/// Command codes, byte 2 of every report.
enum class Command : std::uint8_t {
    Clear = 0x88,             ///< erase the calibration stored in the frame
    SingleTouch = 0x11,       ///< report one touch point
    MultiTouch = 0x22,        ///< report several touch points
    StartQuery = 0x51,        ///< calibration start query; a frame that knows the projective upload answers it
    StartCalibration = 0x55,  ///< calibration start for frames that do not answer the query
    Abandon = 0x77,           ///< calibration abandoned, nothing will be uploaded
    ProjectiveUpload = 0x61,  ///< eight 32-bit fixed-point coefficients
    AffineUpload = 0x66,      ///< six 16-bit fixed-point coefficients
};

/// Number of bytes handed to hid_write for every report: the report id and 62 bytes of data.
constexpr int reportWriteLength = 63;

/// Report id used when the matched interface has usage 0.
constexpr std::uint8_t defaultReportId = 6;

/// Report id the frame answers the start query with when the matched interface has usage 0.
constexpr int defaultReplyId = 5;

/// A plain command report: default id 6, 0x55, @p code, 0xFF, then zeros.
Report commandReport(Command code);

/// Report id for the interface matched with usage @p deviceUsage: 6 when it is 0, otherwise its low byte.
std::uint8_t reportId(int deviceUsage);

/// Sets byte 0 of @p report to reportId(@p deviceUsage); the other bytes are left alone.
void setReportId(Report &report, int deviceUsage);

/// Report id the reply to the start query must carry: @p deviceUsage when it is non-zero, else 5.
int expectedReplyId(int deviceUsage);

/// Checks the frame's answer to the start query.
/// @param buffer  the bytes read; may be null only when @p length is not 64
/// @param length  what hid_read_timeout returned (0 on timeout, -1 on error)
/// @return true only when exactly 64 bytes were read and they begin with expectedReplyId(@p deviceUsage), 0x55,
///         0x51, 0xFF. Bytes 4..63 are not looked at.
bool isValidStartReply(const std::uint8_t *buffer, int length, int deviceUsage);

/// Converts the projective coefficients a..h to the integers of the projective upload: a, b, d, e, g, h times
/// 2^20, c and f times 2^10, each truncated toward zero.
/// @return nullopt when any coefficient is NaN or infinite, or its truncated product lies outside the signed
///         32-bit range; no integer is ever made from such a value.
std::optional<std::array<std::int32_t, 8>> projectiveFixedPoint(const double coefficients[8]);

/// Converts the affine coefficients a..f (X = a x + b y + c, Y = d x + e y + f) to the integers of the affine
/// upload: a, b, d, e times 4096, c and f unscaled, each truncated toward zero.
/// @return nullopt when any coefficient is NaN or infinite, or its truncated value lies outside the signed 16-bit
///         range.
std::optional<std::array<std::int16_t, 6>> affineFixedPoint(const double coefficients[6]);

/// The coefficients a..h a frame reads from a projective (0x61) or affine (0x66) @p upload, each field divided by
/// its scale; the affine format's g and h are 0. None for any other report.
std::optional<std::array<double, 8>> uploadedCoefficients(const Report &upload);

/// The projective upload: default id 6, 0x55, 0x61, the eight fields least significant byte first at offsets
/// 3..34, 0xFF at offset 35, zeros after.
Report projectiveUpload(const std::array<std::int32_t, 8> &fields);

/// The affine upload: default id 6, 0x55, 0x66, the six fields least significant byte first at offsets 3..14,
/// 0xFF at offset 15, zeros after.
Report affineUpload(const std::array<std::int16_t, 6> &fields);

}  // namespace device
