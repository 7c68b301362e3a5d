#include <QtTest>

#include <QLocalSocket>
#include <QProcess>
#include <QStandardPaths>

#include "orvessa_version.h"

// The real executable on a bare X server (Xvfb): a desktop without a notification area, as some Linux desktops
// are. Skipped when Xvfb or xdotool is missing.
namespace {
const QString mainWindowTitle = QRegularExpression::escape(QStringLiteral("Ver " ORVESSA_VERSION));
}  // namespace

class TestTrayStart : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder;
    QProcess xserver;
    QString display;
    QList<QProcess *> started;

    QString runtimeDir() const { return folder.filePath(QStringLiteral("run")); }
    QString configDir() const { return folder.filePath(QStringLiteral("config")); }

    // The program in a folder whose name has a space, beside its settings file.
    QString install(const QString &fileName, const QByteArray &settings) {
        const QString programFolder = folder.filePath(QStringLiteral("Touch Kit"));
        QDir().mkpath(programFolder);
        QString program = programFolder + QLatin1Char('/') + fileName;
        QFile::remove(program);
        QFile::copy(QStringLiteral(ORVESSA_EXECUTABLE), program);
        QFile ini(programFolder + QStringLiteral("/setting_calibration.ini"));
        if (ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
            ini.write(settings);
        return program;
    }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("DISPLAY"), display);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir());
        env.insert(QStringLiteral("HOME"), folder.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), configDir());
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));  // no status-notifier tray through D-Bus either
        return env;
    }

    QProcess *launch(const QString &program, const QStringList &arguments = {}) {
        auto *process = new QProcess(this);
        process->setProcessEnvironment(environment());
        process->start(program, arguments);
        started << process;
        return process;
    }

    bool windowVisible() {
        QProcess search;
        search.setProcessEnvironment(environment());
        search.start(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                 QStringLiteral("--name"), mainWindowTitle});
        return search.waitForFinished(5000) && search.exitCode() == 0;
    }

    QString autostartEntry() const {
        QFile file(configDir() + QStringLiteral("/autostart/Vantrel.desktop"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    void waitUntilBuilt() {
        // The autostart entry is written while the window is built.
        QTRY_VERIFY_WITH_TIMEOUT(!autostartEntry().isEmpty(), 10000);
    }

    // Knocks on the running program's instance socket as a later launch does, and waits until the program has
    // handled the knock (it drops the connection once data arrives): its event loop runs and has answered every
    // request to show the window made so far.
    void waitUntilAKnockIsHandled(const QString &program) {
        QLocalSocket knock;
        knock.connectToServer(runtimeDir() + QLatin1Char('/') + QFileInfo(program).fileName());
        QVERIFY(knock.waitForConnected(5000));
        knock.write("?");
        knock.flush();
        QTRY_COMPARE_WITH_TIMEOUT(knock.state(), QLocalSocket::UnconnectedState, 10000);
    }

    QString windowId() {
        QProcess search;
        search.setProcessEnvironment(environment());
        search.start(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                 QStringLiteral("--name"), mainWindowTitle});
        search.waitForFinished(5000);
        return QString::fromLatin1(search.readAllStandardOutput()).split(QLatin1Char('\n')).value(0);
    }

    void relaunchIsRefused(const QString &program) {
        QProcess *again = launch(program);
        QVERIFY(again->waitForFinished(10000));
        QCOMPARE(again->exitCode(), 0);
        QVERIFY(again->readAllStandardError().endsWith(" already running.\n"));
    }

private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            QSKIP("needs Xvfb and xdotool");
        QVERIFY(folder.isValid());
        QDir(folder.path()).mkpath(QStringLiteral("run"));
        QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // -displayfd picks a free display and prints its number.
        xserver.start(
            QStringLiteral("Xvfb"),
            {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
             QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp"),
             // Without -noreset the server refuses connections while it resets after its last client left.
             QStringLiteral("-noreset")});
        QVERIFY(xserver.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(xserver.canReadLine(), 10000);
        display = QLatin1Char(':') + QString::fromLatin1(xserver.readLine().trimmed());
    }

    void cleanup() {
        for (QProcess *process : std::as_const(started)) {
            process->kill();
            process->waitForFinished(5000);
        }
        qDeleteAll(started);
        started.clear();
        QFile::remove(configDir() + QStringLiteral("/autostart/Vantrel.desktop"));
    }

    void cleanupTestCase() {
        if (xserver.state() != QProcess::NotRunning) {
            xserver.terminate();
            xserver.waitForFinished(5000);
        }
    }

    void hiddenTrayStartWithoutTrayIsBroughtBackByRelaunching() {
        const QString program = install(QStringLiteral("orvessa"), "[config]\nsystray=1\n");
        // That a hidden start shows nothing by itself is checked in window mode below: here a knock would show it.
        QProcess *first = launch(program, {QStringLiteral("-bg")});
        waitUntilBuilt();
        QVERIFY(autostartEntry().contains(QStringLiteral("\nExec=\"%1\" -bg\n").arg(program)));
        QVERIFY(autostartEntry().contains(QStringLiteral("\nHidden=false\n")));

        relaunchIsRefused(program);
        QTRY_VERIFY_WITH_TIMEOUT(windowVisible(), 10000);
        QCOMPARE(first->state(), QProcess::Running);
    }

    void lowestButtonEndsTrayModeWithoutATray() {
        const QString program = install(QStringLiteral("orvessa-shown"), "[config]\nsystray=1\n");
        QProcess *first = launch(program);
        QTRY_VERIFY_WITH_TIMEOUT(windowVisible(), 10000);
        // The lowest button reads "退  出" here: with no tray to hide to, it ends the program as in window mode.
        QProcess click;
        click.setProcessEnvironment(environment());
        click.start(QStringLiteral("xdotool"),
                    {QStringLiteral("mousemove"), QStringLiteral("--window"), windowId(), QStringLiteral("190"),
                     QStringLiteral("475"), QStringLiteral("click"), QStringLiteral("1")});
        QVERIFY(click.waitForFinished(5000));
        QVERIFY(first->waitForFinished(10000));
        QCOMPARE(first->exitStatus(), QProcess::NormalExit);
        QCOMPARE(first->exitCode(), 0);
    }

    void hiddenStartInWindowModeStaysHidden() {
        // Without the tray setting a hidden start keeps the behaviour it always had: nothing to raise.
        const QString program = install(QStringLiteral("orvessa-window"), "[config]\nsystray=0\n");
        // An entry left by an earlier start in tray mode: window mode switches it off while the window is built
        // (where there is none, it writes nothing).
        QDir().mkpath(configDir() + QStringLiteral("/autostart"));
        QFile entry(configDir() + QStringLiteral("/autostart/Vantrel.desktop"));
        QVERIFY(entry.open(QIODevice::WriteOnly) &&
                entry.write("[Desktop Entry]\nExec=orvessa -bg\nHidden=false\n") > 0);
        entry.close();
        launch(program, {QStringLiteral("-bg")});
        QTRY_VERIFY_WITH_TIMEOUT(autostartEntry().contains(QStringLiteral("\nHidden=true\n")), 10000);
        QTest::qWait(700);  // time for the window to appear were it shown
        relaunchIsRefused(program);
        waitUntilAKnockIsHandled(program);
        QVERIFY(!windowVisible());
    }
};

QTEST_GUILESS_MAIN(TestTrayStart)
#include "test_tray_start.moc"
