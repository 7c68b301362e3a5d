#include "window_watch.h"

#include <poll.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

WindowWatch::WindowWatch() {
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return;
    }
    m_connection = connection;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    // Without a window manager, every top-level map shows up as a MapNotify on the root window.
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, screens.data->root, XCB_CW_EVENT_MASK, &mask);

    const char *name = "_NET_WM_PID";
    xcb_intern_atom_reply_t *atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr);
    if (atom) {
        m_pidAtom = atom->atom;
        std::free(atom);
    }
    xcb_flush(connection);
}

WindowWatch::~WindowWatch() {
    if (m_connection)
        xcb_disconnect(m_connection);
}

std::optional<WindowWatch::Clock::time_point> WindowWatch::waitForWindowOf(qint64 pid,
                                                                           std::chrono::milliseconds timeout) {
    if (!m_connection)
        return std::nullopt;
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
        xcb_generic_event_t *event = xcb_poll_for_event(m_connection);
        if (!event) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd descriptor{xcb_get_file_descriptor(m_connection), POLLIN, 0};
            poll(&descriptor, 1, static_cast<int>(std::max<int64_t>(left.count(), 0)));
            continue;
        }
        // Taken before the round trip that asks whose window it is.
        const auto seen = Clock::now();
        const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
        quint32 window = 0;
        bool overrideRedirect = false;
        if (mapped) {
            const auto *map = reinterpret_cast<const xcb_map_notify_event_t *>(event);
            window = map->window;
            overrideRedirect = map->override_redirect;
        }
        std::free(event);
        if (mapped && !overrideRedirect && windowPid(window) == pid)
            return seen;
    }
    return std::nullopt;
}

qint64 WindowWatch::windowPid(quint32 window) {
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(m_connection, 0, window, m_pidAtom, XCB_ATOM_CARDINAL, 0, 1);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(m_connection, cookie, nullptr);
    if (!reply)
        return -1;
    qint64 pid = -1;
    if (xcb_get_property_value_length(reply) == 4)
        pid = *static_cast<const uint32_t *>(xcb_get_property_value(reply));
    std::free(reply);
    return pid;
}
