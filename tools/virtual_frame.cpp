#include "virtual_frame.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>
#include <unordered_set>

#include "virtual_frame_device.h"

// A handle of the virtual frame. hidapi declares the type and leaves it opaque; this library defines it.
struct hid_device_ {
    int number = 0;
    std::string path;
    bool open = true;
    hid_device_info *info = nullptr;  // lazily built for hid_get_device_info
    struct Reply {
        std::array<std::uint8_t, 64> bytes{};
        int result = 0;
    };
    std::optional<Reply> pendingReply;  // what the next read delivers
};

namespace virtual_frame {
namespace {

constexpr std::uint8_t marker = 0x55;
constexpr std::uint8_t defaultId = 6;
constexpr std::uint8_t defaultReplyId = 5;

struct HandedOutList {
    hid_device_info *head = nullptr;
    int number = 0;
    std::size_t entries = 0;
    bool current = true;  // handed out since the last reset
};

struct Frame {
    std::mutex mutex;
    std::vector<Interface> interfaces;
    std::set<std::string> failingOpens;
    std::map<std::uint8_t, int> failingWrites;
    StartReply startReply = StartReply::Valid;
    std::vector<Event> record;
    FirmwareState state;
    std::vector<std::string> faults;
    // Handles and lists are never freed while the process runs, so a stale pointer from the program is still
    // recognised (and reported) rather than read as freed memory.
    std::vector<std::unique_ptr<hid_device>> handles;
    std::unordered_set<const hid_device *> openNow;  // the open ones among them
    std::vector<HandedOutList> lists;
    int nextHandle = 1;
    int nextList = 1;
    std::function<void(const Event &, const FirmwareState &)> observer;
};

Frame &frame() {
    // Never destroyed: the program may still call hidapi while static objects are being torn down.
    static auto *const instance = new Frame;
    return *instance;
}

void keep(Frame &f, Event event) {
    f.record.push_back(std::move(event));
    if (f.observer)
        f.observer(f.record.back(), f.state);
}

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

bool isOpenHandle(Frame &f, hid_device *handle) {
    return f.openNow.count(handle) != 0;
}

// A node accepts the report ids of all its collections: the usage's low byte, or 6 for usage 0.
bool acceptsReportId(const Frame &f, const std::string &path, std::uint8_t id) {
    return std::any_of(f.interfaces.begin(), f.interfaces.end(), [&](const Interface &interface) {
        const std::uint8_t accepted = interface.usage != 0 ? std::uint8_t(interface.usage & 0xFF) : defaultId;
        return interface.path == path && accepted == id;
    });
}

hid_device_::Reply startReply(StartReply kind, std::uint8_t queryId) {
    const std::uint8_t rightId = queryId == defaultId ? defaultReplyId : queryId;
    const std::uint8_t otherId = queryId == defaultId ? defaultId : defaultReplyId;
    hid_device_::Reply reply;
    reply.bytes[0] = kind == StartReply::WrongId ? otherId : rightId;
    reply.bytes[1] = marker;
    reply.bytes[2] = 0x51;
    reply.bytes[3] = kind == StartReply::WrongByte ? 0x00 : 0xFF;
    reply.result = kind == StartReply::Short     ? 32
                   : kind == StartReply::Timeout ? 0
                   : kind == StartReply::Error   ? -1
                                                 : 64;
    return reply;
}

template <typename Field>
std::vector<std::int32_t> fieldsOf(const unsigned char *data, std::size_t length, std::size_t count) {
    std::vector<std::int32_t> fields;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t bits = 0;
        for (std::size_t byte = 0; byte < sizeof(Field); ++byte) {
            const std::size_t offset = 3 + i * sizeof(Field) + byte;
            bits |= std::uint32_t(offset < length ? data[offset] : 0) << (8 * byte);
        }
        fields.push_back(static_cast<Field>(bits));
    }
    return fields;
}

// What the firmware does with a report that reached it.
void apply(Frame &f, hid_device *handle, const unsigned char *data, std::size_t length) {
    if (length < 3 || data[1] != marker)
        return;
    if (!acceptsReportId(f, handle->path, data[0])) {
        ++f.state.ignoredReports;
        return;
    }
    FirmwareState &s = f.state;
    switch (data[2]) {
        case 0x88:
            s.cleared = true;
            ++s.clears;
            s.lastUploadCode = 0;
            s.lastCoefficients.clear();
            break;
        case 0x11:
            s.multiTouch = false;
            break;
        case 0x22:
            s.multiTouch = true;
            break;
        case 0x51:
            s.calibrating = true;
            handle->pendingReply = startReply(f.startReply, data[0]);
            break;
        case 0x55:
            s.calibrating = true;
            break;
        case 0x77:
            s.calibrating = false;
            ++s.abandons;
            break;
        case 0x61:
        case 0x66:
            s.lastUploadCode = data[2];
            s.lastCoefficients =
                data[2] == 0x61 ? fieldsOf<std::int32_t>(data, length, 8) : fieldsOf<std::int16_t>(data, length, 6);
            s.cleared = false;
            s.calibrating = false;
            break;
        default:
            break;
    }
}

std::string hexBytes(const std::vector<std::uint8_t> &bytes) {
    std::string text;
    char digits[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(digits, sizeof digits, i ? " %02X" : "%02X", bytes[i]);
        text += digits;
    }
    return text;
}

std::string hex4(unsigned value) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04X", value & 0xFFFF);
    return digits;
}

