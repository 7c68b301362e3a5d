// hidapi's C interface, served by the virtual frame. The functions the program uses go to the frame; the rest of
// the header answers harmlessly (success where nothing can go wrong, -1 where a real device could refuse) so that
// any hidapi user links and runs.

#include <cstring>
#include <cwchar>

#include <hidapi.h>

#include "virtual_frame_device.h"
#include "virtual_frame_state.h"

namespace frame = virtual_frame::device;

namespace {
const wchar_t *const notSupported = L"not supported by the virtual touch frame";

int copyString(const wchar_t *text, wchar_t *string, std::size_t maxlen) {
    if (!string || maxlen == 0)
        return -1;
    std::wcsncpy(string, text, maxlen);
    string[maxlen - 1] = L'\0';
    return 0;
}
}  // namespace

extern "C" {

int HID_API_EXPORT HID_API_CALL hid_init(void) {
    return 0;
}

int HID_API_EXPORT HID_API_CALL hid_exit(void) {
    return 0;
}

struct hid_device_info HID_API_EXPORT *HID_API_CALL hid_enumerate(unsigned short vendor_id, unsigned short product_id) {
    return frame::enumerate(vendor_id, product_id);
}

void HID_API_EXPORT HID_API_CALL hid_free_enumeration(struct hid_device_info *devs) {
    frame::freeEnumeration(devs);
}

HID_API_EXPORT hid_device *HID_API_CALL hid_open(unsigned short vendor_id, unsigned short product_id,
                                                 const wchar_t * /*serial_number*/) {
    return frame::openFirst(vendor_id, product_id);
}

HID_API_EXPORT hid_device *HID_API_CALL hid_open_path(const char *path) {
    int error = 0;
    hid_device *handle = frame::open(path, &error);
    // Last, after the record was written: the program reads the error as soon as the call returns.
    if (!handle)
        virtual_frame::detail::reportOpenError(error);
    return handle;
}

int HID_API_EXPORT HID_API_CALL hid_write(hid_device *dev, const unsigned char *data, size_t length) {
    return frame::write(dev, data, length);
}

int HID_API_EXPORT HID_API_CALL hid_read_timeout(hid_device *dev, unsigned char *data, size_t length,
                                                 int milliseconds) {
    return frame::read(dev, data, length, milliseconds);
}

int HID_API_EXPORT HID_API_CALL hid_read(hid_device *dev, unsigned char *data, size_t length) {
    return frame::read(dev, data, length, -1);
}

int HID_API_EXPORT HID_API_CALL hid_set_nonblocking(hid_device *dev, int /*nonblock*/) {
    return frame::isOpen(dev) ? 0 : -1;
}

int HID_API_EXPORT HID_API_CALL hid_send_feature_report(hid_device * /*dev*/, const unsigned char * /*data*/,
                                                        size_t /*length*/) {
    return -1;
}

int HID_API_EXPORT HID_API_CALL hid_get_feature_report(hid_device * /*dev*/, unsigned char * /*data*/,
                                                       size_t /*length*/) {
    return -1;
}

int HID_API_EXPORT HID_API_CALL hid_get_input_report(hid_device * /*dev*/, unsigned char * /*data*/,
                                                     size_t /*length*/) {
    return -1;
}

void HID_API_EXPORT HID_API_CALL hid_close(hid_device *dev) {
    frame::close(dev);
}

int HID_API_EXPORT_CALL hid_get_manufacturer_string(hid_device *dev, wchar_t *string, size_t maxlen) {
    return frame::isOpen(dev) ? copyString(L"Orvessa", string, maxlen) : -1;
}

int HID_API_EXPORT_CALL hid_get_product_string(hid_device *dev, wchar_t *string, size_t maxlen) {
    return frame::isOpen(dev) ? copyString(L"Virtual touch frame", string, maxlen) : -1;
}

int HID_API_EXPORT_CALL hid_get_serial_number_string(hid_device *dev, wchar_t *string, size_t maxlen) {
    return frame::isOpen(dev) ? copyString(L"", string, maxlen) : -1;
}

struct hid_device_info HID_API_EXPORT *HID_API_CALL hid_get_device_info(hid_device *dev) {
    return frame::deviceInfo(dev);
}

int HID_API_EXPORT_CALL hid_get_indexed_string(hid_device * /*dev*/, int /*string_index*/, wchar_t * /*string*/,
                                               size_t /*maxlen*/) {
    return -1;
}

HID_API_EXPORT const wchar_t *HID_API_CALL hid_error(hid_device * /*dev*/) {
    return notSupported;
}

HID_API_EXPORT const struct hid_api_version *HID_API_CALL hid_version(void) {
    static const hid_api_version version{HID_API_VERSION_MAJOR, HID_API_VERSION_MINOR, HID_API_VERSION_PATCH};
    return &version;
}

HID_API_EXPORT const char *HID_API_CALL hid_version_str(void) {
    return HID_API_VERSION_STR;
}

}  // extern "C"
