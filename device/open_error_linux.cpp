#include "device/open_error.h"

#include <cerrno>
#include <cstring>

namespace device {

// hidapi's hidraw back end leaves open()'s errno in place when it gives no handle.
OpenError lastOpenError() {
    const int code = errno;
    OpenError error;
    error.code = code;
    error.reason = QString::fromLocal8Bit(std::strerror(code));
    if (code == EACCES || code == EPERM)
        error.cause = OpenError::Cause::NoAccess;
    else if (code == ENOENT || code == ENODEV || code == ENXIO)
        error.cause = OpenError::Cause::Gone;
    else
        error.cause = OpenError::Cause::Other;
    return error;
}

}  // namespace device
