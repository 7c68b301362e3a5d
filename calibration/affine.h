#pragma once

#include <array>
#include <cstddef>

#include "calibration/corners.h"

namespace calibration {

/// Affine coefficients a, b, c, d, e, f of X = a x + b y + c, Y = d x + e y + f.
using AffineCoefficients = std::array<double, 6>;

/// Least-squares affine fit mapping @p measured onto @p references (@p count pairs), solved by Cramer's rule on
/// the normal equations. Degenerate input (all points on one line) gives a zero determinant and so non-finite
/// coefficients.
AffineCoefficients fitAffine(const TouchPoint *references, const TouchPoint *measured, std::size_t count);

/// The affine correction for the measured @p corners, fitted onto the reference corners as doubles.
AffineCoefficients fitAffine(const Corners &corners);

}  // namespace calibration
