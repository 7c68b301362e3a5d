#pragma once

#include <memory>

#include <QApplication>
#include <QString>

#include "app/activation_request.h"
#include "platform/instance_socket.h"

class QWidget;

/// The application object, which also makes sure that only one instance runs per executable file name.
/// The first instance holds the instance lock for its whole life and listens on a local socket named after the
/// executable; a later one finds the lock taken (or, from a copy that holds no lock, the socket answering), says
/// so on standard error and is told to stop. Connecting is the message that brings the first instance's window to
/// the front; the connection carries at most the later launch's activation tokens (activation_request.h).
class SingleApplication : public QApplication {
    Q_OBJECT

public:
    SingleApplication(int &argc, char **argv);
    ~SingleApplication() override;

    bool isRunning() const { return running; }
    void setActivationWindow(QWidget *window) { activationWindow = window; }
    /// Brings the activation window forward, and above it the modal window that blocks it (a message box, the
    /// target window), which gets the keyboard and @p request's token.
    void raiseActivationWindow(const ActivationRequest &request = {});

private slots:
    void _newLocalConnection();

private:
    void probeRunningInstance();
    void startLocalServer();
    void reportRunning();

    QWidget *activationWindow = nullptr;
    bool running = false;
    platform::InstanceServer *localServer = nullptr;
    QString serverName;
    QString socketName;  // serverName's socket in the user's private folder (platform::instanceSocketName)
    std::unique_ptr<platform::InstanceLock> instanceLock;
};
