#pragma once

#include "calibration/corners.h"

namespace calibration {

/// Why four corner touches cannot come from any mounting of a frame, or None when they can.
enum class CornerFault {
    None,
    Collapsed,  ///< two corners lie closer together than minCornerSeparation
    OnOneLine,  ///< three corners lie within minCornerSeparation of one line
    Folded,     ///< the quadrilateral's sides cross, or a corner lies inside the triangle of the other three
};

/// Smallest distance, in calibration units, between two corner touches and between a corner and the line through
/// two others: 1/64 of the screen. The target window takes a touch within 15 px of the one before for the same
/// touch; 64 units are at least 15 px on every screen up to 4096 px across, so corners closer than this are one
/// spot touched twice, not a frame's view of two targets 70 % of the screen apart.
constexpr double minCornerSeparation = 64;

/// Checks the measured @p corners (top-left, top-right, bottom-right, bottom-left) before they are solved.
///
/// Every way a frame can sit on its screen passes: rotated by any angle (upside down, a quarter turn), mirrored on
/// either axis, scaled, sheared, offset anywhere, with keystone. What a correction maps onto the corner targets is
/// whatever the frame reported for them, and a frame maps the targets' rectangle onto a convex quadrilateral in
/// either turning sense. Refused are the corners no frame can report: two at one spot, three on one line (the
/// solution would be singular or decided by the touches' rounding), and a quadrilateral that is not convex (the
/// targets touched out of order, or one corner inside the other three, which would put the correction's pole
/// between the targets). Non-finite coordinates never pass. Whether the coefficients fit their fields is checked
/// when they are converted.
CornerFault checkCorners(const Corners &corners);

}  // namespace calibration
