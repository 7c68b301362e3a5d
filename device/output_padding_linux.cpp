#include "device/output_padding.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "device/report_descriptor.h"

namespace device {
namespace {

constexpr char hidrawPrefix[] = "/dev/hidraw";

std::optional<std::vector<std::uint8_t>> descriptorByIoctl(const char *path) {
    const int node = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (node < 0)
        return std::nullopt;
    int size = 0;
    hidraw_report_descriptor descriptor{};
    bool read = ::ioctl(node, HIDIOCGRDESCSIZE, &size) >= 0 && size > 0 && size <= HID_MAX_DESCRIPTOR_SIZE;
    if (read) {
        descriptor.size = std::uint32_t(size);
        read = ::ioctl(node, HIDIOCGRDESC, &descriptor) >= 0;
    }
    ::close(node);
    if (!read)
        return std::nullopt;
    return std::vector<std::uint8_t>(descriptor.value, descriptor.value + descriptor.size);
}

// The same bytes as sysfs shows them, for a node that cannot be opened a second time.
std::optional<std::vector<std::uint8_t>> descriptorFromSysfs(const char *path) {
    const std::string node = std::string(path).substr(std::strlen("/dev/"));
    std::ifstream file("/sys/class/hidraw/" + node + "/device/report_descriptor", std::ios::binary);
    if (!file)
        return std::nullopt;
    std::vector<std::uint8_t> bytes(HID_MAX_DESCRIPTOR_SIZE);
    file.read(reinterpret_cast<char *>(bytes.data()), std::streamsize(bytes.size()));
    bytes.resize(std::size_t(file.gcount()));
    if (bytes.empty())
        return std::nullopt;
    return bytes;
}

bool isHidrawNode(const char *path) {
    if (!path || std::strncmp(path, hidrawPrefix, std::strlen(hidrawPrefix)) != 0)
        return false;
    const char *number = path + std::strlen(hidrawPrefix);
    return *number && std::all_of(number, number + std::strlen(number), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::size_t paddedWriteLength(const char *path, std::uint8_t reportId, std::size_t length) {
    if (!isHidrawNode(path))
        return length;
    std::optional<std::vector<std::uint8_t>> descriptor = descriptorByIoctl(path);
    if (!descriptor)
        descriptor = descriptorFromSysfs(path);
    if (!descriptor)
        return length;
    const std::optional<OutputReports> reports = parseOutputReports(descriptor->data(), descriptor->size());
    if (!reports)
        return length;
    return std::max(length, std::min(outputWriteLength(*reports, reportId), maxPaddedLength));
}

}  // namespace device
