#pragma once

#include <optional>

#include <QByteArray>
#include <QList>

namespace platform {

/// An INI-style file ("[Group]" lines, "key=value" lines, '#' comments) edited as bytes, the way GLib key files
/// (GTK's settings.ini, desktop entries) and KDE's config files are laid out. Only the lines that are set or
/// removed change; every other byte stays as it was: comments in any encoding, a UTF-8 byte order mark, CRLF line
/// ends, a missing final line end, spacing around '='.
class KeyFileLines {
public:
    explicit KeyFileLines(const QByteArray &bytes = {});

    /// The file as bytes, with the edits.
    QByteArray bytes() const;

    /// The value of the last line of @p key in every [@p group] (GLib and KConfig let later lines win), trimmed;
    /// no value when there is none. Keys are compared exactly, after trimming the spaces around them.
    std::optional<QByteArray> value(const QByteArray &group, const QByteArray &key) const;

    /// Sets @p key to @p value in [@p group]: every existing line of the key becomes "key=value" (keeping its line
    /// end); without one the line is added after the last non-blank line of the first [@p group]; without that
    /// group, the group and the line are added at the end. New lines take the file's line end (CRLF when the
    /// first line end is CRLF).
    void setValue(const QByteArray &group, const QByteArray &key, const QByteArray &value);

    /// Removes every line of @p key in [@p group].
    void removeKey(const QByteArray &group, const QByteArray &key);

private:
    struct Line {
        QByteArray text;  // without its line end
        QByteArray end;   // "\n", "\r\n", or empty for a last line without one
    };

    QByteArray lineEnd() const;
    /// The group a header line opens, without brackets; no value for any other line.
    std::optional<QByteArray> groupOf(qsizetype index) const;
    QByteArray keyOf(qsizetype index) const;

    QList<Line> m_lines;
};

}  // namespace platform
