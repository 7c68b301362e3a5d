#include <QtTest>

#include <hidapi.h>

#include "device/frame_search.h"
#include "settings/settings_file.h"
#include "platform/blocking_wait.h"
#include "ui/form.h"
#include "virtual_frame.h"

// Form::openTouchDevice against the virtual frame: which interface is opened, what deviceUsage becomes, how often
// the search waits, and that the enumeration list is freed on every way out.
class TestDeviceDiscoveryForm : public QObject {
    Q_OBJECT

private:
    QTemporaryDir settingsFolder;
    QVector<int> waits;

    void addInterfaces(const QString &text) {
        for (const auto &interface : virtual_frame::parseInterfaces(text.toStdString()))
            virtual_frame::addInterface(interface);
    }

    static int count(virtual_frame::Event::Kind kind) { return int(virtual_frame::events(kind).size()); }

private slots:
    void initTestCase() {
        settings::setFolderOverride(settingsFolder.path());
        platform::setBlockingWaitHook([this](int milliseconds) { waits << milliseconds; });
    }
    void init() {
        virtual_frame::reset();
        waits.clear();
        QFile::remove(settingsFolder.filePath(QStringLiteral("setting_calibration.ini")));
    }
    void cleanup() {
        QCOMPARE(virtual_frame::openHandles(), 0);
        QCOMPARE(virtual_frame::unfreedLists(), 0);
        QVERIFY(virtual_frame::faults().empty());
    }

    void search_data() {
        QTest::addColumn<QString>("interfaces");
        QTest::addColumn<QStringList>("failingOpens");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<int>("usage");
        QTest::addColumn<int>("attempts");
        const int untouched = 0x77;  // deviceUsage before the search
        QTest::newRow("0x0000 interface wins over 0x00A3 listed first")
            << "28E1:FF00:A3,28E1:FF00:0" << QStringList{} << "virtual-frame:1" << 0 << 1;
        QTest::newRow("0x00A3 wins over 0x00A1 listed first")
            << "28E1:FF00:A1,28E1:FF00:A3" << QStringList{} << "virtual-frame:1" << 0xA3 << 1;
        QTest::newRow("failed 0x00A3 open moves on to 0x00A2 after a second wait")
            << "28E1:FF00:A3,28E1:FF00:A2" << QStringList{"virtual-frame:0"} << "virtual-frame:1" << 0xA2 << 2;
        QTest::newRow("every open failing leaves the usage of the last attempt")
            << "28E1:FF00:A3,595A:FF00:A1" << QStringList{"virtual-frame:0", "virtual-frame:1"} << "" << 0xA1 << 2;
        QTest::newRow("a second frame with the same usage is never tried")
            << "13FF:FF00:A2,1314:FF00:A2" << QStringList{"virtual-frame:0"} << "" << 0xA2 << 1;
        QTest::newRow("vendor not listed") << "1FF7:FF00:A2" << QStringList{} << "" << untouched << 0;
        QTest::newRow("usage page 0xFF01") << "28E1:FF01:A3" << QStringList{} << "" << untouched << 0;
        QTest::newRow("usage 0x00A0") << "28E1:FF00:A0" << QStringList{} << "" << untouched << 0;
        QTest::newRow("no HID device at all") << "" << QStringList{} << "" << untouched << 0;
        QTest::newRow("nested collections of one node, listed one entry each")
            << "28E1:000D:0004:/dev/node,28E1:FF00:A1:/dev/node,28E1:FF00:A2:/dev/node,28E1:FF00:A3:/dev/node"
            << QStringList{} << "/dev/node" << 0xA3 << 1;
    }
    void search() {
        QFETCH(QString, interfaces);
        QFETCH(QStringList, failingOpens);
        QFETCH(QString, opened);
        QFETCH(int, usage);
        QFETCH(int, attempts);
        addInterfaces(interfaces);
        for (const QString &path : failingOpens)
            virtual_frame::failOpen(path.toStdString());
        Form form;
        form.deviceUsage = 0x77;

        hid_device *handle = form.openTouchDevice();
        QCOMPARE(handle != nullptr, !opened.isEmpty());
        QCOMPARE(form.deviceUsage, usage);
        QCOMPARE(waits, QVector<int>(attempts, 1500));
        QCOMPARE(count(virtual_frame::Event::Kind::Open), attempts);
        QCOMPARE(count(virtual_frame::Event::Kind::Enumerate), 1);
        QCOMPARE(virtual_frame::events(virtual_frame::Event::Kind::Enumerate).front().vendorId, 0);
        QCOMPARE(count(virtual_frame::Event::Kind::FreeEnumeration), 1);
        // The list is freed last, after every open attempt.
        QCOMPARE(int(virtual_frame::record().back().kind), int(virtual_frame::Event::Kind::FreeEnumeration));
        if (handle) {
            QCOMPARE(QString::fromStdString(virtual_frame::events(virtual_frame::Event::Kind::Open).back().path),
                     opened);
            hid_close(handle);
        }
    }

    // The desktop knows the frame by its USB ids: the search hands over those of the interface it opened last.
    void searchNamesTheOpenedFrame() {
        addInterfaces(QStringLiteral("28E1:FF00:A3,13FF:FF00:A2"));
        virtual_frame::failOpen("virtual-frame:0");
        const device::FrameSearch search = device::openTouchFrame({0x28E1, 0x13FF});
        QVERIFY(search.handle);
        QCOMPARE(search.vendorId, 0x13FF);
        QCOMPARE(search.productId, 0x0001);
        hid_close(search.handle);
    }

    void extraVendorFromTheSettingsFile() {
        addInterfaces(QStringLiteral("1FF7:FF00:A2"));
        {
            Form form;
            QVERIFY(!form.openTouchDevice());
        }
        QFile file(settingsFolder.filePath(QStringLiteral("setting_calibration.ini")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[config]\nvid=1FF7\n");
        file.close();
        Form form;
        hid_device *handle = form.openTouchDevice();
        QVERIFY(handle);
        QCOMPARE(form.deviceUsage, 0xA2);
        hid_close(handle);
    }

    void deviceUsageFollowsEverySearch() {
        addInterfaces(QStringLiteral("28E1:FF00:A3"));
        Form form;
        hid_close(form.openTouchDevice());
        QCOMPARE(form.deviceUsage, 0xA3);
        virtual_frame::reset();
        addInterfaces(QStringLiteral("28E1:FF00:0"));
        hid_close(form.openTouchDevice());
        QCOMPARE(form.deviceUsage, 0);
        virtual_frame::reset();  // frame unplugged: nothing found, the last usage stays
        QVERIFY(!form.openTouchDevice());
        QCOMPARE(form.deviceUsage, 0);
    }
};

QTEST_MAIN(TestDeviceDiscoveryForm)
#include "test_device_discovery_form.moc"
