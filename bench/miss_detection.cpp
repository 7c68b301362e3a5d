// How well the check of a finished run (calibration/run_check.h) tells a missed target from aim noise, on simulated
// frames. Each run: a frame mounted as the property model of tests/support/frame_simulation.h draws it (every
// orientation and mirror image, keystone up to 8 %), every target aimed at with Gaussian noise of the given standard
// deviation per axis, at most one target missed by the given distance in a random direction; the upload is built as
// the program builds it, decoded as the frame decodes it, and checked. Prints, per target count:
//   false alarms  clean runs whose check says a target looks missed (per run);
//   inner caught  runs with one inner target missed whose check draws that target as missed;
//   corner seen   runs with one corner missed whose check says something looks missed;
//   corner named  ... and draws that corner as missed.
// Screens: 1920 × 1080 and 3840 × 2160 at 55" and 86", pooled (each row is runsPerCell runs on each of the four).
// A table of other miss tolerances follows, for choosing missToleranceMillimetres, and one of keystone limits for
// largestMountingKeystone.
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "calibration/corners.h"
#include "calibration/run_check.h"
#include "calibration/run_plan.h"
#include "calibration/target_grid.h"
#include "calibration/touch_sampler.h"
#include "device/report.h"
#include "support/frame_simulation.h"

