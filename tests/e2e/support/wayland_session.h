#pragma once

#include <QJsonObject>
#include <QList>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QTemporaryDir>

/// One window as the compositor shows it (swaymsg -t get_tree).
struct WaylandView {
    QString title;
    QString output;  ///< the output whose workspace holds it
    QRect content;   ///< the client's own area, in layout coordinates
    bool focused = false;
    bool fullScreen = false;
    qint64 pid = 0;
};

/// A Wayland desktop of the test's own: sway on its headless back end with the outputs its configuration sets, no
/// input devices but a virtual pointer (tests/e2e/wayland/wayland_input) and virtual keyboards (wtype). sway
/// refuses to run as root: as root it runs as nobody (setpriv) in a private 0700 runtime folder, which root's
/// programs reach through the absolute socket path in WAYLAND_DISPLAY.
class WaylandSession {
public:
    WaylandSession() = default;
    WaylandSession(const WaylandSession &) = delete;
    WaylandSession &operator=(const WaylandSession &) = delete;
    ~WaylandSession();

    /// True when sway, swaymsg, wtype (and setpriv, for root) are installed (scripts/install-deps.sh).
    static bool toolsInstalled();

    /// Starts sway with @p configuration (sway commands, one a line) and the input helper; false when the
    /// compositor or the helper is not ready within 15 s.
    bool start(const QString &configuration);

    /// The absolute path of the compositor's socket, for WAYLAND_DISPLAY.
    QString display() const { return m_display; }

    /// Runs one sway command (swaymsg); false when sway refused it.
    bool command(const QString &command) const;

    /// Every window of process @p pid.
    QList<WaylandView> views(qint64 pid) const;

    /// Waits up to @p timeoutMs for a window of @p pid whose title matches @p titlePattern.
    WaylandView waitForView(qint64 pid, const QString &titlePattern, int timeoutMs = 15000) const;

    /// Waits until no window of @p pid has a title matching @p titlePattern.
    bool waitUntilGone(qint64 pid, const QString &titlePattern, int timeoutMs = 10000) const;

    /// Clicks at @p position in layout coordinates times @p subdivision: with 2, a position counts half pixels of
    /// the layout, as the physical pixels of an output at scale 2 do.
    bool click(QPoint position, int subdivision = 1);

    /// Presses and releases @p key (an XKB name: Return, Escape) on the focused window.
    bool key(const QString &key) const;

    /// A fresh activation token, as a launcher that follows the xdg-activation protocol hands to what it starts.
    QByteArray activationToken();

private:
    QJsonObject tree() const;
    QString ask(const QString &line);

    QTemporaryDir m_folder;
    QString m_display;
    QString m_swaySocket;
    QProcess m_sway;
    QProcess m_input;
};
