#include "ui/mapping_warning.h"

#include <QCoreApplication>

#include <cstdlib>

namespace {

using platform::TouchMapping;

bool sameRect(const QRect &a, const QRect &b) {
    return std::abs(a.left() - b.left()) <= 1 && std::abs(a.top() - b.top()) <= 1 &&
           std::abs(a.right() - b.right()) <= 1 && std::abs(a.bottom() - b.bottom()) <= 1;
}

// A screen mapping hits the target by its output's name; where the desktop gave a region (X11), the region counts
// too, since an X server without RandR 1.5 names its one screen differently from Qt.
bool hitsTarget(const TouchMapping &mapping, const CalibrationTarget &target) {
    switch (mapping.kind) {
        case TouchMapping::Kind::Screen:
            return platform::sameOutput(mapping.screen, target.name) ||
                   (!mapping.region.isEmpty() && sameRect(mapping.region, target.geometry));
        case TouchMapping::Kind::Elsewhere:
            return !mapping.region.isEmpty() && sameRect(mapping.region, target.geometry);
        case TouchMapping::Kind::WholeDesktop:
            return false;
        case TouchMapping::Kind::Unknown:
            break;
    }
    return true;  // nothing known against it
}

QString missText(const TouchMapping &mapping, const CalibrationTarget &target) {
    switch (mapping.kind) {
        case TouchMapping::Kind::Screen:
            return QCoreApplication::translate("Dialog",
                                               "触摸会落在 %1 上,而不是这块屏幕:请先运行 orvessa-frame map --screen %2")
                .arg(mapping.screen, QString::number(target.index));
        case TouchMapping::Kind::WholeDesktop:
            return QCoreApplication::translate("Dialog",
                                               "触摸被拉伸到整个桌面(%1 块屏幕):请先运行 orvessa-frame map --screen %2")
                .arg(QString::number(mapping.screenCount), QString::number(target.index));
        case TouchMapping::Kind::Elsewhere:
        case TouchMapping::Kind::Unknown:
            break;
    }
    return QCoreApplication::translate("Dialog", "触摸会落在桌面的其他区域:请先运行 orvessa-frame map --screen %1")
        .arg(target.index);
}

}  // namespace

QString mappingWarningText(const platform::DesktopJudgement &judgement, const CalibrationTarget &target) {
    for (const TouchMapping &mapping : judgement.mappings)
        if (!hitsTarget(mapping, target))
            return missText(mapping, target);
    if (!judgement.corrections.isEmpty())
        return QCoreApplication::translate(
            "Dialog", "系统在触摸框的校准之上另加了校正:请先运行 orvessa-frame reset-os-correction");
    return {};
}

QString calibrationMappingWarning(const platform::FrameIds &frame, const CalibrationTarget &target) {
    return mappingWarningText(platform::judgeDesktop(platform::readDesktopView(frame)), target);
}
