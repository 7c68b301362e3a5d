#include <QtTest>

#include <QPushButton>
#include <QVBoxLayout>

#include "settings/settings_file.h"
#include "ui/form.h"
#include "ui/screen_banner.h"
#include "ui_form.h"

class TestForm : public QObject {
    Q_OBJECT

private:
    QTemporaryDir settingsFolder;

    void writeSettings(const QByteArray &content) {
        QFile file(settingsFolder.filePath(QStringLiteral("setting_calibration.ini")));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

private slots:
    void initTestCase() { settings::setFolderOverride(settingsFolder.path()); }
    void init() { QFile::remove(settingsFolder.filePath(QStringLiteral("setting_calibration.ini"))); }

    void slotTableKeepsItsOrder() {
        const QMetaObject &meta = Form::staticMetaObject;
        const QStringList expected{"showWindow()",
                                   "hideWindow()",
                                   "exitWindow()",
                                   "msgClicked()",
                                   "activeWindow(QSystemTrayIcon::ActivationReason)",
                                   "StartCalibrate_4_1()",
                                   "StartCalibrate_5_1()",
                                   "StartCalibrate_6_1()",
                                   "StartCalibrate_16_1()",
                                   "onButtonClear()",
                                   "onButtonExit()",
                                   "onButtonChange()",
                                   "onButtonDblClick()",
                                   "onButtonScreen()"};
        QStringList actual;
        for (int i = meta.methodOffset(); i < meta.methodCount(); ++i)
            actual << QString::fromLatin1(meta.method(i).methodSignature());
        QCOMPARE(actual, expected);
    }

    void layoutAndTexts() {
        Form form;
        QCOMPARE(form.size(), QSize(380, 524));
        // Fixed for the window system too: a tiling compositor then floats the window instead of stretching it.
        QCOMPARE(form.minimumSize(), QSize(380, 524));
        QCOMPARE(form.maximumSize(), QSize(380, 524));
        QCOMPARE(form.windowTitle(), QStringLiteral("Form"));
        QCOMPARE(form.ui->verticalLayoutWidget->geometry(), QRect(70, 20, 241, 491));
        QCOMPARE(form.ui->verticalLayout->count(), 9);
        QCOMPARE(form.ui->verticalLayout->contentsMargins(), QMargins(6, 1, 6, 1));
        const QList<QPushButton *> buttons{
            form.ui->pushButton_cali_4_1,  form.ui->pushButton_cali_5_1, form.ui->pushButton_cali_6_1,
            form.ui->pushButton_cali_16_1, form.ui->pushButton_Clear,    form.ui->pushButton_Change,
            form.ui->pushButton_DblClick,  form.ui->pushButton_Screen,   form.ui->pushButton_Exit};
        const QStringList texts{"4点校准开始", "9点校准开始", "15点校准开始",      "20点校准开始", "清除校准",
                                "切换到单点",  "双击优化",    "切换屏幕(Enter键)", "退  出"};
        for (int i = 0; i < buttons.size(); ++i) {
            QCOMPARE(buttons[i]->text(), texts[i]);
            QCOMPARE(form.ui->verticalLayout->itemAt(i)->widget(), buttons[i]);
            QCOMPARE(form.ui->verticalLayout->stretch(i), 1);
            QCOMPARE(buttons[i]->maximumSize(), QSize(229, 60));
            QCOMPARE(buttons[i]->minimumSize(), QSize(i == 1 ? 209 : 229, 30));
            QCOMPARE(buttons[i]->font().pointSize(), 12);
            QVERIFY(buttons[i]->font().bold());
            QCOMPARE(buttons[i]->font().family(), QStringLiteral("新宋体"));
        }
        QVERIFY(form.ui->pushButton_Change->isHidden());
        QVERIFY(form.ui->pushButton_Screen->isHidden());
        QVERIFY(!form.ui->pushButton_Clear->isHidden());
        QVERIFY(form.ui->pushButton_Change->isEnabled());  // no Windows version here: never disabled
        QVERIFY(form.ui->pushButton_cali_4_1->autoFillBackground());
        QCOMPARE(form.deviceUsage, 0);
        QCOMPARE(form.systray, 0);
        QVERIFY(!form.trayIcon);
    }

    void vendorIdsComeFromTheSettingsFile() {
        writeSettings("[config]\nvid=1FF7+28E1+12G4++0AB1\n");
        Form form;
        QCOMPARE(form.vidList, (QVector<int>{0x28E1, 0x13FF, 0x1314, 0x1870, 0x595A, 0x1FF7, 0x0AB1}));
    }

    void mangledSettingsFileGivesTheDefaults() {
        writeSettings(QByteArray("\xff\xfe[config\nsystray=yes\nvid=\x01\x02+\n=\n[[[", 30));
        Form form;
        QCOMPARE(form.systray, 0);
        QCOMPARE(form.vidList.mid(0, 5), (QVector<int>{0x28E1, 0x13FF, 0x1314, 0x1870, 0x595A}));
        QCOMPARE(form.ui->pushButton_Exit->text(), QStringLiteral("退  出"));
    }

    void startsOnTheFirstScreenAndEnterCycles_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
    }
    void startsOnTheFirstScreenAndEnterCycles() {
        QFETCH(int, key);
        Form form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.pos(), QPoint(770, 212));
        QTest::keyClick(&form, Qt::Key(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        QCOMPARE(form.pos(), QPoint(1920 + 450, 191));
        // The banner names the screen the window went to, on that screen, without taking the keyboard.
        QPointer<ScreenBanner> banner = ScreenBanner::current();
        QVERIFY(banner && banner->isVisible());
        QCOMPARE(banner->text(), QStringLiteral("校准将在此屏幕进行: 屏幕 2 · right · 1280 × 1024"));
        QCOMPARE(banner->screen()->name(), QStringLiteral("right"));
        QVERIFY(banner->testAttribute(Qt::WA_ShowWithoutActivating));
        QVERIFY(banner->windowFlags() & Qt::WindowDoesNotAcceptFocus);
        QTest::keyClick(&form, Qt::Key(key));
        QCOMPARE(form.pos(), QPoint(770, 212));
        QTRY_VERIFY(!banner);  // the second banner replaced the first
        QCOMPARE(ScreenBanner::current()->text(), QStringLiteral("校准将在此屏幕进行: 屏幕 1 · left · 1920 × 1080"));
        QTRY_VERIFY_WITH_TIMEOUT(!ScreenBanner::current(), ScreenBanner::displayMilliseconds + 2000);
    }

    void otherKeysDoNothing() {
        Form form;
        form.show();
        for (Qt::Key key : {Qt::Key_Space, Qt::Key_Escape, Qt::Key_A, Qt::Key_Tab, Qt::Key_Right})
            QTest::keyClick(&form, key);
        QCOMPARE(form.pos(), QPoint(770, 212));
    }

    void windowOffEveryScreenOrOnAnEdgeGoesToTheFirst_data() {
        QTest::addColumn<QPoint>("start");
        QTest::newRow("off the desktop") << QPoint(-900, -900);
        QTest::newRow("exactly on the left edge of the second") << QPoint(1920, 300);
        QTest::newRow("exactly on the top edge of the first") << QPoint(300, 0);
    }
    void windowOffEveryScreenOrOnAnEdgeGoesToTheFirst() {
        QFETCH(QPoint, start);
        Form form;
        form.move(start);
        form.onButtonScreen();
        QCOMPARE(form.pos(), QPoint(770, 212));
    }

    void hiddenScreenButtonStillMoves() {
        Form form;
        form.ui->pushButton_Screen->click();
        QCOMPARE(form.pos(), QPoint(2370, 191));
    }

    // Keep last: once the application has been told to exit, every later nested event loop returns at once.
    void exitButtonEndsTheEventLoopInWindowMode() {
        Form form;
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        guard.start(5000);
        QTimer::singleShot(0, form.ui->pushButton_Exit, &QPushButton::click);
        QEventLoop loop;
        QCOMPARE(loop.exec(), 0);
    }
};

QTEST_MAIN(TestForm)
#include "test_form.moc"
