#pragma once

#include <QList>
#include <QRect>
#include <QString>

#include "support/desktop.h"

struct xcb_connection_t;

/// What a window manager does to other clients' windows, done from outside on a display that has none: minimise a
/// window, cover it with another client's window, and read which window is on top.
class WindowManager {
public:
    /// Connects to @p display; isConnected() tells whether that worked.
    explicit WindowManager(const QString &display);
    WindowManager(const WindowManager &) = delete;
    WindowManager &operator=(const WindowManager &) = delete;
    ~WindowManager();

    bool isConnected() const { return m_connection != nullptr; }

    /// Minimises @p window as an ICCCM window manager does: WM_STATE becomes IconicState and the window is unmapped.
    bool iconify(WindowId window);

    /// Maps a plain window of this connection over @p geometry, on top of every other window. It lives as long as
    /// this object.
    WindowId cover(const QRect &geometry);

    /// The top-level windows from the bottom of the stack to its top.
    QList<WindowId> stackingOrder() const;

    /// True when @p upper is stacked above @p lower.
    bool isAbove(WindowId upper, WindowId lower) const;

private:
    xcb_connection_t *m_connection = nullptr;
};
