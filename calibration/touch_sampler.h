#pragma once

#include <QPoint>
#include <QPointF>
#include <QSize>

#include <array>
#include <optional>

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

/// Where a window's last accepted touch starts: off every screen, so that its first touch is always taken.
inline constexpr QPoint noTouchYet{-200, -200};

/// The sampling of one target window: the pointer positions of the touch under way and the last accepted touch.
/// A window keeps its own, so every run starts afresh: a run abandoned after its first touch must not make the
/// same target untouchable in the next.
struct TouchSampler {
    /// A press (or the second press of a double click) starts a new touch.
    void press(QPoint position);
    /// A move adds a sample while there is room; moves without a press are forgotten at the next press.
    void move(QPoint position);
    /// The release ends the touch: its position, which becomes the last accepted touch, or none when it repeats
    /// the last accepted touch (isRepeatedTouch).
    std::optional<QPoint> release(QPoint position);

    Samples samples{};
    int sampleCount = 0;
    QPoint lastTouch = noTouchYet;
};

/// @p touch in calibration units: (pixels × 4096) / window size on each axis, truncated toward zero.
TouchPoint toCalibrationUnits(QPoint touch, QSize window);

/// A pointer position given in a window's logical pixels (fractional where the desktop scales, an output at scale 2
/// or QT_SCALE_FACTOR) in its device pixels, the screen's own, for a window of device pixel ratio @p ratio. Touches
/// are measured there, so that one spot of the screen gives the same calibration units at every scale: rounding to
/// a logical pixel first would move it by up to half a logical pixel.
QPoint toDevicePixels(QPointF position, qreal ratio);

/// A window size in logical pixels as device pixels, for a window of device pixel ratio @p ratio.
QSize toDevicePixels(QSize size, qreal ratio);

}  // namespace calibration
