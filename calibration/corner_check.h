#pragma once

#include "calibration/corners.h"

namespace calibration {

/// Why four corner touches cannot give a calibration, or None when they can.
enum class CornerFault {
    None,
    WrongOrder,     ///< a corner lies on the wrong side of its neighbour (TL right of TR, TL below BL, ...)
    Folded,         ///< the quadrilateral is not convex, or three corners lie on one line
    Collapsed,      ///< two corners lie closer together than minCornerDistance
    FarFromTarget,  ///< a corner lies more than maxTargetOffset from its target on an axis
};

/// Largest offset on each axis, in calibration units, between a corner touch and its target: a quarter of the
/// screen (480 px across and 270 px down on 1920 × 1080). Adjacent corner targets are 2867 units apart, so a
/// touch half that far away (1434) is as near the next corner's target as its own: the user touched the wrong
/// spot. A badly mounted frame, off by 5° of rotation, 10% of scale and 100 px of offset at once, misses the
/// targets by about 700 units, well inside the bound.
constexpr double maxTargetOffset = 1024;

/// Smallest distance, in calibration units, between any two corner touches: half the 2867-unit spacing of
/// adjacent corner targets. The repeat filter of the target window only compares a touch with the one just
/// before it, so the same spot can still be touched for two corners that are not consecutive; and corners
/// closer than this would ask the frame to stretch its touches more than twice, which no plausible mounting needs.
constexpr double minCornerDistance = 1434;

/// Checks the measured @p corners (top-left, top-right, bottom-right, bottom-left) before they are solved, so
/// that misplaced or degenerate touches never become a calibration. Touches a few tens of pixels off target, and
/// those of a moderately rotated, scaled or offset frame, pass.
CornerFault checkCorners(const Corners &corners);

}  // namespace calibration
