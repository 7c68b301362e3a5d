#include <QtTest>

#include "platform/desktop_input.h"
#include "platform/touch_mapping.h"

// The arithmetic behind "where do the frame's touches go": X's transformation matrix against the region of the
// desktop it covers, that region named among the screens, and the judgement of a desktop's view.

using platform::Matrix3;
using platform::Orientation;
using platform::TouchMapping;
using Turn = Orientation::Turn;
using Screens = QVector<platform::DesktopScreen>;

Q_DECLARE_METATYPE(Matrix3)
Q_DECLARE_METATYPE(Orientation)
Q_DECLARE_METATYPE(Screens)

class TestTouchMapping : public QObject {
    Q_OBJECT

private slots:
    void coveredRegion_data() {
        QTest::addColumn<Matrix3>("matrix");
        QTest::addColumn<QSize>("desktop");
        QTest::addColumn<QRect>("region");  // empty: no region a screen layout gives
        QTest::addColumn<Orientation>("orientation");
        const QSize one(1920, 1080), two(3840, 1080), three(5760, 1080);
        const auto row = [](const char *name, const Matrix3 &matrix, QSize desktop, QRect region,
                            Orientation orientation = {}) {
            QTest::newRow(name) << matrix << desktop << region << orientation;
        };
        row("identity on one screen: all of it", platform::identityMatrix, one, {0, 0, 1920, 1080});
        row("right of two screens", {0.5, 0, 0.5, 0, 1, 0, 0, 0, 1}, two, {1920, 0, 1920, 1080});
        row("middle of three screens, as floats hold a third", {0.333333f, 0, 0.333333f, 0, 1, 0, 0, 0, 1}, three,
            {1920, 0, 1920, 1080});
        row("lower of two stacked screens of different sizes",
            {1280.0 / 1920, 0, 0, 0, 1024.0 / 2104, 1080.0 / 2104, 0, 0, 1}, {1920, 2104}, {0, 1080, 1280, 1024});
        row("left of two, the frame turned clockwise", {0, -0.5, 0.5, 1, 0, 0, 0, 0, 1}, two, {0, 0, 1920, 1080},
            {Turn::RotatedRight, false});
        row("upside down", {-1, 0, 1, 0, -1, 1, 0, 0, 1}, one, {0, 0, 1920, 1080}, {Turn::Inverted, false});
        row("right of two, mirrored", {-0.5, 0, 1, 0, 1, 0, 0, 0, 1}, two, {1920, 0, 1920, 1080}, {Turn::Normal, true});
        row("left of two, mirrored and turned anticlockwise", {0, 0.5, 0, 1, 0, 0, 0, 0, 1}, two, {0, 0, 1920, 1080},
            {Turn::RotatedLeft, true});
        row("the last entry scales everything", {1, 0, 0, 0, 1, 0, 0, 0, 2}, one, {0, 0, 960, 540});
        row("a perspective row is no screen", {1, 0, 0, 0, 1, 0, 0.1, 0, 1}, one, {});
        row("a shear is no screen", {1, 0.2, 0, 0, 1, 0, 0, 0, 1}, one, {});
        row("all zero is no screen", {}, one, {});
    }
    void coveredRegion() {
        QFETCH(Matrix3, matrix);
        QFETCH(QSize, desktop);
        QFETCH(QRect, region);
        QFETCH(Orientation, orientation);
        const auto covered = platform::coveredRegion(matrix, desktop);
        QCOMPARE(covered.has_value(), !region.isEmpty());
        if (!covered)
            return;
        QCOMPARE(covered->region, region);
        QVERIFY2(covered->orientation == orientation, qPrintable(platform::orientationText(covered->orientation)));
    }

    // Every turn, with and without the mirror, on the second and third of three screens: the matrix for a region
    // covers that region, turned as asked.
    void matrixCoversItsRegion_data() {
        QTest::addColumn<QRect>("region");
        QTest::addColumn<Orientation>("orientation");
        for (const QRect &region : {QRect(1920, 0, 1920, 1080), QRect(3840, 0, 1280, 1024)})
            for (const Turn turn : {Turn::Normal, Turn::RotatedRight, Turn::Inverted, Turn::RotatedLeft})
                for (const bool mirrored : {false, true}) {
                    const Orientation orientation{turn, mirrored};
                    const QString name = platform::orientationText(orientation);
                    QTest::addRow("%d,%d %s", region.x(), region.y(),
                                  qPrintable(name.isEmpty() ? QStringLiteral("normal") : name))
                        << region << orientation;
                }
    }
    void matrixCoversItsRegion() {
        QFETCH(QRect, region);
        QFETCH(Orientation, orientation);
        const QSize desktop(5120, 1080);
        const auto covered = platform::coveredRegion(platform::matrixCovering(region, desktop, orientation), desktop);
        QVERIFY(covered);
        QCOMPARE(covered->region, region);
        QVERIFY(covered->orientation == orientation);
    }

