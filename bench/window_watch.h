#pragma once

#include <QtGlobal>

#include <chrono>
#include <optional>

struct xcb_connection_t;

/// Watches the X display for top-level windows being mapped (shown), without a window manager (Xvfb).
/// Create it before starting the program so that no map is missed.
class WindowWatch {
public:
    using Clock = std::chrono::steady_clock;

    WindowWatch();
    ~WindowWatch();

    WindowWatch(const WindowWatch &) = delete;
    WindowWatch &operator=(const WindowWatch &) = delete;

    bool connected() const { return m_connection != nullptr; }

    /// Waits until a top-level window of process @p pid (by its _NET_WM_PID) is mapped.
    /// @return the moment the map was seen, or nothing after @p timeout.
    std::optional<Clock::time_point> waitForWindowOf(qint64 pid, std::chrono::milliseconds timeout);

private:
    qint64 windowPid(quint32 window);

    xcb_connection_t *m_connection = nullptr;
    quint32 m_pidAtom = 0;
};
