#pragma once

#include <QByteArray>
#include <QString>

#include "frame_tool/desktop_view.h"
#include "frame_tool/frame_list.h"
#include "frame_tool/settings_report.h"

namespace frame_tool {

/// The words of a verdict as list prints them: "would be used", "not the vendor interface", "cannot be opened",
/// "passed over", "went away".
QString verdictText(Verdict verdict);

/// `orvessa-frame list` for people: the settings file and what was made of it, one line per interface with its
/// verdict (details and the fix indented below a node that cannot be opened), hints for unknown vendor ids, the
/// desktop's view of each frame in @p desktops, and a closing result line. Every line goes through printable().
QString listText(const SettingsReport &settings, const FrameList &list, const QVector<FrameDesktop> &desktops = {});

/// The same as one JSON object, for tools; its strings hold whole characters only (wholeCharacters()).
QByteArray listJson(const SettingsReport &settings, const FrameList &list, const QVector<FrameDesktop> &desktops = {});

}  // namespace frame_tool
