#include "platform/key_file_lines.h"

namespace platform {

namespace {
const QByteArray byteOrderMark("\xEF\xBB\xBF");
}  // namespace

KeyFileLines::KeyFileLines(const QByteArray &bytes) {
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype newline = bytes.indexOf('\n', start);
        if (newline < 0) {
            m_lines.append({bytes.mid(start), {}});
            break;
        }
        const bool crlf = newline > start && bytes[newline - 1] == '\r';
        const qsizetype textEnd = crlf ? newline - 1 : newline;
        m_lines.append({bytes.mid(start, textEnd - start), crlf ? QByteArray("\r\n") : QByteArray("\n")});
        start = newline + 1;
    }
}

QByteArray KeyFileLines::bytes() const {
    QByteArray out;
    for (const Line &line : m_lines)
        out += line.text + line.end;
    return out;
}

QByteArray KeyFileLines::lineEnd() const {
    for (const Line &line : m_lines)
        if (!line.end.isEmpty())
            return line.end;
    return QByteArray("\n");
}

std::optional<QByteArray> KeyFileLines::groupOf(qsizetype index) const {
    QByteArray text = m_lines[index].text;
    if (index == 0 && text.startsWith(byteOrderMark))
        text = text.mid(byteOrderMark.size());
    text = text.trimmed();
    if (!text.startsWith('[') || !text.endsWith(']'))
        return std::nullopt;
    return text.mid(1, text.size() - 2);
}

QByteArray KeyFileLines::keyOf(qsizetype index) const {
    const QByteArray text = m_lines[index].text.trimmed();
    const qsizetype equals = text.indexOf('=');
    if (text.startsWith('#') || equals <= 0)
        return {};
    return text.left(equals).trimmed();
}

std::optional<QByteArray> KeyFileLines::value(const QByteArray &group, const QByteArray &key) const {
    std::optional<QByteArray> found;
    bool inGroup = false;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (const auto header = groupOf(i)) {
            inGroup = *header == group;
        } else if (inGroup && keyOf(i) == key) {
            const QByteArray &text = m_lines[i].text;
            found = text.mid(text.indexOf('=') + 1).trimmed();
        }
    }
    return found;
}

void KeyFileLines::setValue(const QByteArray &group, const QByteArray &key, const QByteArray &value) {
    const QByteArray text = key + '=' + value;
    bool inGroup = false;
    bool replaced = false;
    int groupsSeen = 0;
    qsizetype insertAt = -1;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (const auto header = groupOf(i)) {
            inGroup = *header == group;
            if (inGroup && ++groupsSeen == 1)
                insertAt = i + 1;
            continue;
        }
        if (!inGroup)
            continue;
        if (keyOf(i) == key) {
            m_lines[i].text = text;
            replaced = true;
        }
        if (groupsSeen == 1 && !m_lines[i].text.trimmed().isEmpty())
            insertAt = i + 1;
    }
    if (replaced)
        return;

    const QByteArray end = lineEnd();
    if (insertAt < 0)
        insertAt = m_lines.size();  // no such group yet: it goes at the end
    // A line added after a last line without a line end must not run on from it.
    if (insertAt == m_lines.size() && !m_lines.isEmpty() && m_lines.last().end.isEmpty())
        m_lines.last().end = end;
    if (groupsSeen > 0) {
        m_lines.insert(insertAt, {text, end});
        return;
    }
    if (!m_lines.isEmpty() && !m_lines.last().text.trimmed().isEmpty())
        m_lines.append({{}, end});
    m_lines.append({'[' + group + ']', end});
    m_lines.append({text, end});
}

void KeyFileLines::removeKey(const QByteArray &group, const QByteArray &key) {
    bool inGroup = false;
    for (qsizetype i = 0; i < m_lines.size();) {
        if (const auto header = groupOf(i))
            inGroup = *header == group;
        else if (inGroup && keyOf(i) == key) {
            m_lines.removeAt(i);
            continue;
        }
        ++i;
    }
}

}  // namespace platform