std::optional<unsigned long> parseHex(const std::string &text, unsigned long maximum) {
    if (text.empty() || text.size() > 8 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return std::nullopt;
    const unsigned long value = std::strtoul(text.c_str(), nullptr, 16);
    if (value > maximum)
        return std::nullopt;
    return value;
}

std::vector<std::string> split(const std::string &text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream stream(text);
    while (std::getline(stream, part, separator))
        parts.push_back(part);
    return parts;
}

}  // namespace

// --- scripting and reading back ---

void reset() {
    Frame &f = frame();
    std::lock_guard lock(f.mutex);
    f.interfaces.clear();
    f.failingOpens.clear();
    f.failingWrites.clear();
    f.startReply = StartReply::Valid;
    f.record.clear();
    f.state = FirmwareState{};
    f.faults.clear();
    for (auto &handle : f.handles)
        handle->open = false;
    f.openNow.clear();
    for (auto &list : f.lists)
        list.current = false;
    f.nextHandle = 1;
    f.nextList = 1;
}

std::string addInterface(Interface interface) {
    Frame &f = frame();
    std::lock_guard lock(f.mutex);
    if (interface.path.empty())
        interface.path = "virtual-frame:" + std::to_string(f.interfaces.size());
    f.interfaces.push_back(interface);
    return interface.path;
}

void failOpen(const std::string &path) {
    Frame &f = frame();
    std::lock_guard lock(f.mutex);
    f.failingOpens.insert(path);
}

void failWrite(std::uint8_t code, int result) {
    Frame &f = frame();
    std::lock_guard lock(f.mutex);
    f.failingWrites[code] = result;
}

void setStartReply(StartReply reply) {
    Frame &f = frame();
    std::lock_guard lock(f.mutex);
    f.startReply = reply;
}

std::vector<Event> record() {
    Frame &f = frame();
    std::lock_guard lock(f.mutex);
    return f.record;
}

std::vector<Event> events(Event::Kind kind) {
    std::vector<Event> all = record();
    all.erase(std::remove_if(all.begin(), all.end(), [kind](const Event &event) { return event.kind != kind; }),
              all.end());
    return all;
}

FirmwareState state() {
    Frame &f = frame();
    std::lock_guard lock(f.mutex);
    return f.state;
}

int openHandles() {
    Frame &f = frame();
    std::lock_guard lock(f.mutex);
    return int(f.openNow.size());
}

int unfreedLists() {
    Frame &f = frame();
    std::lock_guard lock(f.mutex);
    return int(std::count_if(f.lists.begin(), f.lists.end(), [](const HandedOutList &list) { return list.current; }));
}

std::vector<std::string> faults() {
    Frame &f = frame();
    std::lock_guard lock(f.mutex);
    return f.faults;
}

void setObserver(std::function<void(const Event &, const FirmwareState &)> observer) {
    Frame &f = frame();
    std::lock_guard lock(f.mutex);
    f.observer = std::move(observer);
}

