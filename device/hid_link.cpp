#include "device/hid_link.h"

#include <algorithm>
#include <string>
#include <vector>

#include <hidapi.h>

#include "device/output_padding.h"

namespace device {
namespace {

// The program has one device open at a time (one open-use-close cycle per operation): the path of the last handle
// opened here is the path of the handle being written to. It is kept because hidapi cannot always tell the path
// of a handle back (hid_get_device_info needs udev to know the node).
struct OpenedNode {
    hid_device *handle = nullptr;
    std::string path;
};

OpenedNode &lastOpened() {
    static OpenedNode node;
    return node;
}

const char *pathOf(hid_device *device) {
    if (device && device == lastOpened().handle)
        return lastOpened().path.c_str();
    const hid_device_info *info = device ? hid_get_device_info(device) : nullptr;
    return info ? info->path : nullptr;
}

}  // namespace

hid_device *openPath(const char *path, OpenError *failure) {
    hid_device *handle = hid_open_path(path);
    if (!handle && failure)
        *failure = lastOpenError();
    if (handle)
        lastOpened() = OpenedNode{handle, path};
    return handle;
}

int writeReport(hid_device *device, const Report &report) {
    const std::size_t length = paddedWriteLength(pathOf(device), report[0], reportWriteLength);
    if (length == reportWriteLength)
        return hid_write(device, report.data(), length);
    std::vector<std::uint8_t> padded(length, 0);
    std::copy_n(report.begin(), reportWriteLength, padded.begin());
    return hid_write(device, padded.data(), length);
}

bool sendCommand(hid_device *device, Command code, int deviceUsage) {
    Report report = commandReport(code);
    setReportId(report, deviceUsage);
    return writeReport(device, report) > 0;
}

int readReport(hid_device *device, std::uint8_t *buffer64, int timeoutMs) {
    std::fill_n(buffer64, Report().size(), std::uint8_t{0});
    return hid_read_timeout(device, buffer64, Report().size(), timeoutMs);
}

}  // namespace device
