#pragma once

#include <QString>

namespace platform {

/// Where the running executable lies, taken from the name the system gives (Linux: the bytes of /proc/self/exe)
/// rather than from Qt's text form of it, which loses a folder whose name is not valid UTF-8: Qt then has no
/// folder at all, and the settings file, the catalogue and the instance lock would be looked for elsewhere.
struct ProgramLocation {
    /// A path of the executable's folder that Qt's file functions can open: its name when Qt's text form keeps
    /// it, otherwise a name that reaches the same folder ("/proc/self/fd/N" of a handle kept open on it).
    QString folder;
    /// The executable's file name; when it is not valid UTF-8, its bytes percent-encoded, so that every name gets
    /// a text of its own.
    QString fileName;
};

/// The location of this process's executable, worked out once. Qt's application path (which needs the
/// application object) only where the system does not say.
const ProgramLocation &programLocation();

}  // namespace platform
