// How long the double-click button holds the GUI thread on each desktop, now that it runs the desktops' own tools:
// reading the three values (every click), writing and reading them back (a click that optimises), and choosing
// the restart command (three session-bus probes when no session manager runs). Every store is private: a
// temporary home and XDG folders, dconf and xfconfd started on a D-Bus session bus of the benchmark's own.
#include <benchmark/benchmark.h>

#include <QProcess>
#include <QTemporaryDir>

#include "platform/restart_command.h"
#include "tweaks/double_click.h"

namespace {

// XDG_CURRENT_DESKTOP of each benchmark argument.
const char *const desktops[] = {"GNOME", "KDE", "XFCE", "X-Generic"};

void nameDesktop(const benchmark::State &state) {
    qputenv("XDG_CURRENT_DESKTOP", desktops[state.range(0)]);
}

void readValues(benchmark::State &state) {
    nameDesktop(state);
    for (auto _ : state)
        benchmark::DoNotOptimize(tweaks::readDoubleClickValues(*tweaks::openMouseSettings()));
    state.SetLabel(desktops[state.range(0)]);
}
BENCHMARK(readValues)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void writeValues(benchmark::State &state) {
    nameDesktop(state);
    for (auto _ : state) {
        const QStringList failed = tweaks::writeOptimisedValues(*tweaks::openMouseSettings());
        if (!failed.isEmpty())
            state.SkipWithError(qPrintable(failed.join(QLatin1Char(' '))));
    }
    state.SetLabel(desktops[state.range(0)]);
}
BENCHMARK(writeValues)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void chooseRestartWithoutSessionManager(benchmark::State &state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::restartCommand());
}
BENCHMARK(chooseRestartWithoutSessionManager)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
    QTemporaryDir home;
    for (const char *sub : {"config", "run"})
        QDir(home.path()).mkpath(QString::fromLatin1(sub));
    QFile::setPermissions(home.filePath(QStringLiteral("run")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", home.filePath(QStringLiteral("run")).toLocal8Bit());
    qunsetenv("GSETTINGS_BACKEND");  // dconf, as on a desktop

    // The bus is started after the folders are set, so that the services it starts inherit them.
    QProcess bus;
    bus.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
    if (!bus.waitForReadyRead(5000)) {
        fprintf(stderr, "dbus-daemon did not start\n");
        return 1;
    }
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.readLine().trimmed());

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    bus.terminate();
    bus.waitForFinished(5000);
    return 0;
}
