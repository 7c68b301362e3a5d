#include <QtTest>

#include <QLocalSocket>
#include <QProcess>

// Starts the real executable, copied into a temporary folder under chosen file names, several times.
class TestSingleInstance : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder;
    QList<QProcess *> started;

    QString runtimeDir() const { return folder.filePath(QStringLiteral("run")); }

    QString install(const QString &fileName) {
        QString target = folder.filePath(fileName);
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
        process->setProcessEnvironment(env);
        process->start(program, arguments);
        started << process;
        return process;
    }

    bool listening(const QString &fileName) {
        QLocalSocket probe;
        probe.connectToServer(QDir(runtimeDir()).filePath(fileName));
        return probe.waitForConnected(200);
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
        QDir(folder.path()).mkpath(QStringLiteral("run"));
        QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void cleanup() {
        for (QProcess *process : std::as_const(started)) {
            process->kill();
            process->waitForFinished(5000);
        }
        qDeleteAll(started);
        started.clear();
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
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_single_instance.moc"
