// X11 through xcb: the desktop's size and RandR monitors, the XInput devices of the frame and their matrices.
// The connection is the program's own (DISPLAY), opened for one reading or change and closed again.

#include <xcb/randr.h>
#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/desktop_input_linux.h"

namespace platform::desktop_linux {
namespace {

struct FreeReply {
    void operator()(void *reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

// A property's value as the server holds it: format 8, 16 or 32, the items as bytes.
struct PropertyValue {
    xcb_atom_t type = XCB_ATOM_NONE;
    int format = 0;
    std::uint32_t items = 0;
    QByteArray bytes;
};

// One input device as XInput lists it, with the properties the view needs.
struct XDevice {
    int id = 0;
    QString name;
    bool keyboard = false;
    std::optional<std::pair<std::uint32_t, std::uint32_t>> productId;  ///< "Device Product ID": vendor, product
    std::optional<Matrix3> transformation;
    std::optional<Matrix3> libinputCalibration;
    QString node;
};

class XConnection {
public:
    XConnection() : m_connection(xcb_connect(nullptr, &m_screenNumber)) {}
    XConnection(const XConnection &) = delete;
    XConnection &operator=(const XConnection &) = delete;
    ~XConnection() { xcb_disconnect(m_connection); }

    bool connected() const { return xcb_connection_has_error(m_connection) == 0; }
    xcb_connection_t *get() const { return m_connection; }

    const xcb_screen_t *screen() const {
        xcb_screen_iterator_t roots = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
        for (int i = 0; i < m_screenNumber && roots.rem > 0; ++i)
            xcb_screen_next(&roots);
        return roots.rem > 0 ? roots.data : nullptr;
    }

    /// XCB_ATOM_NONE when @p onlyIfExists and no client ever named it.
    xcb_atom_t atom(const char *name, bool onlyIfExists = true) const {
        const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, onlyIfExists, std::uint16_t(std::strlen(name)), name),
            nullptr));
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

    QString atomName(xcb_atom_t atom) const {
        const Reply<xcb_get_atom_name_reply_t> reply(
            xcb_get_atom_name_reply(m_connection, xcb_get_atom_name(m_connection, atom), nullptr));
        return reply
                   ? QString::fromUtf8(xcb_get_atom_name_name(reply.get()), xcb_get_atom_name_name_length(reply.get()))
                   : QString();
    }

