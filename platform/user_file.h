#pragma once

#include <QByteArray>
#include <QString>

// Files in the user's own folders that the program writes (its autostart entry, the desktop's settings files).
// They belong to the user: every write replaces the file whole by renaming a new file over it, so a reader never
// sees half a file and nothing is ever written through a link into somebody else's file.

namespace platform {

/// What readUserFile() found.
struct UserFileContent {
    enum class Status {
        Missing,     ///< nothing at the path (or a folder on the way is missing): an edit starts from empty
        Read,        ///< @ref bytes holds the whole file
        Unreadable,  ///< something is there but is not read: no permission, a folder, a FIFO ..., or a file larger
                     ///< than any real one (platform::keyFileLimit)
    };
    Status status = Status::Missing;
    QByteArray bytes;
};

/// Reads the whole regular file at @p path, byte for byte (platform::readWholeFile with keyFileLimit). A link is
/// followed (reading the user's own file through it is harmless); anything but a regular file, and a file beyond
/// the limit, is Unreadable, never opened in a way that could block and never read.
UserFileContent readUserFile(const QString &path);

/// Replaces the file at @p path with @p bytes: a new file is written in the same folder and renamed over the old
/// one, so the old file stays whole when anything fails. Missing folders are created.
/// Refuses, writing nothing, when @p path is a symbolic link or anything but a regular file, when the file or its
/// folder belongs to another user than the one running (say, root with a user's XDG_CONFIG_HOME), or when the
/// folder cannot be written. The old file's permission bits (and its group, where allowed) are kept, and the new
/// file has them before its first byte; a new file gets 0666 less the umask. The new file is removed on every
/// failure, and what writes killed half-way left beside the file (".NAME.XXXXXXXX", regular files of the user;
/// never links) is removed first.
/// @return true when the new content is in place.
bool writeUserFile(const QString &path, const QByteArray &bytes);

}  // namespace platform
