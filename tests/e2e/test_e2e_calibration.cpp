#include <QtTest>

#include <QtEndian>

#include <memory>

#include "orvessa_version.h"
#include "support/desktop.h"
#include "support/expected_upload.h"
#include "support/frame_record.h"
#include "support/program_under_test.h"
#include "support/x_server.h"

// Calibrations in the real program on a 1920 x 1080 X display, clicked from outside like a user with a mouse:
// what reaches the (virtual) frame, byte for byte, for the projective and the affine upload, and when the user
// does not save.

namespace {

using Taps = QList<QPoint>;

const QSize screenSize(1920, 1080);
const QString mainWindowTitle = QRegularExpression::escape(QStringLiteral("Ver " ORVESSA_VERSION));
const QString targetWindowTitle = QStringLiteral("^Dialog$");
const QPoint saveButton(880 + 80, 412 + 25);     // "保存", 161 x 50 at (880, 412) on this screen
const QPoint notSaveButton(880 + 80, 482 + 25);  // "不保存" just below it

// Coefficient bytes (offsets 3..34) for corners touched right on their targets, stored as (612, 610), (3479, 610),
// (3479, 3477), (612, 3477): a = e = 1.00006978 gives 1048649, c = 2.357316 gives 2413 and f = 4.357456 gives 4462
// (truncated after scaling by 2^20 or 2^10), b, d, g and h are below 1e-15 and give 0.
const QString coefficientBytesOnTargets =
    QStringLiteral("49 00 10 00 00 00 00 00 6D 09 00 00 00 00 00 00 49 00 10 00 6E 11 00 00 00 00 00 00 00 00 00 00");

// The targets of a 9-target run on this screen, row by row.
const Taps nineTargets{{287, 161},  {960, 161}, {1631, 161}, {287, 540}, {960, 540},
                       {1631, 540}, {287, 917}, {960, 917},  {1631, 917}};
const Taps fourTargets{{287, 161}, {1631, 161}, {287, 917}, {1631, 917}};

// Pixels of pure red in @p area, looking at every @p step-th one.
int redPixels(const QImage &image, const QRect &area, int step = 1) {
    int red = 0;
    for (int y = area.top(); y <= area.bottom(); y += step)
        for (int x = area.left(); x <= area.right(); x += step)
            red += image.pixelColor(x, y) == QColor(Qt::red);
    return red;
}

// Where a target drawn as missed has its circle and cross.
int redPixelsAround(const QImage &image, QPoint target) {
    return redPixels(image, QRect(target - QPoint(32, 32), QSize(65, 65)));
}

// The corners of a run's taps, in the order the correction takes them: top-left, top-right, bottom-right,
// bottom-left. Targets are numbered row by row from the top.
CornerTouches cornerTouches(const Taps &taps, int columns) {
    const int rows = static_cast<int>(taps.size()) / columns;
    const auto at = [&](int row, int column) { return calibrationUnits(taps[row * columns + column], screenSize); };
    return {at(0, 0), at(0, columns - 1), at(rows - 1, columns - 1), at(rows - 1, 0)};
}

}  // namespace

class TestE2eCalibration : public QObject {
    Q_OBJECT

private:
    XServer xserver;
    std::unique_ptr<Desktop> desktop;

    // Starts the program and waits for its main window; its geometry, or an empty rectangle when it did not show.
    QRect startProgram(ProgramUnderTest &program) {
        if (!program.isInstalled())
            return {};
        desktop->followProcess(program.launch()->processId());
        const WindowId window = desktop->waitForWindow(mainWindowTitle);
        return window ? desktop->geometry(window) : QRect();
    }

    // Clicks a calibration button and waits for the target window; its id, 0 when it did not open.
    WindowId openTargets(const QRect &mainWindow, MainButton button) {
        if (!desktop->click(buttonCentre(mainWindow, button)))
            return 0;
        return desktop->waitForWindow(targetWindowTitle);
    }

