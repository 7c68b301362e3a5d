#include <QtTest>

#include <cmath>
#include <random>

#include "calibration/affine.h"
#include "calibration/corners.h"
#include "calibration/run_check.h"
#include "calibration/run_plan.h"
#include "calibration/target_grid.h"
#include "calibration/touch_sampler.h"
#include "support/frame_simulation.h"

using calibration::Format;
using Verdict = calibration::RunCheck::Verdict;

Q_DECLARE_METATYPE(calibration::Format)
Q_DECLARE_METATYPE(simulation::Mounting)
Q_DECLARE_METATYPE(calibration::RunCheck::Verdict)
Q_DECLARE_METATYPE(calibration::RunCheck)

// Round trip of a calibration: mount a simulated frame with some error, in any of the eight ways it can face the
// screen (quarter turns, mirrored or not), touch the four corner targets through it,
// run the computation and encoding, decode the upload as the frame does, and correct a 32 × 18 grid of points on a
// 1920 × 1080 screen with it.
//
// Two sources of error, each with its own bound (per axis, in calibration units unless stated):
//
// 1. The touches. The window keeps whole units, so each corner touch errs by less than 1 unit. An exact correction
//    of such touches, extrapolated from the corner targets (0.15 .. 0.85) to the screen's edge, spreads that error
//    by at most (1 + 0.15/0.7)^2 + (0.15/0.7)^2 ≈ 1.52, and by the correction's own scale (at most 1/0.92 for
//    these mountings), so less than 1.7 units: 0.8 px across and 0.45 px down. The test holds the double-precision
//    correction to 1 px.
//
// 2. The fixed-point fields. Each is truncated toward zero. Affine: |Δa|, |Δb| < 1/4096 and |Δc| < 1, so
//       |ΔX| < (|x| + |y|) / 4096 + 1                                  (at most 3 units, 1.4 px across)
//    Projective: |Δa|, |Δb|, |Δg|, |Δh| < 2^-20 and |Δc| < 2^-10. With N = a x + b y + c, D = g x + h y + 1 and
//    X = N / D, the decoded X' = N' / D' satisfies X' − X = (X (D − D') − (N − N')) / D', so
//       |ΔX| < (2^-20 (|x| + |y|) (1 + |X|) + 2^-10) / |D'|
//    The g and h steps dominate: at the far corner (x = y = X ≈ 4095) they allow up to 2^-20 · 8190 · 4096 ≈ 32
//    units, 15 px across and 8.4 px down. That is what truncating every field can promise; the affine format cannot
//    correct keystone at all. The projective upload keeps g and h at whole steps and fits a..f to them anew: what
//    a..f cannot absorb of a step is its curvature over the screen, 2^-20 · 4095² · (1/8 + 1/4) ≈ 6 units at most.
//    It must stay within that of the exact correction, and never further from it than truncating every field.

namespace {

const QSize screen(1920, 1080);
constexpr double mathBoundPixels = 1.0;
constexpr double uploadBoundUnits = 6.0;
constexpr int runs = 1000;

double projectiveFieldBound(const simulation::Correction &decoded, TouchPoint raw, double corrected) {
    const double step = std::ldexp(1.0, -20);
    const double divisor = decoded.coefficients[6] * raw.x + decoded.coefficients[7] * raw.y + 1;
    return (step * (std::fabs(raw.x) + std::fabs(raw.y)) * (1 + std::fabs(corrected)) + 1.0 / 1024) /
           std::fabs(divisor);
}

double affineFieldBound(TouchPoint raw) {
    return (std::fabs(raw.x) + std::fabs(raw.y)) / 4096 + 1;
}

// A 55 inch 1920 x 1080 screen: 0.63 mm per pixel.
const QSizeF pitch55(1217.7 / 1920, 684.9 / 1080);

// The touches of a run through @p frame with every target touched at its pixel, but @p missed, touched @p off away.
TouchPointTable touchedRun(const simulation::Homography &frame, int targets, int missed, QPoint off) {
    TouchPointTable table{};
    const QVector<QPoint> pixels = calibration::targetPositions(targets, screen.width(), screen.height());
    for (int k = 0; k < pixels.size(); ++k) {
        const QPoint aim = pixels[k] + (k == missed ? off : QPoint());
        const TouchPoint reported = frame.map({aim.x() * 4096.0 / screen.width(), aim.y() * 4096.0 / screen.height()});
        const QPoint received(int(std::lround(reported.x * screen.width() / 4096)),
                              int(std::lround(reported.y * screen.height() / 4096)));
        table[std::size_t(k)] = calibration::toCalibrationUnits(received, screen);
    }
    return table;
}

simulation::Mounting mounted(double degrees, bool mirrored, double keystoneX, double keystoneY) {
    simulation::Mounting mounting;
    mounting.rotationDegrees = degrees;
    mounting.scaleX = mirrored ? -1.04 : 1.04;
    mounting.scaleY = 0.95;
    mounting.shear = 0.02;
    mounting.offsetX = 90;
    mounting.offsetY = -60;
    mounting.keystoneX = keystoneX;
    mounting.keystoneY = keystoneY;
    return mounting;
}

struct Worst {
    double math = 0;        // pixels, double-precision correction
    double total = 0;       // pixels, decoded fixed point
    double fieldRatio = 0;  // largest deviation of every field truncated, as a fraction of its bound
    double truncated = 0;   // units from the exact correction: every field truncated
    double upload = 0;      // units from the exact correction: the upload
};

}  // namespace

