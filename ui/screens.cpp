#include "ui/screens.h"

#include <QGuiApplication>
#include <QScreen>

#include "calibration/fraction.h"

QVector<ScreenRect> screenList() {
    QVector<ScreenRect> list;
    for (const QScreen *screen : QGuiApplication::screens()) {
        const QRect g = screen->geometry();
        list.append({g.x(), g.y(), g.width(), g.height()});
    }
    return list;
}

namespace screens {

int indexHolding(const QVector<ScreenRect> &screens, QPoint corner) {
    for (int i = 0; i < screens.size(); ++i) {
        const ScreenRect &s = screens[i];
        const bool insideX = s.x < corner.x() && corner.x() < s.x + s.width;
        const bool insideY = s.y < corner.y() && corner.y() < s.y + s.height;
        if (insideX && insideY)
            return i;
    }
    return -1;
}

int nextIndex(const QVector<ScreenRect> &screens, QPoint corner) {
    const int holding = indexHolding(screens, corner);
    if (holding < 0 || holding + 1 >= screens.size())
        return 0;
    return holding + 1;
}

QPoint placement(const ScreenRect &screen, QSize windowSize) {
    const int left = screen.x + (screen.width - windowSize.width()) / 2;
    const int top = screen.y + calibration::truncatedProduct(screen.height - windowSize.height(), 0.382);
    return {left, top};
}

bool windowPositionsKnown(const QString &platformName) {
    // "wayland", and the variants Qt accepts for it ("wayland-egl", "wayland-brcm").
    return !platformName.startsWith(QLatin1String("wayland"));
}

int calibrationIndex(const QVector<ScreenRect> &screens, QPoint corner, bool positionsKnown, int windowScreen,
                     const Selection &selection) {
    const int count = int(screens.size());
    if (positionsKnown) {
        const int holding = indexHolding(screens, corner);
        return holding >= 0 ? holding : count - 1;
    }
    const auto valid = [count](int index) { return index >= 0 && index < count; };
    // Moving the window to another output by hand is the user's newer choice.
    if (valid(selection.screen) && selection.windowScreen == windowScreen)
        return selection.screen;
    if (valid(windowScreen))
        return windowScreen;
    return count > 0 ? 0 : -1;
}

Selection nextSelection(const QVector<ScreenRect> &screens, int windowScreen, const Selection &current) {
    const int count = int(screens.size());
    if (count == 0)
        return {};
    const int now = calibrationIndex(screens, {}, false, windowScreen, current);
    return {(now + 1) % count, windowScreen};
}

}  // namespace screens
