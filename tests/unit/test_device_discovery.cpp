#include <QtTest>

#include "device/discovery.h"

using Entries = std::vector<device::HidEntry>;
using Attempts = std::vector<device::OpenAttempt>;
Q_DECLARE_METATYPE(Entries)
Q_DECLARE_METATYPE(Attempts)

namespace {
const QVector<int> builtIn{0x28E1, 0x13FF, 0x1314, 0x1870, 0x595A};

device::HidEntry frame(std::uint16_t usage, std::uint16_t vendor = 0x28E1, std::uint16_t page = 0xFF00) {
    return device::HidEntry{vendor, page, usage};
}
}  // namespace

namespace device {
// Lets QCOMPARE print attempts.
char *toString(const OpenAttempt &attempt) {
    return QTest::toString(
        QStringLiteral("(entry %1, usage %2)").arg(attempt.entry).arg(attempt.usage, 4, 16, QChar(u'0')));
}
}  // namespace device

class TestDeviceDiscovery : public QObject {
    Q_OBJECT

private slots:
    void attempts_data() {
        QTest::addColumn<Entries>("entries");
        QTest::addColumn<QVector<int>>("vendorIds");
        QTest::addColumn<Attempts>("expected");
        QTest::newRow("0x0000 interface wins over 0x00A3 listed before it")
            << Entries{frame(0xA3), frame(0x00)} << builtIn << Attempts{{1, 0x00}, {0, 0xA3}};
        QTest::newRow("0xA3 before 0xA1 whatever the order")
            << Entries{frame(0xA1), frame(0xA3)} << builtIn << Attempts{{1, 0xA3}, {0, 0xA1}};
        QTest::newRow("all four candidates in precedence order")
            << Entries{frame(0xA1), frame(0xA2), frame(0xA3), frame(0x00)} << builtIn
            << Attempts{{3, 0x00}, {2, 0xA3}, {1, 0xA2}, {0, 0xA1}};
        QTest::newRow("first of two matching entries only")
            << Entries{frame(0xA2, 0x13FF), frame(0xA2, 0x595A)} << builtIn << Attempts{{0, 0xA2}};
        QTest::newRow("vendor not listed is passed over")
            << Entries{frame(0xA2, 0x1FF7), frame(0xA2, 0x1870)} << builtIn << Attempts{{1, 0xA2}};
        QTest::newRow("usage page 0xFF01 never matches")
            << Entries{frame(0xA3, 0x28E1, 0xFF01)} << builtIn << Attempts{};
        QTest::newRow("usage 0x00A0 never matches") << Entries{frame(0xA0)} << builtIn << Attempts{};
        QTest::newRow("usage with the candidate's low byte on another page")
            << Entries{frame(0xA3, 0x28E1, 0x0001), frame(0x1A3)} << builtIn << Attempts{};
        QTest::newRow("empty enumeration") << Entries{} << builtIn << Attempts{};
        QTest::newRow("extra vendor from the settings")
            << Entries{frame(0xA1, 0x1FF7)} << (builtIn + QVector<int>{0x1FF7}) << Attempts{{0, 0xA1}};
        QTest::newRow("vendor ids above 0x7FFF compare without sign")
            << Entries{frame(0xA1, 0xFFFF)} << QVector<int>{0xFFFF} << Attempts{{0, 0xA1}};
        QTest::newRow("list values outside 16 bits never match")
            << Entries{frame(0xA1, 0xFFFF), frame(0xA2, 0x28E1)} << QVector<int>{-1, 0x128E1} << Attempts{};
        QTest::newRow("nested collections of one node, each its own entry")
            << Entries{frame(0x01, 0x28E1, 0x000D), frame(0xA1), frame(0xA2), frame(0xA3)} << builtIn
            << Attempts{{3, 0xA3}, {2, 0xA2}, {1, 0xA1}};
    }
    void attempts() {
        QFETCH(Entries, entries);
        QFETCH(QVector<int>, vendorIds);
        QFETCH(Attempts, expected);
        QCOMPARE(device::openAttempts(entries, vendorIds), expected);
    }
};

QTEST_GUILESS_MAIN(TestDeviceDiscovery)
#include "test_device_discovery.moc"
