#pragma once

#include <QPoint>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <QVector>

#include <optional>

// The arithmetic of `orvessa-frame verify`: where its targets are, and how far each touch landed from its target.
// The targets avoid the calibration targets' 15 % / 85 % lines on purpose, so the check measures the correction
// between the points it was computed from, not at them.
//
//   5 targets            9 targets
//   0 . . . 1            0 . . 1 . . 2       rows and columns at 10 %, 50 %, 90 %
//   . . 2 . .            3 . . 4 . . 5
//   3 . . . 4            6 . . 7 . . 8

namespace frame_tool {

/// Pixel positions of @p count (5 or 9) targets on a screen of @p size, row by row from the top, each coordinate
/// the size times its fraction truncated toward zero, as the calibration targets are. Empty for other counts.
QVector<QPoint> verifyTargets(int count, QSize size);

/// One target and the touch taken for it, in screen pixels.
struct VerifyRow {
    QPoint target;
    QPoint touch;
    double errorPixels = 0;
    std::optional<double> errorMillimetres;  ///< without a physical screen size, none
};

struct VerifyResult {
    QVector<VerifyRow> rows;
    double meanPixels = 0;
    double worstPixels = 0;
    std::optional<double> meanMillimetres;
    std::optional<double> worstMillimetres;
    int worstIndex = -1;  ///< the row of the largest error (in millimetres when known)
    double limitMillimetres = 0;
    bool passed = false;  ///< the worst error is known in millimetres and does not exceed the limit
};

/// The errors of @p touches against @p targets (same length). @p millimetresPerPixel converts pixels to millimetres
/// on each axis; nullopt when the screen reports no physical size, and then the result cannot pass.
VerifyResult evaluateTouches(const QVector<QPoint> &targets, const QVector<QPoint> &touches,
                             std::optional<QSizeF> millimetresPerPixel, double limitMillimetres);

/// Millimetres per pixel of a screen of @p pixels showing @p physicalMillimetres; nullopt when either size is empty.
std::optional<QSizeF> millimetresPerPixel(QSize pixels, QSizeF physicalMillimetres);

/// The result as the table verify prints and draws: one row per target (position, touch, offsets, error in pixels
/// and millimetres), the mean, the worst, and a closing line that says passed or failed and why.
QString verifyTable(const VerifyResult &result);

}  // namespace frame_tool
