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

        QTest::newRow("a frame mirrored left to right passes")
            << Corners{TouchPoint{high, low}, TouchPoint{low, low}, TouchPoint{low, high}, TouchPoint{high, high}}
            << CornerFault::None;
        QTest::newRow("a frame mirrored top to bottom passes")
            << Corners{TouchPoint{low, high}, TouchPoint{high, high}, TouchPoint{high, low}, TouchPoint{low, low}}
            << CornerFault::None;
        QTest::newRow("a frame a quarter turn round passes")
            << Corners{TouchPoint{high, low}, TouchPoint{high, high}, TouchPoint{low, high}, TouchPoint{low, low}}
            << CornerFault::None;
        QTest::newRow("a frame upside down passes")
            << Corners{TouchPoint{high, high}, TouchPoint{low, high}, TouchPoint{low, low}, TouchPoint{high, low}}
            << CornerFault::None;
        QTest::newRow("a frame offset by 300 px down passes") << mounted(0, 1, 0, 1137) << CornerFault::None;
        QTest::newRow("a frame reporting touches at twice their spread passes")
            << mounted(0, 2, 0, 0) << CornerFault::None;
        QTest::newRow("a frame reporting touches at a twelfth of their spread passes")
            << mounted(0, 1.0 / 12, 0, 0) << CornerFault::None;
        QTest::newRow("a corner 70 units off the line through two others passes")
            << moved(targets(), 2, 49.5 - 1433.6, 49.5 - 1433.6) << CornerFault::None;

        QTest::newRow("top-left and top-right touched in swapped order cross")
            << Corners{TouchPoint{high, low}, TouchPoint{low, low}, TouchPoint{high, high}, TouchPoint{low, high}}
            << CornerFault::Folded;
        QTest::newRow("bottom-right pulled inside the other three is folded")
            << moved(targets(), 2, -2200, -2200) << CornerFault::Folded;
        QTest::newRow("three corners on one line")
            << Corners{TouchPoint{low, low}, TouchPoint{high, low}, TouchPoint{2048, 2048}, TouchPoint{low, high}}
            << CornerFault::OnOneLine;
        QTest::newRow("a corner 60 units off the line through two others")
            << moved(targets(), 2, 42.4 - 1433.6, 42.4 - 1433.6) << CornerFault::OnOneLine;

        QTest::newRow("top corners 60 units apart are collapsed")
            << moved(targets(), 1, 60 - 2867.2, 0) << CornerFault::Collapsed;
        QTest::newRow("all corners on one spot are collapsed") << mounted(0, 0, 0, 0) << CornerFault::Collapsed;
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

    void everyMountingPasses() {
        // Any rotation, mirrored or not, half to twice the scale, half a screen of offset, plus 40 px of aim on
        // every touch on 1920 × 1080: all of it must calibrate.
        std::mt19937 random(20240601);
        std::uniform_real_distribution<double> unit(-1, 1);
        for (int run = 0; run < 20000; ++run) {
            Corners corners =
                mounted(180 * unit(random), std::exp2(unit(random)), 2048 * unit(random), 2048 * unit(random));
            const bool mirrored = run % 2;
            for (TouchPoint &corner : corners) {
                corner.x = (mirrored ? 4096 - corner.x : corner.x) + 85 * unit(random);
                corner.y += 151 * unit(random);
            }
            QCOMPARE(calibration::checkCorners(corners), CornerFault::None);
        }
    }
};

QTEST_GUILESS_MAIN(TestCornerCheck)
#include "test_corner_check.moc"
