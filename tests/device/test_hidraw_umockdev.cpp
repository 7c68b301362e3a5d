// glib's headers name struct members "signals", which Qt defines as a macro: they come first.
#include <umockdev.h>

#include <linux/capability.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QtTest>

#include <hidapi.h>

#include <map>
#include <mutex>
#include <vector>

#include "settings/settings_file.h"
#include "device/hid_link.h"
#include "device/report.h"
#include "device/vendor_ids.h"
#include "frame_tool/frame_list.h"
#include "platform/blocking_wait.h"
#include "platform/desktop_input.h"
#include "platform/desktop_input_linux.h"
#include "support/modal_answerer.h"
#include "ui/form.h"

// The real hidapi (hidraw backend) on device nodes faked by umockdev: sysfs holds the HID devices with their
// report descriptors, and an ioctl handler answers the descriptor ioctls and takes the writes of each /dev/hidraw
// node. Run under umockdev-wrapper. Reads are not emulated. The desktop's view of the frame reads the same faked
// sysfs: the frame's event nodes with their udev properties, and the monitors' EDIDs under /sys/class/drm.

namespace {

QByteArray hex(const char *text) {
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// A digitizer collection and three vendor collections whose report ids are their usages; the 0xA3 output report
// carries 255 data bytes.
const QByteArray touchFrame =
    hex("050D0904A101 8501 0922A102 09420901 15002501 75019501 8102 95078103 C0 C0"
        "0600FF09A1A101 85A1 0901 7508 953E 8102 0902 953E 9102 C0"
        "0600FF09A2A101 85A2 0901 7508 953E 9102 C0"
        "0600FF09A3A101 85A3 0901 7508 96FF00 9102 C0");
const QByteArray shortFrame = hex("0600FF09A2A101 85A2 0901 7508 953E 9102 C0");
const QByteArray keyboard =
    hex("05010906A101 050719E029E7 15002501 75019508 8102 95017508 8101 95057501 05081901 2905 9102 95017503 9101"
        "95067508 15002565 05071900 2965 8100 C0");

struct Node {
    QByteArray sysfsDescriptor;  // what hidapi's enumeration reads
    QByteArray ioctlDescriptor;  // what HIDIOCGRDESC answers
    bool descriptorIoctlFails = false;
    QList<QByteArray> writes;
};

std::mutex nodesMutex;
std::map<std::string, Node> nodes;

gboolean handleIoctl(UMockdevIoctlBase *, UMockdevIoctlClient *client, gpointer) {
    std::lock_guard lock(nodesMutex);
    const Node &node = nodes.at(umockdev_ioctl_client_get_devnode(client));
    UMockdevIoctlData *argument = umockdev_ioctl_client_get_arg(client);
    const unsigned long request = umockdev_ioctl_client_get_request(client);
    // Every node answers the size ioctl: hidapi 0.13.1 writes into freed memory when it fails inside an open.
    if (request == HIDIOCGRDESCSIZE) {
        UMockdevIoctlData *size = umockdev_ioctl_data_resolve(argument, 0, sizeof(int), nullptr);
        const auto value = static_cast<int>(node.ioctlDescriptor.size());
        std::memcpy(size->data, &value, sizeof value);
        umockdev_ioctl_client_complete(client, 0, 0);
    } else if (request == HIDIOCGRDESC && !node.descriptorIoctlFails) {
        UMockdevIoctlData *data = umockdev_ioctl_data_resolve(argument, 0, sizeof(hidraw_report_descriptor), nullptr);
        auto *descriptor = reinterpret_cast<hidraw_report_descriptor *>(data->data);
        const std::uint32_t length =
            std::min<std::uint32_t>(descriptor->size, std::uint32_t(node.ioctlDescriptor.size()));
        std::memcpy(descriptor->value, node.ioctlDescriptor.constData(), length);
        umockdev_ioctl_client_complete(client, 0, 0);
    } else {
        umockdev_ioctl_client_complete(client, -1, EINVAL);
    }
    return TRUE;
}

gboolean handleWrite(UMockdevIoctlBase *, UMockdevIoctlClient *client, gpointer) {
    std::lock_guard lock(nodesMutex);
    UMockdevIoctlData *argument = umockdev_ioctl_client_get_arg(client);
    nodes.at(umockdev_ioctl_client_get_devnode(client))
        .writes.append(QByteArray(reinterpret_cast<const char *>(argument->data), argument->data_len));
    umockdev_ioctl_client_complete(client, argument->data_len, 0);
    return TRUE;
}

// Root opens any file whatever its mode; without these two capabilities it is refused like any other user. Only
// the effective set changes, so the capabilities come back when the test is done.
bool setFileAccessOverride(bool enabled) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    const unsigned bits = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
    data[0].effective = enabled ? data[0].effective | (data[0].permitted & bits) : data[0].effective & ~bits;
    return syscall(SYS_capset, &header, data) == 0;
}

// A monitor's EDID: vendor DEL, product code 0xA0B1, serial number 0x12345678, and the name and serial
// descriptors when given.
QByteArray edid(const QByteArray &name, const QByteArray &serial) {
    QByteArray bytes = hex("00FFFFFFFFFFFF00 10AC B1A0 78563412") + QByteArray(128 - 16, '\0');
    const auto descriptor = [&](int offset, char tag, const QByteArray &text) {
        bytes[offset + 3] = tag;
        bytes.replace(offset + 5, 13, (text + "\n" + QByteArray(13, ' ')).left(13));
    };
    if (!name.isEmpty())
        descriptor(54, char(0xFC), name);
    if (!serial.isEmpty())
        descriptor(72, char(0xFF), serial);
    return bytes;
}

}  // namespace

