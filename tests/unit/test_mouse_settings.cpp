#include <QtTest>

#include <cstdio>
#include <cstring>
#include <optional>

#include <pwd.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QDBusConnection>

#include "platform/desktop_family.h"
#include "platform/mouse_settings.h"
#include "platform/restart_command.h"
#include "support/private_session_bus.h"

Q_DECLARE_METATYPE(platform::DesktopFamily)

namespace {

// The mode of the first temporary settings.ini ("/.settings.ini." in its name) when its first byte is written.
std::optional<mode_t> modeAtFirstByte;

}  // namespace

// Every write() of this process passes here (the executable's own definition comes before the C library's): it
// notes the mode of the file being written the moment the first byte goes to a temporary settings.ini, then writes.
extern "C" ssize_t write(int fd, const void *buffer, size_t count) {
    char link[40];
    char target[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = ::readlink(link, target, sizeof target - 1);
    struct stat info {};
    if (!modeAtFirstByte && length > 0 && ::fstat(fd, &info) == 0) {
        target[length] = '\0';
        if (std::strstr(target, "/.settings.ini."))
            modeAtFirstByte = info.st_mode & 07777;
    }
    return ::syscall(SYS_write, fd, buffer, count);
}

namespace {

// Permissions bind everybody but root: run as root, a row that needs them acts as "nobody" in a folder given to
// nobody (the private home and config folder let nobody pass meanwhile).
struct ActingAsNobody {
    explicit ActingAsNobody(const QString &folder) : folder(folder) {
        if (::geteuid() == 0 && QProcess::execute("chown", {"-R", "nobody", folder}) == 0 &&
            QProcess::execute("chmod", {"o+x", home, config}) == 0)
            switched = ::setegid(::getpwnam("nobody")->pw_gid) == 0 && ::seteuid(::getpwnam("nobody")->pw_uid) == 0;
    }
    ~ActingAsNobody() {
        if (switched && ::seteuid(0) == 0 && ::setegid(0) == 0 &&
            QProcess::execute("chown", {"-R", "root", folder}) == 0)
            QProcess::execute("chmod", {"o-x", home, config});
    }
    QString folder;
    QString home = qEnvironmentVariable("HOME");
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    bool switched = false;
};

// Stands in for gnome-session on a private bus: counts the reboot requests it is sent.
class FakeGnomeSession : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.SessionManager")

public:
    int rebootRequests = 0;

public slots:
    void Reboot() { ++rebootRequests; }
};

}  // namespace

// The Linux stores of the double-click values and the restart that makes them apply.
class TestMouseSettings : public QObject {
    Q_OBJECT

private:
    const QString folder = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/gtk-3.0");
    const QString path = folder + QStringLiteral("/settings.ini");

    static void writeFileAt(const QString &at, const QByteArray &content) {
        QFile file(at);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }
    void writeFile(const QByteArray &content) {
        QDir().mkpath(folder);
        writeFileAt(path, content);
    }

    static QByteArray readFileAt(const QString &at, qint64 size = -1) {
        QFile file(at);
        if (!file.open(QIODevice::ReadOnly))
            return "<missing>";
        return size < 0 ? file.readAll() : file.read(size);
    }
    QByteArray readFile() { return readFileAt(path); }
    static constexpr qint64 hugeSize = qint64(2) << 30;

private slots:
    void init() {
        qunsetenv("XDG_CURRENT_DESKTOP");
        QDir(folder).removeRecursively();
        QFile::remove(folder);
    }

