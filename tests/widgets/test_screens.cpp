#include <QtTest>

#include "ui/screens.h"

Q_DECLARE_METATYPE(ScreenRect)

using Screens = QVector<ScreenRect>;

static const Screens sideBySide{{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};

class TestScreens : public QObject {
    Q_OBJECT

private slots:
    void screenListFollowsTheDesktop() {
        const Screens list = screenList();
        QCOMPARE(list.size(), 2);
        QCOMPARE(list[1].x, 1920);
        QCOMPARE(list[1].width, 1280);
        QCOMPARE(list[1].height, 1024);
    }

    void holding_data() {
        QTest::addColumn<QPoint>("corner");
        QTest::addColumn<int>("holding");
        QTest::addColumn<int>("next");
        QTest::newRow("inside the first screen") << QPoint(770, 278) << 0 << 1;
        QTest::newRow("inside the second screen wraps to the first") << QPoint(2000, 100) << 1 << 0;
        QTest::newRow("on the left edge of the first is held by none") << QPoint(0, 100) << -1 << 0;
        QTest::newRow("on the top edge is held by none") << QPoint(100, 0) << -1 << 0;
        QTest::newRow("on the shared edge belongs to neither") << QPoint(1920, 100) << -1 << 0;
        QTest::newRow("one pixel right of the shared edge is the second") << QPoint(1921, 1) << 1 << 0;
        QTest::newRow("on the right edge of the second is outside") << QPoint(3200, 10) << -1 << 0;
        QTest::newRow("below every screen") << QPoint(100, 1080) << -1 << 0;
        QTest::newRow("far off the desktop") << QPoint(-500, -500) << -1 << 0;
    }
    void holding() {
        QFETCH(QPoint, corner);
        QFETCH(int, holding);
        QFETCH(int, next);
        QCOMPARE(screens::indexHolding(sideBySide, corner), holding);
        QCOMPARE(screens::nextIndex(sideBySide, corner), next);
    }

    void singleScreenAlwaysNextIsItself() {
        const Screens one{{0, 0, 800, 600}};
        QCOMPARE(screens::nextIndex(one, QPoint(10, 10)), 0);
        QCOMPARE(screens::nextIndex(Screens{}, QPoint(10, 10)), 0);
    }

    void calibrationScreen_data() {
        QTest::addColumn<bool>("positionsKnown");
        QTest::addColumn<QPoint>("corner");
        QTest::addColumn<int>("windowScreen");
        QTest::addColumn<int>("selected");  // Return's choice, made while the window was on windowScreen 0
        QTest::addColumn<int>("expected");
        QTest::newRow("positions known: the screen holding the corner") << true << QPoint(2000, 100) << 0 << -1 << 1;
        QTest::newRow("positions known: a corner on an edge goes to the last") << true << QPoint(0, 0) << 0 << -1 << 1;
        QTest::newRow("positions known: the window's screen as reported is not asked")
            << true << QPoint(770, 212) << 1 << 1 << 0;
        // Wayland reports every window at its screen's top-left corner, which the strict rule would never hold.
        QTest::newRow("Wayland: the window's own screen, whatever its corner") << false << QPoint(0, 0) << 0 << -1 << 0;
        QTest::newRow("Wayland: the window on the second output") << false << QPoint(1920, 0) << 1 << -1 << 1;
        QTest::newRow("Wayland: Return's choice while the window stays") << false << QPoint(0, 0) << 0 << 1 << 1;
        QTest::newRow("Wayland: the window moved by hand wins over Return's choice")
            << false << QPoint(1920, 0) << 1 << 0 << 1;
        QTest::newRow("Wayland: a screen Qt cannot name gives the first") << false << QPoint(0, 0) << -1 << -1 << 0;
        QTest::newRow("Wayland: a choice of a screen that went away is dropped")
            << false << QPoint(0, 0) << 0 << 5 << 0;
    }
    void calibrationScreen() {
        QFETCH(bool, positionsKnown);
        QFETCH(QPoint, corner);
        QFETCH(int, windowScreen);
        QFETCH(int, selected);
        QFETCH(int, expected);
        const screens::Selection selection{selected, 0};
        QCOMPARE(screens::calibrationIndex(sideBySide, corner, positionsKnown, windowScreen, selection), expected);
    }

    void returnOnWaylandCyclesTheCalibrationScreen() {
        screens::Selection selection;
        QList<int> chosen;
        for (int i = 0; i < 3; ++i) {
            selection = screens::nextSelection(sideBySide, 0, selection);
            chosen << screens::calibrationIndex(sideBySide, {}, false, 0, selection);
        }
        QCOMPARE(chosen, (QList<int>{1, 0, 1}));
        // Moved by hand to the second output after choosing the first: Return goes on from the window's own screen.
        QCOMPARE(screens::nextSelection(sideBySide, 1, {0, 0}).screen, 0);
        QCOMPARE(screens::nextSelection(Screens{}, 0, {}).screen, -1);
        QVERIFY(!screens::windowPositionsKnown(QStringLiteral("wayland")));
        QVERIFY(!screens::windowPositionsKnown(QStringLiteral("wayland-egl")));
        QVERIFY(screens::windowPositionsKnown(QStringLiteral("xcb")));
    }

    void placement_data() {
        QTest::addColumn<ScreenRect>("screen");
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QPoint>("expected");
        // 0.382 x (1080 - 524) = 212.392 -> 212
        QTest::newRow("main window on 1920x1080")
            << ScreenRect{0, 0, 1920, 1080} << QSize(380, 524) << QPoint(770, 212);
        // the double nearest 0.382 lies above it, so 0.382 x 500 stays 191
        QTest::newRow("a whole product stays whole")
            << ScreenRect{0, 0, 1000, 1024} << QSize(380, 524) << QPoint(310, 191);
        QTest::newRow("second screen is offset by its origin")
            << ScreenRect{1920, 0, 1280, 1024} << QSize(380, 524) << QPoint(1920 + 450, 191);
        QTest::newRow("odd free width halves toward zero")
            << ScreenRect{0, 0, 801, 600} << QSize(380, 524) << QPoint(210, 29);
        QTest::newRow("window larger than the screen moves up and left, toward zero")
            << ScreenRect{0, 0, 300, 400} << QSize(381, 524) << QPoint(-40, -47);
    }
    void placement() {
        QFETCH(ScreenRect, screen);
        QFETCH(QSize, window);
        QFETCH(QPoint, expected);
        QCOMPARE(screens::placement(screen, window), expected);
    }
};

QTEST_MAIN(TestScreens)
#include "test_screens.moc"
