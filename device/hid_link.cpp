#include "device/hid_link.h"

#include <algorithm>
#include <string>

#include <hidapi.h>

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

}  // namespace

hid_device *openPath(const char *path) {
    hid_device *handle = hid_open_path(path);
    if (handle)
        lastOpened() = OpenedNode{handle, path};
    return handle;
}

int writeReport(hid_device *device, const Report &report) {
    return hid_write(device, report.data(), reportWriteLength);
}

int readReport(hid_device *device, std::uint8_t *buffer64, int timeoutMs) {
    std::fill_n(buffer64, Report().size(), std::uint8_t{0});
    return hid_read_timeout(device, buffer64, Report().size(), timeoutMs);
}

}  // namespace device
