#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <QVector>

#include <array>
#include <optional>

// Where a desktop puts an absolute input device's touches, as arithmetic: the 3 x 3 matrices X and libinput keep,
// the part of the desktop one covers, and the name of that part. Pure: no desktop is asked here.

namespace platform {

/// A 3 x 3 matrix, row by row, as X's "Coordinate Transformation Matrix" and "libinput Calibration Matrix" hold it.
/// It takes the device's position, both axes scaled to 0..1, to the same on the whole desktop:
/// (x', y', w) = M (u, v, 1) and the touch lands at (x'/w, y'/w) of the desktop's width and height.
using Matrix3 = std::array<double, 9>;

constexpr Matrix3 identityMatrix{1, 0, 0, 0, 1, 0, 0, 0, 1};

/// True when every entry of @p matrix is within 1e-4 of the identity's (the floats X keeps are not exact).
bool isIdentity(const Matrix3 &matrix);

/// The matrix as list and xinput write it: "0.5 0 0 0 1 0 0 0 1", at most six decimals, no trailing zeros.
QString matrixText(const Matrix3 &matrix);

/// How the device's axes lie on the part of the desktop it covers, as the signed permutation that takes the
/// device's (u, v) to the part's own (s, t), both 0..1:
///
///   Normal   (s, t) = (u, v)          RotatedRight (s, t) = (1 - v, u)    the device's top along the right edge
///   Inverted (s, t) = (1 - u, 1 - v)  RotatedLeft  (s, t) = (v, 1 - u)    the device's top along the left edge
///
/// and each of these after a left-right mirror of the device (u becomes 1 - u first).
struct Orientation {
    enum class Turn { Normal, RotatedRight, Inverted, RotatedLeft };
    Turn turn = Turn::Normal;
    bool mirrored = false;

    bool operator==(const Orientation &other) const { return turn == other.turn && mirrored == other.mirrored; }
    bool isNormal() const { return turn == Turn::Normal && !mirrored; }
};

/// "rotated 90° clockwise", "upside down", "mirrored and rotated 90° anticlockwise"; empty for Normal.
QString orientationText(Orientation orientation);

/// The part of the desktop that @p matrix spreads the device over.
struct CoveredRegion {
    QRect region;  ///< desktop pixels, rounded to whole pixels
    Orientation orientation;
};

/// The region @p matrix maps the device's whole range onto, on a desktop of @p desktop pixels (X's root window).
/// @return nullopt for a matrix no screen layout gives: a perspective part (bottom row other than 0 0 1), axes not
///         along the desktop's, an empty region, or an empty desktop.
std::optional<CoveredRegion> coveredRegion(const Matrix3 &matrix, QSize desktop);

/// The matrix that spreads the device over @p region of a desktop of @p desktop pixels, turned as @p orientation
/// says; the inverse of coveredRegion. @p region and @p desktop must not be empty.
Matrix3 matrixCovering(const QRect &region, QSize desktop, Orientation orientation = {});

/// One screen of the desktop: the name its output carries ("HDMI-1", "\\.\DISPLAY2") and its rectangle in desktop
/// pixels.
struct DesktopScreen {
    QString name;
    QRect geometry;
};

/// Where a device's touches go, in words a user can check against the screens.
struct TouchMapping {
    enum class Kind {
        Unknown,       ///< the desktop does not say, or it chooses by itself
        Screen,        ///< exactly one screen
        WholeDesktop,  ///< all screens together, when there are several
        Elsewhere,     ///< a part of the desktop that is no screen
    };
    Kind kind = Kind::Unknown;
    QString screen;           ///< Screen: the screen's name
    int screenCount = 0;      ///< WholeDesktop: the number of screens
    QRect region;             ///< Elsewhere (and Screen, WholeDesktop when known): desktop pixels
    Orientation orientation;  ///< how the device's axes lie there
    QString how;              ///< Unknown: what the desktop does instead ("GNOME chooses the output itself")
};

/// Names @p region among @p screens on a desktop of @p desktop pixels: a screen whose rectangle it matches within a
/// pixel on every edge; with several screens, the rectangle around them all is the whole desktop; anything else is
/// Elsewhere.
TouchMapping nameRegion(const CoveredRegion &covered, const QVector<DesktopScreen> &screens, QSize desktop);

/// True when output names @p a and @p b are the same connector under the names different desktops give it: the
/// kernel and wlroots call HDMI type A connectors "HDMI-A-1" where Xorg's modesetting driver and GNOME say "HDMI-1".
bool sameOutput(const QString &a, const QString &b);

}  // namespace platform