std::string describe(const Event &event) {
    const std::string handle = " handle=" + std::to_string(event.handle);
    switch (event.kind) {
        case Event::Kind::Enumerate:
            return "enumerate vendor=" + hex4(event.vendorId) + " product=" + hex4(event.productId) +
                   (event.list ? " list=" + std::to_string(event.list) : std::string(" list=none")) +
                   " entries=" + std::to_string(event.length);
        case Event::Kind::FreeEnumeration:
            return event.list ? "free list=" + std::to_string(event.list) + " entries=" + std::to_string(event.length)
                              : std::string("free list=none");
        case Event::Kind::Open:
            return "open path=" + event.path + (event.result ? handle : std::string(" failed"));
        case Event::Kind::Write:
            return "write" + handle + " length=" + std::to_string(event.length) +
                   " result=" + std::to_string(event.result) + " bytes=" + hexBytes(event.bytes);
        case Event::Kind::Read:
            return "read" + handle + " length=" + std::to_string(event.length) +
                   " timeout=" + std::to_string(event.timeoutMs) + " result=" + std::to_string(event.result) +
                   " bytes=" + hexBytes(event.bytes);
        case Event::Kind::Close:
            return "close" + handle;
    }
    return {};
}

std::string describe(const FirmwareState &state) {
    std::string coefficients;
    for (std::size_t i = 0; i < state.lastCoefficients.size(); ++i)
        coefficients += (i ? "," : "") + std::to_string(state.lastCoefficients[i]);
    char upload[8];
    std::snprintf(upload, sizeof upload, "%02X", unsigned(state.lastUploadCode));
    return std::string("state mode=") + (state.multiTouch ? "multi" : "single") +
           " cleared=" + (state.cleared ? "yes" : "no") + " calibrating=" + (state.calibrating ? "yes" : "no") +
           " clears=" + std::to_string(state.clears) + " abandons=" + std::to_string(state.abandons) +
           " upload=" + (state.lastUploadCode ? std::string(upload) : std::string("none")) +
           " coefficients=" + coefficients + " ignored=" + std::to_string(state.ignoredReports);
}

// --- configuration by text ---

std::vector<Interface> parseInterfaces(const std::string &text, std::vector<std::string> *errors) {
    std::vector<Interface> interfaces;
    for (const std::string &entry : split(text, ',')) {
        if (entry.empty())
            continue;
        std::vector<std::string> fields = split(entry, ':');
        std::optional<unsigned long> vendor, page, usage;
        if (fields.size() >= 3) {
            vendor = parseHex(fields[0], 0xFFFF);
            page = parseHex(fields[1], 0xFFFF);
            usage = parseHex(fields[2], 0xFFFF);
        }
        if (!vendor || !page || !usage) {
            if (errors)
                errors->push_back("not VVVV:PPPP:UUUU[:path]: " + entry);
            continue;
        }
        Interface interface;
        interface.vendorId = std::uint16_t(*vendor);
        interface.usagePage = std::uint16_t(*page);
        interface.usage = std::uint16_t(*usage);
        // The path is everything after the third colon, colons included.
        const std::size_t thirdColon =
            fields.size() > 3 ? fields[0].size() + fields[1].size() + fields[2].size() + 3 : std::string::npos;
        if (thirdColon != std::string::npos)
            interface.path = entry.substr(thirdColon);
        interfaces.push_back(interface);
    }
    return interfaces;
}

std::optional<StartReply> parseStartReply(const std::string &text) {
    static const std::map<std::string, StartReply> names{
        {"valid", StartReply::Valid}, {"wrong-id", StartReply::WrongId}, {"wrong-byte", StartReply::WrongByte},
        {"short", StartReply::Short}, {"timeout", StartReply::Timeout},  {"error", StartReply::Error}};
    const auto found = names.find(text);
    if (found == names.end())
        return std::nullopt;
    return found->second;
}

std::vector<std::uint8_t> parseCodes(const std::string &text, std::vector<std::string> *errors) {
    std::vector<std::uint8_t> codes;
    for (const std::string &part : split(text, ',')) {
        if (part.empty())
            continue;
        if (const auto code = parseHex(part, 0xFF))
            codes.push_back(std::uint8_t(*code));
        else if (errors)
            errors->push_back("not a hexadecimal command code: " + part);
    }
    return codes;
}

// --- the device behind the hidapi functions ---

namespace device {

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

hid_device *open(const char *path) {
    Frame &f = frame();
    std::lock_guard lock(f.mutex);
    Event event;
    event.kind = Event::Kind::Open;
    event.path = path ? path : "";
    const bool exists = std::any_of(f.interfaces.begin(), f.interfaces.end(),
                                    [&](const Interface &interface) { return interface.path == event.path; });
    if (!exists || f.failingOpens.count(event.path)) {
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
    return path.empty() ? nullptr : open(path.c_str());
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

}  // namespace device
}  // namespace virtual_frame
