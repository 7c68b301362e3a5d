#include "settings/catalogue_check.h"

#include <array>
#include <cstring>
#include <optional>
#include <vector>

namespace language {

namespace {

// The layout of Qt's .qm files (qtbase src/corelib/kernel/qtranslator.cpp): 16 bytes of magic, then blocks of a
// tag byte, a big-endian 32-bit length and that many bytes. A zero tag or length ends the block list.
constexpr std::array<unsigned char, 16> magic{0x3c, 0xb8, 0x64, 0x18, 0xca, 0xef, 0x9c, 0x95,
                                              0xcd, 0x21, 0x1c, 0xbf, 0x60, 0xa1, 0xbd, 0xdd};
enum BlockTag : unsigned char { Contexts = 0x2f, Hashes = 0x42, Messages = 0x69, Dependencies = 0x96 };
// The fields of one message; a lookup stops at End and at any tag it does not know.
enum MessageTag : unsigned char { End = 1, Translation = 3, Obsolete1 = 5, SourceText = 6, Context = 7, Comment = 8 };

using Block = QByteArrayView;

quint32 read32(Block block, qsizetype at) {
    const auto *p = reinterpret_cast<const unsigned char *>(block.data()) + at;
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]);
}

quint16 read16(Block block, qsizetype at) {
    const auto *p = reinterpret_cast<const unsigned char *>(block.data()) + at;
    return quint16(p[0] << 8 | p[1]);
}

unsigned char byteAt(Block block, qsizetype at) {
    return static_cast<unsigned char>(block[at]);
}

struct Blocks {
    std::optional<Block> contexts;
    std::optional<Block> hashes;
    std::optional<Block> messages;
};

// The blocks as the reader takes them: the last of each tag counts, trailing bytes too few for a block header are
// passed over. nullopt when a block runs past the end or names dependencies.
std::optional<Blocks> blocksOf(Block file) {
    Blocks blocks;
    auto at = qsizetype(magic.size());
    while (at < file.size() - 5) {
        const unsigned char tag = byteAt(file, at);
        const quint32 length = read32(file, at + 1);
        at += 5;
        if (tag == 0 || length == 0)
            break;
        if (quint64(file.size() - at) < length)
            return std::nullopt;
        const Block block = file.sliced(at, qsizetype(length));
        if (tag == Contexts)
            blocks.contexts = block;
        else if (tag == Hashes)
            blocks.hashes = block;
        else if (tag == Messages)
            blocks.messages = block;
        else if (tag == Dependencies)
            return std::nullopt;
        at += qsizetype(length);
    }
    return blocks;
}

// Follows chains through @p block (from the positions given to follows()) and remembers every position whose
// chain is known to end inside it, so that each position is walked once however many chains share it.
class ChainWalk {
public:
    explicit ChainWalk(Block block) : m_block(block), m_known(std::size_t(block.size()), false) {}

    Block block() const { return m_block; }
    bool known(qsizetype at) const { return m_known[std::size_t(at)]; }
    void settle(const std::vector<qsizetype> &walked) {
        for (const qsizetype at : walked)
            m_known[std::size_t(at)] = true;
    }

private:
    Block m_block;
    std::vector<bool> m_known;
};

// A chain of context names: a length byte and that many bytes each, ended by a zero length.
bool contextChainEnds(ChainWalk &walk, qsizetype at) {
    std::vector<qsizetype> walked;
    for (;;) {
        if (at >= walk.block().size())
            return false;
        if (walk.known(at))
            break;
        walked.push_back(at);
        const unsigned char length = byteAt(walk.block(), at);
        if (length == 0)
            break;
        at += 1 + length;
    }
    walk.settle(walked);
    return true;
}

// The context table: a 16-bit bucket count, that many 16-bit offsets (in 2-byte units after the buckets; 0: empty
// bucket), then the chains. The reader divides by the bucket count.
bool contextsHold(Block contexts) {
    if (contexts.size() < 2)
        return false;
    const qsizetype buckets = read16(contexts, 0);
    const qsizetype chains = 2 + 2 * buckets;
    if (buckets == 0 || chains > contexts.size())
        return false;
    ChainWalk walk(contexts);
    for (qsizetype bucket = 0; bucket < buckets; ++bucket) {
        const quint16 offset = read16(contexts, 2 + 2 * bucket);
        if (offset != 0 && !contextChainEnds(walk, chains + 2 * qsizetype(offset)))
            return false;
    }
    return true;
}

// One field of a message at @p at, its tag already read: where the next tag is, or nullopt when the field does
// not fit. A Comment's first byte is read even when it is empty, so one must follow its length.
std::optional<qsizetype> afterField(Block messages, unsigned char tag, qsizetype at) {
    const qsizetype left = messages.size() - at;
    if (left < 4)
        return std::nullopt;
    if (tag == Obsolete1)
        return at + 4;
    const quint32 length = read32(messages, at);
    if (quint64(left - 4) < length || (tag == Comment && left == 4))
        return std::nullopt;
    return at + 4 + qsizetype(length);
}

// A message as the lookup reads it: fields until End, an unknown tag or the end of the messages.
bool messageHolds(ChainWalk &walk, qsizetype at) {
    std::vector<qsizetype> walked;
    while (at < walk.block().size() && !walk.known(at)) {
        walked.push_back(at);
        const unsigned char tag = byteAt(walk.block(), at);
        if (tag != Translation && tag != Obsolete1 && tag != SourceText && tag != Context && tag != Comment)
            break;
        const std::optional<qsizetype> next = afterField(walk.block(), tag, at + 1);
        if (!next)
            return false;
        at = *next;
    }
    walk.settle(walked);
    return true;
}

// The hash table: 8-byte entries of a 32-bit hash and the 32-bit offset of a message.
bool hashesHold(Block hashes, const std::optional<Block> &messages) {
    if (hashes.size() % 8 != 0 || !messages)
        return false;
    ChainWalk walk(*messages);
    for (qsizetype entry = 0; entry < hashes.size(); entry += 8) {
        const quint32 offset = read32(hashes, entry + 4);
        if (offset >= quint64(messages->size()) || !messageHolds(walk, qsizetype(offset)))
            return false;
    }
    return true;
}

}  // namespace

bool isSoundCatalogue(QByteArrayView bytes) {
    if (bytes.size() < qsizetype(magic.size()) || std::memcmp(bytes.data(), magic.data(), magic.size()) != 0)
        return false;
    const std::optional<Blocks> blocks = blocksOf(bytes);
    return blocks && (!blocks->contexts || contextsHold(*blocks->contexts)) &&
           (!blocks->hashes || hashesHold(*blocks->hashes, blocks->messages));
}

}  // namespace language
