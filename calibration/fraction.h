#pragma once

namespace calibration {

/// Pixel position that is a fraction of a size: the exact product @p size × @p fraction, truncated toward zero.
/// The double nearest to 0.15 lies below 0.15, so 1920 × 0.15 gives 287 (a rounded double multiply gives 288).
/// Exact on every compiler, also where long double is double.
int truncatedProduct(int size, double fraction);

}  // namespace calibration
