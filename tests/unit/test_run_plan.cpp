#include <QtTest>

#include <cmath>

#include "calibration/run_plan.h"

using calibration::Format;

Q_DECLARE_METATYPE(calibration::Format)
Q_DECLARE_METATYPE(device::Report)
Q_DECLARE_METATYPE(TouchPointTable)

namespace {

using Bytes = QVector<int>;

device::Report replyOf(int id, int marker, int code, int closing) {
    device::Report reply{};
    reply[0] = std::uint8_t(id);
    reply[1] = std::uint8_t(marker);
    reply[2] = std::uint8_t(code);
    reply[3] = std::uint8_t(closing);
    return reply;
}

// A 9-target table whose corners (0, 2, 8, 6) are the given square; inner touches scattered.
TouchPointTable nineTargets(double left, double top, double right, double bottom) {
    TouchPointTable table;
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = {1000.0 + 50 * double(i), 3000.0 - 70 * double(i)};
    table[0] = {left, top};
    table[2] = {right, top};
    table[8] = {right, bottom};
    table[6] = {left, bottom};
    return table;
}

Bytes bytes(const device::Report &report, int from, int to) {
    Bytes result;
    for (int i = from; i < to; ++i)
        result.append(report[std::size_t(i)]);
    return result;
}

}  // namespace

class TestRunPlan : public QObject {
    Q_OBJECT

private slots:
    void startQueryDecidesTheFormat_data() {
        QTest::addColumn<int>("written");
        QTest::addColumn<device::Report>("reply");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("usage");
        QTest::addColumn<Format>("format");
        QTest::addColumn<bool>("warn");
        QTest::addColumn<bool>("start");
        const device::Report valid5 = replyOf(5, 0x55, 0x51, 0xFF);
        const device::Report validA2 = replyOf(0xA2, 0x55, 0x51, 0xFF);
        QTest::newRow("valid reply with id 5 at usage 0 is projective")
            << 63 << valid5 << 64 << 0 << Format::Projective << false << false;
        QTest::newRow("valid reply with the interface id is projective")
            << 63 << validA2 << 64 << 0xA2 << Format::Projective << false << false;
        QTest::newRow("id 6 at usage 0 is affine with a start report")
            << 63 << replyOf(6, 0x55, 0x51, 0xFF) << 64 << 0 << Format::Affine << false << true;
        QTest::newRow("another interface's id is affine")
            << 63 << validA2 << 64 << 0xA3 << Format::Affine << false << true;
        QTest::newRow("a wrong closing byte is affine")
            << 63 << replyOf(5, 0x55, 0x51, 0x00) << 64 << 0 << Format::Affine << false << true;
        QTest::newRow("a wrong command byte is affine")
            << 63 << replyOf(5, 0x55, 0x55, 0xFF) << 64 << 0 << Format::Affine << false << true;
        QTest::newRow("a short read of the right bytes is affine")
            << 63 << valid5 << 32 << 0 << Format::Affine << false << true;
        QTest::newRow("a timeout is affine") << 63 << device::Report{} << 0 << 0 << Format::Affine << false << true;
        QTest::newRow("a read error is affine") << 63 << device::Report{} << -1 << 0 << Format::Affine << false << true;
        QTest::newRow("a failed query write warns, is affine, sends no start")
            << -1 << valid5 << 64 << 0 << Format::Affine << true << false;
        QTest::newRow("a query write of 0 bytes counts as failed")
            << 0 << valid5 << 64 << 0 << Format::Affine << true << false;
    }
    void startQueryDecidesTheFormat() {
        QFETCH(int, written);
        QFETCH(device::Report, reply);
        QFETCH(int, length);
        QFETCH(int, usage);
        QFETCH(Format, format);
        QFETCH(bool, warn);
        QFETCH(bool, start);
        const calibration::QueryOutcome outcome = calibration::judgeStartQuery(written, reply.data(), length, usage);
        QCOMPARE(outcome.format, format);
        QCOMPARE(outcome.queryWriteFailed, warn);
        QCOMPARE(outcome.sendCalibrationStart, start);
    }

