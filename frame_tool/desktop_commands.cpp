#include "frame_tool/desktop_commands.h"

#include <algorithm>

#include "frame_tool/desktop_view.h"
#include "frame_tool/printable.h"
#include "frame_tool/settings_report.h"

namespace frame_tool {
namespace {

using platform::DesktopView;
using platform::Session;

// The one frame a desktop command is for. With --input-device and no frame attached, the ids stay zero: the device's
// name is then all there is to go by.
std::optional<platform::FrameIds> chooseFrame(const ToolCommand &command, const QVector<int> &vendorIds,
                                              QTextStream &err, ExitStatus &status) {
    const QVector<FrameDesktop> frames = framesAmong(device::enumerateInterfaces(), vendorIds, command.devicePath);
    if (frames.size() == 1)
        return frames.first().ids;
    if (frames.isEmpty() && !command.inputDevice.isEmpty())
        return platform::FrameIds{};
    if (frames.isEmpty()) {
        err << "no touch frame found; orvessa-frame list shows what is attached\n";
        status = ExitStatus::NoFrame;
        return std::nullopt;
    }
    QStringList found;
    for (const FrameDesktop &frame : frames)
        found << idsText(frame.ids) + QStringLiteral(" at ") + printable(frame.paths.join(QStringLiteral(", ")));
    err << QStringLiteral("several touch frames are attached (%1): choose one with --device PATH\n")
               .arg(found.join(QStringLiteral("; ")));
    status = ExitStatus::UsageError;
    return std::nullopt;
}

bool hasDeviceOf(const DesktopView &view, const QString &system) {
    return std::any_of(view.devices.cbegin(), view.devices.cend(),
                       [&](const platform::DesktopDevice &device) { return device.system == system; });
}

// Every number goes in with the names in one arg() call, so that a "%1" in a name stays as it is.
QString targetText(const MapTarget &target, const QRect &region) {
    return QStringLiteral("screen %1 \"%2\" %3x%4+%5+%6")
        .arg(QString::number(target.index), printable(target.name), QString::number(region.width()),
             QString::number(region.height()), QString::number(region.x()), QString::number(region.y()));
}

// GVariant's quoting of one string: single quotes, with backslashes and single quotes escaped.
QString gvariantString(QString text) {
    return u'\'' + text.replace(u'\\', QStringLiteral("\\\\")).replace(u'\'', QStringLiteral("\\'")) + u'\'';
}

QString swaySteps(const DesktopView &view, const MapTarget &target) {
    QStringList identifiers;
    for (const platform::DesktopDevice &device : view.devices)
        if (device.system == QLatin1String("sway") && !identifiers.contains(printable(device.identifier)))
            identifiers << printable(device.identifier);
    if (identifiers.isEmpty())
        identifiers << QStringLiteral("type:touch");  // every touch device, when sway did not name the frame's
    QStringList now;
    QStringList lasting;
    for (const QString &identifier : identifiers) {
        const QString line = QStringLiteral("input \"%1\" map_to_output %2").arg(identifier, printable(target.name));
        now << QStringLiteral("swaymsg ") + line;
        lasting << line;
    }
    return QStringLiteral(
               "sway places the touches itself: nothing is changed here. For this session:\n%1\n"
               "and to make it last, in ~/.config/sway/config:\n%2\n")
        .arg(now.join(u'\n'), lasting.join(u'\n'));
}

QString plasmaSteps(const platform::FrameIds &ids, const DesktopView &view, const MapTarget &target) {
    QString name = QStringLiteral("<the frame's name as libinput gives it>");
    for (const platform::DesktopDevice &device : view.devices)
        if (device.system == QLatin1String("Plasma") && device.name.startsWith(u'"') && device.name.endsWith(u'"'))
            name = printable(device.name.mid(1, device.name.size() - 2));
    return QStringLiteral(
               "Plasma places the touches itself: nothing is changed here. In System Settings > "
               "Touchscreen choose %1 as the frame's display, or set in ~/.config/kcminputrc:\n"
               "[Libinput][%2][%3][%4]\nOutputName=%1\n")
        .arg(printable(target.name), QString::number(ids.vendorId), QString::number(ids.productId), name);
}

QString windowsSteps(const MapTarget &target) {
    return QStringLiteral(
               "Windows places the touches by its Tablet PC settings: nothing is changed here. Open "
               "Control Panel > Tablet PC Settings > Setup... (or run MultiDigiMon.exe -touch), choose "
               "touch input and touch screen %1 (%2) when the prompt is on it.\n")
        .arg(QString::number(target.index), printable(target.name));
}

QString gnomeSteps(const platform::FrameIds &ids, const MapTarget &target) {
    const std::optional<QStringList> identity = platform::monitorIdentity(target.name);
    const QString name = printable(target.name);
    QString text = QStringLiteral("GNOME places the touches itself: nothing is changed here. To put them on %1, run:\n")
                       .arg(name) +
                   printable(gnomeCommand(ids, identity)) + u'\n';
    if (!identity)
        text += QStringLiteral(
                    "(with the monitor's vendor, product and serial from its EDID: /sys/class/drm has "
                    "none for %1)\n")
                    .arg(name);
    return text;
}

// Carries the matrix out on X11 and prints what each device holds now.
ExitStatus mapOnX11(const platform::FrameIds &ids, const ToolCommand &command, const DesktopView &view,
                    const MapTarget &target, QTextStream &out, QTextStream &err) {
    // The RandR monitor of the same name gives the screen in the X server's own pixels.
    QRect region = target.geometry;
    for (const platform::DesktopScreen &screen : view.screens)
        if (platform::sameOutput(screen.name, target.name))
            region = screen.geometry;
    const platform::Matrix3 matrix = platform::matrixCovering(region, view.desktop);
    const platform::SessionChanges session = platform::setSessionMatrix(
        ids, command.inputDevice, platform::MatrixProperty::CoordinateTransformation, matrix);
    if (session.outcome != platform::SessionChanges::Outcome::Asked) {
        err << printable(session.why) << '\n';
        return ExitStatus::FrameNotUsable;
    }
    bool allTaken = true;
    const QString where = targetText(target, region);
    for (const platform::MatrixChange &change : session.changes) {
        if (change.alreadySet) {
            out << QStringLiteral("X11 %1 covers %2 already\n").arg(printable(change.device), where);
        } else if (change.taken()) {
            out << QStringLiteral("X11 %1: Coordinate Transformation Matrix %2, covering %3, for this session\n")
                       .arg(printable(change.device), platform::matrixText(matrix), where);
        } else {
            allTaken = false;
            const QString answer = !change.error.isEmpty() ? QStringLiteral("refused it (%1)").arg(change.error)
                                   : change.held ? QStringLiteral("kept %1").arg(platform::matrixText(*change.held))
                                                 : QStringLiteral("gave no matrix back");
            err << QStringLiteral("X11 %1: asked for %2, covering %3; the X server %4\n")
                       .arg(printable(change.device), platform::matrixText(matrix), where, answer);
        }
    }
    out << QStringLiteral(
               "to make it last, save as root as /etc/X11/xorg.conf.d/99-orvessa-touch-frame.conf (read "
               "when X starts):\n") +
               xorgSnippet(ids, printable(command.inputDevice), printable(target.name), matrix);
    if (hasDeviceOf(view, QStringLiteral("GNOME")))
        out << "GNOME's settings daemon maps the frame itself when it comes in: make it last there with\n"
            << printable(gnomeCommand(ids, platform::monitorIdentity(target.name))) << '\n';
    return allTaken ? ExitStatus::Done : ExitStatus::WriteFailed;
}

QString sessionOnly(const DesktopView &view) {
    return QStringLiteral("the session is %1, whose correction is not changed from here; ")
        .arg(printable(view.sessionText));
}

// Resets the libinput matrix of the frame's X devices; what each holds afterwards goes to out or err.
ExitStatus resetOnX11(const platform::FrameIds &ids, const ToolCommand &command, QTextStream &out, QTextStream &err) {
    const platform::SessionChanges session = platform::setSessionMatrix(
        ids, command.inputDevice, platform::MatrixProperty::LibinputCalibration, platform::identityMatrix);
    // Devices of another driver have no libinput matrix, so nothing to reset; no device at all is a failure.
    if (session.outcome == platform::SessionChanges::Outcome::NoProperty) {
        out << printable(session.why) << ": nothing to reset for this session\n";
        return ExitStatus::Done;
    }
    if (session.outcome != platform::SessionChanges::Outcome::Asked) {
        err << printable(session.why) << '\n';
        return ExitStatus::FrameNotUsable;
    }
    bool allTaken = true;
    for (const platform::MatrixChange &change : session.changes) {
        if (change.alreadySet) {
            out << QStringLiteral("X11 %1: libinput Calibration Matrix is the identity already\n")
                       .arg(printable(change.device));
        } else if (change.taken()) {
            out << QStringLiteral("X11 %1: libinput Calibration Matrix reset to the identity for this session\n")
                       .arg(printable(change.device));
        } else {
            allTaken = false;
            const QString held = change.held ? platform::matrixText(*change.held) : change.error;
            err << QStringLiteral("X11 %1: the X server kept %2\n").arg(printable(change.device), printable(held));
        }
    }
    return allTaken ? ExitStatus::Done : ExitStatus::WriteFailed;
}

// Where a correction that comes back comes from: the devices' own settings and the files that set one. X11's matrix
// lasts for the session only; Windows' data is named by lastingCorrectionSources with its key.
QString lastingSources(const platform::FrameIds &ids, const DesktopView &view) {
    QStringList sources;
    for (const platform::DesktopDevice &device : view.devices)
        if (!device.correction.isEmpty() && device.system != QLatin1String("X11") &&
            device.system != QLatin1String("Windows"))
            sources << printable(QStringLiteral("%1 %2: %3").arg(device.system, device.name, device.correction));
    for (const QString &source : platform::lastingCorrectionSources(ids))
        sources << printable(source);
    if (sources.isEmpty())
        return QStringLiteral(
            "no lasting correction found (udev properties, udev rules and hwdb, xorg.conf, the "
            "desktop's settings, Windows' calibration data)\n");
    const bool udev = std::any_of(sources.cbegin(), sources.cend(), [](const QString &source) {
        return source.startsWith(QLatin1String("udev")) || source.contains(QLatin1String("/udev/"));
    });
    return QStringLiteral("a lasting correction comes from here; remove it there%1:\n  ")
               .arg(udev ? QStringLiteral(" (udev: then udevadm trigger, or plug the frame in again)") : QString()) +
           sources.join(QStringLiteral("\n  ")) + u'\n';
}

}  // namespace

QString xorgSnippet(const platform::FrameIds &ids, const QString &productName, const QString &screen,
                    const platform::Matrix3 &matrix) {
    const QString match = ids.vendorId || ids.productId
                              ? QStringLiteral("MatchUSBID \"%1\"").arg(idsText(ids).toLower())
                              : QStringLiteral("MatchProduct \"%1\"").arg(productName);
    return QStringLiteral(
               "Section \"InputClass\"\n"
               "    Identifier \"Orvessa touch frame on %1\"\n"
               "    %2\n"
               "    Option \"TransformationMatrix\" \"%3\"\n"
               "EndSection\n")
        .arg(screen, match, platform::matrixText(matrix));
}

QString gnomeCommand(const platform::FrameIds &ids, const std::optional<QStringList> &identity) {
    QStringList strings;
    for (const QString &part :
         identity.value_or(QStringList{QStringLiteral("VENDOR"), QStringLiteral("PRODUCT"), QStringLiteral("SERIAL")}))
        strings << gvariantString(part);
    return QStringLiteral(
               "gsettings set org.gnome.desktop.peripherals.touchscreen:/org/gnome/desktop/peripherals/"
               "touchscreens/%1/ output \"[%2]\"")
        .arg(idsText(ids).toLower(), strings.join(QStringLiteral(", ")));
}

ExitStatus mapFrame(const ToolCommand &command, const QVector<int> &vendorIds, const MapTarget &target,
                    QTextStream &out, QTextStream &err) {
    ExitStatus status = ExitStatus::Done;
    const std::optional<platform::FrameIds> ids = chooseFrame(command, vendorIds, err, status);
    if (!ids)
        return status;
    const DesktopView view = platform::readDesktopView(*ids, command.inputDevice);
    switch (view.session) {
        case Session::X11:
            return mapOnX11(*ids, command, view, target, out, err);
        case Session::GnomeWayland:
            out << gnomeSteps(*ids, target);
            return ExitStatus::Done;
        case Session::Sway:
            out << swaySteps(view, target);
            return ExitStatus::Done;
        case Session::PlasmaWayland:
            out << plasmaSteps(*ids, view, target);
            return ExitStatus::Done;
        case Session::Windows:
            out << windowsSteps(target);
            return ExitStatus::Done;
        case Session::OtherWayland:
        case Session::None:
            break;
    }
    err << QStringLiteral("the session is %1: Orvessa does not know where it keeps its touch settings\n")
               .arg(printable(view.sessionText));
    return ExitStatus::FrameNotUsable;
}

ExitStatus resetOsCorrection(const ToolCommand &command, const QVector<int> &vendorIds, QTextStream &out,
                             QTextStream &err) {
    ExitStatus status = ExitStatus::Done;
    const std::optional<platform::FrameIds> ids = chooseFrame(command, vendorIds, err, status);
    if (!ids)
        return status;
    const DesktopView view = platform::readDesktopView(*ids, command.inputDevice);
    if (view.session == Session::X11)
        status = resetOnX11(*ids, command, out, err);
    else
        out << sessionOnly(view) + QStringLiteral("nothing is changed\n");
    out << lastingSources(*ids, view);
    return status;
}

}  // namespace frame_tool
