#include <algorithm>

#include "virtual_frame_state.h"

// What the frame's firmware does with the reports that reach it.

namespace virtual_frame::detail {

namespace {

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

}  // namespace

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

}  // namespace virtual_frame::detail