    bool tap(const Taps &taps) {
        for (const QPoint &position : taps)
            if (!desktop->click(position))
                return false;
        return true;
    }

    // One whole calibration: button, taps, "保存", and the "OK" box answered.
    void calibrateAndSave(const QRect &mainWindow, MainButton button, const Taps &taps) {
        QVERIFY(openTargets(mainWindow, button));
        QVERIFY(tap(taps));
        QVERIFY(desktop->click(saveButton));
        QVERIFY2(desktop->answerBox(QStringLiteral("OK"), QStringLiteral("Return")), "no \"OK\" box after saving");
    }

    static bool frameClosedAfter(const ProgramUnderTest &program, int operations) {
        return program.record().ofKind(QStringLiteral("close")).size() == operations;
    }

    // "保存" at @p save, the "OK" box, the frame closed after its @p operations-th use, and the upload the four
    // corner targets give.
    static void saveAndExpectCornerBytes(Desktop &desk, const ProgramUnderTest &program, int operations,
                                         QPoint save = saveButton) {
        QVERIFY(desk.click(save));
        QVERIFY2(desk.answerBox(QStringLiteral("OK"), QStringLiteral("Return")), "no \"OK\" box after saving");
        QTRY_VERIFY_WITH_TIMEOUT(frameClosedAfter(program, operations), 10000);
        QCOMPARE(hexBytes(program.record().reports(0x61).value(0).mid(3, 32)), coefficientBytesOnTargets);
    }

    // The upload went out once, as expected, the frame took it, and the frame was closed again.
    static void checkUpload(const ProgramUnderTest &program, const ExpectedUpload &expected) {
        QVERIFY2(expected.clear, "a coefficient of these taps lies on a rounding edge: choose other taps");
        const FrameRecord record = program.record();
        const auto code = quint8(expected.bytes[2]);
        QCOMPARE(record.reports(code).size(), 1);
        QCOMPARE(hexBytes(record.reports(code).first()), hexBytes(expected.bytes));
        const int closingByte = 3 + int(expected.fields.size()) * (code == 0x61 ? 4 : 2);  // 35 or 15
        QCOMPARE(quint8(record.reports(code).first().at(closingByte)), quint8(0xFF));

        QStringList fields;
        for (const qint64 field : expected.fields)
            fields << QString::number(field);
        const RecordLine state = record.stateAfter(code);
        QCOMPARE(state.fields.value(QStringLiteral("upload")), QString::number(code, 16).toUpper());
        QCOMPARE(state.fields.value(QStringLiteral("coefficients")), fields.join(QLatin1Char(',')));
        QCOMPARE(state.fields.value(QStringLiteral("calibrating")), QStringLiteral("no"));

        QVERIFY2(record.everyOpenClosed(), qPrintable(record.text()));
        QCOMPARE(record.ofKind(QStringLiteral("open")).size(), 1);
        QCOMPARE(program.waits(), QList<int>{1500});  // one candidate interface: one wait before its open
    }

    // Fields fitted anew to truncated g and h (a few steps already for taps a few pixels off a rectangle): within
    // 3 px (6 units per axis) of the exact correction and closer than truncation. @p expected becomes what was sent.
    static void checkRefitted(const ProgramUnderTest &program, const CornerTouches &corners, ExpectedUpload &expected) {
        const QByteArray upload = program.record().reports(0x61).value(0);
        QCOMPARE(upload.size(), 63);
        QCOMPARE(hexBytes(upload.left(3)), hexBytes(expected.bytes.left(3)));
        const double deviation = projectiveUploadDeviation(upload, corners, screenSize);
        const double truncated = projectiveUploadDeviation(expected.bytes, corners, screenSize);
        qInfo("worst distance from the exact correction: %.2f px uploaded, %.2f px truncated", deviation, truncated);
        QVERIFY(deviation <= 3);
        QVERIFY(deviation < truncated);
        expected.bytes = upload;
        for (std::ptrdiff_t i = 0; i < 8; ++i)
            expected.fields[int(i)] = qFromLittleEndian<qint32>(upload.constData() + 3 + 4 * i);
    }

private slots:
    void initTestCase() {
        if (!XServer::toolsInstalled())
            QSKIP("needs Xvfb and xdotool (scripts/install-deps.sh installs them)");
        QVERIFY(xserver.start(screenSize));
        desktop = std::make_unique<Desktop>(xserver.display());
    }

