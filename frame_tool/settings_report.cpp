#include "frame_tool/settings_report.h"

#include <QFileInfo>
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

void checkVendorIdParts(const QString &vid, QStringList &warnings) {
    for (QStringView part : QStringView(vid).split(u'+')) {
        const std::optional<int> id = device::vendorIdFromPart(part);
        if (!id && !part.isEmpty())
            warnings << QStringLiteral("vid part \"%1\" is not a hexadecimal id and is ignored").arg(part);
        else if (id && (*id < 0 || *id > 0xFFFF))
            warnings
                << QStringLiteral("vid part \"%1\" is outside 0000 to FFFF: no USB vendor id can match it").arg(part);
    }
}

}  // namespace

QString hexId(int id) {
    return QStringLiteral("%1").arg(id, 4, 16, QLatin1Char('0')).toUpper();
}

SettingsReport readSettingsReport(const QString &path) {
    SettingsReport report;
    report.path = path;
    const QFileInfo file(path);
    report.found = file.exists();
    if (report.found && !file.isReadable())
        report.warnings << QStringLiteral("the file cannot be read by this user: the built-in defaults apply");

    // The same reader, key and parser as the main window.
    const QSettings store(path, QSettings::IniFormat);
    const QString vid = settings::readString(store, QStringLiteral("/config/vid"));
    report.vendorIds = device::vendorIdsFromSetting(vid);
    report.idsFromVid = report.vendorIds.mid(device::builtInVendorIds().size());

    checkKeys(store, report.warnings);
    const QVariant rawVid = store.value(QStringLiteral("/config/vid"));
    if (rawVid.typeId() == QMetaType::QStringList) {
        report.warnings << QStringLiteral("vid=%1 has commas: the program takes none of its ids; separate ids with +")
                               .arg(rawVid.toStringList().join(u','));
    } else {
        checkVendorIdParts(vid, report.warnings);
    }
    return report;
}

}  // namespace frame_tool
