#include "platform/autostart.h"

#include <QSettings>

namespace platform {

void writeAutostartEntry(const QString &programPath, bool enabled) {
    QSettings run(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"),
                  QSettings::NativeFormat);
    // Window mode keeps the value, empty: Windows then starts nothing for it.
    run.setValue(QStringLiteral("Vantrel"), enabled ? windowsRunCommand(programPath) : QString());
}

}  // namespace platform