    void fourPointCalibrationUploadsTheProjectiveCorrection_data() {
        QTest::addColumn<Taps>("taps");
        QTest::addColumn<QString>("knownCoefficientBytes");  // offsets 3..34, where worked out by hand
        QTest::addColumn<bool>("refitted");                  // else every field truncated

        QTest::newRow("taps on the targets")
            << Taps{{287, 161}, {1631, 161}, {287, 917}, {1631, 917}} << coefficientBytesOnTargets << false;
        QTest::newRow("taps a few pixels off the targets")
            << Taps{{290, 158}, {1628, 165}, {284, 920}, {1635, 913}} << QString() << true;
        QTest::newRow("taps of a frame mounted askew")
            << Taps{{300, 150}, {1620, 170}, {280, 905}, {1640, 930}} << QString() << true;
        // Frames that report the targets elsewhere: each tap is where such a frame puts the target of its turn.
        QTest::newRow("taps of a frame mounted upside down")
            << Taps{{1631, 917}, {287, 917}, {1631, 161}, {287, 161}} << QString() << false;
        QTest::newRow("taps of a mirrored frame")
            << Taps{{1628, 158}, {290, 165}, {1635, 920}, {284, 913}} << QString() << true;
        QTest::newRow("taps of a frame a quarter turn round")
            << Taps{{1631, 161}, {1631, 917}, {287, 161}, {287, 917}} << QString() << false;
        // 8.6 % keystone across and 5.2 % down, as over a projection screen: truncated, g and h become -38 and -23
        // and stray up to 14 px from the exact correction.
        QTest::newRow("taps of a keystoned frame")
            << Taps{{215, 120}, {1616, 170}, {270, 926}, {1572, 884}} << QString() << true;
    }

    void fourPointCalibrationUploadsTheProjectiveCorrection() {
        QFETCH(Taps, taps);
        QFETCH(QString, knownCoefficientBytes);
        QFETCH(bool, refitted);
        ProgramUnderTest program(xserver.display(), "[config]\nlanguage=2\n");
        const QRect mainWindow = startProgram(program);
        QVERIFY2(!mainWindow.isEmpty(), qPrintable(program.diagnosis()));

        calibrateAndSave(mainWindow, MainButton::Calibrate4, taps);
        if (QTest::currentTestFailed())
            return;
        QTRY_VERIFY_WITH_TIMEOUT(frameClosedAfter(program, 1), 10000);

        const FrameRecord record = program.record();
        QCOMPARE(record.commandCodes(), QByteArray("\x51\x61"));
        QCOMPARE(record.ofKind(QStringLiteral("read")).value(0).number(QStringLiteral("result")), 64);
        ExpectedUpload expected = expectedProjectiveUpload(0xA3, cornerTouches(taps, 2));
        if (!knownCoefficientBytes.isEmpty())
            QCOMPARE(hexBytes(expected.bytes.mid(3, 32)), knownCoefficientBytes);
        if (refitted)
            checkRefitted(program, cornerTouches(taps, 2), expected);
        checkUpload(program, expected);
    }

