#include "platform/mouse_settings.h"

#include <QSettings>

namespace platform {

namespace {
class RegistryMouseSettings : public MouseSettings {
public:
    QString value(const QString &name) const override { return m_key.value(name).toString(); }
    void setValue(const QString &name, const QString &text) override { m_key.setValue(name, text); }

private:
    QSettings m_key{QStringLiteral("HKEY_CURRENT_USER\\Control Panel\\Mouse"), QSettings::NativeFormat};
};
}  // namespace

std::unique_ptr<MouseSettings> openMouseSettings() {
    return std::make_unique<RegistryMouseSettings>();
}

}  // namespace platform
