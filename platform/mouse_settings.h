#pragma once

#include <memory>

#include <QString>

namespace platform {

/// The names of the three double-click values, as Windows gives them.
inline const QString doubleClickHeight = QStringLiteral("DoubleClickHeight");
inline const QString doubleClickWidth = QStringLiteral("DoubleClickWidth");
inline const QString doubleClickSpeed = QStringLiteral("DoubleClickSpeed");

/// The current user's double-click settings, under the names Windows gives them: "DoubleClickHeight" and
/// "DoubleClickWidth" (the sides of the rectangle around the first click in which the second must land, pixels)
/// and "DoubleClickSpeed" (the longest time between the two clicks, milliseconds). Values are held as text.
class MouseSettings {
public:
    virtual ~MouseSettings() = default;

    /// The value called @p name as stored, e.g. "500"; empty when it is missing, unreadable or not one of the
    /// three names.
    virtual QString value(const QString &name) const = 0;

    /// Stores @p text (a decimal number) as the value called @p name.
    /// @return true when the store holds @p text afterwards (read back); false when the write failed, was refused
    /// (a link, a file of another user, a read-only folder ...) or did not stick (no settings service running).
    virtual bool setValue(const QString &name, const QString &text) = 0;

    /// Where the value called @p name is kept, for messages: a file path, a GSettings key, an xfconf property or a
    /// registry key.
    virtual QString location(const QString &name) const = 0;
};

/// Opens the store that the desktop really uses.
/// Windows: HKEY_CURRENT_USER\Control Panel\Mouse, the three string values read and written as they are.
/// Linux: the store of the running desktop, by the desktop family of XDG_CURRENT_DESKTOP (platform/desktop_family.h):
/// - GNOME and the desktops built on its settings daemon (Unity, Budgie, Pantheon, GNOME Flashback): the speed is
///   GSettings org.gnome.desktop.peripherals.mouse double-click (through the gsettings tool); MATE and Cinnamon
///   likewise from their own settings daemons' keys, org.mate.peripherals-mouse double-click and
///   org.cinnamon.desktop.peripherals.mouse double-click;
/// - Plasma (KDE): the speed is DoubleClickInterval in group [KDE] of $XDG_CONFIG_HOME/kdeglobals;
/// - Xfce: the speed and the distance are the xfconf properties /Net/DoubleClickTime and /Net/DoubleClickDistance
///   of channel xsettings (through xfconf-query);
/// - anything else, and the distance on the GSettings desktops and Plasma, whose settings have none and whose GTK
///   programs read it from there: GTK's $XDG_CONFIG_HOME/gtk-3.0/settings.ini, group [Settings],
///   gtk-double-click-time and gtk-double-click-distance.
/// The speed is in milliseconds everywhere. A distance is the largest offset of the second click from the first
/// on either axis, half a side of the Windows rectangle: "DoubleClickWidth" and "DoubleClickHeight" both read as
/// twice the distance, and writing either sets the distance to half of it (50 x 50 becomes a distance of 25).
/// Files are edited as bytes (only the lines set change) and replaced whole (platform/user_file.h).
/// Never returns null.
std::unique_ptr<MouseSettings> openMouseSettings();

}  // namespace platform
