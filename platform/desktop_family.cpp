#include "platform/desktop_family.h"

#include <QStringList>

namespace platform {

namespace {

struct KnownName {
    const char *name;  // upper case
    DesktopFamily family;
};

constexpr KnownName knownNames[] = {
    {"GNOME", DesktopFamily::Gnome}, {"GNOME-CLASSIC", DesktopFamily::Gnome}, {"GNOME-FLASHBACK", DesktopFamily::Gnome},
    {"UNITY", DesktopFamily::Gnome}, {"BUDGIE", DesktopFamily::Gnome},        {"PANTHEON", DesktopFamily::Gnome},
    {"MATE", DesktopFamily::Mate},   {"X-CINNAMON", DesktopFamily::Cinnamon}, {"CINNAMON", DesktopFamily::Cinnamon},
    {"KDE", DesktopFamily::Plasma},  {"XFCE", DesktopFamily::Xfce},
};

}  // namespace

DesktopFamily desktopFamily(const QString &xdgCurrentDesktop) {
    for (const QString &name : xdgCurrentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QString upper = name.trimmed().toUpper();
        for (const KnownName &known : knownNames)
            if (upper == QLatin1String(known.name))
                return known.family;
    }
    return DesktopFamily::Other;
}

DesktopFamily runningDesktopFamily() {
    return desktopFamily(qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
}

}  // namespace platform
