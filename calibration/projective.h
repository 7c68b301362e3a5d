#pragma once

#include <array>
#include <cstddef>
#include <optional>

#include "calibration/corners.h"

namespace calibration {

/// A reference corner as the projective computation holds it, in single precision.
struct SinglePrecisionPoint {
    float x = 0;
    float y = 0;
};

/// The reference corners (referenceCorners()) in corner order, rounded to single precision: 0.15 × 4096 and
/// 0.85 × 4096 become 614.4000244140625 and 3481.60009765625 exactly.
std::array<SinglePrecisionPoint, 4> projectiveReferences();

/// Fills the linear system of the projective correction X = (a x + b y + c) / (g x + h y + 1),
/// Y = (d x + e y + f) / (g x + h y + 1) that maps the measured @p corners onto the reference corners.
/// Each measured coordinate is truncated to an int first; rows 0..3 state the X equations, rows 4..7 the Y
/// equations, the columns stand for a..h. The coordinates must be finite and within the int range.
void fillProjectiveSystem(const Corners &corners, double (&matrix)[8][8], double (&vector)[8]);

/// The pivot of @p column: the row among column..7 with the greatest magnitude in that column. Ties keep the upper
/// row, so a row is only passed over for a strictly greater magnitude.
int pivotRow(const double (&matrix)[8][8], int column);

/// Solves matrix × solution = vector in place by Gaussian elimination with partial pivoting, then back
/// substitution (sums in increasing column order). On success @p vector holds the solution and @p matrix the
/// eliminated system. Stops and returns false at the first pivot that is exactly zero: the corners were
/// degenerate and @p vector then holds no solution.
bool solveInPlace(double (&matrix)[8][8], double (&vector)[8]);

/// The projective correction for the measured @p corners: fills @p matrix and @p vector and solves; on success
/// @p vector holds a, b, c, d, e, f, g, h. False when the system is singular or a coordinate is not finite or
/// beyond ±2^30 (then @p matrix and @p vector are left as they were).
bool solveProjective(const Corners &corners, double (&matrix)[8][8], double (&vector)[8]);

/// The projective correction a..h that maps @p measured onto @p references (@p count pairs, at least four) in the
/// least-squares sense of the same linear equations solveProjective states exactly for four corners. Coordinates
/// are used as they are, without truncation. None when the points do not determine a correction (fewer than four,
/// or degenerate).
std::optional<std::array<double, 8>> fitProjective(const TouchPoint *references, const TouchPoint *measured,
                                                   std::size_t count);

}  // namespace calibration
