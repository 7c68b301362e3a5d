#pragma once

#include <cerrno>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// A touch frame that exists only in memory. The library of the same name implements the hidapi C functions
// (hid_enumerate, hid_open_path, hid_write, hid_read_timeout, hid_close, ...) on top of it, so code written against
// hidapi runs unchanged: tests link it in place of hidapi, and the preloadable build puts it under the real
// program. This header scripts it: which interfaces it shows, which operations fail, how it answers the
// calibration start query; and it reads back everything that was done to it.
//
// The frame is one process-wide object and is not thread-safe beyond a lock around each call: drive it from one
// thread.

namespace virtual_frame {

/// One HID interface (one top-level collection) in the enumeration. Several interfaces may share a path: hidapi
/// lists every collection of a device node with the node's path.
struct Interface {
    std::uint16_t vendorId = 0x28E1;
    std::uint16_t productId = 0x0001;
    std::uint16_t usagePage = 0xFF00;
    std::uint16_t usage = 0x00A3;
    std::string path;  ///< empty: "virtual-frame:<n>", n counting the interfaces added since reset()
    int interfaceNumber = 0;
};

/// How the frame answers the calibration start query (code 0x51).
enum class StartReply {
    Valid,      ///< 64 bytes: reply id, 55 51 FF; reply id 5 for a query sent with id 6, else the query's id
    WrongId,    ///< as Valid but with the other id (6 instead of 5, 5 instead of an interface id)
    WrongByte,  ///< as Valid but byte 3 is 00 instead of FF
    Short,      ///< the right four bytes, but the read returns 32
    Timeout,    ///< the read returns 0
    Error,      ///< the read returns -1
};

/// One call the program made.
struct Event {
    enum class Kind { Enumerate, FreeEnumeration, Open, Write, Read, Close };
    Kind kind = Kind::Enumerate;
    std::string path;                 ///< Open: the path asked for; Write/Read/Close: the handle's path
    int handle = 0;                   ///< Open (when it succeeded), Write, Read, Close: 1, 2, ... in order of opening
    int list = 0;                     ///< Enumerate, FreeEnumeration: 1, 2, ... ; 0 for the empty (null) list
    std::vector<std::uint8_t> bytes;  ///< Write: every byte handed over; Read: the bytes delivered
    std::size_t length = 0;           ///< Write, Read: the length argument; Enumerate/Free: number of entries
    int result = 0;                   ///< Write, Read: the return value; Open: 1 for a handle, 0 for none
    int timeoutMs = 0;                ///< Read
    std::uint16_t vendorId = 0;       ///< Enumerate: the vendor filter
    std::uint16_t productId = 0;      ///< Enumerate: the product filter
};

/// What the firmware was told, as far as a frame would keep it. Reports count only when they were written
/// successfully with a report id that the opened node accepts (an interface's usage, or 6 for usage 0).
struct FirmwareState {
    bool multiTouch = true;
    bool cleared = false;      ///< a clear arrived and no upload since
    bool calibrating = false;  ///< a start query or calibration start arrived, and no upload or abandon since
    int clears = 0;
    int abandons = 0;
    int lastUploadCode = 0;                      ///< 0x61, 0x66, or 0 when none since the last clear
    std::vector<std::int32_t> lastCoefficients;  ///< the decoded fields of the last upload
    int ignoredReports = 0;                      ///< written with a report id the node does not accept
};

// --- scripting ---

/// Forgets everything: no interfaces, no scripted faults, Valid start reply, empty record, fresh firmware state.
/// Handles and lists of earlier use stay valid memory but are no longer open.
void reset();

/// Adds an interface to the enumeration; returns its path.
std::string addInterface(Interface interface);

/// Makes hid_open_path fail for @p path with the system's error @p error (an errno value, as hidapi's hidraw back
/// end leaves it; on Windows also the matching last error: access denied, file not found, device not connected,
/// sharing violation, or general failure). A path the frame does not show fails with ENOENT.
void failOpen(const std::string &path, int error = EACCES);

/// Makes hid_write of every report whose byte 2 is @p code return @p result (hidapi gives -1 on error).
void failWrite(std::uint8_t code, int result = -1);

/// Sets how the next start queries are answered.
void setStartReply(StartReply reply);

// --- reading back ---

std::vector<Event> record();
std::vector<Event> events(Event::Kind kind);
FirmwareState state();

/// Handles opened and not closed yet.
int openHandles();

/// Enumeration lists handed out and not freed yet.
int unfreedLists();

/// Misuse seen: closing or using a handle that is not open, freeing a list twice or one not handed out.
std::vector<std::string> faults();

/// One line describing @p event, as the preloaded frame writes it to its record file.
std::string describe(const Event &event);

/// One line describing @p state.
std::string describe(const FirmwareState &state);

/// Called after every event is recorded (the preloaded frame writes its record file from here).
void setObserver(std::function<void(const Event &, const FirmwareState &)> observer);

// --- configuration by text (environment variables of the preloaded frame) ---

/// Parses "VVVV:PPPP:UUUU[:path]" entries separated by commas (hexadecimal vendor id, usage page, usage).
/// Malformed entries are skipped and named in @p errors.
std::vector<Interface> parseInterfaces(const std::string &text, std::vector<std::string> *errors = nullptr);

/// Parses "valid", "wrong-id", "wrong-byte", "short", "timeout" or "error".
std::optional<StartReply> parseStartReply(const std::string &text);

/// Parses "path[=ERROR]" entries separated by commas, ERROR an errno name (EACCES, EPERM, ENOENT, ENODEV, ENXIO,
/// EBUSY, EIO) or number; without it EACCES. Malformed entries are skipped and named in @p errors.
std::vector<std::pair<std::string, int>> parseFailingOpens(const std::string &text,
                                                           std::vector<std::string> *errors = nullptr);

/// Parses hexadecimal command codes separated by commas, e.g. "88,61".
std::vector<std::uint8_t> parseCodes(const std::string &text, std::vector<std::string> *errors = nullptr);

}  // namespace virtual_frame
