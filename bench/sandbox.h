#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>

/// A program run with its own temporary home and runtime folder, so runs never meet through the single-instance
/// socket, fontconfig's user cache or an autostart entry, and nothing is written into the real home.
/// The process is terminated (then killed) when the object goes.
class SandboxedProcess {
public:
    /// Prepares the folders and the environment: the current DISPLAY, the xcb platform and LANG=C.UTF-8.
    SandboxedProcess();
    ~SandboxedProcess();

    /// Starts @p program with @p arguments and waits until it runs (at most 10 s).
    /// @return false when it could not be started.
    bool start(const QString &program, const QStringList &arguments = {});

    SandboxedProcess(const SandboxedProcess &) = delete;
    SandboxedProcess &operator=(const SandboxedProcess &) = delete;

    bool running() const;
    qint64 pid() const;

private:
    QTemporaryDir m_home;
    std::unique_ptr<QProcess> m_process;
};

/// What /proc says about a running process; every figure is 0 when the process is gone.
namespace proc {

/// Resident set size (VmRSS), KiB.
int64_t residentKiB(qint64 pid);

/// Proportional set size (Pss from smaps_rollup): shared pages counted in proportion, KiB.
int64_t proportionalKiB(qint64 pid);

/// User plus system CPU time of all threads (utime + stime of /proc/<pid>/stat), in clock ticks.
int64_t cpuTicks(qint64 pid);

/// Time on a CPU of all threads, summed from /proc/<pid>/task/*/schedstat, in nanoseconds (finer than ticks).
int64_t cpuNanoseconds(qint64 pid);

/// Voluntary context switches of all threads: roughly how often the process woke up from sleep.
int64_t wakeUps(qint64 pid);

}  // namespace proc
