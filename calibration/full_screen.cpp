#include "calibration/full_screen.h"

#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace calibration {

void showFullScreenOn(QWidget &window, QScreen *screen, Focus focus) {
    if (screen) {
        window.winId();  // creates the native window, whose screen is then set before it is first shown
        window.windowHandle()->setScreen(screen);
        window.setGeometry(screen->geometry());
    }
    window.showFullScreen();
    if (focus == Focus::Take)
        window.activateWindow();
}

}  // namespace calibration
