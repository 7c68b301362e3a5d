#include <QtTest>

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

#include "settings/settings_file.h"
#include "calibration/cover_window.h"
#include "calibration/dialog.h"
#include "calibration/target_grid.h"
#include "platform/blocking_wait.h"
#include "support/modal_answerer.h"
#include "support/touch_input.h"
#include "ui/form.h"
#include "ui_dialog.h"
#include "virtual_frame.h"

// The four calibration buttons against the virtual frame: what goes to the frame, in which order and with which
// report id, which messages the user sees, where the target window appears, and that the frame is closed on every
// way out. The target window is driven like a user would: touches at its targets, then "保存", "不保存" or Escape.

namespace {

using Codes = QVector<int>;
using Bytes = QVector<int>;

enum class Ending { Save, NotSave, Escape };

// Finds the running target window, touches it and ends it.
class DialogDriver : public QObject {
public:
    // Window-local touch positions; empty: every target of the window at its pixel.
    QVector<QPoint> touches;
    // Offsets added to single targets, by index (only when touches is empty).
    QMap<int, QPoint> aimOff;
    Ending ending = Ending::Save;

    int windowsSeen = 0;
    QRect geometry;
    int targetCount = 0;
    bool fullScreen = false;
    bool applicationModal = false;
    bool labelAskedToSave = false;
    bool waitCursor = false;
    // Touch the first cover (another screen) before the targets, and what the run looked like.
    bool touchCover = false;
    QVector<QRect> covers;
    QString coverText;
    int doneAfterCoverTouch = -1;
    QVector<int> drawnMissed;
    QString detail;

    DialogDriver() {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start();
    }

private:
    void poll() {
        auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || dialog->property("driven").toBool())
            return;
        dialog->setProperty("driven", true);
        ++windowsSeen;
        geometry = dialog->geometry();
        targetCount = dialog->targetCount;
        fullScreen = dialog->isFullScreen();
        applicationModal = dialog->windowModality() == Qt::ApplicationModal;
        waitCursor = QGuiApplication::overrideCursor() != nullptr;

        QVector<QPoint> points = touches;
        if (points.isEmpty()) {
            points = calibration::targetPositions(dialog->targetCount, dialog->width(), dialog->height());
            for (auto it = aimOff.cbegin(); it != aimOff.cend(); ++it)
                points[it.key()] += it.value();
        }
        for (CoverWindow *cover : dialog->findChildren<CoverWindow *>())
            if (cover->isVisible())
                covers << cover->geometry();
        if (touchCover && !dialog->findChildren<CoverWindow *>().isEmpty()) {
            CoverWindow *cover = dialog->findChildren<CoverWindow *>().first();
            touchInput::tap(cover, cover->rect().center());
            coverText = cover->findChild<QLabel *>(QStringLiteral("label_Cover"))->text() + QLatin1Char('|') +
                        cover->findChild<QLabel *>(QStringLiteral("label_Touched"))->text();
            doneAfterCoverTouch = dialog->targetsDone;
        }
        for (const QPoint &point : points)
            touchInput::tap(dialog, point);
        for (const auto &missed : dialog->runCheck().missed)
            drawnMissed << missed.target;
        detail = dialog->findChild<QLabel *>(QStringLiteral("label_Detail"))->text();
        labelAskedToSave = dialog->ui->label_Comment->text() == QStringLiteral("是否保存该次校准结果?");

        switch (ending) {
            case Ending::Save:
                QTest::mouseClick(dialog->ui->pushButton_Save, Qt::LeftButton);
                break;
            case Ending::NotSave:
                QTest::mouseClick(dialog->ui->pushButton_NotSave, Qt::LeftButton);
                break;
            case Ending::Escape:
                QTest::keyClick(dialog, Qt::Key_Escape);
                break;
        }
    }

    QTimer m_timer;
};

Codes writtenCodes() {
    Codes codes;
    for (const auto &write : virtual_frame::events(virtual_frame::Event::Kind::Write))
        codes.append(write.bytes.size() > 2 ? write.bytes[2] : -1);
    return codes;
}

