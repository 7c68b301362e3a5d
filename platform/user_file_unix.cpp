#include "platform/user_file.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

namespace platform {

namespace {

bool ownedByUs(const struct stat &info) {
    return info.st_uid == geteuid();
}

// The folder must be ours before anything is created in it: root running with a user's XDG_CONFIG_HOME would
// otherwise leave root-owned files and folders in that user's home.
bool prepareFolder(const QString &folder) {
    QString existing = folder;
    struct stat info {};
    while (::stat(QFile::encodeName(existing).constData(), &info) != 0) {
        if (errno != ENOENT)
            return false;
        const QString parent = QFileInfo(existing).path();
        if (parent == existing)
            return false;
        existing = parent;
    }
    if (!S_ISDIR(info.st_mode) || !ownedByUs(info))
        return false;
    return existing == folder || QDir().mkpath(folder);
}

bool writeAll(int fd, const QByteArray &bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

// A new file beside the target, never one that was there: O_EXCL and O_NOFOLLOW.
int createSibling(const QString &path, QByteArray *siblingPath) {
    const QFileInfo target(path);
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString name = QStringLiteral(".%1.%2")
                                 .arg(target.fileName())
                                 .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        *siblingPath = QFile::encodeName(target.dir().filePath(name));
        const int fd = ::open(siblingPath->constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

}  // namespace

UserFileContent readUserFile(const QString &path) {
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below like any other non-file.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {errno == ENOENT || errno == ENOTDIR ? UserFileContent::Status::Missing
                                                    : UserFileContent::Status::Unreadable,
                {}};
    UserFileContent content{UserFileContent::Status::Unreadable, {}};
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        content.status = UserFileContent::Status::Read;
        char buffer[8192];
        for (;;) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                content = {UserFileContent::Status::Unreadable, {}};
            if (got <= 0)
                break;
            content.bytes.append(buffer, got);
        }
    }
    ::close(fd);
    return content;
}

bool writeUserFile(const QString &path, const QByteArray &bytes) {
    if (!prepareFolder(QFileInfo(path).path()))
        return false;

    struct stat old {};
    const bool replacing = ::lstat(QFile::encodeName(path).constData(), &old) == 0;
    if (!replacing && errno != ENOENT)
        return false;
    // A link is refused rather than replaced: it may be the user's own (dotfiles) and must not be broken either.
    if (replacing && (!S_ISREG(old.st_mode) || !ownedByUs(old)))
        return false;

    QByteArray sibling;
    const int fd = createSibling(path, &sibling);
    if (fd < 0)
        return false;
    bool done = writeAll(fd, bytes);
    if (done && replacing) {
        done = ::fchmod(fd, old.st_mode & 07777) == 0;
        // Keeping the group is a courtesy: a user outside that group cannot, and the file is still theirs.
        [[maybe_unused]] const int groupKept = ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    }
    done = done && ::fsync(fd) == 0;
    done = ::close(fd) == 0 && done;
    // rename() replaces the directory entry itself: a link put there meanwhile is replaced, never followed.
    done = done && ::rename(sibling.constData(), QFile::encodeName(path).constData()) == 0;
    if (!done)
        ::unlink(sibling.constData());
    return done;
}

}  // namespace platform
