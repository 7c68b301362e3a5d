#pragma once

#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

/// An X window id as xdotool prints it; 0 is no window.
using WindowId = quint32;

/// Runs the event loop in short steps until @p condition holds or @p timeoutMs passed; the result of the last check.
bool pollUntil(const std::function<bool()> &condition, int timeoutMs);

/// Runs the client tool @p program with @p arguments and @p variable (DISPLAY, WAYLAND_DISPLAY, ...) set to @p value,
/// the event loop running meanwhile (the program under test may ask something of the test's own process); its
/// standard output, nullopt when it did not end with status 0 within @p timeoutMs.
std::optional<QByteArray> runClient(const QString &variable, const QString &value, const QString &program,
                                    const QStringList &arguments, int timeoutMs = 10000);

/// The X display as a user meets it, driven from outside with xdotool: windows found by title, clicks at screen
/// positions, keys. There is no window manager: titles are the windows' own, and Qt gives the focus to the windows
/// it activates itself.
class Desktop {
public:
    explicit Desktop(QString display) : m_display(std::move(display)) {}

    QString display() const { return m_display; }

    /// From now on, windows are looked for only among those of process @p pid (Qt names its windows' process), so
    /// that the windows of a program that was just ended cannot be taken for those of the next one.
    void followProcess(qint64 pid) { m_pid = pid; }

    /// Mapped (viewable) windows whose title matches the extended regular expression @p titlePattern.
    QList<WindowId> visibleWindows(const QString &titlePattern) const;

    /// Waits up to @p timeoutMs for a mapped window whose title matches @p titlePattern; 0 when none appeared.
    WindowId waitForWindow(const QString &titlePattern, int timeoutMs = 15000) const;

    /// Waits up to @p timeoutMs until @p window is no longer mapped (closed or hidden).
    bool waitUntilGone(WindowId window, int timeoutMs = 10000) const;

    /// The window's position on the screen and its size; empty when it does not exist.
    QRect geometry(WindowId window) const;

    /// The window that holds the keyboard focus, 0 for none.
    WindowId focusedWindow() const;

    /// Moves the pointer to @p screenPosition and clicks the left button there (press and release, no move between).
    bool click(QPoint screenPosition) const;

    /// Presses and releases @p key (an X key name: Return, Escape) on @p window with the keyboard: the window is
    /// given the focus when it does not hold it, and the key is pressed again until the window closes, since a key
    /// that arrives before Qt gave the window its focus widget can be lost. False when the window is still there
    /// after @p timeoutMs.
    ///
    /// The key goes through the server's keyboard (XTEST), not as an event sent to the window (xdotool --window):
    /// a window that closes on the press would then never get the release, and Qt was seen to answer the next
    /// message box, or to accept the next target window once complete, by itself.
    bool pressUntilGone(WindowId window, const QString &key, int timeoutMs = 10000) const;

    /// Answers the message box titled exactly @p title with @p key (see pressUntilGone). False when no box
    /// appeared within @p timeoutMs or it did not close.
    bool answerBox(const QString &title, const QString &key, int timeoutMs = 15000) const;

    /// What the whole screen shows now (ImageMagick's import); a null image when it could not be read.
    QImage screenshot() const;

private:
    bool xdotool(const QStringList &arguments, QString *output = nullptr) const;

    QString m_display;
    qint64 m_pid = 0;
};
