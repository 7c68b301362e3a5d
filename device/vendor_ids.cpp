#include "device/vendor_ids.h"

#include <QSet>

namespace device {

const QVector<int> &builtInVendorIds() {
    static const QVector<int> ids{0x28E1, 0x13FF, 0x1314, 0x1870, 0x595A};
    return ids;
}

std::optional<int> vendorIdFromPart(QStringView part) {
    bool ok = false;
    const int id = part.toInt(&ok, 16);
    return ok ? std::optional<int>(id) : std::nullopt;
}

QVector<int> vendorIdsFromSetting(const QString &setting) {
    QVector<int> ids = builtInVendorIds();
    if (setting.isEmpty())
        return ids;
    // A set beside the list keeps a long hand-written value from turning the duplicate check quadratic.
    QSet<int> seen(ids.cbegin(), ids.cend());
    for (QStringView part : QStringView(setting).split(u'+')) {
        const std::optional<int> id = vendorIdFromPart(part);
        if (id && !seen.contains(*id)) {
            seen.insert(*id);
            ids.append(*id);
        }
    }
    return ids;
}

}  // namespace device
