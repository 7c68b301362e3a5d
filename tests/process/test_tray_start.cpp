#include <QtTest>

#include "app/version.h"

#include <QProcess>
#include <QStandardPaths>

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
        // The autostart entry is written while the window is built; give the window time to appear were it shown.
        // (Probing the instance socket here would itself raise the window: a connection is the raise request.)
        QTRY_VERIFY_WITH_TIMEOUT(!autostartEntry().isEmpty(), 10000);
        QTest::qWait(700);
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
        QProcess *first = launch(program, {QStringLiteral("-bg")});
        waitUntilBuilt();
        QVERIFY(!windowVisible());
        QVERIFY(autostartEntry().contains(QStringLiteral("\nExec=\"%1\" -bg\n").arg(program)));
        QVERIFY(autostartEntry().contains(QStringLiteral("\nHidden=false\n")));

        relaunchIsRefused(program);
        QTRY_VERIFY_WITH_TIMEOUT(windowVisible(), 10000);
        QCOMPARE(first->state(), QProcess::Running);
    }

    void windowHiddenToAMissingTrayComesBackToo() {
        const QString program = install(QStringLiteral("orvessa-shown"), "[config]\nsystray=1\n");
        launch(program);
        QTRY_VERIFY_WITH_TIMEOUT(windowVisible(), 10000);
        // The user clicks "隐藏到系统托盘", the lowest button: the window hides to a tray that is not there.
        QProcess click;
        click.setProcessEnvironment(environment());
        click.start(QStringLiteral("xdotool"),
                    {QStringLiteral("mousemove"), QStringLiteral("--window"), windowId(), QStringLiteral("190"),
                     QStringLiteral("475"), QStringLiteral("click"), QStringLiteral("1")});
        QVERIFY(click.waitForFinished(5000));
        QTRY_VERIFY_WITH_TIMEOUT(!windowVisible(), 10000);

        relaunchIsRefused(program);
        QTRY_VERIFY_WITH_TIMEOUT(windowVisible(), 10000);
    }

    void hiddenStartInWindowModeStaysHidden() {
        // Without the tray setting a hidden start keeps the behaviour it always had: nothing to raise.
        const QString program = install(QStringLiteral("orvessa-window"), "[config]\nsystray=0\n");
        launch(program, {QStringLiteral("-bg")});
        waitUntilBuilt();
        QVERIFY(autostartEntry().contains(QStringLiteral("\nHidden=true\n")));
        relaunchIsRefused(program);
        QTest::qWait(700);
        QVERIFY(!windowVisible());
    }
};

QTEST_GUILESS_MAIN(TestTrayStart)
#include "test_tray_start.moc"
