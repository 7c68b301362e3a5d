#include "ui/balloon.h"

#include <utility>

namespace balloons {

namespace {
Observer &installedObserver() {
    static Observer observer;
    return observer;
}
}  // namespace

void show(QSystemTrayIcon &trayIcon, const Balloon &balloon) {
    if (const auto &observer = installedObserver())
        observer(balloon);
    trayIcon.showMessage(balloon.title, balloon.text, balloon.icon, balloon.milliseconds);
}

Observer setObserver(Observer observer) {
    return std::exchange(installedObserver(), std::move(observer));
}

}  // namespace balloons
