#include <QtTest>

#include <QDBusConnection>

#include <memory>

#include "orvessa_version.h"
#include "support/desktop.h"
#include "support/expected_upload.h"
#include "support/frame_record.h"
#include "support/program_under_test.h"
#include "tests/support/private_session_bus.h"
#include "support/wayland_session.h"

// The real program natively on Wayland (Qt's wayland platform) in a headless sway with two outputs, 1920 x 1080 at
// (0, 0) and 1280 x 1024 at (1920, 0), used as a user would: clicks of a virtual pointer, keys of a virtual keyboard,
// and checked by where the compositor put its windows (swaymsg -t get_tree) and what reached the virtual frame.

namespace {

using Taps = QList<QPoint>;

const QString mainWindowTitle = QRegularExpression::escape(QStringLiteral("Ver " ORVESSA_VERSION));
const QString targetWindowTitle = QStringLiteral("^Dialog$");
const QString bannerTitle = QStringLiteral("^校准将在此屏幕进行");
const QByteArray trayMode = "[config]\nlanguage=2\nsystray=1\n";
const QRect firstOutput(0, 0, 1920, 1080);
const QRect secondOutput(1920, 0, 1280, 1024);

const QString swayConfiguration = QStringLiteral(
    "output HEADLESS-1 mode 1920x1080 position 0 0\n"
    "output HEADLESS-2 mode 1280x1024 position 1920 0\n"
    "xwayland disable\n");

// Taps on the four corner targets of a 4-point run: the X11 test's on the first output, where the target window
// draws them on the second (0.15 and 0.85 of the size, truncated).
Taps cornerTargets(const QRect &output) {
    if (output == firstOutput)
        return {{287, 161}, {1631, 161}, {287, 917}, {1631, 917}};
    const QPoint origin = output.topLeft();
    return {origin + QPoint(191, 153), origin + QPoint(1087, 153), origin + QPoint(191, 870),
            origin + QPoint(1087, 870)};
}

// "保存" on a target window covering @p output: 161 x 50, centred across, at 0.382 of the height.
QPoint saveButton(const QRect &output) {
    return output.topLeft() + QPoint(output.width() / 2, int(output.height() * 0.382) + 25);
}

CornerTouches cornerTouches(const Taps &taps, const QRect &output) {
    const auto units = [&](int i) { return calibrationUnits(taps[i] - output.topLeft(), output.size()); };
    return {units(0), units(1), units(3), units(2)};
}

// A notification area as Wayland desktops offer it, the StatusNotifierItem protocol, reduced to its registry:
// items register with it, and it says that a host shows them.
class StatusNotifierWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)

public:
    bool hostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    QStringList items() const { return m_items; }

public slots:
    void RegisterStatusNotifierItem(const QString &service) {
        m_items << service;
        emit registered(service);
    }
    void RegisterStatusNotifierHost(const QString &) {}

signals:
    void registered(const QString &service);

private:
    QStringList m_items;
};

// gdbus on the bus at @p address: what a tray host asks of an item; its answer as gdbus prints it.
QString gdbusCall(const QString &address, const QString &service, const QString &path, const QStringList &call) {
    QProcess gdbus;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
    gdbus.setProcessEnvironment(environment);
    gdbus.start(QStringLiteral("gdbus"),
                QStringList{QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"), service,
                            QStringLiteral("--object-path"), path, QStringLiteral("--method")} +
                    call);
    // The event loop keeps running meanwhile: the program asks the test's own watcher while it answers.
    pollUntil([&] { return gdbus.state() == QProcess::NotRunning; }, 10000);
    return QString::fromUtf8(gdbus.readAllStandardOutput());
}

}  // namespace

