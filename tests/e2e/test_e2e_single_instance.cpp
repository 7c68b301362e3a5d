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
Q_DECLARE_METATYPE(MainButton)

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

    // A box or the target window blocks the main window: bringing the window forward must not bury it (a touch user
    // would then face a window that takes no touch), so it ends above the main window, with the keyboard.
    void secondLaunchKeepsTheOpenModalWindowOnTop_data() {
        QTest::addColumn<MainButton>("button");
        QTest::addColumn<QString>("modalTitle");
        QTest::newRow("the clear confirmation box") << MainButton::Clear << QStringLiteral("^确认对话框$");
        QTest::newRow("the target window") << MainButton::Calibrate4 << QStringLiteral("^Dialog$");
    }
    void secondLaunchKeepsTheOpenModalWindowOnTop() {
        QFETCH(MainButton, button);
        QFETCH(QString, modalTitle);
        ProgramUnderTest program(xserver.display(), "[config]\nlanguage=2\n");
        QVERIFY(program.isInstalled());
        desktop->followProcess(program.launch()->processId());
        const WindowId window = desktop->waitForWindow(mainWindowTitle);
        QVERIFY(window);
        QVERIFY(desktop->click(buttonCentre(desktop->geometry(window), button)));
        const WindowId modal = desktop->waitForWindow(modalTitle);
        QVERIFY(modal);

        WindowManager windowManager(xserver.display());
        QVERIFY(windowManager.isConnected());
        QVERIFY(windowManager.isAbove(modal, window));
        QProcess *second = program.launch();
        QVERIFY(second->waitForFinished(15000));
        QCOMPARE(second->exitCode(), 0);
        // The main window was raised first; give the order time to settle, then the box must still be on top.
        QTest::qWait(500);
        QVERIFY(windowManager.isAbove(modal, window));
        QTRY_COMPARE_WITH_TIMEOUT(desktop->focusedWindow(), modal, 10000);
        QVERIFY(desktop->pressUntilGone(modal, QStringLiteral("Escape")));
    }
};

QTEST_GUILESS_MAIN(TestE2eSingleInstance)
#include "test_e2e_single_instance.moc"
