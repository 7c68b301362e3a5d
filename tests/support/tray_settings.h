#pragma once

#include <memory>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include "settings/settings_file.h"

/// A settings file of its own for one test: written into a fresh temporary folder (QSettings caches a file by
/// path, size and time, so reusing one path between tests could give the previous values) that the main window
/// then reads instead of the file beside the executable.
class TraySettings {
public:
    explicit TraySettings(const QByteArray &content) : m_folder(std::make_unique<QTemporaryDir>()) {
        QFile file(m_folder->filePath(QStringLiteral("setting_calibration.ini")));
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
        settings::setFolderOverride(m_folder->path());
    }
    ~TraySettings() { settings::setFolderOverride(QString()); }

    TraySettings(const TraySettings &) = delete;
    TraySettings &operator=(const TraySettings &) = delete;

private:
    std::unique_ptr<QTemporaryDir> m_folder;
};

/// The settings of tray mode and of window mode.
inline const QByteArray trayModeSettings = "[config]\nsystray=1\n";
inline const QByteArray windowModeSettings = "[config]\nsystray=0\n";
