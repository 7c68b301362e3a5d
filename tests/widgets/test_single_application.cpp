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