namespace {

constexpr int runsPerCell = 500;

struct Screen {
    QSize pixels;
    double inches;
    double pitch() const { return inches * 25.4 / std::hypot(pixels.width(), pixels.height()); }  // mm per px
};

const Screen screens[] = {{{1920, 1080}, 55}, {{1920, 1080}, 86}, {{3840, 2160}, 55}, {{3840, 2160}, 86}};
constexpr double noises[] = {0.5, 1, 2};      // mm
constexpr double misses[] = {5, 10, 20, 50};  // mm
constexpr double grossMisses[] = {100, 200};  // mm, for 4 targets
constexpr int targetCounts[] = {4, 9, 15, 20};

enum class Missed { None, Inner, Corner };

struct Run {
    int targetCount = 9;
    calibration::Format format = calibration::Format::Projective;
    double noiseMillimetres = 1;
    Missed missed = Missed::None;
    double missMillimetres = 0;
};

struct Outcome {
    bool flagged = false;  // the check says something looks missed
    bool named = false;    // ... and names the missed target
    bool refused = false;  // the corners were refused before any check (not counted)
};

simulation::Mounting mountingFor(std::mt19937 &random, calibration::Format format) {
    std::uniform_int_distribution<int> orientation(0, 7);
    std::uniform_int_distribution<int> keystoneKind(0, 3);
    constexpr double keystones[] = {0, 0.03, 0.05, 0.08};
    // A frame that takes only the affine upload is corrected for no keystone at all: such frames sit flat on their
    // screens, and the check is measured on those.
    const double keystone = format == calibration::Format::Affine ? 0 : keystones[keystoneKind(random)];
    return simulation::randomMounting(random, keystone, orientation(random));
}

// The touches of a run through the target window: each target aimed at with noise, @p missedTarget (or none) aimed
// @p missPixels away, the frame reports the spot, the window gets whole pixels and stores whole units.
TouchPointTable touchRun(const simulation::Homography &frame, int targetCount, QSize screen, double noisePixels,
                         int missedTarget, double missPixels, std::mt19937 &random) {
    std::normal_distribution<double> noise(0, noisePixels);
    std::uniform_real_distribution<double> angle(0, 2 * M_PI);
    TouchPointTable table{};
    const QVector<QPoint> targets = calibration::targetPositions(targetCount, screen.width(), screen.height());
    for (int k = 0; k < targets.size(); ++k) {
        QPointF aim(targets[k].x() + noise(random), targets[k].y() + noise(random));
        if (k == missedTarget) {
            const double direction = angle(random);
            aim += QPointF(std::cos(direction), std::sin(direction)) * missPixels;
        }
        const TouchPoint reported = frame.map({aim.x() * 4096 / screen.width(), aim.y() * 4096 / screen.height()});
        const QPoint received(int(std::lround(reported.x * screen.width() / 4096)),
                              int(std::lround(reported.y * screen.height() / 4096)));
        table[std::size_t(k)] = calibration::toCalibrationUnits(received, screen);
    }
    return table;
}

int pickTarget(const Run &run, std::mt19937 &random) {
    const auto corners = *calibration::cornerIndices(run.targetCount);
    if (run.missed == Missed::Corner)
        return corners[std::uniform_int_distribution<std::size_t>(0, 3)(random)];
    if (run.missed == Missed::None)
        return -1;
    std::vector<int> inner;
    for (int k = 0; k < run.targetCount; ++k)
        if (std::find(corners.begin(), corners.end(), k) == corners.end())
            inner.push_back(k);
    return inner[std::uniform_int_distribution<std::size_t>(0, inner.size() - 1)(random)];
}

Outcome simulate(const Run &run, const Screen &screen, const calibration::CheckLimits &limits, std::mt19937 &random) {
    const auto frame = simulation::frameMapping(mountingFor(random, run.format));
    const int missedTarget = pickTarget(run, random);
    const TouchPointTable touches =
        touchRun(frame, run.targetCount, screen.pixels, run.noiseMillimetres / screen.pitch(), missedTarget,
                 run.missMillimetres / screen.pitch(), random);
    double matrix[8][8];
    double vector[8];
    std::array<std::int32_t, 8> fields{};
    const auto upload = calibration::buildUpload(run.format, touches, run.targetCount, 0, matrix, vector, fields);
    Outcome outcome;
    if (!upload) {
        outcome.refused = true;
        return outcome;
    }
    const double pitch = screen.pitch();
    const calibration::RunCheck check =
        calibration::checkRun(touches, run.targetCount, run.format, *device::uploadedCoefficients(*upload),
                              screen.pixels, QSizeF(pitch, pitch), limits);
    outcome.flagged = check.looksMissed();
    outcome.named = missedTarget >= 0 && check.isMissed(missedTarget);
    return outcome;
}

struct Rate {
    int hits = 0;
    int runs = 0;
    int refused = 0;
    double percent() const { return runs ? 100.0 * hits / runs : 0; }
};

// Flagged (or, with @p named, named) runs among runsPerCell on each screen.
Rate measure(const Run &run, bool named, const calibration::CheckLimits &limits = {}) {
    std::mt19937 random(std::uint32_t(run.targetCount * 7919 + int(run.noiseMillimetres * 100) * 31 +
                                      int(run.missed) * 1009 + int(run.missMillimetres) * 17 + int(run.format) * 3));
    Rate rate;
    for (const Screen &screen : screens)
        for (int i = 0; i < runsPerCell; ++i) {
            const Outcome outcome = simulate(run, screen, limits, random);
            if (outcome.refused) {
                ++rate.refused;
                continue;
            }
            ++rate.runs;
            rate.hits += named ? outcome.named : outcome.flagged;
        }
    return rate;
}

void printRate(const Rate &rate) {
    std::printf(" %.1f |", rate.percent());
}

void detectionTable(calibration::Format format) {
    std::printf("\n%s upload, %d runs per cell (per screen %d); %% of runs\n\n",
                format == calibration::Format::Projective ? "Projective" : "Affine", runsPerCell * 4, runsPerCell);
    std::printf(
        "| targets | noise σ mm | false alarms | inner caught 5 / 10 / 20 / 50 mm | corner seen 5 / 10 / 20 / "
        "50 mm | corner named 5 / 10 / 20 / 50 mm |\n|---|---|---|---|---|---|\n");
    for (const int targets : targetCounts)
        for (const double noise : noises) {
            std::printf("| %d | %.1f |", targets, noise);
            printRate(measure({targets, format, noise, Missed::None, 0}, false));
            std::printf(" ");
            for (const double miss : misses)
                if (targets == 4)
                    std::printf("–%s", miss == misses[3] ? " |" : " / ");
                else
                    std::printf("%.1f%s", measure({targets, format, noise, Missed::Inner, miss}, true).percent(),
                                miss == misses[3] ? " |" : " / ");
            std::printf(" ");
            for (const bool named : {false, true}) {
                for (const double miss : misses)
                    std::printf("%.1f%s", measure({targets, format, noise, Missed::Corner, miss}, named).percent(),
                                miss == misses[3] ? " |" : " / ");
                std::printf(" ");
            }
            std::printf("\n");
        }
}

void toleranceTable() {
    std::printf(
        "\nMiss tolerances, projective upload, noise σ = 1 mm (and 2 mm): false alarms and inner misses of "
        "10 mm caught, %% of runs\n\n| tolerance mm | targets | false alarms 1 mm | caught 10 mm, 1 mm | "
        "false alarms 2 mm | caught 10 mm, 2 mm |\n|---|---|---|---|---|---|\n");
    for (const double tolerance : {4.0, 5.0, 6.0, 7.0, 8.0})
        for (const int targets : {9, 15, 20}) {
            calibration::CheckLimits limits;
            limits.missMillimetres = tolerance;
            std::printf("| %.0f | %d |", tolerance, targets);
            for (const double noise : {1.0, 2.0}) {
                printRate(measure({targets, calibration::Format::Projective, noise, Missed::None, 0}, false, limits));
                printRate(measure({targets, calibration::Format::Projective, noise, Missed::Inner, 10}, true, limits));
            }
            std::printf("\n");
        }
}

void keystoneTable() {
    std::printf(
        "\n4 targets, projective upload: keystone limits; false alarms per noise, corners missed by 50 / 100 / "
        "200 mm seen and named, %% of runs\n\n| keystone limit | false alarms 0.5 / 1 / 2 mm | seen 50 / 100 / "
        "200 mm (σ 1 mm) | named 50 / 100 / 200 mm (σ 1 mm) |\n|---|---|---|---|\n");
    for (const double keystone : {0.09, 0.10, 0.11, 0.12, 0.15}) {
        calibration::CheckLimits limits;
        limits.keystone = keystone;
        std::printf("| %.2f |", keystone);
        for (const double noise : noises)
            std::printf(" %.1f%s",
                        measure({4, calibration::Format::Projective, noise, Missed::None, 0}, false, limits).percent(),
                        noise == noises[2] ? " |" : " /");
        for (const bool named : {false, true})
            for (const double miss : {50.0, grossMisses[0], grossMisses[1]})
                std::printf(
                    " %.1f%s",
                    measure({4, calibration::Format::Projective, 1, Missed::Corner, miss}, named, limits).percent(),
                    miss == grossMisses[1] ? " |" : " /");
        std::printf("\n");
    }
}

}  // namespace

int main() {
    std::printf(
        "Check of a finished run: missed targets against aim noise (calibration/run_check.h: tolerance %.1f mm, "
        "keystone limit %.2f)\n",
        calibration::missToleranceMillimetres, calibration::largestMountingKeystone);
    detectionTable(calibration::Format::Projective);
    detectionTable(calibration::Format::Affine);
    toleranceTable();
    keystoneTable();
    return 0;
}