    std::optional<PropertyValue> property(int device, xcb_atom_t property) const {
        if (property == XCB_ATOM_NONE)
            return std::nullopt;
        const Reply<xcb_input_xi_get_property_reply_t> reply(xcb_input_xi_get_property_reply(
            m_connection,
            xcb_input_xi_get_property(m_connection, xcb_input_device_id_t(device), 0, property, XCB_ATOM_ANY, 0, 64),
            nullptr));
        if (!reply || reply->type == XCB_ATOM_NONE || reply->format == 0)
            return std::nullopt;
        const auto length = int(reply->num_items * (reply->format / 8));
        return PropertyValue{
            reply->type, reply->format, reply->num_items,
            QByteArray(static_cast<const char *>(xcb_input_xi_get_property_items(reply.get())), length)};
    }

private:
    int m_screenNumber = 0;
    xcb_connection_t *m_connection;
};

std::optional<Matrix3> floatMatrix(const XConnection &x, const std::optional<PropertyValue> &value) {
    if (!value || value->format != 32 || value->items != 9 || value->type != x.atom("FLOAT"))
        return std::nullopt;
    Matrix3 matrix{};
    for (std::size_t i = 0; i < matrix.size(); ++i) {
        float item = 0;
        std::memcpy(&item, value->bytes.constData() + 4 * i, sizeof item);
        matrix[i] = item;
    }
    return matrix;
}

std::optional<std::pair<std::uint32_t, std::uint32_t>> integerPair(const std::optional<PropertyValue> &value) {
    if (!value || value->format != 32 || value->items != 2)
        return std::nullopt;
    std::uint32_t items[2] = {};
    std::memcpy(items, value->bytes.constData(), sizeof items);
    return std::make_pair(items[0], items[1]);
}

XDevice describe(const XConnection &x, const xcb_input_xi_device_info_t &info) {
    XDevice device;
    device.id = info.deviceid;
    device.name = QString::fromUtf8(xcb_input_xi_device_info_name(&info), xcb_input_xi_device_info_name_length(&info));
    device.keyboard =
        info.type == XCB_INPUT_DEVICE_TYPE_MASTER_KEYBOARD || info.type == XCB_INPUT_DEVICE_TYPE_SLAVE_KEYBOARD;
    device.productId = integerPair(x.property(device.id, x.atom("Device Product ID")));
    device.transformation = floatMatrix(x, x.property(device.id, x.atom("Coordinate Transformation Matrix")));
    device.libinputCalibration = floatMatrix(x, x.property(device.id, x.atom("libinput Calibration Matrix")));
    if (const auto node = x.property(device.id, x.atom("Device Node")); node && node->format == 8)
        device.node = QString::fromUtf8(node->bytes).section(QChar(0), 0, 0);
    return device;
}

// The frame's pointing devices: by name when one is given, else by the ids the driver publishes. Keyboards made of
// the same USB device carry the ids too, but no touch goes through them.
QVector<XDevice> frameDevices(const XConnection &x, const FrameIds &frame, const QString &inputDeviceName) {
    const Reply<xcb_input_xi_query_version_reply_t> version(
        xcb_input_xi_query_version_reply(x.get(), xcb_input_xi_query_version(x.get(), 2, 2), nullptr));
    if (!version)
        return {};
    const Reply<xcb_input_xi_query_device_reply_t> reply(
        xcb_input_xi_query_device_reply(x.get(), xcb_input_xi_query_device(x.get(), XCB_INPUT_DEVICE_ALL), nullptr));
    QVector<XDevice> devices;
    if (!reply)
        return devices;
    for (auto info = xcb_input_xi_query_device_infos_iterator(reply.get()); info.rem > 0;
         xcb_input_xi_device_info_next(&info)) {
        const XDevice device = describe(x, *info.data);
        const bool ours = inputDeviceName.isEmpty() ? device.productId == std::make_pair(std::uint32_t(frame.vendorId),
                                                                                         std::uint32_t(frame.productId))
                                                    : device.name == inputDeviceName;
        if (ours && !device.keyboard)
            devices << device;
    }
    return devices;
}

// The active RandR 1.5 monitors, named as xrandr --listmonitors names them; none from an older server.
QVector<DesktopScreen> monitors(const XConnection &x, const xcb_screen_t &root) {
    const Reply<xcb_randr_query_version_reply_t> version(
        xcb_randr_query_version_reply(x.get(), xcb_randr_query_version(x.get(), 1, 5), nullptr));
    if (!version || (version->major_version == 1 && version->minor_version < 5))
        return {};
    const Reply<xcb_randr_get_monitors_reply_t> reply(
        xcb_randr_get_monitors_reply(x.get(), xcb_randr_get_monitors(x.get(), root.root, 1), nullptr));
    if (!reply)
        return {};
    QVector<DesktopScreen> screens;
    for (auto monitor = xcb_randr_get_monitors_monitors_iterator(reply.get()); monitor.rem > 0;
         xcb_randr_monitor_info_next(&monitor)) {
        const xcb_randr_monitor_info_t &info = *monitor.data;
        screens << DesktopScreen{x.atomName(info.name), QRect(info.x, info.y, info.width, info.height)};
    }
    return screens;
}

QString deviceText(const XDevice &device) {
    return QStringLiteral("device %1 \"%2\"").arg(device.id).arg(device.name);
}

DesktopDevice desktopDevice(const XDevice &x, const DesktopView &view, bool decides) {
    DesktopDevice device;
    device.system = QStringLiteral("X11");
    device.name = deviceText(x);
    device.decides = decides;
    if (x.productId)
        device.facts << QStringLiteral("Device Product ID %1, %2").arg(x.productId->first).arg(x.productId->second);
    if (!x.node.isEmpty())
        device.facts << QStringLiteral("Device Node %1").arg(x.node);
    if (x.transformation) {
        device.facts << QStringLiteral("Coordinate Transformation Matrix ") + matrixText(*x.transformation);
        if (const auto covered = coveredRegion(*x.transformation, view.desktop)) {
            device.mapping = nameRegion(*covered, view.screens, view.desktop);
        } else {
            device.mapping.kind = TouchMapping::Kind::Elsewhere;
            device.mapping.how = QStringLiteral("its matrix bends the touches in a way no screen layout does");
        }
    }
    if (x.libinputCalibration) {
        device.facts << QStringLiteral("libinput Calibration Matrix ") + matrixText(*x.libinputCalibration);
        if (!isIdentity(*x.libinputCalibration))
            device.correction = QStringLiteral("libinput Calibration Matrix ") + matrixText(*x.libinputCalibration);
    }
    return device;
}

QString notFound(const FrameIds &frame, const QString &inputDeviceName) {
    if (!inputDeviceName.isEmpty())
        return QStringLiteral("X11: no pointing device is called \"%1\" (xinput list names them)").arg(inputDeviceName);
    const QString ids = QStringLiteral("%1:%2")
                            .arg(frame.vendorId, 4, 16, QLatin1Char('0'))
                            .arg(frame.productId, 4, 16, QLatin1Char('0'))
                            .toUpper();
    return QStringLiteral(
               "X11: no input device shows the ids %1 in its Device Product ID; --input-device NAME takes one by its "
               "name (xinput list names them)")
        .arg(ids);
}

QString noConnection() {
    return QStringLiteral("X11: cannot connect to the X server at DISPLAY=%1").arg(qEnvironmentVariable("DISPLAY"));
}

}  // namespace

void readX11(const FrameIds &frame, const QString &inputDeviceName, bool decides, DesktopView &view) {
    const XConnection x;
    const xcb_screen_t *root = x.connected() ? x.screen() : nullptr;
    if (!root) {
        view.unreadable << noConnection();
        return;
    }
    view.desktop = QSize(root->width_in_pixels, root->height_in_pixels);
    view.screens = monitors(x, *root);
    if (view.screens.isEmpty()) {
        // Without RandR 1.5 the root window is the one screen there is to name.
        view.unreadable << QStringLiteral("X11: the server names no RandR 1.5 monitors");
        view.screens << DesktopScreen{QStringLiteral("the X screen"), QRect(QPoint(0, 0), view.desktop)};
    }
    const QVector<XDevice> devices = frameDevices(x, frame, inputDeviceName);
    if (devices.isEmpty())
        view.unreadable << notFound(frame, inputDeviceName);
    for (const XDevice &device : devices)
        view.devices << desktopDevice(device, view, decides);
}

SessionChanges setX11Matrix(const FrameIds &frame, const QString &inputDeviceName, const char *propertyName,
                            const Matrix3 &matrix) {
    const XConnection x;
    if (!x.connected() || !x.screen())
        return {SessionChanges::Outcome::NoServer, {}, noConnection()};
    const QVector<XDevice> devices = frameDevices(x, frame, inputDeviceName);
    if (devices.isEmpty())
        return {SessionChanges::Outcome::NoDevice, {}, notFound(frame, inputDeviceName)};
    const xcb_atom_t property = x.atom(propertyName);
    const xcb_atom_t floatType = x.atom("FLOAT", false);
    std::array<float, 9> items{};
    for (std::size_t i = 0; i < items.size(); ++i)
        items[i] = float(matrix[i]);

    SessionChanges result;
    for (const XDevice &device : devices) {
        const std::optional<Matrix3> before = floatMatrix(x, x.property(device.id, property));
        if (!before)
            continue;  // a device of another driver: the property is not its to have
        MatrixChange change;
        change.device = deviceText(device);
        change.requested = matrix;
        change.held = before;
        change.alreadySet = change.taken();
        if (!change.alreadySet) {
            const Reply<xcb_generic_error_t> error(xcb_request_check(
                x.get(), xcb_input_xi_change_property_checked(x.get(), xcb_input_device_id_t(device.id),
                                                              XCB_PROP_MODE_REPLACE, 32, property, floatType,
                                                              std::uint32_t(items.size()), items.data())));
            if (error)
                change.error = QStringLiteral("X error %1").arg(error->error_code);
            change.held = floatMatrix(x, x.property(device.id, property));
        }
        result.changes << change;
    }
    if (result.changes.isEmpty()) {
        result.outcome = SessionChanges::Outcome::NoProperty;
        result.why = QStringLiteral("X11: no device of the frame has a \"%1\"").arg(QString::fromLatin1(propertyName));
    }
    return result;
}

}  // namespace platform::desktop_linux