    void reading_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("values");  // height, width, speed
        const QByteArray distance25 = "[Settings]\ngtk-double-click-distance=25\ngtk-double-click-time=500\n";
        const QByteArray otherGroup = "[Other]\ngtk-double-click-time=300\n[Settings]\ngtk-theme-name=Adwaita\n";
        const QByteArray repeated = "[Settings]\ngtk-double-click-time=300\n[Settings]\ngtk-double-click-time=450\n";
        QTest::newRow("no file: every value missing") << QByteArray("<none>") << QStringList{"", "", ""};
        QTest::newRow("distance is half a side of the rectangle") << distance25 << QStringList{"50", "50", "500"};
        QTest::newRow("GTK's default distance is a 10 pixel rectangle")
            << QByteArray("[Settings]\ngtk-double-click-distance=5\n") << QStringList{"10", "10", ""};
        QTest::newRow("spaces around the equals sign")
            << QByteArray("[Settings]\n gtk-double-click-time = 400 \n") << QStringList{"", "", "400"};
        QTest::newRow("keys of another group do not count") << otherGroup << QStringList{"", "", ""};
        QTest::newRow("commented-out key does not count")
            << QByteArray("[Settings]\n#gtk-double-click-time=300\n") << QStringList{"", "", ""};
        QTest::newRow("the last of repeated keys wins, as in GLib") << repeated << QStringList{"", "", "450"};
        QTest::newRow("non-numeric distance read as it is")
            << QByteArray("[Settings]\ngtk-double-click-distance=wide\n") << QStringList{"wide", "wide", ""};
    }
    void reading() {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, values);
        if (content != "<none>")
            writeFile(content);
        const auto store = platform::openMouseSettings();
        QCOMPARE(store->value(QStringLiteral("DoubleClickHeight")), values[0]);
        QCOMPARE(store->value(QStringLiteral("DoubleClickWidth")), values[1]);
        QCOMPARE(store->value(QStringLiteral("DoubleClickSpeed")), values[2]);
        QCOMPARE(store->value(QStringLiteral("SnapToDefaultButton")), QString());
    }

    void writing_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        const QByteArray written = "gtk-double-click-distance=25\ngtk-double-click-time=500\n";
        QTest::newRow("no file: folder, file and group are created")
            << QByteArray("<none>") << "[Settings]\n" + written;
        QTest::newRow("empty file gets the group") << QByteArray("") << "[Settings]\n" + written;
        QTest::newRow("other keys, comments and groups are kept byte for byte")
            << QByteArray(
                   "# my theme\n[Settings]\ngtk-theme-name = Adwaita-dark\n"
                   "gtk-icon-sizes=panel-menu=16,16:gtk-button=16,16\n\n[Other]\nx=1\n")
            << QByteArray(
                   "# my theme\n[Settings]\ngtk-theme-name = Adwaita-dark\n"
                   "gtk-icon-sizes=panel-menu=16,16:gtk-button=16,16\n") +
                   written + "\n[Other]\nx=1\n";
        QTest::newRow("existing keys are replaced in place")
            << QByteArray(
                   "[Settings]\ngtk-double-click-time=250\ngtk-theme-name=Adwaita\ngtk-double-click-distance = 5\n")
            << QByteArray(
                   "[Settings]\ngtk-double-click-time=500\ngtk-theme-name=Adwaita\ngtk-double-click-distance=25\n");
        QTest::newRow("file without [Settings] gets it at the end")
            << QByteArray("[Other]\nx=1") << "[Other]\nx=1\n\n[Settings]\n" + written;
        QTest::newRow("Latin-1 comment, UTF-8 byte order mark and missing last line end are kept")
            << QByteArray("\xEF\xBB\xBF[Settings]\n# caf\xE9\ngtk-double-click-time=250\n[Other]\nx=\xFF")
            << QByteArray(
                   "\xEF\xBB\xBF[Settings]\n# caf\xE9\ngtk-double-click-time=500\ngtk-double-click-distance=25\n"
                   "[Other]\nx=\xFF");
        QTest::newRow("CRLF lines stay CRLF, new lines too")
            << QByteArray("[Settings]\r\ngtk-theme-name=Adwaita\r\n")
            << QByteArray(
                   "[Settings]\r\ngtk-theme-name=Adwaita\r\ngtk-double-click-distance=25\r\n"
                   "gtk-double-click-time=500\r\n");
    }
    void writing() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        // An unusual mode of the user's that the new file must keep.
        const QFile::Permissions mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        if (before != "<none>") {
            writeFile(before);
            QVERIFY(QFile::setPermissions(path, mode));
        }
        const auto store = platform::openMouseSettings();
        QVERIFY(store->setValue(QStringLiteral("DoubleClickHeight"), QStringLiteral("50")));
        QVERIFY(store->setValue(QStringLiteral("DoubleClickWidth"), QStringLiteral("50")));
        QVERIFY(store->setValue(QStringLiteral("DoubleClickSpeed"), QStringLiteral("500")));
        QCOMPARE(readFile(), after);
        if (before != "<none>")
            QCOMPARE(QFileInfo(path).permissions() & ~QFile::Permissions(0x0F00), mode);
        QCOMPARE(store->value(QStringLiteral("DoubleClickHeight")), QStringLiteral("50"));
        QCOMPARE(store->value(QStringLiteral("DoubleClickSpeed")), QStringLiteral("500"));
    }

    void unknownNameOrNonNumericSideWritesNothing() {
        writeFile("[Settings]\ngtk-double-click-distance=5\n");
        const auto store = platform::openMouseSettings();
        QVERIFY(!store->setValue(QStringLiteral("DoubleClickWidth"), QStringLiteral("wide")));
        QVERIFY(!store->setValue(QStringLiteral("MouseSpeed"), QStringLiteral("2")));
        QCOMPARE(readFile(), QByteArray("[Settings]\ngtk-double-click-distance=5\n"));
    }

    // Each row leaves the user's file (or the link's target) as it was and reports the write as failed.
    void refusedWriteChangesNothing_data() {
        QTest::addColumn<QString>("situation");
        QTest::newRow("settings.ini is a link to a file the test owns") << "link";
        QTest::newRow("settings.ini belongs to another user (root with a user's XDG_CONFIG_HOME)") << "foreign";
        QTest::newRow("unreadable but writable settings.ini is not replaced by two lines") << "unreadable";
        QTest::newRow("read-only folder") << "read-only";
        QTest::newRow("a folder in the file's place") << "folder";
        QTest::newRow("a file in the gtk-3.0 folder's place") << "blocked";
        QTest::newRow("settings.ini of 2 GiB (sparse) is never read, nor rewritten whole") << "huge";
    }
    void refusedWriteChangesNothing() {
        QFETCH(QString, situation);
        const QByteArray before = "# mine\n[Settings]\ngtk-double-click-time=250\n";
        QString checked = path;  // the file whose bytes must not change
        QDir().mkpath(folder);
        if (situation == QLatin1String("link")) {
            checked = QFileInfo(folder).path() + QStringLiteral("/dotfiles-settings.ini");
            writeFileAt(checked, before);
            QVERIFY(QFile::link(checked, path));
        } else if (situation == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(path));
        } else if (situation == QLatin1String("blocked")) {
            QVERIFY(QDir(folder).removeRecursively());
            writeFileAt(folder, before);
            checked = folder;
        } else {
            writeFile(before);
        }
        if (situation == QLatin1String("huge"))
            QVERIFY(QFile::resize(path, hugeSize));
        std::optional<ActingAsNobody> nobody;
        if (situation == QLatin1String("foreign")) {
            if (::geteuid() != 0)
                QSKIP("only root can give a file to another user");
            QCOMPARE(QProcess::execute("chown", {"nobody", path}), 0);
        } else if (const bool unreadable = situation == QLatin1String("unreadable");
                   unreadable || situation == "read-only") {
            QVERIFY(unreadable ? QFile::setPermissions(path, QFile::WriteOwner)
                               : QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
            nobody.emplace(folder);
        }

        const auto store = platform::openMouseSettings();
        QVERIFY(!store->setValue(QStringLiteral("DoubleClickSpeed"), QStringLiteral("500")));
        QCOMPARE(store->location(QStringLiteral("DoubleClickSpeed")), path);
        nobody.reset();
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        if (situation == QLatin1String("huge")) {
            struct stat info {};
            QVERIFY(::stat(QFile::encodeName(path).constData(), &info) == 0);
            QCOMPARE(qint64(info.st_size), hugeSize);
            QVERIFY(qint64(info.st_blocks) * 512 < (qint64(1) << 20));  // still sparse: nothing was written
            QCOMPARE(readFileAt(path, before.size() + 1), before + '\0');
        } else if (situation != QLatin1String("folder")) {
            QCOMPARE(readFileAt(checked), before);
        }
        QCOMPARE(QFileInfo(path).isSymLink(), situation == QLatin1String("link"));
        QVERIFY(QDir(folder).entryList({QStringLiteral(".settings.ini.*")}, QDir::Files | QDir::Hidden).isEmpty());
    }

    void desktopFamilyOfTheFirstKnownName_data() {
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<platform::DesktopFamily>("family");
        QTest::newRow("Ubuntu's GNOME") << "ubuntu:GNOME" << platform::DesktopFamily::Gnome;
        QTest::newRow("MATE") << "MATE" << platform::DesktopFamily::Mate;
        QTest::newRow("Cinnamon as Linux Mint names it") << "X-Cinnamon" << platform::DesktopFamily::Cinnamon;
        QTest::newRow("case and spaces do not matter") << " kde " << platform::DesktopFamily::Plasma;
        QTest::newRow("the first known name wins") << "LXQt:XFCE:GNOME" << platform::DesktopFamily::Xfce;
        QTest::newRow("nothing known") << "LXQt:sway" << platform::DesktopFamily::Other;
        QTest::newRow("no desktop named") << "" << platform::DesktopFamily::Other;
    }
    void desktopFamilyOfTheFirstKnownName() {
        QFETCH(QString, desktop);
        QFETCH(platform::DesktopFamily, family);
        QCOMPARE(platform::desktopFamily(desktop), family);
    }

    // The new file holds the user's values from its first byte, so it is as private as the old one from then on;
    // what killed writes left is cleared away, and nothing else of that name.
    void newFileIsPrivateFromItsFirstByteAndLeftoversGo() {
        writeFile("[Settings]\ngtk-double-click-time=250\n");
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        const QString outside = QFileInfo(folder).path() + QStringLiteral("/linked.ini");
        writeFileAt(outside, "mine");
        const QString own = folder + QStringLiteral("/.settings.ini.0123abcd");
        const QStringList kept{QStringLiteral(".other.ini.01234567"),    QStringLiteral(".settings.ini.0123abc"),
                               QStringLiteral(".settings.ini.0123ABCD"), QStringLiteral(".settings.ini.0123abcde"),
                               QStringLiteral(".settings.ini.cafebabe"), QStringLiteral(".settings.ini.deadbeef")};
        writeFileAt(own, "half a file");
        for (const QString &name : kept.mid(0, 4))  // files
            writeFileAt(folder + QLatin1Char('/') + name, "not ours");
        QVERIFY(QFile::link(outside, folder + QStringLiteral("/.settings.ini.deadbeef")));
        QVERIFY(QDir(folder).mkdir(QStringLiteral(".settings.ini.cafebabe")));

        const mode_t oldMask = ::umask(022);
        modeAtFirstByte.reset();
        const bool written =
            platform::openMouseSettings()->setValue(QStringLiteral("DoubleClickSpeed"), QStringLiteral("500"));
        ::umask(oldMask);
        QVERIFY(written);
        QCOMPARE(modeAtFirstByte.value_or(0), mode_t(0600));
        QCOMPARE(QFileInfo(path).permissions() & ~QFile::Permissions(0x0F00), QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(!QFile::exists(own));
        QStringList left = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                                  QDir::Name | QDir::IgnoreCase);
        left.removeOne(QStringLiteral("settings.ini"));
        QCOMPARE(left, kept);
        QCOMPARE(readFileAt(outside), QByteArray("mine"));
    }

    void restartGoesThroughTheSessionManager_data() {
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QString>("running");  // bus names owned, separated by spaces
        QTest::addColumn<QString>("command");  // program and last argument
        const QString gnome = QStringLiteral("gdbus org.gnome.SessionManager.Reboot");
        QTest::newRow("GNOME asks gnome-session") << "ubuntu:GNOME"
                                                  << "org.gnome.SessionManager" << gnome;
        const QString plasma = QStringLiteral("gdbus org.kde.Shutdown.logoutAndReboot");
        const QString kdeAndGnome = QStringLiteral("org.kde.ksmserver org.gnome.SessionManager");
        QTest::newRow("Plasma logs out and reboots") << "KDE" << QStringLiteral("org.kde.ksmserver") << plasma;
        QTest::newRow("Xfce asks xfce4-session, the named desktop's manager first")
            << "XFCE"
            << "org.gnome.SessionManager org.xfce.SessionManager"
            << "xfce4-session-logout --reboot";
        QTest::newRow("MATE asks mate-session, which took gnome-session's name") << "MATE" << kdeAndGnome << gnome;
        QTest::newRow("Cinnamon asks cinnamon-session, which took gnome-session's name")
            << "X-Cinnamon" << kdeAndGnome << gnome;
        QTest::newRow("the first known desktop's manager comes first") << "KDE:GNOME" << kdeAndGnome << plasma;
        QTest::newRow("an unknown desktop still finds a running manager") << "LXQt"
                                                                          << "org.gnome.SessionManager" << gnome;
        QTest::newRow("no session manager answers: systemctl") << "GNOME"
                                                               << ""
                                                               << "systemctl reboot";
    }
    void restartGoesThroughTheSessionManager() {
        QFETCH(QString, desktop);
        QFETCH(QString, running);
        QFETCH(QString, command);
        const platform::Command chosen = platform::restartCommandFor(
            desktop, [&](const QString &name) { return running.split(QLatin1Char(' ')).contains(name); });
        QCOMPARE(chosen.program + QLatin1Char(' ') + chosen.arguments.last(), command);
    }

    void rebootRequestReachesAFakeGnomeSession() {
        PrivateSessionBus bus;
        if (bus.address().isEmpty() || QStandardPaths::findExecutable(QStringLiteral("gdbus")).isEmpty())
            QSKIP("needs dbus-daemon and gdbus");
        QDBusConnection connection = QDBusConnection::connectToBus(bus.address(), QStringLiteral("fake-session"));
        FakeGnomeSession session;
        QVERIFY(connection.registerObject(QStringLiteral("/org/gnome/SessionManager"), &session,
                                          QDBusConnection::ExportAllSlots));
        QVERIFY(connection.registerService(QStringLiteral("org.gnome.SessionManager")));
        qputenv("XDG_CURRENT_DESKTOP", "GNOME");
        const platform::Command chosen = platform::restartCommand();  // the real probe, on the private bus
        QCOMPARE(chosen.program, QStringLiteral("gdbus"));            // never anything that could restart this machine

        QProcess request;  // what "现在重启" starts
        request.start(chosen.program, chosen.arguments);
        QTRY_COMPARE_WITH_TIMEOUT(session.rebootRequests, 1, 10000);  // answered by this thread's event loop
        QTRY_COMPARE_WITH_TIMEOUT(request.state(), QProcess::NotRunning, 10000);
        QCOMPARE(request.exitCode(), 0);
        QDBusConnection::disconnectFromBus(QStringLiteral("fake-session"));
    }
};

QTEST_GUILESS_MAIN(TestMouseSettings)
#include "test_mouse_settings.moc"