Bytes bytesOf(const virtual_frame::Event &write, int from, int to) {
    Bytes result;
    for (int i = from; i < to; ++i)
        result.append(write.bytes[std::size_t(i)]);
    return result;
}

const Bytes projectiveOnTarget{0x49, 0,    0x10, 0,    0,    0, 0, 0, 0x6D, 0x09, 0, 0, 0, 0, 0, 0,   0x49,
                               0,    0x10, 0,    0x6E, 0x11, 0, 0, 0, 0,    0,    0, 0, 0, 0, 0, 0xFF};
const Bytes affineOnTarget{0x00, 0x10, 0, 0, 0x02, 0, 0, 0, 0x00, 0x10, 0x04, 0, 0xFF};

}  // namespace

class TestCalibrationProcedure : public QObject {
    Q_OBJECT

private:
    QTemporaryDir settingsFolder;
    Form *form = nullptr;
    int waitsWithoutTheWaitCursor = 0;

    void addFrame(const QString &interfaces = QStringLiteral("28E1:FF00:A3")) {
        for (const auto &interface : virtual_frame::parseInterfaces(interfaces.toStdString()))
            virtual_frame::addInterface(interface);
    }

    bool multipleScreens() const { return QGuiApplication::screens().size() > 1; }

private slots:
    void initTestCase() {
        settings::setFolderOverride(settingsFolder.path());
        platform::setBlockingWaitHook([this](int) { waitsWithoutTheWaitCursor += !QGuiApplication::overrideCursor(); });
    }
    void init() {
        virtual_frame::reset();
        form = new Form;
        form->move(770, 212);
    }
    void cleanup() {
        delete form;
        QCOMPARE(virtual_frame::openHandles(), 0);
        QCOMPARE(virtual_frame::unfreedLists(), 0);
        QVERIFY(virtual_frame::faults().empty());
        int opened = 0;
        for (const auto &open : virtual_frame::events(virtual_frame::Event::Kind::Open))
            opened += open.result == 1;
        QCOMPARE(int(virtual_frame::events(virtual_frame::Event::Kind::Close).size()), opened);
        QCOMPARE(std::exchange(waitsWithoutTheWaitCursor, 0), 0);  // the search shows the wait cursor...
        QVERIFY(!QGuiApplication::overrideCursor());               // ...and gives it back on every way out
    }

    void eachButtonRunsItsTargetCount_data() {
        QTest::addColumn<QString>("slot");
        QTest::addColumn<int>("targets");
        QTest::newRow("4-point button runs 4 targets") << "StartCalibrate_4_1" << 4;
        QTest::newRow("9-point button runs 9 targets") << "StartCalibrate_5_1" << 9;
        QTest::newRow("15-point button runs 15 targets") << "StartCalibrate_6_1" << 15;
        QTest::newRow("20-point button runs 20 targets") << "StartCalibrate_16_1" << 20;
    }
    void eachButtonRunsItsTargetCount() {
        QFETCH(QString, slot);
        QFETCH(int, targets);
        addFrame();
        DialogDriver driver;
        ModalAnswerer answerer;
        QVERIFY(QMetaObject::invokeMethod(form, slot.toLatin1().constData()));
        QCOMPARE(driver.windowsSeen, 1);
        QCOMPARE(driver.targetCount, targets);
        QVERIFY(driver.fullScreen);
        // Found as the active modal widget, and modal for the whole application: the main window takes no clicks
        // while the targets are up.
        QVERIFY(driver.applicationModal);
        QVERIFY(driver.labelAskedToSave);
        QVERIFY(!driver.waitCursor);  // the user's turn: the normal cursor, here and on the box below
        QCOMPARE(writtenCodes(), (Codes{0x51, 0x61}));
        // Every grid has its corner targets at the same pixels, so the upload is the same for all.
        const auto writes = virtual_frame::events(virtual_frame::Event::Kind::Write);
        QCOMPARE(bytesOf(writes.back(), 0, 3), (Bytes{0xA3, 0x55, 0x61}));
        QCOMPARE(bytesOf(writes.back(), 3, 36), projectiveOnTarget);
        QCOMPARE(answerer.boxes().size(), 1);
        QCOMPARE(answerer.boxes()[0].title, QStringLiteral("OK"));
        QCOMPARE(answerer.boxes()[0].text, QStringLiteral("校准已更新!"));
        QCOMPARE(answerer.boxes()[0].icon, QMessageBox::Information);
        QVERIFY(!answerer.boxes()[0].waitCursor);
    }

