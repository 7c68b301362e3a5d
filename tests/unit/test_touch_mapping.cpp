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

namespace {

const Screens twoSideBySide{{QStringLiteral("HDMI-1"), {0, 0, 1920, 1080}},
                            {QStringLiteral("HDMI-2"), {1920, 0, 1920, 1080}}};

}  // namespace

class TestTouchMapping : public QObject {
    Q_OBJECT

private slots:
    void coveredRegion_data() {
        QTest::addColumn<Matrix3>("matrix");
        QTest::addColumn<QSize>("desktop");
        QTest::addColumn<QRect>("region");  // empty: no region a screen layout gives
        QTest::addColumn<Orientation>("orientation");
        const QSize one(1920, 1080), two(3840, 1080), three(5760, 1080);
        QTest::newRow("identity on one screen: all of it")
            << platform::identityMatrix << one << QRect(0, 0, 1920, 1080) << Orientation{};
        QTest::newRow("right of two screens")
            << Matrix3{0.5, 0, 0.5, 0, 1, 0, 0, 0, 1} << two << QRect(1920, 0, 1920, 1080) << Orientation{};
        QTest::newRow("middle of three screens, as floats hold a third")
            << Matrix3{0.333333f, 0, 0.333333f, 0, 1, 0, 0, 0, 1} << three << QRect(1920, 0, 1920, 1080)
            << Orientation{};
        QTest::newRow("lower of two stacked screens of different sizes")
            << Matrix3{1280.0 / 1920, 0, 0, 0, 1024.0 / 2104, 1080.0 / 2104, 0, 0, 1} << QSize(1920, 2104)
            << QRect(0, 1080, 1280, 1024) << Orientation{};
        QTest::newRow("left of two, the frame turned clockwise")
            << Matrix3{0, -0.5, 0.5, 1, 0, 0, 0, 0, 1} << two << QRect(0, 0, 1920, 1080)
            << Orientation{Turn::RotatedRight, false};
        QTest::newRow("upside down") << Matrix3{-1, 0, 1, 0, -1, 1, 0, 0, 1} << one << QRect(0, 0, 1920, 1080)
                                     << Orientation{Turn::Inverted, false};
        QTest::newRow("right of two, mirrored") << Matrix3{-0.5, 0, 1, 0, 1, 0, 0, 0, 1} << two
                                                << QRect(1920, 0, 1920, 1080) << Orientation{Turn::Normal, true};
        QTest::newRow("left of two, mirrored and turned anticlockwise")
            << Matrix3{0, 0.5, 0, 1, 0, 0, 0, 0, 1} << two << QRect(0, 0, 1920, 1080)
            << Orientation{Turn::RotatedLeft, true};
        QTest::newRow("the last entry scales everything")
            << Matrix3{1, 0, 0, 0, 1, 0, 0, 0, 2} << one << QRect(0, 0, 960, 540) << Orientation{};
        QTest::newRow("a perspective row is no screen")
            << Matrix3{1, 0, 0, 0, 1, 0, 0.1, 0, 1} << one << QRect() << Orientation{};
        QTest::newRow("a shear is no screen")
            << Matrix3{1, 0.2, 0, 0, 1, 0, 0, 0, 1} << one << QRect() << Orientation{};
        QTest::newRow("all zero is no screen") << Matrix3{} << one << QRect() << Orientation{};
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
        const Screens three = twoSideBySide + Screens{{QStringLiteral("DP-1"), {3840, 0, 1920, 1080}}};
        const auto screen = int(TouchMapping::Kind::Screen), whole = int(TouchMapping::Kind::WholeDesktop);
        const auto elsewhere = int(TouchMapping::Kind::Elsewhere);
        QTest::newRow("the one screen") << QRect(0, 0, 1920, 1080) << one << QSize(1920, 1080) << screen << "eDP-1"
                                        << 0;
        QTest::newRow("all of two screens: the whole desktop")
            << QRect(0, 0, 3840, 1080) << twoSideBySide << QSize(3840, 1080) << whole << "" << 2;
        QTest::newRow("all of three screens")
            << QRect(0, 0, 5760, 1080) << three << QSize(5760, 1080) << whole << "" << 3;
        QTest::newRow("a pixel of rounding still names the screen")
            << QRect(1919, 0, 1921, 1081) << twoSideBySide << QSize(3840, 1080) << screen << "HDMI-2" << 0;
        QTest::newRow("the root window around screens of different heights is the whole desktop")
            << QRect(0, 0, 3840, 1200)
            << Screens{{QStringLiteral("A"), {0, 0, 1920, 1080}}, {QStringLiteral("B"), {1920, 0, 1920, 1200}}}
            << QSize(3840, 1200) << whole << "" << 2;
        QTest::newRow("across the border of two screens")
            << QRect(960, 0, 1920, 1080) << twoSideBySide << QSize(3840, 1080) << elsewhere << "" << 0;
        QTest::newRow("two screens of three")
            << QRect(0, 0, 3840, 1080) << three << QSize(5760, 1080) << elsewhere << "" << 0;
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
        QTest::newRow("the kernel's HDMI-A-1 is Xorg's HDMI-1") << "HDMI-A-1"
                                                                << "HDMI-1" << true;
        QTest::newRow("HDMI-B is another connector") << "HDMI-B-1"
                                                     << "HDMI-1" << false;
        QTest::newRow("another number") << "HDMI-1"
                                        << "HDMI-2" << false;
        QTest::newRow("DP as it is") << "DP-1"
                                     << "DP-1" << true;
        QTest::newRow("no name is no output") << ""
                                              << "" << false;
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
        platform::DesktopView view;
        platform::DesktopDevice x11{QStringLiteral("X11"), QStringLiteral("device 12"), {}, true, {}, {}, {}};
        x11.mapping.kind = TouchMapping::Kind::WholeDesktop;
        x11.mapping.screenCount = 2;
        platform::DesktopDevice sibling = x11;
        sibling.name = QStringLiteral("device 13");
        platform::DesktopDevice gnome{QStringLiteral("GNOME"), QStringLiteral("touchscreen"), {}, false, {}, {}, {}};
        gnome.mapping.kind = TouchMapping::Kind::Screen;
        gnome.mapping.screen = QStringLiteral("HDMI-1");
        platform::DesktopDevice udev{QStringLiteral("udev"),
                                     QStringLiteral("/dev/input/event5"),
                                     {},
                                     false,
                                     {},
                                     QStringLiteral("LIBINPUT_CALIBRATION_MATRIX=1.1 0 0 0 1 0"),
                                     {}};
        view.devices = {x11, sibling, gnome, udev};
        const platform::DesktopJudgement judged = platform::judgeDesktop(view);
        QCOMPARE(judged.mappings.size(), 1);
        QCOMPARE(judged.mappings[0].kind, TouchMapping::Kind::WholeDesktop);
        QCOMPARE(judged.corrections, QStringList{"udev: /dev/input/event5: LIBINPUT_CALIBRATION_MATRIX=1.1 0 0 0 1 0"});
    }
};

QTEST_GUILESS_MAIN(TestTouchMapping)
#include "test_touch_mapping.moc"
