#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "virtual_frame_device.h"
#include "virtual_frame_state.h"

// The device behind the hidapi functions: enumeration lists, handles, writes and reads, each recorded.

namespace virtual_frame::device {

using detail::apply;
using detail::Frame;
using detail::frame;
using detail::HandedOutList;
using detail::isOpenHandle;
using detail::keep;

namespace {

wchar_t *copyWide(const wchar_t *text) {
    const std::size_t size = std::wcslen(text) + 1;
    auto *copy = static_cast<wchar_t *>(std::malloc(size * sizeof(wchar_t)));
    std::wmemcpy(copy, text, size);
    return copy;
}

hid_device_info *newEntry(const Interface &interface) {
    auto *entry = static_cast<hid_device_info *>(std::calloc(1, sizeof(hid_device_info)));
    entry->path = strdup(interface.path.c_str());
    entry->vendor_id = interface.vendorId;
    entry->product_id = interface.productId;
    entry->serial_number = copyWide(L"");
    entry->release_number = 0x0100;
    entry->manufacturer_string = copyWide(L"Orvessa");
    entry->product_string = copyWide(L"Virtual touch frame");
    entry->usage_page = interface.usagePage;
    entry->usage = interface.usage;
    entry->interface_number = interface.interfaceNumber;
    entry->bus_type = HID_API_BUS_USB;
    return entry;
}

void freeEntries(hid_device_info *entry) {
    while (entry) {
        hid_device_info *next = entry->next;
        std::free(entry->path);
        std::free(entry->serial_number);
        std::free(entry->manufacturer_string);
        std::free(entry->product_string);
        std::free(entry);
        entry = next;
    }
}

}  // namespace

hid_device_info *enumerate(unsigned short vendorId, unsigned short productId) {
    Frame &f = frame();
    std::lock_guard lock(f.mutex);
    hid_device_info *head = nullptr;
    hid_device_info **tail = &head;
    std::size_t entries = 0;
    for (const Interface &interface : f.interfaces) {
        if ((vendorId && interface.vendorId != vendorId) || (productId && interface.productId != productId))
            continue;
        *tail = newEntry(interface);
        tail = &(*tail)->next;
        ++entries;
    }
    Event event;
    event.kind = Event::Kind::Enumerate;
    event.vendorId = vendorId;
    event.productId = productId;
    event.length = entries;
    if (head) {
        event.list = f.nextList++;
        f.lists.push_back(HandedOutList{head, event.list, entries, true});
    }
    keep(f, event);
    return head;
}

void freeEnumeration(hid_device_info *list) {
    Frame &f = frame();
    std::lock_guard lock(f.mutex);
    Event event;
    event.kind = Event::Kind::FreeEnumeration;
    if (list) {
        const auto known = std::find_if(f.lists.begin(), f.lists.end(),
                                        [list](const HandedOutList &handed) { return handed.head == list; });
        if (known == f.lists.end()) {
            f.faults.emplace_back("hid_free_enumeration of a list that was not handed out or was freed already");
            keep(f, event);
            return;
        }
        event.list = known->current ? known->number : 0;
        event.length = known->entries;
        freeEntries(known->head);
        f.lists.erase(known);
    }
    keep(f, event);
}

hid_device *open(const char *path, int *error) {
    Frame &f = frame();
    std::lock_guard lock(f.mutex);
    Event event;
    event.kind = Event::Kind::Open;
    event.path = path ? path : "";
    const bool exists = std::any_of(f.interfaces.begin(), f.interfaces.end(),
                                    [&](const Interface &interface) { return interface.path == event.path; });
    const auto failing = f.failingOpens.find(event.path);
    if (!exists || failing != f.failingOpens.end()) {
        *error = exists ? failing->second : ENOENT;
        keep(f, event);
        return nullptr;
    }
    auto handle = std::make_unique<hid_device>();
    handle->number = f.nextHandle++;
    handle->path = event.path;
    event.handle = handle->number;
    event.result = 1;
    f.handles.push_back(std::move(handle));
    hid_device *opened = f.handles.back().get();
    f.openNow.insert(opened);
    keep(f, event);
    return opened;
}

hid_device *openFirst(unsigned short vendorId, unsigned short productId) {
    std::string path;
    {
        Frame &f = frame();
        std::lock_guard lock(f.mutex);
        for (const Interface &interface : f.interfaces)
            if (interface.vendorId == vendorId && (!productId || interface.productId == productId)) {
                path = interface.path;
                break;
            }
    }
    int error = 0;
    return path.empty() ? nullptr : open(path.c_str(), &error);
}

int write(hid_device *handle, const unsigned char *data, std::size_t length) {
    Frame &f = frame();
    std::lock_guard lock(f.mutex);
    Event event;
    event.kind = Event::Kind::Write;
    event.length = length;
    if (data)
        event.bytes.assign(data, data + length);
    if (!isOpenHandle(f, handle) || !data) {
        f.faults.emplace_back("hid_write on a handle that is not open, or without data");
        event.result = -1;
        keep(f, event);
        return -1;
    }
    event.path = handle->path;
    event.handle = handle->number;
    int result = static_cast<int>(length);
    if (length >= 3) {
        const auto failing = f.failingWrites.find(data[2]);
        if (failing != f.failingWrites.end())
            result = failing->second;
    }
    if (result > 0)
        apply(f, handle, data, length);
    event.result = result;
    keep(f, event);
    return result;
}

int read(hid_device *handle, unsigned char *data, std::size_t length, int timeoutMs) {
    Frame &f = frame();
    std::lock_guard lock(f.mutex);
    Event event;
    event.kind = Event::Kind::Read;
    event.length = length;
    event.timeoutMs = timeoutMs;
    if (!isOpenHandle(f, handle) || !data) {
        f.faults.emplace_back("hid_read_timeout on a handle that is not open, or without a buffer");
        event.result = -1;
        keep(f, event);
        return -1;
    }
    event.path = handle->path;
    event.handle = handle->number;
    if (handle->pendingReply) {
        const hid_device_::Reply reply = *handle->pendingReply;
        handle->pendingReply.reset();
        event.result = reply.result;
        if (reply.result > 0) {
            const std::size_t delivered = std::min<std::size_t>(std::size_t(reply.result), length);
            std::memcpy(data, reply.bytes.data(), delivered);
            event.bytes.assign(reply.bytes.begin(), reply.bytes.begin() + delivered);
            event.result = int(delivered);
        }
    }
    keep(f, event);
    return event.result;
}

void close(hid_device *handle) {
    Frame &f = frame();
    std::lock_guard lock(f.mutex);
    Event event;
    event.kind = Event::Kind::Close;
    if (!isOpenHandle(f, handle)) {
        f.faults.emplace_back("hid_close of a handle that is not open");
        keep(f, event);
        return;
    }
    handle->open = false;
    f.openNow.erase(handle);
    event.path = handle->path;
    event.handle = handle->number;
    keep(f, event);
}

hid_device_info *deviceInfo(hid_device *handle) {
    Frame &f = frame();
    std::lock_guard lock(f.mutex);
    if (!isOpenHandle(f, handle))
        return nullptr;
    if (!handle->info) {
        const auto interface = std::find_if(f.interfaces.begin(), f.interfaces.end(),
                                            [&](const Interface &known) { return known.path == handle->path; });
        if (interface == f.interfaces.end())
            return nullptr;
        handle->info = newEntry(*interface);
    }
    return handle->info;
}

bool isOpen(hid_device *handle) {
    Frame &f = frame();
    std::lock_guard lock(f.mutex);
    return isOpenHandle(f, handle);
}

}  // namespace virtual_frame::device
