#include "frame_tool/frame_list.h"

#include <map>
#include <optional>

#include "device/discovery.h"
#include "frame_tool/settings_report.h"

namespace frame_tool {
namespace {

QString usageText(int value) {
    return QStringLiteral("0x") + hexId(value);
}

QString candidateUsagesText() {
    QStringList usages;
    for (const int usage : device::candidateUsages)
        usages << usageText(usage);
    return usages.join(QStringLiteral(", "));
}

QString notVendorReason(const device::HidInterface &interface) {
    if (interface.usagePage != device::frameUsagePage)
        return QStringLiteral("usage page %1 is not the vendor page %2")
            .arg(usageText(interface.usagePage), usageText(device::frameUsagePage));
    return QStringLiteral("usage %1 is not one of %2").arg(usageText(interface.usage), candidateUsagesText());
}

}  // namespace

FrameList judgeInterfaces(const std::vector<device::HidInterface> &interfaces, const QVector<int> &vendorIds,
                          const NodeProbe &probe) {
    std::vector<device::HidEntry> entries;
    entries.reserve(interfaces.size());
    for (const device::HidInterface &interface : interfaces)
        entries.push_back(device::HidEntry{interface.vendorId, interface.usagePage, interface.usage});

    // Collections of one node share its path: each node is opened once.
    std::map<std::string, NodeAccess> nodes;
    const auto accessOf = [&](const device::HidInterface &interface) -> const NodeAccess & {
        auto node = nodes.find(interface.path);
        if (node == nodes.end())
            node = nodes.emplace(interface.path, probe(interface)).first;
        return node->second;
    };

    // The main program's search: per candidate usage the first entry only, the first that opens wins.
    const std::vector<device::OpenAttempt> attempts = device::openAttempts(entries, vendorIds);
    std::optional<device::OpenAttempt> used;
    std::map<int, std::size_t> triedForUsage;
    for (const device::OpenAttempt &attempt : attempts) {
        triedForUsage[attempt.usage] = attempt.entry;
        if (!used && accessOf(interfaces[attempt.entry]).opened)
            used = attempt;
    }

    FrameList list;
    for (std::size_t i = 0; i < interfaces.size(); ++i) {
        const device::HidInterface &interface = interfaces[i];
        if (!vendorIds.contains(interface.vendorId)) {
            if (device::isVendorInterface(interface.usagePage, interface.usage))
                list.unknownVendorFrames.push_back(interface);
            continue;
        }
        ListedInterface item{interface, Verdict::WouldBeUsed, {}, {}};
        if (used && used->entry == i) {
            item.verdict = Verdict::WouldBeUsed;
        } else if (!device::isVendorInterface(interface.usagePage, interface.usage)) {
            item.verdict = Verdict::NotVendorInterface;
            item.why = notVendorReason(interface);
        } else if (item.access = accessOf(interface); !item.access.opened) {
            item.verdict = item.access.gone ? Verdict::WentAway : Verdict::CannotBeOpened;
            item.why = item.access.reason;
        } else {
            item.verdict = Verdict::PassedOver;
            const std::size_t tried = triedForUsage.at(interface.usage);
            item.why = tried != i
                           ? QStringLiteral("the search tries only the first interface with usage %1, %2")
                                 .arg(usageText(interface.usage), QString::fromStdString(interfaces[tried].path))
                           : QStringLiteral("the search opens %1 (usage %2) before it")
                                 .arg(QString::fromStdString(interfaces[used->entry].path), usageText(used->usage));
        }
        list.interfaces << item;
    }
    // Collections of a node that went away are gone with it.
    const bool attached =
        std::any_of(list.interfaces.cbegin(), list.interfaces.cend(), [&](const ListedInterface &item) {
            const auto node = nodes.find(item.interface.path);
            return node == nodes.end() || !node->second.gone;
        });
    list.status = used ? ExitStatus::Done : attached ? ExitStatus::FrameNotUsable : ExitStatus::NoFrame;
    return list;
}

}  // namespace frame_tool
