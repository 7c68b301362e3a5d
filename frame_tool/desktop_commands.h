#pragma once

#include <QRect>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <QVector>

#include <optional>

#include "frame_tool/command_line.h"
#include "frame_tool/exit_status.h"
#include "platform/desktop_input.h"

// `map` and `reset-os-correction`: the desktop's side of the frame, changed for this session where the session is
// X11's, and the lasting fix printed for every desktop. No system file is ever edited.

namespace frame_tool {

/// The screen `map` puts the touches on, from the program's own screen list (the order the main program and
/// verify number them in).
struct MapTarget {
    int index = 0;
    int count = 0;
    QString name;    ///< the output's name ("HDMI-1"; "\\.\DISPLAY2" on Windows)
    QRect geometry;  ///< in device pixels
};

/// `map --screen N`: on X11, sets the Coordinate Transformation Matrix of the frame's input devices (by its ids, or
/// the device called command.inputDevice) so that they cover @p target, reads it back and prints the xorg.conf.d
/// snippet (and GNOME's command, when GNOME runs) that make it last. On GNOME, sway, Plasma and Windows it prints
/// that desktop's steps and changes nothing. The frame is the one attached frame of a vendor in @p vendorIds (or the
/// one at command.devicePath).
/// @return Done; NoFrame; FrameNotUsable when the desktop shows no device of the frame or is one Orvessa does not
///         know; WriteFailed when the X server did not take the matrix; UsageError for several frames.
ExitStatus mapFrame(const ToolCommand &command, const QVector<int> &vendorIds, const MapTarget &target,
                    QTextStream &out, QTextStream &err);

/// `reset-os-correction`: on X11, sets the frame's "libinput Calibration Matrix" to identity for this session where
/// it is not; everywhere, prints where a lasting correction comes from (udev properties, the files that set one,
/// the desktop's settings) and how to remove it.
/// @return as mapFrame
ExitStatus resetOsCorrection(const ToolCommand &command, const QVector<int> &vendorIds, QTextStream &out,
                             QTextStream &err);

/// The xorg.conf.d file that maps the frame for every X start: an InputClass matching its USB ids (or, with no ids,
/// the device's @p productName) with @p matrix as its TransformationMatrix.
QString xorgSnippet(const platform::FrameIds &ids, const QString &productName, const QString &screen,
                    const platform::Matrix3 &matrix);

/// The gsettings command that maps the frame to the monitor of @p identity (vendor, product, serial); placeholders
/// when the identity is unknown.
QString gnomeCommand(const platform::FrameIds &ids, const std::optional<QStringList> &identity);

}  // namespace frame_tool
