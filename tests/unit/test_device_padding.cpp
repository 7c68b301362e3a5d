#include <QtTest>

#include "device/output_padding.h"
#include "device/report_descriptor.h"

// Output report lengths read from report descriptors, for padding short writes on hidraw.

namespace {
// A boot keyboard: no report ids; the only output report is the LED byte (5 bits of LEDs, 3 of padding).
const char *keyboard =
    "05010906A101 05071 9E029E7 150025017501950881029501750881 01 9505750105081901290591029501750391 01"
    "950675081500256505071900296581 00 C0";

// A receiver with a vendor-page interface and four report ids of different lengths (6, 19, 14 and 31 bytes).
const char *vendorReceiver =
    "0600FF0901A101 8510 7508 9506 150026FF00 0901 8100 0901 9100 C0"
    "0600FF0902A101 8511 7508 9513 150026FF00 0902 8100 0902 9100 C0"
    "0600FF0904A101 8520 7508 950E 150026FF00 0941 8100 0941 9100 8521 951F 150026FF00 0942 8100 0942 9100 C0";

// A touch frame: a digitizer collection (report 1, input only) and three vendor collections with report ids equal
// to their usages; the 0xA3 report is 255 bytes long, longer than the 62 data bytes a write carries.
const char *touchFrame =
    "050D0904A101 8501 0922A102 09420901 15002501 75019501 8102 95078103 C0 C0"
    "0600FF09A1A101 85A1 0901 7508 953E 8102 0902 953E 9102 C0"
    "0600FF09A2A101 85A2 0901 7508 953E 9102 C0"
    "0600FF09A3A101 85A3 0901 7508 96FF00 9102 C0";

// Push and pop keep the report size; the output of report 2 is 4 x 16 bits, that of report 3 4 x 8 bits.
const char *pushPop = "0600FF0901A101 8502 7508 9504 A4 7510 9102 B4 8503 9102 C0";

std::optional<device::OutputReports> parse(const char *hex) {
    const QByteArray bytes = QByteArray::fromHex(QByteArray(hex).replace(' ', ""));
    return device::parseOutputReports(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                                      std::size_t(bytes.size()));
}
}  // namespace

class TestDevicePadding : public QObject {
    Q_OBJECT

private slots:
    void writeLengths_data() {
        QTest::addColumn<QByteArray>("descriptor");
        QTest::addColumn<int>("reportId");
        QTest::addColumn<int>("writeLength");
        QTest::newRow("keyboard without ids: the LED byte, whatever the id") << QByteArray(keyboard) << 6 << 1;
        QTest::newRow("receiver short report") << QByteArray(vendorReceiver) << 0x10 << 7;
        QTest::newRow("receiver long report") << QByteArray(vendorReceiver) << 0x11 << 20;
        QTest::newRow("receiver second report of one collection") << QByteArray(vendorReceiver) << 0x21 << 32;
        QTest::newRow("receiver id without an output report") << QByteArray(vendorReceiver) << 0x12 << 0;
        QTest::newRow("frame 0xA1: 62 data bytes") << QByteArray(touchFrame) << 0xA1 << 63;
        QTest::newRow("frame 0xA3: 255 data bytes") << QByteArray(touchFrame) << 0xA3 << 256;
        QTest::newRow("frame input-only digitizer report") << QByteArray(touchFrame) << 0x01 << 0;
        QTest::newRow("frame default id 6 is not declared") << QByteArray(touchFrame) << 6 << 0;
        QTest::newRow("pushed size applies inside") << QByteArray(pushPop) << 2 << 9;
        QTest::newRow("popped size applies after") << QByteArray(pushPop) << 3 << 5;
        QTest::newRow("empty descriptor") << QByteArray("") << 6 << 0;
        QTest::newRow("long item skipped") << QByteArray("FE02AA0102 85067508953F9102") << 6 << 64;
    }
    void writeLengths() {
        QFETCH(QByteArray, descriptor);
        QFETCH(int, reportId);
        QFETCH(int, writeLength);
        const auto reports = parse(descriptor.constData());
        QVERIFY(reports);
        QCOMPARE(int(device::outputWriteLength(*reports, std::uint8_t(reportId))), writeLength);
    }

    void malformed_data() {
        QTest::addColumn<QByteArray>("descriptor");
        QTest::newRow("item runs past the end") << QByteArray("0600FF0901A101 95");
        QTest::newRow("four-byte item cut short") << QByteArray("0600FF0901A101 97FFFF");
        QTest::newRow("long item runs past the end") << QByteArray("FE10AA0102");
        QTest::newRow("long item header cut short") << QByteArray("FE10");
        QTest::newRow("report id 0") << QByteArray("8500");
        QTest::newRow("report id wider than a byte") << QByteArray("860001");
        QTest::newRow("report size above 256") << QByteArray("76 0101");
        QTest::newRow("report count above 12288") << QByteArray("96 0130");
        QTest::newRow("five pushes") << QByteArray("A4A4A4A4A4");
        QTest::newRow("pop without push") << QByteArray("B4");
        QTest::newRow("end collection without collection") << QByteArray("C0");
        QTest::newRow("collection never closed") << QByteArray("A101 A102 C0");
        QTest::newRow("report longer than hidraw takes") << QByteArray("8501 75FF 96FF2F 9102");
        QTest::newRow("many output items adding up past the limit")
            << QByteArray("8501 7580 96FF00 9102 9102 9102 9102 9102 9102 9102 9102 9102 9102");
    }
    void malformed() {
        QFETCH(QByteArray, descriptor);
        QVERIFY(!parse(descriptor.constData()));
    }

    void noBytes() {
        QVERIFY(device::parseOutputReports(nullptr, 0));
        QVERIFY(!device::parseOutputReports(nullptr, 1));
    }

    void onlyHidrawNodesArePadded_data() {
        QTest::addColumn<QByteArray>("path");
        QTest::newRow("no path") << QByteArray();
        QTest::newRow("virtual frame") << QByteArray("virtual-frame:0");
        QTest::newRow("prefix without a number") << QByteArray("/dev/hidraw");
        QTest::newRow("not a number") << QByteArray("/dev/hidraw0/../../etc/passwd");
        QTest::newRow("node that does not exist") << QByteArray("/dev/hidraw987");
        QTest::newRow("a file that is not a hidraw node") << QByteArray("/dev/null");
    }
    void onlyHidrawNodesArePadded() {
        QFETCH(QByteArray, path);
        QCOMPARE(device::paddedWriteLength(path.isNull() ? nullptr : path.constData(), 6, 63), std::size_t(63));
    }
};

QTEST_GUILESS_MAIN(TestDevicePadding)
#include "test_device_padding.moc"
