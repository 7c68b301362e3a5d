#include "platform/program_location.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace platform {

// Windows names files in UTF-16, which Qt keeps whole.
const ProgramLocation &programLocation() {
    static const ProgramLocation location{QCoreApplication::applicationDirPath(),
                                          QFileInfo(QCoreApplication::applicationFilePath()).fileName()};
    return location;
}

}  // namespace platform
