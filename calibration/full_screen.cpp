#include "calibration/full_screen.h"

#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace calibration {

void showFullScreenOn(QWidget &window, QScreen *screen) {
    if (screen) {
        window.winId();  // creates the native window, whose screen is then set before it is first shown
        window.windowHandle()->setScreen(screen);
        window.setGeometry(screen->geometry());
    }
    window.showFullScreen();
    window.activateWindow();
}

}  // namespace calibration