class TestHidrawUmockdev : public QObject {
    Q_OBJECT

private:
    QTemporaryDir settingsFolder;
    UMockdevTestbed *testbed = nullptr;
    std::vector<UMockdevIoctlBase *> handlers;
    QVector<int> waits;
    QString unplugDuringWait;  // a device file the next wait removes, as if the frame were unplugged then
    int nextNode = 0;

    // Adds a HID device with one hidraw node; without a device file the node exists in sysfs but cannot be opened.
    QString addNode(const char *hidId, const QByteArray &descriptor, bool withDeviceFile = true) {
        const int number = nextNode++;
        const QByteArray name = QByteArray(hidId) + ".000" + QByteArray::number(number + 1);
        const QByteArray node = "hidraw" + QByteArray::number(number);
        const QByteArray devnode = "/dev/" + node;
        const QByteArray vendorProduct = name.mid(5, 9);  // "28E1:0001" of "0003:28E1:0001.0001"
        const QByteArray hidIdProperty = "0003:0000" + vendorProduct.left(4) + ":0000" + vendorProduct.right(4);
        gchar *hid = umockdev_testbed_add_device(testbed, "hid", name.constData(), nullptr, nullptr, "HID_ID",
                                                 hidIdProperty.constData(), "HID_NAME", "Test device", "HID_PHYS",
                                                 "usb-test/input0", "HID_UNIQ", "", nullptr);
        umockdev_testbed_set_attribute_binary(testbed, hid, "report_descriptor",
                                              reinterpret_cast<guint8 *>(const_cast<char *>(descriptor.constData())),
                                              static_cast<gint>(descriptor.size()));
        const QByteArray majorMinor = "240:" + QByteArray::number(number);
        gchar *raw =
            umockdev_testbed_add_device(testbed, "hidraw", node.constData(), hid, "dev", majorMinor.constData(),
                                        nullptr, "DEVNAME", devnode.constData(), nullptr);
        umockdev_testbed_set_attribute_link(testbed, raw, "device", "..");
        if (withDeviceFile && !QFile(deviceFile(QString::fromUtf8(devnode))).open(QIODevice::WriteOnly))
            qFatal("cannot create the device file");
        {
            std::lock_guard lock(nodesMutex);
            nodes[devnode.toStdString()] = Node{descriptor, descriptor, false, {}};
        }
        UMockdevIoctlBase *handler = umockdev_ioctl_base_new();
        g_signal_connect(handler, "handle-ioctl", G_CALLBACK(handleIoctl), nullptr);
        g_signal_connect(handler, "handle-write", G_CALLBACK(handleWrite), nullptr);
        GError *error = nullptr;
        if (!umockdev_testbed_attach_ioctl(testbed, devnode.constData(), handler, &error))
            qFatal("cannot attach the ioctl handler: %s", error->message);
        handlers.push_back(handler);
        g_free(raw);
        g_free(hid);
        return QString::fromUtf8(devnode);
    }

