#include "device/open_error.h"

#include <windows.h>

namespace device {

namespace {
QString systemMessage(DWORD code) {
    wchar_t *text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    const QString message =
        length ? QString::fromWCharArray(text, int(length)).trimmed() : QStringLiteral("Windows error %1").arg(code);
    LocalFree(text);
    return message;
}
}  // namespace

// hidapi's Windows back end fails an open when CreateFile does, whose last error stays the thread's.
OpenError lastOpenError() {
    const DWORD code = GetLastError();
    OpenError error;
    error.code = int(code);
    error.reason = systemMessage(code);
    if (code == ERROR_ACCESS_DENIED)
        error.cause = OpenError::Cause::NoAccess;
    else if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_DEVICE_NOT_CONNECTED ||
             code == ERROR_DEV_NOT_EXIST)
        error.cause = OpenError::Cause::Gone;
    else
        error.cause = OpenError::Cause::Other;
    return error;
}

}  // namespace device
