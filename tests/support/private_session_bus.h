#pragma once

#include <QProcess>

/// A D-Bus session bus of the test's own: the settings services it starts on demand (dconf, xfconfd) inherit the
/// test's private HOME and XDG folders, so nothing reaches the machine's own settings or session. While it lives,
/// DBUS_SESSION_BUS_ADDRESS names it; the services leave with the bus.
class PrivateSessionBus {
public:
    PrivateSessionBus() {
        m_daemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
        while (m_daemon.waitForReadyRead(5000) && !m_daemon.canReadLine()) {
        }
        m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
    }
    ~PrivateSessionBus() {
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");  // the tests run without one (support/isolated_environment.cpp)
        m_daemon.terminate();
        m_daemon.waitForFinished(5000);
    }

    /// Empty when dbus-daemon could not be started (the test should skip).
    QString address() const { return m_address; }

private:
    QProcess m_daemon;
    QString m_address;
};
