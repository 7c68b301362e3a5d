#include "calibration/affine.h"

namespace calibration {

namespace {

struct MeasuredSums {
    double n = 0;
    double xx = 0;
    double xy = 0;
    double x = 0;
    double yy = 0;
    double y = 0;
};

/// One row of the fit: the coefficients p, q, r of Z = p x + q y + r.
std::array<double, 3> solveForTarget(const MeasuredSums &s, double determinant, double xz, double yz, double z) {
    const double p =
        (s.n * s.yy * xz - s.y * s.y * xz - s.n * s.xy * yz + s.x * s.y * yz + s.y * s.xy * z - s.yy * s.x * z) /
        determinant;
    const double q =
        (s.n * s.xx * yz - s.y * s.xx * z - s.n * s.xy * xz + s.x * s.xy * z + s.y * s.x * xz - s.x * s.x * yz) /
        determinant;
    const double r =
        (s.xx * s.yy * z - s.y * s.xx * yz - s.xy * s.xy * z + s.y * s.xy * xz + s.x * s.xy * yz - s.yy * s.x * xz) /
        determinant;
    return {p, q, r};
}

}  // namespace

AffineCoefficients fitAffine(const TouchPoint *references, const TouchPoint *measured, std::size_t count) {
    MeasuredSums s;
    s.n = static_cast<double>(count);
    double xX = 0, yX = 0, sumX = 0, xY = 0, yY = 0, sumY = 0;
    for (std::size_t k = 0; k < count; ++k) {
        const double x = measured[k].x;
        const double y = measured[k].y;
        s.xx += x * x;
        s.xy += x * y;
        s.x += x;
        s.yy += y * y;
        s.y += y;
        xX += x * references[k].x;
        yX += y * references[k].x;
        sumX += references[k].x;
        xY += x * references[k].y;
        yY += y * references[k].y;
        sumY += references[k].y;
    }
    const double determinant =
        s.n * s.xx * s.yy - s.xx * s.y * s.y - s.n * s.xy * s.xy + 2 * s.x * s.y * s.xy - s.yy * s.x * s.x;
    const auto [a, b, c] = solveForTarget(s, determinant, xX, yX, sumX);
    const auto [d, e, f] = solveForTarget(s, determinant, xY, yY, sumY);
    return {a, b, c, d, e, f};
}

AffineCoefficients fitAffine(const Corners &corners) {
    const Corners references = referenceCorners();
    return fitAffine(references.data(), corners.data(), corners.size());
}

}  // namespace calibration