class TestCalibrationRoundTrip : public QObject {
    Q_OBJECT

private:
    // One calibration through @p mounting in @p format; checks every grid point and returns the worst figures.
    static Worst roundTrip(const simulation::Mounting &mounting, Format format) {
        const simulation::Homography frame = simulation::frameMapping(mounting);
        const TouchPointTable touches = simulation::cornerTouchesAtReferences(frame, 4);
        double matrix[8][8];
        double vector[8];
        std::array<std::int32_t, 8> fixed{};
        const auto upload = calibration::buildUpload(format, touches, 4, 0, matrix, vector, fixed);
        Worst worst;
        if (!upload) {
            QTest::qFail("a realistic mounting was refused", __FILE__, __LINE__);
            return worst;
        }
        const auto decoded = simulation::decodeUpload(*upload);
        if (!decoded) {
            QTest::qFail("the upload could not be decoded", __FILE__, __LINE__);
            return worst;
        }
        simulation::Correction exact;
        simulation::Correction truncated = *decoded;  // the affine upload truncates every field
        if (format == Format::Projective) {
            std::copy(std::begin(vector), std::end(vector), exact.coefficients);
            truncated = *simulation::decodeUpload(device::projectiveUpload(*device::projectiveFixedPoint(vector)));
        } else {
            const auto affine = calibration::fitAffine(*calibration::cornerTouches(touches, 4));
            std::copy(affine.begin(), affine.end(), exact.coefficients);
            exact.coefficients[6] = exact.coefficients[7] = 0;
        }

        for (int row = 0; row < 18; ++row)
            for (int column = 0; column < 32; ++column) {
                const QPointF truth = simulation::gridPoint(screen, 32, 18, column, row);
                const TouchPoint trueUnits{truth.x() * 4096 / 1920, truth.y() * 4096 / 1080};
                const TouchPoint raw = frame.map(trueUnits);
                const TouchPoint ideal = exact.apply(raw);
                const TouchPoint actual = decoded->apply(raw);
                double boundX = format == Format::Projective ? projectiveFieldBound(truncated, raw, ideal.x)
                                                             : affineFieldBound(raw);
                double boundY = format == Format::Projective ? projectiveFieldBound(truncated, raw, ideal.y)
                                                             : affineFieldBound(raw);
                const double fieldX = std::fabs(truncated.apply(raw).x - ideal.x);
                const double fieldY = std::fabs(truncated.apply(raw).y - ideal.y);
                worst.fieldRatio = std::max({worst.fieldRatio, fieldX / boundX, fieldY / boundY});
                worst.truncated = std::max({worst.truncated, fieldX, fieldY});
                worst.upload = std::max({worst.upload, std::fabs(actual.x - ideal.x), std::fabs(actual.y - ideal.y)});

                const double mathX = std::fabs(ideal.x - trueUnits.x) * 1920 / 4096;
                const double mathY = std::fabs(ideal.y - trueUnits.y) * 1080 / 4096;
                worst.math = std::max({worst.math, mathX, mathY});

                const double totalX = std::fabs(actual.x - trueUnits.x) * 1920 / 4096;
                const double totalY = std::fabs(actual.y - trueUnits.y) * 1080 / 4096;
                worst.total = std::max({worst.total, totalX, totalY});
                if (format == Format::Projective)
                    boundX = boundY = uploadBoundUnits;
                const bool within = totalX <= mathBoundPixels + boundX * 1920 / 4096 &&
                                    totalY <= mathBoundPixels + boundY * 1080 / 4096;
                if (!within) {
                    QTest::qFail(qPrintable(QStringLiteral("point (%1, %2) corrected %3 / %4 px off")
                                                .arg(truth.x())
                                                .arg(truth.y())
                                                .arg(totalX)
                                                .arg(totalY)),
                                 __FILE__, __LINE__);
                    return worst;
                }
            }
        return worst;
    }

private slots:
    void randomMountings_data() {
        QTest::addColumn<Format>("format");
        QTest::addColumn<double>("maxKeystone");
        QTest::addColumn<int>("orientation");
        for (int orientation = 0; orientation < 8; ++orientation) {
            const int turns = orientation % 4;
            const char *mirrored = orientation >= 4 ? ", mirrored" : "";
            QTest::addRow("projective path, %d quarter turns%s", turns, mirrored)
                << Format::Projective << 0.0 << orientation;
            QTest::addRow("affine path, %d quarter turns%s", turns, mirrored) << Format::Affine << 0.0 << orientation;
            QTest::addRow("3 %% keystone, %d quarter turns%s", turns, mirrored)
                << Format::Projective << 0.03 << orientation;
        }
        QTest::newRow("8 % keystone") << Format::Projective << 0.08 << 0;
    }
    void randomMountings() {
        QFETCH(Format, format);
        QFETCH(double, maxKeystone);
        QFETCH(int, orientation);
        std::mt19937 random(std::uint32_t(11 + 10 * orientation + int(format) + int(100 * maxKeystone)));
        Worst worst;
        for (int run = 0; run < runs; ++run) {
            const Worst one = roundTrip(simulation::randomMounting(random, maxKeystone, orientation), format);
            if (QTest::currentTestFailed())
                return;
            QVERIFY2(one.upload <= one.truncated + 1e-9, "the upload strays further than truncating every field");
            worst.math = std::max(worst.math, one.math);
            worst.total = std::max(worst.total, one.total);
            worst.fieldRatio = std::max(worst.fieldRatio, one.fieldRatio);
            worst.upload = std::max(worst.upload, one.upload);
        }
        qInfo(
            "worst: %.3f px before encoding, %.3f px after; fixed-point error up to %.0f%% of its bound, upload %.2f "
            "units from the exact correction",
            worst.math, worst.total, 100 * worst.fieldRatio, worst.upload);
        QVERIFY(worst.math <= mathBoundPixels);
        QVERIFY(worst.fieldRatio < 1);
        QVERIFY(worst.upload <= uploadBoundUnits);
    }

