#include "settings/settings_file.h"

#include <QVariant>

#include "platform/program_location.h"

namespace settings {

namespace {
QString &folderOverride() {
    static QString folder;
    return folder;
}
}  // namespace

QString filePath() {
    const QString folder = folderOverride().isEmpty() ? platform::programLocation().folder : folderOverride();
    return folder + QStringLiteral("/setting_calibration.ini");
}

platform::FileRead checkFile(const QString &path) {
    return platform::checkFile(path, platform::keyFileLimit);
}

QString readablePath(const QString &path) {
    return checkFile(path).status == platform::FileRead::Status::Read ? path : QString();
}

void setFolderOverride(const QString &folder) {
    folderOverride() = folder;
}

int readInt(const QSettings &store, const QString &key) {
    // QVariant::toInt gives 0 for anything that is not a number, a list included.
    return store.value(key).toInt();
}

QString readString(const QSettings &store, const QString &key) {
    return store.value(key).toString();
}

}  // namespace settings
