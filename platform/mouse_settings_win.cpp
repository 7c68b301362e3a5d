#include "platform/mouse_settings.h"

#include <QSettings>

namespace platform {

namespace {
const QString mouseKey = QStringLiteral("HKEY_CURRENT_USER\\Control Panel\\Mouse");

class RegistryMouseSettings : public MouseSettings {
public:
    QString value(const QString &name) const override { return m_key.value(name).toString(); }

    bool setValue(const QString &name, const QString &text) override {
        m_key.setValue(name, text);
        m_key.sync();  // only a write to the registry tells whether it worked
        return m_key.status() == QSettings::NoError;
    }

    QString location(const QString &) const override { return mouseKey; }

private:
    QSettings m_key{mouseKey, QSettings::NativeFormat};
};
}  // namespace

std::unique_ptr<MouseSettings> openMouseSettings() {
    return std::make_unique<RegistryMouseSettings>();
}

}  // namespace platform
