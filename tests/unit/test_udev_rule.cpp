#include <QtTest>

#include <QRegularExpression>

#include "device/vendor_ids.h"

// The udev rule must grant access to exactly the vendor ids the program takes for a frame, or a frame the program
// would find stays unopenable for the user.
class TestUdevRule : public QObject {
    Q_OBJECT

private slots:
    void grantsEveryBuiltInVendor() {
        QFile rule(QStringLiteral(ORVESSA_UDEV_RULE));
        QVERIFY(rule.open(QIODevice::ReadOnly | QIODevice::Text));
        QVector<int> granted;
        const QRegularExpression line(
            QStringLiteral(R"re(^SUBSYSTEM=="hidraw", ATTRS\{idVendor\}=="([0-9a-f]{4})", TAG\+="uaccess"$)re"));
        for (const QString &text : QString::fromUtf8(rule.readAll()).split(u'\n')) {
            if (text.isEmpty() || text.startsWith(u'#'))
                continue;
            const QRegularExpressionMatch match = line.match(text);
            QVERIFY2(match.hasMatch(), qPrintable(text));
            granted << match.captured(1).toInt(nullptr, 16);
        }
        QCOMPARE(granted, device::builtInVendorIds());
    }
};

QTEST_GUILESS_MAIN(TestUdevRule)
#include "test_udev_rule.moc"
