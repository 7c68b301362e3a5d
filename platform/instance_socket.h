#pragma once

#include <QString>

namespace platform {

/// Name under which the single-instance local server listens for an executable called @p executableFileName.
/// Windows: the file name itself (a named pipe). Unix: a socket path in the user's private runtime folder
/// ($XDG_RUNTIME_DIR, mode 0700) so that other users can neither see nor take the name; without that folder,
/// the file name (Qt then puts the socket in the temporary folder).
QString instanceSocketName(const QString &executableFileName);

}  // namespace platform
