#include <QtTest>

#include <memory>

#include "orvessa_version.h"
#include "support/desktop.h"
#include "support/frame_record.h"
#include "support/program_under_test.h"
#include "support/x_server.h"

Q_DECLARE_METATYPE(MainButton)

// Clearing the frame's calibration in the real program, and what the user meets when no frame is plugged in.

namespace {

const QString mainWindowTitle = QRegularExpression::escape(QStringLiteral("Ver " ORVESSA_VERSION));
const QString confirmationTitle = QStringLiteral("确认对话框");

}  // namespace

class TestE2eClear : public QObject {
    Q_OBJECT

private:
    XServer xserver;
    std::unique_ptr<Desktop> desktop;

    QRect startProgram(ProgramUnderTest &program) {
        if (!program.isInstalled())
            return {};
        desktop->followProcess(program.launch()->processId());
        const WindowId window = desktop->waitForWindow(mainWindowTitle);
        return window ? desktop->geometry(window) : QRect();
    }

private slots:
    void initTestCase() {
        if (!XServer::toolsInstalled())
            QSKIP("needs Xvfb and xdotool (scripts/install-deps.sh installs them)");
        QVERIFY(xserver.start({1920, 1080}));
        desktop = std::make_unique<Desktop>(xserver.display());
    }

    void clearConfirmedWithYesClearsTheFrame() {
        ProgramUnderTest program(xserver.display(), "[config]\nlanguage=2\n");
        const QRect mainWindow = startProgram(program);
        QVERIFY2(!mainWindow.isEmpty(), qPrintable(program.diagnosis()));

        QVERIFY(desktop->click(buttonCentre(mainWindow, MainButton::Clear)));
        QVERIFY(desktop->answerBox(confirmationTitle, QStringLiteral("Return")));  // Yes is the default
        QVERIFY2(desktop->answerBox(QStringLiteral("OK"), QStringLiteral("Return")), "no \"OK\" box (清除完成!)");
        QTRY_VERIFY_WITH_TIMEOUT(program.record().ofKind(QStringLiteral("close")).size() == 1, 10000);

        const FrameRecord record = program.record();
        QCOMPARE(record.commandCodes(), QByteArray("\x88"));
        QCOMPARE(hexBytes(record.reports(0x88).value(0)),
                 hexBytes(QByteArray("\xA3\x55\x88\xFF") + QByteArray(59, '\0')));
        const RecordLine state = record.stateAfter(0x88);
        QCOMPARE(state.fields.value(QStringLiteral("cleared")), QStringLiteral("yes"));
        QCOMPARE(state.fields.value(QStringLiteral("clears")), QStringLiteral("1"));
        QVERIFY(record.ofKind(QStringLiteral("read")).isEmpty());
        QVERIFY2(record.everyOpenClosed(), qPrintable(record.text()));
        QCOMPARE(program.waits(), QList<int>{1500});
    }

    void clearAnsweredNoLeavesTheFrameAlone() {
        ProgramUnderTest program(xserver.display(), "[config]\nlanguage=2\n");
        const QRect mainWindow = startProgram(program);
        QVERIFY2(!mainWindow.isEmpty(), qPrintable(program.diagnosis()));

        // Twice: the second question can only come once the first answer was handled to the end.
        for (int click = 0; click < 2; ++click) {
            QVERIFY(desktop->click(buttonCentre(mainWindow, MainButton::Clear)));
            QVERIFY(desktop->answerBox(confirmationTitle, QStringLiteral("Escape")));  // No is the escape button
        }
        QVERIFY(desktop->visibleWindows(QStringLiteral("^(OK|Error)$")).isEmpty());

        const FrameRecord record = program.record();
        QVERIFY2(record.ofKind(QStringLiteral("enumerate")).isEmpty(), qPrintable(record.text()));
        QVERIFY(record.ofKind(QStringLiteral("open")).isEmpty());
        QVERIFY(record.ofKind(QStringLiteral("write")).isEmpty());
        QVERIFY(program.waits().isEmpty());
    }

    void withoutAFrameTheUserIsWarned_data() {
        QTest::addColumn<MainButton>("button");
        QTest::addColumn<bool>("confirm");

        QTest::newRow("4-point calibration: no target window") << MainButton::Calibrate4 << false;
        QTest::newRow("20-point calibration: no target window") << MainButton::Calibrate20 << false;
        QTest::newRow("clear, confirmed") << MainButton::Clear << true;
    }

    void withoutAFrameTheUserIsWarned() {
        QFETCH(MainButton, button);
        QFETCH(bool, confirm);
        ProgramUnderTest program(xserver.display(), "[config]\nlanguage=2\n");
        program.setFrameVariable(QStringLiteral("ORVESSA_VIRTUAL_FRAME_INTERFACES"), QString());
        const QRect mainWindow = startProgram(program);
        QVERIFY2(!mainWindow.isEmpty(), qPrintable(program.diagnosis()));

        QVERIFY(desktop->click(buttonCentre(mainWindow, button)));
        if (confirm)
            QVERIFY(desktop->answerBox(confirmationTitle, QStringLiteral("Return")));
        const WindowId warning = desktop->waitForWindow(QStringLiteral("^Error$"));
        QVERIFY2(warning, "no \"Error\" box (未检测到设备,请检查连接!)");
        QVERIFY(desktop->visibleWindows(QStringLiteral("^Dialog$")).isEmpty());
        QVERIFY(desktop->pressUntilGone(warning, QStringLiteral("Return")));
        QVERIFY(desktop->visibleWindows(QStringLiteral("^(Dialog|OK|Error)$")).isEmpty());

        const FrameRecord record = program.record();
        const QList<RecordLine> searches = record.ofKind(QStringLiteral("enumerate"));
        QCOMPARE(searches.size(), 1);
        QCOMPARE(searches[0].number(QStringLiteral("entries")), 0);
        QCOMPARE(record.ofKind(QStringLiteral("free")).size(), 1);
        QVERIFY(record.ofKind(QStringLiteral("open")).isEmpty());
        QVERIFY(record.ofKind(QStringLiteral("write")).isEmpty());
        QVERIFY(program.waits().isEmpty());  // nothing to open, nothing to wait for
    }
};

QTEST_GUILESS_MAIN(TestE2eClear)
#include "test_e2e_clear.moc"
