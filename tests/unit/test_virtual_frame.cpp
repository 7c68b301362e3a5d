#include <QtTest>

#include <hidapi.h>

#include "device/report.h"
#include "virtual_frame.h"

// The virtual frame is the stand-in for the hardware in every device test, so its own rules are checked here:
// it must answer and keep state the way the program's protocol code expects a frame to.

Q_DECLARE_METATYPE(virtual_frame::StartReply)

namespace {
int writeReport(hid_device *handle, device::Report report, int deviceUsage) {
    device::setReportId(report, deviceUsage);
    return hid_write(handle, report.data(), device::reportWriteLength);
}
}  // namespace

class TestVirtualFrame : public QObject {
    Q_OBJECT

private slots:
    void init() { virtual_frame::reset(); }

    void answersTheStartQuery_data() {
        using virtual_frame::StartReply;
        QTest::addColumn<StartReply>("reply");
        QTest::addColumn<int>("usage");
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("valid");
        QTest::newRow("valid on usage 0 answers with id 5") << StartReply::Valid << 0 << 64 << true;
        QTest::newRow("valid on usage A2 answers with A2") << StartReply::Valid << 0xA2 << 64 << true;
        QTest::newRow("wrong id on usage 0 answers with 6") << StartReply::WrongId << 0 << 64 << false;
        QTest::newRow("wrong id on usage A3 answers with 5") << StartReply::WrongId << 0xA3 << 64 << false;
        QTest::newRow("wrong byte") << StartReply::WrongByte << 0xA1 << 64 << false;
        QTest::newRow("short") << StartReply::Short << 0 << 32 << false;
        QTest::newRow("timeout") << StartReply::Timeout << 0 << 0 << false;
        QTest::newRow("error") << StartReply::Error << 0xA3 << -1 << false;
    }
    void answersTheStartQuery() {
        QFETCH(virtual_frame::StartReply, reply);
        QFETCH(int, usage);
        QFETCH(int, result);
        QFETCH(bool, valid);
        virtual_frame::Interface frame;
        frame.usage = std::uint16_t(usage);
        const std::string path = virtual_frame::addInterface(frame);
        virtual_frame::setStartReply(reply);

        hid_device *handle = hid_open_path(path.c_str());
        QVERIFY(handle);
        std::uint8_t buffer[64] = {};
        QCOMPARE(hid_read_timeout(handle, buffer, 64, 100), 0);  // nothing asked, nothing comes
        QCOMPARE(writeReport(handle, device::commandReport(device::Command::StartQuery), usage), 63);
        QCOMPARE(hid_read_timeout(handle, buffer, 64, 100), result);
        QCOMPARE(device::isValidStartReply(buffer, result, usage), valid);
        QCOMPARE(hid_read_timeout(handle, buffer, 64, 100), 0);  // one answer per query
        hid_close(handle);
        QCOMPARE(virtual_frame::openHandles(), 0);
    }

    void firmwareKeepsWhatItWasTold() {
        const std::string path = virtual_frame::addInterface({});
        hid_device *handle = hid_open_path(path.c_str());
        QVERIFY(handle);
        QVERIFY(virtual_frame::state().multiTouch);

        writeReport(handle, device::commandReport(device::Command::SingleTouch), 0xA3);
        QVERIFY(!virtual_frame::state().multiTouch);
        writeReport(handle, device::commandReport(device::Command::MultiTouch), 0xA3);
        QVERIFY(virtual_frame::state().multiTouch);

        writeReport(handle, device::projectiveUpload({1048576, -2, 2560, 0, 1048576, -1024, 0, 7}), 0xA3);
        QCOMPARE(virtual_frame::state().lastUploadCode, 0x61);
        QCOMPARE(virtual_frame::state().lastCoefficients,
                 (std::vector<std::int32_t>{1048576, -2, 2560, 0, 1048576, -1024, 0, 7}));
        writeReport(handle, device::affineUpload({4096, 0, -5, 0, 4096, 300}), 0xA3);
        QCOMPARE(virtual_frame::state().lastCoefficients, (std::vector<std::int32_t>{4096, 0, -5, 0, 4096, 300}));

        writeReport(handle, device::commandReport(device::Command::Clear), 0xA3);
        QVERIFY(virtual_frame::state().cleared);
        QCOMPARE(virtual_frame::state().lastUploadCode, 0);

        // The node of a 0xA3 interface does not take the default id; a failed write never reaches the firmware.
        writeReport(handle, device::commandReport(device::Command::SingleTouch), 0);
        QCOMPARE(virtual_frame::state().ignoredReports, 1);
        virtual_frame::failWrite(0x11);
        QCOMPARE(writeReport(handle, device::commandReport(device::Command::SingleTouch), 0xA3), -1);
        QVERIFY(virtual_frame::state().multiTouch);
        hid_close(handle);
        QVERIFY(virtual_frame::faults().empty());
    }

