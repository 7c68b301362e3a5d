#include "ui/resolution_watch.h"

#include <utility>

#include <QGuiApplication>
#include <QScreen>

bool ResolutionWatch::changedAt(QSize desktop) {
    if (!initialised) {
        knownWidth = desktop.width();
        knownHeight = desktop.height();
        initialised = true;
    }
    if (desktop.width() == knownWidth && desktop.height() == knownHeight)
        return false;
    knownWidth = desktop.width();
    knownHeight = desktop.height();
    return true;
}

namespace resolution {

namespace {
DesktopSizeSource &installedSource() {
    static DesktopSizeSource source;
    return source;
}
}  // namespace

QSize desktopSize(const QVector<QRect> &screens) {
    QRect bounds;
    for (const QRect &screen : screens)
        bounds = bounds.united(screen);
    return bounds.size();
}

QSize currentDesktopSize() {
    if (const auto &source = installedSource())
        return source();
    QVector<QRect> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens.append(screen->geometry());
    return desktopSize(screens);
}

DesktopSizeSource setDesktopSizeSource(DesktopSizeSource source) {
    return std::exchange(installedSource(), std::move(source));
}

}  // namespace resolution
