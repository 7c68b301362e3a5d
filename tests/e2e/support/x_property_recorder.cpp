#include "support/x_property_recorder.h"

#include <xcb/record.h>
#include <xcb/xcb.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

constexpr std::uint8_t xiChangeProperty = 57;  // XInput 2's minor opcode of XIChangeProperty
// Categories of RECORD's replies (the protocol's numbers; xcb names none of them).
constexpr std::uint8_t fromClient = 1;
constexpr std::uint8_t endOfData = 5;

template <typename T>
T read32(const QByteArray &bytes, int offset) {
    T value{};
    std::memcpy(&value, bytes.constData() + offset, sizeof value);
    return value;
}

}  // namespace

struct XPropertyRecorder::State {
    xcb_connection_t *control = nullptr;  // creates and ends the recording, names atoms
    xcb_connection_t *data = nullptr;     // receives the recorded requests, blocked in the reader thread
    xcb_record_context_t context = 0;
    bool recording = false;
    std::thread reader;
    mutable std::mutex mutex;
    mutable std::condition_variable arrived;
    QList<QByteArray> requests;

    QString atomName(xcb_atom_t atom) const {
        xcb_get_atom_name_reply_t *reply = xcb_get_atom_name_reply(control, xcb_get_atom_name(control, atom), nullptr);
        if (!reply)
            return {};
        QString name = QString::fromLatin1(xcb_get_atom_name_name(reply), xcb_get_atom_name_name_length(reply));
        std::free(reply);
        return name;
    }

    // A reply may carry several requests; each starts with its length in 4-byte units (at byte 2).
    void take(const std::uint8_t *bytes, int length) {
        std::lock_guard lock(mutex);
        for (int offset = 0; offset + 4 <= length;) {
            const int size = 4 * (bytes[offset + 2] | bytes[offset + 3] << 8);
            if (size < 20 || offset + size > length)
                break;
            requests << QByteArray(reinterpret_cast<const char *>(bytes + offset), size);
            offset += size;
        }
        arrived.notify_all();
    }

    void read(xcb_record_enable_context_cookie_t cookie) {
        while (xcb_record_enable_context_reply_t *reply = xcb_record_enable_context_reply(data, cookie, nullptr)) {
            const bool end = reply->category == endOfData;
            if (reply->category == fromClient)
                take(xcb_record_enable_context_data(reply), xcb_record_enable_context_data_length(reply));
            std::free(reply);
            if (end)
                return;
        }
    }
};

XPropertyRecorder::XPropertyRecorder(const QString &display) : m_state(std::make_unique<State>()) {
    State &state = *m_state;
    const QByteArray name = display.toLocal8Bit();
    state.control = xcb_connect(name.constData(), nullptr);
    state.data = xcb_connect(name.constData(), nullptr);
    if (xcb_connection_has_error(state.control) || xcb_connection_has_error(state.data))
        return;
    const char *extension = "XInputExtension";
    xcb_query_extension_reply_t *input = xcb_query_extension_reply(
        state.control, xcb_query_extension(state.control, std::uint16_t(std::strlen(extension)), extension), nullptr);
    const bool present = input && input->present;
    const std::uint8_t major = input ? input->major_opcode : 0;
    std::free(input);
    std::free(xcb_record_query_version_reply(state.control, xcb_record_query_version(state.control, 1, 13), nullptr));
    if (!present)
        return;

    xcb_record_range_t range{};
    range.ext_requests.major = {major, major};
    range.ext_requests.minor = {xiChangeProperty, xiChangeProperty};
    const xcb_record_client_spec_t clients = XCB_RECORD_CS_FUTURE_CLIENTS;
    state.context = xcb_generate_id(state.control);
    xcb_generic_error_t *error = xcb_request_check(
        state.control, xcb_record_create_context_checked(state.control, state.context, 0, 1, 1, &clients, &range));
    if (error) {
        std::free(error);
        return;
    }
    const xcb_record_enable_context_cookie_t cookie = xcb_record_enable_context(state.data, state.context);
    xcb_flush(state.data);
    state.recording = true;
    state.reader = std::thread([&state, cookie] { state.read(cookie); });
}

XPropertyRecorder::~XPropertyRecorder() {
    State &state = *m_state;
    if (state.recording) {
        // Ending the recording sends the end-of-data reply the reader waits for.
        xcb_record_disable_context(state.control, state.context);
        xcb_flush(state.control);
        state.reader.join();
        xcb_record_free_context(state.control, state.context);
        xcb_flush(state.control);
    }
    if (state.control)
        xcb_disconnect(state.control);
    if (state.data)
        xcb_disconnect(state.data);
}

bool XPropertyRecorder::isRecording() const {
    return m_state->recording;
}

QList<XPropertyRecorder::Change> XPropertyRecorder::changes(int atLeast, int timeoutMs) const {
    QList<QByteArray> requests;
    {
        std::unique_lock lock(m_state->mutex);
        m_state->arrived.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [&] { return m_state->requests.size() >= atLeast; });
        requests = m_state->requests;
    }
    // XIChangeProperty: opcodes, length, device (16 bits), mode, format (byte 7), property, type, item count, items.
    QList<Change> changes;
    for (const QByteArray &request : requests) {
        Change change;
        change.property = m_state->atomName(read32<std::uint32_t>(request, 8));
        change.type = m_state->atomName(read32<std::uint32_t>(request, 12));
        const std::uint32_t count = read32<std::uint32_t>(request, 16);
        for (std::uint32_t i = 0; i < count && 20 + 4 * int(i) + 4 <= request.size() && request[7] == 32; ++i)
            change.items << read32<float>(request, 20 + 4 * int(i));
        changes << change;
    }
    return changes;
}
