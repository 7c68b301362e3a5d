#include "calibration/projective.h"

#include <cmath>
#include <utility>

namespace calibration {

// The projective computation's constants are the nearest floats to the doubles: what the correction's bytes rest on.
static_assert(float(referenceLow) == 614.4000244140625f && float(referenceHigh) == 3481.60009765625f);

std::array<SinglePrecisionPoint, 4> projectiveReferences() {
    const Corners corners = referenceCorners();
    std::array<SinglePrecisionPoint, 4> references;
    for (std::size_t k = 0; k < corners.size(); ++k)
        references[k] = {float(corners[k].x), float(corners[k].y)};
    return references;
}

void fillProjectiveSystem(const Corners &corners, double (&matrix)[8][8], double (&vector)[8]) {
    const std::array<SinglePrecisionPoint, 4> references = projectiveReferences();
    for (int k = 0; k < 4; ++k) {
        const int x = static_cast<int>(corners[static_cast<std::size_t>(k)].x);
        const int y = static_cast<int>(corners[static_cast<std::size_t>(k)].y);
        const float X = references[static_cast<std::size_t>(k)].x;
        const float Y = references[static_cast<std::size_t>(k)].y;
        // The products of the reference constant and the integer coordinate are single-precision products,
        // widened to double only when stored.
        const double xRow[8] = {double(x), double(y), 1, 0, 0, 0, double(-X * float(x)), double(-X * float(y))};
        const double yRow[8] = {0, 0, 0, double(x), double(y), 1, double(-Y * float(x)), double(-Y * float(y))};
        for (int column = 0; column < 8; ++column) {
            matrix[k][column] = xRow[column];
            matrix[4 + k][column] = yRow[column];
        }
        vector[k] = X;
        vector[4 + k] = Y;
    }
}

int pivotRow(const double (&matrix)[8][8], int column) {
    int pivot = column;
    for (int row = column + 1; row < 8; ++row)
        if (std::fabs(matrix[row][column]) > std::fabs(matrix[pivot][column]))
            pivot = row;
    return pivot;
}

bool solveInPlace(double (&matrix)[8][8], double (&vector)[8]) {
    for (int i = 0; i < 7; ++i) {
        const int pivot = pivotRow(matrix, i);
        if (pivot != i) {
            std::swap(matrix[i], matrix[pivot]);
            std::swap(vector[i], vector[pivot]);
        }
        // A zero pivot means every remaining entry of the column is zero: dividing by it would spread infinities
        // and NaNs through the rest of the system.
        if (matrix[i][i] == 0.0)
            return false;
        for (int j = i + 1; j < 8; ++j) {
            const double factor = matrix[j][i] / matrix[i][i];
            for (int k = i; k < 8; ++k)
                matrix[j][k] -= factor * matrix[i][k];
            vector[j] -= factor * vector[i];
        }
    }
    if (matrix[7][7] == 0.0)
        return false;

    vector[7] = vector[7] / matrix[7][7];
    for (int i = 6; i >= 0; --i) {
        double sum = 0;
        for (int k = i + 1; k < 8; ++k)
            sum += matrix[i][k] * vector[k];
        vector[i] = (vector[i] - sum) / matrix[i][i];
    }
    return true;
}

bool solveProjective(const Corners &corners, double (&matrix)[8][8], double (&vector)[8]) {
    // Truncating a value outside the int range is undefined; such a touch cannot come from a screen anyway.
    constexpr double limit = 1 << 30;
    for (const TouchPoint &corner : corners)
        if (!(std::fabs(corner.x) < limit && std::fabs(corner.y) < limit))
            return false;
    fillProjectiveSystem(corners, matrix, vector);
    return solveInPlace(matrix, vector);
}

std::optional<std::array<double, 8>> fitProjective(const TouchPoint *references, const TouchPoint *measured,
                                                   std::size_t count) {
    if (count < 4)
        return std::nullopt;
    // In units of the whole screen, so that the normal equations' entries stay within a few orders of magnitude.
    constexpr double screen = 4096;
    double normal[8][8] = {};
    double rhs[8] = {};
    for (std::size_t k = 0; k < count; ++k) {
        const double x = measured[k].x / screen;
        const double y = measured[k].y / screen;
        const double X = references[k].x / screen;
        const double Y = references[k].y / screen;
        const double rows[2][8] = {{x, y, 1, 0, 0, 0, -X * x, -X * y}, {0, 0, 0, x, y, 1, -Y * x, -Y * y}};
        const double sides[2] = {X, Y};
        for (int r = 0; r < 2; ++r)
            for (int i = 0; i < 8; ++i) {
                for (int j = 0; j < 8; ++j)
                    normal[i][j] += rows[r][i] * rows[r][j];
                rhs[i] += rows[r][i] * sides[r];
            }
    }
    if (!solveInPlace(normal, rhs))
        return std::nullopt;
    const std::array<double, 8> coefficients{rhs[0], rhs[1],          rhs[2] * screen, rhs[3],
                                             rhs[4], rhs[5] * screen, rhs[6] / screen, rhs[7] / screen};
    for (const double coefficient : coefficients)
        if (!std::isfinite(coefficient))
            return std::nullopt;
    return coefficients;
}

}  // namespace calibration
