#include "platform/user_file.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include "platform/file_read.h"

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

// The name of a temporary file beside a target called @p fileName: "." + name + "." + 8 lower-case hexadecimal digits.
QByteArray siblingName(const QByteArray &fileName, quint32 number) {
    return '.' + fileName + '.' + QByteArray::number(number, 16).rightJustified(8, '0');
}

bool isSiblingName(const char *entry, const QByteArray &fileName) {
    const QByteArray name(entry);
    const qsizetype stem = fileName.size() + 2;
    if (name.size() != stem + 8 || !name.startsWith('.' + fileName + '.'))
        return false;
    return std::all_of(name.cbegin() + stem, name.cend(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// Removes what writes killed half-way left beside @p path: regular files of this user named as createSibling names
// them. Links, folders and other users' files of that name stay, and no link is followed (fstatat, unlinkat).
void removeLeftovers(const QString &path) {
    const QFileInfo target(path);
    const QByteArray fileName = QFile::encodeName(target.fileName());
    DIR *folder = ::opendir(QFile::encodeName(target.path()).constData());
    if (!folder)
        return;
    const int folderFd = ::dirfd(folder);
    while (const dirent *entry = ::readdir(folder)) {
        struct stat info {};
        if (isSiblingName(entry->d_name, fileName) &&
            ::fstatat(folderFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) &&
            ownedByUs(info))
            ::unlinkat(folderFd, entry->d_name, 0);
    }
    ::closedir(folder);
}

// A new file beside the target, never one that was there (O_EXCL and O_NOFOLLOW), made with @p mode (less the
// umask) before anything is in it.
int createSibling(const QString &path, mode_t mode, QByteArray *siblingPath) {
    const QFileInfo target(path);
    const QByteArray folder = QFile::encodeName(target.path()) + '/';
    const QByteArray fileName = QFile::encodeName(target.fileName());
    for (int attempt = 0; attempt < 16; ++attempt) {
        *siblingPath = folder + siblingName(fileName, QRandomGenerator::global()->generate());
        const int fd = ::open(siblingPath->constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Gives the new file the old one's group (a courtesy: a user outside that group cannot, and the file is still
// theirs) and then its permission bits, which a change of group could have cut short.
bool takeOver(int fd, const struct stat &old) {
    [[maybe_unused]] const int groupKept = ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    return ::fchmod(fd, old.st_mode & 07777) == 0;
}

}  // namespace

UserFileContent readUserFile(const QString &path) {
    FileRead file = readWholeFile(path, keyFileLimit);
    switch (file.status) {
        case FileRead::Status::Read:
            return {UserFileContent::Status::Read, std::move(file.bytes)};
        case FileRead::Status::Missing:
            return {UserFileContent::Status::Missing, {}};
        case FileRead::Status::NotAFile:
        case FileRead::Status::TooLarge:
        case FileRead::Status::Unreadable:
            break;
    }
    return {UserFileContent::Status::Unreadable, {}};
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

    removeLeftovers(path);
    // A replacement starts private and takes the old file's group and mode before the first byte, so the content
    // is never readable by more people than the old file allowed; a new file gets 0666 less the umask.
    QByteArray sibling;
    const int fd = createSibling(path, replacing ? S_IRUSR | S_IWUSR : 0666, &sibling);
    if (fd < 0)
        return false;
    bool done = (!replacing || takeOver(fd, old)) && writeAll(fd, bytes);
    done = done && ::fsync(fd) == 0;
    done = ::close(fd) == 0 && done;
    // rename() replaces the directory entry itself: a link put there meanwhile is replaced, never followed.
    done = done && ::rename(sibling.constData(), QFile::encodeName(path).constData()) == 0;
    if (!done)
        ::unlink(sibling.constData());
    return done;
}

}  // namespace platform
