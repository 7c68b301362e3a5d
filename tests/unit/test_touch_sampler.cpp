#include <QtTest>

#include "calibration/target_grid.h"
#include "calibration/touch_sampler.h"

using calibration::Samples;

class TestTouchSampler : public QObject {
    Q_OBJECT

private:
    // Press at the first point, move through the inner ones, release at the last; returns the touch position.
    static QPoint touch(const QVector<QPoint> &path, int *countAfter = nullptr) {
        Samples samples{};
        int count = 0;
        calibration::startTouch(samples, count, path.first());
        for (int i = 1; i + 1 < path.size(); ++i)
            calibration::addSample(samples, count, path[i]);
        calibration::addSample(samples, count, path.last());
        if (countAfter)
            *countAfter = count;
        return calibration::touchPosition(samples, count);
    }

private slots:
    void touchPosition_data() {
        QTest::addColumn<QVector<QPoint>>("path");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("tap without move uses the press position")
            << QVector<QPoint>{{100, 200}, {900, 900}} << QPoint(100, 200);
        QTest::newRow("one move is the position, press and release ignored")
            << QVector<QPoint>{{0, 0}, {321, 654}, {1000, 1000}} << QPoint(321, 654);
        QTest::newRow("the mean of the moves truncates toward zero")
            << QVector<QPoint>{{0, 0}, {10, 11}, {11, 12}, {0, 0}} << QPoint(10, 11);
        QTest::newRow("negative sums truncate toward zero")
            << QVector<QPoint>{{0, 0}, {-10, -11}, {-11, -12}, {0, 0}} << QPoint(-10, -11);
        QVector<QPoint> longDrag{{5000, 5000}};
        for (int i = 1; i <= 150; ++i)
            longDrag.append(QPoint(i, 2 * i));
        longDrag.append(QPoint(7000, 7000));
        // Samples 1..98 of the buffer are moves 1..98; moves 99 on and the release are dropped.
        QTest::newRow("a long drag keeps 100 samples and averages samples 1 to 98")
            << longDrag << QPoint((98 * 99 / 2) / 98, (98 * 99) / 98);
    }
    void touchPosition() {
        QFETCH(QVector<QPoint>, path);
        QFETCH(QPoint, expected);
        int count = 0;
        QCOMPARE(touch(path, &count), expected);
        QCOMPARE(count, std::min<int>(path.size(), calibration::maxSamples));
    }

    void fewerThanTwoSamplesGiveTheOrigin() {
        Samples samples{};
        samples[0] = QPoint(500, 500);
        QCOMPARE(calibration::touchPosition(samples, 0), QPoint(0, 0));
        QCOMPARE(calibration::touchPosition(samples, 1), QPoint(0, 0));
    }

    void pressRestartsTheBuffer() {
        Samples samples{};
        int count = 0;
        calibration::startTouch(samples, count, QPoint(1, 1));
        for (int i = 0; i < 120; ++i)
            calibration::addSample(samples, count, QPoint(i, i));
        QCOMPARE(count, 100);
        calibration::startTouch(samples, count, QPoint(40, 50));
        QCOMPARE(count, 1);
        calibration::addSample(samples, count, QPoint(60, 70));
        QCOMPARE(calibration::touchPosition(samples, count), QPoint(40, 50));
    }

    void repeatedTouch_data() {
        QTest::addColumn<QPoint>("last");
        QTest::addColumn<QPoint>("touch");
        QTest::addColumn<bool>("repeated");
        QTest::newRow("same spot is a repeat") << QPoint(100, 100) << QPoint(100, 100) << true;
        QTest::newRow("15 px away on both axes is a repeat") << QPoint(100, 100) << QPoint(115, 85) << true;
        QTest::newRow("16 px across is a new touch") << QPoint(100, 100) << QPoint(116, 100) << false;
        QTest::newRow("16 px down is a new touch") << QPoint(100, 100) << QPoint(100, 84) << false;
        QTest::newRow("the start value never repeats a touch in the window")
            << QPoint(-200, -200) << QPoint(0, 0) << false;
    }
    void repeatedTouch() {
        QFETCH(QPoint, last);
        QFETCH(QPoint, touch);
        QFETCH(bool, repeated);
        QCOMPARE(calibration::isRepeatedTouch(last, touch), repeated);
    }

