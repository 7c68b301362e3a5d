// CPU used by a tray-mode instance while it idles, beside a bare Qt Widgets program idling in the same run.
//
// The program is copied with its catalogue into a temporary folder and given a setting_calibration.ini with
// systray=1 beside it, then started with -bg, as the autostart entry starts it: hidden, with the 500 ms
// resolution timer running. After a settling time that leaves start-up out, the CPU time of all its threads is
// read from /proc before and after the idle period (utime + stime in clock ticks, and the nanoseconds of
// schedstat, which resolve far below one tick). Voluntary context switches per second show how often it woke.
// Two references idle in the same run: the bare program, and the bare program with a 500 ms timer that does
// nothing, which is the least a process waking that often can cost on this machine.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <unistd.h>

#include <cstdio>

#include "sandbox.h"

namespace {

constexpr int settleMs = 3000;

struct Reading {
    int64_t ticks = 0;
    int64_t nanoseconds = 0;
    int64_t wakeUps = 0;
};

Reading read(qint64 pid) {
    return {proc::cpuTicks(pid), proc::cpuNanoseconds(pid), proc::wakeUps(pid)};
}

// The program with its catalogue and a tray-mode settings file in @p folder; returns the copied executable.
QString trayModeCopy(const QString &folder) {
    const QFileInfo original(QStringLiteral(ORVESSA_EXECUTABLE));
    QString program = QDir(folder).filePath(original.fileName());
    QFile::copy(original.filePath(), program);
    QFile::copy(original.dir().filePath(QStringLiteral("LANG.Cali.en_US.qm")),
                QDir(folder).filePath(QStringLiteral("LANG.Cali.en_US.qm")));
    QFile settings(QDir(folder).filePath(QStringLiteral("setting_calibration.ini")));
    if (settings.open(QIODevice::WriteOnly))
        settings.write("[config]\nsystray=1\n");
    return program;
}

void printRow(const char *label, const Reading &before, const Reading &after, double seconds) {
    const auto ticksPerSecond = static_cast<double>(sysconf(_SC_CLK_TCK));
    const double tickPercent = 100.0 * static_cast<double>(after.ticks - before.ticks) / ticksPerSecond / seconds;
    const double exactPercent = 100.0 * static_cast<double>(after.nanoseconds - before.nanoseconds) / 1e9 / seconds;
    std::printf("%-26s %8lld %14.3f %14.4f %12.1f\n", label, static_cast<long long>(after.ticks - before.ticks),
                tickPercent, exactPercent, static_cast<double>(after.wakeUps - before.wakeUps) / seconds);
}

}  // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 60;

    QTemporaryDir folder;
    SandboxedProcess tray;
    SandboxedProcess bare;
    SandboxedProcess ticking;
    if (!tray.start(trayModeCopy(folder.path()), {QStringLiteral("-bg")}) ||
        !bare.start(QStringLiteral(BARE_EXECUTABLE)) ||
        !ticking.start(QStringLiteral(BARE_EXECUTABLE), {QStringLiteral("--timer=500")})) {
        std::fprintf(stderr, "cannot start the programs\n");
        return 1;
    }
    QThread::msleep(settleMs);
    const Reading trayBefore = read(tray.pid());
    const Reading bareBefore = read(bare.pid());
    const Reading tickingBefore = read(ticking.pid());
    QThread::sleep(seconds);
    const Reading trayAfter = read(tray.pid());
    const Reading bareAfter = read(bare.pid());
    const Reading tickingAfter = read(ticking.pid());
    if (!tray.running() || !bare.running() || !ticking.running()) {
        std::fprintf(stderr, "a program ended while idling\n");
        return 1;
    }

    std::printf("CPU while idling for %d s (after %d ms of start-up), %% of one core\n", seconds, settleMs);
    std::printf("%-26s %8s %14s %14s %12s\n", "program", "ticks", "% (ticks)", "% (schedstat)", "wake-ups/s");
    printRow("orvessa -bg, systray=1", trayBefore, trayAfter, seconds);
    printRow("bare Qt Widgets (shown)", bareBefore, bareAfter, seconds);
    printRow("bare + idle 500 ms timer", tickingBefore, tickingAfter, seconds);
    const double trayPercent =
        100.0 * static_cast<double>(trayAfter.nanoseconds - trayBefore.nanoseconds) / 1e9 / seconds;
    std::printf("tray-mode idle CPU: %.4f %% of one core (goal < 0.1 %%)\n", trayPercent);
    return 0;
}
