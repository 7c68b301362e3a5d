#include "support/frame_simulation.h"

#include <QPointF>

#include <algorithm>
#include <cmath>

#include "calibration/corners.h"
#include "calibration/target_grid.h"
#include "calibration/touch_sampler.h"

namespace simulation {

namespace {

constexpr double centre = 2048;

Homography multiply(const Homography &left, const Homography &right) {
    Homography product;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            double sum = 0;
            for (int k = 0; k < 3; ++k)
                sum += left.m[i][k] * right.m[k][j];
            product.m[i][j] = sum;
        }
    return product;
}

Homography translation(double dx, double dy) {
    Homography shift;
    shift.m[0][2] = dx;
    shift.m[1][2] = dy;
    return shift;
}

TouchPoint toUnits(QPointF pixels, QSize screen) {
    return {pixels.x() * 4096 / screen.width(), pixels.y() * 4096 / screen.height()};
}

}  // namespace

TouchPoint Homography::map(TouchPoint point) const {
    const double w = m[2][0] * point.x + m[2][1] * point.y + m[2][2];
    return {(m[0][0] * point.x + m[0][1] * point.y + m[0][2]) / w,
            (m[1][0] * point.x + m[1][1] * point.y + m[1][2]) / w};
}

Homography frameMapping(const Mounting &mounting) {
    const double angle = mounting.rotationDegrees * M_PI / 180;
    Homography linear;
    linear.m[0][0] = mounting.scaleX * std::cos(angle);
    linear.m[0][1] = -mounting.scaleY * std::sin(angle) + mounting.shear;
    linear.m[1][0] = mounting.scaleX * std::sin(angle);
    linear.m[1][1] = mounting.scaleY * std::cos(angle);
    linear.m[0][2] = mounting.offsetX;
    linear.m[1][2] = mounting.offsetY;
    Homography keystone;
    keystone.m[2][0] = mounting.keystoneX / centre;
    keystone.m[2][1] = mounting.keystoneY / centre;
    return multiply(translation(centre, centre), multiply(keystone, multiply(linear, translation(-centre, -centre))));
}

Mounting randomMounting(std::mt19937 &random, double maxKeystone, int orientation) {
    std::uniform_real_distribution<double> unit(-1, 1);
    Mounting mounting;
    mounting.rotationDegrees = 4 * unit(random) + 90 * (orientation % 4);
    mounting.scaleX = (orientation < 4 ? 1 : -1) * (1 + 0.08 * unit(random));
    mounting.scaleY = 1 + 0.08 * unit(random);
    mounting.shear = 0.04 * unit(random);
    mounting.offsetX = 150 * unit(random);
    mounting.offsetY = 150 * unit(random);
    mounting.keystoneX = maxKeystone * unit(random);
    mounting.keystoneY = maxKeystone * unit(random);
    return mounting;
}

TouchPointTable cornerTouchesAtReferences(const Homography &frame, int targetCount) {
    TouchPointTable table{};
    const auto indices = calibration::cornerIndices(targetCount);
    const calibration::Corners references = calibration::referenceCorners();
    for (std::size_t k = 0; k < 4; ++k) {
        const TouchPoint reported = frame.map(references[k]);
        table[std::size_t((*indices)[k])] = {std::trunc(reported.x), std::trunc(reported.y)};
    }
    return table;
}

TouchPointTable touchesThroughWindow(const Homography &frame, int targetCount, QSize screen, double noisePixels,
                                     std::mt19937 &random) {
    std::normal_distribution<double> noise(0, noisePixels > 0 ? noisePixels : 1);
    TouchPointTable table{};
    const QVector<QPoint> targets = calibration::targetPositions(targetCount, screen.width(), screen.height());
    for (int k = 0; k < targets.size(); ++k) {
        const TouchPoint reported = frame.map(toUnits(QPointF(targets[k]), screen));
        double x = reported.x * screen.width() / 4096;
        double y = reported.y * screen.height() / 4096;
        if (noisePixels > 0) {
            x += noise(random);
            y += noise(random);
        }
        const QPoint received(int(std::lround(x)), int(std::lround(y)));
        table[std::size_t(k)] = calibration::toCalibrationUnits(received, screen);
    }
    return table;
}

TouchPoint Correction::apply(TouchPoint raw) const {
    const double *c = coefficients;
    const double divisor = c[6] * raw.x + c[7] * raw.y + 1;
    return {(c[0] * raw.x + c[1] * raw.y + c[2]) / divisor, (c[3] * raw.x + c[4] * raw.y + c[5]) / divisor};
}

std::optional<Correction> decodeUpload(const device::Report &report) {
    const auto coefficients = device::uploadedCoefficients(report);
    if (!coefficients)
        return std::nullopt;
    Correction correction;
    std::copy(coefficients->begin(), coefficients->end(), correction.coefficients);
    return correction;
}

QPointF gridPoint(QSize screen, int columns, int rows, int column, int row) {
    return {(column + 0.5) * screen.width() / columns, (row + 0.5) * screen.height() / rows};
}

ErrorStats correctedError(const Correction &correction, const Homography &frame, QSize screen, int columns, int rows) {
    ErrorStats stats;
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column) {
            const QPointF truth = gridPoint(screen, columns, rows, column, row);
            const TouchPoint corrected = correction.apply(frame.map(toUnits(truth, screen)));
            const double dx = corrected.x * screen.width() / 4096 - truth.x();
            const double dy = corrected.y * screen.height() / 4096 - truth.y();
            const double error = std::hypot(dx, dy);
            stats.mean += error;
            stats.worst = std::max(stats.worst, error);
        }
    stats.mean /= columns * rows;
    return stats;
}

}  // namespace simulation
