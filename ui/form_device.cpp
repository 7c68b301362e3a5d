#include "ui/form.h"

#include <vector>

#include <hidapi.h>

#include "device/discovery.h"
#include "device/hid_link.h"
#include "platform/blocking_wait.h"

// Finding the touch frame, and the one-report commands: clear calibration and single/multi-touch.

hid_device *Form::openTouchDevice() {
    hid_device_info *list = hid_enumerate(0, 0);
    std::vector<const hid_device_info *> nodes;
    std::vector<device::HidEntry> entries;
    for (const hid_device_info *entry = list; entry; entry = entry->next) {
        nodes.push_back(entry);
        entries.push_back(device::HidEntry{entry->vendor_id, entry->usage_page, entry->usage});
    }

    hid_device *opened = nullptr;
    for (const device::OpenAttempt &attempt : device::openAttempts(entries, vidList)) {
        // Every attempt waits first, so one search waits at most four times.
        platform::blockingWait(device::openWaitMs);
        opened = device::openPath(nodes[attempt.entry]->path);
        deviceUsage = attempt.usage;
        if (opened)
            break;
    }
    hid_free_enumeration(list);
    return opened;
}

void Form::onButtonClear() {}

void Form::onButtonChange() {}
