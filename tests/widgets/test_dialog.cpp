#include <QtTest>

#include <QLabel>
#include <QPushButton>

#include "calibration/dialog.h"
#include "support/touch_input.h"
#include "ui/form.h"
#include "ui_dialog.h"

using namespace touchInput;

namespace {

// The targets of every grid on 1920 × 1080, row by row.
const QVector<int> columns5{287, 624, 960, 1296, 1631};

QVector<QPoint> targetsOf(int count) {
    QVector<int> columns;
    QVector<int> rows;
    switch (count) {
        case 4:
            columns = {287, 1631};
            rows = {161, 917};
            break;
        case 9:
            columns = {287, 960, 1631};
            rows = {161, 540, 917};
            break;
        case 15:
            columns = columns5;
            rows = {161, 540, 917};
            break;
        default:
            columns = columns5;
            rows = {161, 410, 658, 917};
    }
    QVector<QPoint> targets;
    for (const int row : rows)
        for (const int column : columns)
            targets.append(QPoint(column, row));
    return targets;
}

// Whole units, truncated like the target window's own conversion.
TouchPoint units(QPoint pixel) {
    const int x = pixel.x() * 4096 / 1920;
    const int y = pixel.y() * 4096 / 1080;
    return {double(x), double(y)};
}

bool sameColour(const QImage &image, QPoint at, QColor colour) {
    return image.pixelColor(at) == colour;
}

// True when one of the pixels at most one row above or below @p at has @p colour (a 2 px line covers two rows).
bool lineColourNear(const QImage &image, QPoint at, QColor colour) {
    for (int dy = -1; dy <= 1; ++dy)
        if (sameColour(image, at + QPoint(0, dy), colour))
            return true;
    return false;
}

}  // namespace

class TestDialog : public QObject {
    Q_OBJECT

private:
    Form owner;

    void touchAllTargets(Dialog &dialog, int count) {
        for (const QPoint &target : targetsOf(count))
            tap(&dialog, target);
    }

private slots:
    void init() { owner.touchPoints = {}; }

