#include <QtTest>

#include <memory>

#include "app/version.h"
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

        QTest::newRow("taps on the targets")
            << Taps{{287, 161}, {1631, 161}, {287, 917}, {1631, 917}} << coefficientBytesOnTargets;
        QTest::newRow("taps a few pixels off the targets")
            << Taps{{290, 158}, {1628, 165}, {284, 920}, {1635, 913}} << QString();
        QTest::newRow("taps of a frame mounted askew")
            << Taps{{300, 150}, {1620, 170}, {280, 905}, {1640, 930}} << QString();
    }

    void fourPointCalibrationUploadsTheProjectiveCorrection() {
        QFETCH(Taps, taps);
        QFETCH(QString, knownCoefficientBytes);
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
        const ExpectedUpload expected = expectedProjectiveUpload(0xA3, cornerTouches(taps, 2));
        if (!knownCoefficientBytes.isEmpty())
            QCOMPARE(hexBytes(expected.bytes.mid(3, 32)), knownCoefficientBytes);
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
        const ExpectedUpload expected = expectedProjectiveUpload(0xA3, cornerTouches(onTargets, 3));
        QVERIFY(expected.clear);

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
        QCOMPARE(hexBytes(uploads[0]), hexBytes(expected.bytes));
        QCOMPARE(hexBytes(uploads[1]), hexBytes(expected.bytes));
        QVERIFY2(record.everyOpenClosed(), qPrintable(record.text()));
    }

    void notSavingAbandonsTheCalibration_data() {
        QTest::addColumn<Taps>("taps");
        QTest::addColumn<bool>("escape");  // else "不保存"

        QTest::newRow("不保存 after the last target")
            << Taps{{287, 161}, {1631, 161}, {287, 917}, {1631, 917}} << false;
        QTest::newRow("Escape while collecting") << Taps{{287, 161}} << true;
    }

    void notSavingAbandonsTheCalibration() {
        QFETCH(Taps, taps);
        QFETCH(bool, escape);
        ProgramUnderTest program(xserver.display(), "[config]\nlanguage=2\n");
        const QRect mainWindow = startProgram(program);
        QVERIFY2(!mainWindow.isEmpty(), qPrintable(program.diagnosis()));

        const WindowId targets = openTargets(mainWindow, MainButton::Calibrate4);
        QVERIFY(targets);
        QVERIFY(tap(taps));
        if (escape)
            QVERIFY(desktop->pressUntilGone(targets, QStringLiteral("Escape")));
        else
            QVERIFY(desktop->click(notSaveButton));
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
