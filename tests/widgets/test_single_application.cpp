#include <QtTest>

#include <QLocalSocket>
#include <QWidget>

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

    static void connectOnce(bool sendAndClose) {
        QLocalSocket peer;
        peer.connectToServer(socketName());
        QVERIFY(peer.waitForConnected(2000));
        if (sendAndClose)
            peer.disconnectFromServer();
        QTRY_VERIFY_WITH_TIMEOUT(peer.state() == QLocalSocket::UnconnectedState || !sendAndClose, 3000);
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
        connectOnce(true);
        QTRY_VERIFY_WITH_TIMEOUT(window.isVisible(), 3000);
        app()->setActivationWindow(nullptr);
    }

    void minimisedWindowIsRestored() {
        QWidget window;
        window.showMinimized();
        app()->setActivationWindow(&window);
        connectOnce(true);
        QTRY_VERIFY_WITH_TIMEOUT(!(window.windowState() & Qt::WindowMinimized), 3000);
        app()->setActivationWindow(nullptr);
    }

    void withoutActivationWindowAConnectionShowsNothing() {
        QWidget window;
        connectOnce(true);
        QTest::qWait(50);
        QVERIFY(window.isHidden());
    }
};

int main(int argc, char **argv) {
    SingleApplication app(argc, argv);
    TestSingleApplication test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_single_application.moc"
