#include <QtTest>

#include "platform/autostart.h"

namespace {

QString entryPath(const QString &configFolder) {
    return configFolder + QStringLiteral("/autostart/Vantrel.desktop");
}

QByteArray readBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

void writeBytes(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The entry as tray mode writes it for /opt/orvessa, with @p hidden and any @p extra lines after it.
QByteArray entryFor(const QByteArray &hidden, const QByteArray &extra = {}) {
    return "[Desktop Entry]\nType=Application\nName=Orvessa\n"
           "Comment=Touch-frame calibration utility, started hidden in the notification area\n"
           "Exec=\"/opt/orvessa\" -bg\nTryExec=/opt/orvessa\nTerminal=false\nHidden=" +
           hidden + "\n" + extra;
}

}  // namespace

class TestAutostart : public QObject {
    Q_OBJECT

private:
    const QString configFolder = qEnvironmentVariable("XDG_CONFIG_HOME");

private slots:
    void init() { QDir(configFolder + QStringLiteral("/autostart")).removeRecursively(); }

    void windowsRunValueQuotesThePath_data() {
        QTest::addColumn<QString>("programPath");
        QTest::addColumn<QString>("value");
        QTest::newRow("path with spaces is quoted so Windows cannot run D:\\Tools\\Touch")
            << "D:/Tools/Touch Kit/app.exe"
            << R"("D:\Tools\Touch Kit\app.exe" -bg)";
        QTest::newRow("path without spaces is quoted too") << "C:/Orvessa/orvessa.exe"
                                                           << R"("C:\Orvessa\orvessa.exe" -bg)";
        QTest::newRow("every slash becomes a backslash") << "//server/share/a b/x.exe"
                                                         << R"("\\server\share\a b\x.exe" -bg)";
        QTest::newRow("non-Latin folder kept as it is") << "D:/触摸屏/app.exe"
                                                        << R"("D:\触摸屏\app.exe" -bg)";
    }
    void windowsRunValueQuotesThePath() {
        QFETCH(QString, programPath);
        QFETCH(QString, value);
        QCOMPARE(platform::windowsRunCommand(programPath), value);
    }

    void execLineGivesBackThePathAndTheHiddenArgument_data() {
        QTest::addColumn<QString>("programPath");
        QTest::newRow("plain path") << "/usr/bin/orvessa";
        QTest::newRow("spaces") << "/home/ann/Touch Kit/orvessa";
        QTest::newRow("double quote") << "/opt/a\"b/orvessa";
        QTest::newRow("single quote") << "/opt/Ann's tools/orvessa";
        QTest::newRow("backslash") << "/opt/a\\b/orvessa";
        QTest::newRow("dollar, not a variable") << "/opt/$HOME/orvessa";
        QTest::newRow("backtick, not a command") << "/opt/`reboot`/orvessa";
        QTest::newRow("percent, not a field code") << "/opt/100%f/orvessa";
        QTest::newRow("shell characters") << "/opt/a;b&c|d>e<f~g*h?i#j(k)/orvessa";
        QTest::newRow("newline and tab") << "/opt/a\nb\tc/orvessa";
        QTest::newRow("everything at once") << "/opt/ \"'\\$`%; x/orvessa";
        QTest::newRow("non-Latin folder") << "/home/用户/触摸屏/orvessa";
    }
    // GLib's own launcher (gio launch) starts the program from the written entry, and desktop-file-validate
    // accepts it: both readers of the Exec rules, and GLib is what GNOME's and Xfce's sessions start it with. GLib
    // also checks TryExec: once the program is gone, the entry no longer starts anything (for a path with '%', whose
    // Exec starts env, TryExec alone sees to that).
    void execLineGivesBackThePathAndTheHiddenArgument() {
        QFETCH(QString, programPath);
        if (QStandardPaths::findExecutable(QStringLiteral("gio")).isEmpty())
            QSKIP("needs gio (libglib2.0-bin)");
        QTemporaryDir scratch;
        const QString program = scratch.path() + programPath;
        const QString record = scratch.filePath(QStringLiteral("record"));
        writeBytes(program, "#!/bin/sh\nprintf '%s\\0' \"$0\" \"$@\" > '" + record.toUtf8() + "'\n");
        QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        platform::writeAutostartEntry(program, true);

        QProcess validate;
        validate.start(QStringLiteral("desktop-file-validate"), {entryPath(configFolder)});
        QVERIFY(validate.waitForFinished(10000));
        QVERIFY2(validate.exitCode() == 0, validate.readAllStandardOutput().constData());
        QProcess launch;
        launch.start(QStringLiteral("gio"), {QStringLiteral("launch"), entryPath(configFolder)});
        QVERIFY(launch.waitForFinished(10000));
        QVERIFY2(launch.exitCode() == 0, launch.readAllStandardError().constData());
        QTRY_VERIFY_WITH_TIMEOUT(readBytes(record).endsWith('\0'), 10000);
        QCOMPARE(readBytes(record), program.toUtf8() + '\0' + "-bg" + '\0');

        QVERIFY(QFile::remove(program));
        launch.start(QStringLiteral("gio"), {QStringLiteral("launch"), entryPath(configFolder)});
        QVERIFY(launch.waitForFinished(10000));
        QVERIFY(launch.exitCode() != 0);
    }

