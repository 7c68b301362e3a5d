#include <QtTest>

#include <QPushButton>

#include "settings/settings_file.h"
#include "platform/blocking_wait.h"
#include "support/modal_answerer.h"
#include "ui/form.h"
#include "ui/touch_mode.h"
#include "ui_form.h"
#include "virtual_frame.h"

// The clear and single/multi-touch buttons through the real slots against the virtual frame: the bytes the frame
// receives, the boxes the user sees, the button text and the mode flag, on every path.

Q_DECLARE_METATYPE(QMessageBox::StandardButton)

namespace {
enum class Frame { None, Usage0, UsageA3, WriteFails, OpenFails, Unplugged, Busy };

// What the frame receives for a command: the whole 63-byte report.
QByteArray sent(const char *leadingHex) {
    QByteArray bytes = QByteArray::fromHex(leadingHex);
    return bytes + QByteArray(63 - bytes.size(), '\0');
}

QByteArray bytesOf(const virtual_frame::Event &event) {
    return QByteArray(reinterpret_cast<const char *>(event.bytes.data()), int(event.bytes.size()));
}

const QString notFound = QStringLiteral("未检测到设备,请检查连接!");
// The smaller second line of that warning, only when frames were found but none could be opened.
const QString notOpened =
    QStringLiteral(" / <small>原因:找到了触摸框,但当前用户无权打开它。运行 orvessa-frame list 查看详情。</small>");
// The same line for a frame that went away before the open, and for one that could not be opened otherwise; %1 is
// the system's reason, in its own words on each system.
const QString wentAway = QStringLiteral(" / <small>原因:找到了触摸框,但打开前它已断开(%1)。请检查连接。</small>");
const QString couldNotOpen =
    QStringLiteral(" / <small>原因:找到了触摸框,但无法打开它(%1)。运行 orvessa-frame list 查看详情。</small>");
}  // namespace

Q_DECLARE_METATYPE(Frame)

class TestClearAndTouchMode : public QObject {
    Q_OBJECT

private:
    QTemporaryDir settingsFolder;
    QVector<int> waits;
    int waitsWithoutTheWaitCursor = 0;

    static void plugIn(Frame frame) {
        if (frame == Frame::None)
            return;
        virtual_frame::Interface interface;
        interface.usage = frame == Frame::Usage0 ? 0x0000 : 0x00A3;
        const std::string path = virtual_frame::addInterface(interface);
        if (frame == Frame::WriteFails) {
            virtual_frame::failWrite(0x88);
            virtual_frame::failWrite(0x11);
            virtual_frame::failWrite(0x22);
        }
        if (frame == Frame::OpenFails)
            virtual_frame::failOpen(path);
        if (frame == Frame::Unplugged)
            virtual_frame::failOpen(path, ENOENT);
        if (frame == Frame::Busy)
            virtual_frame::failOpen(path, EBUSY);
    }

    static QList<QByteArray> writes() {
        QList<QByteArray> bytes;
        for (const auto &event : virtual_frame::events(virtual_frame::Event::Kind::Write)) {
            if (event.length != 63)
                qWarning("a write of %zu bytes", event.length);
            bytes << bytesOf(event);
        }
        return bytes;
    }

    static QStringList shown(const ModalAnswerer &answerer) {
        QStringList boxes;
        for (const ModalAnswerer::Box &box : answerer.boxes())
            boxes << box.title + QStringLiteral(" / ") + box.text +
                         (box.informativeText.isEmpty() ? QString() : QStringLiteral(" / ") + box.informativeText) +
                         (box.waitCursor ? " (under the wait cursor)" : "");
        return boxes;
    }

private slots:
    void initTestCase() {
        QVERIFY(multiTouchMode);  // the frame starts in multi-touch mode
        settings::setFolderOverride(settingsFolder.path());
        platform::setBlockingWaitHook([this](int milliseconds) {
            waits << milliseconds;
            const QCursor *cursor = QGuiApplication::overrideCursor();
            waitsWithoutTheWaitCursor += !cursor || cursor->shape() != Qt::WaitCursor;
        });
    }
    void init() {
        virtual_frame::reset();
        waits.clear();
        waitsWithoutTheWaitCursor = 0;
        multiTouchMode = true;
    }
    void cleanup() {
        QCOMPARE(virtual_frame::openHandles(), 0);
        QCOMPARE(virtual_frame::unfreedLists(), 0);
        QVERIFY(virtual_frame::faults().empty());
        QCOMPARE(waitsWithoutTheWaitCursor, 0);       // the search shows the wait cursor...
        QVERIFY(!QGuiApplication::overrideCursor());  // ...and gives it back on every way out
    }

