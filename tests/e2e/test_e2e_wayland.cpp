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

// A notification area as Wayland desktops offer it, the StatusNotifierItem protocol, reduced to its registry:
// items register with it, and it says that a host shows them.
class StatusNotifierWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)

public:
    bool hostRegistered() const { return true; }

public slots:
    void RegisterStatusNotifierItem(const QString &service) { emit registered(service); }

signals:
    void registered(const QString &service);
};

// gdbus on the bus at @p address: what a tray host asks of an item; its answer as gdbus prints it.
QString gdbusCall(const QString &address, const QString &service, const QString &path, const QStringList &call) {
    const QStringList arguments =
        QStringLiteral("call --session --dest %1 --object-path %2 --method").arg(service, path).split(u' ');
    return QString::fromUtf8(
        runClient(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address, QStringLiteral("gdbus"), arguments + call)
            .value_or(QByteArray()));
}

}  // namespace

class TestE2eWayland : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WaylandSession> session;
    std::unique_ptr<ProgramUnderTest> program;
    QProcess *process = nullptr;  // the program's first launch

    // Starts the program with @p arguments, the keyboard on HEADLESS-1 and the session bus @p bus (none when empty).
    bool launch(const QByteArray &settings, const QString &bus = {}, const QStringList &arguments = {}) {
        program = std::make_unique<ProgramUnderTest>(QString(), settings);
        program->setVariable(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        program->setVariable(QStringLiteral("WAYLAND_DISPLAY"), session->display());
        program->setVariable(QStringLiteral("XDG_ACTIVATION_TOKEN"), QString());
        program->setVariable(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus);
        if (!program->isInstalled() || !session->command(QStringLiteral("focus output HEADLESS-1")))
            return false;
        process = program->launch(arguments);
        return true;
    }

    // The main window once the compositor shows it.
    WaylandView start(const QByteArray &settings = "[config]\nlanguage=2\n", const QString &bus = {}) {
        return launch(settings, bus) ? view(mainWindowTitle) : WaylandView{};
    }

    WaylandView view(const QString &titlePattern) const {
        return session->waitForView(process->processId(), titlePattern);
    }

    // Clicks "4点校准开始" on an output at @p scale; the target window once the compositor shows it full screen (it
    // maps it first, then makes it full screen).
    WaylandView openTargets(const WaylandView &mainWindow, int scale = 1) {
        WaylandView targets;
        if (session->click(buttonCentre(mainWindow.content, MainButton::Calibrate4) * scale, scale))
            pollUntil(
                [&] {
                    targets = view(targetWindowTitle);
                    return targets.fullScreen;
                },
                15000);
        return targets;
    }

    // The compositor focuses a new box on the focused output a moment after it maps it.
    bool answerBox(const QString &title) {
        const QString pattern = QStringLiteral("^%1$").arg(title);
        return pollUntil([&] { return view(pattern).focused; }, 10000) && session->key(QStringLiteral("Return")) &&
               session->waitUntilGone(process->processId(), pattern);
    }

private slots:
    void initTestCase() {
        if (!WaylandSession::toolsInstalled())
            QSKIP("needs sway, swaymsg and wtype (scripts/install-deps.sh installs them)");
        session = std::make_unique<WaylandSession>();
        QVERIFY(
            session->start(QStringLiteral("output HEADLESS-1 mode 1920x1080 position 0 0\n"
                                          "output HEADLESS-2 mode 1280x1024 position 1920 0\n"
                                          "xwayland disable\n")));
    }

    void cleanup() { program.reset(); }

    // A 4-point run from the main window on HEADLESS-1: the target window full screen where it belongs, then taps
    // on its targets and "保存", or Escape at once; the box that follows and what reached the frame.
    void calibration_data() {
        QTest::addColumn<bool>("returnFirst");      // Return on the main window before the run
        QTest::addColumn<int>("scale");             // of HEADLESS-1
        QTest::addColumn<QRect>("targetWindow");    // in layout coordinates
        QTest::addColumn<Taps>("taps");             // in physical pixels; none: Escape instead
        QTest::addColumn<QString>("coefficients");  // the upload's bytes 3..34, where known
        // The X11 test's "taps on the targets", where the window draws them (0.15 and 0.85 of the size, truncated):
        // the same bytes.
        QTest::newRow("on the main window's output")
            << false << 1 << firstOutput << Taps{{287, 161}, {1631, 161}, {287, 917}, {1631, 917}}
            << QStringLiteral(
                   "49 00 10 00 00 00 00 00 6D 09 00 00 00 00 00 00 49 00 10 00 6E 11 00 00 00 00 00 00 "
                   "00 00 00 00");
        QTest::newRow("Return: on the next output, announced by a banner there")
            << true << 1 << secondOutput << Taps{{2111, 153}, {3007, 153}, {2111, 870}, {3007, 870}} << QString();
        // Touches are stored in units of the window's size: scale 2 must give the bytes of scale 1 for the same
        // physical spots. Qt 6.4 hands widgets whole logical pixels (sway sends 143.5, the window sees 144), so only
        // spots on even physical pixels can be measured exactly there; these are such spots.
        QTest::newRow("output at scale 2: the bytes of scale 1")
            << false << 2 << QRect(0, 0, 960, 540) << Taps{{288, 162}, {1632, 162}, {288, 918}, {1632, 918}}
            << QString();
        QTest::newRow("Escape abandons without a touch") << false << 1 << firstOutput << Taps{} << QString();
    }
    void calibration() {
        QFETCH(bool, returnFirst);
        QFETCH(int, scale);
        QFETCH(QRect, targetWindow);
        QFETCH(Taps, taps);
        QFETCH(QString, coefficients);
        QVERIFY(session->command(QStringLiteral("output HEADLESS-1 scale %1").arg(scale)));
        const auto restore = qScopeGuard([&] { session->command(QStringLiteral("output HEADLESS-1 scale 1")); });
        const WaylandView mainWindow = start();
        QVERIFY2(mainWindow.pid, qPrintable(program->diagnosis()));
        QCOMPARE(mainWindow.output, QStringLiteral("HEADLESS-1"));
        // A fixed size makes sway float the window at its own size instead of tiling it over the output.
        QCOMPARE(mainWindow.content.size(), QSize(380, 524));
        if (returnFirst) {
            QVERIFY(mainWindow.focused);
            QVERIFY(session->key(QStringLiteral("Return")));
            const WaylandView banner = view(bannerTitle);
            QCOMPARE(banner.title, QStringLiteral("校准将在此屏幕进行: 屏幕 2 · HEADLESS-2 · 1280 × 1024"));
            QCOMPARE(banner.output, QStringLiteral("HEADLESS-2"));
            QVERIFY(!banner.focused);
            QVERIFY(view(mainWindowTitle).focused);
            QTRY_VERIFY_WITH_TIMEOUT(session->waitUntilGone(process->processId(), bannerTitle, 0), 5000);
            // The main window stays where it was; the targets go where Return pointed.
            QCOMPARE(view(mainWindowTitle).output, QStringLiteral("HEADLESS-1"));
        }
        const WaylandView targets = openTargets(mainWindow, scale);
        QVERIFY2(targets.fullScreen, qPrintable(program->diagnosis()));
        QCOMPARE(targets.content, targetWindow);
        if (taps.isEmpty()) {
            QTRY_VERIFY_WITH_TIMEOUT(view(targetWindowTitle).focused, 10000);
            QVERIFY(session->key(QStringLiteral("Escape")));
            QVERIFY(session->waitUntilGone(process->processId(), targetWindowTitle));
        } else {
            // The program learns that the window is on the screen a moment after the compositor shows it.
            QTest::qWait(500);
            for (const QPoint &tap : taps)
                QVERIFY(session->click(tap, scale));
            // "保存": 161 x 50, centred across, at 0.382 of the height.
            const QPoint save(targetWindow.x() + targetWindow.width() / 2,
                              targetWindow.y() + int(targetWindow.height() * 0.382) + 25);
            QVERIFY(session->click(save * scale, scale));
        }
        const QString box = taps.isEmpty() ? QStringLiteral("Error") : QStringLiteral("OK");
        QVERIFY2(answerBox(box), qPrintable(QStringLiteral("no \"%1\" box").arg(box)));
        QTRY_COMPARE_WITH_TIMEOUT(program->record().ofKind(QStringLiteral("close")).size(), 1, 10000);
        QCOMPARE(program->record().commandCodes(), QByteArray(taps.isEmpty() ? "\x51\x77" : "\x51\x61"));
        if (taps.isEmpty())
            return;
        const QRect physical(targetWindow.topLeft() * scale, targetWindow.size() * scale);
        const auto units = [&](int i) { return calibrationUnits(taps[i] - physical.topLeft(), physical.size()); };
        const ExpectedUpload expected = expectedProjectiveUpload(0xA3, {units(0), units(1), units(3), units(2)});
        QVERIFY(expected.clear);
        const QByteArray upload = program->record().reports(0x61).value(0);
        QCOMPARE(hexBytes(upload), hexBytes(expected.bytes));
        if (!coefficients.isEmpty())
            QCOMPARE(hexBytes(upload.mid(3, 32)), coefficients);
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
        const WaylandView mainWindow = start();
        QVERIFY2(mainWindow.pid, qPrintable(program->diagnosis()));
        if (targetsOpen)
            QVERIFY(openTargets(mainWindow).fullScreen);
        const QString front = targetsOpen ? targetWindowTitle : mainWindowTitle;
        QTRY_VERIFY_WITH_TIMEOUT(view(front).focused, 10000);
        // The user turns to the other output: the program's windows lose the keyboard.
        QVERIFY(session->command(QStringLiteral("focus output HEADLESS-2")));
        QTRY_VERIFY_WITH_TIMEOUT(!view(front).focused, 5000);

        if (withToken)
            program->setVariable(QStringLiteral("XDG_ACTIVATION_TOKEN"),
                                 QString::fromLatin1(session->activationToken()));
        QProcess *second = program->launch();
        QVERIFY(second->waitForFinished(15000));
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(QString::fromLocal8Bit(second->readAllStandardError()), QStringLiteral("orvessa already running.\n"));
        if (!withToken)
            QTest::qWait(1000);  // and the window is still without the keyboard
        QTRY_COMPARE_WITH_TIMEOUT(view(front).focused, withToken, 10000);
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

        QVERIFY(launch(trayMode, bus.address(), {QStringLiteral("-bg")}));  // hidden, as autostart starts it
        QVERIFY2(registered.wait(15000), qPrintable(program->diagnosis()));
        const QString item = registered.value(0).value(0).toString();
        const QString menu = gdbusCall(bus.address(), item, QStringLiteral("/MenuBar"),
                                       {QStringLiteral("com.canonical.dbusmenu.GetLayout"), QStringLiteral("--"),
                                        QStringLiteral("0"), QStringLiteral("-1"), QStringLiteral("@as []")});
        for (const QString &action :
             {QStringLiteral("显示主界面"), QStringLiteral("隐藏主界面"), QStringLiteral("关闭程序")})
            QVERIFY2(menu.contains(action), qPrintable(menu));
        QVERIFY(session->views(process->processId()).isEmpty());
        // A left click on the icon is the item's Activate: the window comes, no popup is needed.
        gdbusCall(bus.address(), item, QStringLiteral("/StatusNotifierItem"),
                  {QStringLiteral("org.kde.StatusNotifierItem.Activate"), QStringLiteral("0"), QStringLiteral("0")});
        QVERIFY(view(mainWindowTitle).pid);
        QDBusConnection::disconnectFromBus(QStringLiteral("watcher"));
    }

    void withoutANotificationAreaTheLowestButtonQuits() {
        PrivateSessionBus bus;  // a session bus, but no notification area on it
        const WaylandView mainWindow = start(trayMode, bus.address());
        QVERIFY2(mainWindow.pid, qPrintable(program->diagnosis()));
        // A click that comes before the program has bound the pointer to its new window is lost.
        const QPoint lowestButton = buttonCentre(mainWindow.content, MainButton::Exit);
        QVERIFY(pollUntil([&] { return session->click(lowestButton) && process->waitForFinished(2000); }, 10000));
        QCOMPARE(process->exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestE2eWayland)
#include "test_e2e_wayland.moc"
