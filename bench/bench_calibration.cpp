// Time of the computation behind one saved calibration: corner check, solve or fit, fixed point, report bytes.
#include <benchmark/benchmark.h>

#include <QVector>

#include "calibration/affine.h"
#include "calibration/corners.h"
#include "calibration/projective.h"
#include "calibration/run_plan.h"
#include "calibration/target_grid.h"
#include "calibration/touch_sampler.h"

namespace {

TouchPointTable slightlyOffTouches() {
    TouchPointTable table{};
    table[0] = {601, 627};
    table[1] = {3470, 598};
    table[3] = {3495, 3466};
    table[2] = {630, 3490};
    return table;
}

void projectiveSolve(benchmark::State &state) {
    const calibration::Corners corners = *calibration::cornerTouches(slightlyOffTouches(), 4);
    double matrix[8][8];
    double vector[8];
    for (auto _ : state) {
        benchmark::DoNotOptimize(calibration::solveProjective(corners, matrix, vector));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(projectiveSolve);

void affineFit(benchmark::State &state) {
    const calibration::Corners corners = *calibration::cornerTouches(slightlyOffTouches(), 4);
    for (auto _ : state)
        benchmark::DoNotOptimize(calibration::fitAffine(corners));
}
BENCHMARK(affineFit);

void solveAndEncode(benchmark::State &state) {
    const auto format = state.range(0) ? calibration::Format::Projective : calibration::Format::Affine;
    const TouchPointTable touches = slightlyOffTouches();
    double matrix[8][8];
    double vector[8];
    std::array<std::int32_t, 8> fixed{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(calibration::buildUpload(format, touches, 4, 0xA3, matrix, vector, fixed));
        benchmark::ClobberMemory();
    }
    state.SetLabel(state.range(0) ? "projective" : "affine");
}
BENCHMARK(solveAndEncode)->Arg(1)->Arg(0);

void touchOfHundredSamples(benchmark::State &state) {
    calibration::Samples samples{};
    for (auto _ : state) {
        int count = 0;
        calibration::startTouch(samples, count, QPoint(0, 0));
        for (int i = 0; i < 120; ++i)
            calibration::addSample(samples, count, QPoint(500 + i % 7, 400 + i % 5));
        benchmark::DoNotOptimize(calibration::touchPosition(samples, count));
    }
}
BENCHMARK(touchOfHundredSamples);

void targetGridOfTwenty(benchmark::State &state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(calibration::targetPositions(20, 1920, 1080));
}
BENCHMARK(targetGridOfTwenty);

}  // namespace