    // Where the testbed keeps the file of @p devnode.
    QString deviceFile(const QString &devnode) const {
        gchar *root = umockdev_testbed_get_root_dir(testbed);
        QString file = QString::fromUtf8(root) + devnode;
        g_free(root);
        return file;
    }

    static QList<QByteArray> writesTo(const QString &devnode) {
        std::lock_guard lock(nodesMutex);
        return nodes.at(devnode.toStdString()).writes;
    }

    static Node &node(const QString &devnode) { return nodes.at(devnode.toStdString()); }

private slots:
    void initTestCase() {
        if (!qEnvironmentVariable("LD_PRELOAD").contains(QLatin1String("umockdev")))
            QSKIP("needs umockdev-wrapper");
        settings::setFolderOverride(settingsFolder.path());
        platform::setBlockingWaitHook([this](int milliseconds) {
            waits << milliseconds;
            if (!unplugDuringWait.isEmpty())
                QFile::remove(unplugDuringWait);
        });
    }

    void init() {
        testbed = umockdev_testbed_new();
        waits.clear();
        nextNode = 0;
        std::lock_guard lock(nodesMutex);
        nodes.clear();
    }

    void cleanup() {
        setFileAccessOverride(true);
        for (UMockdevIoctlBase *handler : handlers)
            g_object_unref(handler);
        handlers.clear();
        g_object_unref(testbed);
        testbed = nullptr;
    }

    void hidapiListsEveryCollectionOfTheNode() {
        const QString frame = addNode("0003:28E1:0001", touchFrame);
        QList<QPair<int, int>> usages;
        hid_device_info *list = hid_enumerate(0, 0);
        for (hid_device_info *entry = list; entry; entry = entry->next) {
            QCOMPARE(QString::fromUtf8(entry->path), frame);
            QCOMPARE(entry->vendor_id, 0x28E1);
            usages << qMakePair(int(entry->usage_page), int(entry->usage));
        }
        hid_free_enumeration(list);
        // The finger collection nested in the digitizer has a usage, so it is listed too.
        QCOMPARE(usages, (QList<QPair<int, int>>{
                             {0x000D, 0x0004}, {0x000D, 0x0022}, {0xFF00, 0xA1}, {0xFF00, 0xA2}, {0xFF00, 0xA3}}));
    }

    void frameIsFoundAndWritesArrivePadded() {
        addNode("0003:046D:C31C", keyboard);
        const QString frame = addNode("0003:28E1:0001", touchFrame);
        Form form;
        hid_device *handle = form.openTouchDevice();
        QVERIFY(handle);
        QCOMPARE(form.deviceUsage, 0xA3);
        QCOMPARE(waits, QVector<int>{1500});

        device::Report clear = device::commandReport(device::Command::Clear);
        device::setReportId(clear, form.deviceUsage);
        QCOMPARE(device::writeReport(handle, clear), 256);
        hid_close(handle);
        QCOMPARE(writesTo(frame), QList<QByteArray>{hex("A35588FF") + QByteArray(252, '\0')});
    }

    void clearButtonThroughTheRealLibrary() {
        const QString frame = addNode("0003:28E1:0001", touchFrame);
        Form form;
        ModalAnswerer answerer;
        answerer.answer(QMessageBox::Yes);
        form.onButtonClear();
        QCOMPARE(answerer.boxes().size(), 2);
        QCOMPARE(answerer.boxes()[1].text, QStringLiteral("清除完成!"));
        QCOMPARE(writesTo(frame), QList<QByteArray>{hex("A35588FF") + QByteArray(252, '\0')});
    }

