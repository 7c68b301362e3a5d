#pragma once

#include <QJsonArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <vector>

#include "device/frame_search.h"
#include "platform/desktop_input.h"

// The desktop's side of `orvessa-frame list`: for each frame, the input devices the system made of it, where the
// desktop puts their touches, whether it corrects them, and the verdicts with the command that fixes each.

namespace frame_tool {

/// One frame as the desktop knows it: by its USB ids (a desktop cannot tell two frames with the same ids apart),
/// with the device paths its vendor interfaces were listed under.
struct FrameDesktop {
    platform::FrameIds ids;
    QStringList paths;
    platform::DesktopView view;
};

/// The frames among @p interfaces: vendor interfaces of a vendor in @p vendorIds, one per pair of USB ids, in the
/// order of their first interface; with @p onlyPath, only interfaces at that path.
QVector<FrameDesktop> framesAmong(const std::vector<device::HidInterface> &interfaces, const QVector<int> &vendorIds,
                                  const QString &onlyPath = {});

/// framesAmong, each with the desktop's view of it read (platform::readDesktopView with @p inputDevice).
QVector<FrameDesktop> readFrameDesktops(const std::vector<device::HidInterface> &interfaces,
                                        const QVector<int> &vendorIds, const QString &inputDevice);

/// One verdict about the desktop's view, in the words list prints, and the one command that fixes it.
struct DesktopVerdict {
    QString text;
    QString fix;          ///< empty when there is nothing to fix
    QStringList details;  ///< where it comes from, one line each (the corrections' devices)
};

/// The verdicts of @p view: where the touches go ("mapped to HDMI-1", "mapped to the whole desktop: touches on a
/// screen of 2 land stretched", "mapped to a part of the desktop that is no screen: …", "mapping unknown: …")
/// and whether the system corrects them ("an OS correction is active on top of the frame's", "no OS correction
/// found").
QVector<DesktopVerdict> desktopVerdicts(const platform::DesktopView &view);

/// Lines of list's text for the frames' desktop views, each ended by a line feed; empty for no frame. Text from
/// outside (device and output names, paths) has its control characters escaped.
QString desktopText(const QVector<FrameDesktop> &frames);

/// The same for list --json, one object per frame.
QJsonArray desktopJson(const QVector<FrameDesktop> &frames);

/// "28E1:0001", the way list writes USB ids.
QString idsText(const platform::FrameIds &ids);

}  // namespace frame_tool