    void clear_data() {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<Frame>("frame");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QList<QByteArray>>("written");
        QTest::addColumn<bool>("cleared");
        const QString question = QStringLiteral("确认对话框 / 确认要<b>清除</b>校准?");
        QTest::newRow("No: no search, no report, no message")
            << QMessageBox::No << Frame::Usage0 << QStringList{question} << QList<QByteArray>{} << false;
        QTest::newRow("usage 0: 06 55 88 FF and zeros, then the success")
            << QMessageBox::Yes << Frame::Usage0 << QStringList{question, "OK / 清除完成!"}
            << QList<QByteArray>{sent("065588FF")} << true;
        QTest::newRow("usage 0xA3: the report carries id A3")
            << QMessageBox::Yes << Frame::UsageA3 << QStringList{question, "OK / 清除完成!"}
            << QList<QByteArray>{sent("A35588FF")} << true;
        QTest::newRow("no frame: the warning, nothing sent")
            << QMessageBox::Yes << Frame::None << QStringList{question, "Error / " + notFound} << QList<QByteArray>{}
            << false;
        QTest::newRow("frame that cannot be opened: the warning with its second line")
            << QMessageBox::Yes << Frame::OpenFails << QStringList{question, "Error / " + notFound + notOpened}
            << QList<QByteArray>{} << false;
        QTest::newRow("frame unplugged before the open: it went away, not a matter of access")
            << QMessageBox::Yes << Frame::Unplugged << QStringList{question, "Error / " + notFound + wentAway}
            << QList<QByteArray>{} << false;
        QTest::newRow("busy frame: the system's reason")
            << QMessageBox::Yes << Frame::Busy << QStringList{question, "Error / " + notFound + couldNotOpen}
            << QList<QByteArray>{} << false;
        QTest::newRow("failed write is a failure, not a success")
            << QMessageBox::Yes << Frame::WriteFails << QStringList{question, "Error / " + notFound}
            << QList<QByteArray>{sent("A35588FF")} << false;
    }
    void clear() {
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(Frame, frame);
        QFETCH(QStringList, boxes);
        QFETCH(QList<QByteArray>, written);
        QFETCH(bool, cleared);
        plugIn(frame);
        Form form;
        ModalAnswerer answerer;
        answerer.answer(answer);
        form.ui->pushButton_Clear->click();

        const QString reason = form.frameOpenError.reason;
        QCOMPARE(reason.isEmpty(), frame != Frame::OpenFails && frame != Frame::Unplugged && frame != Frame::Busy);
        for (QString &box : boxes)
            box.replace(QStringLiteral("%1"), reason);
        QCOMPARE(shown(answerer), boxes);
        QCOMPARE(writes(), written);
        QCOMPARE(virtual_frame::state().cleared, cleared);
        const bool searched = answer == QMessageBox::Yes;
        QCOMPARE(virtual_frame::events(virtual_frame::Event::Kind::Enumerate).size(), size_t(searched));
        QCOMPARE(waits.size(), searched && frame != Frame::None ? 1 : 0);
    }

    void clearBoxesLookRight() {
        plugIn(Frame::Usage0);
        Form form;
        {
            ModalAnswerer answerer;
            answerer.answer(QMessageBox::Yes);
            form.onButtonClear();
            QCOMPARE(answerer.boxes().size(), 2);
            const ModalAnswerer::Box question = answerer.boxes()[0];
            QCOMPARE(question.icon, QMessageBox::Information);
            QCOMPARE(question.buttons, (QStringList{"&Yes", "&No"}));
            QCOMPARE(question.defaultButton, QStringLiteral("&Yes"));
            const ModalAnswerer::Box done = answerer.boxes()[1];
            QCOMPARE(done.icon, QMessageBox::Information);
            QCOMPARE(done.buttons, QStringList{"OK"});
        }
        virtual_frame::reset();
        ModalAnswerer answerer;
        answerer.answer(QMessageBox::Yes);
        form.onButtonClear();
        QCOMPARE(answerer.boxes().size(), 2);
        const ModalAnswerer::Box warning = answerer.boxes()[1];
        QCOMPARE(warning.icon, QMessageBox::Warning);
        QCOMPARE(warning.buttons, QStringList{"OK"});
    }

