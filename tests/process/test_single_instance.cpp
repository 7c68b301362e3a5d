#include <QtTest>

#include <QLocalSocket>
#include <QProcess>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "orvessa_version.h"

// Starts the real executable, copied into a temporary folder under chosen file names, several times.
class TestSingleInstance : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder;
    QList<QProcess *> started;
    QHash<QString, QString> environmentChanges;  // for the launches of one case; a null value unsets the variable
    bool noUmask = false;                        // launches of one case run with umask 000

    QString runtimeDir() const { return folder.filePath(QStringLiteral("run")); }
    QString ownFolderName() const {
        return QStringLiteral("orvessa-runtime-%1").arg(QFileInfo(folder.path()).ownerId());
    }

    // The program in @p subfolder of the temporary folder (its settings file would be beside it).
    QString install(const QString &fileName, const QString &subfolder = QStringLiteral(".")) {
        QDir(folder.path()).mkpath(subfolder);
        QString target = QDir(folder.filePath(subfolder)).filePath(fileName);
        if (!QFile::exists(target))
            QFile::copy(QStringLiteral(ORVESSA_EXECUTABLE), target);
        return target;
    }

    QProcess *launch(const QString &program, const QStringList &arguments = {}) {
        auto *process = new QProcess(this);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir());
        env.insert(QStringLiteral("HOME"), folder.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), folder.filePath(QStringLiteral("cache")));
        env.insert(QStringLiteral("TMPDIR"), folder.filePath(QStringLiteral("tmp")));
        for (auto change = environmentChanges.cbegin(); change != environmentChanges.cend(); ++change) {
            if (change.value().isNull())
                env.remove(change.key());
            else
                env.insert(change.key(), change.value());
        }
        process->setProcessEnvironment(env);
        if (noUmask)
            process->setChildProcessModifier([] { ::umask(0); });
        process->start(program, arguments);
        started << process;
        return process;
    }

    static bool copyBytes(const QByteArray &from, const QByteArray &to) {
        QFile source(QFile::decodeName(from));
        const int fd = ::open(to.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0755);
        const QByteArray bytes = source.open(QIODevice::ReadOnly) ? source.readAll() : QByteArray();
        const bool copied =
            fd >= 0 && !bytes.isEmpty() && ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
        return fd >= 0 && ::close(fd) == 0 && copied;
    }

    // A script that starts @p programBytes by that very name (QProcess could only pass a name Qt can write as
    // text); it is called @p name in the temporary folder.
    QString starter(const QByteArray &programBytes, const QString &name) {
        QString script = folder.filePath(name + QStringLiteral(".sh"));
        QFile file(script);
        if (!file.open(QIODevice::WriteOnly) || file.write("#!/bin/sh\nexec '" + programBytes + "' \"$@\"\n") < 0)
            return {};
        file.close();
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return script;
    }

    bool listening(const QString &fileName, const QString &socketFolder = {}) {
        QLocalSocket probe;
        probe.connectToServer(QDir(socketFolder.isNull() ? runtimeDir() : socketFolder).filePath(fileName));
        return probe.waitForConnected(200);
    }

    // A copy in its event loop takes a connection and, as nothing comes, closes it within a second; one stuck
    // before its event loop leaves it open.
    bool serving(const QString &fileName) {
        QLocalSocket peer;
        peer.connectToServer(QDir(runtimeDir()).filePath(fileName));
        return peer.waitForConnected(2000) && peer.waitForDisconnected(5000);
    }

    static qsizetype countRunning(const QList<QProcess *> &processes) {
        return std::count_if(processes.cbegin(), processes.cend(),
                             [](const QProcess *process) { return process->state() != QProcess::NotRunning; });
    }

    void expectRefused(const QString &program, const QString &fileName) {
        QProcess *second = launch(program);
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(QString::fromLocal8Bit(second->readAllStandardError()),
                 fileName + QStringLiteral(" already running.\n"));
    }