    void execLineIsWrittenByTheRules() {
        // Worked examples of the desktop entry rules: "\\$" for a dollar and four backslashes for one.
        QCOMPARE(platform::desktopExecArgument(QStringLiteral("/a b/$x")), QStringLiteral(R"("/a b/\\$x")"));
        QCOMPARE(platform::desktopExecArgument(QStringLiteral("/a\\b")), QStringLiteral(R"("/a\\\\b")"));
        QCOMPARE(platform::desktopExecArgument(QStringLiteral("/50%")), QStringLiteral(R"("/50%%")"));
        QCOMPARE(platform::desktopExecValue(QStringLiteral("/50%")), QStringLiteral(R"(env "/50%%" -bg)"));
        // TryExec is a plain string: no quotes, '%' and '$' as they are, only the key file's escapes.
        QCOMPARE(platform::desktopStringValue(QStringLiteral("/a b/$x/50%\\y\n")),
                 QStringLiteral(R"(/a b/$x/50%\\y\n)"));
        QCOMPARE(platform::desktopStringValue(QStringLiteral(" lead")), QStringLiteral(R"(\slead)"));
    }

    void userSwitchSurvivesEveryStart_data() {
        QTest::addColumn<QByteArray>("before");  // "<none>": no entry
        QTest::addColumn<bool>("trayMode");
        QTest::addColumn<QByteArray>("after");
        const QByteArray ours = "X-Orvessa-Hidden-By-Window-Mode=true\n";
        const QByteArray gnomeOff = "X-GNOME-Autostart-enabled=false\n";
        QTest::newRow("tray mode creates the entry") << QByteArray("<none>") << true << entryFor("false");
        QTest::newRow("window mode creates nothing") << QByteArray("<none>") << false << QByteArray("<none>");
        QTest::newRow("window mode switches an entry off, as its own")
            << entryFor("false") << false << entryFor("true", ours);
        QTest::newRow("tray mode switches window mode's off on again")
            << entryFor("true", ours) << true << entryFor("false");
        QTest::newRow("the user's Hidden=true (Plasma, Xfce) stays in tray mode")
            << entryFor("true") << true << entryFor("true");
        QTest::newRow("the user's Hidden=true is not taken over by window mode")
            << entryFor("true") << false << entryFor("true");
        QTest::newRow("GNOME's X-GNOME-Autostart-enabled=false stays in tray mode")
            << entryFor("false", gnomeOff) << true << entryFor("false", gnomeOff);
        QTest::newRow("a moved program gets its new path; the user's lines keep their bytes")
            << QByteArray("# caf\xE9\r\n[Desktop Entry]\r\nExec=/old/orvessa -bg\r\nName[de]=Ber\xFChrung") << true
            << QByteArray(
                   "# caf\xE9\r\n[Desktop Entry]\r\nExec=\"/opt/orvessa\" -bg\r\nName[de]=Ber\xFChrung\r\n"
                   "Type=Application\r\nName=Orvessa\r\n"
                   "Comment=Touch-frame calibration utility, started hidden in the notification area\r\n"
                   "TryExec=/opt/orvessa\r\nTerminal=false\r\nHidden=false\r\n");
    }
    void userSwitchSurvivesEveryStart() {
        QFETCH(QByteArray, before);
        QFETCH(bool, trayMode);
        QFETCH(QByteArray, after);
        const QString path = entryPath(configFolder);
        if (before != "<none>")
            writeBytes(path, before);
        platform::writeAutostartEntry(QStringLiteral("/opt/orvessa"), trayMode);
        QCOMPARE(readBytes(path), after);
    }

    void entryBehindALinkIsLeftAlone() {
        // Root with a user's XDG_CONFIG_HOME must not write through a link into a file it happens to reach.
        QTemporaryDir elsewhere;
        const QString target = elsewhere.filePath(QStringLiteral("secret"));
        writeBytes(target, "root only\n");
        QDir().mkpath(configFolder + QStringLiteral("/autostart"));
        QVERIFY(QFile::link(target, entryPath(configFolder)));
        for (const bool trayMode : {true, false})
            platform::writeAutostartEntry(QStringLiteral("/opt/orvessa"), trayMode);
        QCOMPARE(readBytes(target), QByteArray("root only\n"));
        QVERIFY(QFileInfo(entryPath(configFolder)).isSymLink());
    }

    void unwritableFolderIsSilent() {
        // A file where the autostart folder should be: nothing can be written, and nothing complains.
        QFile blocker(configFolder + QStringLiteral("/autostart"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        platform::writeAutostartEntry(QStringLiteral("/opt/orvessa"), true);
        QVERIFY(QFileInfo(blocker.fileName()).isFile());
        QVERIFY(blocker.remove());
    }
};

QTEST_GUILESS_MAIN(TestAutostart)
#include "test_autostart.moc"
