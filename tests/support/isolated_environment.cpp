// Linked into every test: points the per-user folders at a fresh temporary folder before main() runs, so that no
// test writes into the real home (autostart entries, settings stores, sockets) and parallel tests do not meet.
#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>
#include <QtGlobal>

namespace {
void isolateUserFolders() {
    static QTemporaryDir home(QDir::tempPath() + QStringLiteral("/orvessa-test-XXXXXX"));
    const QDir root(home.path());
    for (const char *sub : {"config", "data", "run", "cache"})
        root.mkpath(QString::fromLatin1(sub));
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", root.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", root.filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", root.filePath(QStringLiteral("cache")).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", root.filePath(QStringLiteral("run")).toLocal8Bit());
    QFile::setPermissions(root.filePath(QStringLiteral("run")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // No desktop and no session bus: the desktop's settings stores (dconf, xfconfd) and session manager are the
    // machine's own, so a test that wants one starts it privately (support/private_session_bus.h).
    qunsetenv("XDG_CURRENT_DESKTOP");
    // Nor a Wayland session: which desktop places touches is the test's to say.
    qunsetenv("WAYLAND_DISPLAY");
    qunsetenv("XDG_SESSION_TYPE");
    qunsetenv("SWAYSOCK");
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("GSETTINGS_BACKEND", "memory");
}
}  // namespace

Q_CONSTRUCTOR_FUNCTION(isolateUserFolders)