    void layoutOnTheScreen() {
        Dialog dialog(0, 0, 1920, 1080, 4, &owner);
        QCOMPARE(dialog.geometry(), QRect(0, 0, 1920, 1080));
        QVERIFY(dialog.windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(dialog.isWindow());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Dialog"));
        QVERIFY(dialog.testAttribute(Qt::WA_MouseTracking));
        QCOMPARE(dialog.ui->label_Comment->geometry(), QRect(660, 342, 600, 20));
        QCOMPARE(dialog.ui->label_Comment->alignment(), Qt::AlignCenter);
        QCOMPARE(dialog.ui->label_Comment->font().pointSize(), 12);
        QCOMPARE(dialog.ui->label_Comment->text(), QStringLiteral("请依次点击校准点完成校准"));
        QCOMPARE(dialog.ui->pushButton_Save->geometry(), QRect(880, 412, 161, 50));
        QCOMPARE(dialog.ui->pushButton_NotSave->geometry(), QRect(880, 482, 161, 50));
        QCOMPARE(dialog.ui->pushButton_Save->text(), QStringLiteral("保存"));
        QCOMPARE(dialog.ui->pushButton_NotSave->text(), QStringLiteral("不保存"));
        for (QPushButton *button : {dialog.ui->pushButton_Save, dialog.ui->pushButton_NotSave}) {
            QVERIFY(button->isHidden());
            QCOMPARE(button->font().family(), QStringLiteral("Aharoni"));
            QCOMPARE(button->font().pointSize(), 11);
            QVERIFY(button->font().bold());
        }
        QCOMPARE(dialog.targetCount, 4);
        QCOMPARE(dialog.targetsDone, 0);
        QCOMPARE(dialog.sampleCount, 0);
        QCOMPARE(dialog.owner, &owner);
    }

    void layoutOnAnotherScreenIsRelativeToIt() {
        Dialog dialog(1920, 0, 1280, 1024, 9, &owner);
        QCOMPARE(dialog.geometry(), QRect(1920, 0, 1280, 1024));
        // 0.382 × 1024 = 391.168
        QCOMPARE(dialog.ui->label_Comment->geometry(), QRect(340, 321, 600, 20));
        QCOMPARE(dialog.ui->pushButton_Save->pos(), QPoint(560, 391));
        QCOMPARE(dialog.ui->pushButton_NotSave->pos(), QPoint(560, 461));
    }

    void eachTouchFillsItsTarget_data() {
        QTest::addColumn<int>("count");
        QTest::newRow("4 targets") << 4;
        QTest::newRow("9 targets") << 9;
        QTest::newRow("15 targets") << 15;
        QTest::newRow("20 targets") << 20;
    }
    void eachTouchFillsItsTarget() {
        QFETCH(int, count);
        owner.touchPoints.fill(TouchPoint{-1, -1});
        Dialog dialog(0, 0, 1920, 1080, count, &owner);
        const QVector<QPoint> targets = targetsOf(count);
        // The targets are offered one by one in grid order: before each touch the next one is the blue one.
        for (const QPoint &target : targets) {
            const QImage image = dialog.grab().toImage();
            QVERIFY2(lineColourNear(image, target + QPoint(25, 0), QColor(Qt::blue)),
                     qPrintable(QStringLiteral("target (%1, %2)").arg(target.x()).arg(target.y())));
            tap(&dialog, target);
        }
        QCOMPARE(dialog.targetsDone, count);
        for (int k = 0; k < 20; ++k) {
            const TouchPoint expected = k < count ? units(targets[k]) : TouchPoint{-1, -1};
            QCOMPARE(owner.touchPoints[k].x, expected.x);
            QCOMPARE(owner.touchPoints[k].y, expected.y);
        }
    }

    void touchIsMeasuredFromItsSamples_data() {
        QTest::addColumn<QVector<QPoint>>("path");
        QTest::addColumn<QPoint>("measured");
        QTest::newRow("a tap is measured at the press") << QVector<QPoint>{{960, 540}, {960, 540}} << QPoint(960, 540);
        QTest::newRow("one move is measured at the move")
            << QVector<QPoint>{{900, 500}, {960, 540}, {1000, 600}} << QPoint(960, 540);
        QVector<QPoint> longDrag{{100, 100}};
        for (int i = 0; i < 130; ++i)
            longDrag.append(i < 98 ? QPoint(700 + (i % 2) * 10, 400 + (i % 2) * 20) : QPoint(1800, 1000));
        longDrag.append(QPoint(1900, 1070));
        QTest::newRow("a long drag averages samples 1 to 98 only") << longDrag << QPoint(705, 410);
    }
    void touchIsMeasuredFromItsSamples() {
        QFETCH(QVector<QPoint>, path);
        QFETCH(QPoint, measured);
        Dialog dialog(0, 0, 1920, 1080, 4, &owner);
        drag(&dialog, path);
        QCOMPARE(dialog.targetsDone, 1);
        QCOMPARE(owner.touchPoints[0].x, units(measured).x);
        QCOMPARE(owner.touchPoints[0].y, units(measured).y);
    }

    void theWindowCentreIsStoredAs2048() {
        Dialog dialog(0, 0, 1920, 1080, 4, &owner);
        tap(&dialog, QPoint(960, 540));
        QCOMPARE(owner.touchPoints[0].x, 2048.0);
        QCOMPARE(owner.touchPoints[0].y, 2048.0);
    }

    void repeatedTouches_data() {
        QTest::addColumn<QPoint>("second");
        QTest::addColumn<int>("done");
        QTest::newRow("15 px away on both axes is ignored") << QPoint(975, 525) << 1;
        QTest::newRow("16 px across is a new touch") << QPoint(976, 540) << 2;
        QTest::newRow("16 px down is a new touch") << QPoint(960, 556) << 2;
        QTest::newRow("the same spot is ignored") << QPoint(960, 540) << 1;
    }
    void repeatedTouches() {
        QFETCH(QPoint, second);
        QFETCH(int, done);
        Dialog dialog(0, 0, 1920, 1080, 4, &owner);
        tap(&dialog, QPoint(960, 540));
        tap(&dialog, second);
        QCOMPARE(dialog.targetsDone, done);
        if (done == 2)
            QCOMPARE(owner.touchPoints[1].x, units(second).x);
        else
            QCOMPARE(owner.touchPoints[1].x, 0.0);
    }

    // The user touches the first target, slips, presses Escape and starts again: the new run must take the very
    // same spots, the first one included, and within the run a repeat is still ignored.
    void aRunAfterAnAbandonedOneTakesTheSameSpots() {
        const QVector<QPoint> targets = targetsOf(4);
        {
            Dialog abandoned(0, 0, 1920, 1080, 4, &owner);
            tap(&abandoned, targets[0]);
            QCOMPARE(abandoned.targetsDone, 1);
        }
        Dialog again(0, 0, 1920, 1080, 4, &owner);
        QCOMPARE(again.sampler.lastTouch, QPoint(-200, -200));
        tap(&again, targets[0]);
        tap(&again, targets[0] + QPoint(5, 5));
        QCOMPARE(again.targetsDone, 1);
        for (int k = 1; k < 4; ++k)
            tap(&again, targets[k]);
        QCOMPARE(again.targetsDone, 4);
        for (int k = 0; k < 4; ++k)
            QCOMPARE(owner.touchPoints[k].x, units(targets[k]).x);
    }

    void doubleClickRestartsTheSamples() {
        Dialog dialog(0, 0, 1920, 1080, 4, &owner);
        tap(&dialog, QPoint(287, 161));
        // Second click of a double click: the window gets a double-click event in place of a press. Without the
        // restart, the first click's samples would still be in the buffer.
        press(&dialog, QPoint(400, 400));
        move(&dialog, QPoint(410, 410));
        doubleClick(&dialog, QPoint(1631, 161));
        QCOMPARE(dialog.sampleCount, 1);
        move(&dialog, QPoint(1600, 200));
        release(&dialog, QPoint(1700, 300));
        QCOMPARE(dialog.targetsDone, 2);
        QCOMPARE(owner.touchPoints[1].x, units(QPoint(1600, 200)).x);
        QCOMPARE(owner.touchPoints[1].y, units(QPoint(1600, 200)).y);
    }

    void hoverMovesBeforeAPressAreForgotten() {
        Dialog dialog(0, 0, 1920, 1080, 4, &owner);
        // The window tracks the mouse, so moves without a button arrive too and fill the buffer; the press of the
        // next touch starts it afresh.
        for (int i = 0; i < 150; ++i)
            move(&dialog, QPoint(5 + i, 5), false);
        tap(&dialog, QPoint(287, 161));
        QCOMPARE(owner.touchPoints[0].x, units(QPoint(287, 161)).x);
    }

    void completionOffersToSaveAndKeepsTheTable() {
        Dialog dialog(0, 0, 1920, 1080, 9, &owner);
        const QVector<QPoint> targets = targetsOf(9);
        for (int k = 0; k < 8; ++k)
            tap(&dialog, targets[k]);
        QCOMPARE(dialog.targetsDone, 8);
        QVERIFY(dialog.ui->pushButton_Save->isHidden());
        tap(&dialog, targets[8]);
        QCOMPARE(dialog.targetsDone, 9);
        QCOMPARE(dialog.ui->label_Comment->text(), QStringLiteral("是否保存该次校准结果?"));
        QVERIFY(!dialog.ui->pushButton_Save->isHidden());
        QVERIFY(!dialog.ui->pushButton_NotSave->isHidden());

        const TouchPointTable before = owner.touchPoints;
        tap(&dialog, QPoint(100, 1000));
        tap(&dialog, QPoint(1800, 100));
        QCOMPARE(dialog.targetsDone, 9);
        for (int k = 0; k < 20; ++k)
            QCOMPARE(owner.touchPoints[k].x, before[k].x);
        QVERIFY(!dialog.ui->pushButton_Save->isHidden());
        QCOMPARE(dialog.ui->label_Comment->text(), QStringLiteral("是否保存该次校准结果?"));
    }

    // The second line: progress while collecting, the check once complete; a run with a target that looks missed
    // draws it red and makes "不保存" the default, without taking "保存" away.
    void secondLineShowsProgressThenTheCheck() {
        Dialog dialog(0, 0, 1920, 1080, 9, &owner);
        auto *detail = dialog.findChild<QLabel *>(QStringLiteral("label_Detail"));
        QVERIFY(detail);
        QCOMPARE(detail->text(), QStringLiteral("第 1 点,共 9 点 · 按 Esc 放弃"));
        QVERIFY(detail->geometry().top() > dialog.ui->label_Comment->geometry().bottom());
        QVERIFY(detail->geometry().bottom() < dialog.ui->pushButton_Save->geometry().top());
        TouchPointTable checked{};
        dialog.setCompletionCheck([&checked](const TouchPointTable &touches) {
            checked = touches;
            calibration::RunCheck check;
            check.verdict = calibration::RunCheck::Verdict::TargetsMissed;
            check.millimetresMeasured = true;
            check.missed = {{4, 300, 189}};
            return check;
        });
        const QVector<QPoint> targets = targetsOf(9);
        for (int k = 0; k < 3; ++k)
            tap(&dialog, targets[k]);
        QCOMPARE(detail->text(), QStringLiteral("第 4 点,共 9 点 · 按 Esc 放弃"));
        dialog.addNotice(Dialog::touchOnOtherScreenNotice(2));
        dialog.addNotice(Dialog::touchOnOtherScreenNotice(2));
        QCOMPARE(detail->text().count(QStringLiteral("屏幕 2")), 1);
        for (int k = 3; k < 9; ++k)
            tap(&dialog, targets[k]);

        QCOMPARE(checked[8].x, units(targets[8]).x);  // checked with the complete table
        QCOMPARE(dialog.runCheck().missed.size(), 1);
        QVERIFY(detail->text().startsWith(
            QStringLiteral("可能未点准: 第 5 点 (偏离 189.0 mm), 建议不保存并重新校准\n有触摸落在了屏幕 2 上")));
        QVERIFY(dialog.ui->pushButton_NotSave->isDefault());
        QVERIFY(!dialog.ui->pushButton_Save->isDefault());
        QVERIFY(!dialog.ui->pushButton_Save->isHidden());
        const QImage image = dialog.grab().toImage();
        QVERIFY(lineColourNear(image, targets[4] + QPoint(25, 0), QColor(Qt::red)));
        QVERIFY(sameColour(image, targets[3] + QPoint(25, 0), QColor(Qt::gray)));
    }

    void saveAcceptsAndEscapeRejects_data() {
        QTest::addColumn<int>("ending");  // 0 save, 1 do not save, 2 Escape while collecting
        QTest::addColumn<int>("result");
        QTest::newRow("save accepts") << 0 << int(QDialog::Accepted);
        QTest::newRow("do not save rejects") << 1 << int(QDialog::Rejected);
        QTest::newRow("Escape while collecting rejects") << 2 << int(QDialog::Rejected);
    }
    void saveAcceptsAndEscapeRejects() {
        QFETCH(int, ending);
        QFETCH(int, result);
        Dialog dialog(0, 0, 1920, 1080, 4, &owner);
        dialog.showFullScreen();
        QTimer::singleShot(0, &dialog, [&] {
            if (ending == 2) {
                tap(&dialog, QPoint(287, 161));
                QTest::keyClick(&dialog, Qt::Key_Escape);
                return;
            }
            touchAllTargets(dialog, 4);
            QTest::mouseClick(ending == 0 ? dialog.ui->pushButton_Save : dialog.ui->pushButton_NotSave, Qt::LeftButton);
        });
        QCOMPARE(dialog.exec(), result);
        QCOMPARE(dialog.targetsDone, ending == 2 ? 1 : 4);
    }

    void paintingShowsDoneAndCurrentTargets() {
        const QColor grey(Qt::gray);
        const QColor blue(Qt::blue);
        Dialog dialog(0, 0, 1920, 1080, 4, &owner);
        const QVector<QPoint> targets = targetsOf(4);
        const QColor background = dialog.grab().toImage().pixelColor(960, 800);

        QImage image = dialog.grab().toImage();
        QVERIFY(lineColourNear(image, targets[0] + QPoint(25, 0), blue));
        QVERIFY(lineColourNear(image, targets[0] + QPoint(0, 25), blue));
        QVERIFY(lineColourNear(image, targets[0] + QPoint(20, 0), blue));  // on the circle and the cross
        for (int k = 1; k < 4; ++k)
            QVERIFY(sameColour(image, targets[k] + QPoint(25, 0), background));

        tap(&dialog, targets[0]);
        tap(&dialog, targets[1]);
        image = dialog.grab().toImage();
        for (int k = 0; k < 2; ++k) {
            QVERIFY(sameColour(image, targets[k] + QPoint(25, 0), grey));
            QVERIFY(sameColour(image, targets[k] + QPoint(0, -25), grey));
            QVERIFY(sameColour(image, targets[k] + QPoint(-20, 0), grey));
            QVERIFY(sameColour(image, targets[k] + QPoint(0, -29), grey));
            QVERIFY(sameColour(image, targets[k] + QPoint(0, -32), background));  // the cross ends at 30
        }
        QVERIFY(lineColourNear(image, targets[2] + QPoint(25, 0), blue));
        QVERIFY(sameColour(image, targets[3] + QPoint(25, 0), background));

        tap(&dialog, targets[2]);
        tap(&dialog, targets[3]);
        image = dialog.grab().toImage();
        int bluePixels = 0;
        for (int y = 0; y < image.height(); y += 1)
            for (int x = 0; x < image.width(); x += 1)
                bluePixels += image.pixelColor(x, y) == blue;
        QCOMPARE(bluePixels, 0);
        for (int k = 0; k < 4; ++k)
            QVERIFY(sameColour(image, targets[k] + QPoint(25, 0), grey));
    }

    void unknownTargetCountDrawsNothing() {
        Dialog dialog(0, 0, 1920, 1080, 5, &owner);
        const QImage image = dialog.grab().toImage();
        const QColor background = image.pixelColor(10, 10);
        for (const QPoint &target : targetsOf(20))
            QVERIFY(sameColour(image, target + QPoint(25, 0), background));
    }
};

QTEST_MAIN(TestDialog)
#include "test_dialog.moc"
