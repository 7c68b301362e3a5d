#include "calibration/corners.h"

namespace calibration {

Corners referenceCorners() {
    return {TouchPoint{referenceLow, referenceLow}, TouchPoint{referenceHigh, referenceLow},
            TouchPoint{referenceHigh, referenceHigh}, TouchPoint{referenceLow, referenceHigh}};
}

std::optional<std::array<int, 4>> cornerIndices(int targetCount) {
    switch (targetCount) {
        case 4:
            return std::array<int, 4>{0, 1, 3, 2};
        case 9:
            return std::array<int, 4>{0, 2, 8, 6};
        case 15:
            return std::array<int, 4>{0, 4, 14, 10};
        case 20:
            return std::array<int, 4>{0, 4, 19, 15};
        default:
            return std::nullopt;
    }
}

std::optional<Corners> cornerTouches(const TouchPointTable &table, int targetCount) {
    const auto indices = cornerIndices(targetCount);
    if (!indices)
        return std::nullopt;
    Corners corners;
    for (std::size_t k = 0; k < corners.size(); ++k)
        corners[k] = table[static_cast<std::size_t>((*indices)[k])];
    return corners;
}

}  // namespace calibration
