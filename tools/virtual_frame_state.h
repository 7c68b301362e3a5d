#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#include <hidapi.h>

#include "virtual_frame.h"

// The frame's state shared by the parts of its library: what the scripts set up (virtual_frame.cpp), what the
// firmware keeps (virtual_frame_firmware.cpp) and what the hidapi functions hand out (virtual_frame_device.cpp).
// Internal to the library; scripts use virtual_frame.h.

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

namespace virtual_frame::detail {

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
    std::map<std::string, int> failingOpens;  // path: the errno its open fails with
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

/// The one frame of the process; every access holds its mutex.
Frame &frame();

/// Adds @p event to the record and tells the observer.
void keep(Frame &f, Event event);

/// True when @p handle is open now.
bool isOpenHandle(Frame &f, hid_device *handle);

/// Leaves @p error as the system's error of a failed open, where the program looks for it (errno; on Windows
/// also the thread's last error). One implementation per OS.
void reportOpenError(int error);

/// What the firmware does with a report that reached it through @p handle.
void apply(Frame &f, hid_device *handle, const unsigned char *data, std::size_t length);

}  // namespace virtual_frame::detail
