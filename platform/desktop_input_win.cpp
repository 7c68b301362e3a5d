// Windows: where the Tablet PC settings put the frame's touches and whether Windows keeps a calibration of its own
// for it. Both live under HKEY_LOCAL_MACHINE in values named after the digitizer's device path, which holds the
// frame's VID_xxxx&PID_xxxx. Read only: the settings are changed with Windows' own tools.

#include <windows.h>

#include <memory>
#include <vector>

#include "platform/desktop_input.h"

namespace platform {
namespace {

const wchar_t *const digimonKey = L"SOFTWARE\\Microsoft\\Wisp\\Pen\\Digimon";
const wchar_t *const linearityKey = L"SYSTEM\\CurrentControlSet\\Control\\TabletPC\\LinearityData";

QString keyText(const wchar_t *key) {
    return QStringLiteral("HKLM\\") + QString::fromWCharArray(key);
}

struct RegistryValue {
    QString name;
    QString text;    ///< REG_SZ data; empty for other types
    DWORD size = 0;  ///< bytes of data
};

// Every value of HKLM\@p key, in the 64-bit view; nullopt when the key cannot be opened (missing or refused).
std::optional<std::vector<RegistryValue>> registryValues(const wchar_t *key, LONG &status) {
    HKEY handle = nullptr;
    status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_READ | KEY_WOW64_64KEY, &handle);
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    DWORD count = 0, longestName = 0, longestData = 0;
    RegQueryInfoKeyW(handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName, &longestData,
                     nullptr, nullptr);
    std::vector<RegistryValue> values;
    std::vector<wchar_t> name(longestName + 1);
    std::vector<BYTE> data(longestData + sizeof(wchar_t));
    for (DWORD index = 0; index < count; ++index) {
        DWORD nameLength = DWORD(name.size()), dataSize = DWORD(data.size() - sizeof(wchar_t)), type = 0;
        if (RegEnumValueW(handle, index, name.data(), &nameLength, nullptr, &type, data.data(), &dataSize) !=
            ERROR_SUCCESS)
            continue;
        RegistryValue value{QString::fromWCharArray(name.data(), int(nameLength)), {}, dataSize};
        if (type == REG_SZ || type == REG_EXPAND_SZ)
            value.text =
                QString::fromWCharArray(reinterpret_cast<const wchar_t *>(data.data()), int(dataSize / sizeof(wchar_t)))
                    .section(QChar(0), 0, 0);
        values.push_back(value);
    }
    RegCloseKey(handle);
    return values;
}

QString frameNeedle(const FrameIds &frame) {
    return QStringLiteral("VID_%1&PID_%2")
        .arg(frame.vendorId, 4, 16, QLatin1Char('0'))
        .arg(frame.productId, 4, 16, QLatin1Char('0'))
        .toUpper();
}

bool namesFrame(const RegistryValue &value, const FrameIds &frame) {
    return value.name.toUpper().contains(frameNeedle(frame));
}

// A display of the desktop with the interface path of its monitor, which the Tablet PC settings store.
struct Display {
    DesktopScreen screen;
    QStringList monitorPaths;
};

std::vector<Display> displays() {
    std::vector<Display> found;
    DISPLAY_DEVICEW adapter{};
    adapter.cb = sizeof adapter;
    for (DWORD i = 0; EnumDisplayDevicesW(nullptr, i, &adapter, 0); ++i) {
        if (!(adapter.StateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP))
            continue;
        DEVMODEW mode{};
        mode.dmSize = sizeof mode;
        EnumDisplaySettingsExW(adapter.DeviceName, ENUM_CURRENT_SETTINGS, &mode, 0);
        Display display{{QString::fromWCharArray(adapter.DeviceName),
                         QRect(mode.dmPosition.x, mode.dmPosition.y, int(mode.dmPelsWidth), int(mode.dmPelsHeight))},
                        {}};
        DISPLAY_DEVICEW monitor{};
        monitor.cb = sizeof monitor;
        for (DWORD j = 0; EnumDisplayDevicesW(adapter.DeviceName, j, &monitor, EDD_GET_DEVICE_INTERFACE_NAME); ++j)
            display.monitorPaths << QString::fromWCharArray(monitor.DeviceID);
        found.push_back(display);
    }
    return found;
}

TouchMapping mappingTo(const QString &monitorPath, const std::vector<Display> &attached) {
    TouchMapping mapping;
    for (const Display &display : attached)
        for (const QString &path : display.monitorPaths)
            if (path.compare(monitorPath, Qt::CaseInsensitive) == 0) {
                mapping.kind = TouchMapping::Kind::Screen;
                mapping.screen = display.screen.name;
                return mapping;
            }
    mapping.how = QStringLiteral("set to a display that is not attached now (%1); Windows then chooses one itself")
                      .arg(monitorPath);
    return mapping;
}

DesktopDevice digitizer(const QString &name) {
    DesktopDevice device;
    device.system = QStringLiteral("Windows");
    device.name = name;
    device.decides = true;
    return device;
}

// The frame's calibration data values; the reason goes to @p unreadable when the key is there but closed.
std::vector<RegistryValue> calibrationValues(const FrameIds &frame, QStringList *unreadable) {
    LONG status = ERROR_SUCCESS;
    std::vector<RegistryValue> ours;
    const auto values = registryValues(linearityKey, status);
    if (!values && status != ERROR_FILE_NOT_FOUND && unreadable)
        *unreadable << QStringLiteral("Windows: %1 cannot be read (error %2)").arg(keyText(linearityKey)).arg(status);
    for (const RegistryValue &value : values.value_or(std::vector<RegistryValue>{}))
        if (namesFrame(value, frame))
            ours.push_back(value);
    return ours;
}

}  // namespace

