#include "virtual_frame.h"

#include <algorithm>
#include <cstdio>

#include "virtual_frame_state.h"

// The frame's state, scripting it, and reading back what it was told.

namespace virtual_frame {

namespace detail {

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

bool isOpenHandle(Frame &f, hid_device *handle) {
    return f.openNow.count(handle) != 0;
}

}  // namespace detail

using detail::Frame;
using detail::frame;
using detail::HandedOutList;

namespace {

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

}  // namespace

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

void failOpen(const std::string &path, int error) {
    Frame &f = frame();
    std::lock_guard lock(f.mutex);
    f.failingOpens[path] = error;
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

}  // namespace virtual_frame