    void projectiveRunSendsQueryThenUpload() {
        addFrame();
        DialogDriver driver;
        ModalAnswerer answerer;
        form->StartCalibrate_4_1();

        const auto writes = virtual_frame::events(virtual_frame::Event::Kind::Write);
        QCOMPARE(writes.size(), std::size_t(2));
        for (const auto &write : writes) {
            QCOMPARE(write.length, std::size_t(63));
            QCOMPARE(write.bytes.size(), std::size_t(63));
        }
        QCOMPARE(bytesOf(writes[0], 0, 63), (Bytes{0xA3, 0x55, 0x51, 0xFF} + Bytes(59, 0)));
        QCOMPARE(bytesOf(writes[1], 36, 63), Bytes(27, 0));
        const auto reads = virtual_frame::events(virtual_frame::Event::Kind::Read);
        QCOMPARE(reads.size(), std::size_t(1));
        QCOMPARE(reads[0].timeoutMs, 100);
        QCOMPARE(reads[0].length, std::size_t(64));

        const std::array<std::int32_t, 8> expected{1048649, 0, 2413, 0, 1048649, 4462, 0, 0};
        QCOMPARE(form->fixedCoefficients, expected);
        const auto state = virtual_frame::state();
        QCOMPARE(state.lastUploadCode, 0x61);
        QCOMPARE(state.lastCoefficients, std::vector<std::int32_t>(expected.begin(), expected.end()));
        QVERIFY(!state.calibrating);
        QCOMPARE(answerer.boxes().size(), 1);
        QCOMPARE(answerer.boxes()[0].buttons, QStringList{QStringLiteral("OK")});
    }

    void defaultReportIdGoesOutAsSixAndIsAnsweredWithFive() {
        addFrame(QStringLiteral("28E1:FF00:0"));
        DialogDriver driver;
        ModalAnswerer answerer;
        form->StartCalibrate_4_1();
        QCOMPARE(form->deviceUsage, 0);
        const auto writes = virtual_frame::events(virtual_frame::Event::Kind::Write);
        QCOMPARE(writtenCodes(), (Codes{0x51, 0x61}));
        for (const auto &write : writes)
            QCOMPARE(int(write.bytes[0]), 6);
        QCOMPARE(int(virtual_frame::events(virtual_frame::Event::Kind::Read)[0].bytes[0]), 5);
    }

