// The device link's own costs, with the 1500 ms waits replaced by nothing: the clear operation against the virtual
// frame, and the search for the frame's interface over a large enumeration.
#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <hidapi.h>

#include "device/discovery.h"
#include "device/hid_link.h"
#include "device/vendor_ids.h"
#include "platform/blocking_wait.h"
#include "ui/form.h"
#include "virtual_frame.h"

namespace {

// Answers every message box as soon as it shows: Yes where there is one, else its only button.
class InstantAnswers : public QObject {
protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        auto *box = qobject_cast<QMessageBox *>(watched);
        if (box && event->type() == QEvent::Show) {
            QAbstractButton *button =
                box->button(QMessageBox::Yes) ? box->button(QMessageBox::Yes) : box->buttons().value(0);
            QTimer::singleShot(0, button, [button] { button->click(); });
        }
        return false;
    }
};

void plugInFrame(int otherDevices) {
    virtual_frame::reset();
    virtual_frame::Interface other;
    other.vendorId = 0x046D;
    other.usagePage = 0x0001;
    other.usage = 0x0006;
    for (int i = 0; i < otherDevices; ++i)
        virtual_frame::addInterface(other);
    virtual_frame::addInterface({});  // the frame last: the search walks the whole list
}

// The frame records every call; a long run starts over now and then so the record does not grow without end.
void forgetRecordNowAndThen(benchmark::State &state, int otherDevices) {
    if (state.iterations() % 1000 != 999)
        return;
    state.PauseTiming();
    plugInFrame(otherDevices);
    state.ResumeTiming();
}

// Open, one clear report, close: the device side of the clear button.
void BM_ClearDeviceCycle(benchmark::State &state) {
    plugInFrame(int(state.range(0)));
    Form form;
    for (auto _ : state) {
        hid_device *handle = form.openTouchDevice();
        benchmark::DoNotOptimize(device::sendCommand(handle, device::Command::Clear, form.deviceUsage));
        hid_close(handle);
        forgetRecordNowAndThen(state, int(state.range(0)));
    }
}
BENCHMARK(BM_ClearDeviceCycle)->Arg(0)->Arg(20)->Unit(benchmark::kMicrosecond);

// The whole slot: question answered Yes, device cycle, success box, every box answered at once.
void BM_ClearButtonWholeSlot(benchmark::State &state) {
    plugInFrame(20);
    Form form;
    InstantAnswers answers;
    qApp->installEventFilter(&answers);
    for (auto _ : state) {
        form.onButtonClear();
        forgetRecordNowAndThen(state, 20);
    }
    qApp->removeEventFilter(&answers);
}
BENCHMARK(BM_ClearButtonWholeSlot)->Unit(benchmark::kMillisecond);

// The match alone over an enumeration of state.range(0) entries, the frame last, with the built-in vendor ids or
// with state.range(1) extra ids from the settings.
void BM_MatchEnumeration(benchmark::State &state) {
    std::vector<device::HidEntry> entries(std::size_t(state.range(0)), device::HidEntry{0x046D, 0x0001, 0x0006});
    entries.back() = device::HidEntry{0x28E1, 0xFF00, 0x00A1};
    QVector<int> vendorIds = device::builtInVendorIds();
    for (int i = 0; i < state.range(1); ++i)
        vendorIds.append(0x10000 + i);
    for (auto _ : state)
        benchmark::DoNotOptimize(device::openAttempts(entries, vendorIds));
}
BENCHMARK(BM_MatchEnumeration)->Args({1000, 0})->Args({1000, 1000})->Unit(benchmark::kMicrosecond);

// openTouchDevice over 1,000 enumerated interfaces: hidapi's list, walking it, matching, opening.
void BM_OpenTouchDeviceThousandEntries(benchmark::State &state) {
    plugInFrame(999);
    Form form;
    for (auto _ : state) {
        hid_close(form.openTouchDevice());
        forgetRecordNowAndThen(state, 999);
    }
}
BENCHMARK(BM_OpenTouchDeviceThousandEntries)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    platform::setBlockingWaitHook([](int) {});
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
