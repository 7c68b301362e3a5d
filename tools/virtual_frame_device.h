#pragma once

#include <cstddef>
#include <cstdint>

#include <hidapi.h>

// The operations behind the hidapi functions of the virtual frame (virtual_frame_hidapi.cpp). Internal to the
// frame's library; scripts use virtual_frame.h.

namespace virtual_frame::device {

hid_device_info *enumerate(unsigned short vendorId, unsigned short productId);
void freeEnumeration(hid_device_info *list);
/// Null when @p path does not open; @p error is then the errno it fails with.
hid_device *open(const char *path, int *error);
hid_device *openFirst(unsigned short vendorId, unsigned short productId);
int write(hid_device *handle, const unsigned char *data, std::size_t length);
int read(hid_device *handle, unsigned char *data, std::size_t length, int timeoutMs);
void close(hid_device *handle);
/// The enumeration entry of an open handle (owned by the handle), or null.
hid_device_info *deviceInfo(hid_device *handle);
/// True when @p handle is open.
bool isOpen(hid_device *handle);

}  // namespace virtual_frame::device