    void ninePointCalibrationReadsOnlyTheCorners() {
        // The same corners twice, once with the inner targets touched where they are and once well off them: both
        // runs upload the correction of the corners alone.
        const Taps onTargets{{290, 158},  {960, 161}, {1628, 165}, {287, 540}, {960, 540},
                             {1631, 540}, {284, 920}, {960, 917},  {1635, 913}};
        Taps offCentre = onTargets;
        for (const int inner : {1, 3, 4, 5, 7})
            offCentre[inner] += QPoint(inner % 2 ? 90 : -70, inner < 4 ? 60 : -50);

        ProgramUnderTest program(xserver.display(), "[config]\nlanguage=2\n");
        const QRect mainWindow = startProgram(program);
        QVERIFY2(!mainWindow.isEmpty(), qPrintable(program.diagnosis()));
        const QList<Taps> runs{onTargets, offCentre};
        for (int run = 0; run < runs.size(); ++run) {
            calibrateAndSave(mainWindow, MainButton::Calibrate9, runs[run]);
            if (QTest::currentTestFailed())
                return;
            QTRY_VERIFY_WITH_TIMEOUT(frameClosedAfter(program, run + 1), 10000);
        }

        const FrameRecord record = program.record();
        QCOMPARE(record.commandCodes(), QByteArray("\x51\x61\x51\x61"));
        const QList<QByteArray> uploads = record.reports(0x61);
        QCOMPARE(uploads.size(), 2);
        QCOMPARE(hexBytes(uploads[1]), hexBytes(uploads[0]));
        ExpectedUpload expected = expectedProjectiveUpload(0xA3, cornerTouches(onTargets, 3));
        checkRefitted(program, cornerTouches(onTargets, 3), expected);
        QVERIFY2(record.everyOpenClosed(), qPrintable(record.text()));
    }

    // The check before the save question: a target touched far off is drawn red while the others stay grey, and
    // saving anyway uploads exactly what the corners give.
    void aMissedTargetIsShownBeforeSaving_data() {
        QTest::addColumn<QPoint>("centreOff");
        QTest::newRow("a clean run draws nothing red") << QPoint();
        QTest::newRow("target 5 touched 300 px off is drawn red") << QPoint(300, 0);
    }
    void aMissedTargetIsShownBeforeSaving() {
        QFETCH(QPoint, centreOff);
        ProgramUnderTest program(xserver.display(), "[config]\nlanguage=2\n");
        const QRect mainWindow = startProgram(program);
        QVERIFY2(!mainWindow.isEmpty(), qPrintable(program.diagnosis()));
        Taps taps = nineTargets;
        taps[4] += centreOff;
        QVERIFY(openTargets(mainWindow, MainButton::Calibrate9));
        QVERIFY(tap(taps));
        const bool missed = !centreOff.isNull();
        // The window repaints after the last touch: wait for the save button, then look.
        QImage image;
        QVERIFY(pollUntil(
            [&] {
                image = desktop->screenshot();
                return !image.isNull() && image.pixelColor(saveButton) != image.pixelColor(QPoint(100, 1000)) &&
                       (redPixelsAround(image, nineTargets[4]) > 100) == missed;
            },
            10000));
        for (int k = 0; k < 9; ++k)
            if (k != 4 || !missed)
                QCOMPARE(redPixelsAround(image, nineTargets[k]), 0);
        saveAndExpectCornerBytes(*desktop, program, 1);
    }

    // Each run starts with a fresh memory of the last touch: the user touches target 1, abandons with Escape and
    // starts again, touching exactly the same spots; the new run takes all of them.
    void aRunAfterAnAbandonedFirstTouchCompletes() {
        ProgramUnderTest program(xserver.display(), "[config]\nlanguage=2\n");
        const QRect mainWindow = startProgram(program);
        QVERIFY2(!mainWindow.isEmpty(), qPrintable(program.diagnosis()));
        const WindowId abandoned = openTargets(mainWindow, MainButton::Calibrate4);
        QVERIFY(abandoned);
        QVERIFY(tap({fourTargets[0]}));
        QVERIFY(desktop->pressUntilGone(abandoned, QStringLiteral("Escape")));
        QVERIFY2(desktop->answerBox(QStringLiteral("Error"), QStringLiteral("Return")), "no \"Error\" box");
        QTRY_VERIFY_WITH_TIMEOUT(frameClosedAfter(program, 1), 10000);

        calibrateAndSave(mainWindow, MainButton::Calibrate4, fourTargets);
        if (QTest::currentTestFailed())
            return;
        QTRY_VERIFY_WITH_TIMEOUT(frameClosedAfter(program, 2), 10000);
        const FrameRecord record = program.record();
        QCOMPARE(record.commandCodes(), QByteArray("\x51\x77\x51\x61"));
        QCOMPARE(hexBytes(record.reports(0x61).value(0).mid(3, 32)), coefficientBytesOnTargets);
    }

