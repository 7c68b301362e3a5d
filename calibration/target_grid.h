#pragma once

#include <QPoint>
#include <QVector>

namespace calibration {

/// Pixel positions of the targets of a grid of @p targetCount (4, 9, 15 or 20) on a window of @p width × @p height,
/// numbered row by row from the top, left to right. Each coordinate is the size times its fraction, truncated
/// toward zero. Empty for any other count.
///
///           0.15   0.325   0.5   0.675   0.85      (columns of 15 and 20; 4 uses 0.15/0.85, 9 adds 0.5)
///   0.15     0       1      2      3      4
///   0.38     5       6      7      8      9        (rows of 20; 4, 9 and 15 use 0.15/0.5/0.85 as needed)
///   0.61    10      11     12     13     14
///   0.85    15      16     17     18     19
QVector<QPoint> targetPositions(int targetCount, int width, int height);

}  // namespace calibration
