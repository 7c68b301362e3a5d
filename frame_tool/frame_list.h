#pragma once

#include <QVector>

#include <functional>
#include <string>
#include <vector>

#include "device/frame_search.h"
#include "frame_tool/exit_status.h"
#include "frame_tool/node_access.h"

// The judgement behind `orvessa-frame list`: for every HID interface of a known vendor, whether the main program
// would use it and, when not, why.

namespace frame_tool {

enum class Verdict {
    WouldBeUsed,         ///< the interface the main program's search opens
    NotVendorInterface,  ///< wrong usage page or usage: never a candidate
    CannotBeOpened,      ///< a candidate whose node this user cannot open
    PassedOver,          ///< a candidate that opens, but the search takes another one first
    WentAway,            ///< a candidate whose node was gone when it was opened (unplugged meanwhile)
};

struct ListedInterface {
    device::HidInterface interface;
    Verdict verdict = Verdict::NotVendorInterface;
    QString why;        ///< the reason behind the verdict (empty for WouldBeUsed)
    NodeAccess access;  ///< for CannotBeOpened and WentAway: the diagnosis of the node
};

struct FrameList {
    QVector<ListedInterface> interfaces;                    ///< known vendor ids, in enumeration order
    std::vector<device::HidInterface> unknownVendorFrames;  ///< vendor interfaces of vendor ids nobody listed
    ExitStatus status = ExitStatus::NoFrame;                ///< Done, NoFrame or FrameNotUsable
};

/// Opens (and closes) a node to see whether this user may use it; probeNode in the program, a script in tests.
using NodeProbe = std::function<NodeAccess(const device::HidInterface &)>;

/// Judges @p interfaces (hidapi's enumeration) against @p vendorIds with the main program's search order
/// (device::openAttempts): the first candidate in that order whose node opens is the one that would be used. Every
/// candidate node is probed once, without the search's waits. The status is Done when an interface would be used,
/// FrameNotUsable when interfaces of known vendors are attached but none would be, NoFrame when none are attached
/// (none listed, or every one listed on a node that went away).
FrameList judgeInterfaces(const std::vector<device::HidInterface> &interfaces, const QVector<int> &vendorIds,
                          const NodeProbe &probe);

}  // namespace frame_tool
