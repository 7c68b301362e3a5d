#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "calibration/corners.h"

// The fixed-point fields of the projective upload, chosen so that what the frame decodes stays close to the exact
// correction.
//
// The plain conversion truncates every coefficient toward zero at its field's step: 2^-20 for a, b, d, e, g, h and
// 2^-10 for c, f. For g and h that step is coarse: they multiply coordinates of up to 4095 in the divisor
// g x + h y + 1, so one step of g moves a corrected point at the far edge by up to 2^-20 × 4095 × 4095, 16 units
// (7.5 px across a 1920 px screen), and a frame with keystone, whose g and h are a few dozen steps, loses up to
// twice that at its edges. The six other coefficients can make up for most of it: with g and h fixed at whole
// steps, the correction is linear in a..f again, so they are fitted anew to the same four corner touches, and the
// neighbouring steps of g and h are tried as well. A set is kept only when it beats the plain conversion.

namespace calibration {

/// The eight signed 32-bit fields of the projective upload, a..h: a, b, d, e, g, h in steps of 2^-20, c and f in
/// steps of 2^-10.
using ProjectiveFields = std::array<std::int32_t, 8>;

/// The smallest gain, in calibration units, for which the fields differ from the plain conversion: one unit,
/// 1/4096 of the screen. Below it the frame keeps the conversion's bytes.
constexpr double minEncodingGain = 1;

/// How far the correction that @p fields decode to strays from the exact correction @p exact (a..h): the largest
/// per-axis distance in calibration units over a 17 × 17 grid of screen points, spanning the whole screen edge to
/// edge, each taken where the exact correction says the frame reports it. Infinite when the exact correction has
/// no finite inverse on the screen, or when the decoded divisor reaches zero or changes sign on the grid.
double worstEncodingError(const ProjectiveFields &fields, const double (&exact)[8]);

/// The fields to upload for the exact projective correction @p exact (a..h, as solved from @p corners).
/// The plain conversion (every coefficient scaled and truncated toward zero) unless a set whose g and h are the
/// truncated ones or their neighbours, with a..f fitted anew to the corners, lowers worstEncodingError by at least
/// minEncodingGain: then the best such set. So corners that form a rectangle or a parallelogram (a frame without
/// keystone, touched exactly), whose g and h are nearly zero, keep the plain conversion to the last bit. None when
/// a coefficient of the plain conversion is not finite or does not fit its field.
std::optional<ProjectiveFields> encodeProjective(const Corners &corners, const double (&exact)[8]);

}  // namespace calibration
