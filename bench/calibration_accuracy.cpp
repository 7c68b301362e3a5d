// Accuracy of the whole calibration path on simulated frames: each frame is mounted with a random error (rotation,
// scale, shear, offset, and for the keystone rows a projective tilt), every target is touched through the target
// window with Gaussian aim noise, the run is computed, encoded, decoded as the frame does, and a 32 × 18 grid of
// points on 1920 × 1080 is corrected. Prints mean and worst corrected error in pixels.
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <random>

#include "calibration/run_plan.h"
#include "support/frame_simulation.h"

namespace {

constexpr int framesPerCell = 1000;
const QSize screen(1920, 1080);

struct Cell {
    double mean = 0;
    double worst = 0;
    double unencodedWorst = 0;  // projective only: the solution before the fixed-point fields
    int refused = 0;
};

enum class Kind { Exact, AffineType, Keystone };

const char *name(Kind kind) {
    switch (kind) {
        case Kind::Exact:
            return "none";
        case Kind::AffineType:
            return "affine-type";
        case Kind::Keystone:
            return "keystone";
    }
    return "";
}

Cell measure(Kind kind, double noise, int targets, calibration::Format format) {
    std::mt19937 random(1000 + targets * 10 + int(noise * 3) + int(kind));
    Cell cell;
    int counted = 0;
    for (int frame = 0; frame < framesPerCell; ++frame) {
        const simulation::Mounting mounting =
            kind == Kind::Exact ? simulation::Mounting{} : simulation::randomMounting(random, kind == Kind::Keystone);
        const auto mapping = simulation::frameMapping(mounting);
        const TouchPointTable touches = simulation::touchesThroughWindow(mapping, targets, screen, noise, random);
        double matrix[8][8];
        double vector[8];
        std::array<std::int32_t, 8> fixed{};
        const auto upload = calibration::buildUpload(format, touches, targets, 0, matrix, vector, fixed);
        if (!upload) {
            ++cell.refused;
            continue;
        }
        const auto stats = simulation::correctedError(*simulation::decodeUpload(*upload), mapping, screen);
        if (format == calibration::Format::Projective) {
            simulation::Correction unencoded;
            std::copy(std::begin(vector), std::end(vector), unencoded.coefficients);
            cell.unencodedWorst =
                std::max(cell.unencodedWorst, simulation::correctedError(unencoded, mapping, screen).worst);
        }
        cell.mean += stats.mean;
        cell.worst = std::max(cell.worst, stats.worst);
        ++counted;
    }
    if (counted)
        cell.mean /= counted;
    return cell;
}

}  // namespace

int main() {
    std::printf("%d random frames per cell; error = distance in px between a grid point and its corrected report\n\n",
                framesPerCell);
    std::printf(
        "| mounting | noise σ px | targets | projective mean | projective worst | (unencoded worst) | affine mean | "
        "affine worst |\n");
    std::printf("|---|---|---|---|---|---|---|---|\n");
    for (const Kind kind : {Kind::Exact, Kind::AffineType, Kind::Keystone})
        for (const double noise : {0.0, 1.0, 2.0})
            for (const int targets : {4, 9, 15, 20}) {
                const Cell projective = measure(kind, noise, targets, calibration::Format::Projective);
                const Cell affine = measure(kind, noise, targets, calibration::Format::Affine);
                std::printf("| %s | %.0f | %d | %.2f | %.2f | (%.2f) | %.2f | %.2f |", name(kind), noise, targets,
                            projective.mean, projective.worst, projective.unencodedWorst, affine.mean, affine.worst);
                if (projective.refused || affine.refused)
                    std::printf(" refused %d / %d", projective.refused, affine.refused);
                std::printf("\n");
            }
    return 0;
}
