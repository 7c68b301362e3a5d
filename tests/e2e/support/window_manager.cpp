#include "support/window_manager.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr std::uint32_t iconicState = 3;  // ICCCM 4.1.3.1

template <typename Reply>
using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name) {
    const ReplyPointer<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, std::uint16_t(std::strlen(name)), name),
                              nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

xcb_screen_t *firstScreen(xcb_connection_t *connection) {
    return xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
}

}  // namespace

WindowManager::WindowManager(const QString &display) {
    xcb_connection_t *connection = xcb_connect(display.toLocal8Bit().constData(), nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return;
    }
    m_connection = connection;
}

WindowManager::~WindowManager() {
    if (m_connection)
        xcb_disconnect(m_connection);  // also destroys the covering windows
}

bool WindowManager::iconify(WindowId window) {
    if (!m_connection)
        return false;
    const xcb_atom_t wmState = internAtom(m_connection, "WM_STATE");
    const std::uint32_t state[2] = {iconicState, XCB_WINDOW_NONE};
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, wmState, wmState, 32, 2, state);
    xcb_unmap_window(m_connection, window);
    const ReplyPointer<xcb_get_input_focus_reply_t> roundTrip(
        xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr), &std::free);
    return roundTrip != nullptr;
}

WindowId WindowManager::cover(const QRect &geometry) {
    if (!m_connection)
        return 0;
    xcb_screen_t *screen = firstScreen(m_connection);
    const xcb_window_t window = xcb_generate_id(m_connection);
    const std::uint32_t background[] = {screen->black_pixel};
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, screen->root, std::int16_t(geometry.x()),
                      std::int16_t(geometry.y()), std::uint16_t(geometry.width()), std::uint16_t(geometry.height()), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL, background);
    xcb_map_window(m_connection, window);
    const ReplyPointer<xcb_get_input_focus_reply_t> roundTrip(
        xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr), &std::free);
    return roundTrip ? window : 0;
}

QList<WindowId> WindowManager::stackingOrder() const {
    QList<WindowId> order;
    if (!m_connection)
        return order;
    const ReplyPointer<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, firstScreen(m_connection)->root), nullptr),
        &std::free);
    if (!tree)
        return order;
    // The protocol lists the children of a window in stacking order, bottom-most first.
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i)
        order << children[i];
    return order;
}

bool WindowManager::isAbove(WindowId upper, WindowId lower) const {
    const QList<WindowId> order = stackingOrder();
    const auto upperAt = order.indexOf(upper);
    const auto lowerAt = order.indexOf(lower);
    return upperAt >= 0 && lowerAt >= 0 && upperAt > lowerAt;
}
