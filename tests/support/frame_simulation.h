#pragma once

#include <QPointF>
#include <QSize>

#include <optional>
#include <random>

#include "calibration/touch_point.h"
#include "device/report.h"

// A simulated touch frame for checking calibrations end to end: how a frame mounted with some error reports
// touches, the touches a calibration run would collect from it, and the correction the frame applies once it has
// decoded an upload. Everything is in calibration units (1/4096 of the screen) unless a name says pixels.

namespace simulation {

/// A projective map of calibration units.
struct Homography {
    double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    TouchPoint map(TouchPoint point) const;
};

/// How a frame sits on its screen, all taken about the screen's centre: rotation in degrees, scale per axis,
/// shear (x grows by shear × y), offset in units, and keystone: the projective divisor grows by keystoneX (and
/// keystoneY) from the centre to the right (bottom) edge.
struct Mounting {
    double rotationDegrees = 0;
    double scaleX = 1;
    double scaleY = 1;
    double shear = 0;
    double offsetX = 0;
    double offsetY = 0;
    double keystoneX = 0;
    double keystoneY = 0;
};

/// Where the frame reports a touch at each true position.
Homography frameMapping(const Mounting &mounting);

/// A random mounting of a real frame: up to 4 degrees of rotation, 8% of scale per axis, 0.04 of shear and 150 units
/// of offset (70 px across, 40 px down on 1920 × 1080), up to @p maxKeystone of keystone on each axis (0.03: 3%),
/// turned by @p orientation % 4 quarter turns and, from 4 on, mirrored.
Mounting randomMounting(std::mt19937 &random, double maxKeystone, int orientation = 0);

/// The touch table of a run whose corner touches are exactly where the frame reports the corner targets' reference
/// positions, kept as the window keeps them: truncated to whole units.
TouchPointTable cornerTouchesAtReferences(const Homography &frame, int targetCount);

/// The touch table of a run through the target window on a @p screen: each target is touched at its pixel, the
/// frame reports that spot, Gaussian noise of @p noisePixels (standard deviation per axis) is added, the window
/// receives whole pixels and stores whole units.
TouchPointTable touchesThroughWindow(const Homography &frame, int targetCount, QSize screen, double noisePixels,
                                     std::mt19937 &random);

/// A correction as the frame applies it, decoded from the bytes of an upload report.
struct Correction {
    double coefficients[8] = {1, 0, 0, 0, 1, 0, 0, 0};  ///< a..h; the affine format leaves g = h = 0
    TouchPoint apply(TouchPoint raw) const;
};

/// Decodes a projective (0x61) or affine (0x66) upload the way the frame reads it; none for any other report.
std::optional<Correction> decodeUpload(const device::Report &report);

/// Screen point (column, row) of a grid of @p columns × @p rows cell centres on @p screen, in pixels.
QPointF gridPoint(QSize screen, int columns, int rows, int column, int row);

struct ErrorStats {
    double mean = 0;   ///< pixels
    double worst = 0;  ///< pixels
};

/// Distance in pixels between each grid point and where the frame reports it after @p correction.
ErrorStats correctedError(const Correction &correction, const Homography &frame, QSize screen, int columns = 32,
                          int rows = 18);

}  // namespace simulation
