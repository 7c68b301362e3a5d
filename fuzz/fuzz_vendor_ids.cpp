// The "/config/vid" value is typed by hand into the settings file: any bytes must give a usable id list.
#include <cstddef>
#include <cstdlib>
#include <cstdint>

#include <QSet>
#include <QString>
#include <QVector>

#include "device/vendor_ids.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString setting = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QVector<int> ids = device::vendorIdsFromSetting(setting);
    const QVector<int> &builtIn = device::builtInVendorIds();

    // The built-in ids always come first and unchanged, whatever the setting holds.
    FUZZ_CHECK(ids.mid(0, builtIn.size()) == builtIn);
    // No id twice, and at most one new id per "+"-separated part.
    FUZZ_CHECK(QSet<int>(ids.cbegin(), ids.cend()).size() == ids.size());
    FUZZ_CHECK(ids.size() - builtIn.size() <= setting.count(u'+') + 1);
    // Every added id was written in the setting as hexadecimal digits (perhaps after a sign, 0x or leading zeros).
    for (qsizetype i = builtIn.size(); i < ids.size(); ++i)
        FUZZ_CHECK(setting.contains(QString::number(std::abs(static_cast<qint64>(ids[i])), 16), Qt::CaseInsensitive));
    return 0;
}
