#include "device/report.h"

#include <cmath>
#include <limits>
#include <type_traits>

namespace device {
namespace {

constexpr std::uint8_t marker = 0x55;
constexpr std::uint8_t closing = 0xFF;
constexpr int firstDataOffset = 3;

// The fields' scales: the projective upload's translation terms c and f carry 10 fraction bits, the others 20; the
// affine upload's c and f are whole units of the 1/4096 calibration grid, the others carry 12 fraction bits.
constexpr double projectiveLinearScale = 1048576.0;
constexpr double projectiveTranslationScale = 1024.0;
constexpr double affineLinearScale = 4096.0;
constexpr double affineTranslationScale = 1.0;

constexpr bool isTranslation(std::size_t coefficient) {
    return coefficient == 2 || coefficient == 5;
}

Report reportHeader(Command code) {
    Report report{};
    report[0] = defaultReportId;
    report[1] = marker;
    report[2] = static_cast<std::uint8_t>(code);
    return report;
}

// Scales and truncates toward zero. A value that is not finite, or whose integer part does not fit the field,
// would turn into an arbitrary integer in the frame's firmware: refuse it instead.
template <typename Field>
std::optional<Field> fixedPointField(double value, double scale) {
    const double product = value * scale;
    if (!std::isfinite(product))
        return std::nullopt;
    const double truncated = std::trunc(product);
    if (truncated < static_cast<double>(std::numeric_limits<Field>::min()) ||
        truncated > static_cast<double>(std::numeric_limits<Field>::max()))
        return std::nullopt;
    return static_cast<Field>(truncated);
}

template <typename Field>
Field getLittleEndian(const Report &report, std::size_t offset) {
    std::make_unsigned_t<Field> bits = 0;
    for (std::size_t byte = 0; byte < sizeof(Field); ++byte)
        bits |= static_cast<std::make_unsigned_t<Field>>(report[offset + byte]) << (8 * byte);
    return static_cast<Field>(bits);
}

template <typename Field, std::size_t count>
int putLittleEndian(Report &report, const std::array<Field, count> &fields) {
    using Unsigned = std::make_unsigned_t<Field>;
    int offset = firstDataOffset;
    for (const Field field : fields) {
        const auto bits = static_cast<Unsigned>(field);
        for (std::size_t byte = 0; byte < sizeof(Field); ++byte)
            report[offset++] = static_cast<std::uint8_t>(bits >> (8 * byte));
    }
    return offset;
}

}  // namespace

Report commandReport(Command code) {
    Report report = reportHeader(code);
    report[firstDataOffset] = closing;
    return report;
}

std::uint8_t reportId(int deviceUsage) {
    return deviceUsage != 0 ? static_cast<std::uint8_t>(deviceUsage & 0xFF) : defaultReportId;
}

void setReportId(Report &report, int deviceUsage) {
    report[0] = reportId(deviceUsage);
}

int expectedReplyId(int deviceUsage) {
    return deviceUsage != 0 ? deviceUsage : defaultReplyId;
}

bool isValidStartReply(const std::uint8_t *buffer, int length, int deviceUsage) {
    if (length != static_cast<int>(Report().size()) || !buffer)
        return false;
    return buffer[0] == expectedReplyId(deviceUsage) && buffer[1] == marker &&
           buffer[2] == static_cast<std::uint8_t>(Command::StartQuery) && buffer[3] == closing;
}

std::optional<std::array<std::int32_t, 8>> projectiveFixedPoint(const double coefficients[8]) {
    std::array<std::int32_t, 8> fields{};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const auto field = fixedPointField<std::int32_t>(
            coefficients[i], isTranslation(i) ? projectiveTranslationScale : projectiveLinearScale);
        if (!field)
            return std::nullopt;
        fields[i] = *field;
    }
    return fields;
}

std::optional<std::array<std::int16_t, 6>> affineFixedPoint(const double coefficients[6]) {
    std::array<std::int16_t, 6> fields{};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const auto field = fixedPointField<std::int16_t>(coefficients[i],
                                                         isTranslation(i) ? affineTranslationScale : affineLinearScale);
        if (!field)
            return std::nullopt;
        fields[i] = *field;
    }
    return fields;
}

std::optional<std::array<double, 8>> uploadedCoefficients(const Report &upload) {
    std::array<double, 8> coefficients{};
    if (upload[2] == static_cast<std::uint8_t>(Command::ProjectiveUpload)) {
        for (std::size_t i = 0; i < 8; ++i)
            coefficients[i] = getLittleEndian<std::int32_t>(upload, firstDataOffset + 4 * i) /
                              (isTranslation(i) ? projectiveTranslationScale : projectiveLinearScale);
        return coefficients;
    }
    if (upload[2] == static_cast<std::uint8_t>(Command::AffineUpload)) {
        for (std::size_t i = 0; i < 6; ++i)
            coefficients[i] = getLittleEndian<std::int16_t>(upload, firstDataOffset + 2 * i) /
                              (isTranslation(i) ? affineTranslationScale : affineLinearScale);
        return coefficients;
    }
    return std::nullopt;
}

Report projectiveUpload(const std::array<std::int32_t, 8> &fields) {
    Report report = reportHeader(Command::ProjectiveUpload);
    report[putLittleEndian(report, fields)] = closing;
    return report;
}

Report affineUpload(const std::array<std::int16_t, 6> &fields) {
    Report report = reportHeader(Command::AffineUpload);
    report[putLittleEndian(report, fields)] = closing;
    return report;
}

}  // namespace device
