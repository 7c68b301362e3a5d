#pragma once

#include <memory>

#include <QString>

namespace platform {

/// The current user's double-click settings, under the names Windows gives them: "DoubleClickHeight" and
/// "DoubleClickWidth" (the sides of the rectangle around the first click in which the second must land, pixels)
/// and "DoubleClickSpeed" (the longest time between the two clicks, milliseconds). Values are held as text.
class MouseSettings {
public:
    virtual ~MouseSettings() = default;

    /// The value called @p name as stored, e.g. "500"; empty when it is missing, unreadable or not one of the
    /// three names.
    virtual QString value(const QString &name) const = 0;

    /// Stores @p text (a decimal number) as the value called @p name. A failed write is not reported.
    virtual void setValue(const QString &name, const QString &text) = 0;
};

/// Opens the store that the desktop really uses.
/// Windows: HKEY_CURRENT_USER\Control Panel\Mouse, the three string values read and written as they are.
/// Linux: GTK's per-user settings file $XDG_CONFIG_HOME/gtk-3.0/settings.ini (~/.config when the variable is
/// unset), group [Settings]. "DoubleClickSpeed" is gtk-double-click-time (milliseconds, one to one).
/// GTK has one gtk-double-click-distance, the largest offset of the second click from the first on either axis,
/// which is half a side of the Windows rectangle: "DoubleClickWidth" and "DoubleClickHeight" both read as twice
/// the distance, and writing either sets the distance to half of it (so 50 x 50 becomes a distance of 25).
/// Every other line of settings.ini is kept as it was. Never returns null.
std::unique_ptr<MouseSettings> openMouseSettings();

}  // namespace platform
