// Accuracy of the whole calibration path on simulated frames. Each frame is mounted with a random error (rotation,
// scale, shear, offset, and for the keystone rows a projective tilt of up to the given share on each axis), every
// target is touched through the target window with Gaussian aim noise, the run is computed, encoded, decoded as the
// frame does, and a 32 × 18 grid of points on 1920 × 1080 is corrected. Prints mean and worst corrected error in
// pixels, side by side for:
//   exact      the projective solution of the four corners in double precision, before any fixed-point field;
//   truncated  that solution with every coefficient truncated to its field (the plain conversion);
//   uploaded   what the program uploads: the fields chosen for the smallest decoded error (projective_encoding.h);
//   affine     the affine upload of the same four corners, as a frame without projective support receives it;
//   5-point    for reference, an affine least-squares fit of five touches (the four corner targets and the centre,
//              touched through the same frame), in double precision, as common touch-calibration libraries do.
// A second table measures what the upload does not use: a projective fit over every target of a 9-, 15- or 20-point
// run against the exact four-corner solution of the same run.
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "calibration/affine.h"
#include "calibration/corners.h"
#include "calibration/projective.h"
#include "calibration/run_plan.h"
#include "calibration/target_grid.h"
#include "support/frame_simulation.h"

namespace {

constexpr int framesPerCell = 1000;
const QSize screen(1920, 1080);

struct Kind {
    const char *name;
    bool mounted;
    double maxKeystone;
};

const Kind kinds[] = {{"none", false, 0},
                      {"affine-type", true, 0},
                      {"keystone 3 %", true, 0.03},
                      {"keystone 5 %", true, 0.05},
                      {"keystone 8 %", true, 0.08}};

struct Figure {
    double mean = 0;
    double worst = 0;
    void add(const simulation::ErrorStats &stats) {
        mean += stats.mean;
        worst = std::max(worst, stats.worst);
    }
};

enum Column { Exact, Truncated, Uploaded, Affine, FivePoint, AllTargets, columns };

struct Cell {
    Figure figures[columns];
    int frames = 0;
    int refused = 0;
};

simulation::Correction correctionOf(const double *coefficients) {
    simulation::Correction correction;
    std::copy(coefficients, coefficients + 8, correction.coefficients);
    return correction;
}

// Where the targets of a @p targetCount grid are in calibration units, as the program takes its corner references:
// each fraction times 4096 (0.15 gives 614.4), read off the grid at a thousand times that size.
std::vector<TouchPoint> targetReferences(int targetCount) {
    constexpr int size = 4096 * 1000;
    std::vector<TouchPoint> references;
    for (const QPoint &target : calibration::targetPositions(targetCount, size, size))
        references.push_back({target.x() / 1000.0, target.y() / 1000.0});
    return references;
}

// The projective correction that fits every touch of the run to its target in the least-squares sense, through the
// same linear equations the four-corner solution states exactly.
std::optional<simulation::Correction> fitAllTargets(const TouchPointTable &touches, int targetCount) {
    const std::vector<TouchPoint> references = targetReferences(targetCount);
    const auto fit = calibration::fitProjective(references.data(), touches.data(), references.size());
    if (!fit)
        return std::nullopt;
    return correctionOf(fit->data());
}

simulation::Correction fivePointAffine(const simulation::Homography &mapping, double noise, std::mt19937 &random) {
    // The 9-point grid holds the four corner targets and the centre.
    const TouchPointTable touches = simulation::touchesThroughWindow(mapping, 9, screen, noise, random);
    const std::vector<TouchPoint> grid = targetReferences(9);
    const TouchPoint measured[5] = {touches[0], touches[2], touches[8], touches[6], touches[4]};
    const TouchPoint references[5] = {grid[0], grid[2], grid[8], grid[6], grid[4]};
    const auto affine = calibration::fitAffine(references, measured, 5);
    simulation::Correction correction;
    std::copy(affine.begin(), affine.end(), correction.coefficients);
    correction.coefficients[6] = correction.coefficients[7] = 0;
    return correction;
}

void printFigures(const Cell &cell, std::initializer_list<Column> shown) {
    for (const Column column : shown)
        std::printf(" %.2f / %.2f |", cell.figures[column].mean, cell.figures[column].worst);
}

// One run of @p targets touches through @p mapping with @p noise, its figures added to @p cell. The projective
// fields uploaded go to @p uploaded, those of truncating every field to @p truncated.
void measureRun(const simulation::Homography &mapping, int targets, double noise, std::mt19937 &random, Cell &cell,
                std::array<std::int32_t, 8> &uploaded, std::array<std::int32_t, 8> &truncated) {
    const TouchPointTable touches = simulation::touchesThroughWindow(mapping, targets, screen, noise, random);
    double matrix[8][8];
    double vector[8];
    const auto projective =
        calibration::buildUpload(calibration::Format::Projective, touches, targets, 0, matrix, vector, uploaded);
    const auto affine =
        calibration::buildUpload(calibration::Format::Affine, touches, targets, 0, matrix, vector, uploaded);
    const auto plain = device::projectiveFixedPoint(vector);
    const auto all = fitAllTargets(touches, targets);
    if (!projective || !affine || !plain || !all) {
        ++cell.refused;
        return;
    }
    truncated = *plain;
    const auto error = [&](const simulation::Correction &correction) {
        return simulation::correctedError(correction, mapping, screen);
    };
    cell.figures[Exact].add(error(correctionOf(vector)));
    cell.figures[Truncated].add(error(*simulation::decodeUpload(device::projectiveUpload(*plain))));
    cell.figures[Uploaded].add(error(*simulation::decodeUpload(*projective)));
    cell.figures[Affine].add(error(*simulation::decodeUpload(*affine)));
    cell.figures[FivePoint].add(error(fivePointAffine(mapping, noise, random)));
    cell.figures[AllTargets].add(error(*all));
    ++cell.frames;
}

Cell measure(const Kind &kind, double noise, int targets) {
    std::mt19937 random(1000 + targets * 10 + int(noise * 3) + int(kind.maxKeystone * 1000) + kind.mounted);
    Cell cell;
    std::array<std::int32_t, 8> uploaded{};
    std::array<std::int32_t, 8> truncated{};
    for (int frame = 0; frame < framesPerCell; ++frame) {
        const simulation::Mounting mounting =
            kind.mounted ? simulation::randomMounting(random, kind.maxKeystone) : simulation::Mounting{};
        measureRun(simulation::frameMapping(mounting), targets, noise, random, cell, uploaded, truncated);
    }
    for (Figure &figure : cell.figures)
        figure.mean /= std::max(cell.frames, 1);
    return cell;
}

// A frame with keystone and no other error, as over a projection screen, its four targets touched at their pixels.
void measureKeystoneAlone() {
    std::printf(
        "\nKeystone alone, four targets touched at their pixels without noise\n\n"
        "| keystone across / down | g, h truncated | g, h uploaded | (a) exact | (b) truncated | (c) uploaded "
        "|\n|---|---|---|---|---|---|\n");
    const std::pair<double, double> keystones[] = {
        {0.08, 0.05}, {0.08, -0.05}, {-0.08, 0.05}, {-0.08, -0.05}, {0.086, 0.052}};
    for (const auto &[across, down] : keystones) {
        simulation::Mounting mounting;
        mounting.keystoneX = across;
        mounting.keystoneY = down;
        std::mt19937 unused;
        Cell cell;
        std::array<std::int32_t, 8> uploaded{};
        std::array<std::int32_t, 8> truncated{};
        measureRun(simulation::frameMapping(mounting), 4, 0, unused, cell, uploaded, truncated);
        std::printf("| %+.1f %% / %+.1f %% | %d, %d | %d, %d |", 100 * across, 100 * down, truncated[6], truncated[7],
                    uploaded[6], uploaded[7]);
        printFigures(cell, {Exact, Truncated, Uploaded});
        std::printf("\n");
    }
}

}  // namespace

