#include "app/single_application.h"

#include <cstdio>

#include <QApplication>
#include <QFileInfo>
#include <QWidget>

#include "platform/instance_socket.h"
#include "platform/program_location.h"

namespace {
constexpr int probeTimeoutMs = 500;
constexpr int connectionWaitMs = 1000;

// Whether a server answers on @p name within the probe time; for a running copy the connection is also the
// message that brings its window to the front, with this launch's activation tokens.
bool serverAnswers(const QString &name) {
    return platform::instanceAnswers(name, probeTimeoutMs, activationMessage(activationRequestFromEnvironment()));
}

// The modal window open over the application, when there is one that is shown: it blocks the main window, so it
// must not stay hidden behind it.
QWidget *shownModalWindow() {
    QWidget *modal = QApplication::activeModalWidget();
    return modal && modal->isVisible() ? modal : nullptr;
}
}  // namespace

SingleApplication::SingleApplication(int &argc, char **argv)
    : QApplication(argc, argv),
      serverName(platform::programLocation().fileName),
      socketName(platform::instanceSocketName(serverName)) {
    probeRunningInstance();
}

SingleApplication::~SingleApplication() {
    // The socket goes before the lock, so that a copy which takes the lock next never finds this one answering.
    delete localServer;
}

void SingleApplication::raiseActivationWindow(const ActivationRequest &request) {
    if (!activationWindow)
        return;
    QWidget *modal = shownModalWindow();
    if (modal == activationWindow)
        modal = nullptr;
    activationWindow->raise();
    if (!modal)
        activateWithToken(*activationWindow, request);
    activationWindow->showNormal();
    if (modal) {
        // Without a window manager nothing keeps a box above its parent: raised last, it ends on top.
        modal->raise();
        activateWithToken(*modal, request);
    }
}

void SingleApplication::_newLocalConnection() {
    // An older copy sends nothing and closes; the wait only bounds a peer that neither sends nor closes.
    if (const auto message = localServer->takeConnection(connectionWaitMs))
        raiseActivationWindow(parseActivationMessage(*message));
}

void SingleApplication::probeRunningInstance() {
    running = false;
    instanceLock = std::make_unique<platform::InstanceLock>(socketName);
    if (instanceLock->state() == platform::InstanceLock::State::HeldElsewhere) {
        // Another copy runs or is starting. One still starting has no socket yet and shows its own window anyway.
        (void)serverAnswers(socketName);
        reportRunning();
        return;
    }
    // Without the lock's answer (no lock to be had) the socket alone decides, as for a copy that holds no lock.
    if (serverAnswers(socketName))
        reportRunning();
    else
        startLocalServer();
}

void SingleApplication::reportRunning() {
    std::fprintf(stderr, "%s already running.\n", serverName.toLocal8Bit().constData());
    running = true;
}

void SingleApplication::startLocalServer() {
    localServer = new platform::InstanceServer(this);
    connect(localServer, SIGNAL(newConnection()), this, SLOT(_newLocalConnection()));
    if (localServer->listen(socketName))
        return;
    // Something holds the name. Only a socket that no server answers on is taken for one left by a killed copy and
    // removed; anything else there stays, and the lock alone keeps later copies out (they then cannot bring this
    // window to the front). Holding the lock, no other copy can be between its own probe and listen meanwhile.
    if (localServer->nameInUse() && !serverAnswers(socketName) && platform::clearStaleInstanceSocket(socketName))
        localServer->listen(socketName);
}
