#pragma once

class QScreen;
class QWidget;

namespace calibration {

/// Shows @p window full screen on @p screen and gives it the keyboard focus, so that Escape works before the first
/// touch. The screen is handed to the window system before the window is first shown: a Wayland compositor places
/// windows itself and puts a full-screen window on the output its surface was given, whatever position the program
/// asked for. A null @p screen leaves the choice to the window's geometry.
void showFullScreenOn(QWidget &window, QScreen *screen);

}  // namespace calibration
