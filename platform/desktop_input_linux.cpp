#include "platform/desktop_input.h"

#include <QDir>
#include <QFile>
#include <QMap>

#include "platform/desktop_input_linux.h"

// Linux: which session runs, the frame's event nodes in sysfs and udev, and the files a lasting correction comes
// from. X11 is in desktop_input_x11.cpp, GNOME, sway and Plasma in desktop_input_wayland.cpp.

namespace platform {
namespace {

using desktop_linux::readUdevDevices;

struct RunningSession {
    Session session = Session::None;
    QString text;
    bool gnome = false;
    bool plasma = false;
    bool sway = false;
};

RunningSession runningSession() {
    RunningSession running;
    const QString desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    for (const QString &desktop : desktops.split(u':', Qt::SkipEmptyParts)) {
        running.gnome = running.gnome || desktop.compare(QLatin1String("GNOME"), Qt::CaseInsensitive) == 0;
        running.plasma = running.plasma || desktop.compare(QLatin1String("KDE"), Qt::CaseInsensitive) == 0;
    }
    running.sway = !qEnvironmentVariableIsEmpty("SWAYSOCK");
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
                         qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
    if (wayland && running.sway) {
        running.session = Session::Sway;
        running.text = QStringLiteral("sway (Wayland)");
    } else if (wayland && running.gnome) {
        running.session = Session::GnomeWayland;
        running.text = QStringLiteral("GNOME on Wayland");
    } else if (wayland && running.plasma) {
        running.session = Session::PlasmaWayland;
        running.text = QStringLiteral("Plasma on Wayland");
    } else if (wayland) {
        running.session = Session::OtherWayland;
        running.text = QStringLiteral("Wayland (XDG_CURRENT_DESKTOP=%1)").arg(desktops);
    } else if (!qEnvironmentVariableIsEmpty("DISPLAY")) {
        running.session = Session::X11;
        running.text = QStringLiteral("X11 (DISPLAY=%1)").arg(qEnvironmentVariable("DISPLAY"));
    } else {
        running.text = QStringLiteral("no graphical session");
    }
    return running;
}

QString idsText(const FrameIds &frame) {
    return QStringLiteral("%1:%2")
        .arg(frame.vendorId, 4, 16, QLatin1Char('0'))
        .arg(frame.productId, 4, 16, QLatin1Char('0'))
        .toUpper();
}

// A sysfs attribute or a small text file; empty when it cannot be read.
QString smallText(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.read(65536)).trimmed();
}

std::optional<std::uint16_t> idNumber(const QString &path) {
    bool ok = false;
    const uint value = smallText(path).toUInt(&ok, 16);
    if (!ok || value > 0xFFFF)
        return std::nullopt;
    return std::uint16_t(value);
}

// "KEY=VALUE" lines; with a prefix ("E:" in the udev database), only the lines that carry it.
void addKeyValues(QMap<QString, QString> &into, const QByteArray &text, const QByteArray &prefix = {}) {
    for (const QByteArray &line : text.split('\n')) {
        if (!line.startsWith(prefix))
            continue;
        const QByteArray pair = line.mid(prefix.size());
        const qsizetype equals = pair.indexOf('=');
        if (equals > 0)
            into.insert(QString::fromUtf8(pair.left(equals)), QString::fromUtf8(pair.mid(equals + 1)));
    }
}

// The six numbers libinput takes from LIBINPUT_CALIBRATION_MATRIX, as the top two rows of a 3 x 3 matrix.
std::optional<Matrix3> libinputMatrix(const QString &text) {
    const QStringList parts = text.simplified().split(u' ');
    if (parts.size() != 6)
        return std::nullopt;
    Matrix3 matrix = identityMatrix;
    for (int i = 0; i < 6; ++i) {
        bool ok = false;
        matrix[std::size_t(i)] = parts[i].toDouble(&ok);
        if (!ok)
            return std::nullopt;
    }
    return matrix;
}

DesktopDevice udevDevice(const QString &base, QStringList &unreadable) {
    QMap<QString, QString> properties;
    QFile uevent(base + QStringLiteral("/uevent"));
    if (uevent.open(QIODevice::ReadOnly))
        addKeyValues(properties, uevent.readAll());
    // Rules add their properties (ID_INPUT_*, LIBINPUT_*) to the database, not to the kernel's uevent.
    const QString number = smallText(base + QStringLiteral("/dev"));
    QFile database(QStringLiteral("/run/udev/data/c") + number);
    if (!number.isEmpty() && database.exists()) {
        if (database.open(QIODevice::ReadOnly))
            addKeyValues(properties, database.readAll(), "E:");
        else
            unreadable << QStringLiteral("udev: %1: %2").arg(database.fileName(), database.errorString());
    }
    QString node = properties.value(QStringLiteral("DEVNAME"), base.section(u'/', -1));
    if (!node.startsWith(u'/'))
        node.prepend(QStringLiteral("/dev/"));

    DesktopDevice device;
    device.system = QStringLiteral("udev");
    device.name = QStringLiteral("%1 \"%2\"").arg(node, smallText(base + QStringLiteral("/device/name")));
    for (const char *key :
         {"ID_INPUT_TOUCHSCREEN", "ID_INPUT_MOUSE", "ID_INPUT_TABLET", "WL_OUTPUT", "LIBINPUT_CALIBRATION_MATRIX"}) {
        const QString name = QString::fromLatin1(key);
        if (properties.contains(name))
            device.facts << name + u'=' + properties.value(name);
    }
    const QString calibration = properties.value(QStringLiteral("LIBINPUT_CALIBRATION_MATRIX"));
    if (const auto matrix = libinputMatrix(calibration); matrix && !isIdentity(*matrix))
        device.correction = QStringLiteral("LIBINPUT_CALIBRATION_MATRIX=") + calibration.simplified();
    return device;
}

QString connectorName(const QString &drmEntry) {
    return drmEntry.section(u'-', 1);  // "card0-HDMI-A-1" -> "HDMI-A-1"
}

QByteArray edidOf(const QString &drmEntry) {
    QFile file(QStringLiteral("/sys/class/drm/") + drmEntry + QStringLiteral("/edid"));
    return file.open(QIODevice::ReadOnly) ? file.read(32768) : QByteArray();
}

QStringList connectorEntries() {
    return QDir(QStringLiteral("/sys/class/drm"))
        .entryList({QStringLiteral("card*-*")}, QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// The text of an EDID display descriptor (13 bytes, ended by a line feed, padded with spaces).
QString descriptorText(const QByteArray &bytes) {
    QByteArray text = bytes;
    const qsizetype end = text.indexOf('\n');
    if (end >= 0)
        text.truncate(end);
    return QString::fromLatin1(text).trimmed();
}

}  // namespace

namespace desktop_linux {

QVector<DesktopDevice> readUdevDevices(const FrameIds &frame, QStringList &unreadable) {
    const QDir input(QStringLiteral("/sys/class/input"));
    if (!input.exists()) {
        unreadable << QStringLiteral("udev: /sys/class/input is not there");
        return {};
    }
    QVector<DesktopDevice> devices;
    const QStringList nodes =
        input.entryList({QStringLiteral("event*")}, QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &node : nodes) {
        const QString base = input.filePath(node);
        if (idNumber(base + QStringLiteral("/device/id/vendor")) == frame.vendorId &&
            idNumber(base + QStringLiteral("/device/id/product")) == frame.productId)
            devices << udevDevice(base, unreadable);
    }
    if (devices.isEmpty())
        unreadable << QStringLiteral("udev: no input device in /sys/class/input has the ids %1").arg(idsText(frame));
    return devices;
}

std::optional<QStringList> edidIdentity(const QByteArray &edid) {
    static const QByteArray header = QByteArray::fromHex("00FFFFFFFFFFFF00");
    if (edid.size() < 128 || !edid.startsWith(header))
        return std::nullopt;
    const auto byte = [&](int index) { return unsigned(std::uint8_t(edid[index])); };
    const unsigned packed = byte(8) << 8 | byte(9);
    QString vendor;
    for (const int shift : {10, 5, 0})
        vendor += QChar(char('A' - 1 + ((packed >> shift) & 0x1F)));
    QString product = QStringLiteral("0x%1").arg(byte(10) | byte(11) << 8, 4, 16, QLatin1Char('0'));
    QString serial =
        QStringLiteral("0x%1").arg(byte(12) | byte(13) << 8 | byte(14) << 16 | byte(15) << 24, 8, 16, QLatin1Char('0'));
    // Four 18-byte descriptors; a display descriptor starts with three zero bytes, its tag in the fourth.
    for (int offset = 54; offset < 126; offset += 18) {
        if (byte(offset) != 0 || byte(offset + 1) != 0 || byte(offset + 2) != 0)
            continue;
        const QString text = descriptorText(edid.mid(offset + 5, 13));
        if (byte(offset + 3) == 0xFC && !text.isEmpty())
            product = text;
        else if (byte(offset + 3) == 0xFF && !text.isEmpty())
            serial = text;
    }
    return QStringList{vendor, product, serial};
}

QString connectorWithIdentity(const QStringList &identity) {
    for (const QString &entry : connectorEntries())
        if (edidIdentity(edidOf(entry)) == identity.mid(0, 3))
            return connectorName(entry);
    return {};
}

QStringList linesMentioning(const QStringList &folders, const QString &keyword) {
    QStringList found;
    for (const QString &place : folders) {
        const QFileInfo info(place);
        QStringList files;
        if (info.isDir())
            for (const QString &name : QDir(place).entryList(QDir::Files, QDir::Name))
                files << QDir(place).filePath(name);
        else if (info.isFile())
            files << place;
        for (const QString &path : files) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QList<QByteArray> lines = file.read(1 << 20).split('\n');
            for (qsizetype i = 0; i < lines.size(); ++i) {
                const QString line = QString::fromUtf8(lines[i]).trimmed();
                if (!line.startsWith(u'#') && line.contains(keyword))
                    found << QStringLiteral("%1:%2: %3").arg(path).arg(i + 1).arg(line);
            }
        }
    }
    return found;
}

}  // namespace desktop_linux

DesktopView readDesktopView(const FrameIds &frame, const QString &inputDeviceName) {
    const RunningSession running = runningSession();
    DesktopView view;
    view.session = running.session;
    view.sessionText = running.text;
    // Without ids (an X device named by the user, no frame attached) only X11 can be asked, by that name.
    const bool ids = frame.vendorId != 0 || frame.productId != 0;
    if (ids)
        view.devices = readUdevDevices(frame, view.unreadable);
    if (running.session == Session::X11)
        desktop_linux::readX11(frame, inputDeviceName, true, view);
    if (ids && running.gnome)
        desktop_linux::readGnome(frame, running.session == Session::GnomeWayland, view);
    if (ids && running.sway)
        desktop_linux::readSway(frame, running.session == Session::Sway, view);
    if (ids && running.plasma)
        desktop_linux::readPlasma(frame, running.session == Session::PlasmaWayland, view);
    if (running.session == Session::OtherWayland)
        view.unreadable
            << QStringLiteral("Wayland: %1 keeps its touch settings where Orvessa does not look").arg(running.text);
    if (running.session == Session::None)
        view.unreadable << QStringLiteral("no graphical session: neither DISPLAY nor WAYLAND_DISPLAY is set");
    return view;
}

SessionChanges setSessionMatrix(const FrameIds &frame, const QString &inputDeviceName, MatrixProperty property,
                                const Matrix3 &matrix) {
    const RunningSession running = runningSession();
    if (running.session != Session::X11)
        return {SessionChanges::Outcome::NotX11,
                {},
                QStringLiteral("the session is %1, not X11: nothing is changed").arg(running.text)};
    const char *name = property == MatrixProperty::CoordinateTransformation ? "Coordinate Transformation Matrix"
                                                                            : "libinput Calibration Matrix";
    return desktop_linux::setX11Matrix(frame, inputDeviceName, name, matrix);
}

QStringList lastingCorrectionSources(const FrameIds & /*frame: every rule is listed, udev decides which apply*/) {
    const QStringList udev{QStringLiteral("/etc/udev/rules.d"),     QStringLiteral("/run/udev/rules.d"),
                           QStringLiteral("/usr/lib/udev/rules.d"), QStringLiteral("/lib/udev/rules.d"),
                           QStringLiteral("/etc/udev/hwdb.d"),      QStringLiteral("/usr/lib/udev/hwdb.d")};
    const QStringList xorg{QStringLiteral("/etc/X11/xorg.conf"), QStringLiteral("/etc/X11/xorg.conf.d"),
                           QStringLiteral("/usr/share/X11/xorg.conf.d")};
    return desktop_linux::linesMentioning(udev, QStringLiteral("LIBINPUT_CALIBRATION_MATRIX")) +
           desktop_linux::linesMentioning(xorg, QStringLiteral("CalibrationMatrix"));
}

std::optional<QStringList> monitorIdentity(const QString &outputName) {
    for (const QString &entry : connectorEntries())
        if (sameOutput(connectorName(entry), outputName))
            return desktop_linux::edidIdentity(edidOf(entry));
    return std::nullopt;
}

}  // namespace platform
