#include "platform/mouse_settings.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include "platform/desktop_family.h"
#include "platform/key_file_lines.h"
#include "platform/user_file.h"

namespace platform {

namespace {

// One integer of a desktop's store, as text.
class StoredNumber {
public:
    virtual ~StoredNumber() = default;
    /// As stored; empty when missing or unreadable.
    virtual QString read() const = 0;
    /// @return false when the write failed or was refused.
    virtual bool write(const QString &text) = 0;
    virtual QString location() const = 0;
};

QString configPath(const QString &relative) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') + relative;
}

// A key in a GLib or KConfig key file, edited in place: every other byte of the file stays.
class KeyFileNumber : public StoredNumber {
public:
    KeyFileNumber(QString path, QByteArray group, QByteArray key)
        : m_path(std::move(path)), m_group(std::move(group)), m_key(std::move(key)) {}

    QString read() const override {
        const UserFileContent file = readUserFile(m_path);
        return QString::fromUtf8(KeyFileLines(file.bytes).value(m_group, m_key).value_or(QByteArray()));
    }

    bool write(const QString &text) override {
        const UserFileContent file = readUserFile(m_path);
        // A file that is there but cannot be read is the user's: replacing it with our two lines would lose it.
        if (file.status == UserFileContent::Status::Unreadable)
            return false;
        KeyFileLines lines(file.bytes);
        lines.setValue(m_group, m_key, text.toUtf8());
        return writeUserFile(m_path, lines.bytes());
    }

    QString location() const override { return m_path; }

private:
    QString m_path;
    QByteArray m_group;
    QByteArray m_key;
};

// Runs a desktop's own settings tool. @return its standard output, trimmed; no value when it could not be started,
// failed or took longer than a settings call may.
std::optional<QString> runTool(const QString &program, const QStringList &arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, arguments, QIODevice::ReadOnly);
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(1000);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// A GSettings key through the gsettings tool, so that whichever backend the session uses (dconf, a key file)
// is the one written.
class GSettingsNumber : public StoredNumber {
public:
    GSettingsNumber(QString schema, QString key) : m_schema(std::move(schema)), m_key(std::move(key)) {}

    QString read() const override {
        return runTool(QStringLiteral("gsettings"), {QStringLiteral("get"), m_schema, m_key}).value_or(QString());
    }
    bool write(const QString &text) override {
        return runTool(QStringLiteral("gsettings"), {QStringLiteral("set"), m_schema, m_key, text}).has_value();
    }
    QString location() const override { return QStringLiteral("GSettings %1 %2").arg(m_schema, m_key); }

private:
    QString m_schema;
    QString m_key;
};

// An xfconf property through xfconf-query, which reaches the session's xfconfd (Xfce's settings daemon then
// publishes it as the XSETTINGS value that GTK and Qt programs follow).
class XfconfNumber : public StoredNumber {
public:
    XfconfNumber(QString channel, QString property) : m_channel(std::move(channel)), m_property(std::move(property)) {}

    QString read() const override {
        return runTool(QStringLiteral("xfconf-query"),
                       {QStringLiteral("-c"), m_channel, QStringLiteral("-p"), m_property})
            .value_or(QString());
    }
    bool write(const QString &text) override {
        // --create with the type sets the property whether or not it exists yet.
        return runTool(QStringLiteral("xfconf-query"),
                       {QStringLiteral("-c"), m_channel, QStringLiteral("-p"), m_property, QStringLiteral("--create"),
                        QStringLiteral("-t"), QStringLiteral("int"), QStringLiteral("-s"), text})
            .has_value();
    }
    QString location() const override { return QStringLiteral("xfconf %1 %2").arg(m_channel, m_property); }

private:
    QString m_channel;
    QString m_property;
};

// The three Windows names over a desktop's time and distance.
class DesktopMouseSettings : public MouseSettings {
public:
    DesktopMouseSettings(std::unique_ptr<StoredNumber> time, std::unique_ptr<StoredNumber> distance)
        : m_time(std::move(time)), m_distance(std::move(distance)) {}

    QString value(const QString &name) const override {
        if (name == doubleClickSpeed)
            return m_time->read();
        if (name == doubleClickWidth || name == doubleClickHeight) {
            const QString distance = m_distance->read();
            bool isNumber = false;
            const int offset = distance.toInt(&isNumber);
            return isNumber ? QString::number(2 * offset) : distance;
        }
        return {};
    }

    bool setValue(const QString &name, const QString &text) override {
        StoredNumber *target = storeOf(name);
        bool isNumber = false;
        const int number = text.toInt(&isNumber);
        if (!target || !isNumber)
            return false;
        // A side of the rectangle centred on the first click is twice the distance.
        const QString stored = target == m_time.get() ? text : QString::number(number / 2);
        // Read back: a settings tool can succeed without anything being kept (gsettings without a running
        // dconf falls back to memory), and the user must not be told that it worked.
        return target->write(stored) && target->read() == stored;
    }

    QString location(const QString &name) const override {
        const StoredNumber *store = storeOf(name);
        return store ? store->location() : QString();
    }

private:
    StoredNumber *storeOf(const QString &name) const {
        if (name == doubleClickSpeed)
            return m_time.get();
        if (name == doubleClickWidth || name == doubleClickHeight)
            return m_distance.get();
        return nullptr;
    }

    std::unique_ptr<StoredNumber> m_time;
    std::unique_ptr<StoredNumber> m_distance;
};

// The key each GSettings desktop's settings daemon hands on to GTK and Qt programs as the double-click time.
std::unique_ptr<StoredNumber> gsettingsDoubleClick(const char *schema) {
    return std::make_unique<GSettingsNumber>(QString::fromLatin1(schema), QStringLiteral("double-click"));
}

std::unique_ptr<StoredNumber> gtkNumber(const char *key) {
    return std::make_unique<KeyFileNumber>(configPath(QStringLiteral("gtk-3.0/settings.ini")), "Settings", key);
}

}  // namespace

std::unique_ptr<MouseSettings> openMouseSettings() {
    std::unique_ptr<StoredNumber> time;
    std::unique_ptr<StoredNumber> distance = gtkNumber("gtk-double-click-distance");
    switch (runningDesktopFamily()) {
        case DesktopFamily::Gnome:
            time = gsettingsDoubleClick("org.gnome.desktop.peripherals.mouse");
            break;
        case DesktopFamily::Mate:
            time = gsettingsDoubleClick("org.mate.peripherals-mouse");
            break;
        case DesktopFamily::Cinnamon:
            time = gsettingsDoubleClick("org.cinnamon.desktop.peripherals.mouse");
            break;
        case DesktopFamily::Plasma:
            time =
                std::make_unique<KeyFileNumber>(configPath(QStringLiteral("kdeglobals")), "KDE", "DoubleClickInterval");
            break;
        case DesktopFamily::Xfce:
            time = std::make_unique<XfconfNumber>(QStringLiteral("xsettings"), QStringLiteral("/Net/DoubleClickTime"));
            distance =
                std::make_unique<XfconfNumber>(QStringLiteral("xsettings"), QStringLiteral("/Net/DoubleClickDistance"));
            break;
        case DesktopFamily::Other:
            time = gtkNumber("gtk-double-click-time");
            break;
    }
    return std::make_unique<DesktopMouseSettings>(std::move(time), std::move(distance));
}

}  // namespace platform