    void calibrationUnits_data() {
        QTest::addColumn<QPoint>("touch");
        QTest::addColumn<QSize>("window");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::newRow("the centre of 1920 x 1080 is 2048") << QPoint(960, 540) << QSize(1920, 1080) << 2048.0 << 2048.0;
        QTest::newRow("units truncate toward zero") << QPoint(287, 161) << QSize(1920, 1080) << 612.0 << 610.0;
        QTest::newRow("the far edge pixel stays below 4096")
            << QPoint(1919, 1079) << QSize(1920, 1080) << 4093.0 << 4092.0;
        QTest::newRow("an empty window gives zero") << QPoint(5, 5) << QSize(0, 0) << 0.0 << 0.0;
    }
    void calibrationUnits() {
        QFETCH(QPoint, touch);
        QFETCH(QSize, window);
        QFETCH(double, x);
        QFETCH(double, y);
        const TouchPoint point = calibration::toCalibrationUnits(touch, window);
        QCOMPARE(point.x, x);
        QCOMPARE(point.y, y);
    }

    // One spot of the screen, reported in the logical pixels of each scale, gives the units of scale 1.
    void sameSpotAtEveryScale_data() {
        QTest::addColumn<QPointF>("logical");
        QTest::addColumn<QSize>("logicalWindow");
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("an output at scale 2: half pixels") << QPointF(143.5, 80.5) << QSize(960, 540) << qreal(2);
        QTest::newRow("QT_SCALE_FACTOR=1.5: thirds") << QPointF(287 / 1.5, 161 / 1.5) << QSize(1280, 720) << 1.5;
    }
    void sameSpotAtEveryScale() {
        QFETCH(QPointF, logical);
        QFETCH(QSize, logicalWindow);
        QFETCH(qreal, ratio);
        const QPoint device = calibration::toDevicePixels(logical, ratio);
        QCOMPARE(device, QPoint(287, 161));
        const TouchPoint point =
            calibration::toCalibrationUnits(device, calibration::toDevicePixels(logicalWindow, ratio));
        QCOMPARE(point.x, 612.0);
        QCOMPARE(point.y, 610.0);
    }

    void targetGrid_data() {
        QTest::addColumn<int>("targets");
        QTest::addColumn<QVector<int>>("columns");
        QTest::addColumn<QVector<int>>("rows");
        QTest::newRow("4 targets") << 4 << QVector<int>{287, 1631} << QVector<int>{161, 917};
        QTest::newRow("9 targets") << 9 << QVector<int>{287, 960, 1631} << QVector<int>{161, 540, 917};
        QTest::newRow("15 targets") << 15 << QVector<int>{287, 624, 960, 1296, 1631} << QVector<int>{161, 540, 917};
        QTest::newRow("20 targets") << 20 << QVector<int>{287, 624, 960, 1296, 1631}
                                    << QVector<int>{161, 410, 658, 917};
    }
    void targetGrid() {
        QFETCH(int, targets);
        QFETCH(QVector<int>, columns);
        QFETCH(QVector<int>, rows);
        QVector<QPoint> expected;
        for (const int row : rows)
            for (const int column : columns)
                expected.append(QPoint(column, row));
        QCOMPARE(calibration::targetPositions(targets, 1920, 1080), expected);
    }

    void targetGridOfOtherCountsIsEmpty() {
        QVERIFY(calibration::targetPositions(5, 1920, 1080).isEmpty());
        QVERIFY(calibration::targetPositions(16, 1920, 1080).isEmpty());
    }

    void targetGridFollowsTheWindowSize() {
        const QVector<QPoint> small = calibration::targetPositions(4, 1280, 1024);
        // 1280 × 0.15 is 192 in decimal, but the double nearest 0.15 lies below it.
        QCOMPARE(small, (QVector<QPoint>{{191, 153}, {1087, 153}, {191, 870}, {1087, 870}}));
    }
};

QTEST_GUILESS_MAIN(TestTouchSampler)
#include "test_touch_sampler.moc"