class TestE2eWayland : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WaylandSession> session;

    std::unique_ptr<ProgramUnderTest> install(const QByteArray &settings = "[config]\nlanguage=2\n") {
        auto program = std::make_unique<ProgramUnderTest>(QString(), settings);
        program->setVariable(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        program->setVariable(QStringLiteral("WAYLAND_DISPLAY"), session->display());
        program->setVariable(QStringLiteral("XDG_ACTIVATION_TOKEN"), QString());
        return program;
    }

    // Starts the program with the keyboard on @p output and waits for its main window there.
    WaylandView start(ProgramUnderTest &program, qint64 &pid, const QString &output = QStringLiteral("HEADLESS-1")) {
        if (!program.isInstalled() || !session->command(QStringLiteral("focus output ") + output))
            return {};
        pid = program.launch()->processId();
        return session->waitForView(pid, mainWindowTitle);
    }

    // The target window once the compositor shows it full screen (it maps it first, then makes it full screen).
    WaylandView waitForTargets(qint64 pid) {
        WaylandView targets;
        pollUntil(
            [&] {
                targets = session->waitForView(pid, targetWindowTitle);
                return targets.fullScreen;
            },
            15000);
        return targets;
    }

    WaylandView openTargets(qint64 pid, const WaylandView &mainWindow) {
        if (!session->click(mainWindow.content.topLeft() + QPoint(190, 55)))  // "4点校准开始"
            return {};
        return waitForTargets(pid);
    }

    // The compositor focuses a new box on the focused output a moment after it maps it.
    bool answerBox(qint64 pid, const QString &title) {
        const QString pattern = QStringLiteral("^%1$").arg(title);
        return pollUntil([&] { return session->waitForView(pid, pattern).focused; }, 10000) &&
               session->key(QStringLiteral("Return")) && session->waitUntilGone(pid, pattern);
    }

    void calibrateOn(ProgramUnderTest &program, qint64 pid, const WaylandView &mainWindow, const QRect &output) {
        const WaylandView targets = openTargets(pid, mainWindow);
        QVERIFY2(targets.fullScreen, qPrintable(program.diagnosis()));
        QCOMPARE(targets.content, output);
        // The program learns that the window is on the screen a moment after the compositor shows it.
        QTest::qWait(500);
        for (const QPoint &tap : cornerTargets(output))
            QVERIFY(session->click(tap));
        QVERIFY(session->click(saveButton(output)));
        QVERIFY2(answerBox(pid, QStringLiteral("OK")), "no \"OK\" box after saving");
        QTRY_COMPARE_WITH_TIMEOUT(program.record().ofKind(QStringLiteral("close")).size(), 1, 10000);
        const ExpectedUpload expected = expectedProjectiveUpload(0xA3, cornerTouches(cornerTargets(output), output));
        QVERIFY(expected.clear);
        QCOMPARE(program.record().commandCodes(), QByteArray("\x51\x61"));
        QCOMPARE(hexBytes(program.record().reports(0x61).value(0)), hexBytes(expected.bytes));
    }

private slots:
    void initTestCase() {
        if (!WaylandSession::toolsInstalled())
            QSKIP("needs sway, swaymsg and wtype (scripts/install-deps.sh installs them)");
        session = std::make_unique<WaylandSession>();
        QVERIFY(session->start(swayConfiguration));
        QCOMPARE(session->outputs().size(), 2);
        QCOMPARE(session->outputs().value(1).second, secondOutput);
    }

    void targetsOpenOnTheMainWindowsOutput() {
        auto program = install();
        qint64 pid = 0;
        const WaylandView mainWindow = start(*program, pid);
        QVERIFY2(mainWindow.pid, qPrintable(program->diagnosis()));
        QCOMPARE(mainWindow.output, QStringLiteral("HEADLESS-1"));
        // A fixed size makes sway float the window at its own size instead of tiling it over the output.
        QCOMPARE(mainWindow.content.size(), QSize(380, 524));
        // The same taps as the X11 test's "taps on the targets": the same bytes.
        calibrateOn(*program, pid, mainWindow, firstOutput);
        QCOMPARE(hexBytes(program->record().reports(0x61).value(0).mid(3, 32)),
                 QStringLiteral("49 00 10 00 00 00 00 00 6D 09 00 00 00 00 00 00 49 00 10 00 6E 11 00 00 00 00 00 00 "
                                "00 00 00 00"));
    }

    void returnChoosesTheNextOutput() {
        auto program = install();
        qint64 pid = 0;
        const WaylandView mainWindow = start(*program, pid);
        QVERIFY2(mainWindow.focused, qPrintable(program->diagnosis()));
        QVERIFY(session->key(QStringLiteral("Return")));
        const WaylandView banner = session->waitForView(pid, bannerTitle);
        QCOMPARE(banner.title, QStringLiteral("校准将在此屏幕进行: 屏幕 2 · HEADLESS-2 · 1280 × 1024"));
        QCOMPARE(banner.output, QStringLiteral("HEADLESS-2"));
        QVERIFY(!banner.focused);
        QVERIFY(session->waitForView(pid, mainWindowTitle).focused);
        QTRY_VERIFY_WITH_TIMEOUT(session->waitUntilGone(pid, bannerTitle, 0), 5000);
        // The main window stays where it was; the targets go where Return pointed.
        QCOMPARE(session->waitForView(pid, mainWindowTitle).output, QStringLiteral("HEADLESS-1"));
        calibrateOn(*program, pid, mainWindow, secondOutput);
    }

    void secondLaunchBringsTheWindowForward_data() {
        QTest::addColumn<bool>("withToken");
        QTest::addColumn<bool>("targetsOpen");
        QTest::newRow("with a launcher's token: the main window") << true << false;
        QTest::newRow("with a launcher's token: the open target window above it") << true << true;
        QTest::newRow("without a token the compositor keeps its focus") << false << false;
    }
    void secondLaunchBringsTheWindowForward() {
        QFETCH(bool, withToken);
        QFETCH(bool, targetsOpen);
        // What an activation request does is the compositor's rule: sway's default only marks the window urgent.
        QVERIFY(session->command(QStringLiteral("focus_on_window_activation focus")));
        const auto restore =
            qScopeGuard([&] { session->command(QStringLiteral("focus_on_window_activation urgent")); });
        auto program = install();
        qint64 pid = 0;
        const WaylandView mainWindow = start(*program, pid);
        QVERIFY2(mainWindow.pid, qPrintable(program->diagnosis()));
        if (targetsOpen) {
            QVERIFY(openTargets(pid, mainWindow).fullScreen);
            QTRY_VERIFY_WITH_TIMEOUT(session->waitForView(pid, targetWindowTitle).focused, 10000);
        }
        const QString front = targetsOpen ? targetWindowTitle : mainWindowTitle;
        // The user turns to the other output: the program's windows lose the keyboard.
        QVERIFY(session->command(QStringLiteral("focus output HEADLESS-2")));
        QTRY_VERIFY_WITH_TIMEOUT(!session->waitForView(pid, front).focused, 5000);

        if (withToken)
            program->setVariable(QStringLiteral("XDG_ACTIVATION_TOKEN"),
                                 QString::fromLatin1(session->activationToken()));
        QProcess *second = program->launch();
        QVERIFY(second->waitForFinished(15000));
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(QString::fromLocal8Bit(second->readAllStandardError()), QStringLiteral("orvessa already running.\n"));
        if (withToken) {
            QTRY_VERIFY_WITH_TIMEOUT(session->waitForView(pid, front).focused, 10000);
        } else {
            QTest::qWait(1000);
            QVERIFY(!session->waitForView(pid, front).focused);
        }
    }

    // Touches are stored in units of the window's size: an output at scale 2 must give the bytes of scale 1 for the
    // same physical spots. Qt 6.4 hands widgets whole logical pixels (sway sends 143.5, the window sees 144), so
    // only spots on even physical pixels can be measured exactly there; these are such spots.
    void outputAtScaleTwoUploadsTheBytesOfScaleOne() {
        QVERIFY(session->command(QStringLiteral("output HEADLESS-1 scale 2")));
        const auto restore = qScopeGuard([&] { session->command(QStringLiteral("output HEADLESS-1 scale 1")); });
        auto program = install();
        qint64 pid = 0;
        const WaylandView mainWindow = start(*program, pid);
        QVERIFY2(mainWindow.pid, qPrintable(program->diagnosis()));
        QVERIFY(session->click((mainWindow.content.topLeft() + QPoint(190, 55)) * 2, 2));
        const WaylandView targets = waitForTargets(pid);
        QCOMPARE(targets.content, QRect(0, 0, 960, 540));
        QTest::qWait(500);
        const Taps physical{{288, 162}, {1632, 162}, {288, 918}, {1632, 918}};
        for (const QPoint &tap : physical)
            QVERIFY(session->click(tap, 2));
        QVERIFY(session->click(saveButton(QRect(0, 0, 960, 540)) * 2, 2));
        QVERIFY2(answerBox(pid, QStringLiteral("OK")), "no \"OK\" box after saving");
        QTRY_COMPARE_WITH_TIMEOUT(program->record().ofKind(QStringLiteral("close")).size(), 1, 10000);
        const ExpectedUpload scaleOne = expectedProjectiveUpload(0xA3, cornerTouches(physical, firstOutput));
        QCOMPARE(hexBytes(program->record().reports(0x61).value(0)), hexBytes(scaleOne.bytes));
    }

    // Qt shows the tray icon on Wayland through the StatusNotifierItem protocol, on the session bus.
    void trayItemRegistersWithTheNotificationArea() {
        PrivateSessionBus bus;
        if (bus.address().isEmpty())
            QSKIP("needs dbus-daemon (scripts/install-deps.sh installs it)");
        QDBusConnection connection = QDBusConnection::connectToBus(bus.address(), QStringLiteral("watcher"));
        StatusNotifierWatcher watcher;
        QVERIFY(connection.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher,
                                          QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties));
        QVERIFY(connection.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")));
        QSignalSpy registered(&watcher, &StatusNotifierWatcher::registered);

        auto program = install(trayMode);
        program->setVariable(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
        QVERIFY(session->command(QStringLiteral("focus output HEADLESS-1")));
        const qint64 pid = program->launch({QStringLiteral("-bg")})->processId();  // hidden, as autostart starts it
        QVERIFY2(registered.wait(15000), qPrintable(program->diagnosis()));
        const QString item = registered.value(0).value(0).toString();
        const QString menu = gdbusCall(bus.address(), item, QStringLiteral("/MenuBar"),
                                       {QStringLiteral("com.canonical.dbusmenu.GetLayout"), QStringLiteral("--"),
                                        QStringLiteral("0"), QStringLiteral("-1"), QStringLiteral("@as []")});
        for (const QString &action :
             {QStringLiteral("显示主界面"), QStringLiteral("隐藏主界面"), QStringLiteral("关闭程序")})
            QVERIFY2(menu.contains(action), qPrintable(menu));
        QVERIFY(session->views(pid).isEmpty());
        // A left click on the icon is the item's Activate: the window comes, no popup is needed.
        gdbusCall(bus.address(), item, QStringLiteral("/StatusNotifierItem"),
                  {QStringLiteral("org.kde.StatusNotifierItem.Activate"), QStringLiteral("0"), QStringLiteral("0")});
        QVERIFY(session->waitForView(pid, mainWindowTitle).pid);
        connection.unregisterService(QStringLiteral("org.kde.StatusNotifierWatcher"));
        QDBusConnection::disconnectFromBus(QStringLiteral("watcher"));
    }

    void withoutANotificationAreaTheLowestButtonQuits() {
        PrivateSessionBus bus;  // a session bus, but no notification area on it
        auto program = install(trayMode);
        program->setVariable(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
        QVERIFY(session->command(QStringLiteral("focus output HEADLESS-1")));
        QProcess *process = program->launch();
        const WaylandView mainWindow = session->waitForView(process->processId(), mainWindowTitle);
        QVERIFY2(mainWindow.pid, qPrintable(program->diagnosis()));
        // The lowest button; a click that comes before the program has bound the pointer to its new window is lost.
        const QPoint lowestButton = mainWindow.content.topLeft() + QPoint(190, 55 + 70 * 6);
        QVERIFY(pollUntil([&] { return session->click(lowestButton) && process->waitForFinished(2000); }, 10000));
        QCOMPARE(process->exitCode(), 0);
    }

    void escapeAbandonsWithoutATouch() {
        auto program = install();
        qint64 pid = 0;
        const WaylandView mainWindow = start(*program, pid);
        QVERIFY2(mainWindow.pid, qPrintable(program->diagnosis()));
        QVERIFY(openTargets(pid, mainWindow).fullScreen);
        QTRY_VERIFY_WITH_TIMEOUT(session->waitForView(pid, targetWindowTitle).focused, 10000);
        QVERIFY(session->key(QStringLiteral("Escape")));
        QVERIFY(session->waitUntilGone(pid, targetWindowTitle));
        QVERIFY2(answerBox(pid, QStringLiteral("Error")), "no \"Error\" box");
        QTRY_COMPARE_WITH_TIMEOUT(program->record().ofKind(QStringLiteral("close")).size(), 1, 10000);
        QCOMPARE(program->record().commandCodes(), QByteArray("\x51\x77"));
    }
};

QTEST_GUILESS_MAIN(TestE2eWayland)
#include "test_e2e_wayland.moc"
