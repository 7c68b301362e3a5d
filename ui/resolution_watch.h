#pragma once

#include <functional>

#include <QRect>
#include <QSize>
#include <QVector>

/// Notices changes of the desktop size from one poll to the next. The reference is taken at the first poll and
/// follows every change, so each change is reported once, at the first poll that sees it; a change undone
/// between two polls is never seen.
class ResolutionWatch {
public:
    /// One poll with the desktop at @p desktop. @return true when its width or height differs from the last
    /// poll's; always false on the first poll.
    bool changedAt(QSize desktop);

private:
    bool initialised = false;
    int knownWidth = 0;
    int knownHeight = 0;
};

namespace resolution {

/// Size of the whole virtual desktop: the bounding rectangle of all @p screens (empty list: 0 x 0).
QSize desktopSize(const QVector<QRect> &screens);

/// desktopSize() of the screens the desktop has now, or what the installed source reports.
QSize currentDesktopSize();

using DesktopSizeSource = std::function<QSize()>;

/// Makes currentDesktopSize() report what @p source gives (tests); an empty source restores the real screens.
/// @return the source installed before.
DesktopSizeSource setDesktopSizeSource(DesktopSizeSource source);

}  // namespace resolution
