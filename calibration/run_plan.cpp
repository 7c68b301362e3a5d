#include "calibration/run_plan.h"

#include "calibration/affine.h"
#include "calibration/corner_check.h"
#include "calibration/corners.h"
#include "calibration/projective.h"
#include "calibration/projective_encoding.h"

namespace calibration {

namespace {

std::optional<device::Report> projectiveUpload(const Corners &corners, double (&matrix)[8][8], double (&vector)[8],
                                               std::array<std::int32_t, 8> &fixedCoefficients) {
    if (!solveProjective(corners, matrix, vector))
        return std::nullopt;
    const auto fields = encodeProjective(corners, vector);
    if (!fields)
        return std::nullopt;
    fixedCoefficients = *fields;
    return device::projectiveUpload(fixedCoefficients);
}

std::optional<device::Report> affineUpload(const Corners &corners) {
    const AffineCoefficients coefficients = fitAffine(corners);
    const auto fields = device::affineFixedPoint(coefficients.data());
    if (!fields)
        return std::nullopt;
    return device::affineUpload(*fields);
}

}  // namespace

QueryOutcome judgeStartQuery(int writeResult, const std::uint8_t *reply, int replyLength, int deviceUsage) {
    QueryOutcome outcome;
    if (writeResult <= 0) {
        outcome.queryWriteFailed = true;
        return outcome;
    }
    if (device::isValidStartReply(reply, replyLength, deviceUsage))
        outcome.format = Format::Projective;
    else
        outcome.sendCalibrationStart = true;
    return outcome;
}

std::optional<device::Report> buildUpload(Format format, const TouchPointTable &touches, int targetCount,
                                          int deviceUsage, double (&matrix)[8][8], double (&vector)[8],
                                          std::array<std::int32_t, 8> &fixedCoefficients) {
    const auto corners = cornerTouches(touches, targetCount);
    if (!corners || checkCorners(*corners) != CornerFault::None)
        return std::nullopt;
    auto upload = format == Format::Projective ? projectiveUpload(*corners, matrix, vector, fixedCoefficients)
                                               : affineUpload(*corners);
    if (upload)
        device::setReportId(*upload, deviceUsage);
    return upload;
}

}  // namespace calibration
