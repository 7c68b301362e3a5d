#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Files the program reads whole: its settings file, its catalogue, the desktop's key files. Each kind has a size no
// real file comes near; a larger one is refused unread, so that a stray huge (or sparse) file can neither stall the
// start nor exhaust the memory.

namespace platform {

/// Settings files and the desktop's key files (INI, desktop entries): 1 MiB.
inline constexpr qint64 keyFileLimit = qint64(1) << 20;
/// The translation catalogue: 16 MiB.
inline constexpr qint64 catalogueLimit = qint64(16) << 20;

/// What looking at (or reading) a file found.
struct FileRead {
    enum class Status {
        Read,        ///< a regular file within the limit; bytes holds it when it was read
        Missing,     ///< nothing at the path, or a folder on the way is missing
        NotAFile,    ///< a folder, a FIFO, a device or a socket: never read
        TooLarge,    ///< a regular file beyond the limit: never read
        Unreadable,  ///< it could not be opened or read (no permission, an I/O error)
    };
    Status status = Status::Missing;
    QByteArray bytes;
    qint64 size = 0;  ///< TooLarge: the file's size in bytes
    QString kind;     ///< NotAFile: what is there ("a folder", "a FIFO", "a device", "a socket", "a special file")
    QString error;    ///< Unreadable: the system's reason
};

/// Opens @p path for reading without waiting (a FIFO would wait for a writer, a terminal would become the
/// program's) and judges what the opened file is, by its type and size: so what is judged is what would be read.
/// Links are followed. Nothing is read: bytes stays empty.
FileRead checkFile(const QString &path, qint64 limit);

/// checkFile(), then the whole content of a regular file of at most @p limit bytes from the same opened file. A
/// file that grows past the limit while it is read is TooLarge.
FileRead readWholeFile(const QString &path, qint64 limit);

}  // namespace platform