    void frameWithoutValidReplyGetsTheAffineUpload_data() {
        QTest::addColumn<virtual_frame::StartReply>("reply");
        QTest::newRow("no reply within 100 ms") << virtual_frame::StartReply::Timeout;
        QTest::newRow("reply with the wrong id") << virtual_frame::StartReply::WrongId;
        QTest::newRow("reply with a wrong byte") << virtual_frame::StartReply::WrongByte;
        QTest::newRow("short reply") << virtual_frame::StartReply::Short;
        QTest::newRow("read error") << virtual_frame::StartReply::Error;
    }
    void frameWithoutValidReplyGetsTheAffineUpload() {
        QFETCH(virtual_frame::StartReply, reply);
        addFrame();
        virtual_frame::setStartReply(reply);
        DialogDriver driver;
        ModalAnswerer answerer;
        form->fixedCoefficients = {7, 7, 7, 7, 7, 7, 7, 7};
        form->StartCalibrate_5_1();
        QCOMPARE(writtenCodes(), (Codes{0x51, 0x55, 0x66}));
        const auto writes = virtual_frame::events(virtual_frame::Event::Kind::Write);
        QCOMPARE(bytesOf(writes[1], 0, 63), (Bytes{0xA3, 0x55, 0x55, 0xFF} + Bytes(59, 0)));
        QCOMPARE(bytesOf(writes[2], 0, 3), (Bytes{0xA3, 0x55, 0x66}));
        QCOMPARE(bytesOf(writes[2], 3, 16), affineOnTarget);
        QCOMPARE(bytesOf(writes[2], 16, 63), Bytes(47, 0));
        QCOMPARE(form->fixedCoefficients, (std::array<std::int32_t, 8>{7, 7, 7, 7, 7, 7, 7, 7}));
        QCOMPARE(answerer.boxes().size(), 1);
        QCOMPARE(answerer.boxes()[0].text, QStringLiteral("校准已更新!"));
    }

    void failedQueryWriteWarnsAndStillCalibratesAffine() {
        addFrame();
        virtual_frame::failWrite(0x51);
        DialogDriver driver;
        ModalAnswerer answerer;
        form->StartCalibrate_4_1();
        QCOMPARE(driver.windowsSeen, 1);
        QCOMPARE(writtenCodes(), (Codes{0x51, 0x66}));
        QVERIFY(virtual_frame::events(virtual_frame::Event::Kind::Read).empty());
        QCOMPARE(answerer.boxes().size(), 2);
        QCOMPARE(answerer.boxes()[0].title, QStringLiteral("Error"));
        QCOMPARE(answerer.boxes()[0].text, QStringLiteral("未检测到设备,请检查连接!"));
        QCOMPARE(answerer.boxes()[0].icon, QMessageBox::Warning);
        QCOMPARE(answerer.boxes()[1].title, QStringLiteral("OK"));
        QCOMPARE(answerer.boxes()[1].text, QStringLiteral("校准已更新!"));
    }

    void notSavingAbandons_data() {
        QTest::addColumn<Ending>("ending");
        QTest::addColumn<bool>("projective");
        QTest::newRow("不保存 on a projective frame") << Ending::NotSave << true;
        QTest::newRow("Escape on a projective frame") << Ending::Escape << true;
        QTest::newRow("不保存 on an affine frame") << Ending::NotSave << false;
    }
    void notSavingAbandons() {
        QFETCH(Ending, ending);
        QFETCH(bool, projective);
        addFrame();
        if (!projective)
            virtual_frame::setStartReply(virtual_frame::StartReply::Timeout);
        DialogDriver driver;
        driver.ending = ending;
        ModalAnswerer answerer;
        form->StartCalibrate_4_1();
        QCOMPARE(writtenCodes(), projective ? (Codes{0x51, 0x77}) : (Codes{0x51, 0x55, 0x77}));
        QCOMPARE(bytesOf(virtual_frame::events(virtual_frame::Event::Kind::Write).back(), 0, 63),
                 (Bytes{0xA3, 0x55, 0x77, 0xFF} + Bytes(59, 0)));
        QCOMPARE(virtual_frame::state().abandons, 1);
        QCOMPARE(answerer.boxes().size(), 1);
        QCOMPARE(answerer.boxes()[0].title, QStringLiteral("Error"));
        QCOMPARE(answerer.boxes()[0].text, QStringLiteral("校准未更新"));
    }

    void failedUploadIsReported_data() {
        QTest::addColumn<bool>("projective");
        QTest::newRow("projective upload fails") << true;
        QTest::newRow("affine upload fails") << false;
    }
    void failedUploadIsReported() {
        QFETCH(bool, projective);
        addFrame();
        if (!projective)
            virtual_frame::setStartReply(virtual_frame::StartReply::WrongByte);
        virtual_frame::failWrite(projective ? 0x61 : 0x66);
        DialogDriver driver;
        ModalAnswerer answerer;
        form->StartCalibrate_4_1();
        QCOMPARE(writtenCodes().back(), projective ? 0x61 : 0x66);
        QCOMPARE(virtual_frame::state().lastUploadCode, 0);
        QCOMPARE(answerer.boxes().size(), 1);
        QCOMPARE(answerer.boxes()[0].title, QStringLiteral("Error"));
        QCOMPARE(answerer.boxes()[0].text, QStringLiteral("校准未更新"));
    }

