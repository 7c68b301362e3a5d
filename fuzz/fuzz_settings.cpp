// The settings file is edited by hand and read by Qt's INI reader: a mangled setting_calibration.ini must still
// give values the program can use. Each input is written to a file and read the way the entry point and the main
// window read it.
#include <cstddef>
#include <cstdint>

#include <QFile>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>
#include <QVector>

#include "settings/settings_file.h"
#include "device/vendor_ids.h"
#include "fuzz_check.h"

namespace {

struct Values {
    int language = 0;
    int systray = 0;
    int caliModeSelect = 0;
    QString vid;

    bool operator==(const Values &other) const {
        return language == other.language && systray == other.systray && caliModeSelect == other.caliModeSelect &&
               vid == other.vid;
    }
};

Values readValues(const QString &path) {
    const QSettings store(path, QSettings::IniFormat);
    return {settings::readInt(store, QStringLiteral("/config/language")),
            settings::readInt(store, QStringLiteral("/config/systray")),
            settings::readInt(store, QStringLiteral("/config/caliModeSelect")),
            settings::readString(store, QStringLiteral("/config/vid"))};
}

// QSettings keeps recently read files in a cache checked by size and modification time, so a later input of the
// same size written within the same millisecond could be served from it. A fresh name per input rules that out.
QString freshPath() {
    static QTemporaryDir folder;
    static quint64 count = 0;
    return folder.filePath(QStringLiteral("setting_calibration-%1.ini").arg(++count));
}

void writeFile(const QString &path, const uint8_t *data, size_t size) {
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly));
    FUZZ_CHECK(file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size)) ==
               static_cast<qint64>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString path = freshPath();
    const QString copy = freshPath();
    writeFile(path, data, size);
    writeFile(copy, data, size);

    // Reading is deterministic: the same bytes under another name give the same values.
    const Values values = readValues(path);
    FUZZ_CHECK(readValues(copy) == values);

    // The main window builds its vendor id list from whatever the file held.
    const QVector<int> ids = device::vendorIdsFromSetting(values.vid);
    FUZZ_CHECK(ids.mid(0, device::builtInVendorIds().size()) == device::builtInVendorIds());

    QFile::remove(path);
    QFile::remove(copy);
    return 0;
}
