#pragma once

#include <QApplication>
#include <QString>

class QLocalServer;
class QWidget;

/// The application object, which also makes sure that only one instance runs per executable file name.
/// The first instance listens on a local socket named after the executable; a later one finds it, says so on
/// standard error and is told to stop. A connection carries no data: connecting is the whole message, and it
/// brings the first instance's window to the front.
class SingleApplication : public QApplication {
    Q_OBJECT

public:
    SingleApplication(int &argc, char **argv);
    ~SingleApplication() override;

    bool isRunning() const { return running; }
    void setActivationWindow(QWidget *window) { activationWindow = window; }
    void raiseActivationWindow();

private slots:
    void _newLocalConnection();

private:
    void probeRunningInstance();
    void startLocalServer();

    QWidget *activationWindow = nullptr;
    bool running = false;
    QLocalServer *localServer = nullptr;
    QString serverName;
};