    // A desktop of two monitors: while the first is calibrated, the second is covered; a click there (where a frame
    // mapped to the wrong screen sends its touches) is not stored, and the cover says so in red.
    void aTouchOnAnotherScreenIsNotStored() {
        XServer twoMonitors;
        QVERIFY(twoMonitors.start(QSize(3200, 1080)));
        QVERIFY(twoMonitors.splitIntoMonitors({QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)}));
        Desktop desk(twoMonitors.display());
        ProgramUnderTest program(twoMonitors.display(), "[config]\nlanguage=2\n");
        QVERIFY(program.isInstalled());
        desk.followProcess(program.launch()->processId());
        const WindowId main = desk.waitForWindow(mainWindowTitle);
        QVERIFY2(main, qPrintable(program.diagnosis()));
        const QRect mainWindow = desk.geometry(main);
        QVERIFY(QRect(0, 0, 1920, 1080).contains(mainWindow));

        QVERIFY(desk.click(buttonCentre(mainWindow, MainButton::Calibrate4)));
        const WindowId targets = desk.waitForWindow(targetWindowTitle);
        const WindowId cover = desk.waitForWindow(QStringLiteral("^Cover$"));
        QVERIFY(targets && cover);
        QCOMPARE(desk.geometry(targets), QRect(0, 0, 1920, 1080));
        QCOMPARE(desk.geometry(cover), QRect(1920, 0, 1280, 1024));
        const auto redOnCover = [&] { return redPixels(desk.screenshot(), QRect(1920, 0, 1280, 1024), 2); };
        QCOMPARE(redOnCover(), 0);
        QVERIFY(desk.click(QPoint(2560, 800)));
        QVERIFY(pollUntil([&] { return redOnCover() > 50; }, 10000));