    void nameRegion_data() {
        QTest::addColumn<QRect>("region");
        QTest::addColumn<Screens>("screens");
        QTest::addColumn<QSize>("desktop");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("screen");
        QTest::addColumn<int>("count");
        const Screens one{{QStringLiteral("eDP-1"), {0, 0, 1920, 1080}}};
        const Screens twoSideBySide{{QStringLiteral("HDMI-1"), {0, 0, 1920, 1080}},
                                    {QStringLiteral("HDMI-2"), {1920, 0, 1920, 1080}}};
        const Screens three = twoSideBySide + Screens{{QStringLiteral("DP-1"), {3840, 0, 1920, 1080}}};
        using Kind = TouchMapping::Kind;
        const auto row = [](const char *name, QRect region, const Screens &screens, QSize desktop, Kind kind,
                            const char *screen = "", int count = 0) {
            QTest::newRow(name) << region << screens << desktop << int(kind) << QString::fromLatin1(screen) << count;
        };
        row("the one screen", {0, 0, 1920, 1080}, one, {1920, 1080}, Kind::Screen, "eDP-1");
        row("all of two screens: the whole desktop", {0, 0, 3840, 1080}, twoSideBySide, {3840, 1080},
            Kind::WholeDesktop, "", 2);
        row("all of three screens", {0, 0, 5760, 1080}, three, {5760, 1080}, Kind::WholeDesktop, "", 3);
        row("a pixel of rounding still names the screen", {1919, 0, 1921, 1081}, twoSideBySide, {3840, 1080},
            Kind::Screen, "HDMI-2");
        row("the root window around screens of different heights is the whole desktop", {0, 0, 3840, 1200},
            {{QStringLiteral("A"), {0, 0, 1920, 1080}}, {QStringLiteral("B"), {1920, 0, 1920, 1200}}}, {3840, 1200},
            Kind::WholeDesktop, "", 2);
        row("across the border of two screens", {960, 0, 1920, 1080}, twoSideBySide, {3840, 1080}, Kind::Elsewhere);
        row("two screens of three", {0, 0, 3840, 1080}, three, {5760, 1080}, Kind::Elsewhere);
    }
    void nameRegion() {
        QFETCH(QRect, region);
        QFETCH(Screens, screens);
        QFETCH(QSize, desktop);
        QFETCH(int, kind);
        QFETCH(QString, screen);
        QFETCH(int, count);
        const TouchMapping mapping = platform::nameRegion({region, {}}, screens, desktop);
        QCOMPARE(int(mapping.kind), kind);
        QCOMPARE(mapping.screen, screen);
        QCOMPARE(mapping.screenCount, count);
        QCOMPARE(mapping.region, region);
    }

    void sameOutput_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("same");
        const auto row = [](const char *name, const char *a, const char *b, bool same) {
            QTest::newRow(name) << QString::fromLatin1(a) << QString::fromLatin1(b) << same;
        };
        row("the kernel's HDMI-A-1 is Xorg's HDMI-1", "HDMI-A-1", "HDMI-1", true);
        row("HDMI-B is another connector", "HDMI-B-1", "HDMI-1", false);
        row("another number", "HDMI-1", "HDMI-2", false);
        row("DP as it is", "DP-1", "DP-1", true);
        row("no name is no output", "", "", false);
    }
    void sameOutput() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, same);
        QCOMPARE(platform::sameOutput(a, b), same);
        QCOMPARE(platform::sameOutput(b, a), same);
    }

    // Only the parts that place touches in the session count for the mapping; a correction counts wherever it is.
    void judgement() {
        platform::DesktopDevice x11{QStringLiteral("X11"), QStringLiteral("device 12"), {}, true, {}, {}, {}};
        x11.mapping.kind = TouchMapping::Kind::WholeDesktop;
        x11.mapping.screenCount = 2;
        platform::DesktopDevice sibling = x11;  // the same mapping again counts once
        sibling.name = QStringLiteral("device 13");
        platform::DesktopDevice gnome{QStringLiteral("GNOME"), QStringLiteral("touchscreen"), {}, false, {}, {}, {}};
        gnome.mapping.kind = TouchMapping::Kind::Screen;
        gnome.mapping.screen = QStringLiteral("HDMI-1");
        platform::DesktopDevice udev{
            QStringLiteral("udev"), QStringLiteral("/dev/input/event5"), {}, false, {}, {}, {}};
        udev.correction = QStringLiteral("LIBINPUT_CALIBRATION_MATRIX=1.1 0 0 0 1 0");
        platform::DesktopView view;
        view.devices = {x11, sibling, gnome, udev};
        const platform::DesktopJudgement judged = platform::judgeDesktop(view);
        QCOMPARE(judged.mappings.size(), 1);
        QCOMPARE(judged.mappings[0].kind, TouchMapping::Kind::WholeDesktop);
        QCOMPARE(judged.corrections, QStringList{"udev: /dev/input/event5: LIBINPUT_CALIBRATION_MATRIX=1.1 0 0 0 1 0"});
    }
};

QTEST_GUILESS_MAIN(TestTouchMapping)
#include "test_touch_mapping.moc"
