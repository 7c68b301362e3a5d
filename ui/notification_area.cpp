#include "ui/notification_area.h"

#include <utility>

#include <QSystemTrayIcon>

namespace tray {

namespace {
AvailabilitySource &installedSource() {
    static AvailabilitySource source;
    return source;
}
}  // namespace

bool notificationAreaAvailable() {
    if (const auto &source = installedSource())
        return source();
    return QSystemTrayIcon::isSystemTrayAvailable();
}

AvailabilitySource setAvailabilitySource(AvailabilitySource source) {
    return std::exchange(installedSource(), std::move(source));
}

}  // namespace tray
