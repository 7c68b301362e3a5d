#pragma once

#include <QByteArray>
#include <QList>
#include <QPoint>
#include <QSize>

#include <array>

// What the frame must receive for a calibration, worked out here from the clicked positions alone, without the
// program's own code: the touch the target window stores, the correction through the four corners, and its
// fixed-point upload report.

/// The touch stored for a tap at window pixel @p pixel of a target window of @p size: (pixel × 4096) / size on
/// each axis, truncated.
QPoint calibrationUnits(QPoint pixel, QSize size);

/// Corner touches in calibration units: top-left, top-right, bottom-right, bottom-left.
using CornerTouches = std::array<QPoint, 4>;

struct ExpectedUpload {
    QByteArray bytes;      ///< the 63 bytes handed to hid_write
    QList<qint64> fields;  ///< the integer fields, a.. in report order
    /// False when a scaled coefficient lies so close to a non-zero integer that a rounding difference in the last
    /// bits could truncate it either way: the test's clicks must then be changed.
    bool clear = true;
};

/// The projective upload (0x61) with report id @p reportId: the eight coefficients that map the corner touches
/// onto the corner targets at 0.15 and 0.85 of 4096 (single-precision constants, matrix products in single
/// precision as the frame's format prescribes), solved here in extended precision.
ExpectedUpload expectedProjectiveUpload(quint8 reportId, const CornerTouches &corners);

/// How far the correction that the projective upload @p bytes carries strays from the exact correction through
/// @p corners: the largest distance in pixels of a @p screen over a 25 × 25 grid of touches spanning 0..4095 on
/// both axes (the screen, for a frame mounted about upright).
double projectiveUploadDeviation(const QByteArray &bytes, const CornerTouches &corners, QSize screen);

/// The affine upload (0x66) with report id @p reportId: the least-squares affine fit of the corner touches to the
/// corner targets (double constants), solved here in extended precision.
ExpectedUpload expectedAffineUpload(quint8 reportId, const CornerTouches &corners);
