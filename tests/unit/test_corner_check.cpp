#include <QtTest>

#include <cmath>
#include <random>

#include "calibration/corner_check.h"

using calibration::CornerFault;
using calibration::Corners;

Q_DECLARE_METATYPE(Corners)
Q_DECLARE_METATYPE(calibration::CornerFault)

namespace {

constexpr double low = 614.4;
constexpr double high = 3481.6;

Corners targets() {
    return {TouchPoint{low, low}, TouchPoint{high, low}, TouchPoint{high, high}, TouchPoint{low, high}};
}

Corners moved(Corners corners, int index, double dx, double dy) {
    corners[index].x += dx;
    corners[index].y += dy;
    return corners;
}

// What a frame mounted with the given error reports for each target, in calibration units (about 2.13 units per
// pixel across and 3.79 down on 1920 × 1080).
Corners mounted(double degrees, double scale, double offsetX, double offsetY) {
    const double angle = degrees * M_PI / 180;
    Corners result;
    const Corners t = targets();
    for (int k = 0; k < 4; ++k) {
        const double x = t[k].x - 2048;
        const double y = t[k].y - 2048;
        result[k] = {2048 + scale * (std::cos(angle) * x - std::sin(angle) * y) + offsetX,
                     2048 + scale * (std::sin(angle) * x + std::cos(angle) * y) + offsetY};
    }
    return result;
}

}  // namespace

class TestCornerCheck : public QObject {
    Q_OBJECT

private slots:
    void cornersAreChecked_data() {
        QTest::addColumn<Corners>("corners");
        QTest::addColumn<CornerFault>("fault");

        QTest::newRow("touches on the targets pass") << targets() << CornerFault::None;
        QTest::newRow("touches on the truncated target pixels pass")
            << Corners{TouchPoint{612, 610}, TouchPoint{3478, 610}, TouchPoint{3478, 3477}, TouchPoint{612, 3477}}
            << CornerFault::None;
        QTest::newRow("touches 40 px off in different directions pass")
            << moved(moved(moved(targets(), 0, 85, -150), 1, -85, 150), 2, 85, 150) << CornerFault::None;
        QTest::newRow("a frame 5 degrees, 10% and 100 px off passes")
            << mounted(5, 1.1, 213, -379) << CornerFault::None;
        QTest::newRow("a frame rotated -5 degrees and shrunk 10% passes")
            << mounted(-5, 0.9, -213, 379) << CornerFault::None;
        QTest::newRow("a touch 1024 units off on both axes passes")
            << moved(targets(), 2, -1024, -1024) << CornerFault::None;

        QTest::newRow("top-left right of top-right is out of order")
            << Corners{TouchPoint{high, low}, TouchPoint{low, low}, TouchPoint{low, high}, TouchPoint{high, high}}
            << CornerFault::WrongOrder;
        QTest::newRow("top row below the bottom row is out of order")
            << Corners{TouchPoint{low, high}, TouchPoint{high, high}, TouchPoint{high, low}, TouchPoint{low, low}}
            << CornerFault::WrongOrder;
        QTest::newRow("corners touched a quarter turn round are out of order")
            << Corners{TouchPoint{high, low}, TouchPoint{high, high}, TouchPoint{low, high}, TouchPoint{low, low}}
            << CornerFault::WrongOrder;
        QTest::newRow("top-left on top-right's height but right of it is out of order")
            << moved(targets(), 0, 2900, 0) << CornerFault::WrongOrder;

        QTest::newRow("bottom-right pulled inside the other three is folded")
            << moved(targets(), 2, -2200, -2200) << CornerFault::Folded;
        QTest::newRow("three corners on one line are folded")
            << Corners{TouchPoint{low, low}, TouchPoint{high, low}, TouchPoint{2048, 2048}, TouchPoint{low, high}}
            << CornerFault::Folded;

        QTest::newRow("top corners 900 units apart are collapsed")
            << moved(moved(targets(), 0, 1000, 0), 1, -1000, 0) << CornerFault::Collapsed;
        QTest::newRow("a frame reporting touches at half their spread is collapsed")
            << mounted(0, 0.45, 0, 0) << CornerFault::Collapsed;

        QTest::newRow("a touch 1025 units across from its target is too far")
            << moved(targets(), 1, 1025, 0) << CornerFault::FarFromTarget;
        QTest::newRow("a frame offset by 300 px down is too far")
            << mounted(0, 1, 0, 1137) << CornerFault::FarFromTarget;
        QTest::newRow("a frame reporting touches at twice their spread is too far")
            << mounted(0, 2, 0, 0) << CornerFault::FarFromTarget;
    }
    void cornersAreChecked() {
        QFETCH(Corners, corners);
        QFETCH(CornerFault, fault);
        QCOMPARE(calibration::checkCorners(corners), fault);
    }

    void nonFiniteTouchesNeverPass() {
        for (int corner = 0; corner < 4; ++corner)
            for (const double bad : {std::nan(""), double(INFINITY), -double(INFINITY)}) {
                QVERIFY(calibration::checkCorners(moved(targets(), corner, bad, 0)) != CornerFault::None);
                QVERIFY(calibration::checkCorners(moved(targets(), corner, 0, bad)) != CornerFault::None);
            }
    }

    void realisticallyMisalignedFramesAlwaysPass() {
        // Up to 5 degrees of rotation, 10% of scale either way and 100 px of offset on 1920 × 1080, plus 40 px of
        // aim on every touch: all of it must calibrate.
        std::mt19937 random(20240601);
        std::uniform_real_distribution<double> unit(-1, 1);
        for (int run = 0; run < 20000; ++run) {
            Corners corners = mounted(5 * unit(random), 1 + 0.1 * unit(random), 213 * unit(random), 379 * unit(random));
            for (TouchPoint &corner : corners) {
                corner.x += 85 * unit(random);
                corner.y += 151 * unit(random);
            }
            QCOMPARE(calibration::checkCorners(corners), CornerFault::None);
        }
    }
};

QTEST_GUILESS_MAIN(TestCornerCheck)
#include "test_corner_check.moc"
