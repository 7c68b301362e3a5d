#pragma once

#include <QTextStream>
#include <QVector>

#include <string>

#include "device/report.h"
#include "frame_tool/exit_status.h"

namespace frame_tool {

/// `clear` and `mode`: sends the plain command @p code the way the main window's buttons do. One search for the
/// frame with the main program's own code (device::openTouchFrame, its waits included), the report with the
/// matched interface's report id written once with the same padding (device::sendCommand), the handle closed.
/// @param devicePath  when not empty, only this device path is considered (several frames attached)
/// @param done        what @p out says on success, e.g. "calibration cleared"
/// @return Done; NoFrame when no interface qualifies, or the frame went away before it could be opened;
///         FrameNotUsable when interfaces qualify but none opens for another reason (no access, busy);
///         WriteFailed when the write did not go through.
ExitStatus sendFrameCommand(device::Command code, const QVector<int> &vendorIds, const std::string &devicePath,
                            const QString &done, QTextStream &out, QTextStream &err);

}  // namespace frame_tool
