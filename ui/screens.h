#pragma once

#include <QPoint>
#include <QSize>
#include <QVector>

/// One screen's rectangle in virtual-desktop pixels.
struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

/// Every screen of the desktop in screen-index order.
QVector<ScreenRect> screenList();

namespace screens {

/// Index of the first screen whose rectangle strictly contains @p corner (a corner on a left or top edge is not
/// inside), or -1 when none does.
int indexHolding(const QVector<ScreenRect> &screens, QPoint corner);

/// The screen after the one holding @p corner, wrapping to 0 after the last; 0 when no screen holds it.
int nextIndex(const QVector<ScreenRect> &screens, QPoint corner);

/// Where a window of @p windowSize goes on @p screen: centred across, at 0.382 of the free height.
QPoint placement(const ScreenRect &screen, QSize windowSize);

}  // namespace screens
