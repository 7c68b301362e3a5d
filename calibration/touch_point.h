#pragma once

#include <array>

/// One measured touch in calibration coordinates: 1/4096 of the target screen's width (x) and height (y),
/// origin top-left, so 0..4095 on the screen.
struct TouchPoint {
    double x = 0;
    double y = 0;
};

/// One entry per target of the largest grid (20), numbered row by row from the top, left to right.
using TouchPointTable = std::array<TouchPoint, 20>;