    void uploadBytes_data() {
        QTest::addColumn<Format>("format");
        QTest::addColumn<TouchPointTable>("touches");
        QTest::addColumn<Bytes>("fields");
        QTest::newRow("projective upload of corners on the truncated targets")
            << Format::Projective << nineTargets(614, 614, 3481, 3481)
            << Bytes{0x49, 0,    0x10, 0,    0,    0, 0, 0, 0x6D, 0x01, 0, 0, 0, 0, 0, 0,   0x49,
                     0,    0x10, 0,    0x6D, 0x01, 0, 0, 0, 0,    0,    0, 0, 0, 0, 0, 0xFF};
        // c = 2.357316 × 1024 = 2413.9 → 0x096D; f = 4.357456 × 1024 = 4462.0 → 0x116E
        QTest::newRow("projective upload of corners shifted up and left")
            << Format::Projective << nineTargets(612, 610, 3479, 3477)
            << Bytes{0x49, 0,    0x10, 0,    0,    0, 0, 0, 0x6D, 0x09, 0, 0, 0, 0, 0, 0,   0x49,
                     0,    0x10, 0,    0x6E, 0x11, 0, 0, 0, 0,    0,    0, 0, 0, 0, 0, 0xFF};
        QTest::newRow("affine upload of corners on the truncated targets")
            << Format::Affine << nineTargets(614, 614, 3481, 3481)
            << Bytes{0x00, 0x10, 0, 0, 0, 0, 0, 0, 0x00, 0x10, 0, 0, 0xFF};
        // c = 2.357 and f = 4.357 keep their whole units.
        QTest::newRow("affine upload of corners shifted up and left")
            << Format::Affine << nineTargets(612, 610, 3479, 3477)
            << Bytes{0x00, 0x10, 0, 0, 0x02, 0, 0, 0, 0x00, 0x10, 0x04, 0, 0xFF};
        // A frame mounted upside down: a = e = -1.00006978 → -1048649 (B7 FF EF FF), c = f = 4095.64 → 4193938
        // (92 FE 3F 00); affine a = e = -4096 (00 F0), c = f = 4095 (FF 0F).
        QTest::newRow("projective upload of a frame upside down")
            << Format::Projective << nineTargets(3481, 3481, 614, 614)
            << Bytes{0xB7, 0xFF, 0xEF, 0xFF, 0,    0,    0, 0, 0x92, 0xFE, 0x3F, 0, 0, 0, 0, 0,   0xB7,
                     0xFF, 0xEF, 0xFF, 0x92, 0xFE, 0x3F, 0, 0, 0,    0,    0,    0, 0, 0, 0, 0xFF};
        QTest::newRow("affine upload of a frame upside down")
            << Format::Affine << nineTargets(3481, 3481, 614, 614)
            << Bytes{0x00, 0xF0, 0, 0, 0xFF, 0x0F, 0, 0, 0x00, 0xF0, 0xFF, 0x0F, 0xFF};
    }
    void uploadBytes() {
        QFETCH(Format, format);
        QFETCH(TouchPointTable, touches);
        QFETCH(Bytes, fields);
        double matrix[8][8];
        double vector[8];
        std::array<std::int32_t, 8> fixed{};
        const auto upload = calibration::buildUpload(format, touches, 9, 0, matrix, vector, fixed);
        QVERIFY(upload);
        const int code = format == Format::Projective ? 0x61 : 0x66;
        QCOMPARE(bytes(*upload, 0, 3), (Bytes{6, 0x55, code}));
        QCOMPARE(bytes(*upload, 3, 3 + fields.size()), fields);
        QCOMPARE(bytes(*upload, 3 + fields.size(), 64), Bytes(61 - fields.size(), 0));
    }

    void projectiveIntegersAreKept() {
        double matrix[8][8];
        double vector[8];
        std::array<std::int32_t, 8> fixed{};
        QVERIFY(calibration::buildUpload(Format::Projective, nineTargets(612, 610, 3479, 3477), 9, 0, matrix, vector,
                                         fixed));
        QCOMPARE(fixed, (std::array<std::int32_t, 8>{1048649, 0, 2413, 0, 1048649, 4462, 0, 0}));
        QVERIFY(std::fabs(vector[0] - 1.00006978) < 0.5e-8);  // the solution stays in the vector
    }

    void affineLeavesTheProjectiveIntegersAlone() {
        double matrix[8][8];
        double vector[8];
        std::array<std::int32_t, 8> fixed{1, 2, 3, 4, 5, 6, 7, 8};
        QVERIFY(
            calibration::buildUpload(Format::Affine, nineTargets(612, 610, 3479, 3477), 9, 0, matrix, vector, fixed));
        QCOMPARE(fixed, (std::array<std::int32_t, 8>{1, 2, 3, 4, 5, 6, 7, 8}));
    }

    void uploadCarriesTheInterfaceId() {
        double matrix[8][8];
        double vector[8];
        std::array<std::int32_t, 8> fixed{};
        for (const Format format : {Format::Projective, Format::Affine}) {
            const auto upload =
                calibration::buildUpload(format, nineTargets(614, 614, 3481, 3481), 9, 0xA3, matrix, vector, fixed);
            QVERIFY(upload);
            QCOMPARE(int((*upload)[0]), 0xA3);
        }
    }

    void implausibleCornersAreRefused_data() {
        QTest::addColumn<TouchPointTable>("touches");
        QTest::addColumn<int>("targets");
        QTest::newRow("all corners on one spot") << nineTargets(2000, 2000, 2000, 2000) << 9;
        QTest::newRow("corners three million units off fit no field") << nineTargets(3000614, 614, 3003481, 3481) << 9;
        QTest::newRow("an unknown target count") << nineTargets(614, 614, 3481, 3481) << 8;
        TouchPointTable empty{};
        QTest::newRow("a table never written") << empty << 4;
    }
    void implausibleCornersAreRefused() {
        QFETCH(TouchPointTable, touches);
        QFETCH(int, targets);
        double matrix[8][8];
        double vector[8];
        for (const Format format : {Format::Projective, Format::Affine}) {
            std::array<std::int32_t, 8> fixed{1, 2, 3, 4, 5, 6, 7, 8};
            QVERIFY(!calibration::buildUpload(format, touches, targets, 0, matrix, vector, fixed));
            QCOMPARE(fixed, (std::array<std::int32_t, 8>{1, 2, 3, 4, 5, 6, 7, 8}));
        }
    }
};

QTEST_GUILESS_MAIN(TestRunPlan)
#include "test_run_plan.moc"
