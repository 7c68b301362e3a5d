#include <QtTest>

#include <cmath>
#include <random>

#include "calibration/affine.h"
#include "calibration/corners.h"
#include "calibration/run_plan.h"
#include "support/frame_simulation.h"

using calibration::Format;

Q_DECLARE_METATYPE(calibration::Format)

// Round trip of a calibration: mount a simulated frame with some error in any of its eight orientations (turned by
// quarter turns, mirrored or not), touch the four corner targets through it, run the computation and encoding,
// decode the upload as the frame does, and correct a 32 × 18 grid of points on a 1920 × 1080 screen, edges
// included, with it.
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
//    units, 15 px across and 8.4 px down. That is what the plain conversion of every coefficient can promise.
//
// 3. The upload. With g and h kept at whole steps and a..f fitted anew, what a..f cannot absorb of a step of g or
//    h is its curvature over the screen: up to 2^-20 · 4095² · (1/8 + 1/4) ≈ 6 units per axis against the exact
//    correction. The upload must stay within that, and never stray further than the plain conversion.

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

struct Worst {
    double math = 0;        // pixels, double-precision correction
    double total = 0;       // pixels, decoded fixed point
    double fieldRatio = 0;  // largest deviation of the plain conversion as a fraction of its bound
    double plain = 0;       // units, plain conversion against the exact correction (projective only)
    double upload = 0;      // units, upload against the exact correction

    void merge(const Worst &other) {
        math = std::max(math, other.math);
        total = std::max(total, other.total);
        fieldRatio = std::max(fieldRatio, other.fieldRatio);
        plain = std::max(plain, other.plain);
        upload = std::max(upload, other.upload);
    }
};

// The eight ways a frame can face its screen.
simulation::Mounting oriented(simulation::Mounting mounting, int orientation) {
    mounting.quarterTurns = orientation % 4;
    mounting.mirrored = orientation >= 4;
    return mounting;
}

