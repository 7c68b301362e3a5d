#include <QtTest>

#include "device/vendor_ids.h"

using Ids = QVector<int>;
Q_DECLARE_METATYPE(Ids)

class TestVendorIds : public QObject {
    Q_OBJECT

private slots:
    void parsing_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<Ids>("extra");
        QTest::newRow("missing or empty gives the five built-in ids") << QString() << Ids{};
        QTest::newRow("new ids appended in order, known, non-hex and empty parts skipped")
            << QStringLiteral("1FF7+28E1+12G4++0AB1") << Ids{0x1FF7, 0x0AB1};
        QTest::newRow("lower case hex") << QStringLiteral("abcd") << Ids{0xABCD};
        QTest::newRow("a repeated new id is added once") << QStringLiteral("1234+1234") << Ids{0x1234};
        QTest::newRow("only plus signs") << QStringLiteral("+++") << Ids{};
        QTest::newRow("overflowing int is skipped") << QStringLiteral("FFFFFFFFFF+1A") << Ids{0x1A};
        QTest::newRow("negative converts but can never match a device") << QStringLiteral("-1A") << Ids{-0x1A};
        QTest::newRow("spaces are not hex") << QStringLiteral("12 34") << Ids{};
        QTest::newRow("comma is not a separator") << QStringLiteral("1FF7,28E1") << Ids{};
    }
    void parsing() {
        QFETCH(QString, setting);
        QFETCH(Ids, extra);
        QCOMPARE(device::vendorIdsFromSetting(setting), device::builtInVendorIds() + extra);
    }

    void builtInIdsInTheirOrder() {
        QCOMPARE(device::builtInVendorIds(), (Ids{0x28E1, 0x13FF, 0x1314, 0x1870, 0x595A}));
    }

    void hostileLongValuesKeepTheDefaults() {
        QString manyIds;
        for (int i = 0; i < 200000; ++i)
            manyIds += QString::number(i, 16) + QLatin1Char('+');
        const Ids ids = device::vendorIdsFromSetting(manyIds);
        QCOMPARE(ids.mid(0, 5), device::builtInVendorIds());
        QCOMPARE(ids.size(), 200000);  // 200000 distinct values, five of them built in already

        const Ids junk = device::vendorIdsFromSetting(QString(1 << 20, QLatin1Char('Z')));
        QCOMPARE(junk, device::builtInVendorIds());
    }
};

QTEST_GUILESS_MAIN(TestVendorIds)
#include "test_vendor_ids.moc"
