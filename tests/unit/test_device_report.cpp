#include <QtTest>

#include <cmath>
#include <limits>

#include "device/report.h"

using Coefficients = QVector<double>;
Q_DECLARE_METATYPE(Coefficients)

namespace {
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

QByteArray bytesOf(const device::Report &report) {
    return QByteArray(reinterpret_cast<const char *>(report.data()), int(report.size()));
}

// The whole 64-byte frame from the hex of its leading bytes; the rest is zeros.
QByteArray frame(const char *leadingHex) {
    QByteArray bytes = QByteArray::fromHex(leadingHex);
    bytes.append(QByteArray(64 - bytes.size(), '\0'));
    return bytes;
}
}  // namespace

class TestDeviceReport : public QObject {
    Q_OBJECT

private slots:
    void commandReports_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("deviceUsage");
        QTest::addColumn<QByteArray>("expected");
        using device::Command;
        QTest::newRow("clear with usage 0 is 06 55 88 FF and zeros") << int(Command::Clear) << 0 << frame("065588FF");
        QTest::newRow("clear on the 0xA3 interface carries id A3") << int(Command::Clear) << 0xA3 << frame("A35588FF");
        QTest::newRow("single-touch on 0xA1") << int(Command::SingleTouch) << 0xA1 << frame("A15511FF");
        QTest::newRow("multi-touch on 0xA2") << int(Command::MultiTouch) << 0xA2 << frame("A25522FF");
        QTest::newRow("start query, default id") << int(Command::StartQuery) << 0 << frame("065551FF");
        QTest::newRow("calibration start, default id") << int(Command::StartCalibration) << 0 << frame("065555FF");
        QTest::newRow("abandon on 0xA3") << int(Command::Abandon) << 0xA3 << frame("A35577FF");
        QTest::newRow("usage wider than a byte gives its low byte")
            << int(Command::Clear) << 0x1A2 << frame("A25588FF");
    }
    void commandReports() {
        QFETCH(int, code);
        QFETCH(int, deviceUsage);
        QFETCH(QByteArray, expected);
        device::Report report = device::commandReport(device::Command(code));
        QCOMPARE(report[0], device::defaultReportId);
        device::setReportId(report, deviceUsage);
        QCOMPARE(bytesOf(report), expected);
        QCOMPARE(device::reportId(deviceUsage), std::uint8_t(expected[0]));
    }

    void sixtyThreeBytesAreWritten() { QCOMPARE(device::reportWriteLength, 63); }

    void startReply_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("deviceUsage");
        QTest::addColumn<bool>("valid");
        QTest::newRow("default: reply id 5 is valid") << frame("055551FF") << 64 << 0 << true;
        QTest::newRow("default: the report id 6 is not the reply id") << frame("065551FF") << 64 << 0 << false;
        QTest::newRow("usage A2: only A2 55 51 FF is valid") << frame("A25551FF") << 64 << 0xA2 << true;
        QTest::newRow("usage A2: reply id 5 is wrong") << frame("055551FF") << 64 << 0xA2 << false;
        QTest::newRow("usage A3: reply A2 is wrong") << frame("A25551FF") << 64 << 0xA3 << false;
        QTest::newRow("right bytes but 63 read") << frame("055551FF") << 63 << 0 << false;
        QTest::newRow("right bytes but 65 read") << frame("055551FF") << 65 << 0 << false;
        QTest::newRow("timeout") << frame("055551FF") << 0 << 0 << false;
        QTest::newRow("error") << frame("055551FF") << -1 << 0 << false;
        QTest::newRow("wrong marker") << frame("055451FF") << 64 << 0 << false;
        QTest::newRow("echo of another command") << frame("055555FF") << 64 << 0 << false;
        QTest::newRow("closing byte missing") << frame("05555100") << 64 << 0 << false;
        QTest::newRow("bytes after the fourth are not examined") << frame("055551FFDEADBEEF") << 64 << 0 << true;
    }
    void startReply() {
        QFETCH(QByteArray, reply);
        QFETCH(int, length);
        QFETCH(int, deviceUsage);
        QFETCH(bool, valid);
        QCOMPARE(
            device::isValidStartReply(reinterpret_cast<const std::uint8_t *>(reply.constData()), length, deviceUsage),
            valid);
    }

    void startReplyWithoutBuffer() {
        QVERIFY(!device::isValidStartReply(nullptr, 64, 0));
        QCOMPARE(device::expectedReplyId(0), 5);
        QCOMPARE(device::expectedReplyId(0xA1), 0xA1);
    }

    void projectiveUpload_data() {
        QTest::addColumn<Coefficients>("coefficients");
        QTest::addColumn<QByteArray>("fieldBytes");  // offsets 3..35, the closing FF included
        QTest::newRow("a 1.0 and c 2.5") << Coefficients{1.0, 0, 2.5, 0, 0, 0, 0, 0}
                                         << QByteArray::fromHex(
                                                "00001000 00000000 000A0000 00000000 00000000 00000000 00000000 "
                                                "00000000 FF");
        QTest::newRow("near-identity set")
            << Coefficients{1.00006978, 0, 0.3571765, 0, 1.00006978, 0.3571765, 0, 0}
            << QByteArray::fromHex("49001000 00000000 6D010000 00000000 49001000 6D010000 00000000 00000000 FF");
        QTest::newRow("-0.5 is two's complement")
            << Coefficients{0, -0.5, 0, 0, 0, 0, 0, 0}
            << QByteArray::fromHex("00000000 0000F8FF 00000000 00000000 00000000 00000000 00000000 00000000 FF");
        QTest::newRow("truncation toward zero, both signs")
            << Coefficients{0, 0, 0, 0, 0, 0, 0.9999999, -0.9999999}
            << QByteArray::fromHex("00000000 00000000 00000000 00000000 00000000 00000000 FFFF0F00 0100F0FF FF");
        QTest::newRow("largest and smallest fields")
            << Coefficients{2047.9999999, -2048, 2097151.9999, -2048.0000001, 0, -2097152.0009, 0, 0}
            << QByteArray::fromHex("FFFFFF7F 00000080 FFFFFF7F 00000080 00000000 00000080 00000000 00000000 FF");
    }
    void projectiveUpload() {
        QFETCH(Coefficients, coefficients);
        QFETCH(QByteArray, fieldBytes);
        const auto fields = device::projectiveFixedPoint(coefficients.constData());
        QVERIFY(fields);
        device::Report report = device::projectiveUpload(*fields);
        QCOMPARE(bytesOf(report), QByteArray::fromHex("065561") + fieldBytes + QByteArray(64 - 36, '\0'));
    }

    void projectiveFieldsAreTruncatedTowardZero() {
        const double coefficients[8] = {0.9999999, -0.9999999, 2.5, -0.5, 1e-300, -1e-300, -1.9999, 1.00006978};
        const auto fields = device::projectiveFixedPoint(coefficients);
        QVERIFY(fields);
        QCOMPARE(*fields, (std::array<std::int32_t, 8>{1048575, -1048575, 2560, -524288, 0, 0, -2097047, 1048649}));
    }

    void projectiveRefusals_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<double>("value");
        QTest::newRow("NaN") << 0 << notANumber;
        QTest::newRow("+inf") << 2 << inf;
        QTest::newRow("-inf") << 7 << -inf;
        QTest::newRow("linear term 2048 overflows") << 1 << 2048.0;
        QTest::newRow("linear term just below -2048 overflows") << 3 << -2048.000001;
        QTest::newRow("translation 2^21 overflows") << 5 << 2097152.0;
        QTest::newRow("translation just below -2^21 overflows") << 2 << -2097152.001;
        QTest::newRow("huge finite value") << 4 << 1e300;
        QTest::newRow("largest double") << 6 << std::numeric_limits<double>::max();
    }
    void projectiveRefusals() {
        QFETCH(int, index);
        QFETCH(double, value);
        double coefficients[8] = {1, 0, 0, 0, 1, 0, 0, 0};
        coefficients[index] = value;
        QVERIFY(!device::projectiveFixedPoint(coefficients));
    }

    void affineUpload_data() {
        QTest::addColumn<Coefficients>("coefficients");
        QTest::addColumn<QByteArray>("fieldBytes");  // offsets 3..15, the closing FF included
        QTest::newRow("near-identity set") << Coefficients{1.00006976, 0, 0.3571678, 0, 1.00006976, 0.3571678}
                                           << QByteArray::fromHex("0010 0000 0000 0000 0010 0000 FF");
        QTest::newRow("negative values truncate toward zero")
            << Coefficients{-0.5, -0.00001, -1.7, 0.9999, 0, -32768.5}
            << QByteArray::fromHex("00F8 0000 FFFF FF0F 0000 0080 FF");
        QTest::newRow("field limits") << Coefficients{7.99999, -8, 32767.9, 0, 0, -32768}
                                      << QByteArray::fromHex("FF7F 0080 FF7F 0000 0000 0080 FF");
    }
    void affineUpload() {
        QFETCH(Coefficients, coefficients);
        QFETCH(QByteArray, fieldBytes);
        const auto fields = device::affineFixedPoint(coefficients.constData());
        QVERIFY(fields);
        QCOMPARE(bytesOf(device::affineUpload(*fields)),
                 QByteArray::fromHex("065566") + fieldBytes + QByteArray(64 - 16, '\0'));
    }

    void affineRefusals_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<double>("value");
        QTest::newRow("NaN translation") << 5 << notANumber;
        QTest::newRow("+inf") << 0 << inf;
        QTest::newRow("-inf") << 4 << -inf;
        QTest::newRow("linear term 8 overflows") << 1 << 8.0;
        QTest::newRow("linear term just below -8 overflows") << 3 << -8.0003;
        QTest::newRow("translation 32768 overflows") << 2 << 32768.0;
        QTest::newRow("translation -32769 overflows") << 5 << -32769.0;
    }
    void affineRefusals() {
        QFETCH(int, index);
        QFETCH(double, value);
        double coefficients[6] = {1, 0, 0, 0, 1, 0};
        coefficients[index] = value;
        QVERIFY(!device::affineFixedPoint(coefficients));
    }
};

QTEST_GUILESS_MAIN(TestDeviceReport)
#include "test_device_report.moc"
