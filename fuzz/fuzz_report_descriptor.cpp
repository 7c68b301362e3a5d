// libFuzzer target for the report descriptor parser: descriptors come from devices, so any bytes must parse or be
// refused without reading outside them, and what parses must give lengths the padding can use.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "device/report_descriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const auto reports = device::parseOutputReports(data, size);
    if (!reports)
        return 0;
    for (int id = 0; id <= 0xFF; ++id) {
        const std::size_t length = device::outputWriteLength(*reports, std::uint8_t(id));
        // A report is at most maxPaddedLength - 1 bytes of data; with its id byte it fits the limit.
        if (length > device::maxPaddedLength)
            std::abort();
        if (!reports->numbered && length != device::outputWriteLength(*reports, 0))
            std::abort();
    }
    return 0;
}
