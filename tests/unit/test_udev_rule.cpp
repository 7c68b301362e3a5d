#include <QtTest>

#include <QRegularExpression>

#include <cerrno>

#include "device/vendor_ids.h"
#include "frame_tool/node_access_linux.h"

Q_DECLARE_METATYPE(frame_tool::NodeFacts)

// The udev rule must grant access to exactly the vendor ids the program takes for a frame, or a frame the program
// would find stays unopenable for the user; where a user still cannot open a frame's node, orvessa-frame list says
// why and which rule line or ACL entry would let them.
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

    void accessJudgement_data() {
        QTest::addColumn<frame_tool::NodeFacts>("facts");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("access");
        QTest::addColumn<QString>("fix");
        frame_tool::NodeFacts root;
        root.path = "/dev/hidraw3";
        root.vendorId = 0x28E1;
        root.openError = EACCES;
        root.mode = 020600;
        root.user = 1000;
        root.userName = "alice";
        root.userGroups = {1000, 46};
        const auto ruleLine = [](const char *vendor) {
            return QStringLiteral(
                       "echo 'SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"%1\", TAG+=\"uaccess\"' | sudo tee "
                       "-a /etc/udev/rules.d/70-orvessa-local.rules >/dev/null && sudo udevadm control "
                       "--reload-rules && sudo udevadm trigger --subsystem-match=hidraw")
                .arg(QLatin1String(vendor));
        };
        const QString denied = QStringLiteral("Permission denied");
        QTest::newRow("no rule names the vendor: a rule line for it") << root << denied << "---" << ruleLine("28e1");

        frame_tool::NodeFacts seat = root;
        seat.projectRules = {"/usr/lib/udev/rules.d/70-orvessa-touch-frame.rules"};
        seat.vendorInRules = true;
        seat.acl = {{0x01, 6, 0}, {0x02, 6, 1000}, {0x04, 0, 0}, {0x10, 4, 0}, {0x20, 0, 0}};
        QTest::newRow("rule in place, not the seat's user: an ACL entry; the mask limits the user's entry")
            << seat << denied << "r--"
            << "sudo setfacl -m u:alice:rw /dev/hidraw3   # until the frame is plugged in again";

        frame_tool::NodeFacts group = root;
        group.vendorId = 0x1FF7;
        group.projectRules = seat.projectRules;
        group.mode = 020660;
        group.group = 46;
        QTest::newRow("vendor of vid= missing from the rule; the owning group's bits")
            << group << denied << "rw-" << ruleLine("1ff7");

        frame_tool::NodeFacts busy = root;
        busy.openError = EBUSY;
        busy.mode = 020606;
        QTest::newRow("busy: no fix; others' bits") << busy << "Device or resource busy"
                                                    << "rw-" << QString();
        frame_tool::NodeFacts gone = root;
        gone.statError = ENOENT;
        gone.openError = ENODEV;
        QTest::newRow("unplugged: gone, nothing more to say") << gone << "No such device" << QString() << QString();
        frame_tool::NodeFacts unseen = gone;
        unseen.openError = EACCES;
        QTest::newRow("refused, and nothing to look at: the open's reason only")
            << unseen << denied << QString() << QString();
    }
    void accessJudgement() {
        QFETCH(frame_tool::NodeFacts, facts);
        QFETCH(QString, reason);
        QFETCH(QString, access);
        QFETCH(QString, fix);
        const frame_tool::NodeAccess judged = frame_tool::judgeNodeAccess(facts);
        QCOMPARE(judged.reason, reason);
        QCOMPARE(judged.gone, facts.openError == ENODEV);
        QCOMPARE(judged.fix, fix);
        const QStringList userLine = judged.details.filter(QStringLiteral("user alice (uid 1000) gets "));
        QCOMPARE(userLine.value(0).section(u' ', -3, -3), access);
    }
};

QTEST_GUILESS_MAIN(TestUdevRule)
#include "test_udev_rule.moc"
