#pragma once

#include <QSize>
#include <QString>
#include <QStringList>
#include <QVector>

#include <cstdint>
#include <optional>

#include "platform/touch_mapping.h"

// The desktop's view of a touch frame: the input devices the operating system made of it, where the desktop puts
// their touches and whether it corrects them on top of the frame's own calibration. One implementation per
// operating system: desktop_input_linux.cpp (udev, X11, GNOME, sway, Plasma), desktop_input_win.cpp (the Tablet PC
// settings in the registry).

namespace platform {

/// The USB ids of a frame, as its HID enumeration gives them.
struct FrameIds {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};

/// One input device made of the frame, as one part of the system sees it.
struct DesktopDevice {
    QString system;        ///< who told: "udev", "X11", "GNOME", "sway", "Plasma" or "Windows"
    QString name;          ///< the device as that part names it: "/dev/input/event5 \"…\"", "device 12 \"…\""
    QStringList facts;     ///< what was read, for people: "Coordinate Transformation Matrix 1 0 0 0 1 0 0 0 1"
    bool decides = false;  ///< this part places the touches in the running session
    TouchMapping mapping;  ///< where it puts them; Unknown when it does not say
    QString correction;    ///< its own correction on top of the frame's, in words; empty when there is none
    QString identifier;    ///< the name the system's own commands take for it: sway's identifier; else empty
};

/// The running session, as far as it decides where touches go.
enum class Session { None, X11, GnomeWayland, Sway, PlasmaWayland, OtherWayland, Windows };

struct DesktopView {
    Session session = Session::None;
    QString sessionText;             ///< "X11 (DISPLAY=:0)", "GNOME on Wayland", "no graphical session"
    QSize desktop;                   ///< the whole desktop in pixels, when the session says (X11, sway, Windows)
    QVector<DesktopScreen> screens;  ///< the session's screens in its own order, when it says
    QVector<DesktopDevice> devices;
    QStringList unreadable;  ///< what could not be read, and why ("X11: no input device shows the ids …")
};

/// Reads the desktop's view of the frame with @p frame's ids.
/// Linux: the event nodes of input devices with these USB ids in sysfs and their udev properties
/// (ID_INPUT_TOUCHSCREEN, ID_INPUT_MOUSE, LIBINPUT_CALIBRATION_MATRIX, from the uevent file and the udev database);
/// in an X11 session the XInput devices whose "Device Product ID" holds the ids, with their "Coordinate
/// Transformation Matrix" against the RandR monitors and their "libinput Calibration Matrix"; in a GNOME session the
/// per-device GSettings key org.gnome.desktop.peripherals.touchscreen output (through gsettings); in a sway session
/// the inputs (swaymsg -t get_inputs, their calibration_matrix), the outputs and the map_to_output lines of the
/// loaded configuration (swaymsg -t get_config); in a Plasma session the [Libinput][vendor][product][name] groups
/// of $XDG_CONFIG_HOME/kcminputrc (OutputName, CalibrationMatrix).
/// Windows: the digitizer-to-display mapping under HKLM\SOFTWARE\Microsoft\Wisp\Pen\Digimon and Windows' own
/// calibration data under HKLM\SYSTEM\CurrentControlSet\Control\TabletPC\LinearityData, for values that name the
/// frame's VID_xxxx&PID_xxxx.
/// @param inputDeviceName  when not empty, the X11 devices of that exact name are taken as the frame's instead of
///                         those with its ids (a frame whose ids the X server does not show)
/// Nothing is guessed: what cannot be read goes to DesktopView::unreadable with the reason.
DesktopView readDesktopView(const FrameIds &frame, const QString &inputDeviceName = {});

/// The X11 properties the session changes.
enum class MatrixProperty { CoordinateTransformation, LibinputCalibration };

/// One property change asked of the X server, and what it holds afterwards.
struct MatrixChange {
    QString device;  ///< "device 12 \"…\""
    Matrix3 requested{};
    bool alreadySet = false;      ///< it held the matrix already: nothing was asked
    std::optional<Matrix3> held;  ///< the property read back after the change; nullopt when it could not be read
    QString error;                ///< the X server's error for the request; empty when there was none

    /// True when the device holds the requested matrix now.
    bool taken() const;
};

/// What setSessionMatrix did.
struct SessionChanges {
    enum class Outcome {
        Asked,       ///< every device of the frame that has the property was asked (or held it already)
        NotX11,      ///< the session is not X11's: nothing can be changed for it from here
        NoServer,    ///< the X server cannot be reached
        NoDevice,    ///< the X server shows no device of the frame
        NoProperty,  ///< the frame's devices have no such property (another driver)
    };
    Outcome outcome = Outcome::Asked;
    QVector<MatrixChange> changes;
    QString why;  ///< for every outcome but Asked, in words
};

/// Sets @p property of each of the frame's X11 input devices (found as readDesktopView finds them) that has it to
/// @p matrix, for this session only, and reads each back. Devices that hold it already are left alone.
SessionChanges setSessionMatrix(const FrameIds &frame, const QString &inputDeviceName, MatrixProperty property,
                                const Matrix3 &matrix);

/// Where a lasting correction of the system's own can come from, as "file:line: text" or a registry value: Linux,
/// the lines of udev rules and hwdb files that set LIBINPUT_CALIBRATION_MATRIX and of xorg.conf files that set a
/// "CalibrationMatrix"; Windows, the calibration data values of the frame. Read only.
QStringList lastingCorrectionSources(const FrameIds &frame);

/// The identity GNOME keeps for the monitor on output @p outputName: its vendor (the three-letter PNP id), product
/// and serial, read from the EDID in /sys/class/drm the way GNOME reads them. nullopt when no connector of that name
/// has an EDID (and always on Windows).
std::optional<QStringList> monitorIdentity(const QString &outputName);

/// The places a frame's touches go and the corrections on top of its own, as the deciding part of @p view says.
struct DesktopJudgement {
    QVector<TouchMapping> mappings;  ///< distinct, from the devices that decide; empty when none does
    QStringList corrections;         ///< "udev: /dev/input/event5 … LIBINPUT_CALIBRATION_MATRIX=…", one per device
};

/// Pure: what @p view means for a calibration.
DesktopJudgement judgeDesktop(const DesktopView &view);

}  // namespace platform
