// The English catalogue is a file beside the program that anyone installing it may replace, and Qt's translator
// trusts the offsets inside it. Whatever the check passes must be readable by the translator without leaving the
// bytes: every text of the program is looked up, and every context, source text and comment the file names itself,
// so that each message a lookup can reach is read (AddressSanitizer reports any read outside the input).
#include <cstddef>
#include <cstdint>
#include <vector>

#include <QByteArray>
#include <QTranslator>

#include "fuzz_check.h"
#include "settings/catalogue_check.h"

namespace {

struct Key {
    QByteArray context;
    QByteArray source;
    QByteArray comment;
};

const std::vector<Key> &programTexts() {
    static const std::vector<Key> keys{{"Form", "清除校准", ""},
                                       {"Form", "未检测到设备,请检查连接!", ""},
                                       {"Form", "确认要<b>清除</b>校准?", ""},
                                       {"Dialog", "保存", ""},
                                       {"QObject", "Orvessa", ""}};
    return keys;
}

quint32 read32(const uint8_t *p) {
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]);
}

// The keys the messages carry, read one message after another from the start of the messages block: the fields
// Context (7), SourceText (6) and Comment (8), up to each End (1). Stops at anything else.
std::vector<Key> keysOfMessages(const uint8_t *data, size_t size) {
    const uint8_t *messages = nullptr;
    size_t messagesSize = 0;
    for (size_t at = 16; at + 5 < size;) {
        const uint8_t tag = data[at];
        const quint32 length = read32(data + at + 1);
        if (tag == 0 || length == 0 || length > size - at - 5)
            break;
        if (tag == 0x69) {
            messages = data + at + 5;
            messagesSize = length;
        }
        at += 5 + length;
    }
    std::vector<Key> keys(1);
    for (size_t at = 0; messages && at + 5 <= messagesSize;) {
        const uint8_t tag = messages[at];
        if (tag == 1) {
            keys.emplace_back();
            ++at;
            continue;
        }
        if (tag < 3 || tag > 8 || tag == 4)
            break;
        const quint32 length = tag == 5 ? 0 : read32(messages + at + 1);
        if (length > messagesSize - at - 5)
            break;
        const auto field = QByteArray(reinterpret_cast<const char *>(messages + at + 5), qsizetype(length));
        (tag == 7 ? keys.back().context : tag == 6 ? keys.back().source : keys.back().comment) = field;
        at += 5 + length;
    }
    return keys;
}

void lookUp(const QTranslator &translator, const Key &key) {
    (void)translator.translate(key.context.constData(), key.source.constData(), key.comment.constData());
    (void)translator.translate(key.context.constData(), key.source.constData(), key.comment.constData(), 2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const bool sound = language::isSoundCatalogue(QByteArrayView(data, qsizetype(size)));
    // Judging the same bytes again gives the same answer: the check keeps no state between files.
    FUZZ_CHECK(language::isSoundCatalogue(QByteArrayView(data, qsizetype(size))) == sound);
    if (!sound)
        return 0;
    QTranslator translator;
    if (!translator.load(data, int(size)))
        return 0;
    for (const Key &key : programTexts())
        lookUp(translator, key);
    for (const Key &key : keysOfMessages(data, size))
        lookUp(translator, key);
    return 0;
}