    void nestedCollectionsShareOneNode() {
        for (std::uint16_t usage : {0x00A1, 0x00A2}) {
            virtual_frame::Interface collection;
            collection.usage = usage;
            collection.path = "virtual-frame:nested";
            virtual_frame::addInterface(collection);
        }
        hid_device *handle = hid_open_path("virtual-frame:nested");
        writeReport(handle, device::commandReport(device::Command::Clear), 0xA1);
        writeReport(handle, device::commandReport(device::Command::Clear), 0xA2);
        QCOMPARE(virtual_frame::state().clears, 2);
        hid_close(handle);
    }

    void recordsEveryCallAndMisuse() {
        virtual_frame::addInterface({});
        virtual_frame::failOpen("virtual-frame:0");
        hid_device_info *list = hid_enumerate(0, 0);
        QVERIFY(list);
        QCOMPARE(list->usage_page, 0xFF00);
        QVERIFY(!hid_open_path(list->path));
        QCOMPARE(virtual_frame::unfreedLists(), 1);
        hid_free_enumeration(list);
        hid_free_enumeration(list);
        QCOMPARE(virtual_frame::unfreedLists(), 0);
        hid_free_enumeration(hid_enumerate(0x1234, 0));  // no such vendor: the empty list, freed as such

        const auto kinds = virtual_frame::record();
        QCOMPARE(kinds.size(), size_t(6));
        QCOMPARE(virtual_frame::describe(kinds[0]), std::string("enumerate vendor=0000 product=0000 list=1 entries=1"));
        QCOMPARE(virtual_frame::describe(kinds[1]), std::string("open path=virtual-frame:0 failed"));
        QCOMPARE(virtual_frame::describe(kinds[2]), std::string("free list=1 entries=1"));
        QCOMPARE(virtual_frame::describe(kinds[4]),
                 std::string("enumerate vendor=1234 product=0000 list=none entries=0"));
        QCOMPARE(virtual_frame::describe(kinds[5]), std::string("free list=none"));
        QCOMPARE(virtual_frame::faults().size(), size_t(1));  // the second free

        virtual_frame::reset();
        const std::string path = virtual_frame::addInterface({});
        hid_device *handle = hid_open_path(path.c_str());
        hid_close(handle);
        hid_close(handle);
        const std::uint8_t byte = 0;
        QCOMPARE(hid_write(handle, &byte, 1), -1);
        QCOMPARE(virtual_frame::faults().size(), size_t(2));
    }

    void configurationText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("errors");
        QTest::newRow("one frame") << "28E1:FF00:00A3" << 1 << 0;
        QTest::newRow("short hex and a path with colons") << "28e1:ff00:a3:/x:y,13FF:FF00:0" << 2 << 0;
        QTest::newRow("empty entries are skipped") << ",,28E1:FF00:A1," << 1 << 0;
        QTest::newRow("bad entries are named") << "28E1:FF00,ZZZZ:FF00:A3,12345:FF00:A3" << 0 << 3;
    }
    void configurationText() {
        QFETCH(QString, text);
        QFETCH(int, count);
        QFETCH(int, errors);
        std::vector<std::string> found;
        QCOMPARE(int(virtual_frame::parseInterfaces(text.toStdString(), &found).size()), count);
        QCOMPARE(int(found.size()), errors);
    }

    void configurationDetails() {
        const auto interfaces = virtual_frame::parseInterfaces("28e1:ff00:a3:/x:y");
        QCOMPARE(interfaces.at(0).usage, 0xA3);
        QCOMPARE(interfaces.at(0).path, std::string("/x:y"));
        QCOMPARE(virtual_frame::parseStartReply("wrong-byte"), virtual_frame::StartReply::WrongByte);
        QVERIFY(!virtual_frame::parseStartReply("Valid"));
        std::vector<std::string> errors;
        QCOMPARE(virtual_frame::parseCodes("88,61,100,x", &errors), (std::vector<std::uint8_t>{0x88, 0x61}));
        QCOMPARE(errors.size(), size_t(2));
        errors.clear();
        const std::vector<std::pair<std::string, int>> opens{
            {"virtual-frame:0", EACCES}, {"/dev/hidraw1", ENOENT}, {"a=b", 5}};
        QCOMPARE(virtual_frame::parseFailingOpens("virtual-frame:0,/dev/hidraw1=ENOENT,a=b=5,c=EWHAT,=EIO", &errors),
                 opens);
        QCOMPARE(errors.size(), size_t(2));
    }
};

QTEST_GUILESS_MAIN(TestVirtualFrame)
#include "test_virtual_frame.moc"
