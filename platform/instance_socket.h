#pragma once

#include <memory>
#include <optional>

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QtGlobal>

namespace platform {

/// Name under which the single-instance local server listens for an executable called @p executableFileName.
/// Windows: the file name itself (a named pipe). Unix: a socket path in a folder that only the user has any access
/// to: $XDG_RUNTIME_DIR when it is the user's own, otherwise "orvessa-runtime-<uid>" made with mode 0700 in the
/// temporary folder, or as a last resort below the user's cache folder. A folder that grants group or others
/// anything is never used: they could take the name first (every launch would then think the program runs), put a
/// file there, or reach the socket and make the window jump.
/// A file name too long for a socket address is replaced by "instance-" and 16 hex digits of its SHA-1.
/// @return the name, or an empty string when no such folder can be had (the guard then cannot work).
QString instanceSocketName(const QString &executableFileName);

/// Whether a server listens on @p name: connects, waiting at most @p timeoutMs (a server's backlog may be full),
/// sends @p message (a later launch's activation token; may be empty; Windows sends none), and closes the
/// connection again. For a running copy the connection itself is the request to come forward.
/// @return true when the connection was made (whether or not the message got through).
bool instanceAnswers(const QString &name, int timeoutMs, const QByteArray &message = {});

/// Most bytes a connection may carry; the rest is not read.
constexpr int maxInstanceMessageBytes = 1024;

/// The listening end of the instance socket. Unix: a socket of its own on QSocketNotifier, so that the program
/// needs no network library; the socket file is removed when the server goes. Windows: QLocalServer.
class InstanceServer : public QObject {
    Q_OBJECT

public:
    explicit InstanceServer(QObject *parent = nullptr);
    ~InstanceServer() override;

    /// Starts listening on @p name (from instanceSocketName). Unix: the socket file is the user's alone (0600),
    /// whatever the umask.
    /// @return false when it cannot; nameInUse() then tells whether something already holds the name.
    bool listen(const QString &name);
    bool nameInUse() const;

    /// Accepts one pending connection, reads what the peer sends until it closes, for at most @p waitMs and
    /// maxInstanceMessageBytes, then closes it. An older copy sends nothing and closes at once. Windows: waits the
    /// same way but reads nothing (no message is sent there).
    /// @return the bytes received (possibly none), or nothing when no connection was pending.
    std::optional<QByteArray> takeConnection(int waitMs);

signals:
    /// A later launch has connected (takeConnection accepts it).
    void newConnection();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

/// Clears the way for listening again on @p socketName after listening failed because the name is taken and no
/// server answered on it. Unix: removes the name only when it is a socket (left by a killed copy); a file, a
/// folder or a link there is kept. Windows: nothing to remove, a named pipe goes with its server.
/// @return whether listening may be tried again.
bool clearStaleInstanceSocket(const QString &socketName);

/// The lock that one running copy per executable file name holds for its whole life, released by the system when
/// the copy ends however it ends, so a killed copy leaves nothing that blocks. Taking it is atomic, so of copies
/// started at the same moment exactly one gets it. Unix: flock() on "<socket name>.lock" beside the socket (the
/// file stays when the copy ends). Windows: a named mutex in the session's namespace.
class InstanceLock {
public:
    enum class State {
        Held,           ///< this process holds the lock
        HeldElsewhere,  ///< another copy holds it: it runs, or is starting
        Unavailable     ///< no lock could be made (no private folder, a folder or link at the lock's path)
    };

    /// Tries once, without waiting, to take the lock that goes with the instance socket @p socketName (as given by
    /// instanceSocketName; an empty name gives Unavailable).
    explicit InstanceLock(const QString &socketName);
    ~InstanceLock();
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    State state() const { return m_state; }

private:
    State m_state = State::Unavailable;
    qintptr m_handle = -1;  // file descriptor (Unix) or mutex handle (Windows) while Held
};

}  // namespace platform
