#include "frame_tool/desktop_view.h"

#include <QJsonObject>

#include <algorithm>

#include "device/discovery.h"
#include "frame_tool/frame_list.h"
#include "frame_tool/printable.h"
#include "frame_tool/settings_report.h"

namespace frame_tool {
namespace {

using platform::DesktopView;
using platform::TouchMapping;

QString rectText(const QRect &rect) {
    return QStringLiteral("%1x%2+%3+%4").arg(rect.width()).arg(rect.height()).arg(rect.x()).arg(rect.y());
}

// Which N `map --screen N` takes, for the comment behind a fix.
QString screenNumbers(const DesktopView &view) {
    return view.screens.size() > 1 ? QStringLiteral("N: the frame's screen, 0 to %1").arg(view.screens.size() - 1)
                                   : QStringLiteral("N: the frame's screen, numbered from 0");
}

QString mapFix(const DesktopView &view, const QString &when = {}) {
    return QStringLiteral("orvessa-frame map --screen N   # %1%2").arg(when, screenNumbers(view));
}

DesktopVerdict mappingVerdict(const TouchMapping &mapping, const DesktopView &view) {
    const QString turned = mapping.orientation.isNormal()
                               ? QString()
                               : QStringLiteral(" (%1)").arg(platform::orientationText(mapping.orientation));
    switch (mapping.kind) {
        case TouchMapping::Kind::Screen:
            return {QStringLiteral("mapped to ") + mapping.screen + turned,
                    mapFix(view, QStringLiteral("only if the frame is not on %1; ").arg(mapping.screen)),
                    {}};
        case TouchMapping::Kind::WholeDesktop:
            return {QStringLiteral("mapped to the whole desktop: touches on a screen of %1 land stretched")
                        .arg(mapping.screenCount),
                    mapFix(view),
                    {}};
        case TouchMapping::Kind::Elsewhere:
            return {QStringLiteral("mapped to a part of the desktop that is no screen: %1")
                        .arg(mapping.region.isEmpty() ? mapping.how : rectText(mapping.region) + turned),
                    mapFix(view),
                    {}};
        case TouchMapping::Kind::Unknown:
            break;
    }
    return {QStringLiteral("mapping unknown: ") + mapping.how,
            QStringLiteral("orvessa-frame map --screen N   # prints the steps for this desktop"),
            {}};
}

// When nothing that decides was read: say so, and how to point the tool at the device on X11.
DesktopVerdict undecidedVerdict(const DesktopView &view) {
    if (view.session == platform::Session::X11)
        return {QStringLiteral("mapping unknown: no X11 input device of the frame was found"),
                QStringLiteral("orvessa-frame list --input-device NAME   # NAME: the frame's device in xinput list"),
                {}};
    return {QStringLiteral("mapping unknown: nothing read in this session (%1) says where its touches go")
                .arg(view.sessionText),
            {},
            {}};
}

QString mappingKind(TouchMapping::Kind kind) {
    switch (kind) {
        case TouchMapping::Kind::Screen:
            return QStringLiteral("screen");
        case TouchMapping::Kind::WholeDesktop:
            return QStringLiteral("wholeDesktop");
        case TouchMapping::Kind::Elsewhere:
            return QStringLiteral("elsewhere");
        case TouchMapping::Kind::Unknown:
            break;
    }
    return QStringLiteral("unknown");
}

QJsonObject rectJson(const QRect &rect) {
    return {{QStringLiteral("x"), rect.x()},
            {QStringLiteral("y"), rect.y()},
            {QStringLiteral("width"), rect.width()},
            {QStringLiteral("height"), rect.height()}};
}

QJsonObject deviceJson(const platform::DesktopDevice &device) {
    const TouchMapping &mapping = device.mapping;
    QJsonObject mappingObject{{QStringLiteral("kind"), mappingKind(mapping.kind)},
                              {QStringLiteral("screen"), mapping.screen},
                              {QStringLiteral("screenCount"), mapping.screenCount},
                              {QStringLiteral("orientation"), platform::orientationText(mapping.orientation)},
                              {QStringLiteral("how"), mapping.how}};
    if (!mapping.region.isEmpty())
        mappingObject.insert(QStringLiteral("region"), rectJson(mapping.region));
    return {{QStringLiteral("system"), device.system},
            {QStringLiteral("name"), device.name},
            {QStringLiteral("facts"), QJsonArray::fromStringList(device.facts)},
            {QStringLiteral("decides"), device.decides},
            {QStringLiteral("mapping"), mappingObject},
            {QStringLiteral("correction"), device.correction}};
}

QJsonObject frameJson(const FrameDesktop &frame) {
    const DesktopView &view = frame.view;
    QJsonArray screens;
    for (const platform::DesktopScreen &screen : view.screens) {
        QJsonObject object = rectJson(screen.geometry);
        object.insert(QStringLiteral("name"), screen.name);
        screens << object;
    }
    QJsonArray devices;
    for (const platform::DesktopDevice &device : view.devices)
        devices << deviceJson(device);
    QJsonArray verdicts;
    for (const DesktopVerdict &verdict : desktopVerdicts(view))
        verdicts << QJsonObject{{QStringLiteral("verdict"), verdict.text},
                                {QStringLiteral("fix"), verdict.fix},
                                {QStringLiteral("details"), QJsonArray::fromStringList(verdict.details)}};
    return {{QStringLiteral("vendorId"), hexId(frame.ids.vendorId)},
            {QStringLiteral("productId"), hexId(frame.ids.productId)},
            {QStringLiteral("paths"), QJsonArray::fromStringList(frame.paths)},
            {QStringLiteral("session"), view.sessionText},
            {QStringLiteral("desktop"), QJsonObject{{QStringLiteral("width"), view.desktop.width()},
                                                    {QStringLiteral("height"), view.desktop.height()}}},
            {QStringLiteral("screens"), screens},
            {QStringLiteral("devices"), devices},
            {QStringLiteral("notRead"), QJsonArray::fromStringList(view.unreadable)},
            {QStringLiteral("verdicts"), verdicts}};
}

QStringList frameLines(const FrameDesktop &frame) {
    const DesktopView &view = frame.view;
    QStringList lines{QStringLiteral("desktop of %1 (%2): %3")
                          .arg(idsText(frame.ids), frame.paths.join(QStringLiteral(", ")), view.sessionText)};
    QStringList screens;
    for (const platform::DesktopScreen &screen : view.screens)
        screens << screen.name + u' ' + rectText(screen.geometry);
    if (!screens.isEmpty())
        lines << QStringLiteral("  screens: ") + screens.join(QStringLiteral(", "));
    for (const platform::DesktopDevice &device : view.devices)
        lines << QStringLiteral("  %1 %2%3")
                     .arg(device.system, device.name,
                          device.facts.isEmpty() ? QString()
                                                 : QStringLiteral(": ") + device.facts.join(QStringLiteral("; ")));
    for (const QString &missing : view.unreadable)
        lines << QStringLiteral("  not read: ") + missing;
    for (const DesktopVerdict &verdict : desktopVerdicts(view)) {
        lines << QStringLiteral("  verdict: ") + verdict.text;
        for (const QString &detail : verdict.details)
            lines << QStringLiteral("    from ") + detail;
        if (!verdict.fix.isEmpty())
            lines << QStringLiteral("    fix: ") + verdict.fix;
    }
    return lines;
}

}  // namespace

QString idsText(const platform::FrameIds &ids) {
    return hexId(ids.vendorId) + u':' + hexId(ids.productId);
}

QVector<FrameDesktop> framesAmong(const std::vector<device::HidInterface> &interfaces, const QVector<int> &vendorIds,
                                  const QString &onlyPath) {
    QVector<FrameDesktop> frames;
    for (const device::HidInterface &interface : interfaces) {
        const QString path = QString::fromStdString(interface.path);
        if (!vendorIds.contains(interface.vendorId) ||
            !device::isVendorInterface(interface.usagePage, interface.usage) ||
            (!onlyPath.isEmpty() && path != onlyPath))
            continue;
        const auto same = [&](const FrameDesktop &frame) {
            return frame.ids.vendorId == interface.vendorId && frame.ids.productId == interface.productId;
        };
        auto frame = std::find_if(frames.begin(), frames.end(), same);
        if (frame == frames.end())
            frame = frames.insert(frames.end(), FrameDesktop{{interface.vendorId, interface.productId}, {}, {}});
        if (!frame->paths.contains(path))
            frame->paths << path;
    }
    return frames;
}

QVector<FrameDesktop> readFrameDesktops(const std::vector<device::HidInterface> &interfaces,
                                        const QVector<int> &vendorIds, const QString &inputDevice) {
    QVector<FrameDesktop> frames = framesAmong(interfaces, vendorIds);
    for (FrameDesktop &frame : frames)
        frame.view = platform::readDesktopView(frame.ids, inputDevice);
    return frames;
}

QVector<DesktopVerdict> desktopVerdicts(const DesktopView &view) {
    const platform::DesktopJudgement judgement = platform::judgeDesktop(view);
    QVector<DesktopVerdict> verdicts;
    for (const TouchMapping &mapping : judgement.mappings)
        verdicts << mappingVerdict(mapping, view);
    if (judgement.mappings.isEmpty())
        verdicts << undecidedVerdict(view);
    if (!judgement.corrections.isEmpty())
        verdicts << DesktopVerdict{QStringLiteral("an OS correction is active on top of the frame's"),
                                   QStringLiteral("orvessa-frame reset-os-correction"), judgement.corrections};
    else if (!view.devices.isEmpty())
        verdicts << DesktopVerdict{QStringLiteral("no OS correction found"), {}, {}};
    return verdicts;
}

QString desktopText(const QVector<FrameDesktop> &frames) {
    QString text;
    for (const FrameDesktop &frame : frames)
        for (const QString &line : frameLines(frame))
            text += printable(line) + u'\n';
    return text;
}

QJsonArray desktopJson(const QVector<FrameDesktop> &frames) {
    QJsonArray array;
    for (const FrameDesktop &frame : frames)
        array << frameJson(frame);
    return array;
}

}  // namespace frame_tool