int main() {
    std::printf(
        "%d random frames per cell on 1920 × 1080; error = distance in px between a grid point and its "
        "corrected report, mean / worst\n\n",
        framesPerCell);
    std::printf(
        "| mounting | noise σ px | targets | (a) exact | (b) truncated | (c) uploaded | (d) affine upload | "
        "(e) 5-point affine |\n");
    std::printf("|---|---|---|---|---|---|---|---|\n");
    constexpr double noises[] = {0, 1, 2};
    constexpr int targetCounts[] = {4, 9, 15, 20};
    Cell pooled[3][4];  // by noise and target count, over every mounting
    for (const Kind &kind : kinds)
        for (int n = 0; n < 3; ++n)
            for (int t = 0; t < 4; ++t) {
                const Cell cell = measure(kind, noises[n], targetCounts[t]);
                std::printf("| %s | %.0f | %d |", kind.name, noises[n], targetCounts[t]);
                printFigures(cell, {Exact, Truncated, Uploaded, Affine, FivePoint});
                if (cell.refused)
                    std::printf(" refused %d", cell.refused);
                std::printf("\n");
                for (const Column column : {Exact, AllTargets}) {
                    Figure &figure = pooled[n][t].figures[column];
                    figure.mean += cell.figures[column].mean / double(std::size(kinds));
                    figure.worst = std::max(figure.worst, cell.figures[column].worst);
                }
            }

    std::printf(
        "\nA projective fit over every target instead of the four corners (exact coefficients; the upload does "
        "not use it), %d frames per row, all mountings\n\n",
        int(std::size(kinds)) * framesPerCell);
    std::printf("| noise σ px | targets | four corners | all targets |\n|---|---|---|---|\n");
    for (int n = 0; n < 3; ++n)
        for (int t = 1; t < 4; ++t) {
            std::printf("| %.0f | %d |", noises[n], targetCounts[t]);
            printFigures(pooled[n][t], {Exact, AllTargets});
            std::printf("\n");
        }
    measureKeystoneAlone();
    return 0;
}
