#pragma once

#include <QPoint>
#include <QSize>

#include <array>

#include "calibration/touch_point.h"

namespace calibration {

/// Most pointer positions one touch keeps; later ones are dropped.
constexpr int maxSamples = 100;

/// Pointer positions of the current touch in window pixels.
using Samples = std::array<QPoint, maxSamples>;

/// A press starts a new touch: the buffer holds only @p position.
void startTouch(Samples &samples, int &sampleCount, QPoint position);

/// A move or the release adds @p position while there is room; a full buffer drops it.
void addSample(Samples &samples, int &sampleCount, QPoint position);

/// Where the touch was: the mean of the samples between the first and the last (each axis summed as int and
/// divided with truncation toward zero), since a finger lands and lifts off less steadily than it rests. With only
/// press and release it is the press position; with fewer than two samples (0, 0).
QPoint touchPosition(const Samples &samples, int sampleCount);

/// Largest distance on each axis, in pixels, at which a touch counts as a repeat of the one before.
constexpr int repeatDistance = 15;

/// True when @p touch lies within repeatDistance of @p lastTouch on both axes: a bounce or an accidental double
/// tap on the same target, which must not be taken for the next target.
bool isRepeatedTouch(QPoint lastTouch, QPoint touch);

/// @p touch in calibration units: (pixels × 4096) / window size on each axis, truncated toward zero.
TouchPoint toCalibrationUnits(QPoint touch, QSize window);

}  // namespace calibration
