#include "calibration/full_screen.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace calibration {

namespace {

// Asks for the keyboard once more when the window is first on the screen: a Wayland compositor ignores an
// activation request for a surface it has not mapped yet, and only the first request goes out before that.
class ActivateWhenExposed : public QObject {
public:
    explicit ActivateWhenExposed(QWindow &window) : QObject(&window), m_window(window) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Expose && m_window.isExposed()) {
            m_window.requestActivate();
            deleteLater();
        }
        return false;
    }

private:
    QWindow &m_window;
};

}  // namespace

void showFullScreenOn(QWidget &window, QScreen *screen, Focus focus) {
    window.winId();  // creates the native window, whose screen is then set before it is first shown
    if (screen) {
        window.windowHandle()->setScreen(screen);
        window.setGeometry(screen->geometry());
    }
    if (focus == Focus::Leave) {
        window.showFullScreen();  // a cover beside the target window: shown, never given the keyboard
        return;
    }
    if (!window.windowHandle()->isExposed())
        new ActivateWhenExposed(*window.windowHandle());
    window.showFullScreen();
    // Without a window manager nothing else gives a new window the keyboard; with one, a window opened on an output
    // other than the focused one is not focused by itself either.
    window.raise();
    window.activateWindow();
    window.setFocus(Qt::ActiveWindowFocusReason);
}

}  // namespace calibration
