#include "calibration/fraction.h"

#include <cmath>

namespace calibration {

int truncatedProduct(int size, double fraction) {
    const double rounded = static_cast<double>(size) * fraction;
    // The error of the rounded product is itself a double, and fma gives it exactly. Only when rounding landed on
    // a whole number can truncating the rounded value differ from truncating the exact one.
    const double error = std::fma(static_cast<double>(size), fraction, -rounded);
    double whole = std::trunc(rounded);
    if (whole == rounded) {
        if (rounded > 0 && error < 0)
            whole -= 1;
        else if (rounded < 0 && error > 0)
            whole += 1;
        else if (rounded == 0 && error != 0)
            whole = 0;
    }
    return static_cast<int>(whole);
}

}  // namespace calibration