    // The check before the save question: every mounting passes when touched right; a target missed is named, a
    // corner that bends the inner targets is named alone, and four corners no mounting gives are flagged.
    void checkOfARun_data() {
        QTest::addColumn<simulation::Mounting>("mounting");
        QTest::addColumn<int>("targets");
        QTest::addColumn<Format>("format");
        QTest::addColumn<int>("missed");
        QTest::addColumn<QPoint>("off");
        QTest::addColumn<Verdict>("verdict");
        const simulation::Mounting straight;
        const QPoint none;
        QTest::newRow("9 targets of a straight frame touched right are clean")
            << straight << 9 << Format::Projective << -1 << none << Verdict::Clean;
        QTest::newRow("20 targets of a frame upside down with keystone are clean")
            << mounted(181, false, 0.05, -0.04) << 20 << Format::Projective << -1 << none << Verdict::Clean;
        QTest::newRow("15 targets of a mirrored frame a quarter turn round, affine, are clean")
            << mounted(89, true, 0, 0) << 15 << Format::Affine << -1 << none << Verdict::Clean;
        QTest::newRow("the centre of 9 touched 300 px off is missed")
            << straight << 9 << Format::Projective << 4 << QPoint(300, 0) << Verdict::TargetsMissed;
        QTest::newRow("an inner target 20 px off on an upside-down affine frame is missed")
            << mounted(180, false, 0, 0) << 15 << Format::Affine << 7 << QPoint(0, 20) << Verdict::TargetsMissed;
        QTest::newRow("a corner 60 px off bends the inner targets but alone is named")
            << mounted(2, false, 0.02, 0.01) << 9 << Format::Projective << 0 << QPoint(-42, 42)
            << Verdict::TargetsMissed;
        QTest::newRow("4 corners of frames upside down, mirrored, turned, with 8 % keystone pass")
            << mounted(269, true, 0.08, -0.08) << 4 << Format::Projective << -1 << none << Verdict::NotChecked;
        QTest::newRow("a corner of 4 missed by 330 px makes the corners implausible and is named")
            << straight << 4 << Format::Projective << 3 << QPoint(-330, 0) << Verdict::CornersImplausible;
        QTest::newRow("the same on an affine frame")
            << mounted(90, false, 0, 0) << 4 << Format::Affine << 1 << QPoint(0, 330) << Verdict::CornersImplausible;
    }
    void checkOfARun() {
        QFETCH(simulation::Mounting, mounting);
        QFETCH(int, targets);
        QFETCH(Format, format);
        QFETCH(int, missed);
        QFETCH(QPoint, off);
        QFETCH(Verdict, verdict);
        const TouchPointTable touches = touchedRun(simulation::frameMapping(mounting), targets, missed, off);
        const calibration::RunCheck check = calibration::checkTouches(touches, targets, format, screen, pitch55);
        QCOMPARE(check.verdict, verdict);
        QVector<int> flagged;
        for (const auto &deviation : check.missed)
            flagged << deviation.target;
        QCOMPARE(flagged, missed >= 0 ? QVector<int>{missed} : QVector<int>{});  // the missed target alone
        if (verdict == Verdict::Clean)
            QVERIFY2(check.worstInner->millimetres < 2, qPrintable(QString::number(check.worstInner->millimetres)));
        if (missed >= 0 && verdict == Verdict::TargetsMissed) {
            const double offMillimetres = std::hypot(off.x() * pitch55.width(), off.y() * pitch55.height());
            QVERIFY(std::fabs(check.missed[0].millimetres - offMillimetres) < 0.25 * offMillimetres);
        }
    }

