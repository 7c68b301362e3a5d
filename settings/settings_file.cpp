#include "settings/settings_file.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QVariant>

namespace settings {

namespace {
QString &folderOverride() {
    static QString folder;
    return folder;
}
}  // namespace

QString filePath() {
    const QString folder = folderOverride().isEmpty() ? QCoreApplication::applicationDirPath() : folderOverride();
    return folder + QStringLiteral("/setting_calibration.ini");
}

QString readablePath() {
    const QString path = filePath();
    return QFileInfo(path).isFile() ? path : QString();
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
