#include <QtTest>

#include <QLocalSocket>
#include <QWidget>

#include "app/activation_request.h"
#include "app/single_application.h"
#include "platform/instance_socket.h"

// Runs inside a SingleApplication, which is the test binary's own application object (see main below).
class TestSingleApplication : public QObject {
    Q_OBJECT

private:
    static SingleApplication *app() { return qobject_cast<SingleApplication *>(qApp); }
    static QString socketName() {
        return platform::instanceSocketName(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    }

    // A later launch's connection; returns once the instance has handled it (it drops the connection as soon as
    // data arrives, then raises its window), so whatever the connection shows is shown by then.
    static void connectOnce() {
        QLocalSocket peer;
        peer.connectToServer(socketName());
        QVERIFY(peer.waitForConnected(2000));
        peer.write("?");
        peer.flush();
        QTRY_COMPARE_WITH_TIMEOUT(peer.state(), QLocalSocket::UnconnectedState, 3000);
    }

private slots:
    void firstInstanceIsNotRunningElsewhere() {
        QVERIFY(app());
        QVERIFY(!app()->isRunning());
        // On Windows a named pipe, called after the executable alone.
#ifndef Q_OS_WIN
        QVERIFY(QFileInfo(socketName()).isAbsolute());  // in the private runtime folder, not /tmp
#endif
    }

    void connectionShowsAndRaisesTheHiddenWindow() {
        QWidget window;
        app()->setActivationWindow(&window);
        QVERIFY(window.isHidden());
        connectOnce();
        QVERIFY(window.isVisible());
        app()->setActivationWindow(nullptr);
    }

    void minimisedWindowIsRestored() {
        QWidget window;
        window.showMinimized();
        app()->setActivationWindow(&window);
        connectOnce();
        QVERIFY(!(window.windowState() & Qt::WindowMinimized));
        app()->setActivationWindow(nullptr);
    }

    void tokensSurviveTheMessage_data() {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QByteArray>("xdgToken");
        QTest::addColumn<QByteArray>("startupId");
        QTest::newRow("nothing, as an older copy sends") << QByteArray() << QByteArray() << QByteArray();
        QTest::newRow("a Wayland token") << QByteArray("XDG_ACTIVATION_TOKEN=4edd6cc2\n") << QByteArray("4edd6cc2")
                                         << QByteArray();
        QTest::newRow("both tokens") << QByteArray("DESKTOP_STARTUP_ID=kde-1_TIME42\nXDG_ACTIVATION_TOKEN=t\n")
                                     << QByteArray("t") << QByteArray("kde-1_TIME42");
        QTest::newRow("a line cut short is dropped")
            << QByteArray("XDG_ACTIVATION_TOKEN=4edd") << QByteArray() << QByteArray();
        QTest::newRow("unknown names are ignored")
            << QByteArray("LD_PRELOAD=x\nXDG_ACTIVATION_TOKEN=a\n") << QByteArray("a") << QByteArray();
        QTest::newRow("a token with a space or control byte is refused")
            << QByteArray("XDG_ACTIVATION_TOKEN=a b\nDESKTOP_STARTUP_ID=\x1b[2J\n") << QByteArray() << QByteArray();
        QTest::newRow("an overlong token is refused")
            << QByteArray("XDG_ACTIVATION_TOKEN=" + QByteArray(256, 'a') + "\n") << QByteArray() << QByteArray();
    }
    void tokensSurviveTheMessage() {
        QFETCH(QByteArray, message);
        QFETCH(QByteArray, xdgToken);
        QFETCH(QByteArray, startupId);
        const ActivationRequest request = parseActivationMessage(message);
        QCOMPARE(request.xdgActivationToken, xdgToken);
        QCOMPARE(request.startupId, startupId);
        // What a launch sends is read back as it was sent.
        QCOMPARE(parseActivationMessage(activationMessage(request)), request);
    }

    // The running copy reads what a later launch sends over the real socket, and no more than the limit.
    void connectionCarriesTheLaunchsTokens() {
#ifdef Q_OS_WIN
        QSKIP("Windows launchers hand out no activation tokens: the pipe carries none");
#endif
        const QString name = platform::instanceSocketName(QStringLiteral("orvessa-message-probe"));
        platform::InstanceServer server;
        QVERIFY(server.listen(name));
        QSignalSpy connected(&server, &platform::InstanceServer::newConnection);
        const QByteArray message = activationMessage({"4edd6cc21b2c", "host;1;2_TIME7"});
        QVERIFY(platform::instanceAnswers(name, 500, message));
        QVERIFY(connected.wait(2000));
        QCOMPARE(server.takeConnection(1000).value_or("none"), message);

        QVERIFY(
            platform::instanceAnswers(name, 500, QByteArray(qsizetype(4) * platform::maxInstanceMessageBytes, 'x')));
        QTRY_VERIFY(connected.size() > 1);
        QCOMPARE(server.takeConnection(1000).value_or("none").size(), platform::maxInstanceMessageBytes);
        QVERIFY(!server.takeConnection(0));  // nothing pending
    }

    void withoutActivationWindowAConnectionShowsNothing() {
        QWidget window;
        app()->setActivationWindow(&window);
        app()->setActivationWindow(nullptr);  // as an instance started with "-bg" has it: none
        connectOnce();
        QVERIFY(window.isHidden());
    }
};

int main(int argc, char **argv) {
    SingleApplication app(argc, argv);
    TestSingleApplication test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_single_application.moc"
