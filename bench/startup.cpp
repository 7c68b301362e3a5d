// Start-up time and resident memory of the program against a bare Qt Widgets program, measured side by side in
// one run under the same X server (Xvfb, no window manager).
//
// Start-up: from just before the process is started to the moment its top-level window is mapped, as the X server
// reports it (MapNotify). Both programs map their window when their event loop first runs after show(), so the
// figure covers the same work in both: loading the libraries and the platform plugin, building the widgets and
// showing them. The program's extra work (single-instance probe, settings, catalogue, screen placement) is what the
// ratio shows. Memory: VmRSS (and Pss) one second after the window is mapped, once the first paint is done.
//
// Runs alternate between the two programs (the order flips every round) so that drift in the machine's load hits
// both alike; one warm-up round is discarded; medians are reported.
#include <QCoreApplication>
#include <QThread>
#include <QVector>

#include <algorithm>
#include <cstdio>

#include "sandbox.h"
#include "window_watch.h"

namespace {

struct Sample {
    double startupMs = 0;
    int64_t residentKiB = 0;
    int64_t proportionalKiB = 0;
};

struct Program {
    const char *label;
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
        std::fprintf(stderr, "%s showed no window within 30 s\n", program.label);
        return false;
    }
    QThread::msleep(settleAfterMapMs);
    Sample sample;
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
    Program orvessa{"orvessa", QStringLiteral(ORVESSA_EXECUTABLE), {}};
    Program bare{"bare Qt Widgets", QStringLiteral(BARE_EXECUTABLE), {}};

    for (int round = 0; round <= rounds; ++round) {
        const bool keep = round > 0;  // round 0 warms the file cache and is discarded
        Program &first = round % 2 ? orvessa : bare;
        Program &second = round % 2 ? bare : orvessa;
        if (!measureOnce(watch, first, keep) || !measureOnce(watch, second, keep))
            return 1;
    }

    const auto startup = [](const Sample &s) { return s.startupMs; };
    const auto resident = [](const Sample &s) { return s.residentKiB; };
    const auto proportional = [](const Sample &s) { return s.proportionalKiB; };
    std::printf("start-up to window mapped and memory after start-up, %d runs each (medians)\n", rounds);
    std::printf("%-16s %12s %12s %14s %14s\n", "program", "start-up ms", "fastest ms", "VmRSS KiB", "Pss KiB");
    for (const Program *program : {&orvessa, &bare}) {
        std::printf("%-16s %12.1f %12.1f %14.0f %14.0f\n", program->label, median(program->samples, startup),
                    minimum(program->samples, startup), median(program->samples, resident),
                    median(program->samples, proportional));
    }
    std::printf("start-up ratio orvessa / bare: %.2fx (goal <= 1.2x)\n",
                median(orvessa.samples, startup) / median(bare.samples, startup));
    std::printf("memory ratio   orvessa / bare: %.2fx VmRSS (goal <= 1.2x), %.2fx Pss\n",
                median(orvessa.samples, resident) / median(bare.samples, resident),
                median(orvessa.samples, proportional) / median(bare.samples, proportional));
    return 0;
}
