#pragma once

#include <functional>

#include <QString>
#include <QSystemTrayIcon>

/// One tray balloon as it is handed to the notification area.
struct Balloon {
    QString title;
    QString text;
    QSystemTrayIcon::MessageIcon icon = QSystemTrayIcon::Information;
    int milliseconds = 0;
};

namespace balloons {

/// How long every balloon stays, in milliseconds.
inline constexpr int displayMilliseconds = 10000;

/// Shows @p balloon through @p trayIcon. Without a notification area (some Linux desktops, the offscreen
/// platform) the toolkit shows nothing and nothing fails; the installed observer still sees the balloon.
void show(QSystemTrayIcon &trayIcon, const Balloon &balloon);

using Observer = std::function<void(const Balloon &)>;

/// Calls @p observer with every balloon shown from now on (tests); an empty observer stops that.
/// @return the observer installed before.
Observer setObserver(Observer observer);

}  // namespace balloons
