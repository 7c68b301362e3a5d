#include "device/discovery.h"

#include <algorithm>
#include <bitset>
#include <limits>

namespace device {
namespace {

using VendorSet = std::bitset<std::numeric_limits<std::uint16_t>::max() + 1>;

// A 16-bit id can only equal list elements in 0..0xFFFF; marking those once makes each entry's test one lookup,
// however long the configured list is.
VendorSet vendorSet(const QVector<int> &vendorIds) {
    VendorSet listed;
    for (const int id : vendorIds)
        if (id >= 0 && id <= std::numeric_limits<std::uint16_t>::max())
            listed.set(static_cast<std::size_t>(id));
    return listed;
}

}  // namespace

bool isVendorInterface(std::uint16_t usagePage, std::uint16_t usage) {
    return usagePage == frameUsagePage &&
           std::find(candidateUsages.begin(), candidateUsages.end(), usage) != candidateUsages.end();
}

std::vector<OpenAttempt> openAttempts(const std::vector<HidEntry> &entries, const QVector<int> &vendorIds) {
    const VendorSet listed = vendorSet(vendorIds);
    std::vector<OpenAttempt> attempts;
    for (const int usage : candidateUsages) {
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const HidEntry &entry = entries[i];
            if (listed.test(entry.vendorId) && entry.usage == usage &&
                isVendorInterface(entry.usagePage, entry.usage)) {
                attempts.push_back(OpenAttempt{i, usage});
                break;
            }
        }
    }
    return attempts;
}

}  // namespace device
