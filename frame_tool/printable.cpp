#include "frame_tool/printable.h"

namespace frame_tool {

namespace {

bool isControl(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

QString escaped(char16_t c) {
    switch (c) {
        case u'\b':
            return QStringLiteral("\\b");
        case u'\f':
            return QStringLiteral("\\f");
        case u'\n':
            return QStringLiteral("\\n");
        case u'\r':
            return QStringLiteral("\\r");
        case u'\t':
            return QStringLiteral("\\t");
        default:
            return QStringLiteral("\\u%1").arg(uint(c), 4, 16, QLatin1Char('0'));
    }
}

// Calls @p take with each UTF-16 unit of @p text: a surrogate pair as its two units, a lone surrogate as U+FFFD.
template <typename Take>
void forEachUnit(QStringView text, Take take) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            take(c.unicode());
            take(text[++i].unicode());
        } else {
            take(c.isSurrogate() ? char16_t(QChar::ReplacementCharacter) : c.unicode());
        }
    }
}

}  // namespace

QString printable(QStringView text) {
    QString shown;
    shown.reserve(text.size());
    forEachUnit(text, [&](char16_t c) {
        if (isControl(c))
            shown += escaped(c);
        else
            shown += QChar(c);
    });
    return shown;
}

QString wholeCharacters(QStringView text) {
    QString whole;
    whole.reserve(text.size());
    forEachUnit(text, [&](char16_t c) { whole += QChar(c); });
    return whole;
}

}  // namespace frame_tool
