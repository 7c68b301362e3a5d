#include "app/single_application.h"

#include <cstdio>

#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

#include "platform/instance_socket.h"

namespace {
constexpr int probeTimeoutMs = 500;
constexpr int connectionWaitMs = 1000;
}  // namespace

SingleApplication::SingleApplication(int &argc, char **argv)
    : QApplication(argc, argv), serverName(QFileInfo(QCoreApplication::applicationFilePath()).fileName()) {
    probeRunningInstance();
}

SingleApplication::~SingleApplication() = default;

void SingleApplication::raiseActivationWindow() {
    if (!activationWindow)
        return;
    activationWindow->raise();
    activationWindow->activateWindow();
    activationWindow->showNormal();
}

void SingleApplication::_newLocalConnection() {
    QLocalSocket *socket = localServer->nextPendingConnection();
    if (!socket)
        return;
    // Nothing is expected; the wait only lets a peer that closes at once finish cleanly.
    socket->waitForReadyRead(connectionWaitMs);
    delete socket;
    raiseActivationWindow();
}

void SingleApplication::probeRunningInstance() {
    running = false;
    QLocalSocket socket;
    socket.connectToServer(platform::instanceSocketName(serverName), QIODevice::ReadWrite);
    if (socket.waitForConnected(probeTimeoutMs)) {
        std::fprintf(stderr, "%s already running.\n", serverName.toLocal8Bit().constData());
        running = true;
    } else {
        startLocalServer();
    }
}

void SingleApplication::startLocalServer() {
    localServer = new QLocalServer(this);
    connect(localServer, SIGNAL(newConnection()), this, SLOT(_newLocalConnection()));
    const QString name = platform::instanceSocketName(serverName);
    if (localServer->listen(name))
        return;
    // A socket left behind by an instance that was killed: nobody answered the probe, so it is stale.
    if (localServer->serverError() == QAbstractSocket::AddressInUseError) {
        QLocalServer::removeServer(name);
        localServer->listen(name);
    }
}
