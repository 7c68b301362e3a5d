#include "platform/program_location.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace platform {

namespace {

QByteArray executableBytes() {
    QByteArray path(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), std::size_t(path.size()));
    return length > 0 && length < path.size() ? path.left(length) : QByteArray();
}

bool survivesAsText(const QByteArray &name) {
    return QFile::encodeName(QFile::decodeName(name)) == name;
}

// A name for the folder @p bytes that Qt can use: its own, or the handle's entry in /proc, which the kernel
// resolves to the folder itself. The handle stays open for the life of the process.
QString usableFolder(const QByteArray &bytes) {
    if (survivesAsText(bytes))
        return QFile::decodeName(bytes);
    const int fd = ::open(bytes.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    return fd >= 0 ? QStringLiteral("/proc/self/fd/%1").arg(fd) : QString();
}

ProgramLocation locate() {
    QByteArray path = executableBytes();
    // A program file replaced while it runs (an upgrade) is named with this appended; the rest still says where.
    const QByteArray deleted(" (deleted)");
    struct stat info {};
    if (path.endsWith(deleted) && ::lstat(path.constData(), &info) != 0)
        path.chop(deleted.size());
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) {
        const QFileInfo qtPath(QCoreApplication::applicationFilePath());
        return {qtPath.fileName().isEmpty() ? QString() : qtPath.path(), qtPath.fileName()};
    }
    const QByteArray name = path.mid(slash + 1);
    return {usableFolder(slash == 0 ? QByteArray("/") : path.left(slash)),
            survivesAsText(name) ? QFile::decodeName(name) : QString::fromLatin1(name.toPercentEncoding())};
}

}  // namespace

const ProgramLocation &programLocation() {
    static const ProgramLocation location = locate();
    return location;
}

}  // namespace platform
