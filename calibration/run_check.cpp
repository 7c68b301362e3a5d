#include "calibration/run_check.h"

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "calibration/affine.h"
#include "calibration/corners.h"
#include "calibration/projective.h"
#include "calibration/target_grid.h"
#include "device/report.h"

namespace calibration {
namespace {

// The check's texts are the target window's, which shows them.
struct Texts {
    Q_DECLARE_TR_FUNCTIONS(Dialog)
};

constexpr double units = 4096;
constexpr double centre = 2048;

// A screen that reports no size is taken for a 55 inch one, the smaller of the usual interactive displays: its
// pixels are the smaller, so the tolerance in pixels comes out the wider and a clean run is not called missed.
constexpr double assumedDiagonalMillimetres = 55 * 25.4;

struct Grid {
    QVector<QPoint> targets;  // pixels
    QSize screen;
    QSizeF pitch;  // millimetres per pixel
    CheckLimits limits;

    TouchPoint reference(int k) const {
        return {targets[k].x() * units / screen.width(), targets[k].y() * units / screen.height()};
    }
    TargetDeviation deviation(int k, TouchPoint corrected) const {
        const double dx = corrected.x * screen.width() / units - targets[k].x();
        const double dy = corrected.y * screen.height() / units - targets[k].y();
        return {k, std::hypot(dx, dy), std::hypot(dx * pitch.width(), dy * pitch.height())};
    }
};

TouchPoint apply(const std::array<double, 8> &c, TouchPoint raw) {
    const double divisor = c[6] * raw.x + c[7] * raw.y + 1;
    return {(c[0] * raw.x + c[1] * raw.y + c[2]) / divisor, (c[3] * raw.x + c[4] * raw.y + c[5]) / divisor};
}

// The run's correction model fitted to @p references and @p measured in the least-squares sense.
std::optional<std::array<double, 8>> fitModel(Format format, const std::vector<TouchPoint> &references,
                                              const std::vector<TouchPoint> &measured) {
    if (format == Format::Projective)
        return fitProjective(references.data(), measured.data(), references.size());
    const AffineCoefficients affine = fitAffine(references.data(), measured.data(), references.size());
    std::array<double, 8> coefficients{affine[0], affine[1], affine[2], affine[3], affine[4], affine[5], 0, 0};
    if (!std::all_of(coefficients.begin(), coefficients.end(), [](double c) { return std::isfinite(c); }))
        return std::nullopt;
    return coefficients;
}

// The corner that alone explains the inner targets' errors: with the model fitted to every other touch, each of
// them lies within the tolerance while the corner does not. None when no corner, or more than a corner, is amiss.
std::optional<TargetDeviation> missedCorner(const Grid &grid, const TouchPointTable &touches, Format format,
                                            const std::array<int, 4> &corners) {
    std::optional<TargetDeviation> found;
    double foundRest = grid.limits.missMillimetres;
    for (const int corner : corners) {
        std::vector<TouchPoint> references;
        std::vector<TouchPoint> measured;
        for (int k = 0; k < grid.targets.size(); ++k)
            if (k != corner) {
                references.push_back(grid.reference(k));
                measured.push_back(touches[std::size_t(k)]);
            }
        const auto fit = fitModel(format, references, measured);
        if (!fit)
            continue;
        double rest = 0;
        for (int k = 0; k < grid.targets.size(); ++k)
            if (k != corner)
                rest = std::max(rest, grid.deviation(k, apply(*fit, touches[std::size_t(k)])).millimetres);
        const TargetDeviation own = grid.deviation(corner, apply(*fit, touches[std::size_t(corner)]));
        if (rest <= foundRest && own.millimetres > grid.limits.missMillimetres) {
            found = own;
            foundRest = rest;
        }
    }
    return found;
}

void checkInnerTargets(RunCheck &check, const Grid &grid, const TouchPointTable &touches, Format format,
                       const std::array<double, 8> &correction, const std::array<int, 4> &corners) {
    QVector<TargetDeviation> beyond;
    for (int k = 0; k < grid.targets.size(); ++k) {
        if (std::find(corners.begin(), corners.end(), k) != corners.end())
            continue;
        const TargetDeviation deviation = grid.deviation(k, apply(correction, touches[std::size_t(k)]));
        if (!check.worstInner || deviation.millimetres > check.worstInner->millimetres)
            check.worstInner = deviation;
        if (deviation.millimetres > grid.limits.missMillimetres)
            beyond << deviation;
    }
    if (beyond.isEmpty()) {
        check.verdict = RunCheck::Verdict::Clean;
        return;
    }
    check.verdict = RunCheck::Verdict::TargetsMissed;
    // One inner target off is that target missed. Several at once are either several misses or one corner that bent
    // the correction for all of them: the corner is blamed only when it alone explains every one of them.
    const auto corner = beyond.size() > 1 ? missedCorner(grid, touches, format, corners) : std::nullopt;
    if (corner)
        check.missed = {*corner};
    else
        check.missed = beyond;
}

// The keystone of the frame's mapping (reference positions to touches): how much its divisor grows from the
// screen's centre to its edge.
double keystone(const std::array<double, 8> &mapping) {
    const double divisorAtCentre = mapping[6] * centre + mapping[7] * centre + 1;
    return centre * std::hypot(mapping[6], mapping[7]) / std::fabs(divisorAtCentre);
}

// How far the affine map through three corners departs from a frame's scale: the larger logarithm of its two
// singular values. A frame shows the screen at nearly its own size; three corners that include a missed one do not.
double departureFromScale(const std::array<double, 6> &affine) {
    const double a = affine[0], b = affine[1], d = affine[3], e = affine[4];
    const double sumOfSquares = a * a + b * b + d * d + e * e;
    const double determinant = std::fabs(a * e - b * d);
    const double root = std::sqrt(std::max(0.0, sumOfSquares * sumOfSquares - 4 * determinant * determinant));
    const double largest = std::sqrt((sumOfSquares + root) / 2);
    const double smallest = std::sqrt(std::max(0.0, (sumOfSquares - root) / 2));
    if (!(smallest > 0))
        return std::numeric_limits<double>::infinity();
    return std::max(std::fabs(std::log(largest)), std::fabs(std::log(smallest)));
}

// The corner of four whose other three corners look like a mounting while every other three do not.
std::optional<int> oddCorner(const Corners &touched, const Corners &references) {
    std::array<double, 4> departure{};
    for (std::size_t left = 0; left < 4; ++left) {
        std::vector<TouchPoint> to;
        std::vector<TouchPoint> from;
        for (std::size_t k = 0; k < 4; ++k)
            if (k != left) {
                to.push_back(touched[k]);
                from.push_back(references[k]);
            }
        departure[left] = departureFromScale(fitAffine(to.data(), from.data(), 3));
    }
    std::array<std::size_t, 4> order{0, 1, 2, 3};
    std::sort(order.begin(), order.end(), [&](std::size_t l, std::size_t r) { return departure[l] < departure[r]; });
    constexpr double clearlyBetter = 0.05;
    if (!(departure[order[1]] >= departure[order[0]] + clearlyBetter))
        return std::nullopt;
    return int(order[0]);
}

void checkCornerShape(RunCheck &check, const Grid &grid, const TouchPointTable &touches,
                      const std::array<int, 4> &corners) {
    const Corners references = referenceCorners();
    Corners touched;
    for (std::size_t k = 0; k < 4; ++k)
        touched[k] = touches[std::size_t(corners[k])];
    const auto mapping = fitProjective(touched.data(), references.data(), 4);
    if (!mapping || !(keystone(*mapping) > grid.limits.keystone))
        return;
    check.verdict = RunCheck::Verdict::CornersImplausible;
    const auto odd = oddCorner(touched, references);
    if (!odd)
        return;
    // What the other three corners say the odd one should have been: the parallelogram they span.
    const auto k = std::size_t(*odd);
    const TouchPoint &opposite = touched[(k + 2) % 4];
    const TouchPoint expected{touched[(k + 1) % 4].x + touched[(k + 3) % 4].x - opposite.x,
                              touched[(k + 1) % 4].y + touched[(k + 3) % 4].y - opposite.y};
    const int target = corners[k];
    const TouchPoint shifted{grid.reference(target).x + touched[k].x - expected.x,
                             grid.reference(target).y + touched[k].y - expected.y};
    check.missed = {grid.deviation(target, shifted)};
}

QString distanceText(const TargetDeviation &deviation, bool millimetres) {
    if (millimetres)
        return QStringLiteral("%1 mm").arg(deviation.millimetres, 0, 'f', 1);
    return Texts::tr("%1 像素").arg(std::lround(deviation.pixels));
}

}  // namespace

std::optional<QSizeF> millimetresPerPixel(QSize pixels, QSizeF physicalMillimetres) {
    if (pixels.isEmpty() || !(physicalMillimetres.width() > 0) || !(physicalMillimetres.height() > 0))
        return std::nullopt;
    return QSizeF(physicalMillimetres.width() / pixels.width(), physicalMillimetres.height() / pixels.height());
}

bool RunCheck::isMissed(int target) const {
    return std::any_of(missed.begin(), missed.end(), [target](const TargetDeviation &d) { return d.target == target; });
}

RunCheck checkRun(const TouchPointTable &touches, int targetCount, Format format,
                  const std::array<double, 8> &correction, QSize screen, std::optional<QSizeF> pitch,
                  const CheckLimits &limits) {
    RunCheck check;
    const auto corners = cornerIndices(targetCount);
    if (!corners || screen.isEmpty())
        return check;
    check.millimetresMeasured = pitch.has_value();
    const double assumed = assumedDiagonalMillimetres / std::hypot(screen.width(), screen.height());
    const Grid grid{targetPositions(targetCount, screen.width(), screen.height()), screen,
                    pitch.value_or(QSizeF(assumed, assumed)), limits};
    if (targetCount == 4)
        checkCornerShape(check, grid, touches, *corners);
    else
        checkInnerTargets(check, grid, touches, format, correction, *corners);
    return check;
}

RunCheck checkTouches(const TouchPointTable &touches, int targetCount, Format format, QSize screen,
                      std::optional<QSizeF> pitch) {
    double matrix[8][8];
    double vector[8];
    std::array<std::int32_t, 8> fields{};
    const auto upload = buildUpload(format, touches, targetCount, 0, matrix, vector, fields);
    if (!upload)
        return {};
    const auto correction = device::uploadedCoefficients(*upload);
    if (!correction)
        return {};
    return checkRun(touches, targetCount, format, *correction, screen, pitch);
}

QString checkLine(const RunCheck &check) {
    QStringList missed;
    for (const TargetDeviation &deviation : check.missed)
        missed << Texts::tr("第 %1 点 (偏离 %2)")
                      .arg(deviation.target + 1)
                      .arg(distanceText(deviation, check.millimetresMeasured));
    switch (check.verdict) {
        case RunCheck::Verdict::NotChecked:
            return {};
        case RunCheck::Verdict::Clean:
            return Texts::tr("内点最大偏差 %1").arg(distanceText(*check.worstInner, check.millimetresMeasured));
        case RunCheck::Verdict::TargetsMissed:
            return Texts::tr("可能未点准: %1, 建议不保存并重新校准").arg(missed.join(Texts::tr("、")));
        case RunCheck::Verdict::CornersImplausible:
            if (missed.isEmpty())
                return Texts::tr("四个角点围成的形状不像任何一种安装方式,可能有角点未点准, 建议不保存并重新校准");
            return Texts::tr("四个角点围成的形状不像任何一种安装方式,可能未点准: %1, 建议不保存并重新校准")
                .arg(missed.join(Texts::tr("、")));
    }
    return {};
}

}  // namespace calibration
