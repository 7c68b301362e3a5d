#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

/// One line of the virtual frame's record (tools/README.md): a call such as "write handle=1 length=63 result=63
/// bytes=A3 55 ...", a firmware "state ..." line after each write, or a "# ..." comment.
struct RecordLine {
    QString kind;                   ///< enumerate, open, free, write, read, close, state or #
    QMap<QString, QString> fields;  ///< the key=value pairs, bytes excluded
    QByteArray bytes;               ///< the bytes of a write or read
    QString text;                   ///< the whole line

    int number(const QString &key) const { return fields.value(key).toInt(); }
};

/// The record the preloaded virtual frame wrote for one run of the program, read from its file.
class FrameRecord {
public:
    /// Reads the record file at @p path; a missing file gives an empty record.
    static FrameRecord read(const QString &path);

    const QList<RecordLine> &lines() const { return m_lines; }

    /// The lines of one kind, in order.
    QList<RecordLine> ofKind(const QString &kind) const;

    /// The command code (byte 2) of every report written, in order.
    QByteArray commandCodes() const;

    /// The bytes of every report written with command @p code, in order.
    QList<QByteArray> reports(quint8 code) const;

    /// The firmware state line after the last write of command @p code; empty when there is none.
    RecordLine stateAfter(quint8 code) const;

    /// True when every successful open has a close of the same handle after it, and nothing else was closed.
    bool everyOpenClosed() const;

    /// The whole record, for failure messages.
    QString text() const;

private:
    QList<RecordLine> m_lines;
};

/// Bytes written as the record writes them: upper-case hexadecimal pairs separated by spaces.
QString hexBytes(const QByteArray &bytes);
