#include "sandbox.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>

namespace {

QByteArray readProcFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// The number after "<label>:" in a "key: value" file such as /proc/<pid>/status.
int64_t labelledNumber(const QByteArray &text, const QByteArray &label) {
    for (const QByteArray &line : text.split('\n')) {
        if (line.startsWith(label + ':'))
            return line.mid(label.size() + 1).simplified().split(' ').value(0).toLongLong();
    }
    return 0;
}

}  // namespace

SandboxedProcess::SandboxedProcess() : m_process(std::make_unique<QProcess>()) {
    const QDir home(m_home.path());
    home.mkpath(QStringLiteral("run"));
    QFile::setPermissions(home.filePath(QStringLiteral("run")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("run")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home.filePath(QStringLiteral("cache")));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    m_process->setProcessEnvironment(environment);
    m_process->setStandardOutputFile(QProcess::nullDevice());
    m_process->setStandardErrorFile(QProcess::nullDevice());
}

bool SandboxedProcess::start(const QString &program, const QStringList &arguments) {
    m_process->start(program, arguments);
    return m_process->waitForStarted(10000);
}

SandboxedProcess::~SandboxedProcess() {
    if (m_process->state() == QProcess::NotRunning)
        return;
    m_process->terminate();
    if (!m_process->waitForFinished(5000)) {
        m_process->kill();
        m_process->waitForFinished(5000);
    }
}

bool SandboxedProcess::running() const {
    return m_process->state() == QProcess::Running;
}

qint64 SandboxedProcess::pid() const {
    return m_process->processId();
}

namespace proc {

int64_t residentKiB(qint64 pid) {
    return labelledNumber(readProcFile(QStringLiteral("/proc/%1/status").arg(pid)), "VmRSS");
}

int64_t proportionalKiB(qint64 pid) {
    return labelledNumber(readProcFile(QStringLiteral("/proc/%1/smaps_rollup").arg(pid)), "Pss");
}

int64_t cpuTicks(qint64 pid) {
    const QByteArray stat = readProcFile(QStringLiteral("/proc/%1/stat").arg(pid));
    // The command name (field 2) may hold spaces and parentheses: count fields after its closing parenthesis.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    // Fields 14 (utime) and 15 (stime) of the whole line are the 12th and 13th after the name.
    if (fields.size() < 13)
        return 0;
    return fields[11].toLongLong() + fields[12].toLongLong();
}

int64_t cpuNanoseconds(qint64 pid) {
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    int64_t total = 0;
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        total += readProcFile(tasks.filePath(task + QStringLiteral("/schedstat"))).split(' ').value(0).toLongLong();
    return total;
}

int64_t wakeUps(qint64 pid) {
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    int64_t total = 0;
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        total +=
            labelledNumber(readProcFile(tasks.filePath(task + QStringLiteral("/status"))), "voluntary_ctxt_switches");
    return total;
}

}  // namespace proc
