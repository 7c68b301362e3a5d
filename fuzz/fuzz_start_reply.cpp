// The reply to the calibration start query comes from the device: any bytes, any length, with any report id in
// use, may only be taken for a valid reply when they are exactly the 64-byte answer with the expected header.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstring>

#include "device/report.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 3)
        return 0;
    // The first two bytes pick the interface usage in use and the length hid_read_timeout claimed (-1..64).
    const int usages[] = {0x0000, 0x00A3, 0x00A2, 0x00A1};
    const int deviceUsage = usages[data[0] % 4];
    const int length = static_cast<int>(data[1] % 66) - 1;
    std::uint8_t reply[64] = {};
    std::memcpy(reply, data + 2, std::min<size_t>(size - 2, sizeof(reply)));

    const bool valid = device::isValidStartReply(reply, length, deviceUsage);
    const bool expected = length == 64 && reply[0] == device::expectedReplyId(deviceUsage) && reply[1] == 0x55 &&
                          reply[2] == 0x51 && reply[3] == 0xFF;
    FUZZ_CHECK(valid == expected);
    // With the default report id the frame answers with id 5, never with the id 6 the reports carry.
    if (deviceUsage == 0 && reply[0] == 6)
        FUZZ_CHECK(!valid);
    return 0;
}
