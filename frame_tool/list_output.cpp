#include "frame_tool/list_output.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <utility>

#include "frame_tool/printable.h"

namespace frame_tool {
namespace {

QString path(const device::HidInterface &interface) {
    return QString::fromStdString(interface.path);
}

QString idsText(const SettingsReport &settings, const QVector<int> &ids, const QString &separator) {
    QStringList texts;
    for (const int id : ids)
        texts << idText(settings, id);
    return texts.join(separator);
}

QString interfaceText(const device::HidInterface &interface) {
    return QStringLiteral("%1  %2:%3  %4:%5")
        .arg(path(interface), hexId(interface.vendorId), hexId(interface.productId), hexId(interface.usagePage),
             hexId(interface.usage));
}

// The vid= line that makes the program take @p vendorId too.
QString vidLine(const SettingsReport &settings, int vendorId) {
    return QStringLiteral("vid=") +
           idsText(settings, settings.idsFromVid + QVector<int>{vendorId}, QStringLiteral("+"));
}

QString hint(const SettingsReport &settings, const device::HidInterface &interface) {
    return QStringLiteral("vendor id %1 is not known: add %2 to [config] in %3")
        .arg(hexId(interface.vendorId), vidLine(settings, interface.vendorId), settings.path);
}

QString resultText(const FrameList &list) {
    for (const ListedInterface &item : list.interfaces)
        if (item.verdict == Verdict::WouldBeUsed)
            return QStringLiteral("the main program would use %1 (usage 0x%2)")
                .arg(path(item.interface), hexId(item.interface.usage));
    if (list.status == ExitStatus::FrameNotUsable)
        return QStringLiteral("a frame is attached, but the main program can use none of its interfaces");
    if (!list.interfaces.isEmpty())
        return QStringLiteral("no touch frame found: the frame listed went away before it could be opened");
    return QStringLiteral("no touch frame found");
}

QString settingsFileState(const SettingsReport &settings) {
    if (!settings.found)
        return QStringLiteral(" (not found: the built-in defaults apply)");
    if (!settings.notRead.isEmpty())
        return QStringLiteral(" (not read: %1; the built-in defaults apply)").arg(settings.notRead);
    return {};
}

// @p value with every string in it made of whole characters (wholeCharacters).
QJsonValue withWholeCharacters(const QJsonValue &value) {
    if (value.isString())
        return wholeCharacters(value.toString());
    if (value.isArray()) {
        QJsonArray array;
        const QJsonArray elements = value.toArray();
        for (const QJsonValue element : elements)
            array << withWholeCharacters(element);
        return array;
    }
    if (value.isObject()) {
        QJsonObject object = value.toObject();
        for (QJsonValueRef member : object)
            member = withWholeCharacters(member);
        return object;
    }
    return value;
}

}  // namespace

QString verdictText(Verdict verdict) {
    switch (verdict) {
        case Verdict::WouldBeUsed:
            return QStringLiteral("would be used");
        case Verdict::NotVendorInterface:
            return QStringLiteral("not the vendor interface");
        case Verdict::CannotBeOpened:
            return QStringLiteral("cannot be opened");
        case Verdict::PassedOver:
            return QStringLiteral("passed over");
        case Verdict::WentAway:
            return QStringLiteral("went away");
    }
    return {};
}

QString listText(const SettingsReport &settings, const FrameList &list, const QVector<FrameDesktop> &desktops) {
    QStringList lines;
    lines << QStringLiteral("settings: %1%2").arg(settings.path, settingsFileState(settings))
          << QStringLiteral("  vid= adds: %1")
                 .arg(settings.idsFromVid.isEmpty() ? QStringLiteral("nothing")
                                                    : idsText(settings, settings.idsFromVid, QStringLiteral(", ")))
          << QStringLiteral("  vendor ids: %1").arg(idsText(settings, settings.vendorIds, QStringLiteral(" ")));
    for (const QString &warning : settings.warnings)
        lines << QStringLiteral("  warning: ") + warning;

    for (const ListedInterface &item : list.interfaces) {
        QString line = interfaceText(item.interface) + QStringLiteral("  ") + verdictText(item.verdict);
        if (!item.why.isEmpty())
            line += QStringLiteral(": ") + item.why;
        if (!item.interface.product.isEmpty())
            line += QStringLiteral("  \"%1\"").arg(item.interface.product);
        lines << line;
        for (const QString &detail : item.access.details)
            lines << QStringLiteral("    ") + detail;
        if (!item.access.fix.isEmpty())
            lines << QStringLiteral("    fix: ") + item.access.fix;
    }
    for (const device::HidInterface &interface : list.unknownVendorFrames)
        lines << QStringLiteral("hint: %1  looks like a touch frame, but %2")
                     .arg(interfaceText(interface), hint(settings, interface));
    QString text;
    for (const QString &line : std::as_const(lines))
        text += printable(line) + u'\n';
    return text + desktopText(desktops) + printable(QStringLiteral("result: ") + resultText(list)) + u'\n';
}

QByteArray listJson(const SettingsReport &settings, const FrameList &list, const QVector<FrameDesktop> &desktops) {
    const auto idArray = [&settings](const QVector<int> &ids) {
        QJsonArray array;
        for (const int id : ids)
            array << idText(settings, id);
        return array;
    };
    const auto interfaceObject = [](const device::HidInterface &interface) {
        return QJsonObject{{QStringLiteral("path"), path(interface)},
                           {QStringLiteral("vendorId"), hexId(interface.vendorId)},
                           {QStringLiteral("productId"), hexId(interface.productId)},
                           {QStringLiteral("usagePage"), hexId(interface.usagePage)},
                           {QStringLiteral("usage"), hexId(interface.usage)},
                           {QStringLiteral("product"), interface.product}};
    };

    QJsonArray interfaces;
    for (const ListedInterface &item : list.interfaces) {
        QJsonObject object = interfaceObject(item.interface);
        object.insert(QStringLiteral("verdict"), verdictText(item.verdict));
        object.insert(QStringLiteral("reason"), item.why);
        object.insert(QStringLiteral("details"), QJsonArray::fromStringList(item.access.details));
        object.insert(QStringLiteral("fix"), item.access.fix);
        interfaces << object;
    }
    QJsonArray unknown;
    for (const device::HidInterface &interface : list.unknownVendorFrames) {
        QJsonObject object = interfaceObject(interface);
        object.insert(QStringLiteral("hint"), hint(settings, interface));
        unknown << object;
    }
    const QJsonObject settingsObject{{QStringLiteral("path"), settings.path},
                                     {QStringLiteral("found"), settings.found},
                                     {QStringLiteral("notRead"), settings.notRead},
                                     {QStringLiteral("vidAdds"), idArray(settings.idsFromVid)},
                                     {QStringLiteral("vendorIds"), idArray(settings.vendorIds)},
                                     {QStringLiteral("warnings"), QJsonArray::fromStringList(settings.warnings)}};
    const QJsonObject root{
        {QStringLiteral("settings"), settingsObject}, {QStringLiteral("interfaces"), interfaces},
        {QStringLiteral("unknownVendors"), unknown},  {QStringLiteral("desktop"), desktopJson(desktops)},
        {QStringLiteral("result"), resultText(list)}, {QStringLiteral("status"), static_cast<int>(list.status)}};
    return QJsonDocument(withWholeCharacters(root).toObject()).toJson(QJsonDocument::Indented);
}

}  // namespace frame_tool