// A grid point of the screen in pixels, the edges included.
QPointF screenPoint(int column, int row) {
    return {column * (screen.width() - 1) / 31.0, row * (screen.height() - 1) / 17.0};
}

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
        // What the plain conversion of every coefficient would have sent; the affine upload is one.
        simulation::Correction plain = *decoded;
        if (format == Format::Projective) {
            std::copy(std::begin(vector), std::end(vector), exact.coefficients);
            plain = *simulation::decodeUpload(device::projectiveUpload(*device::projectiveFixedPoint(vector)));
        } else {
            const auto affine = calibration::fitAffine(*calibration::cornerTouches(touches, 4));
            std::copy(affine.begin(), affine.end(), exact.coefficients);
            exact.coefficients[6] = exact.coefficients[7] = 0;
        }

        for (int row = 0; row < 18; ++row)
            for (int column = 0; column < 32; ++column) {
                const QPointF truth = screenPoint(column, row);
                const TouchPoint trueUnits{truth.x() * 4096 / 1920, truth.y() * 4096 / 1080};
                const TouchPoint raw = frame.map(trueUnits);
                const TouchPoint ideal = exact.apply(raw);
                const TouchPoint actual = decoded->apply(raw);
                const TouchPoint plainActual = plain.apply(raw);
                const double boundX =
                    format == Format::Projective ? projectiveFieldBound(plain, raw, ideal.x) : affineFieldBound(raw);
                const double boundY =
                    format == Format::Projective ? projectiveFieldBound(plain, raw, ideal.y) : affineFieldBound(raw);
                const double plainX = std::fabs(plainActual.x - ideal.x);
                const double plainY = std::fabs(plainActual.y - ideal.y);
                worst.fieldRatio = std::max({worst.fieldRatio, plainX / boundX, plainY / boundY});
                worst.plain = std::max({worst.plain, plainX, plainY});
                worst.upload = std::max({worst.upload, std::fabs(actual.x - ideal.x), std::fabs(actual.y - ideal.y)});

                const double mathX = std::fabs(ideal.x - trueUnits.x) * 1920 / 4096;
                const double mathY = std::fabs(ideal.y - trueUnits.y) * 1080 / 4096;
                worst.math = std::max({worst.math, mathX, mathY});

                const double totalX = std::fabs(actual.x - trueUnits.x) * 1920 / 4096;
                const double totalY = std::fabs(actual.y - trueUnits.y) * 1080 / 4096;
                worst.total = std::max({worst.total, totalX, totalY});
                const double uploadX = format == Format::Projective ? uploadBoundUnits : boundX;
                const double uploadY = format == Format::Projective ? uploadBoundUnits : boundY;
                const bool within = totalX <= mathBoundPixels + uploadX * 1920 / 4096 &&
                                    totalY <= mathBoundPixels + uploadY * 1080 / 4096;
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
    void everyOrientationRoundTrips_data() {
        QTest::addColumn<Format>("format");
        QTest::addColumn<double>("maxKeystone");
        QTest::addColumn<int>("orientation");
        const char *names[] = {
            "upright",  "a quarter turn",           "upside down",           "three quarter turns",
            "mirrored", "mirrored, a quarter turn", "mirrored, upside down", "mirrored, three quarters"};
        for (int orientation = 0; orientation < 8; ++orientation) {
            QTest::addRow("projective path, %s", names[orientation]) << Format::Projective << 0.0 << orientation;
            QTest::addRow("affine path, %s", names[orientation]) << Format::Affine << 0.0 << orientation;
            QTest::addRow("projective path, 3 %% keystone, %s", names[orientation])
                << Format::Projective << 0.03 << orientation;
        }
    }
    void everyOrientationRoundTrips() {
        QFETCH(Format, format);
        QFETCH(double, maxKeystone);
        QFETCH(int, orientation);
        std::mt19937 random(std::uint32_t(11 + 8 * orientation + (format == Format::Affine) + 2 * (maxKeystone > 0)));
        Worst worst;
        for (int run = 0; run < runs; ++run) {
            const Worst one = roundTrip(oriented(simulation::randomMounting(random, maxKeystone), orientation), format);
            if (QTest::currentTestFailed())
                return;
            // The upload is chosen over the plain conversion only for a gain: it is never further from the exact
            // correction.
            if (!(one.upload <= one.plain + 1e-9))
                QFAIL(qPrintable(
                    QStringLiteral("upload %1 units off, plain conversion %2").arg(one.upload).arg(one.plain)));
            worst.merge(one);
        }
        qInfo(
            "worst: %.3f px before encoding, %.3f px after; plain conversion %.2f units from the exact correction "
            "(%.0f%% of its bound), upload %.2f units",
            worst.math, worst.total, worst.plain, 100 * worst.fieldRatio, worst.upload);
        QVERIFY(worst.math <= mathBoundPixels);
        QVERIFY(worst.fieldRatio < 1);
        if (format == Format::Projective)
            QVERIFY(worst.upload <= uploadBoundUnits);
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
        const auto decoded = simulation::decodeUpload(*upload);
        QVERIFY(decoded);
        QVERIFY(simulation::correctedError(*decoded, frame, screen).worst < 1);
    }

    void strongKeystoneStaysWithinFourPixels_data() {
        QTest::addColumn<double>("keystoneX");
        QTest::addColumn<double>("keystoneY");
        QTest::newRow("8 % wider at the right, 5 % at the bottom") << 0.08 << 0.05;
        QTest::newRow("8 % wider at the right, 5 % at the top") << 0.08 << -0.05;
        QTest::newRow("8 % wider at the left, 5 % at the bottom") << -0.08 << 0.05;
        QTest::newRow("8 % wider at the left, 5 % at the top") << -0.08 << -0.05;
        QTest::newRow("8.6 % and 5.2 %, g and h fields -38 and -23") << 0.086 << 0.052;
    }
    void strongKeystoneStaysWithinFourPixels() {
        // A frame over a projection screen: the four targets touched at their pixels, as the window receives them.
        QFETCH(double, keystoneX);
        QFETCH(double, keystoneY);
        simulation::Mounting mounting;
        mounting.keystoneX = keystoneX;
        mounting.keystoneY = keystoneY;
        const auto frame = simulation::frameMapping(mounting);
        std::mt19937 unused;
        const TouchPointTable touches = simulation::touchesThroughWindow(frame, 4, screen, 0, unused);
        double matrix[8][8];
        double vector[8];
        std::array<std::int32_t, 8> fixed{};
        const auto upload = calibration::buildUpload(Format::Projective, touches, 4, 0, matrix, vector, fixed);
        QVERIFY(upload);
        const auto plain = device::projectiveUpload(*device::projectiveFixedPoint(vector));
        const double uploaded = simulation::correctedError(*simulation::decodeUpload(*upload), frame, screen).worst;
        const double converted = simulation::correctedError(*simulation::decodeUpload(plain), frame, screen).worst;
        qInfo("g, h fields %d, %d; worst %.2f px uploaded, %.2f px with every field truncated", fixed[6], fixed[7],
              uploaded, converted);
        QVERIFY(uploaded <= 4);
    }
};

QTEST_GUILESS_MAIN(TestCalibrationRoundTrip)
#include "test_calibration_round_trip.moc"
