#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "calibration/touch_point.h"
#include "device/report.h"

// The decisions of one calibration run, apart from the device and the windows that carry them out.

namespace calibration {

/// The upload format of a run, fixed by the frame's answer to the start query before the target window opens.
enum class Format {
    Projective,  ///< eight 32-bit coefficients (0x61): the frame answered the start query
    Affine,      ///< six 16-bit coefficients (0x66): any other outcome
};

/// What the start query's outcome decides.
struct QueryOutcome {
    Format format = Format::Affine;
    bool queryWriteFailed = false;      ///< warn that no frame was detected, then go on with the affine format
    bool sendCalibrationStart = false;  ///< the query went out but got no valid reply: announce the calibration
};

/// Judges the start query: @p writeResult is hid_write's result for the query; @p reply and @p replyLength are the
/// buffer and result of the one read that follows a successful write (ignored after a failed write).
QueryOutcome judgeStartQuery(int writeResult, const std::uint8_t *reply, int replyLength, int deviceUsage);

/// The upload of an accepted run in @p format, from the corner touches of @p touches for @p targetCount targets,
/// carrying the report id of @p deviceUsage. The projective path solves in @p matrix and @p vector (which keeps the
/// exact solution) and stores the fields chosen by encodeProjective in @p fixedCoefficients. None when the corners fail
/// checkCorners, the solve meets a zero pivot, or a coefficient is not finite or does not fit its field: such a run
/// must not reach the frame.
std::optional<device::Report> buildUpload(Format format, const TouchPointTable &touches, int targetCount,
                                          int deviceUsage, double (&matrix)[8][8], double (&vector)[8],
                                          std::array<std::int32_t, 8> &fixedCoefficients);

}  // namespace calibration
