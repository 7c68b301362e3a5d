#include "platform/file_read.h"

#include <QFile>
#include <QFileInfo>

namespace platform {

namespace {

// Windows keeps no FIFOs or devices among a folder's files: what is not a file is a folder. The size comes from
// the opened file's handle.
FileRead openAndJudge(const QString &path, qint64 limit, bool readIt) {
    FileRead read;
    const QFileInfo info(path);
    if (!info.exists())
        return read;
    if (!info.isFile()) {
        read.status = FileRead::Status::NotAFile;
        read.kind = info.isDir() ? QStringLiteral("a folder") : QStringLiteral("a special file");
        return read;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        read.status = FileRead::Status::Unreadable;
        read.error = file.errorString();
        return read;
    }
    read.size = file.size();
    read.status = read.size > limit ? FileRead::Status::TooLarge : FileRead::Status::Read;
    if (!readIt || read.status != FileRead::Status::Read)
        return read;
    read.bytes = file.read(limit + 1);
    if (read.bytes.size() > limit) {
        read.status = FileRead::Status::TooLarge;
        read.bytes.clear();
    } else if (file.error() != QFileDevice::NoError) {
        read.status = FileRead::Status::Unreadable;
        read.error = file.errorString();
        read.bytes.clear();
    }
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
