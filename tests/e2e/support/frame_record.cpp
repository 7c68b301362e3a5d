#include "support/frame_record.h"

#include <QFile>
#include <QSet>

namespace {

RecordLine parseLine(const QString &text) {
    RecordLine line;
    line.text = text;
    if (text.startsWith(QLatin1Char('#'))) {
        line.kind = QStringLiteral("#");
        return line;
    }
    // Everything after " bytes=" is the byte list; the rest is a kind followed by key=value words.
    const qsizetype bytesAt = text.indexOf(QStringLiteral(" bytes="));
    const QString head = bytesAt < 0 ? text : text.left(bytesAt);
    if (bytesAt >= 0)
        line.bytes = QByteArray::fromHex(text.mid(bytesAt + 7).toLatin1());
    const QStringList words = head.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    line.kind = words.value(0);
    for (const QString &word : words.mid(1))
        line.fields.insert(word.section(QLatin1Char('='), 0, 0), word.section(QLatin1Char('='), 1));
    return line;
}

}  // namespace

FrameRecord FrameRecord::read(const QString &path) {
    FrameRecord record;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return record;
    // Only whole lines: the frame flushes after each one, but a read may meet a line being written.
    const QString text = QString::fromUtf8(file.readAll());
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &line : lines.mid(0, lines.size() - 1))
        if (!line.isEmpty())
            record.m_lines << parseLine(line);
    return record;
}

QList<RecordLine> FrameRecord::ofKind(const QString &kind) const {
    QList<RecordLine> found;
    for (const RecordLine &line : m_lines)
        if (line.kind == kind)
            found << line;
    return found;
}

QByteArray FrameRecord::commandCodes() const {
    QByteArray codes;
    for (const RecordLine &write : ofKind(QStringLiteral("write")))
        codes += write.bytes.mid(2, 1);
    return codes;
}

QList<QByteArray> FrameRecord::reports(quint8 code) const {
    QList<QByteArray> found;
    for (const RecordLine &write : ofKind(QStringLiteral("write")))
        if (write.bytes.size() > 2 && quint8(write.bytes[2]) == code)
            found << write.bytes;
    return found;
}

RecordLine FrameRecord::stateAfter(quint8 code) const {
    for (qsizetype i = m_lines.size() - 2; i >= 0; --i) {
        const RecordLine &line = m_lines[i];
        if (line.kind == QStringLiteral("write") && line.bytes.size() > 2 && quint8(line.bytes[2]) == code &&
            m_lines[i + 1].kind == QStringLiteral("state"))
            return m_lines[i + 1];
    }
    return {};
}

bool FrameRecord::everyOpenClosed() const {
    QSet<QString> open;
    for (const RecordLine &line : m_lines) {
        const QString handle = line.fields.value(QStringLiteral("handle"));
        if (line.kind == QStringLiteral("open") && !handle.isEmpty())
            open.insert(handle);
        else if (line.kind == QStringLiteral("close") && !open.remove(handle))
            return false;
    }
    return open.isEmpty();
}

QString FrameRecord::text() const {
    QStringList lines;
    for (const RecordLine &line : m_lines)
        lines << line.text;
    return lines.join(QLatin1Char('\n'));
}

QString hexBytes(const QByteArray &bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}
