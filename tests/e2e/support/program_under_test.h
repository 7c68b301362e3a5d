#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QProcess>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QTemporaryDir>

#include "support/frame_record.h"

/// The buttons the main window shows, top to bottom (the touch-mode and screen buttons stay hidden).
enum class MainButton { Calibrate4, Calibrate9, Calibrate15, Calibrate20, Clear, DoubleClick, Exit };

/// Where @p button's centre is on the screen, for a main window whose geometry is @p window. The seven visible
/// buttons are 60 px high, one every 70 px, the first centred 55 px below the window's top, and centred 190 px from
/// its left (the layout as the program draws it at 380 x 524).
QPoint buttonCentre(const QRect &window, MainButton button);

/// Which executable a ProgramUnderTest runs.
enum class Executable { Program, FrameTool };

/// The real executable, copied into a temporary folder of its own beside a settings file, started on an X display
/// with the virtual frame and the wait skipper preloaded, in a private home (HOME, XDG_* folders) inside the
/// same folder. Everything it started is killed when it is destroyed.
class ProgramUnderTest {
public:
    /// Installs the program (orvessa) or the tool (orvessa-frame) with @p settings as the setting_calibration.ini
    /// beside it, for @p display.
    ProgramUnderTest(QString display, const QByteArray &settings, Executable executable = Executable::Program);
    ProgramUnderTest(const ProgramUnderTest &) = delete;
    ProgramUnderTest &operator=(const ProgramUnderTest &) = delete;
    ~ProgramUnderTest();

    /// False when the folder or the copy could not be made.
    bool isInstalled() const { return m_installed; }

    /// The setting_calibration.ini beside the copy, for a test to put something else in its place.
    QString settingsPath() const;

    /// Sets one of the virtual frame's variables (ORVESSA_VIRTUAL_FRAME_INTERFACES, ..._START_REPLY, ...) for the
    /// launches that follow; an empty value is kept as set-but-empty.
    void setFrameVariable(const QString &name, const QString &value) { m_frameVariables.insert(name, value); }

    /// Any other variable of the program's environment for the launches that follow (QT_QPA_PLATFORM,
    /// WAYLAND_DISPLAY, XDG_CURRENT_DESKTOP, PATH, ...); it wins over the defaults above, and a null value removes it.
    void setVariable(const QString &name, const QString &value) { m_variables.insert(name, value); }

    /// The program's XDG_CONFIG_HOME, where the desktops keep their settings files.
    QString configFolder() const { return m_folder.filePath(QStringLiteral("config")); }

    /// Starts the program with @p arguments; it runs until the test ends or it quits.
    QProcess *launch(const QStringList &arguments = {});

    /// How the launched processes fare, for failure messages: running, or their exit and standard error.
    QString diagnosis() const;

    /// The record of the virtual frame under the last launch (each launch starts it over).
    FrameRecord record() const;

    /// The blocking waits the program asked for, in milliseconds, in order.
    QList<int> waits() const;

private:
    QProcessEnvironment environment() const;

    QTemporaryDir m_folder;
    QString m_display;
    QString m_program;
    bool m_installed = false;
    QMap<QString, QString> m_frameVariables;
    QMap<QString, QString> m_variables;
    QList<QProcess *> m_started;
};
