#include "frame_tool/frame_commands.h"

#include <hidapi.h>

#include "device/frame_search.h"
#include "device/hid_link.h"
#include "frame_tool/printable.h"

namespace frame_tool {
namespace {

// Whether any interface of a known vendor is attached (at @p devicePath, when given): a frame that the search
// found nothing to open on is then there, but unusable, as list would say.
bool hasKnownVendorInterface(const QVector<int> &vendorIds, const std::string &devicePath) {
    for (const device::HidInterface &interface : device::enumerateInterfaces())
        if (vendorIds.contains(interface.vendorId) && (devicePath.empty() || interface.path == devicePath))
            return true;
    return false;
}

// Frames were found but none opened: by the cause, a frame that went away counts as none, the others as a frame
// that cannot be used.
ExitStatus reportNotOpened(const device::FrameSearch &search, QTextStream &err) {
    const QString reason = printable(search.openError.reason);
    switch (search.openError.cause) {
        case device::OpenError::Cause::Gone:
            err << "the touch frame at " << printable(QString::fromStdString(search.path))
                << " went away before it could be opened (" << reason << "); is it plugged in?\n";
            return ExitStatus::NoFrame;
        case device::OpenError::Cause::NoAccess:
            err << "a touch frame was found, but it cannot be opened by this user; orvessa-frame list shows why\n";
            break;
        case device::OpenError::Cause::Other:
        case device::OpenError::Cause::None:
            err << "a touch frame was found, but it could not be opened (" << reason
                << "); orvessa-frame list shows more\n";
            break;
    }
    return ExitStatus::FrameNotUsable;
}

}  // namespace

ExitStatus sendFrameCommand(device::Command code, const QVector<int> &vendorIds, const std::string &devicePath,
                            const QString &done, QTextStream &out, QTextStream &err) {
    const device::FrameSearch search = device::openTouchFrame(vendorIds, devicePath);
    if (search.foundButNotOpened())
        return reportNotOpened(search, err);
    if (!search.handle && hasKnownVendorInterface(vendorIds, devicePath)) {
        err << "a touch frame is attached, but it has no interface the program can use; orvessa-frame list shows "
               "why\n";
        return ExitStatus::FrameNotUsable;
    }
    if (!search.handle) {
        err << printable(devicePath.empty()
                             ? QStringLiteral("no touch frame found")
                             : QStringLiteral("no touch frame interface at %1").arg(QString::fromStdString(devicePath)))
            << "; orvessa-frame list shows what is attached\n";
        return ExitStatus::NoFrame;
    }
    const bool written = device::sendCommand(search.handle, code, search.usage);
    hid_close(search.handle);
    const QString where = printable(QString::fromStdString(search.path));
    if (!written) {
        err << "the report did not reach the frame at " << where << '\n';
        return ExitStatus::WriteFailed;
    }
    out << done << " (" << where << ")\n";
    return ExitStatus::Done;
}

}  // namespace frame_tool