DesktopView readDesktopView(const FrameIds &frame, const QString & /*inputDeviceName: X11's alone*/) {
    DesktopView view;
    view.session = Session::Windows;
    view.sessionText = QStringLiteral("Windows");
    view.desktop = QSize(GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
    const std::vector<Display> attached = displays();
    for (const Display &display : attached)
        view.screens << display.screen;

    LONG status = ERROR_SUCCESS;
    const auto mappings = registryValues(digimonKey, status);
    if (!mappings && status != ERROR_FILE_NOT_FOUND)
        view.unreadable << QStringLiteral("Windows: %1 cannot be read (error %2)").arg(keyText(digimonKey)).arg(status);
    for (const RegistryValue &value : mappings.value_or(std::vector<RegistryValue>{})) {
        if (!namesFrame(value, frame))
            continue;
        DesktopDevice device = digitizer(value.name);
        device.facts << QStringLiteral("Tablet PC mapping: %1").arg(value.text);
        device.mapping = mappingTo(value.text, attached);
        view.devices << device;
    }
    if (view.devices.isEmpty()) {
        DesktopDevice device = digitizer(QStringLiteral("digitizer %1").arg(frameNeedle(frame)));
        device.mapping.how = QStringLiteral("no Tablet PC mapping: Windows chooses the display itself");
        view.devices << device;
    }
    for (const RegistryValue &value : calibrationValues(frame, &view.unreadable)) {
        DesktopDevice &device = view.devices.first();
        device.facts << QStringLiteral("calibration data: %1 bytes under %2").arg(value.size).arg(value.name);
        device.correction = QStringLiteral("Windows' own calibration data (Tablet PC Settings > Calibrate)");
    }
    return view;
}

SessionChanges setSessionMatrix(const FrameIds & /*frame*/, const QString & /*inputDeviceName*/,
                                MatrixProperty /*property*/, const Matrix3 & /*matrix*/) {
    return {SessionChanges::Outcome::NotX11, {}, QStringLiteral("the session is Windows, not X11: nothing is changed")};
}

QStringList lastingCorrectionSources(const FrameIds &frame) {
    QStringList sources;
    for (const RegistryValue &value : calibrationValues(frame, nullptr))
        sources << QStringLiteral(
                       "%1, value \"%2\": Tablet PC Settings > Reset, or as administrator: reg delete "
                       "\"%1\" /v \"%2\" /f")
                       .arg(keyText(linearityKey), value.name);
    return sources;
}

std::optional<QStringList> monitorIdentity(const QString & /*outputName: GNOME's, not Windows'*/) {
    return std::nullopt;
}

}  // namespace platform
