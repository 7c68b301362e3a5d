#include "support/program_under_test.h"

#include <utility>

#include <QDir>
#include <QFile>

QPoint buttonCentre(const QRect &window, MainButton button) {
    return window.topLeft() + QPoint(190, 55 + 70 * static_cast<int>(button));
}

ProgramUnderTest::ProgramUnderTest(QString display, const QByteArray &settings, Executable executable)
    : m_display(std::move(display)) {
    if (!m_folder.isValid())
        return;
    const QDir root(m_folder.path());
    for (const char *sub : {"program", "home", "config", "data", "cache", "run"})
        root.mkpath(QString::fromLatin1(sub));
    QFile::setPermissions(root.filePath(QStringLiteral("run")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // The copy has no catalogue beside it: the interface is Chinese, whatever the language setting says.
    const bool tool = executable == Executable::FrameTool;
    m_program = root.filePath(tool ? QStringLiteral("program/orvessa-frame") : QStringLiteral("program/orvessa"));
    QFile ini(settingsPath());
    const QString original = tool ? QStringLiteral(ORVESSA_FRAME_TOOL) : QStringLiteral(ORVESSA_EXECUTABLE);
    m_installed =
        QFile::copy(original, m_program) && ini.open(QIODevice::WriteOnly) && ini.write(settings) == settings.size();
}

QString ProgramUnderTest::settingsPath() const {
    return m_folder.filePath(QStringLiteral("program/setting_calibration.ini"));
}

ProgramUnderTest::~ProgramUnderTest() {
    for (QProcess *process : std::as_const(m_started)) {
        process->kill();
        process->waitForFinished(5000);
        delete process;
    }
}

QProcessEnvironment ProgramUnderTest::environment() const {
    const QDir root(m_folder.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("HOME"), root.filePath(QStringLiteral("home")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), root.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), root.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), root.filePath(QStringLiteral("cache")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), root.filePath(QStringLiteral("run")));
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));  // no tray and no accessibility bus either

    env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(ORVESSA_VIRTUAL_FRAME_PRELOAD ":" ORVESSA_E2E_SKIP_WAITS));
    // In sanitizer builds the preloaded objects come before the sanitizer runtime, which then must not object.
    env.insert(QStringLiteral("ASAN_OPTIONS"),
               env.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":verify_asan_link_order=0"));
    env.insert(QStringLiteral("ORVESSA_VIRTUAL_FRAME_RECORD"), root.filePath(QStringLiteral("frame-record.txt")));
    env.insert(QStringLiteral("ORVESSA_E2E_WAIT_RECORD"), root.filePath(QStringLiteral("waits.txt")));
    for (auto variable = m_frameVariables.cbegin(); variable != m_frameVariables.cend(); ++variable)
        env.insert(variable.key(), variable.value());
    for (auto variable = m_variables.cbegin(); variable != m_variables.cend(); ++variable) {
        if (variable.value().isNull())
            env.remove(variable.key());
        else
            env.insert(variable.key(), variable.value());
    }
    return env;
}

QProcess *ProgramUnderTest::launch(const QStringList &arguments) {
    auto *process = new QProcess;
    process->setProcessEnvironment(environment());
    process->start(m_program, arguments);
    m_started << process;
    return process;
}

QString ProgramUnderTest::diagnosis() const {
    QStringList states;
    for (QProcess *process : m_started) {
        if (process->state() != QProcess::NotRunning) {
            states << QStringLiteral("pid %1 running").arg(process->processId());
            continue;
        }
        states << QStringLiteral("ended (%1, exit code %2, error %3): %4")
                      .arg(process->exitStatus() == QProcess::NormalExit ? "normal" : "crash")
                      .arg(process->exitCode())
                      .arg(process->errorString(), QString::fromLocal8Bit(process->readAllStandardError()));
    }
    return m_installed ? states.join(QStringLiteral("; ")) : QStringLiteral("not installed");
}

FrameRecord ProgramUnderTest::record() const {
    return FrameRecord::read(m_folder.filePath(QStringLiteral("frame-record.txt")));
}

QList<int> ProgramUnderTest::waits() const {
    QFile file(m_folder.filePath(QStringLiteral("waits.txt")));
    QList<int> waits;
    if (!file.open(QIODevice::ReadOnly))
        return waits;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (line.startsWith("wait "))
            waits << line.mid(5).toInt();
    return waits;
}
