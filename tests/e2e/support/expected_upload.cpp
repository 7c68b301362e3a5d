#include "support/expected_upload.h"

#include <QPointF>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

namespace {

using Real = long double;

// Gaussian elimination with partial pivoting on an n x n system, in place; the solution ends in rhs.
template <int n>
void solve(Real (&matrix)[n][n], Real (&rhs)[n]) {
    for (int column = 0; column < n; ++column) {
        int pivot = column;
        for (int row = column + 1; row < n; ++row)
            if (std::fabs(matrix[row][column]) > std::fabs(matrix[pivot][column]))
                pivot = row;
        std::swap(matrix[column], matrix[pivot]);
        std::swap(rhs[column], rhs[pivot]);
        for (int row = column + 1; row < n; ++row) {
            const Real factor = matrix[row][column] / matrix[column][column];
            for (int k = column; k < n; ++k)
                matrix[row][k] -= factor * matrix[column][k];
            rhs[row] -= factor * rhs[column];
        }
    }
    for (int row = n - 1; row >= 0; --row) {
        Real value = rhs[row];
        for (int k = row + 1; k < n; ++k)
            value -= matrix[row][k] * rhs[k];
        rhs[row] = value / matrix[row][row];
    }
}

bool truncatesClearly(Real scaled) {
    const Real nearest = std::round(scaled);
    return nearest == 0 || std::fabs(scaled - nearest) > 1e-6L;
}

void appendLittleEndian(QByteArray &bytes, qint64 value, int size) {
    for (int i = 0; i < size; ++i)
        bytes += char(std::uint8_t(std::uint64_t(value) >> (8 * i)));
}

// id, 0x55, code, the fields, 0xFF, zeros up to the 63 bytes written.
ExpectedUpload upload(quint8 reportId, quint8 code, const QList<Real> &scaled, int fieldSize) {
    ExpectedUpload result;
    result.bytes = QByteArray(1, char(reportId)) + char(0x55) + char(code);
    for (const Real value : scaled) {
        const auto field = static_cast<qint64>(std::trunc(value));
        result.clear = result.clear && truncatesClearly(value);
        result.fields << field;
        appendLittleEndian(result.bytes, field, fieldSize);
    }
    result.bytes += char(0xFF);
    result.bytes += QByteArray(63 - result.bytes.size(), '\0');
    return result;
}

}  // namespace

QPoint calibrationUnits(QPoint pixel, QSize size) {
    return {pixel.x() * 4096 / size.width(), pixel.y() * 4096 / size.height()};
}

namespace {

// The projective correction a..h through the four corners, as the upload's format states the system.
std::array<Real, 8> exactProjective(const CornerTouches &corners) {
    const float low = 614.4f;
    const float high = 3481.6f;
    const float targetX[4] = {low, high, high, low};
    const float targetY[4] = {low, low, high, high};
    // Unknowns a..h of X = (a x + b y + c) / (g x + h y + 1), Y = (d x + e y + f) / (g x + h y + 1), written as
    // a x + b y + c - g X x - h X y = X; the products X x are single-precision products.
    Real matrix[8][8] = {};
    Real rhs[8] = {};
    for (int k = 0; k < 4; ++k) {
        const int x = corners[k].x();
        const int y = corners[k].y();
        const float X = targetX[k];
        const float Y = targetY[k];
        const Real xRow[8] = {Real(x), Real(y), 1, 0, 0, 0, Real(-X * float(x)), Real(-X * float(y))};
        const Real yRow[8] = {0, 0, 0, Real(x), Real(y), 1, Real(-Y * float(x)), Real(-Y * float(y))};
        for (int column = 0; column < 8; ++column) {
            matrix[k][column] = xRow[column];
            matrix[4 + k][column] = yRow[column];
        }
        rhs[k] = X;
        rhs[4 + k] = Y;
    }
    solve(matrix, rhs);
    return {rhs[0], rhs[1], rhs[2], rhs[3], rhs[4], rhs[5], rhs[6], rhs[7]};
}

// Translations c and f carry 10 fraction bits, the others 20.
const Real projectiveScales[8] = {1 << 20, 1 << 20, 1 << 10, 1 << 20, 1 << 20, 1 << 10, 1 << 20, 1 << 20};

}  // namespace

ExpectedUpload expectedProjectiveUpload(quint8 reportId, const CornerTouches &corners) {
    const std::array<Real, 8> exact = exactProjective(corners);
    QList<Real> scaled;
    for (int i = 0; i < 8; ++i)
        scaled << exact[i] * projectiveScales[i];
    return upload(reportId, 0x61, scaled, 4);
}

double projectiveUploadDeviation(const QByteArray &bytes, const CornerTouches &corners, QSize screen) {
    const std::array<Real, 8> exact = exactProjective(corners);
    Real decoded[8];
    for (std::ptrdiff_t i = 0; i < 8; ++i)
        decoded[i] = Real(qFromLittleEndian<qint32>(bytes.constData() + 3 + 4 * i)) / projectiveScales[i];
    const auto apply = [](const auto &c, Real x, Real y) {
        const Real divisor = c[6] * x + c[7] * y + 1;
        return QPointF(double((c[0] * x + c[1] * y + c[2]) / divisor), double((c[3] * x + c[4] * y + c[5]) / divisor));
    };
    double worst = 0;
    for (int i = 0; i <= 24; ++i)
        for (int j = 0; j <= 24; ++j) {
            const Real x = Real(4095) * i / 24;
            const Real y = Real(4095) * j / 24;
            const QPointF error = apply(decoded, x, y) - apply(exact, x, y);
            worst = std::max(worst, std::hypot(error.x() * screen.width() / 4096, error.y() * screen.height() / 4096));
        }
    return worst;
}

ExpectedUpload expectedAffineUpload(quint8 reportId, const CornerTouches &corners) {
    const double low = 614.4;
    const double high = 3481.6;
    const double targetX[4] = {low, high, high, low};
    const double targetY[4] = {low, low, high, high};
    // Least squares Z = p x + q y + r through the normal equations, once for Z = X and once for Z = Y.
    QList<Real> coefficients;
    for (const double *target : {targetX, targetY}) {
        Real normal[3][3] = {};
        Real rhs[3] = {};
        for (int k = 0; k < 4; ++k) {
            const Real row[3] = {Real(corners[k].x()), Real(corners[k].y()), 1};
            for (int i = 0; i < 3; ++i) {
                for (int j = 0; j < 3; ++j)
                    normal[i][j] += row[i] * row[j];
                rhs[i] += row[i] * Real(target[k]);
            }
        }
        solve(normal, rhs);
        coefficients << rhs[0] << rhs[1] << rhs[2];
    }
    // a, b, d, e carry 12 fraction bits; the translations c and f none.
    const Real scales[6] = {4096, 4096, 1, 4096, 4096, 1};
    QList<Real> scaled;
    for (int i = 0; i < 6; ++i)
        scaled << coefficients[i] * scales[i];
    return upload(reportId, 0x66, scaled, 2);
}
