#include "frame_tool/settings_report.h"

#include <QSettings>
#include <QStringView>

#include "settings/settings_file.h"
#include "device/vendor_ids.h"

namespace frame_tool {
namespace {

const QStringList knownKeys{QStringLiteral("language"), QStringLiteral("systray"), QStringLiteral("caliModeSelect"),
                            QStringLiteral("vid")};
const QString configGroup = QStringLiteral("config/");

void checkKeys(const QSettings &store, QStringList &warnings) {
    for (const QString &key : store.allKeys()) {
        if (!key.startsWith(configGroup)) {
            // Keys before any group, or in [General], come without a group name.
            const qsizetype slash = key.lastIndexOf(u'/');
            const QString group = slash < 0 ? QStringLiteral("General") : key.left(slash);
            warnings << QStringLiteral("%1 in [%2] is ignored: the program reads only the group [config]")
                            .arg(key.mid(slash + 1), group);
        } else if (!knownKeys.contains(key.mid(configGroup.size()))) {
            warnings << QStringLiteral(
                            "%1 in [config] is not a key the program knows and is ignored (keys: %2; "
                            "names are case-sensitive)")
                            .arg(key.mid(configGroup.size()), knownKeys.join(QStringLiteral(", ")));
        }
    }
}

void checkVendorIdParts(const QString &vid, SettingsReport &report) {
    QStringList &warnings = report.warnings;
    for (QStringView part : QStringView(vid).split(u'+')) {
        const std::optional<int> id = device::vendorIdFromPart(part);
        if (id && *id < 0 && !report.negativeIds.contains(*id))
            report.negativeIds.insert(*id, part.trimmed().toString());
        if (!id && !part.isEmpty())
            warnings << QStringLiteral("vid part \"%1\" is not a hexadecimal id and is ignored").arg(part);
        else if (id && (*id < 0 || *id > 0xFFFF))
            warnings
                << QStringLiteral("vid part \"%1\" is outside 0000 to FFFF: no USB vendor id can match it").arg(part);
    }
}

QString notReadReason(const platform::FileRead &file) {
    switch (file.status) {
        case platform::FileRead::Status::NotAFile:
            return QStringLiteral("%1, not a regular file").arg(file.kind);
        case platform::FileRead::Status::TooLarge:
            return QStringLiteral("%1 bytes, more than the %2 MiB a settings file may have")
                .arg(file.size)
                .arg(platform::keyFileLimit >> 20);
        case platform::FileRead::Status::Unreadable:
            return QStringLiteral("it cannot be read: %1").arg(file.error);
        case platform::FileRead::Status::Read:
        case platform::FileRead::Status::Missing:
            break;
    }
    return {};
}

}  // namespace

QString hexId(int id) {
    return QStringLiteral("%1").arg(id, 4, 16, QLatin1Char('0')).toUpper();
}

QString idText(const SettingsReport &settings, int id) {
    return id < 0 ? settings.negativeIds.value(id, QString::number(id)) : hexId(id);
}

SettingsReport readSettingsReport(const QString &path) {
    SettingsReport report;
    report.path = path;
    const platform::FileRead file = settings::checkFile(path);
    report.found = file.status != platform::FileRead::Status::Missing;
    report.notRead = notReadReason(file);

    // The same judgement, reader, key and parser as the main window: what is not read gives an empty store.
    const QSettings store(file.status == platform::FileRead::Status::Read ? path : QString(), QSettings::IniFormat);
    const QString vid = settings::readString(store, QStringLiteral("/config/vid"));
    report.vendorIds = device::vendorIdsFromSetting(vid);
    report.idsFromVid = report.vendorIds.mid(device::builtInVendorIds().size());

    checkKeys(store, report.warnings);
    const QVariant rawVid = store.value(QStringLiteral("/config/vid"));
    if (rawVid.typeId() == QMetaType::QStringList) {
        report.warnings << QStringLiteral("vid=%1 has commas: the program takes none of its ids; separate ids with +")
                               .arg(rawVid.toStringList().join(u','));
    } else {
        checkVendorIdParts(vid, report);
    }
    return report;
}

}  // namespace frame_tool
