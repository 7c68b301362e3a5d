#include "calibration/target_grid.h"

#include <vector>

#include "calibration/fraction.h"

namespace calibration {

namespace {

struct GridFractions {
    std::vector<double> columns;
    std::vector<double> rows;
};

GridFractions gridFractions(int targetCount) {
    switch (targetCount) {
        case 4:
            return {{0.15, 0.85}, {0.15, 0.85}};
        case 9:
            return {{0.15, 0.5, 0.85}, {0.15, 0.5, 0.85}};
        case 15:
            return {{0.15, 0.325, 0.5, 0.675, 0.85}, {0.15, 0.5, 0.85}};
        case 20:
            return {{0.15, 0.325, 0.5, 0.675, 0.85}, {0.15, 0.38, 0.61, 0.85}};
        default:
            return {};
    }
}

}  // namespace

QVector<QPoint> targetPositions(int targetCount, int width, int height) {
    const GridFractions grid = gridFractions(targetCount);
    QVector<QPoint> positions;
    positions.reserve(static_cast<int>(grid.columns.size() * grid.rows.size()));
    for (const double row : grid.rows)
        for (const double column : grid.columns)
            positions.append(QPoint(truncatedProduct(width, column), truncatedProduct(height, row)));
    return positions;
}

}  // namespace calibration
