#pragma once

#include <QString>

namespace platform {

/// The desktops whose settings store and session manager the program knows, by family.
enum class DesktopFamily {
    Gnome,  ///< GNOME and the desktops on its settings daemon: GNOME-Classic, GNOME-Flashback, Unity, Budgie, Pantheon
    Mate,   ///< MATE
    Cinnamon,  ///< Cinnamon (X-Cinnamon)
    Plasma,    ///< KDE Plasma (KDE)
    Xfce,      ///< Xfce (XFCE)
    Other,     ///< none of these, or no desktop named
};

/// The family of the first known name in @p xdgCurrentDesktop, a colon-separated list, most specific first, as in
/// XDG_CURRENT_DESKTOP ("ubuntu:GNOME" is GNOME); case and surrounding spaces do not matter. Other when no name
/// is known.
DesktopFamily desktopFamily(const QString &xdgCurrentDesktop);

/// desktopFamily() of this session's XDG_CURRENT_DESKTOP.
DesktopFamily runningDesktopFamily();

}  // namespace platform
