#include <QtTest>

#include "ui/resolution_watch.h"

using Layout = QVector<QRect>;

// The resolution watch driven tick by tick: each row is the desktop at successive polls and the polls that warn.
class TestResolutionWatch : public QObject {
    Q_OBJECT

private slots:
    void warnings_data() {
        QTest::addColumn<QVector<QSize>>("ticks");
        QTest::addColumn<QVector<int>>("warningTicks");
        QTest::newRow("first tick is silent whatever the size") << QVector<QSize>{{1280, 1024}} << QVector<int>{};
        QTest::newRow("first tick at 0 x 0 is silent too") << QVector<QSize>{{0, 0}, {0, 0}} << QVector<int>{};
        QTest::newRow("1920x1080 to 1280x1024 and back warns twice")
            << QVector<QSize>{{1920, 1080}, {1280, 1024}, {1280, 1024}, {1920, 1080}, {1920, 1080}}
            << QVector<int>{1, 3};
        QTest::newRow("width only warns") << QVector<QSize>{{1920, 1080}, {1600, 1080}} << QVector<int>{1};
        QTest::newRow("height only warns") << QVector<QSize>{{1920, 1080}, {1920, 1200}} << QVector<int>{1};
        QTest::newRow("swapped width and height warns")
            << QVector<QSize>{{1920, 1080}, {1080, 1920}} << QVector<int>{1};
        QTest::newRow("each change once, however long it lasts")
            << QVector<QSize>{{800, 600}, {1024, 768}, {1024, 768}, {1024, 768}, {1280, 720}} << QVector<int>{1, 4};
    }
    void warnings() {
        QFETCH(QVector<QSize>, ticks);
        QFETCH(QVector<int>, warningTicks);
        ResolutionWatch watch;
        QVector<int> warned;
        for (int i = 0; i < ticks.size(); ++i)
            if (watch.changedAt(ticks[i]))
                warned << i;
        QCOMPARE(warned, warningTicks);
    }

    void desktopIsTheBoundingRectangleOfAllScreens_data() {
        QTest::addColumn<Layout>("screens");
        QTest::addColumn<QSize>("size");
        QTest::newRow("one screen") << Layout{{0, 0, 1920, 1080}} << QSize(1920, 1080);
        QTest::newRow("second screen to the right")
            << Layout{{0, 0, 1920, 1080}, {1920, 0, 1920, 1080}} << QSize(3840, 1080);
        QTest::newRow("second screen to the left")
            << Layout{{0, 0, 1920, 1080}, {-1920, 0, 1920, 1080}} << QSize(3840, 1080);
        QTest::newRow("second screen below") << Layout{{0, 0, 1920, 1080}, {0, 1080, 1920, 1080}} << QSize(1920, 2160);
        QTest::newRow("smaller screen lower right, gap included")
            << Layout{{0, 0, 1920, 1080}, {1920, 500, 1280, 1024}} << QSize(3200, 1524);
        QTest::newRow("no screen") << Layout{} << QSize(0, 0);
    }
    void desktopIsTheBoundingRectangleOfAllScreens() {
        QFETCH(Layout, screens);
        QFETCH(QSize, size);
        QCOMPARE(resolution::desktopSize(screens), size);
    }

    void monitorsPluggedAndRearranged() {
        const QVector<Layout> layouts{
            {{0, 0, 1920, 1080}},
            {{0, 0, 1920, 1080}, {1920, 0, 1920, 1080}},   // plugged in: wider
            {{0, 0, 1920, 1080}, {-1920, 0, 1920, 1080}},  // moved to the other side: same bounding size
            {{1920, 0, 1920, 1080}, {0, 0, 1920, 1080}},   // screen order swapped: same bounding size
            {{0, 0, 1920, 1080}, {0, 1080, 1920, 1080}},   // stacked: taller and narrower
            {{0, 0, 1920, 1080}},                          // unplugged
        };
        ResolutionWatch watch;
        QVector<int> warned;
        for (int i = 0; i < layouts.size(); ++i)
            if (watch.changedAt(resolution::desktopSize(layouts[i])))
                warned << i;
        QCOMPARE(warned, (QVector<int>{1, 4, 5}));
    }
};

QTEST_GUILESS_MAIN(TestResolutionWatch)
#include "test_resolution_watch.moc"
