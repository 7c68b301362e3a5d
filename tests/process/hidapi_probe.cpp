// A small hidapi user for the preload test: linked against the real hidapi library, it finds the first device,
// sends a clear and a start query, reads the answer and closes, so the test can check what the preloaded virtual
// frame recorded.
#include <hidapi.h>

#include "device/report.h"

int main() {
    hid_device_info *list = hid_enumerate(0, 0);
    if (!list) {
        hid_free_enumeration(list);
        return 1;
    }
    hid_device *handle = hid_open_path(list->path);
    const int usage = list->usage;
    hid_free_enumeration(list);
    if (!handle)
        return 2;
    for (device::Command code : {device::Command::Clear, device::Command::StartQuery}) {
        device::Report report = device::commandReport(code);
        device::setReportId(report, usage);
        hid_write(handle, report.data(), device::reportWriteLength);
    }
    unsigned char reply[64] = {};
    const int result = hid_read_timeout(handle, reply, sizeof reply, 100);
    hid_close(handle);
    return device::isValidStartReply(reply, result, usage) ? 0 : 3;
}
