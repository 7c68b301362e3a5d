#pragma once

class QScreen;
class QWidget;

namespace calibration {

/// Whether a window shown full screen takes the keyboard focus.
enum class Focus { Take, Leave };

/// Shows @p window full screen on @p screen and, with Focus::Take, gives it the keyboard focus, so that Escape works
/// before the first touch. The screen is handed to the window system before the window is first shown: a Wayland
/// compositor places windows itself and puts a full-screen window on the output its surface was given, whatever
/// position the program asked for. A null @p screen leaves the choice to the window's geometry.
void showFullScreenOn(QWidget &window, QScreen *screen, Focus focus = Focus::Take);

}  // namespace calibration
