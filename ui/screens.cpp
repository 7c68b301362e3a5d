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

}  // namespace screens