    void failedOpenMovesOnToTheNextCandidate() {
        addNode("0003:28E1:0001", hex("0600FF09A3A101 85A3 0901 7508 953E 9102 C0"), false);
        const QString second = addNode("0003:13FF:0002", shortFrame);
        Form form;
        hid_device *handle = form.openTouchDevice();
        QVERIFY(handle);
        QCOMPARE(form.deviceUsage, 0xA2);
        QCOMPARE(waits, (QVector<int>{1500, 1500}));

        // 62 data bytes declared: the write goes out as it is.
        device::Report report = device::commandReport(device::Command::SingleTouch);
        device::setReportId(report, form.deviceUsage);
        QCOMPARE(device::writeReport(handle, report), 63);
        hid_close(handle);
        QCOMPARE(writesTo(second), QList<QByteArray>{hex("A25511FF") + QByteArray(59, '\0')});
    }

    void descriptorThatCannotBeUsedMeansNoPadding_data() {
        QTest::addColumn<QByteArray>("ioctlDescriptor");
        QTest::addColumn<bool>("ioctlFails");
        QTest::addColumn<int>("written");
        QTest::newRow("unparsable descriptor from the ioctl")
            << hex("0600FF A101 85A3 96FF00 7508 9102") << false << 63;
        QTest::newRow("descriptor ioctl failing falls back to sysfs") << touchFrame << true << 256;
    }
    void descriptorThatCannotBeUsedMeansNoPadding() {
        QFETCH(QByteArray, ioctlDescriptor);
        QFETCH(bool, ioctlFails);
        QFETCH(int, written);
        const QString frame = addNode("0003:28E1:0001", touchFrame);
        {
            std::lock_guard lock(nodesMutex);
            node(frame).ioctlDescriptor = ioctlDescriptor;
            node(frame).descriptorIoctlFails = ioctlFails;
        }
        Form form;
        hid_device *handle = form.openTouchDevice();
        QVERIFY(handle);
        device::Report report = device::commandReport(device::Command::Clear);
        device::setReportId(report, form.deviceUsage);
        QCOMPARE(device::writeReport(handle, report), written);
        hid_close(handle);
        QCOMPARE(writesTo(frame).value(0).size(), written);
    }

    // A node whose mode lets nobody in: list says why and how to fix it, and the main window's warning gets its
    // second line, since a frame was found.
    void nodeTheUserMayNotOpen() {
        const QString frame = addNode("0003:28E1:0001", touchFrame);
        QVERIFY(QFile::setPermissions(deviceFile(frame), QFileDevice::Permissions()));
        QVERIFY(setFileAccessOverride(false));

        const frame_tool::FrameList list = frame_tool::judgeInterfaces(
            device::enumerateInterfaces(), device::builtInVendorIds(),
            [](const device::HidInterface &node) { return frame_tool::probeNode(node.path, node.vendorId); });
        QCOMPARE(list.status, frame_tool::ExitStatus::FrameNotUsable);
        const frame_tool::ListedInterface &vendor = list.interfaces.at(2);  // after the digitizer's two collections
        QCOMPARE(vendor.verdict, frame_tool::Verdict::CannotBeOpened);
        QCOMPARE(vendor.why, QStringLiteral("Permission denied"));
        QVERIFY2(vendor.access.details.value(0).endsWith(QStringLiteral("mode c--------- (0000)")),
                 qPrintable(vendor.access.details.join(u'\n')));
        QVERIFY(!vendor.access.fix.isEmpty());

        Form form;
        ModalAnswerer answerer;
        answerer.answer(QMessageBox::Yes);
        form.onButtonClear();
        QCOMPARE(answerer.boxes().value(1).informativeText,
                 QStringLiteral(
                     "<small>原因:找到了触摸框,但当前用户无权打开它。运行 orvessa-frame list 查看详情。</small>"));
        QVERIFY(writesTo(frame).isEmpty());
    }

