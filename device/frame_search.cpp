#include "device/frame_search.h"

#include <hidapi.h>

#include "device/discovery.h"
#include "device/hid_link.h"
#include "platform/blocking_wait.h"

namespace device {

std::vector<HidInterface> enumerateInterfaces() {
    hid_device_info *list = hid_enumerate(0, 0);
    std::vector<HidInterface> interfaces;
    for (const hid_device_info *entry = list; entry; entry = entry->next) {
        interfaces.push_back(HidInterface{
            entry->path ? entry->path : "", entry->vendor_id, entry->product_id, entry->usage_page, entry->usage,
            entry->product_string ? QString::fromWCharArray(entry->product_string) : QString()});
    }
    hid_free_enumeration(list);
    return interfaces;
}

FrameSearch openTouchFrame(const QVector<int> &vendorIds, const std::string &onlyPath) {
    hid_device_info *list = hid_enumerate(0, 0);
    std::vector<const hid_device_info *> nodes;
    std::vector<HidEntry> entries;
    for (const hid_device_info *entry = list; entry; entry = entry->next) {
        if (!onlyPath.empty() && (!entry->path || onlyPath != entry->path))
            continue;
        nodes.push_back(entry);
        entries.push_back(HidEntry{entry->vendor_id, entry->usage_page, entry->usage});
    }

    FrameSearch search;
    for (const OpenAttempt &attempt : openAttempts(entries, vendorIds)) {
        // Every attempt waits first, so one search waits at most four times.
        platform::blockingWait(openWaitMs);
        const char *path = nodes[attempt.entry]->path;
        OpenError failure;
        search.handle = openPath(path, &failure);
        search.openError = moreTelling(search.openError, failure);
        search.usage = attempt.usage;
        search.path = path ? path : "";
        search.vendorId = nodes[attempt.entry]->vendor_id;
        search.productId = nodes[attempt.entry]->product_id;
        ++search.attempts;
        if (search.handle) {
            search.openError = {};
            break;
        }
    }
    hid_free_enumeration(list);
    return search;
}

}  // namespace device
