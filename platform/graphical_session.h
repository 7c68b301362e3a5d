#pragma once

#include <optional>

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Whether the window system Qt is going to use can be reached, decided before any QGuiApplication exists: without
// a display Qt ends the process with abort() and a hint to reinstall the program, which tells a user nothing.

namespace platform {

/// What Qt reads to choose its window system and find the display.
struct DisplayRequest {
    QString platforms;            ///< "-platform" of the command line, else QT_QPA_PLATFORM: names separated by ';',
                                  ///< each perhaps with ":options" ("offscreen:configfile=…"); empty: Qt's default
    bool x11Display = false;      ///< DISPLAY is set and not empty, or "-display" names an X server
    bool waylandDisplay = false;  ///< WAYLAND_DISPLAY or WAYLAND_SOCKET is set and not empty
};

/// The request of a process started with @p arguments (as main() got them, the program first) in @p environment.
/// Qt's own options count as Qt reads them: "-platform NAME" (or "--platform") wins over QT_QPA_PLATFORM.
DisplayRequest displayRequest(const QStringList &arguments, const QProcessEnvironment &environment);

/// What keeps @p request from any display: "DISPLAY or WAYLAND_DISPLAY is not set" for Qt's default, which may be
/// either; "DISPLAY is not set (Qt platform xcb)" for a platform asked for. None when one of the platforms finds
/// the display server it needs, or needs none (offscreen, minimal, eglfs, linuxfb, vnc, or a name Qt itself will
/// have to refuse).
std::optional<QString> missingDisplay(const DisplayRequest &request);

/// missingDisplay() of this process, started with @p argc and @p argv, where windows need a display server the
/// process is told of (Linux). Windows: always none.
std::optional<QString> missingGraphicalSession(int argc, const char *const *argv);

}  // namespace platform
