#include "platform/mouse_settings.h"

#include <optional>

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>

namespace platform {

namespace {

const QString settingsGroup = QStringLiteral("[Settings]");
const QString timeKey = QStringLiteral("gtk-double-click-time");
const QString distanceKey = QStringLiteral("gtk-double-click-distance");

QString settingsFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/gtk-3.0");
}

// A GLib key file edited line by line, so that comments, other groups and the layout of every line we do not
// change stay exactly as the user or another tool left them (QSettings would rewrite the whole file).
class KeyFileLines {
public:
    explicit KeyFileLines(const QString &text) {
        m_lines = text.split(QLatin1Char('\n'));
        if (m_lines.last().isEmpty())
            m_lines.removeLast();
    }

    QString text() const { return m_lines.isEmpty() ? QString() : m_lines.join(QLatin1Char('\n')) + QLatin1Char('\n'); }

    // The last value of @p key in [Settings], as GLib reads it (later lines win, repeated groups merge).
    std::optional<QString> value(const QString &key) const {
        std::optional<QString> found;
        bool inSettings = false;
        for (const QString &line : m_lines) {
            if (isGroupHeader(line)) {
                inSettings = line.trimmed() == settingsGroup;
            } else if (inSettings && keyOf(line) == key) {
                found = line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
            }
        }
        return found;
    }

    // Replaces every line of @p key in [Settings]; without one, adds it after the last line of the first
    // [Settings] group, or adds the group at the end.
    void setValue(const QString &key, const QString &value) {
        const QString line = key + QLatin1Char('=') + value;
        bool inSettings = false;
        bool replaced = false;
        int settingsGroupsSeen = 0;
        int insertAt = -1;
        for (int i = 0; i < m_lines.size(); ++i) {
            if (isGroupHeader(m_lines[i])) {
                inSettings = m_lines[i].trimmed() == settingsGroup;
                if (inSettings && ++settingsGroupsSeen == 1)
                    insertAt = i + 1;
                continue;
            }
            if (!inSettings)
                continue;
            if (keyOf(m_lines[i]) == key) {
                m_lines[i] = line;
                replaced = true;
            }
            if (settingsGroupsSeen == 1 && !m_lines[i].trimmed().isEmpty())
                insertAt = i + 1;
        }
        if (replaced)
            return;
        if (insertAt >= 0) {
            m_lines.insert(insertAt, line);
            return;
        }
        if (!m_lines.isEmpty() && !m_lines.last().trimmed().isEmpty())
            m_lines.append(QString());
        m_lines.append(settingsGroup);
        m_lines.append(line);
    }

private:
    static bool isGroupHeader(const QString &line) { return line.trimmed().startsWith(QLatin1Char('[')); }

    // The key of a "key = value" line; empty for comments, blank lines and anything else.
    static QString keyOf(const QString &line) {
        const QString trimmed = line.trimmed();
        const qsizetype equals = trimmed.indexOf(QLatin1Char('='));
        if (trimmed.startsWith(QLatin1Char('#')) || equals <= 0)
            return {};
        return trimmed.left(equals).trimmed();
    }

    QStringList m_lines;
};

class GtkMouseSettings : public MouseSettings {
public:
    QString value(const QString &name) const override {
        const KeyFileLines file(readFile());
        if (name == QLatin1String("DoubleClickSpeed"))
            return file.value(timeKey).value_or(QString());
        if (name == QLatin1String("DoubleClickWidth") || name == QLatin1String("DoubleClickHeight")) {
            const QString distance = file.value(distanceKey).value_or(QString());
            bool isNumber = false;
            const int offset = distance.toInt(&isNumber);
            return isNumber ? QString::number(2 * offset) : distance;
        }
        return {};
    }

    void setValue(const QString &name, const QString &text) override {
        QString key;
        QString value = text;
        if (name == QLatin1String("DoubleClickSpeed")) {
            key = timeKey;
        } else if (name == QLatin1String("DoubleClickWidth") || name == QLatin1String("DoubleClickHeight")) {
            bool isNumber = false;
            const int side = text.toInt(&isNumber);
            if (!isNumber)
                return;
            key = distanceKey;
            value = QString::number(side / 2);  // a side of the rectangle centred on the first click
        } else {
            return;
        }
        KeyFileLines file(readFile());
        file.setValue(key, value);
        writeFile(file.text());
    }

private:
    static QString filePath() { return settingsFolder() + QStringLiteral("/settings.ini"); }

    static QString readFile() {
        QFile file(filePath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll());
    }

    static void writeFile(const QString &text) {
        if (!QDir().mkpath(settingsFolder()))
            return;
        QSaveFile file(filePath());
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.write(text.toUtf8());
        file.commit();
    }
};

}  // namespace

std::unique_ptr<MouseSettings> openMouseSettings() {
    return std::make_unique<GtkMouseSettings>();
}

}  // namespace platform
