#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

#include "platform/desktop_input.h"

// Linux only: the parts of the desktop's view that desktop_input_linux.cpp puts together, one per source.

namespace platform::desktop_linux {

/// The event nodes under /sys/class/input whose input device carries @p frame's ids, with their udev properties.
/// What cannot be read goes to @p unreadable.
QVector<DesktopDevice> readUdevDevices(const FrameIds &frame, QStringList &unreadable);

/// The X server on DISPLAY: the desktop's size, its RandR monitors and the frame's XInput devices (by ids, or by
/// @p inputDeviceName when given). Adds to @p view; @p decides marks the devices as the ones that place touches.
void readX11(const FrameIds &frame, const QString &inputDeviceName, bool decides, DesktopView &view);

/// Sets @p propertyName of the frame's X devices that have it (see setSessionMatrix).
SessionChanges setX11Matrix(const FrameIds &frame, const QString &inputDeviceName, const char *propertyName,
                            const Matrix3 &matrix);

/// GNOME's touchscreen setting for the frame (gsettings).
void readGnome(const FrameIds &frame, bool decides, DesktopView &view);

/// sway's inputs, outputs and map_to_output lines (swaymsg).
void readSway(const FrameIds &frame, bool decides, DesktopView &view);

/// Plasma's per-device settings in kcminputrc.
void readPlasma(const FrameIds &frame, bool decides, DesktopView &view);

/// The output sway's configuration @p config maps the input @p identifier of @p type ("touch", "pointer") to, by
/// its map_to_output lines, one-line or inside an input block, for the identifier, "type:<type>" or "*"; the last
/// one wins. Empty when none does.
QString swayMappedOutput(const QString &config, const QString &identifier, const QString &type);

/// GNOME's identity of a monitor from its EDID: the PNP vendor id, the product name (or "0x%04x" of the product
/// code) and the serial text (or "0x%08x" of the serial number). nullopt for bytes that are no EDID.
std::optional<QStringList> edidIdentity(const QByteArray &edid);

/// The connector (DRM name without its card, "HDMI-A-1") whose monitor has GNOME's @p identity (vendor, product,
/// serial); empty when no connector's EDID gives it.
QString connectorWithIdentity(const QStringList &identity);

/// The lines of the files in @p folders (and the files themselves, when a path is a file) that mention
/// @p keyword, as "path:line: text", in name order.
QStringList linesMentioning(const QStringList &folders, const QString &keyword);

}  // namespace platform::desktop_linux
