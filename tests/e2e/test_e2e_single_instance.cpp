#include <QtTest>

#include <memory>

#include "orvessa_version.h"
#include "support/desktop.h"
#include "support/program_under_test.h"
#include "support/window_manager.h"
#include "support/x_server.h"

// Starting the program a second time brings the running window back to the user, with the keyboard focus: out of
// the minimised state and from under another program's window. The second launch ends at once and says why.
// (This desktop has no tray, so tray mode cannot hide the window here: test_tray_start shows it ends instead.)

namespace {

const QString mainWindowTitle = QRegularExpression::escape(QStringLiteral("Ver " ORVESSA_VERSION));

enum class AwayBy { Minimising, Covering };

}  // namespace

Q_DECLARE_METATYPE(AwayBy)

class TestE2eSingleInstance : public QObject {
    Q_OBJECT

private:
    XServer xserver;
    std::unique_ptr<Desktop> desktop;

private slots:
    void initTestCase() {
        if (!XServer::toolsInstalled())
            QSKIP("needs Xvfb and xdotool (scripts/install-deps.sh installs them)");
        QVERIFY(xserver.start({1920, 1080}));
        desktop = std::make_unique<Desktop>(xserver.display());
    }

    void secondLaunchBringsTheWindowBack_data() {
        QTest::addColumn<AwayBy>("awayBy");
        QTest::addColumn<QByteArray>("settings");

        QTest::newRow("window minimised") << AwayBy::Minimising << QByteArray("[config]\nlanguage=2\n");
        QTest::newRow("window covered by another program's window")
            << AwayBy::Covering << QByteArray("[config]\nlanguage=2\n");
    }

    void secondLaunchBringsTheWindowBack() {
        QFETCH(AwayBy, awayBy);
        QFETCH(QByteArray, settings);
        ProgramUnderTest program(xserver.display(), settings);
        QVERIFY(program.isInstalled());
        QProcess *first = program.launch();
        desktop->followProcess(first->processId());
        const WindowId window = desktop->waitForWindow(mainWindowTitle);
        QVERIFY(window);

        WindowManager windowManager(xserver.display());
        QVERIFY(windowManager.isConnected());
        WindowId cover = 0;
        switch (awayBy) {
            case AwayBy::Minimising:
                QVERIFY(windowManager.iconify(window));
                QVERIFY(desktop->waitUntilGone(window));
                break;
            case AwayBy::Covering:
                cover = windowManager.cover(desktop->geometry(window).adjusted(-20, -20, 20, 20));
                QVERIFY(cover);
                QVERIFY(windowManager.isAbove(cover, window));
                break;
        }

        QProcess *second = program.launch();
        QVERIFY(second->waitForFinished(15000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(QString::fromLocal8Bit(second->readAllStandardError()), QStringLiteral("orvessa already running.\n"));

        QTRY_VERIFY_WITH_TIMEOUT(desktop->visibleWindows(mainWindowTitle).contains(window), 10000);
        if (cover)
            QTRY_VERIFY_WITH_TIMEOUT(windowManager.isAbove(window, cover), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(desktop->focusedWindow(), window, 10000);
        QCOMPARE(first->state(), QProcess::Running);
    }
};

QTEST_GUILESS_MAIN(TestE2eSingleInstance)
#include "test_e2e_single_instance.moc"