    // The frame's event nodes, found by the USB ids of their input device, with the udev properties that decide
    // how libinput treats them.
    void udevView_data() {
        QTest::addColumn<QString>("vendorProduct");  // of the input device
        QTest::addColumn<QString>("calibration");    // LIBINPUT_CALIBRATION_MATRIX
        QTest::addColumn<bool>("correction");        // the matrix is a correction on top of the frame's calibration
        const QString frame = QStringLiteral("28e1:0001");
        QTest::newRow("a touchscreen with a calibration of udev's") << frame << "1.02 0 -0.01 0 0.98 0.01" << true;
        QTest::newRow("the identity is no correction") << frame << "1 0 0 0 1 0" << false;
        QTest::newRow("five numbers are none libinput takes") << frame << "1 0 0 0 1" << false;
        QTest::newRow("another product of the same vendor is not the frame") << "28e1:0002"
                                                                             << "2 0 0 0 1 0" << false;
    }
    void udevView() {
        QFETCH(QString, vendorProduct);
        QFETCH(QString, calibration);
        QFETCH(bool, correction);
        const QByteArray vendor = vendorProduct.left(4).toLatin1(), product = vendorProduct.right(4).toLatin1();
        gchar *input = umockdev_testbed_add_device(testbed, "input", "input7", nullptr, "name", "Touch frame",
                                                   "id/vendor", vendor.constData(), "id/product", product.constData(),
                                                   nullptr, "PRODUCT", "3/28e1/1/110", nullptr);
        const QByteArray matrix = calibration.toLatin1();
        gchar *event = umockdev_testbed_add_device(testbed, "input", "event5", input, "dev", "13:69", nullptr,
                                                   "DEVNAME", "input/event5", "ID_INPUT_TOUCHSCREEN", "1",
                                                   "LIBINPUT_CALIBRATION_MATRIX", matrix.constData(), nullptr);
        umockdev_testbed_set_attribute_link(testbed, event, "device", "..");  // as the kernel links a class device
        g_free(event);
        g_free(input);

        const platform::DesktopView view = platform::readDesktopView({0x28E1, 0x0001});
        const bool theFrame = vendorProduct == QLatin1String("28e1:0001");
        QCOMPARE(view.devices.size(), theFrame ? 1 : 0);
        if (!theFrame)
            return;
        const QString property = QStringLiteral("LIBINPUT_CALIBRATION_MATRIX=") + calibration;
        QCOMPARE(view.devices[0].name, QStringLiteral("/dev/input/event5 \"Touch frame\""));
        QCOMPARE(view.devices[0].facts, (QStringList{QStringLiteral("ID_INPUT_TOUCHSCREEN=1"), property}));
        QCOMPARE(view.devices[0].correction, correction ? property : QString());
        QCOMPARE(platform::judgeDesktop(view).corrections.size(), correction ? 1 : 0);
    }

