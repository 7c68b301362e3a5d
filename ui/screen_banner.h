#pragma once

#include <QSize>
#include <QString>
#include <QWidget>

class QScreen;

/// A short note on a screen that says the next calibration runs there: frameless, translucent, never taking the
/// keyboard, gone after displayMilliseconds. Return/Enter shows it on the screen it chose, so that the user sees
/// the choice even where the main window cannot move there (Wayland).
class ScreenBanner : public QWidget {
    Q_OBJECT

public:
    static constexpr int displayMilliseconds = 2000;

    /// A banner with @p text; it deletes itself when it closes.
    explicit ScreenBanner(const QString &text);

    /// How the banner reaches its screen.
    enum class Placement {
        Centred,     ///< a small window in the middle of the screen (X11, Windows; Wayland: the focused output)
        FullScreen,  ///< a transparent window over the whole screen, the banner in its middle: the one way a
                     ///< Wayland client has to show a window on an output other than the focused one
    };

    /// Shows @p text on @p screen for displayMilliseconds; a banner still shown from before goes at once.
    /// @return the banner, owned by itself.
    static ScreenBanner *showOn(QScreen *screen, const QString &text, Placement placement = Placement::Centred);

    /// The banner on screen now, or null.
    static ScreenBanner *current();

    QString text() const { return m_text; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
    QSize m_bannerSize;
};

/// How a screen is named to the user: its 1-based number, its connector name (HDMI-1) and its size in device
/// pixels ("1280 × 1024"), which is what the monitor's own menu and the display settings show.
struct ScreenIdentity {
    int number = 0;
    QString name;
    QSize pixels;
};

/// The identity of @p screen, number @p index + 1 of the desktop.
ScreenIdentity identify(const QScreen &screen, int index);
