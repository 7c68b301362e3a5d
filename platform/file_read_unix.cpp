#include "platform/file_read.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

namespace platform {

namespace {

QString kindOf(mode_t mode) {
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a FIFO");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("a special file");
}

FileRead unreadable(int error) {
    FileRead read;
    read.status = FileRead::Status::Unreadable;
    read.error = QString::fromLocal8Bit(std::strerror(error));
    return read;
}

// Judges the open file @p fd; Read leaves the descriptor ready for reading from its start.
FileRead judge(int fd, qint64 limit) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return unreadable(errno);
    FileRead read;
    if (!S_ISREG(info.st_mode)) {
        read.status = FileRead::Status::NotAFile;
        read.kind = kindOf(info.st_mode);
    } else if (info.st_size > limit) {
        read.status = FileRead::Status::TooLarge;
        read.size = info.st_size;
    } else {
        read.status = FileRead::Status::Read;
    }
    return read;
}

// Reads at most limit + 1 bytes, so that a file grown since fstat is seen to be too large without reading it all.
void readContent(int fd, qint64 limit, FileRead &read) {
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            read = unreadable(errno);
            return;
        }
        if (got == 0)
            return;
        read.bytes.append(buffer, got);
        if (read.bytes.size() > limit) {
            read.status = FileRead::Status::TooLarge;
            read.size = read.bytes.size();
            read.bytes.clear();
            return;
        }
    }
}

FileRead openAndJudge(const QString &path, qint64 limit, bool readIt) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return {};
        return unreadable(errno);
    }
    FileRead read = judge(fd, limit);
    if (readIt && read.status == FileRead::Status::Read)
        readContent(fd, limit, read);
    ::close(fd);
    return read;
}

}  // namespace

FileRead checkFile(const QString &path, qint64 limit) {
    return openAndJudge(path, limit, false);
}

FileRead readWholeFile(const QString &path, qint64 limit) {
    return openAndJudge(path, limit, true);
}

}  // namespace platform
