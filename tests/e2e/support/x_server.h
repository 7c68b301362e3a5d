#pragma once

#include <QList>
#include <QProcess>
#include <QRect>
#include <QSize>
#include <QString>

/// A private X server (Xvfb) on a display of its own: no window manager, no notification area, no TCP. It listens
/// only on an abstract socket and keeps no lock file, so it writes nothing into /tmp, and parallel test runs each
/// get a free display number from the server itself.
class XServer {
public:
    XServer() = default;
    XServer(const XServer &) = delete;
    XServer &operator=(const XServer &) = delete;
    ~XServer();

    /// True when Xvfb and xdotool are installed (scripts/install-deps.sh installs both).
    static bool toolsInstalled();

    /// Starts the server with one screen of @p screenSize at 24 bits; false when it is not ready within 10 s.
    bool start(QSize screenSize);

    /// Divides the running server's screen into RandR monitors (xrandr --setmonitor), as a desktop of several
    /// displays shows it to programs started afterwards: each of @p monitors, in order, at 96 dpi.
    bool splitIntoMonitors(const QList<QRect> &monitors);

    /// The display name to put in DISPLAY, ":N"; empty before a successful start.
    QString display() const { return m_display; }

private:
    QProcess m_process;
    QString m_display;
};
