#include "platform/autostart.h"

#include <QStandardPaths>

#include "platform/user_file.h"

namespace platform {

void writeAutostartEntry(const QString &programPath, bool enabled) {
    // Qt gives no path for a program in a folder whose name is not valid UTF-8, and an entry's Exec line, which is
    // UTF-8 text, could not name it anyway: an entry that starts nothing is not written.
    if (enabled && programPath.isEmpty())
        return;
    const QString path = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                         QStringLiteral("/autostart/Vantrel.desktop");
    const UserFileContent old = readUserFile(path);
    // Window mode has nothing to switch off where there is no entry; an unreadable entry is the user's.
    if (old.status == UserFileContent::Status::Unreadable ||
        (!enabled && old.status == UserFileContent::Status::Missing))
        return;
    const QByteArray updated = updatedAutostartEntry(old.bytes, programPath, enabled);
    if (old.status == UserFileContent::Status::Missing || updated != old.bytes)
        writeUserFile(path, updated);
}

}  // namespace platform
