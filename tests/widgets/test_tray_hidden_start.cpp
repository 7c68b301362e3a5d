#include <QtTest>

#include <QSystemTrayIcon>

#include "support/balloon_recorder.h"
#include "support/tray_settings.h"
#include "ui/form.h"

// A process started with an argument, as the autostart entry starts it ("-bg"): see main() below.
class TestTrayHiddenStart : public QObject {
    Q_OBJECT

private slots:
    void trayModeGreetsWithOneBalloon() {
        TraySettings settings(trayModeSettings);
        BalloonRecorder balloons;
        Form form;
        QVERIFY(form.trayIcon);
        QCOMPARE(balloons.shown.size(), 1);
        QCOMPARE(balloons.shown[0].title, QStringLiteral("触摸屏提示"));
        QCOMPARE(balloons.shown[0].text, QStringLiteral("点击这里打开触摸屏管理软件主界面"));
        QCOMPARE(balloons.shown[0].icon, QSystemTrayIcon::Information);
        QCOMPARE(balloons.shown[0].milliseconds, 10000);
        QVERIFY(form.isHidden());  // the window waits for the icon, the balloon or the menu
    }

    void windowModeShowsNothing() {
        TraySettings settings(windowModeSettings);
        BalloonRecorder balloons;
        Form form;
        QVERIFY(!form.trayIcon);
        QVERIFY(balloons.shown.isEmpty());
    }
};

int main(int argc, char **argv) {
    // The application sees the extra argument; Qt Test, which would reject it, does not.
    QByteArray hidden("-bg");
    QVector<char *> arguments{argv[0], hidden.data(), nullptr};
    int applicationArgc = 2;
    QApplication app(applicationArgc, arguments.data());
    TestTrayHiddenStart test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_tray_hidden_start.moc"