    void escapeOrClosingTheQuestionIsNo_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Escape key") << true;
        QTest::newRow("window closed") << false;
    }
    void escapeOrClosingTheQuestionIsNo() {
        QFETCH(bool, escape);
        plugIn(Frame::Usage0);
        Form form;
        int boxes = 0;
        QTimer dismisser;
        dismisser.setInterval(10);
        connect(&dismisser, &QTimer::timeout, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            ++boxes;
            if (escape)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->close();
        });
        dismisser.start();
        form.onButtonClear();
        QCOMPARE(boxes, 1);
        QVERIFY(virtual_frame::record().empty());
        QVERIFY(waits.isEmpty());
    }

    void switchAlternatesAndKeepsTheText() {
        plugIn(Frame::UsageA3);
        Form form;
        QCOMPARE(form.ui->pushButton_Change->text(), QStringLiteral("切换到单点"));
        ModalAnswerer answerer;
        form.ui->pushButton_Change->click();  // hidden, but its slot is connected
        QVERIFY(!multiTouchMode);
        QVERIFY(!virtual_frame::state().multiTouch);
        QCOMPARE(form.ui->pushButton_Change->text(), QStringLiteral("切换到多点"));
        form.ui->pushButton_Change->click();
        QVERIFY(multiTouchMode);
        QVERIFY(virtual_frame::state().multiTouch);
        QCOMPARE(form.ui->pushButton_Change->text(), QStringLiteral("切换到单点"));

        QCOMPARE(writes(), (QList<QByteArray>{sent("A35511FF"), sent("A35522FF")}));
        QCOMPARE(shown(answerer), (QStringList{"OK / 已切换为单点!", "OK / 已切换为多点!"}));
        QCOMPARE(virtual_frame::events(virtual_frame::Event::Kind::Close).size(), size_t(2));
    }

    void switchWithoutTheFrameChangesNothing_data() {
        QTest::addColumn<Frame>("frame");
        QTest::addColumn<int>("writes");
        QTest::addColumn<QString>("warning");
        QTest::newRow("unplugged") << Frame::None << 0 << "Error / " + notFound;
        QTest::newRow("open refused: the second line") << Frame::OpenFails << 0 << "Error / " + notFound + notOpened;
        QTest::newRow("write failed: opened, so no second line") << Frame::WriteFails << 1 << "Error / " + notFound;
    }
    void switchWithoutTheFrameChangesNothing() {
        QFETCH(Frame, frame);
        QFETCH(int, writes);
        QFETCH(QString, warning);
        plugIn(frame);
        Form form;
        ModalAnswerer answerer;
        form.onButtonChange();
        QCOMPARE(shown(answerer), QStringList{warning});
        QVERIFY(multiTouchMode);
        QCOMPARE(form.ui->pushButton_Change->text(), QStringLiteral("切换到单点"));
        QVERIFY(virtual_frame::state().multiTouch);
        QCOMPARE(int(virtual_frame::events(virtual_frame::Event::Kind::Write).size()), writes);

        // Plugged in (again): the next click asks for single-touch, as the frame is still in multi-touch mode.
        virtual_frame::reset();
        plugIn(Frame::Usage0);
        form.onButtonChange();
        QCOMPARE(this->writes(), QList<QByteArray>{sent("065511FF")});
        QCOMPARE(shown(answerer).last(), QStringLiteral("OK / 已切换为单点!"));
        QVERIFY(!multiTouchMode);
        QCOMPARE(form.ui->pushButton_Change->text(), QStringLiteral("切换到多点"));
    }

    void modeIsSharedByEveryWindow() {
        plugIn(Frame::Usage0);
        ModalAnswerer answerer;
        Form first;
        first.onButtonChange();
        Form second;
        second.onButtonChange();
        QCOMPARE(writes(), (QList<QByteArray>{sent("065511FF"), sent("065522FF")}));
    }
};

QTEST_MAIN(TestClearAndTouchMode)
#include "test_clear_and_touch_mode.moc"
