// Start-up time and resident memory of the program against a bare Qt Widgets program, measured side by side in
// one run under the same X server (Xvfb, no window manager).
//
// Start-up: from just before the process is started to the moment its top-level window is mapped, as the X server
// reports it (MapNotify). Both programs map their window when their event loop first runs after show(), so the
// figure covers the same work in both: loading the libraries and the platform plugin, building the widgets and
// showing them. The program's extra work (single-instance probe, settings, catalogue, screen placement) is what the
// ratio shows. Memory: VmRSS (and Pss) one second after the window is mapped, once the first paint is done.
//
// Runs alternate between the programs (the order turns every round) so that drift in the machine's load hits all
// alike; one warm-up round is discarded; medians are reported. CPU time to map (all threads, from schedstat, read
// when the map is seen) depends far less on the load of a shared machine than the wall-clock time does.
//
// Usage: bench_startup [rounds] [label=program ...]: further programs (another build of orvessa, say) join the
// same rounds, so that a before and an after are measured side by side under the same load.
#include <QCoreApplication>
#include <QFile>
#include <QThread>
#include <QVector>

#include <algorithm>
#include <cstdio>

#include "sandbox.h"
#include "window_watch.h"

namespace {

struct Sample {
    double startupMs = 0;
    double cpuMs = 0;
    int64_t residentKiB = 0;
    int64_t proportionalKiB = 0;
};

struct Program {
    QByteArray label;
    QString path;
    QVector<Sample> samples;
};

constexpr int settleAfterMapMs = 1000;

bool measureOnce(WindowWatch &watch, Program &program, bool keep) {
    SandboxedProcess process;
    const auto started = WindowWatch::Clock::now();
    if (!process.start(program.path)) {
        std::fprintf(stderr, "cannot start %s\n", qPrintable(program.path));
        return false;
    }
    const auto mapped = watch.waitForWindowOf(process.pid(), std::chrono::seconds(30));
    if (!mapped) {
        std::fprintf(stderr, "%s showed no window within 30 s\n", program.label.constData());
        return false;
    }
    Sample sample;
    sample.cpuMs = static_cast<double>(proc::cpuNanoseconds(process.pid())) / 1e6;
    QThread::msleep(settleAfterMapMs);
    sample.startupMs = std::chrono::duration<double, std::milli>(*mapped - started).count();
    sample.residentKiB = proc::residentKiB(process.pid());
    sample.proportionalKiB = proc::proportionalKiB(process.pid());
    if (keep)
        program.samples.append(sample);
    return true;
}

template <typename Field>
double median(const QVector<Sample> &samples, Field field) {
    QVector<double> values;
    for (const Sample &sample : samples)
        values.append(static_cast<double>(field(sample)));
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

template <typename Field>
double minimum(const QVector<Sample> &samples, Field field) {
    auto least = static_cast<double>(field(samples.first()));
    for (const Sample &sample : samples)
        least = std::min(least, static_cast<double>(field(sample)));
    return least;
}

}  // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 15;

    WindowWatch watch;
    if (!watch.connected()) {
        std::fprintf(stderr, "no X display: run under Xvfb (bench/run.sh does)\n");
        return 1;
    }
    QVector<Program> programs{{"orvessa", QStringLiteral(ORVESSA_EXECUTABLE), {}},
                              {"bare Qt Widgets", QStringLiteral(BARE_EXECUTABLE), {}}};
    for (int i = 2; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        const qsizetype equals = argument.indexOf('=');
        programs.append({argument.left(equals), QFile::decodeName(argument.mid(equals + 1)), {}});
    }

    for (int round = 0; round <= rounds; ++round) {
        const bool keep = round > 0;  // round 0 warms the file cache and is discarded
        for (qsizetype i = 0; i < programs.size(); ++i) {
            if (!measureOnce(watch, programs[(round + i) % programs.size()], keep))
                return 1;
        }
    }

    const auto startup = [](const Sample &s) { return s.startupMs; };
    const auto cpu = [](const Sample &s) { return s.cpuMs; };
    const auto resident = [](const Sample &s) { return s.residentKiB; };
    const auto proportional = [](const Sample &s) { return s.proportionalKiB; };
    const Program &bare = programs[1];
    std::printf(
        "start-up to window mapped and memory after start-up, %d runs each (medians; ratios to the bare "
        "program, goal <= 1.2x)\n",
        rounds);
    std::printf("%-16s %11s %8s %11s %8s %8s %10s %8s %10s\n", "program", "start-up ms", "ratio", "fastest ms",
                "CPU ms", "ratio", "VmRSS KiB", "ratio", "Pss KiB");
    for (const Program &program : std::as_const(programs)) {
        std::printf("%-16s %11.1f %7.2fx %11.1f %8.1f %7.2fx %10.0f %7.2fx %10.0f\n", program.label.constData(),
                    median(program.samples, startup), median(program.samples, startup) / median(bare.samples, startup),
                    minimum(program.samples, startup), median(program.samples, cpu),
                    median(program.samples, cpu) / median(bare.samples, cpu), median(program.samples, resident),
                    median(program.samples, resident) / median(bare.samples, resident),
                    median(program.samples, proportional));
    }
    return 0;
}
