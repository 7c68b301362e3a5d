#pragma once

#include <QSize>
#include <QSizeF>
#include <QString>
#include <QVector>

#include <array>
#include <optional>

#include "calibration/run_plan.h"
#include "calibration/touch_point.h"

// The check of a finished run before the user is asked to save it. The upload is made from the four corner touches
// alone; the touches it does not use show whether it is right. Every inner touch of a 9, 15 or 20 target run is put
// through the correction exactly as the frame will apply it (the uploaded fields decoded), and its distance from its
// target tells a missed target from aim noise. A corner missed by the user bends the whole correction, so the inner
// targets near it seem off too: a correction fitted to every touch but one corner tells whether that corner alone
// explains them. A 4 target run has no touch to spare; its four corners are compared with the shapes real mountings
// give. The figures behind the tolerances are in bench/README.md (bench/miss_detection.cpp).

namespace calibration {

/// An inner target whose corrected touch lands farther than this from it looks missed. With an aim noise of 1 mm
/// (standard deviation per axis) a clean run passes in more than 99 % of runs, and a target missed by 10 mm or more
/// is caught in more than 99 %.
constexpr double missToleranceMillimetres = 6;

/// The largest keystone of a real mounting: the share by which the divisor of the frame's mapping grows from the
/// screen's centre to its edge, both axes together. Mountings reach 8 % on each axis (11.3 % together); four corners
/// beyond this cannot come from a frame on its screen, only from a missed corner.
constexpr double largestMountingKeystone = 0.12;

/// The limits a check applies; the defaults are the program's, others are for measuring them.
struct CheckLimits {
    double missMillimetres = missToleranceMillimetres;
    double keystone = largestMountingKeystone;
};

/// Millimetres per pixel on each axis of a screen of @p pixels showing @p physicalMillimetres; none when either size
/// is empty.
std::optional<QSizeF> millimetresPerPixel(QSize pixels, QSizeF physicalMillimetres);

/// How far one target's corrected touch lands from it.
struct TargetDeviation {
    int target = -1;  ///< index in the grid, row by row from the top
    double pixels = 0;
    double millimetres = 0;  ///< with the screen's own size, or as on a 55 inch screen when it reports none
};

struct RunCheck {
    enum class Verdict {
        NotChecked,          ///< a count without spare touches and corners within reach, or no correction to check
        Clean,               ///< every inner target within the tolerance
        TargetsMissed,       ///< the targets of `missed` look missed
        CornersImplausible,  ///< a 4 target run whose corners no mounting gives; `missed` names a corner when one
                             ///< stands out
    };
    Verdict verdict = Verdict::NotChecked;
    QVector<TargetDeviation> missed;            ///< the targets to draw as missed, in grid order
    std::optional<TargetDeviation> worstInner;  ///< the largest inner deviation, for 9, 15 and 20 targets
    bool millimetresMeasured = false;           ///< the screen reported its physical size

    bool looksMissed() const { return !missed.isEmpty() || verdict == Verdict::CornersImplausible; }
    bool isMissed(int target) const;
};

/// Checks the run of @p targetCount targets whose touches are @p touches (calibration units) on a screen of
/// @p screen pixels, against @p correction, the coefficients a..h the frame decodes from the upload (g = h = 0 for
/// the affine format, which also sets the model a corner is tested with). @p pitch converts pixels to millimetres;
/// none when the screen reports no physical size.
RunCheck checkRun(const TouchPointTable &touches, int targetCount, Format format,
                  const std::array<double, 8> &correction, QSize screen, std::optional<QSizeF> pitch,
                  const CheckLimits &limits = {});

/// The check of a run as it would be uploaded: the upload built from @p touches in @p format as the run builds it,
/// decoded as the frame decodes it, then checkRun. NotChecked when the run would refuse the upload (its corners
/// are refused before any check).
RunCheck checkTouches(const TouchPointTable &touches, int targetCount, Format format, QSize screen,
                      std::optional<QSizeF> pitch);

/// The line the target window and the saved run's message show for @p check: the worst inner deviation of a clean
/// run, or which targets look missed and by how much with the advice to calibrate again; empty when nothing was
/// checked. Translated in the context "Dialog".
QString checkLine(const RunCheck &check);

}  // namespace calibration