    void noFrameWarnsOnceAndShowsNoWindow_data() {
        QTest::addColumn<QString>("interfaces");
        QTest::addColumn<bool>("failOpen");
        QTest::newRow("no HID device at all") << "" << false;
        QTest::newRow("a frame that cannot be opened") << "28E1:FF00:A3" << true;
        QTest::newRow("a device of another vendor") << "1FF7:FF00:A3" << false;
    }
    void noFrameWarnsOnceAndShowsNoWindow() {
        QFETCH(QString, interfaces);
        QFETCH(bool, failOpen);
        addFrame(interfaces);
        if (failOpen)
            virtual_frame::failOpen("virtual-frame:0");
        DialogDriver driver;
        ModalAnswerer answerer;
        form->StartCalibrate_16_1();
        QCOMPARE(driver.windowsSeen, 0);
        QVERIFY(virtual_frame::events(virtual_frame::Event::Kind::Write).empty());
        QCOMPARE(answerer.boxes().size(), 1);
        QCOMPARE(answerer.boxes()[0].title, QStringLiteral("Error"));
        QCOMPARE(answerer.boxes()[0].text, QStringLiteral("未检测到设备,请检查连接!"));
        QVERIFY(!form->device);
    }

    void onlyTheCornerTouchesCount() {
        addFrame();
        DialogDriver driver;
        // The five inner targets of the 9-point grid are touched 40 px off; the corners on target.
        for (const int inner : {1, 3, 4, 5, 7})
            driver.aimOff.insert(inner, QPoint(40, -35));
        ModalAnswerer answerer;
        form->StartCalibrate_5_1();
        QCOMPARE(bytesOf(virtual_frame::events(virtual_frame::Event::Kind::Write).back(), 3, 36), projectiveOnTarget);
    }

    // A 9-target run whose centre target was touched 300 px off: the user is told, and saving anyway still uploads
    // the bytes of the four corners, exactly as a clean run does.
    void aMissedInnerTargetIsShownAndTheUploadStaysTheSame_data() {
        QTest::addColumn<QPoint>("centreOff");
        QTest::addColumn<QVector<int>>("drawnMissed");
        QTest::newRow("a clean run shows its worst inner deviation") << QPoint() << QVector<int>{};
        QTest::newRow("the centre 300 px off is drawn missed") << QPoint(300, 0) << QVector<int>{4};
    }
    void aMissedInnerTargetIsShownAndTheUploadStaysTheSame() {
        QFETCH(QPoint, centreOff);
        QFETCH(QVector<int>, drawnMissed);
        addFrame();
        DialogDriver driver;
        driver.aimOff.insert(4, centreOff);
        ModalAnswerer answerer;
        form->StartCalibrate_5_1();
        QCOMPARE(driver.drawnMissed, drawnMissed);
        QCOMPARE(bytesOf(virtual_frame::events(virtual_frame::Event::Kind::Write).back(), 3, 36), projectiveOnTarget);
        QCOMPARE(answerer.boxes().size(), 1);
        QCOMPARE(answerer.boxes()[0].text, QStringLiteral("校准已更新!"));
        // The saved run's box carries the check's line, as the target window showed it.
        QVERIFY(answerer.boxes()[0].informativeText.contains(driver.detail));
        QVERIFY(driver.detail.startsWith(drawnMissed.isEmpty() ? QStringLiteral("内点最大偏差 ")
                                                               : QStringLiteral("可能未点准: 第 5 点 (偏离 ")));
    }

