#include <QtTest>

#include "platform/graphical_session.h"

// Whether a window could be shown, decided from what Qt reads before it starts: a request that misses its display
// server is named, one Qt can serve without one is let through.
class TestGraphicalSession : public QObject {
    Q_OBJECT

private slots:
    void missingDisplay_data() {
        QTest::addColumn<QStringList>("arguments");    // after the program
        QTest::addColumn<QStringList>("environment");  // NAME=value
        QTest::addColumn<QString>("missing");          // empty: a window can be shown
        const QString neither = QStringLiteral("DISPLAY or WAYLAND_DISPLAY is not set");
        QTest::newRow("a text console: Qt's default finds neither") << QStringList{} << QStringList{} << neither;
        QTest::newRow("an empty DISPLAY names no display") << QStringList{} << QStringList{"DISPLAY="} << neither;
        QTest::newRow("Qt's default on X11") << QStringList{} << QStringList{"DISPLAY=:0"} << QString();
        QTest::newRow("Qt's default on Wayland")
            << QStringList{} << QStringList{"WAYLAND_DISPLAY=wayland-0"} << QString();
        QTest::newRow("a Wayland socket handed down") << QStringList{} << QStringList{"WAYLAND_SOCKET=5"} << QString();
        QTest::newRow("offscreen with its options needs no display server")
            << QStringList{} << QStringList{"QT_QPA_PLATFORM=offscreen:configfile=/tmp/screens.json"} << QString();
        QTest::newRow("linuxfb draws on the framebuffer")
            << QStringList{} << QStringList{"QT_QPA_PLATFORM=linuxfb"} << QString();
        QTest::newRow("xcb asked for on Wayland")
            << QStringList{} << QStringList{"QT_QPA_PLATFORM=xcb", "WAYLAND_DISPLAY=wayland-0"}
            << "DISPLAY is not set (Qt platform xcb)";
        QTest::newRow("wayland-egl is Wayland too")
            << QStringList{} << QStringList{"QT_QPA_PLATFORM=wayland-egl", "DISPLAY=:0"}
            << "WAYLAND_DISPLAY is not set (Qt platform wayland-egl)";
        QTest::newRow("a list is served by any of its platforms")
            << QStringList{} << QStringList{"QT_QPA_PLATFORM=wayland;xcb", "DISPLAY=:0"} << QString();
        QTest::newRow("a list none of whose platforms finds its display")
            << QStringList{} << QStringList{"QT_QPA_PLATFORM=wayland;xcb;wayland-egl"}
            << "WAYLAND_DISPLAY or DISPLAY is not set (Qt platform wayland;xcb;wayland-egl)";
        QTest::newRow("-platform wins over QT_QPA_PLATFORM")
            << QStringList{"-platform", "offscreen"} << QStringList{"QT_QPA_PLATFORM=xcb"} << QString();
        QTest::newRow("--platform xcb wins over offscreen")
            << QStringList{"-bg", "--platform", "xcb"} << QStringList{"QT_QPA_PLATFORM=offscreen"}
            << "DISPLAY is not set (Qt platform xcb)";
        QTest::newRow("-display names the X server")
            << QStringList{"-display", ":1"} << QStringList{"QT_QPA_PLATFORM=xcb"} << QString();
    }
    void missingDisplay() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, environment);
        QFETCH(QString, missing);
        QProcessEnvironment variables;
        for (const QString &variable : environment)
            variables.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        const platform::DisplayRequest request =
            platform::displayRequest(QStringList{QStringLiteral("orvessa")} + arguments, variables);
        QCOMPARE(platform::missingDisplay(request).value_or(QString()), missing);
    }
};

QTEST_GUILESS_MAIN(TestGraphicalSession)
#include "test_graphical_session.moc"
