#include "support/x_property_recorder.h"

#include <xcb/record.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

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

XPropertyRecorder::XPropertyRecorder(const QString &display) {
    const QByteArray name = display.toLocal8Bit();
    m_control = xcb_connect(name.constData(), nullptr);
    m_data = xcb_connect(name.constData(), nullptr);
    if (xcb_connection_has_error(m_control) || xcb_connection_has_error(m_data))
        return;
    const char *extension = "XInputExtension";
    xcb_query_extension_reply_t *input = xcb_query_extension_reply(
        m_control, xcb_query_extension(m_control, std::uint16_t(std::strlen(extension)), extension), nullptr);
    const bool present = input && input->present;
    const std::uint8_t major = input ? input->major_opcode : 0;
    std::free(input);
    std::free(xcb_record_query_version_reply(m_control, xcb_record_query_version(m_control, 1, 13), nullptr));
    if (!present)
        return;

    xcb_record_range_t range{};
    range.ext_requests.major = {major, major};
    range.ext_requests.minor = {xiChangeProperty, xiChangeProperty};
    const xcb_record_client_spec_t clients = XCB_RECORD_CS_FUTURE_CLIENTS;
    m_context = xcb_generate_id(m_control);
    xcb_generic_error_t *error = xcb_request_check(
        m_control, xcb_record_create_context_checked(m_control, m_context, 0, 1, 1, &clients, &range));
    if (error) {
        std::free(error);
        return;
    }
    // The server sends what it records as replies to this request, until the recording is disabled.
    m_sequence = xcb_record_enable_context(m_data, m_context).sequence;
    xcb_flush(m_data);
    m_recording = true;
}

XPropertyRecorder::~XPropertyRecorder() {
    if (m_recording)
        changes();
    if (m_context) {
        xcb_record_free_context(m_control, m_context);
        xcb_flush(m_control);
    }
    xcb_disconnect(m_control);
    xcb_disconnect(m_data);
}

QString XPropertyRecorder::atomName(std::uint32_t atom) const {
    xcb_get_atom_name_reply_t *reply = xcb_get_atom_name_reply(m_control, xcb_get_atom_name(m_control, atom), nullptr);
    if (!reply)
        return {};
    QString name = QString::fromLatin1(xcb_get_atom_name_name(reply), xcb_get_atom_name_name_length(reply));
    std::free(reply);
    return name;
}

QList<XPropertyRecorder::Change> XPropertyRecorder::changes() {
    if (!m_recording)
        return {};
    m_recording = false;
    // Disabling flushes what the server still holds and ends the replies with end-of-data.
    xcb_record_disable_context(m_control, m_context);
    xcb_flush(m_control);
    QList<QByteArray> requests;
    while (xcb_record_enable_context_reply_t *reply = xcb_record_enable_context_reply(m_data, {m_sequence}, nullptr)) {
        const bool end = reply->category == endOfData;
        // A reply may carry several requests; each starts with its length in 4-byte units (at byte 2).
        const std::uint8_t *bytes = xcb_record_enable_context_data(reply);
        const int length = xcb_record_enable_context_data_length(reply);
        for (int offset = 0; reply->category == fromClient && offset + 4 <= length;) {
            const int size = 4 * (bytes[offset + 2] | bytes[offset + 3] << 8);
            if (size < 20 || offset + size > length)
                break;
            requests << QByteArray(reinterpret_cast<const char *>(bytes + offset), size);
            offset += size;
        }
        std::free(reply);
        if (end)
            break;
    }
    // XIChangeProperty: opcodes, length, device (16 bits), mode, format (byte 7), property, type, item count, items.
    QList<Change> changes;
    for (const QByteArray &request : requests) {
        Change change{atomName(read32<std::uint32_t>(request, 8)), atomName(read32<std::uint32_t>(request, 12)), {}};
        const auto count = read32<std::uint32_t>(request, 16);
        for (std::uint32_t i = 0; i < count && 20 + 4 * int(i) + 4 <= request.size() && request[7] == 32; ++i)
            change.items << read32<float>(request, 20 + 4 * int(i));
        changes << change;
    }
    return changes;
}
