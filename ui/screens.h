#pragma once

#include <QPoint>
#include <QSize>
#include <QString>
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

/// Whether the window system of Qt's platform @p platformName tells a program where its windows are and lets it
/// move them (X11, Windows). A Wayland compositor places every window itself: Qt then reports each one at the
/// top-left corner of its screen, and a move changes nothing on the screen.
bool windowPositionsKnown(const QString &platformName);

/// The calibration screen picked with Return where the window cannot be moved there: @p screen, chosen while the
/// window was on @p windowScreen (indices into the screen list; -1 for none).
struct Selection {
    int screen = -1;
    int windowScreen = -1;
};

/// The screen a calibration runs on, as an index into @p screens (-1 only when there are none).
/// With known positions: the first screen that strictly holds the window's top-left @p corner, else the last one.
/// Otherwise: the screen picked with Return (@p selection) while the window stays on the screen it was on then,
/// else the window's own screen @p windowScreen (as the compositor reports it), else the first.
int calibrationIndex(const QVector<ScreenRect> &screens, QPoint corner, bool positionsKnown, int windowScreen,
                     const Selection &selection);

/// Return where the window cannot be moved: the screen after the current calibration screen becomes the
/// calibration screen (after the last comes the first), remembered with the window's screen @p windowScreen.
Selection nextSelection(const QVector<ScreenRect> &screens, int windowScreen, const Selection &current);

}  // namespace screens
