// A user's hand on a Wayland desktop, for the end-to-end tests: clicks through a virtual pointer
// (zwlr_virtual_pointer_v1, wlroots compositors), and activation tokens as a launcher asks for them
// (xdg_activation_v1). It runs for a whole test and reads one command a line from standard input:
//
//   click X Y W H  a left click at X / W of the layout's width and Y / H of its height (W and H twice the layout's
//                  size put a click on half pixels, where a physical pixel of an output at scale 2 lies)
//   token          a fresh activation token
//
// and answers each with one line: "ok", "token VALUE", or "error WHY". The pointer lives as long as the program:
// a seat that gains a pointer only for each click would have the click arrive before the program under test had
// bound its new wl_pointer.

#include <cstdio>
#include <cstring>
#include <string>

#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"
#include "xdg-activation-v1-client-protocol.h"

namespace {

struct Globals {
    zwlr_virtual_pointer_manager_v1 *pointers = nullptr;
    xdg_activation_v1 *activation = nullptr;
};

void onGlobal(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t) {
    auto *globals = static_cast<Globals *>(data);
    if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        globals->pointers = static_cast<zwlr_virtual_pointer_manager_v1 *>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    else if (std::strcmp(interface, xdg_activation_v1_interface.name) == 0)
        globals->activation =
            static_cast<xdg_activation_v1 *>(wl_registry_bind(registry, name, &xdg_activation_v1_interface, 1));
}

const wl_registry_listener registryListener{onGlobal, [](void *, wl_registry *, uint32_t) {}};

// Each click is a move, a press and a release at the same spot, as a tap on a touch frame reaches the program.
bool click(wl_display *display, zwlr_virtual_pointer_v1 *pointer, unsigned x, unsigned y, unsigned width,
           unsigned height) {
    static uint32_t time = 1;  // event times only need to grow; the compositor orders a press and its release by them
    zwlr_virtual_pointer_v1_motion_absolute(pointer, time += 20, x, y, width, height);
    zwlr_virtual_pointer_v1_frame(pointer);
    for (const auto state : {WL_POINTER_BUTTON_STATE_PRESSED, WL_POINTER_BUTTON_STATE_RELEASED}) {
        zwlr_virtual_pointer_v1_button(pointer, time += 20, BTN_LEFT, state);
        zwlr_virtual_pointer_v1_frame(pointer);
    }
    return wl_display_roundtrip(display) >= 0;
}

void onToken(void *data, xdg_activation_token_v1 *, const char *token) {
    *static_cast<std::string *>(data) = token;
}

const xdg_activation_token_v1_listener tokenListener{onToken};

std::string token(wl_display *display, const Globals &globals) {
    if (!globals.activation)
        return "error the compositor offers no xdg_activation_v1";
    std::string received;
    xdg_activation_token_v1 *request = xdg_activation_v1_get_activation_token(globals.activation);
    xdg_activation_token_v1_add_listener(request, &tokenListener, &received);
    xdg_activation_token_v1_commit(request);
    while (received.empty() && wl_display_dispatch(display) >= 0) {
    }
    xdg_activation_token_v1_destroy(request);
    return received.empty() ? "error no token" : "token " + received;
}

std::string answer(wl_display *display, const Globals &globals, zwlr_virtual_pointer_v1 *pointer, const char *line) {
    unsigned x = 0, y = 0, width = 0, height = 0;
    if (std::sscanf(line, "click %u %u %u %u", &x, &y, &width, &height) == 4 && width > 0 && height > 0)
        return click(display, pointer, x, y, width, height) ? "ok" : "error the display went away";
    if (std::strncmp(line, "token", 5) == 0)
        return token(display, globals);
    return "error unknown command";
}

}  // namespace

int main() {
    wl_display *display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "no Wayland display\n");
        return 1;
    }
    Globals globals;
    wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &globals);
    wl_display_roundtrip(display);
    if (!globals.pointers) {
        std::fprintf(stderr, "the compositor offers no zwlr_virtual_pointer_manager_v1\n");
        return 1;
    }
    zwlr_virtual_pointer_v1 *pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.pointers, nullptr);  // the default seat
    wl_display_roundtrip(display);

    std::printf("ready\n");
    std::fflush(stdout);
    char line[256];
    while (std::fgets(line, sizeof line, stdin)) {
        std::printf("%s\n", answer(display, globals, pointer, line).c_str());
        std::fflush(stdout);
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    wl_display_disconnect(display);
    return 0;
}