    void checkLines_data() {
        QTest::addColumn<calibration::RunCheck>("check");
        QTest::addColumn<QString>("line");
        calibration::RunCheck clean;
        clean.verdict = Verdict::Clean;
        clean.worstInner = calibration::TargetDeviation{4, 1.9, 1.2};
        clean.millimetresMeasured = true;
        QTest::newRow("a clean run gives its worst inner deviation") << clean << QStringLiteral("内点最大偏差 1.2 mm");
        clean.millimetresMeasured = false;
        QTest::newRow("in pixels on a screen of unknown size") << clean << QStringLiteral("内点最大偏差 2 像素");
        calibration::RunCheck missed;
        missed.verdict = Verdict::TargetsMissed;
        missed.millimetresMeasured = true;
        missed.missed = {{4, 19.5, 12.34}, {6, 24, 15}};
        QTest::newRow("missed targets are counted from 1, with their distance")
            << missed
            << QStringLiteral("可能未点准: 第 5 点 (偏离 12.3 mm)、第 7 点 (偏离 15.0 mm), 建议不保存并重新校准");
        calibration::RunCheck corners;
        corners.verdict = Verdict::CornersImplausible;
        QTest::newRow("implausible corners without one to name")
            << corners
            << QStringLiteral("四个角点围成的形状不像任何一种安装方式,可能有角点未点准, 建议不保存并重新校准");
        QTest::newRow("nothing checked, nothing said") << calibration::RunCheck{} << QString();
    }
    void checkLines() {
        QFETCH(calibration::RunCheck, check);
        QFETCH(QString, line);
        QCOMPARE(calibration::checkLine(check), line);
    }

    void exactMountingNeedsNoCorrection() {
        // A frame that reports every touch where it is: the upload is close to the identity.
        const auto frame = simulation::frameMapping({});
        const TouchPointTable touches = simulation::cornerTouchesAtReferences(frame, 20);
        double matrix[8][8];
        double vector[8];
        std::array<std::int32_t, 8> fixed{};
        const auto upload = calibration::buildUpload(Format::Projective, touches, 20, 0, matrix, vector, fixed);
        QVERIFY(upload);
        QVERIFY(*upload == device::projectiveUpload(*device::projectiveFixedPoint(vector)));  // nothing to gain
        const auto decoded = simulation::decodeUpload(*upload);
        QVERIFY(decoded);
        QVERIFY(simulation::correctedError(*decoded, frame, screen).worst < 1);
    }
};

QTEST_GUILESS_MAIN(TestCalibrationRoundTrip)
#include "test_calibration_round_trip.moc"