private slots:
    void initTestCase() {
        QVERIFY(folder.isValid());
        for (const char *sub : {"run", "tmp", "cache"})
            QDir(folder.path()).mkpath(QString::fromLatin1(sub));
        QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void cleanup() {
        for (QProcess *process : std::as_const(started)) {
            process->kill();
            process->waitForFinished(5000);
        }
        qDeleteAll(started);
        started.clear();
        environmentChanges.clear();
        noUmask = false;
        for (const char *sub : {"run", "tmp", "cache"})
            QDir(folder.filePath(QString::fromLatin1(sub))).removeRecursively();
        initTestCase();
    }

    void secondLaunchIsRefusedWithExitCodeZero() {
        const QString program = install(QStringLiteral("orvessa"));
        QProcess *first = launch(program);
        QTRY_VERIFY_WITH_TIMEOUT(listening(QStringLiteral("orvessa")), 10000);
        expectRefused(program, QStringLiteral("orvessa"));
        expectRefused(program, QStringLiteral("orvessa"));  // the first keeps serving after a connection
        QCOMPARE(first->state(), QProcess::Running);
    }

    void hiddenStartIsGuardedToo() {
        const QString program = install(QStringLiteral("orvessa"));
        QProcess *first = launch(program, {QStringLiteral("-bg")});
        QTRY_VERIFY_WITH_TIMEOUT(listening(QStringLiteral("orvessa")), 10000);
        expectRefused(program, QStringLiteral("orvessa"));
        QCOMPARE(first->state(), QProcess::Running);
    }

    void staleSocketOfAKilledInstanceDoesNotBlock() {
        const QString program = install(QStringLiteral("orvessa"));
        QProcess *victim = launch(program);
        QTRY_VERIFY_WITH_TIMEOUT(listening(QStringLiteral("orvessa")), 10000);
        victim->kill();  // SIGKILL: no chance to remove its socket
        QVERIFY(victim->waitForFinished(5000));
        QVERIFY(QFile::exists(QDir(runtimeDir()).filePath(QStringLiteral("orvessa"))));

        QProcess *next = launch(program);
        QTRY_VERIFY_WITH_TIMEOUT(listening(QStringLiteral("orvessa")), 10000);
        QCOMPARE(next->state(), QProcess::Running);
        expectRefused(program, QStringLiteral("orvessa"));
    }

    void copiesUnderDifferentNamesRunSideBySide() {
        const QString a = install(QStringLiteral("orvessa"));
        const QString b = install(QStringLiteral("touch kit"));
        QProcess *first = launch(a);
        QProcess *second = launch(b);
        QTRY_VERIFY_WITH_TIMEOUT(listening(QStringLiteral("orvessa")), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(listening(QStringLiteral("touch kit")), 10000);
        QCOMPARE(first->state(), QProcess::Running);
        QCOMPARE(second->state(), QProcess::Running);
        expectRefused(b, QStringLiteral("touch kit"));
    }

    void somethingElseAtTheSocketPathKeepsTheGuard_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("occupant");  // what lies at the socket's path beforehand: "folder", "file" or ""
        QTest::newRow("a folder at the socket path") << QStringLiteral("orvessa") << QStringLiteral("folder");
        QTest::newRow("a regular file at the socket path is kept")
            << QStringLiteral("orvessa") << QStringLiteral("file");
        QTest::newRow("a name too long for a socket address")
            << QStringLiteral("orvessa-%1").arg(QString(120, QLatin1Char('x'))) << QString();
    }

    // Copies launched one right after another: all but one stop with the message, and what was at the path stays.
    void somethingElseAtTheSocketPathKeepsTheGuard() {
        QFETCH(QString, fileName);
        QFETCH(QString, occupant);
        const QString path = QDir(runtimeDir()).filePath(fileName);
        if (occupant == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(path));
        QFile file(path);
        if (occupant == QLatin1String("file"))
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("the user's own") == 14 && file.flush());
        file.close();

        const QString program = install(fileName);
        const QList<QProcess *> copies{launch(program), launch(program), launch(program)};
        QTRY_COMPARE_WITH_TIMEOUT(countRunning(copies), 1, 15000);
        expectRefused(program, fileName);
        if (occupant == QLatin1String("folder"))
            QVERIFY(QFileInfo(path).isDir());
        if (occupant == QLatin1String("file")) {
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), QByteArray("the user's own"));
        }
        if (occupant.isEmpty())  // a shortened name, still in the runtime folder, so later launches reach the window
            QVERIFY(listening(QDir(runtimeDir()).entryList({QStringLiteral("instance-*")}, QDir::System).value(0)));
    }

    void rivalStartedWhileTheFirstCopyBinds_data() {
        QTest::addColumn<bool>("killFirst");
        QTest::newRow("the rival is refused, the first copy then listens") << false;
        QTest::newRow("a copy killed while binding leaves nothing that blocks") << true;
    }

    // The first copy is held inside bind(), between deciding to listen and listening, while a rival starts.
    void rivalStartedWhileTheFirstCopyBinds() {
#ifndef ORVESSA_TEST_BIND_HOLD
        QSKIP("needs the preloadable bind hold (Unix)");
#else
        QFETCH(bool, killFirst);
        const QString gate = folder.filePath(QStringLiteral("bind-gate"));
        QFile::remove(gate + QStringLiteral(".entered"));
        QFile gateFile(gate);
        QVERIFY(gateFile.open(QIODevice::WriteOnly));
        const QString program = install(QStringLiteral("orvessa"));
        environmentChanges = {{QStringLiteral("LD_PRELOAD"), QStringLiteral(ORVESSA_TEST_BIND_HOLD)},
                              {QStringLiteral("ORVESSA_TEST_BIND_GATE"), gate}};
        QProcess *first = launch(program);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(gate + QStringLiteral(".entered")), 10000);
        environmentChanges.clear();
        if (killFirst) {
            first->kill();
            QVERIFY(first->waitForFinished(5000));
            QProcess *next = launch(program);
            QTRY_VERIFY_WITH_TIMEOUT(listening(QStringLiteral("orvessa")), 10000);
            QCOMPARE(next->state(), QProcess::Running);
        } else {
            expectRefused(program, QStringLiteral("orvessa"));
            QVERIFY(QFile::remove(gate));
            QTRY_VERIFY_WITH_TIMEOUT(listening(QStringLiteral("orvessa")), 10000);
            QCOMPARE(first->state(), QProcess::Running);
        }
