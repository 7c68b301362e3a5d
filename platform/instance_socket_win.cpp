#include "platform/instance_socket.h"

#include <string>

#include <QLocalServer>
#include <QLocalSocket>

#include <windows.h>

namespace platform {

QString instanceSocketName(const QString &executableFileName) {
    return executableFileName;
}

bool instanceAnswers(const QString &name, int timeoutMs, const QByteArray &) {
    // No launcher on Windows hands out activation tokens, and a pipe's last bytes can be lost when the client
    // closes first: the connection alone is the message here.
    QLocalSocket socket;
    socket.connectToServer(name, QIODevice::ReadWrite);
    return socket.waitForConnected(timeoutMs);
}

struct InstanceServer::Private {
    QLocalServer *server = nullptr;
};

InstanceServer::InstanceServer(QObject *parent) : QObject(parent), d(std::make_unique<Private>()) {
    d->server = new QLocalServer(this);
    connect(d->server, &QLocalServer::newConnection, this, &InstanceServer::newConnection);
}

InstanceServer::~InstanceServer() = default;

bool InstanceServer::listen(const QString &name) {
    return d->server->listen(name);
}

bool InstanceServer::nameInUse() const {
    return d->server->serverError() == QAbstractSocket::AddressInUseError;
}

std::optional<QByteArray> InstanceServer::takeConnection(int waitMs) {
    QLocalSocket *socket = d->server->nextPendingConnection();
    if (!socket)
        return std::nullopt;
    socket->waitForReadyRead(waitMs);
    delete socket;
    return QByteArray();
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
