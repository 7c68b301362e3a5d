#include <QtTest>

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTranslator>

#include "platform/blocking_wait.h"
#include "support/balloon_recorder.h"
#include "support/tray_settings.h"
#include "ui/form.h"
#include "ui/notification_area.h"
#include "ui/resolution_watch.h"
#include "ui_form.h"

namespace {
const QString balloonTitle = QStringLiteral("触摸屏提示");
const QString whereTheWindowWent = QStringLiteral("点击这里打开触摸屏管理软件主界面");

// Counts the timer events the window receives, before its own handler runs.
class TimerEventCounter : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Timer)
            ++count;
        return false;
    }
};

QString autostartEntry() {
    QFile file(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/autostart/Vantrel.desktop"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}
}  // namespace

// The tray mode of the main window, and what window mode leaves out. This binary runs without arguments, so no
// start-up balloon is expected here (test_tray_hidden_start covers the "-bg" start).
class TestTray : public QObject {
    Q_OBJECT

private:
    static void expectBalloon(const Balloon &balloon, const QString &text,
                              QSystemTrayIcon::MessageIcon icon = QSystemTrayIcon::Information) {
        QCOMPARE(balloon.title, balloonTitle);
        QCOMPARE(balloon.text, text);
        QCOMPARE(balloon.icon, icon);
        QCOMPARE(balloon.milliseconds, 10000);
    }

    static QList<QAction *> menuActions(const Form &form) { return form.trayIcon->contextMenu()->actions(); }

private slots:
    // The offscreen platform has no notification area: the tests give the window one unless they say otherwise.
    void init() {
        tray::setAvailabilitySource([] { return true; });
    }
    void cleanup() {
        tray::setAvailabilitySource({});
        QFile::remove(qEnvironmentVariable("XDG_CONFIG_HOME") + "/autostart/Vantrel.desktop");
    }

    void trayModeBuildsIconMenuAndTexts() {
        TraySettings settings(trayModeSettings);
        BalloonRecorder balloons;
        Form form;
        QVERIFY(form.systray != 0);
        QVERIFY(form.trayIcon);
        QCOMPARE(form.trayIcon->parent(), &form);
        QVERIFY(form.trayIcon->isVisible());
        QCOMPARE(form.trayIcon->toolTip(), QStringLiteral("红外触摸屏"));
        const QImage expected = QIcon(QStringLiteral(":/kov-calibration.png")).pixmap(64).toImage();
        QVERIFY(!expected.isNull());
        QCOMPARE(form.trayIcon->icon().pixmap(64).toImage(), expected);

        QMenu *menu = form.trayIcon->contextMenu();
        QVERIFY(menu);
        QCOMPARE(menu->parent(), &form);
        QStringList texts;
        for (QAction *action : menuActions(form)) {
            texts << action->text();
            QCOMPARE(action->parent(), &form);
        }
        QCOMPARE(texts, (QStringList{"显示主界面", "隐藏主界面", "关闭程序"}));
        QCOMPARE(form.ui->pushButton_Exit->text(), QStringLiteral("隐藏到系统托盘"));
        QVERIFY(balloons.shown.isEmpty());  // started without arguments: no greeting
    }

    void windowModeHasNoTrayAtAll() {
        TraySettings settings(windowModeSettings);
        BalloonRecorder balloons;
        Form form;
        QCOMPARE(form.systray, 0);
        QVERIFY(!form.trayIcon);
        QVERIFY(form.findChildren<QSystemTrayIcon *>().isEmpty());
        QVERIFY(form.findChildren<QMenu *>().isEmpty());
        QCOMPARE(form.ui->pushButton_Exit->text(), QStringLiteral("退  出"));
        // The tray slots stay invokable through the slot table; without an icon they show no balloon.
        form.show();
        form.hideWindow();
        QVERIFY(form.isHidden());
        QVERIFY(balloons.shown.isEmpty());
    }

    void menuAndIconShowAndHideTheWindow() {
        TraySettings settings(trayModeSettings);
        BalloonRecorder balloons;
        Form form;
        const QList<QAction *> actions = menuActions(form);
        actions[0]->trigger();
        QVERIFY(form.isVisible());
        actions[1]->trigger();
        QVERIFY(form.isHidden());
        QCOMPARE(balloons.shown.size(), 1);
        expectBalloon(balloons.shown[0], whereTheWindowWent);
        actions[1]->trigger();  // already hidden: the balloon still says where the window is
        QCOMPARE(balloons.shown.size(), 2);
        expectBalloon(balloons.shown[1], whereTheWindowWent);

        emit form.trayIcon->messageClicked();
        QVERIFY(form.isVisible());
    }

    void iconActivation_data() {
        QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
        QTest::addColumn<bool>("shows");
        QTest::newRow("single left click shows") << QSystemTrayIcon::Trigger << true;
        QTest::newRow("double click shows") << QSystemTrayIcon::DoubleClick << true;
        QTest::newRow("right click only opens the menu") << QSystemTrayIcon::Context << false;
        QTest::newRow("middle click does nothing") << QSystemTrayIcon::MiddleClick << false;
        QTest::newRow("unknown reason does nothing") << QSystemTrayIcon::Unknown << false;
    }
    void iconActivation() {
        QFETCH(QSystemTrayIcon::ActivationReason, reason);
        QFETCH(bool, shows);
        TraySettings settings(trayModeSettings);
        Form form;
        emit form.trayIcon->activated(reason);
        QCOMPARE(form.isVisible(), shows);
    }

    void exitButtonAndCloseHideToTheTray() {
        TraySettings settings(trayModeSettings);
        BalloonRecorder balloons;
        Form form;
        form.show();
        form.ui->pushButton_Exit->click();
        QVERIFY(form.isHidden());

        form.show();
        QCloseEvent close;
        QCoreApplication::sendEvent(&form, &close);
        QVERIFY(!close.isAccepted());
        QVERIFY(form.isHidden());

        form.show();
        QVERIFY(!form.close());  // every time, not only the first
        QVERIFY(form.isHidden());

        QCOMPARE(balloons.shown.size(), 3);
        for (const Balloon &balloon : balloons.shown)
            expectBalloon(balloon, whereTheWindowWent);
    }

    void exitButtonKeepsTheEventLoopRunningInTrayMode() {
        TraySettings settings(trayModeSettings);
        Form form;
        QTimer::singleShot(0, form.ui->pushButton_Exit, &QPushButton::click);
        QEventLoop loop;
        QTimer::singleShot(200, &loop, [&loop] { loop.exit(7); });
        QCOMPARE(loop.exec(), 7);
    }

    // Without one a hidden window could not come back: the lowest button and close end the program and say so.
    void withoutANotificationAreaTrayModeEndsLikeWindowMode() {
        bool available = false;
        tray::setAvailabilitySource([&available] { return available; });
        TraySettings settings(trayModeSettings);
        BalloonRecorder balloons;
        Form form;
        form.show();
        QCOMPARE(form.ui->pushButton_Exit->text(), QStringLiteral("退  出"));
        QCloseEvent close;
        QCoreApplication::sendEvent(&form, &close);
        QVERIFY(close.isAccepted());  // the lowest button's exit: test_tray_start, on a real display
        QVERIFY(balloons.shown.isEmpty());

        available = true;  // a panel started late: the next showing offers the tray again
        form.hide();
        form.show();
        QCOMPARE(form.ui->pushButton_Exit->text(), QStringLiteral("隐藏到系统托盘"));
    }

    void closeProceedsInWindowMode() {
        TraySettings settings(windowModeSettings);
        BalloonRecorder balloons;
        Form form;
        form.show();
        QCloseEvent close;
        QCoreApplication::sendEvent(&form, &close);
        QVERIFY(close.isAccepted());
        QVERIFY(balloons.shown.isEmpty());
    }

    void autostartEntryFollowsTheMode_data() {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QString>("before");  // the entry an earlier start and the user left; empty: none
        QTest::addColumn<QString>("hidden");  // empty: no entry
        const QString entry = QStringLiteral("[Desktop Entry]\nExec=\"%1\" -bg\nHidden=%2\n")
                                  .arg(QCoreApplication::applicationFilePath());
        QTest::newRow("tray mode starts hidden with the session") << trayModeSettings << QString() << "Hidden=false";
        QTest::newRow("window mode creates no entry") << windowModeSettings << QString() << QString();
        QTest::newRow("no settings file at all is window mode") << QByteArray() << QString() << QString();
        QTest::newRow("window mode switches an existing entry off")
            << windowModeSettings << entry.arg("false") << "Hidden=true";
        QTest::newRow("the user's off (Plasma, Xfce) survives a restart in tray mode")
            << trayModeSettings << entry.arg("true") << "Hidden=true";
    }
    void autostartEntryFollowsTheMode() {
#ifdef Q_OS_WIN
        QSKIP("the Linux entry; scripts/windows/test.sh reads the Windows Run value with reg query");
#endif
        QFETCH(QByteArray, settings);
        QFETCH(QString, before);
        QFETCH(QString, hidden);
        QFile file(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/autostart/Vantrel.desktop"));
        QDir().mkpath(QFileInfo(file).path());
        QVERIFY(before.isEmpty() || (file.open(QIODevice::WriteOnly) && file.write(before.toUtf8()) > 0));
        file.close();
        TraySettings trayFile(settings);
        Form form;
        const QStringList lines = autostartEntry().split(QLatin1Char('\n'));
        QCOMPARE(lines.contains(QStringLiteral("Exec=\"%1\" -bg").arg(QCoreApplication::applicationFilePath())),
                 !hidden.isEmpty());
        QVERIFY(hidden.isEmpty() || lines.contains(hidden));
    }

    void resolutionChangeWarnsOncePerChange() {
        QSize desktop(1920, 1080);
        const auto previousSource = resolution::setDesktopSizeSource([&desktop] { return desktop; });
        TraySettings settings(trayModeSettings);
        BalloonRecorder balloons;
        Form form;
        TimerEventCounter ticks;
        form.installEventFilter(&ticks);
        // The reference is process-wide: let two ticks pass so that it holds this size whatever ran before.
        QTRY_VERIFY_WITH_TIMEOUT(ticks.count >= 2, 5000);
        balloons.shown.clear();

        const QVector<QSize> changes{{1280, 1024}, {1920, 1080}};  // there and back: two warnings
        for (const QSize &next : changes) {
            desktop = next;
            QTRY_COMPARE_WITH_TIMEOUT(balloons.shown.size(), 1, 5000);
            const int seen = ticks.count;
            QTRY_VERIFY_WITH_TIMEOUT(ticks.count >= seen + 2, 5000);  // later ticks stay silent
            QCOMPARE(balloons.shown.size(), 1);
            expectBalloon(balloons.shown[0], QStringLiteral("分辨率已经改变，你可能需要重新校准"),
                          QSystemTrayIcon::Warning);
            balloons.shown.clear();
        }
        resolution::setDesktopSizeSource(previousSource);
    }

    void windowModeRunsNoTimer() {
        TraySettings settings(windowModeSettings);
        Form form;
        TimerEventCounter ticks;
        form.installEventFilter(&ticks);
        QTest::qWait(1200);  // more than two periods of the tray mode's poll
        QCOMPARE(ticks.count, 0);
    }

    void englishCatalogueTranslatesTheTrayTexts() {
        QTranslator english;
        QVERIFY(english.load(QStringLiteral("LANG.Cali.en_US.qm"), qEnvironmentVariable("ORVESSA_CATALOGUE_DIR")));
        QCoreApplication::installTranslator(&english);
        TraySettings settings(trayModeSettings);
        BalloonRecorder balloons;
        {
            Form form;
            QStringList texts;
            for (QAction *action : menuActions(form))
                texts << action->text();
            QCOMPARE(texts, (QStringList{"Show main window", "Hide main window", "Quit"}));
            QCOMPARE(form.trayIcon->toolTip(), QStringLiteral("Infrared touch frame"));
            QCOMPARE(form.ui->pushButton_Exit->text(), QStringLiteral("Hide to tray"));
            form.hideWindow();
        }
        QCoreApplication::removeTranslator(&english);
        QCOMPARE(balloons.shown.size(), 1);
        QCOMPARE(balloons.shown[0].title, QStringLiteral("Touch frame notice"));
        QCOMPARE(balloons.shown[0].text, QStringLiteral("Click here to open the touch frame utility"));
    }

    // Last on purpose: once QCoreApplication::exit() has run outside QApplication::exec(), every later
    // QEventLoop::exec() of this process returns at once.
    void quitFromTheMenuSaysGoodbyeWaitsThenEndsWithZero() {
        TraySettings settings(trayModeSettings);
        QStringList steps;
        const auto previousObserver = balloons::setObserver([&steps](const Balloon &balloon) {
            QCOMPARE(balloon.title, balloonTitle);
            QCOMPARE(balloon.icon, QSystemTrayIcon::Information);
            QCOMPARE(balloon.milliseconds, 10000);
            steps << QStringLiteral("balloon ") + balloon.text;
        });
        const auto previousWait = platform::setBlockingWaitHook(
            [&steps](int milliseconds) { steps << QStringLiteral("wait %1").arg(milliseconds); });
        Form form;
        form.show();
        QTimer::singleShot(0, menuActions(form)[2], &QAction::trigger);
        QTimer guard;  // ends the loop with another code should the menu entry not end it
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        guard.start(5000);
        QEventLoop loop;
        const int code = loop.exec();
        balloons::setObserver(previousObserver);
        platform::setBlockingWaitHook(previousWait);
        QCOMPARE(code, 0);
        QCOMPARE(steps, (QStringList{"balloon 退出将不能收到提示信息.", "wait 3000"}));
    }
};

QTEST_MAIN(TestTray)
#include "test_tray.moc"
