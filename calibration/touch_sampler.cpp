#include "calibration/touch_sampler.h"

#include <cstdlib>

namespace calibration {

void startTouch(Samples &samples, int &sampleCount, QPoint position) {
    samples[0] = position;
    sampleCount = 1;
}

void addSample(Samples &samples, int &sampleCount, QPoint position) {
    if (sampleCount < 0 || sampleCount >= maxSamples)
        return;
    samples[static_cast<std::size_t>(sampleCount)] = position;
    ++sampleCount;
}

QPoint touchPosition(const Samples &samples, int sampleCount) {
    if (sampleCount < 2)
        return {0, 0};
    if (sampleCount == 2)
        return samples[0];
    int sumX = 0;
    int sumY = 0;
    for (int i = 1; i <= sampleCount - 2; ++i) {
        sumX += samples[static_cast<std::size_t>(i)].x();
        sumY += samples[static_cast<std::size_t>(i)].y();
    }
    const int inner = sampleCount - 2;
    return {sumX / inner, sumY / inner};
}

bool isRepeatedTouch(QPoint lastTouch, QPoint touch) {
    return std::abs(lastTouch.x() - touch.x()) <= repeatDistance &&
           std::abs(lastTouch.y() - touch.y()) <= repeatDistance;
}

void TouchSampler::press(QPoint position) {
    startTouch(samples, sampleCount, position);
}

void TouchSampler::move(QPoint position) {
    addSample(samples, sampleCount, position);
}

std::optional<QPoint> TouchSampler::release(QPoint position) {
    addSample(samples, sampleCount, position);
    const QPoint touch = touchPosition(samples, sampleCount);
    if (isRepeatedTouch(lastTouch, touch))
        return std::nullopt;
    lastTouch = touch;
    return touch;
}

TouchPoint toCalibrationUnits(QPoint touch, QSize window) {
    // The product is formed in 64 bits so that no window size can overflow it. The quotient is truncated on
    // purpose: touches are whole units, stored as doubles.
    const auto scaled = [](int pixels, int size) {
        if (size <= 0)
            return 0.0;
        const long long units = static_cast<long long>(pixels) * 4096 / size;
        return static_cast<double>(units);
    };
    return {scaled(touch.x(), window.width()), scaled(touch.y(), window.height())};
}

QPoint toDevicePixels(QPointF position, qreal ratio) {
    return (position * ratio).toPoint();
}

QSize toDevicePixels(QSize size, qreal ratio) {
    return {qRound(size.width() * ratio), qRound(size.height() * ratio)};
}

}  // namespace calibration
