#include "device/report_descriptor.h"

#include <array>

namespace device {
namespace {

// Item layout: a prefix byte  tttt TT SS  (tag, type, size code 0/1/2/4 bytes), then the data little endian.
// A prefix of 0xFE starts a long item: data size, long tag, data; no long items are defined, they are skipped.
constexpr std::uint8_t longItemPrefix = 0xFE;
enum ItemType : std::uint8_t { mainItem = 0, globalItem = 1, localItem = 2 };
enum MainTag : std::uint8_t { outputTag = 0x9, collectionTag = 0xA, endCollectionTag = 0xC };
enum GlobalTag : std::uint8_t {
    reportSizeTag = 0x7,
    reportIdTag = 0x8,
    reportCountTag = 0x9,
    pushTag = 0xA,
    popTag = 0xB
};

// The kernel's limits (drivers/hid/hid-core.c): a descriptor beyond them never gets a hidraw node.
constexpr std::uint32_t maxReportSize = 256;
constexpr std::uint32_t maxReportCount = 12288;
constexpr std::size_t globalStackDepth = 4;
constexpr std::uint64_t maxReportBits = std::uint64_t(maxPaddedLength - 1) * 8;

struct GlobalState {
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint8_t reportId = 0;
};

struct Item {
    std::uint8_t type = 0;
    std::uint8_t tag = 0;
    std::uint32_t value = 0;
};

class Parser {
public:
    Parser(const std::uint8_t *data, std::size_t size) : m_data(data), m_size(size) {}

    std::optional<OutputReports> run() {
        while (m_position < m_size) {
            const std::optional<Item> item = next();
            if (!item || !apply(*item))
                return std::nullopt;
        }
        if (m_depth != 0)
            return std::nullopt;
        return m_reports;
    }

private:
    // The next short item, with long items skipped; nullopt when the bytes run out inside an item.
    std::optional<Item> next() {
        const std::uint8_t prefix = m_data[m_position];
        if (prefix == longItemPrefix) {
            if (m_size - m_position < 3 || m_size - m_position - 3 < m_data[m_position + 1])
                return std::nullopt;
            m_position += 3 + std::size_t(m_data[m_position + 1]);
            return Item{localItem, 0xF, 0};  // a no-op for apply()
        }
        const std::size_t dataSize = (prefix & 0x3) == 3 ? 4 : (prefix & 0x3);
        if (m_size - m_position - 1 < dataSize)
            return std::nullopt;
        Item item{std::uint8_t((prefix >> 2) & 0x3), std::uint8_t(prefix >> 4), 0};
        for (std::size_t i = 0; i < dataSize; ++i)
            item.value |= std::uint32_t(m_data[m_position + 1 + i]) << (8 * i);
        m_position += 1 + dataSize;
        return item;
    }

    bool apply(const Item &item) {
        if (item.type == mainItem)
            return applyMain(item.tag);
        if (item.type == globalItem)
            return applyGlobal(item);
        return true;  // local and reserved items say nothing about report lengths
    }

    bool applyMain(std::uint8_t tag) {
        switch (tag) {
            case outputTag: {
                std::uint64_t &bits = m_reports.bits[m_global.reportId];
                bits += std::uint64_t(m_global.reportSize) * m_global.reportCount;
                return bits <= maxReportBits;
            }
            case collectionTag:
                ++m_depth;
                return true;
            case endCollectionTag:
                if (m_depth == 0)
                    return false;
                --m_depth;
                return true;
            default:
                return true;
        }
    }

    bool applyGlobal(const Item &item) {
        switch (item.tag) {
            case reportSizeTag:
                m_global.reportSize = item.value;
                return item.value <= maxReportSize;
            case reportCountTag:
                m_global.reportCount = item.value;
                return item.value <= maxReportCount;
            case reportIdTag:
                m_global.reportId = std::uint8_t(item.value);
                m_reports.numbered = true;
                return item.value != 0 && item.value <= 0xFF;
            case pushTag:
                if (m_stackSize == globalStackDepth)
                    return false;
                m_stack[m_stackSize++] = m_global;
                return true;
            case popTag:
                if (m_stackSize == 0)
                    return false;
                m_global = m_stack[--m_stackSize];
                return true;
            default:
                return true;
        }
    }

    const std::uint8_t *m_data;
    std::size_t m_size;
    std::size_t m_position = 0;
    std::size_t m_depth = 0;
    GlobalState m_global;
    std::array<GlobalState, globalStackDepth> m_stack{};
    std::size_t m_stackSize = 0;
    OutputReports m_reports;
};

}  // namespace

std::optional<OutputReports> parseOutputReports(const std::uint8_t *data, std::size_t size) {
    if (!data && size != 0)
        return std::nullopt;
    return Parser(data, size).run();
}

std::size_t outputWriteLength(const OutputReports &reports, std::uint8_t reportId) {
    const auto found = reports.bits.find(reports.numbered ? reportId : 0);
    if (found == reports.bits.end() || found->second == 0)
        return 0;
    const auto bytes = std::size_t((found->second + 7) / 8);
    return reports.numbered ? bytes + 1 : bytes;
}

}  // namespace device