    // Every other screen is covered during the run; a touch on a cover is not stored, and both the cover and the
    // target window say where it went. The covers leave with the run.
    void otherScreensAreCoveredAndTheirTouchesRefused() {
        if (!multipleScreens())
            QSKIP("needs a second screen (two_screens.json)");
        addFrame();
        DialogDriver driver;
        driver.touchCover = true;
        driver.ending = Ending::NotSave;
        ModalAnswerer answerer;
        form->StartCalibrate_4_1();
        QCOMPARE(driver.covers, (QVector<QRect>{QRect(1920, 0, 1280, 1024)}));
        QCOMPARE(driver.doneAfterCoverTouch, 0);
        QVERIFY(
            driver.coverText.startsWith(QStringLiteral("正在校准屏幕 1 (left)|刚才的触摸落在了这个屏幕 (屏幕 2) 上")));
        QVERIFY(driver.detail.contains(Dialog::touchOnOtherScreenNotice(2)));
        QCOMPARE(writtenCodes(), (Codes{0x51, 0x77}));
        for (QWidget *window : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<CoverWindow *>(window));
    }

    void touchesSlightlyOffTargetAreSaved() {
        addFrame();
        DialogDriver driver;
        driver.aimOff = {{0, QPoint(-30, 25)}, {1, QPoint(35, 30)}, {2, QPoint(-25, -40)}, {3, QPoint(40, -20)}};
        ModalAnswerer answerer;
        form->StartCalibrate_4_1();
        QCOMPARE(writtenCodes(), (Codes{0x51, 0x61}));
        QCOMPARE(answerer.boxes().size(), 1);
        QCOMPARE(answerer.boxes()[0].text, QStringLiteral("校准已更新!"));
    }

    void onlyCornersNoFrameReportsAbandonWithAWarning_data() {
        QTest::addColumn<QVector<QPoint>>("touches");
        QTest::addColumn<bool>("projective");
        QTest::addColumn<bool>("saved");
        // Touches of the targets top-left, top-right, bottom-left, bottom-right, where the frame reports them.
        const QVector<QPoint> reversed{{1631, 917}, {287, 917}, {1631, 161}, {287, 161}};
        const QVector<QPoint> huddled{{900, 500}, {1000, 500}, {900, 600}, {1000, 600}};
        const QVector<QPoint> onALine{{287, 161}, {960, 540}, {600, 400}, {1631, 917}};
        QTest::newRow("a frame upside down, projective") << reversed << true << true;
        QTest::newRow("a frame upside down, affine") << reversed << false << true;
        QTest::newRow("a mirrored frame")
            << QVector<QPoint>{{1631, 161}, {287, 161}, {1631, 917}, {287, 917}} << true << true;
        QTest::newRow("a frame a quarter turn round")
            << QVector<QPoint>{{1631, 161}, {1631, 917}, {287, 161}, {287, 917}} << false << true;
        QTest::newRow("a frame reporting a thirteenth of the spread") << huddled << true << true;
        QTest::newRow("the same beyond the affine fields") << huddled << false << false;
        QTest::newRow("corners on one line") << onALine << false << false;
        QTest::newRow("top-left touched again for bottom-right")
            << QVector<QPoint>{{287, 161}, {1631, 161}, {287, 917}, {287, 161}} << true << false;
        QTest::newRow("top corners swapped: the sides cross")
            << QVector<QPoint>{{1631, 161}, {287, 161}, {287, 917}, {1631, 917}} << true << false;
    }
    void onlyCornersNoFrameReportsAbandonWithAWarning() {
        QFETCH(QVector<QPoint>, touches);
        QFETCH(bool, projective);
        QFETCH(bool, saved);
        addFrame();
        if (!projective)
            virtual_frame::setStartReply(virtual_frame::StartReply::Timeout);
        DialogDriver driver;
        driver.touches = touches;
        ModalAnswerer answerer;
        form->fixedCoefficients = {1, 2, 3, 4, 5, 6, 7, 8};
        form->StartCalibrate_4_1();
        if (saved) {
            QCOMPARE(writtenCodes(), projective ? (Codes{0x51, 0x61}) : (Codes{0x51, 0x55, 0x66}));
            QCOMPARE(answerer.boxes().value(0).text, QStringLiteral("校准已更新!"));
            return;
        }
        QCOMPARE(writtenCodes(), projective ? (Codes{0x51, 0x77}) : (Codes{0x51, 0x55, 0x77}));
        QCOMPARE(virtual_frame::state().lastUploadCode, 0);
        QCOMPARE(form->fixedCoefficients, (std::array<std::int32_t, 8>{1, 2, 3, 4, 5, 6, 7, 8}));
        QCOMPARE(answerer.boxes().size(), 1);
        QCOMPARE(answerer.boxes()[0].title, QStringLiteral("Error"));
        QCOMPARE(answerer.boxes()[0].text, QStringLiteral("校准点无效,校准未更新!"));
    }

