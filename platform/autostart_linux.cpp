#include "platform/autostart.h"

#include <QDir>
#include <QSaveFile>
#include <QStandardPaths>

namespace platform {

void writeAutostartEntry(const QString &programPath, bool enabled) {
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart");
    if (!QDir().mkpath(folder))
        return;
    // Written whole or not at all: a session manager never sees half an entry.
    QSaveFile file(folder + QStringLiteral("/Vantrel.desktop"));
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(autostartDesktopEntry(programPath, enabled).toUtf8());
    file.commit();
}

}  // namespace platform
