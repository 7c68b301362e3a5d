#include "calibration/projective_encoding.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "calibration/projective.h"
#include "device/report.h"

namespace calibration {

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double linearStep = 1.0 / 1048576;    // a, b, d, e, g, h
constexpr double translationStep = 1.0 / 1024;  // c, f
constexpr int gridLines = 17;
constexpr double screenEdge = 4095;

using Matrix3 = std::array<std::array<double, 3>, 3>;

// The correction a..h as the 3 × 3 matrix that maps (x, y, 1) to a multiple of (X, Y, 1).
Matrix3 asMatrix(const double (&c)[8]) {
    return {{{c[0], c[1], c[2]}, {c[3], c[4], c[5]}, {c[6], c[7], 1}}};
}

std::optional<Matrix3> inverse(const Matrix3 &m) {
    Matrix3 adjugate;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) {
            const auto &r = m[(column + 1) % 3];
            const auto &s = m[(column + 2) % 3];
            adjugate[row][column] = r[(row + 1) % 3] * s[(row + 2) % 3] - r[(row + 2) % 3] * s[(row + 1) % 3];
        }
    const double determinant = m[0][0] * adjugate[0][0] + m[0][1] * adjugate[1][0] + m[0][2] * adjugate[2][0];
    if (!std::isfinite(determinant) || determinant == 0)
        return std::nullopt;
    for (auto &row : adjugate)
        for (double &value : row)
            value /= determinant;
    return adjugate;
}

std::array<double, 8> decoded(const ProjectiveFields &fields) {
    std::array<double, 8> c{};
    for (std::size_t i = 0; i < 8; ++i)
        c[i] = fields[i] * (i == 2 || i == 5 ? translationStep : linearStep);
    return c;
}

// Solves the 3 × 3 system by Cramer's rule; none when it is singular.
std::optional<std::array<double, 3>> solve3(const Matrix3 &m, const std::array<double, 3> &rhs) {
    const auto determinant = [](const Matrix3 &a) {
        return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
               a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    };
    const double d = determinant(m);
    if (!std::isfinite(d) || d == 0)
        return std::nullopt;
    std::array<double, 3> solution{};
    for (std::size_t column = 0; column < 3; ++column) {
        Matrix3 replaced = m;
        for (std::size_t row = 0; row < 3; ++row)
            replaced[row][column] = rhs[row];
        solution[column] = determinant(replaced) / d;
    }
    return solution;
}

// a..f for the divisor g x + h y + 1 fixed at whole steps G and H of g and h: the least-squares fit of the four
// corner touches to their references, each residual weighed as the frame divides it, so that it is measured in
// corrected units. The touches are truncated and the references single precision, as for the exact solution.
std::optional<ProjectiveFields> refit(const Corners &corners, std::int64_t stepsG, std::int64_t stepsH) {
    const double g = double(stepsG) * linearStep;
    const double h = double(stepsH) * linearStep;
    const std::array<SinglePrecisionPoint, 4> references = projectiveReferences();
    Matrix3 normal{};
    std::array<double, 3> towardX{};
    std::array<double, 3> towardY{};
    for (std::size_t k = 0; k < 4; ++k) {
        const double x = int(corners[k].x);
        const double y = int(corners[k].y);
        const double divisor = g * x + h * y + 1;
        const std::array<double, 3> row{x / divisor, y / divisor, 1 / divisor};
        for (std::size_t i = 0; i < 3; ++i) {
            for (std::size_t j = 0; j < 3; ++j)
                normal[i][j] += row[i] * row[j];
            towardX[i] += row[i] * double(references[k].x);
            towardY[i] += row[i] * double(references[k].y);
        }
    }
    const auto abc = solve3(normal, towardX);
    const auto def = solve3(normal, towardY);
    if (!abc || !def)
        return std::nullopt;
    const double coefficients[8] = {(*abc)[0], (*abc)[1], (*abc)[2], (*def)[0], (*def)[1], (*def)[2], g, h};
    return device::projectiveFixedPoint(coefficients);
}

}  // namespace

double worstEncodingError(const ProjectiveFields &fields, const double (&exact)[8]) {
    const auto toRaw = inverse(asMatrix(exact));
    if (!toRaw)
        return infinity;
    const std::array<double, 8> c = decoded(fields);
    double worst = 0;
    for (int i = 0; i < gridLines; ++i)
        for (int j = 0; j < gridLines; ++j) {
            const double screenX = screenEdge * i / (gridLines - 1);
            const double screenY = screenEdge * j / (gridLines - 1);
            const auto &m = *toRaw;
            const double w = m[2][0] * screenX + m[2][1] * screenY + m[2][2];
            const double x = (m[0][0] * screenX + m[0][1] * screenY + m[0][2]) / w;
            const double y = (m[1][0] * screenX + m[1][1] * screenY + m[1][2]) / w;
            const double exactDivisor = exact[6] * x + exact[7] * y + 1;
            const double divisor = c[6] * x + c[7] * y + 1;
            // A divisor of the other sign puts the decoded correction's pole between this point and the others.
            if (!(exactDivisor * divisor > 0))
                return infinity;
            const double errorX = std::fabs((c[0] * x + c[1] * y + c[2]) / divisor - screenX);
            const double errorY = std::fabs((c[3] * x + c[4] * y + c[5]) / divisor - screenY);
            if (!std::isfinite(errorX) || !std::isfinite(errorY))
                return infinity;
            worst = std::max({worst, errorX, errorY});
        }
    return worst;
}

std::optional<ProjectiveFields> encodeProjective(const Corners &corners, const double (&exact)[8]) {
    const auto plain = device::projectiveFixedPoint(exact);
    if (!plain)
        return std::nullopt;
    const double plainError = worstEncodingError(*plain, exact);
    // Within a unit already (every mounting without keystone): nothing a re-fit could gain is worth new bytes.
    if (!(plainError >= minEncodingGain))
        return plain;

    ProjectiveFields best = *plain;
    double bestError = plainError;
    for (const int stepG : {-1, 0, 1})
        for (const int stepH : {-1, 0, 1}) {
            const auto candidate = refit(corners, std::int64_t((*plain)[6]) + stepG, std::int64_t((*plain)[7]) + stepH);
            if (!candidate)
                continue;
            const double error = worstEncodingError(*candidate, exact);
            if (error < bestError) {
                best = *candidate;
                bestError = error;
            }
        }
    return plainError - bestError >= minEncodingGain ? best : *plain;
}

}  // namespace calibration
