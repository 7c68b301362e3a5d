#include "platform/instance_socket.h"

#include <cerrno>
#include <cstring>

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
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

// A folder, not a link, owned by the user the program runs as, to which no one else has any access: a folder
// others may search lets them reach the socket in it, whatever the socket's own mode.
bool isPrivateFolder(const QString &path) {
    struct stat info {};
    return ::lstat(encoded(path).constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
           (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

QString cacheFolder() {
    const QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    return QDir::isAbsolutePath(cache) ? cache : QDir::homePath() + QStringLiteral("/.cache");
}

// The folders tried in order. The session's runtime folder is used as it is; the others are the program's own,
// made here. The temporary folder comes before the home folder because it is local to the machine: a home folder
// shared over the network would let copies on two machines meet.
QString privateFolder() {
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && isPrivateFolder(runtime))
        return runtime;
    const QString ownName = QStringLiteral("/orvessa-runtime-") + QString::number(::geteuid());
    for (const QString &parent : {QDir::tempPath(), cacheFolder()}) {
        QString folder = parent + ownName;
        QDir().mkpath(parent);
        // mkdir() does not follow a link in the final component; an existing folder is checked like any other.
        (void)::mkdir(encoded(folder).constData(), S_IRWXU);
        if (isPrivateFolder(folder))
            return folder;
    }
    return {};
}

QString socketPathIn(const QString &folder, const QString &executableFileName) {
    QString path = folder + QLatin1Char('/') + executableFileName;
    if (encoded(path).size() <= socketPathLimit)
        return path;
    const QByteArray digest = QCryptographicHash::hash(executableFileName.toUtf8(), QCryptographicHash::Sha1);
    return folder + QStringLiteral("/instance-") + QString::fromLatin1(digest.toHex().left(16));
}

bool socketAddress(const QString &name, sockaddr_un &address) {
    const QByteArray path = encoded(name);
    if (path.isEmpty() || path.size() > socketPathLimit)
        return false;
    address = {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    return true;
}

// Writes @p message whole, as far as the send timeout lets it; a peer that went away gets nothing.
void sendMessage(int fd, const QByteArray &message) {
    qsizetype sent = 0;
    while (sent < message.size()) {
        const ssize_t written =
            ::send(fd, message.constData() + sent, static_cast<size_t>(message.size() - sent), MSG_NOSIGNAL);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        sent += written;
    }
}

// What the peer sends until it closes, for at most @p waitMs in all and maxInstanceMessageBytes.
QByteArray receiveMessage(int peer, int waitMs) {
    QByteArray message;
    const QDeadlineTimer deadline(waitMs);
    char buffer[256];
    while (message.size() < maxInstanceMessageBytes) {
        pollfd wait{peer, POLLIN, 0};
        const int ready = ::poll(&wait, 1, int(deadline.remainingTime()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        const ssize_t received = ::recv(peer, buffer, sizeof buffer, 0);
        if (received < 0 && errno == EINTR)
            continue;
        if (received <= 0)
            break;
        message.append(buffer, qsizetype(received));
    }
    return message.left(maxInstanceMessageBytes);
}

}  // namespace

QString instanceSocketName(const QString &executableFileName) {
    const QString folder = privateFolder();
    if (folder.isEmpty())
        return {};
    const QString path = socketPathIn(folder, executableFileName);
    return encoded(path).size() <= socketPathLimit ? path : QString();
}

bool instanceAnswers(const QString &name, int timeoutMs, const QByteArray &message) {
    sockaddr_un address;
    if (!socketAddress(name, address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    // A blocking connect waits while the server's backlog is full, for at most the send timeout; so does the send.
    const timeval timeout{timeoutMs / 1000, static_cast<suseconds_t>(timeoutMs % 1000) * 1000};
    (void)::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    int result = -1;
    do
        result = ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address);
    while (result != 0 && errno == EINTR);
    if (result == 0)
        sendMessage(fd, message);
    ::close(fd);
    return result == 0;
}

struct InstanceServer::Private {
    int fd = -1;
    QSocketNotifier *notifier = nullptr;
    QByteArray path;
    bool nameInUse = false;
};

InstanceServer::InstanceServer(QObject *parent) : QObject(parent), d(std::make_unique<Private>()) {}

InstanceServer::~InstanceServer() {
    if (d->fd < 0)
        return;
    delete d->notifier;  // before its descriptor is closed
    ::close(d->fd);
    ::unlink(d->path.constData());
}

bool InstanceServer::listen(const QString &name) {
    d->nameInUse = false;
    sockaddr_un address;
    if (d->fd >= 0 || !socketAddress(name, address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        d->nameInUse = errno == EADDRINUSE;
        ::close(fd);
        return false;
    }
    // bind() gives the socket file 0777 less the umask. Nobody can connect before listen(), so making it the
    // user's alone in between leaves no moment at which another user could.
    if (::chmod(address.sun_path, S_IRUSR | S_IWUSR) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        ::close(fd);
        ::unlink(address.sun_path);
        return false;
    }
    d->fd = fd;
    d->path = address.sun_path;
    d->notifier = new QSocketNotifier(static_cast<qintptr>(fd), QSocketNotifier::Read, this);
    connect(d->notifier, &QSocketNotifier::activated, this, &InstanceServer::newConnection);
    return true;
}

bool InstanceServer::nameInUse() const {
    return d->nameInUse;
}

std::optional<QByteArray> InstanceServer::takeConnection(int waitMs) {
    const int peer = ::accept4(d->fd, nullptr, nullptr, SOCK_CLOEXEC);
    if (peer < 0)
        return std::nullopt;
    QByteArray message = receiveMessage(peer, waitMs);
    ::close(peer);
    return message;
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