        for (const QPoint &target : fourTargets)
            QVERIFY(desk.click(target));
        saveAndExpectCornerBytes(desk, program, 1);
        QVERIFY(desk.visibleWindows(QStringLiteral("^Cover$")).isEmpty());
    }

    void notSavingAbandonsTheCalibration_data() {
        QTest::addColumn<Taps>("taps");
        QTest::addColumn<bool>("escape");  // else "不保存"
        QTest::addColumn<bool>("save");    // "保存" instead of "不保存"

        QTest::newRow("不保存 after the last target")
            << Taps{{287, 161}, {1631, 161}, {287, 917}, {1631, 917}} << false << false;
        QTest::newRow("Escape while collecting") << Taps{{287, 161}} << true << false;
        // No frame reports two corners at one spot or three on one line: "校准点无效,校准未更新!" and the abandon.
        QTest::newRow("保存 after touching the top-left target again for the bottom-right")
            << Taps{{287, 161}, {1631, 161}, {287, 917}, {287, 161}} << false << true;
        QTest::newRow("保存 after touching three corners on one line")
            << Taps{{287, 161}, {960, 540}, {600, 400}, {1631, 917}} << false << true;
    }

    void notSavingAbandonsTheCalibration() {
        QFETCH(Taps, taps);
        QFETCH(bool, escape);
        QFETCH(bool, save);
        ProgramUnderTest program(xserver.display(), "[config]\nlanguage=2\n");
        const QRect mainWindow = startProgram(program);
        QVERIFY2(!mainWindow.isEmpty(), qPrintable(program.diagnosis()));

        const WindowId targets = openTargets(mainWindow, MainButton::Calibrate4);
        QVERIFY(targets);
        QVERIFY(tap(taps));
        if (escape)
            QVERIFY(desktop->pressUntilGone(targets, QStringLiteral("Escape")));
        else
            QVERIFY(desktop->click(save ? saveButton : notSaveButton));
        QVERIFY2(desktop->answerBox(QStringLiteral("Error"), QStringLiteral("Return")), "no \"Error\" box");
        QTRY_VERIFY_WITH_TIMEOUT(frameClosedAfter(program, 1), 10000);

        const FrameRecord record = program.record();
        QCOMPARE(record.commandCodes(), QByteArray("\x51\x77"));
        QCOMPARE(hexBytes(record.reports(0x77).value(0)),
                 hexBytes(QByteArray("\xA3\x55\x77\xFF") + QByteArray(59, '\0')));
        const RecordLine state = record.stateAfter(0x77);
        QCOMPARE(state.fields.value(QStringLiteral("abandons")), QStringLiteral("1"));
        QCOMPARE(state.fields.value(QStringLiteral("upload")), QStringLiteral("none"));
        QVERIFY2(record.everyOpenClosed(), qPrintable(record.text()));
        QVERIFY(desktop->visibleWindows(targetWindowTitle).isEmpty());
    }

    // QT_SCALE_FACTOR=1.5: the program works in logical pixels of 1.5 screen pixels each, touches arrive in thirds
    // of one. Stored in units of the window's size, the same screen spots must give the bytes of scale 1.
    void scaledDesktopUploadsTheBytesOfScaleOne() {
        const qreal scale = 1.5;
        ProgramUnderTest program(xserver.display(), "[config]\nlanguage=2\n");
        program.setVariable(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("1.5"));
        const QRect mainWindow = startProgram(program);
        QVERIFY2(!mainWindow.isEmpty(), qPrintable(program.diagnosis()));
        QCOMPARE(mainWindow.size(), QSize(570, 786));
        QVERIFY(desktop->click(mainWindow.topLeft() + QPoint(190, 55) * scale));
        QVERIFY(desktop->waitForWindow(targetWindowTitle));
        QVERIFY(tap(fourTargets));
        // "保存" of the 1280 x 720 logical window
        saveAndExpectCornerBytes(*desktop, program, 1, QPoint(640, 300) * scale);
    }

    void frameWithoutStartReplyGetsTheAffineUpload() {
        const Taps taps{{290, 158}, {1628, 165}, {284, 920}, {1635, 913}};
        ProgramUnderTest program(xserver.display(), "[config]\nlanguage=2\n");
        program.setFrameVariable(QStringLiteral("ORVESSA_VIRTUAL_FRAME_START_REPLY"), QStringLiteral("timeout"));
        const QRect mainWindow = startProgram(program);
        QVERIFY2(!mainWindow.isEmpty(), qPrintable(program.diagnosis()));

        calibrateAndSave(mainWindow, MainButton::Calibrate4, taps);
        if (QTest::currentTestFailed())
            return;
        QTRY_VERIFY_WITH_TIMEOUT(frameClosedAfter(program, 1), 10000);

        const FrameRecord record = program.record();
        QCOMPARE(record.commandCodes(), QByteArray("\x51\x55\x66"));
        const RecordLine read = record.ofKind(QStringLiteral("read")).value(0);
        QCOMPARE(read.number(QStringLiteral("timeout")), 100);
        QCOMPARE(read.number(QStringLiteral("result")), 0);
        QCOMPARE(hexBytes(record.reports(0x55).value(0)),
                 hexBytes(QByteArray("\xA3\x55\x55\xFF") + QByteArray(59, '\0')));
        checkUpload(program, expectedAffineUpload(0xA3, cornerTouches(taps, 2)));
    }
};

QTEST_GUILESS_MAIN(TestE2eCalibration)
#include "test_e2e_calibration.moc"
