#include "platform/instance_socket.h"

#include <string>

#include <windows.h>

namespace platform {

QString instanceSocketName(const QString &executableFileName) {
    return executableFileName;
}

bool clearStaleInstanceSocket(const QString &) {
    return true;  // a named pipe goes with its server: nothing is left to remove
}

InstanceLock::InstanceLock(const QString &socketName) {
    if (socketName.isEmpty())
        return;
    // Pipe names ignore case and mutex names do not: the lower-case name makes both meet the same copies.
    const std::wstring name = (QStringLiteral("Local\\orvessa-instance-") + socketName.toLower()).toStdWString();
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
    if (!mutex)
        return;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        m_state = State::HeldElsewhere;
        return;
    }
    m_handle = reinterpret_cast<qintptr>(mutex);
    m_state = State::Held;
}

InstanceLock::~InstanceLock() {
    if (m_handle != -1)
        CloseHandle(reinterpret_cast<HANDLE>(m_handle));
}

}  // namespace platform
