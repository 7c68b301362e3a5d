#pragma once

#include <array>
#include <optional>

#include "calibration/touch_point.h"

namespace calibration {

/// The four corner touches of a run, always in the order top-left, top-right, bottom-right, bottom-left.
using Corners = std::array<TouchPoint, 4>;

/// Where the corner targets are along either axis in calibration units: 0.15 and 0.85 of 4096.
constexpr double referenceLow = 614.4;
constexpr double referenceHigh = 3481.6;

/// Where the corner targets are, in corner order, as doubles.
Corners referenceCorners();

/// Indices into the touch table of the four corner targets of a grid, in corner order; none for a target count
/// other than 4, 9, 15 or 20.
///
///   4 targets    9 targets     15 targets          20 targets
///   0 . 1        0 . . 2       0  . . .  4         0  . . .  4
///   2 . 3        . . . .       .  . . .  .         .  . . .  .
///                6 . . 8       10 . . . 14         .  . . .  .
///                                                  15 . . . 19
std::optional<std::array<int, 4>> cornerIndices(int targetCount);

/// The corner touches of @p table for a grid of @p targetCount; none for an unknown count.
std::optional<Corners> cornerTouches(const TouchPointTable &table, int targetCount);

}  // namespace calibration