#endif
    }

    void socketFolderIsPrivateToTheUser_data() {
        QTest::addColumn<QString>("runtimeFolder");  // XDG_RUNTIME_DIR, relative to the temporary folder; null: unset
        QTest::addColumn<QString>("squatter");       // what lies at tmp/<own folder> beforehand: "link", "other user"
        QTest::addColumn<QString>("expectedFolder");
        QTest::newRow("without XDG_RUNTIME_DIR: a folder of its own in the temporary folder")
            << QString() << QString() << QStringLiteral("tmp");
        QTest::newRow("XDG_RUNTIME_DIR that others may write to is not used")
            << QStringLiteral("shared") << QString() << QStringLiteral("tmp");
        QTest::newRow("XDG_RUNTIME_DIR that others may only read and search (0755) is not used either")
            << QStringLiteral("searchable") << QString() << QStringLiteral("tmp");
        QTest::newRow("a link in the own folder's place is not followed")
            << QString() << QStringLiteral("link") << QStringLiteral("cache");
        QTest::newRow("another user's folder of that name is not used")
            << QString() << QStringLiteral("other user") << QStringLiteral("cache");
    }

    void socketFolderIsPrivateToTheUser() {
        QFETCH(QString, runtimeFolder);
        QFETCH(QString, squatter);
        QFETCH(QString, expectedFolder);
        const QString shared = folder.filePath(QStringLiteral("shared"));
        QVERIFY(QDir().mkpath(shared));
        QVERIFY(QFile::setPermissions(shared, QFile::Permissions(0x7777)));  // rwx for everyone, like /tmp
        const QString searchable = folder.filePath(QStringLiteral("searchable"));
        QVERIFY(QDir().mkpath(searchable));
        QVERIFY(QFile::setPermissions(searchable, QFile::Permissions(0x7755)));
        const QString squatted = QDir(folder.filePath(QStringLiteral("tmp"))).filePath(ownFolderName());
        if (squatter == QLatin1String("link"))
            QVERIFY(QFile::link(shared, squatted));
        if (squatter == QLatin1String("other user")) {
            QVERIFY(QDir().mkpath(squatted));
            QFile::setPermissions(squatted, QFile::Permissions(0x7777));
            if (QProcess::execute(QStringLiteral("chown"), {QStringLiteral("65534"), squatted}) != 0)
                QSKIP("giving a folder to another user needs root");
        }
        environmentChanges[QStringLiteral("XDG_RUNTIME_DIR")] =
            runtimeFolder.isNull() ? QString() : folder.filePath(runtimeFolder);
        // Qt itself warns about such a runtime folder at start, which is not what these rows check.
        environmentChanges[QStringLiteral("QT_LOGGING_RULES")] = QStringLiteral("default.warning=false");

        noUmask = true;  // the socket must be the user's alone all the same

        const QString program = install(QStringLiteral("orvessa"));
        QProcess *first = launch(program);
        const QString socketFolder = QDir(folder.filePath(expectedFolder)).filePath(ownFolderName());
        QTRY_VERIFY_WITH_TIMEOUT(listening(QStringLiteral("orvessa"), socketFolder), 10000);
        struct stat socket {};
        QVERIFY(::lstat(QFile::encodeName(QDir(socketFolder).filePath(QStringLiteral("orvessa"))).constData(),
                        &socket) == 0);
        QCOMPARE(socket.st_mode & 07777, mode_t(0600));
        expectRefused(program, QStringLiteral("orvessa"));
        QCOMPARE(first->state(), QProcess::Running);
        const QFileInfo made(socketFolder);
        QVERIFY(!made.isSymLink());
        QCOMPARE(made.ownerId(), QFileInfo(folder.path()).ownerId());
        QCOMPARE(made.permissions() & QFile::Permissions(0x0077), QFile::Permissions());  // nothing for group, others
        for (const QString &unused : {shared, searchable})
            QVERIFY(QDir(unused).isEmpty(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot));
    }

    // Reading a FIFO as the settings file would wait for a writer forever: the program must start all the same.
    void fifoAsSettingsFileGivesTheDefaults() {
        const QString program = install(QStringLiteral("orvessa"), QStringLiteral("fifo"));
        const QString settingsFile = QFileInfo(program).dir().filePath(QStringLiteral("setting_calibration.ini"));
        if (!QFile::exists(settingsFile) && QProcess::execute(QStringLiteral("mkfifo"), {settingsFile}) != 0)
            QSKIP("no mkfifo here");
        QProcess *copy = launch(program);
        QTRY_VERIFY_WITH_TIMEOUT(listening(QStringLiteral("orvessa")), 10000);
        QVERIFY(serving(QStringLiteral("orvessa")));
        QCOMPARE(copy->state(), QProcess::Running);
    }

    // Installed in a folder whose name is not valid UTF-8 (Qt's text form of it leads nowhere) and started by
    // that name: the lock, the socket and the settings file are still the program's own.
    void folderNameThatIsNotUtf8() {
        const QByteArray installed = QFile::encodeName(folder.path()) + "/touch\xff\xfe kit";
        QVERIFY(::mkdir(installed.constData(), 0755) == 0 || errno == EEXIST);
        const QByteArray settingsFile = installed + "/setting_calibration.ini";
        QVERIFY(copyBytes(QFile::encodeName(QStringLiteral(ORVESSA_EXECUTABLE)), installed + "/orvessa") &&
                copyBytes(QFile::encodeName(QStringLiteral(ORVESSA_FRAME_TOOL)), installed + "/orvessa-frame"));
        const int fd = ::open(settingsFile.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0 && ::write(fd, "[config]\nvid=1FF7\n", 18) == 18 && ::close(fd) == 0);

        const QString program = starter(installed + "/orvessa", QStringLiteral("orvessa"));
        QProcess *first = launch(program);
        QTRY_VERIFY_WITH_TIMEOUT(listening(QStringLiteral("orvessa")), 10000);
        QVERIFY(QFile::exists(QDir(runtimeDir()).filePath(QStringLiteral("orvessa.lock"))));
        expectRefused(program, QStringLiteral("orvessa"));
        QCOMPARE(first->state(), QProcess::Running);

        QProcess *tool =
            launch(starter(installed + "/orvessa-frame", QStringLiteral("orvessa-frame")), {QStringLiteral("list")});
        QVERIFY(tool->waitForFinished(10000));
        const QString listed = QString::fromUtf8(tool->readAllStandardOutput());
        QVERIFY2(listed.contains(QStringLiteral("\n  vid= adds: 1FF7\n")), qPrintable(listed));
    }

    void helpAndVersionPrintAndStartNothing_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("output");
        const QString usageStart = QStringLiteral("Usage: orvessa [-bg]\n");
        const QString version = QStringLiteral("Orvessa " ORVESSA_VERSION "\n");
        QTest::newRow("--help") << QStringList{QStringLiteral("--help")} << usageStart;
        QTest::newRow("--version") << QStringList{QStringLiteral("--version")} << version;
        QTest::newRow("--version after -bg")
            << QStringList{QStringLiteral("-bg"), QStringLiteral("--version")} << version;
    }

    void helpAndVersionPrintAndStartNothing() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, output);
        QProcess *request = launch(install(QStringLiteral("orvessa")), arguments);
        QVERIFY(request->waitForFinished(10000));
        QCOMPARE(request->exitCode(), 0);
        QVERIFY(QString::fromLocal8Bit(request->readAllStandardOutput()).startsWith(output));
        QCOMPARE(request->readAllStandardError(), QByteArray());
        QVERIFY(QDir(runtimeDir()).isEmpty(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot));
    }

    // Without a display the program says so and ends with its own status before it takes the instance's name;
    // Qt's abort() would give 134 and advise reinstalling.
    void withoutADisplayItSaysWhatIsMissing_data() {
        QTest::addColumn<QString>("platform");  // QT_QPA_PLATFORM; null: unset
        QTest::addColumn<QString>("waylandDisplay");
        QTest::addColumn<QString>("missing");
        QTest::newRow("a text console") << QString() << QString() << "DISPLAY or WAYLAND_DISPLAY is not set";
        QTest::newRow("X11 asked for in a Wayland session")
            << QStringLiteral("xcb") << QStringLiteral("wayland-0") << "DISPLAY is not set (Qt platform xcb)";
    }
    void withoutADisplayItSaysWhatIsMissing() {
        QFETCH(QString, platform);
        QFETCH(QString, waylandDisplay);
        QFETCH(QString, missing);
        environmentChanges.insert(QStringLiteral("DISPLAY"), QString());
        environmentChanges.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        environmentChanges.insert(QStringLiteral("WAYLAND_DISPLAY"), waylandDisplay);
        environmentChanges.insert(QStringLiteral("WAYLAND_SOCKET"), QString());
        QProcess *copy = launch(install(QStringLiteral("orvessa")));
        QVERIFY(copy->waitForFinished(10000));
        QCOMPARE(copy->exitStatus(), QProcess::NormalExit);
        QCOMPARE(copy->exitCode(), 1);
        QCOMPARE(QString::fromLocal8Bit(copy->readAllStandardError()),
                 QStringLiteral("orvessa needs a graphical session: ") + missing + QLatin1Char('\n'));
        QVERIFY(QDir(runtimeDir()).isEmpty(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot));
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_single_instance.moc"