    // GNOME keeps a monitor's EDID identity; the connector showing it names the output.
    void gnomeMonitorByEdid_data() {
        QTest::addColumn<QByteArray>("edid");
        QTest::addColumn<QString>("identity");  // as GNOME's setting holds it
        QTest::addColumn<QString>("mappedTo");  // empty: unknown
        QTest::newRow("name and serial descriptors")
            << edid("DELL U2415", "7MT0183") << "['DEL', 'DELL U2415', '7MT0183']"
            << "HDMI-A-1";
        QTest::newRow("without descriptors: the codes in hexadecimal")
            << edid("", "") << "['DEL', '0xa0b1', '0x12345678']"
            << "HDMI-A-1";
        QTest::newRow("another monitor's serial") << edid("DELL U2415", "7MT0184") << "['DEL', 'DELL U2415', '7MT0183']"
                                                  << "";
    }
    void gnomeMonitorByEdid() {
        QFETCH(QByteArray, edid);
        QFETCH(QString, identity);
        QFETCH(QString, mappedTo);
        gchar *connector = umockdev_testbed_add_device(testbed, "drm", "card0-HDMI-A-1", nullptr, nullptr, nullptr);
        umockdev_testbed_set_attribute_binary(testbed, connector, "edid", reinterpret_cast<guint8 *>(edid.data()),
                                              static_cast<gint>(edid.size()));
        g_free(connector);
        QFile keyfile(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/glib-2.0/settings/keyfile"));
        QVERIFY(QDir().mkpath(QFileInfo(keyfile).path()) && keyfile.open(QIODevice::WriteOnly));
        keyfile.write("[org/gnome/desktop/peripherals/touchscreens/28e1:0001]\noutput=" + identity.toUtf8() + '\n');
        keyfile.close();
        qputenv("XDG_CURRENT_DESKTOP", "GNOME");
        qputenv("WAYLAND_DISPLAY", "wayland-test");
        qputenv("GSETTINGS_BACKEND", "keyfile");
        const platform::DesktopView view = platform::readDesktopView({0x28E1, 0x0001});
        qunsetenv("XDG_CURRENT_DESKTOP");
        qunsetenv("WAYLAND_DISPLAY");
        qputenv("GSETTINGS_BACKEND", "memory");

        QCOMPARE(view.session, platform::Session::GnomeWayland);
        QCOMPARE(view.devices.size(), 1);
        QCOMPARE(view.devices[0].mapping.screen, mappedTo);
        QCOMPARE(view.devices[0].mapping.kind,
                 mappedTo.isEmpty() ? platform::TouchMapping::Kind::Unknown : platform::TouchMapping::Kind::Screen);
        // map's gsettings command asks for the identity of the connector, under Xorg's name for it too.
        const auto monitor = platform::monitorIdentity(QStringLiteral("HDMI-1"));
        QVERIFY(monitor);
        QCOMPARE(QStringLiteral("['%1']").arg(monitor->join(QStringLiteral("', '"))) == identity, !mappedTo.isEmpty());
    }

    // reset-os-correction's list of the lines that set a lasting correction.
    void linesSettingACorrection() {
        QTemporaryDir rules;
        QFile rule(rules.filePath(QStringLiteral("99-frame.rules")));
        QVERIFY(rule.open(QIODevice::WriteOnly));
        rule.write(
            "# ENV{LIBINPUT_CALIBRATION_MATRIX} as a comment sets nothing\n"
            "ATTRS{idVendor}==\"28e1\", ENV{LIBINPUT_CALIBRATION_MATRIX}=\"1.1 0 0 0 1 0\"\n");
        rule.close();
        QCOMPARE(platform::desktop_linux::linesMentioning({rules.path(), rules.filePath("missing")},
                                                          QStringLiteral("LIBINPUT_CALIBRATION_MATRIX")),
                 QStringList{rule.fileName() +
                             ":2: ATTRS{idVendor}==\"28e1\", ENV{LIBINPUT_CALIBRATION_MATRIX}=\"1.1 0 0 0 1 0\""});
    }

    // Unplugged during the wait before the open: the real library's error names the cause, for the main window and
    // for orvessa-frame alike.
    void frameUnpluggedBeforeTheOpen() {
        const QString frame = addNode("0003:28E1:0001", touchFrame);
        unplugDuringWait = deviceFile(frame);
        Form form;
        ModalAnswerer answerer;
        answerer.answer(QMessageBox::Yes);
        form.onButtonClear();
        unplugDuringWait.clear();
        QCOMPARE(answerer.boxes().value(1).informativeText,
                 QStringLiteral(
                     "<small>原因:找到了触摸框,但打开前它已断开(No such file or directory)。请检查连接。</small>"));
        const frame_tool::NodeAccess access = frame_tool::probeNode(frame.toStdString(), 0x28E1);
        QVERIFY(access.gone);
        QCOMPARE(access.reason, QStringLiteral("No such file or directory"));
    }
};

QTEST_MAIN(TestHidrawUmockdev)
#include "test_hidraw_umockdev.moc"