    void targetWindowCoversTheScreenHoldingTheWindow_data() {
        QTest::addColumn<QPoint>("windowAt");
        QTest::addColumn<QRect>("screen");
        const QRect first(0, 0, 1920, 1080);
        if (!multipleScreens()) {
            QTest::newRow("one screen, window inside") << QPoint(770, 212) << first;
            QTest::newRow("one screen, window on its top-left corner") << QPoint(0, 0) << first;
            QTest::newRow("one screen, window off the desktop") << QPoint(-900, 3000) << first;
            return;
        }
        const QRect second(1920, 0, 1280, 1024);
        QTest::newRow("window inside the first screen") << QPoint(770, 212) << first;
        QTest::newRow("window inside the second screen") << QPoint(2000, 100) << second;
        QTest::newRow("window on the first screen's left edge goes to the last") << QPoint(0, 100) << second;
        QTest::newRow("window on the first screen's top edge goes to the last") << QPoint(100, 0) << second;
        QTest::newRow("window on the shared edge goes to the last") << QPoint(1920, 100) << second;
        QTest::newRow("one pixel inside the first screen") << QPoint(1, 1) << first;
    }
    void targetWindowCoversTheScreenHoldingTheWindow() {
        QFETCH(QPoint, windowAt);
        QFETCH(QRect, screen);
        addFrame();
        form->move(windowAt);
        QCOMPARE(form->geometry().topLeft(), windowAt);
        DialogDriver driver;
        ModalAnswerer answerer;
        form->StartCalibrate_4_1();
        QCOMPARE(driver.windowsSeen, 1);
        QCOMPARE(driver.geometry, screen);
        QVERIFY(driver.fullScreen);
        // The touches were taken in the window's own pixels, so the on-target upload is the same on either screen.
        QCOMPARE(writtenCodes(), (Codes{0x51, 0x61}));
        QCOMPARE(answerer.boxes().size(), 1);
        QCOMPARE(answerer.boxes()[0].text, QStringLiteral("校准已更新!"));
    }

    void consecutiveRunsEachOpenAndCloseTheirOwnHandle() {
        addFrame();
        DialogDriver driver;
        ModalAnswerer answerer;
        form->StartCalibrate_4_1();
        driver.ending = Ending::NotSave;
        form->StartCalibrate_6_1();
        QCOMPARE(driver.windowsSeen, 2);
        QCOMPARE(virtual_frame::events(virtual_frame::Event::Kind::Open).size(), std::size_t(2));
        QCOMPARE(writtenCodes(), (Codes{0x51, 0x61, 0x51, 0x77}));
        const auto writes = virtual_frame::events(virtual_frame::Event::Kind::Write);
        QCOMPARE(writes[0].handle, 1);
        QCOMPARE(writes[3].handle, 2);
        QCOMPARE(virtual_frame::state().lastUploadCode, 0x61);  // the abandoned run left the saved one in place
    }
};

QTEST_MAIN(TestCalibrationProcedure)
#include "test_calibration_procedure.moc"
