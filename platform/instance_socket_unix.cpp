#include "platform/instance_socket.h"

#include <cerrno>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

namespace {

// Qt keeps room for a leading and a trailing NUL in the address (abstract names on Linux), so a path may use all but
// two bytes of sun_path.
constexpr qsizetype socketPathLimit = sizeof(sockaddr_un::sun_path) - 2;

QByteArray encoded(const QString &path) {
    return QFile::encodeName(path);
}

// A folder, not a link, owned by the user the program runs as, that no one else may write to.
bool isPrivateFolder(const QString &path) {
    struct stat info {};
    return ::lstat(encoded(path).constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
           (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

QString cacheFolder() {
    const QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    return QDir::isAbsolutePath(cache) ? cache : QDir::homePath() + QStringLiteral("/.cache");
}

// The folders tried in order. The session's runtime folder is used as it is; the others are the program's own,
// made here. The temporary folder comes before the home folder because it is local to the machine: a home folder
// shared over the network would let copies on two machines meet.
QString privateFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && isPrivateFolder(runtime))
        return runtime;
    const QString ownName = QStringLiteral("/orvessa-runtime-") + QString::number(::geteuid());
    for (const QString &parent : {QDir::tempPath(), cacheFolder()}) {
        const QString folder = parent + ownName;
        QDir().mkpath(parent);
        // mkdir() does not follow a link in the final component; an existing folder is checked like any other.
        (void)::mkdir(encoded(folder).constData(), S_IRWXU);
        if (isPrivateFolder(folder))
            return folder;
    }
    return {};
}

QString socketPathIn(const QString &folder, const QString &executableFileName) {
    const QString path = folder + QLatin1Char('/') + executableFileName;
    if (encoded(path).size() <= socketPathLimit)
        return path;
    const QByteArray digest = QCryptographicHash::hash(executableFileName.toUtf8(), QCryptographicHash::Sha1);
    return folder + QStringLiteral("/instance-") + QString::fromLatin1(digest.toHex().left(16));
}

}  // namespace

QString instanceSocketName(const QString &executableFileName) {
    const QString folder = privateFolder();
    if (folder.isEmpty())
        return {};
    const QString path = socketPathIn(folder, executableFileName);
    return encoded(path).size() <= socketPathLimit ? path : QString();
}

bool clearStaleInstanceSocket(const QString &socketName) {
    struct stat info {};
    const QByteArray path = encoded(socketName);
    return ::lstat(path.constData(), &info) == 0 && S_ISSOCK(info.st_mode) && ::unlink(path.constData()) == 0;
}

InstanceLock::InstanceLock(const QString &socketName) {
    if (socketName.isEmpty())
        return;
    // No O_EXCL and no removal at the end: a lock file that is deleted and made anew can be held by two copies at
    // once (one still holding the deleted file). A folder, a link or anything unopenable there leaves no lock.
    const int fd = ::open(encoded(socketName + QStringLiteral(".lock")).constData(),
                          O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0)
        return;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        m_handle = fd;
        m_state = State::Held;
        return;
    }
    m_state = errno == EWOULDBLOCK ? State::HeldElsewhere : State::Unavailable;
    ::close(fd);
}

InstanceLock::~InstanceLock() {
    if (m_handle >= 0)
        ::close(static_cast<int>(m_handle));
}

}  // namespace platform
