#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <memory>
#include <optional>

#include "support/desktop.h"
#include "support/frame_record.h"
#include "support/program_under_test.h"
#include "support/x_property_recorder.h"
#include "support/x_server.h"

// orvessa-frame as installers run it: list, clear and mode on the virtual frame (the search's 1.5 s waits skipped
// and recorded); verify, the desktop's view, map and reset-os-correction on an Xvfb of their own (xdotool touches,
// xinput and xrandr set the scene, RECORD sees the requests); the Wayland desktops through their settings files.

namespace {

struct ToolRun {
    int status = -1;
    QString out;
    QString err;
};

using Variables = QMap<QString, QString>;

ToolRun runTool(ProgramUnderTest &tool, const QStringList &arguments) {
    QProcess *process = tool.launch(arguments);
    if (!process->waitForFinished(30000))
        return {};
    return {process->exitCode(), QString::fromUtf8(process->readAllStandardOutput()),
            QString::fromUtf8(process->readAllStandardError())};
}

// A 63-byte report as the frame receives it, from its leading bytes.
QString report(const char *leadingHex) {
    QByteArray bytes = QByteArray::fromHex(leadingHex);
    return hexBytes(bytes + QByteArray(63 - bytes.size(), '\0'));
}

const QString interfacesVariable = QStringLiteral("ORVESSA_VIRTUAL_FRAME_INTERFACES");
const QString product = QStringLiteral("  \"Virtual touch frame\"");

using Commands = QList<QStringList>;
using Files = QMap<QString, QByteArray>;
using Numbers = QList<double>;

// The virtual frame's ids, as the X server's driver would publish them on the frame's device.
const QStringList frameIdsProperty{"--type=int", "--format=32", "Device Product ID", "10465", "1"};
const QString xvfbMouse = QStringLiteral("Xvfb mouse");
const QString transformation = QStringLiteral("Coordinate Transformation Matrix");
const Commands twoMonitors{{"LEFT", "960/254x1080/286+0+0", "screen"}, {"RIGHT", "960/254x1080/286+960+0", "none"}};

// An X client tool (xinput, xrandr) on @p display; its standard output, nullopt when it failed.
std::optional<QByteArray> onDisplay(const QString &display, const QString &program, const QStringList &arguments) {
    return runClient(QStringLiteral("DISPLAY"), display, program, arguments);
}

// Xvfb's pointer as the frame's device: the monitors laid out and its properties set as the row says.
bool prepareDesktop(const QString &display, const Commands &monitors, const Commands &properties) {
    for (const QStringList &monitor : monitors)
        if (!onDisplay(display, QStringLiteral("xrandr"), QStringList{"--setmonitor"} + monitor))
            return false;
    for (const QStringList &property : properties)
        if (!onDisplay(display, QStringLiteral("xinput"), QStringList{"set-prop", xvfbMouse} + property))
            return false;
    return true;
}

// A property of Xvfb's pointer as the server holds it, read with xinput.
Numbers heldProperty(const QString &display, const QString &name) {
    const QString properties =
        QString::fromUtf8(onDisplay(display, QStringLiteral("xinput"), {"list-props", xvfbMouse}).value_or(""));
    Numbers numbers;
    for (const QString &line : properties.split(u'\n'))
        if (line.trimmed().startsWith(name + QStringLiteral(" (")))
            for (const QString &item : line.section(u':', 1).split(u','))
                numbers << item.trimmed().toDouble();
    return numbers;
}

bool xToolsInstalled() {
    return XServer::toolsInstalled() && !QStandardPaths::findExecutable(QStringLiteral("xinput")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("xrandr")).isEmpty();
}

// The output of a run, standard output first, for lines checked in either.
QString allOutput(const ToolRun &run) {
    return QLatin1Char('\n') + run.out + QLatin1Char('\n') + run.err;
}

// A stand-in for sway's swaymsg: answers get_inputs, get_outputs and get_config from files beside it.
const QByteArray swaymsg =
    "#!/bin/sh\n"
    "case \"$2\" in\n"
    "  get_inputs|get_outputs|get_config) cat \"$(dirname \"$0\")/$2.json\" ;;\n"
    "  *) exit 1 ;;\n"
    "esac\n";
const QByteArray swayInputs =
    R"([{"identifier": "10465:1:Virtual_touch_frame", "name": "Virtual touch frame", "vendor": 10465, "product": 1,
        "type": "touch", "libinput": {"send_events": "enabled", "calibration_matrix": [1.02, 0, -0.01, 0, 0.98, 0.01]}},
       {"identifier": "1:1:AT_keyboard", "name": "AT keyboard", "vendor": 1, "product": 1, "type": "keyboard"}])";
const QByteArray swayOutputs =
    R"([{"name": "Orvessa-A", "active": true, "rect": {"x": 0, "y": 0, "width": 1920, "height": 1080}},
                                    {"name": "Orvessa-B", "active": true, "rect": {"x": 1920, "y": 0, "width": 1920, "height": 1080}}])";
// Screens of the same names for the tool's own screen list (map), without a compositor.
const QByteArray offscreenScreens =
    R"({"screens": [{"name": "Orvessa-A", "x": 0, "y": 0, "width": 1920, "height": 1080},
                                                    {"name": "Orvessa-B", "x": 1920, "y": 0, "width": 1920, "height": 1080}]})";

Files swayFiles(const QByteArray &config, const QByteArray &inputs = swayInputs) {
    return {{"bin/swaymsg", swaymsg},
            {"bin/get_inputs.json", inputs},
            {"bin/get_outputs.json", swayOutputs},
            {"bin/get_config.json", QJsonDocument(QJsonObject{{"config", QString::fromUtf8(config)}}).toJson()}};
}

}  // namespace

class TestE2eFrameTool : public QObject {
    Q_OBJECT

private:
    XServer xserver;

    static void configure(ProgramUnderTest &tool, const Variables &variables) {
        for (auto variable = variables.cbegin(); variable != variables.cend(); ++variable)
            tool.setFrameVariable(variable.key(), variable.value());
    }

private slots:
    void list_data() {
        QTest::addColumn<Variables>("frame");
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("status");
        QTest::newRow("the used interface, a digitizer collection and a lower usage of the same node")
            << Variables{{interfacesVariable,
                          "28E1:000D:0004:/dev/hidraw0,28E1:FF00:00A1:/dev/hidraw0,28E1:FF00:00A3:/dev/hidraw0"}}
            << QByteArray()
            << QStringList{"/dev/hidraw0  28E1:0001  000D:0004  not the vendor interface: usage page 0x000D is not "
                           "the vendor page 0xFF00" + product,
                           "/dev/hidraw0  28E1:0001  FF00:00A1  passed over: the search opens /dev/hidraw0 (usage "
                           "0x00A3) before it" + product,
                           "/dev/hidraw0  28E1:0001  FF00:00A3  would be used" + product,
                           "result: the main program would use /dev/hidraw0 (usage 0x00A3)"}
            << 0;
        QTest::newRow("a failed 0x00A3 node: the 0x00A2 frame is used, a second 0x00A3 never tried")
            << Variables{{interfacesVariable, "28E1:FF00:A3,13FF:FF00:A2,1314:FF00:A3"},
                         {"ORVESSA_VIRTUAL_FRAME_FAIL_OPEN", "virtual-frame:0"}}
            << QByteArray()
            << QStringList{"virtual-frame:0  28E1:0001  FF00:00A3  cannot be opened: ",
                           "virtual-frame:1  13FF:0001  FF00:00A2  would be used" + product,
                           "virtual-frame:2  1314:0001  FF00:00A3  passed over: the search tries only the first "
                           "interface with usage 0x00A3, virtual-frame:0" +
                               product}
            << 0;
        QTest::newRow("usage 0x00A0 and a node that cannot be opened: found, not usable")
            << Variables{{interfacesVariable, "28E1:FF00:A0,13FF:FF00:0"},
                         {"ORVESSA_VIRTUAL_FRAME_FAIL_OPEN", "virtual-frame:1"}}
            << QByteArray()
            << QStringList{"virtual-frame:0  28E1:0001  FF00:00A0  not the vendor interface: usage 0x00A0 is not one "
                           "of 0x0000, 0x00A3, 0x00A2, 0x00A1" + product,
                           "virtual-frame:1  13FF:0001  FF00:0000  cannot be opened: ",
                           "result: a frame is attached, but the main program can use none of its interfaces"}
            << 2;
        QTest::newRow("an unknown vendor with a frame's interface gets a hint")
            << Variables{{interfacesVariable, "1FF7:FF00:A2"}} << QByteArray("[config]\nvid=0AB1\n")
            << QStringList{"  vid= adds: 0AB1",
                           "hint: virtual-frame:0  1FF7:0001  FF00:00A2  looks like a touch frame, but vendor id 1FF7 "
                           "is not known: add vid=0AB1+1FF7 to [config] in ",
                           "result: no touch frame found"}
            << 1;
        QTest::newRow("vid= makes a vendor known; what the program ignores is named")
            << Variables{{interfacesVariable, "1FF7:FF00:A2"}}
            << QByteArray("vid=28E1\n[Config]\nsystray=1\n[config]\nVid=1\nvid=1FF7+zz+12345+28e1\n")
            << QStringList{"  vid= adds: 1FF7, 12345",
                           "  vendor ids: 28E1 13FF 1314 1870 595A 1FF7 12345",
                           "  warning: vid in [General] is ignored: the program reads only the group [config]",
                           "  warning: systray in [Config] is ignored: the program reads only the group [config]",
                           QStringLiteral("  warning: Vid in [config] is not a key the program knows and is ignored ") +
                               "(keys: language, systray, caliModeSelect, vid; names are case-sensitive)",
                           "  warning: vid part \"zz\" is not a hexadecimal id and is ignored",
                           "  warning: vid part \"12345\" is outside 0000 to FFFF: no USB vendor id can match it",
                           "virtual-frame:0  1FF7:0001  FF00:00A2  would be used" + product}
            << 0;
        QTest::newRow("vid= with commas takes none of its ids")
            << Variables{{interfacesVariable, "1FF7:FF00:A2"}} << QByteArray("[config]\nvid=1FF7,0AB1\n")
            << QStringList{"  vid= adds: nothing",
                           "  warning: vid=1FF7,0AB1 has commas: the program takes none of its ids; separate ids "
                           "with +"}
            << 1;
        QTest::newRow("no HID device at all")
            << Variables{{interfacesVariable, ""}} << QByteArray() << QStringList{"result: no touch frame found"} << 1;
        QTest::newRow("a frame unplugged between the search and the open: no frame")
            << Variables{{interfacesVariable, "28E1:FF00:A3"},
                         {"ORVESSA_VIRTUAL_FRAME_FAIL_OPEN", "virtual-frame:0=ENOENT"}}
            << QByteArray()
            << QStringList{"virtual-frame:0  28E1:0001  FF00:00A3  went away: No such file or directory" + product,
                           "result: no touch frame found: the frame listed went away before it could be opened"}
            << 1;
        QTest::newRow("a busy frame is attached, not usable")
            << Variables{{interfacesVariable, "28E1:FF00:A3"},
                         {"ORVESSA_VIRTUAL_FRAME_FAIL_OPEN", "virtual-frame:0=EBUSY"}}
            << QByteArray()
            << QStringList{"virtual-frame:0  28E1:0001  FF00:00A3  cannot be opened: Device or resource busy" + product}
            << 2;
        QTest::newRow("vid=-1 is shown as written")
            << Variables{{interfacesVariable, ""}} << QByteArray("[config]\nvid=-1+1ff7\n")
            << QStringList{"  vid= adds: -1, 1FF7", "  vendor ids: 28E1 13FF 1314 1870 595A -1 1FF7"} << 1;
        QTest::newRow("control characters of keys and paths are escaped, not sent to the terminal")
            << Variables{{interfacesVariable,
                          "28E1:FF00:A3:/dev/hid\x1b[2Jraw\xc2\x9b"
                          "0m"}}
            << QByteArray("[config]\n\x1b[2Jkey\x07=1\n")
            << QStringList{"  warning: \\u001b[2Jkey\\u0007 in [config] is not a key",
                           "/dev/hid\\u001b[2Jraw\\u009b0m  28E1:0001  FF00:00A3  would be used" + product}
            << 0;
    }
    void list() {
        QFETCH(Variables, frame);
        QFETCH(QByteArray, settings);
        QFETCH(QStringList, lines);
        QFETCH(int, status);
        ProgramUnderTest tool(QString(), settings, Executable::FrameTool);
        configure(tool, frame);
        const ToolRun run = runTool(tool, {QStringLiteral("list")});
        for (const QString &line : lines)
            QVERIFY2(run.out.contains(QLatin1Char('\n') + line), qPrintable(line + "\nnot in:\n" + run.out));
        QVERIFY(std::none_of(run.out.cbegin(), run.out.cend(), [](QChar c) { return c < u' ' && c != u'\n'; }));
        QCOMPARE(run.status, status);
        QVERIFY(tool.record().ofKind(QStringLiteral("write")).isEmpty());
        QVERIFY(tool.record().everyOpenClosed());
        QVERIFY(tool.waits().isEmpty());  // a look, not a search: no waits
    }

    void listForTools() {
        ProgramUnderTest tool(QString(), QByteArray(), Executable::FrameTool);
        configure(tool, {{interfacesVariable, "28E1:FF00:A3,13FF:FF00:A2"},
                         {"ORVESSA_VIRTUAL_FRAME_FAIL_OPEN", "virtual-frame:0"}});
        const ToolRun run = runTool(tool, {QStringLiteral("list"), QStringLiteral("--json")});
        const QJsonObject root = QJsonDocument::fromJson(run.out.toUtf8()).object();
        const QJsonArray interfaces = root.value(QStringLiteral("interfaces")).toArray();
        QCOMPARE(interfaces.size(), 2);
        QCOMPARE(interfaces[0][QStringLiteral("verdict")].toString(), QStringLiteral("cannot be opened"));
        QCOMPARE(interfaces[1][QStringLiteral("verdict")].toString(), QStringLiteral("would be used"));
        QCOMPARE(interfaces[1][QStringLiteral("usage")].toString(), QStringLiteral("00A2"));
        QCOMPARE(root[QStringLiteral("settings")][QStringLiteral("vendorIds")].toArray().size(), 5);
        QCOMPARE(root[QStringLiteral("status")].toInt(), 0);
        QCOMPARE(run.status, 0);
    }

    // A string the INI reader decodes to a lone UTF-16 surrogate reaches the JSON as U+FFFD, never as "\ud800".
    void listForToolsCarriesWholeCharactersOnly() {
        ProgramUnderTest tool(QString(), QByteArray("[config]\nvid=\\xd800\n"), Executable::FrameTool);
        configure(tool, {{interfacesVariable, ""}});
        const QByteArray json = runTool(tool, {QStringLiteral("list"), QStringLiteral("--json")}).out.toUtf8();
        QVERIFY2(!json.contains("\\ud8") && !json.contains("\\ud9"), json.constData());
        QCOMPARE(QJsonDocument::fromJson(json)[QStringLiteral("settings")][QStringLiteral("warnings")][0].toString(),
                 QStringLiteral("vid part \"\uFFFD\" is not a hexadecimal id and is ignored"));
    }

    // What stands in the settings file's place: "fifo" (beside the tool or given with --settings), "folder", or
    // "huge" (2 GiB, sparse): never read, so list neither hangs nor fills the memory, and says why.
    void settingsThatAreNotReadGiveTheDefaults_data() {
        QTest::addColumn<QString>("occupant");
        QTest::addColumn<bool>("given");
        QTest::addColumn<QString>("why");
        QTest::newRow("a FIFO beside the tool") << "fifo" << false << "a FIFO, not a regular file";
        QTest::newRow("a FIFO given with --settings") << "fifo" << true << "a FIFO, not a regular file";
        QTest::newRow("a folder") << "folder" << false << "a folder, not a regular file";
        QTest::newRow("2 GiB") << "huge" << false << "2147483648 bytes, more than the 1 MiB a settings file may have";
    }
    void settingsThatAreNotReadGiveTheDefaults() {
        QFETCH(QString, occupant);
        QFETCH(bool, given);
        QFETCH(QString, why);
        ProgramUnderTest tool(QString(), QByteArray("[config]\nvid=1FF7\n"), Executable::FrameTool);
        configure(tool, {{interfacesVariable, "1FF7:FF00:A2"}});
        const QString path = tool.settingsPath();
        if (occupant == QLatin1String("huge")) {
            QVERIFY(QFile::resize(path, qint64(2) << 30));
        } else {
            QVERIFY(QFile::remove(path));
            if (occupant == QLatin1String("folder"))
                QVERIFY(QDir().mkpath(path));
            else if (QProcess::execute(QStringLiteral("mkfifo"), {path}) != 0)
                QSKIP("no mkfifo here");
        }
        const ToolRun run = runTool(tool, given ? QStringList{"list", "--settings", path} : QStringList{"list"});
        // Without --settings, the file beside the executable's real path.
        const QString shown =
            given ? path
                  : QFileInfo(QFileInfo(path).path()).canonicalFilePath() + QStringLiteral("/setting_calibration.ini");
        QVERIFY2(run.out.startsWith(
                     QStringLiteral("settings: %1 (not read: %2; the built-in defaults apply)\n").arg(shown, why)),
                 qPrintable(run.out + run.err));
        QVERIFY(run.out.contains(QStringLiteral("\n  vid= adds: nothing\n")));
        QCOMPARE(run.status, 1);  // 1FF7 is not known without the file
    }

    // The bytes are those the main window's buttons send (tests/widgets/test_clear_and_touch_mode.cpp).
    void commands_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Variables>("frame");
        QTest::addColumn<QStringList>("written");
        QTest::addColumn<int>("waits");
        QTest::addColumn<int>("status");
        const QString frameA3 = QStringLiteral("28E1:FF00:A3");
        QTest::newRow("clear: A3 55 88 FF on the 0xA3 interface")
            << QStringList{"clear"} << Variables{{interfacesVariable, frameA3}} << QStringList{report("A35588FF")} << 1
            << 0;
        QTest::newRow("mode single: 06 55 11 FF on a usage-0 interface")
            << QStringList{"mode", "single"} << Variables{{interfacesVariable, "595A:FF00:0"}}
            << QStringList{report("065511FF")} << 1 << 0;
        QTest::newRow("mode multi: A3 55 22 FF")
            << QStringList{"mode", "multi"} << Variables{{interfacesVariable, frameA3}}
            << QStringList{report("A35522FF")} << 1 << 0;
        QTest::newRow("failed write: status 3")
            << QStringList{"clear"}
            << Variables{{interfacesVariable, frameA3}, {"ORVESSA_VIRTUAL_FRAME_FAIL_WRITE", "88"}}
            << QStringList{report("A35588FF")} << 1 << 3;
        QTest::newRow("no HID device: status 1, no wait")
            << QStringList{"clear"} << Variables{{interfacesVariable, ""}} << QStringList{} << 0 << 1;
        QTest::newRow("open refused: status 2")
            << QStringList{"mode", "single"}
            << Variables{{interfacesVariable, frameA3}, {"ORVESSA_VIRTUAL_FRAME_FAIL_OPEN", "virtual-frame:0"}}
            << QStringList{} << 1 << 2;
        QTest::newRow("unplugged between the search and the open (ENODEV): no frame, status 1")
            << QStringList{"clear"}
            << Variables{{interfacesVariable, frameA3}, {"ORVESSA_VIRTUAL_FRAME_FAIL_OPEN", "virtual-frame:0=ENODEV"}}
            << QStringList{} << 1 << 1;
        QTest::newRow("busy: status 2") << QStringList{"clear"}
                                        << Variables{{interfacesVariable, frameA3},
                                                     {"ORVESSA_VIRTUAL_FRAME_FAIL_OPEN", "virtual-frame:0=EBUSY"}}
                                        << QStringList{} << 1 << 2;
        QTest::newRow("a frame without the vendor interface: status 2")
            << QStringList{"clear"} << Variables{{interfacesVariable, "28E1:000D:0004"}} << QStringList{} << 0 << 2;
        QTest::newRow("--device picks the second of two frames")
            << QStringList{"clear", "--device", "virtual-frame:1"}
            << Variables{{interfacesVariable, "28E1:FF00:0,13FF:FF00:A2"}} << QStringList{report("A25588FF")} << 1 << 0;
        QTest::newRow("--device naming no frame: status 1")
            << QStringList{"clear", "--device", "/dev/hidraw9"} << Variables{{interfacesVariable, frameA3}}
            << QStringList{} << 0 << 1;
    }
    void commands() {
        QFETCH(QStringList, arguments);
        QFETCH(Variables, frame);
        QFETCH(QStringList, written);
        QFETCH(int, waits);
        QFETCH(int, status);
        ProgramUnderTest tool(QString(), QByteArray(), Executable::FrameTool);
        configure(tool, frame);
        const ToolRun run = runTool(tool, arguments);
        QCOMPARE(run.status, status);
        QCOMPARE(run.out.isEmpty(), status != 0);
        QCOMPARE(run.err.isEmpty(), status == 0);

        const FrameRecord record = tool.record();
        QStringList bytes;
        for (const RecordLine &line : record.ofKind(QStringLiteral("write")))
            bytes << hexBytes(line.bytes);
        QCOMPARE(bytes, written);
        QVERIFY2(record.everyOpenClosed(), qPrintable(record.text()));
        QCOMPARE(tool.waits(), QList<int>(waits, 1500));
    }

    void usage_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("status");
        QTest::newRow("no command") << QStringList{} << "no command given" << 64;
        QTest::newRow("unknown command") << QStringList{"calibrate"} << "unknown command \"calibrate\"" << 64;
        QTest::newRow("mode without its value") << QStringList{"mode"} << "mode takes single or multi" << 64;
        QTest::newRow("an option of another command")
            << QStringList{"clear", "--json"} << "--json is not an option of clear" << 64;
        QTest::newRow("7 targets") << QStringList{"verify", "--targets", "7"} << "--targets takes 5 or 9" << 64;
        QTest::newRow("a limit of 0 mm") << QStringList{"verify", "--limit-mm", "0"} << "--limit-mm takes" << 64;
        QTest::newRow("a settings file that is not there")
            << QStringList{"list", "--settings", "/nonexistent/setting_calibration.ini"} << "no settings file at" << 64;
        QTest::newRow("an extra word") << QStringList{"list", "all"} << "unexpected argument \"all\"" << 64;
        QTest::newRow("verify without a display")
            << QStringList{"verify"} << "verify needs a graphical session: DISPLAY is not set (Qt platform xcb)" << 4;
        QTest::newRow("map without its screen") << QStringList{"map"} << "map takes --screen N" << 64;
        QTest::newRow("map without a display")
            << QStringList{"map", "--screen", "0"} << "map needs a graphical session: DISPLAY is not set" << 2;
        QTest::newRow("--help") << QStringList{"--help"} << "Usage: orvessa-frame COMMAND [OPTIONS]" << 0;
        QTest::newRow("--version") << QStringList{"--version"} << "orvessa-frame 3." << 0;
    }
    void usage() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QFETCH(int, status);
        ProgramUnderTest tool(QString(), QByteArray(), Executable::FrameTool);
        const ToolRun run = runTool(tool, arguments);
        QVERIFY2((status == 0 ? run.out : run.err).contains(message), qPrintable(run.out + run.err));
        QCOMPARE(run.status, status);
        QVERIFY(tool.record().ofKind(QStringLiteral("enumerate")).isEmpty());
    }

    void verify_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QList<QPoint>>("targets");  // on the 1920 x 1080 screen, at 10 %, 50 % and 90 %
        QTest::addColumn<QList<QPoint>>("offsets");
        QTest::addColumn<int>("status");
        const QList<QPoint> five{{192, 108}, {1728, 108}, {960, 540}, {192, 972}, {1728, 972}};
        QList<QPoint> nine;
        for (const int y : {108, 540, 972})
            for (const int x : {192, 960, 1728})
                nine << QPoint(x, y);
        QTest::newRow("5 targets within 3 mm")
            << QStringList{} << five << QList<QPoint>{{3, 4}, {-3, 0}, {0, 8}, {2, -2}, {-4, -3}} << 0;
        QTest::newRow("5 targets, one 16 px off: past 3 mm")
            << QStringList{} << five << QList<QPoint>{{0, 0}, {1, 1}, {16, 0}, {-2, 0}, {0, 3}} << 4;
        QTest::newRow("9 targets, a limit of 1 mm: 5 px fails")
            << QStringList{"--targets", "9", "--limit-mm", "1"} << nine
            << QList<QPoint>{{1, 0}, {0, 1}, {-1, 0}, {0, -1}, {5, 0}, {1, 1}, {-1, -1}, {2, 0}, {0, 2}} << 4;
    }
    void verify() {
        QFETCH(QStringList, options);
        QFETCH(QList<QPoint>, targets);
        QFETCH(QList<QPoint>, offsets);
        QFETCH(int, status);
        if (!XServer::toolsInstalled())
            QSKIP("needs Xvfb and xdotool (scripts/install-deps.sh installs them)");
        if (xserver.display().isEmpty())
            QVERIFY(xserver.start({1920, 1080}));
        Desktop desktop(xserver.display());
        ProgramUnderTest tool(xserver.display(), QByteArray(), Executable::FrameTool);
        QProcess *process = tool.launch(QStringList{QStringLiteral("verify")} + options);
        desktop.followProcess(process->processId());
        const WindowId window = desktop.waitForWindow(QStringLiteral("^orvessa-frame verify$"));
        QVERIFY2(window, qPrintable(tool.diagnosis()));
        QCOMPARE(desktop.geometry(window), QRect(0, 0, 1920, 1080));

        for (int i = 0; i < targets.size(); ++i)
            QVERIFY(desktop.click(targets[i] + offsets[i]));
        QString out;
        QVERIFY2(pollUntil([&] { return (out += process->readAllStandardOutput()).contains("result: "); }, 10000),
                 qPrintable(out));
        QVERIFY(desktop.click({960, 300}));  // the result shown, a touch closes the window
        QVERIFY(process->waitForFinished(10000));
        QCOMPARE(process->exitCode(), status);

        // "verify: ..., 0.2646 x 0.2648 mm per pixel; ..." then one row per target.
        const QRegularExpressionMatch scale =
            QRegularExpression(QStringLiteral("([0-9.]+) x ([0-9.]+) mm per pixel")).match(out);
        QVERIFY2(scale.hasMatch(), qPrintable(out));
        const QRegularExpression row(QStringLiteral(R"(^(\d+) +(\d+), (\d+) +(\d+), (\d+) +([-+]?\d+) +([-+]?\d+) +)"
                                                    R"(([0-9.]+) +([0-9.]+)$)"),
                                     QRegularExpression::MultilineOption);
        int rows = 0;
        for (const QRegularExpressionMatch &match : row.globalMatch(out)) {
            const int i = match.captured(1).toInt() - 1;
            QCOMPARE(QPoint(match.captured(2).toInt(), match.captured(3).toInt()), targets.value(i));
            QCOMPARE(QPoint(match.captured(6).toInt(), match.captured(7).toInt()), offsets.value(i));
            const double pixels = std::hypot(offsets[i].x(), offsets[i].y());
            QVERIFY(std::abs(match.captured(8).toDouble() - pixels) <= 1);
            const double millimetres = std::hypot(offsets[i].x() * scale.captured(1).toDouble(),
                                                  offsets[i].y() * scale.captured(2).toDouble());
            QVERIFY(std::abs(match.captured(9).toDouble() - millimetres) <= 0.01);
            ++rows;
        }
        QCOMPARE(rows, targets.size());
        QVERIFY(tool.record().ofKind(QStringLiteral("open")).isEmpty());  // verify never touches the frame
    }

    // On X11, Xvfb's pointer is the frame's device, by name or by the ids a test gives it: the desktop's view, and
    // map and reset-os-correction checked on the request the X server got and on what the device holds afterwards.
    void x11Session_data() {
        QTest::addColumn<Commands>("monitors");
        QTest::addColumn<Commands>("properties");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("status");
        QTest::addColumn<Numbers>("requested");  // empty: nothing may be asked
        QTest::addColumn<QString>("property");
        const auto row = [](const char *name, const Commands &monitors, const Commands &properties,
                            const QStringList &arguments, const QStringList &lines, int status = 0,
                            const Numbers &requested = {}, const QString &property = transformation) {
            QTest::newRow(name) << monitors << properties << arguments << lines << status << requested << property;
        };
        const QString calibration = QStringLiteral("libinput Calibration Matrix");
        const QStringList correction{"--type=float", calibration, "1.02", "0", "-0.01", "0",
                                     "0.98",         "0.01",      "0",    "0", "1"};
        const QStringList rightHalf{transformation, "0.5", "0", "0.5", "0", "1", "0", "0", "0", "1"};
        const QStringList byName{"list", "--input-device", xvfbMouse};
        row("list by name, one screen: mapped to it", {}, {}, byName,
            {"desktop of 28E1:0001 (virtual-frame:0): X11 (DISPLAY=:", "  screens: screen 1920x1080+0+0",
             "  verdict: mapped to screen", "  verdict: no OS correction found"});
        row("list by name, the identity over two monitors: stretched", twoMonitors, {}, byName,
            {"  screens: LEFT 960x1080+0+0, RIGHT 960x1080+960+0",
             "  verdict: mapped to the whole desktop: touches on a screen of 2 land stretched",
             "    fix: orvessa-frame map --screen N   # N: the frame's screen, 0 to 1"});
        row("list by its ids, on the right monitor", twoMonitors, {frameIdsProperty, rightHalf}, {"list"},
            {"Device Product ID 10465, 1; Coordinate Transformation Matrix 0.5 0 0.5 0 1 0 0 0 1",
             "  verdict: mapped to RIGHT"});
        row("list: a libinput calibration on top of the frame's", {}, {frameIdsProperty, correction}, {"list"},
            {"  verdict: mapped to screen", "  verdict: an OS correction is active on top of the frame's",
             "    from X11: device ", "    fix: orvessa-frame reset-os-correction"},
            0, {}, calibration);
        row("list: no device shows the frame's ids", {}, {}, {"list"},
            {"  not read: X11: no input device shows the ids 28E1:0001 in its Device Product ID",
             "  verdict: mapping unknown: no X11 input device of the frame was found",
             "    fix: orvessa-frame list --input-device NAME"});
        row("map: screen 1 of two, the frame by its ids", twoMonitors, {frameIdsProperty}, {"map", "--screen", "1"},
            {"Coordinate Transformation Matrix 0.5 0 0.5 0 1 0 0 0 1, covering screen 1 \"RIGHT\" 960x1080+960+0, "
             "for this session",
             R"(    MatchUSBID "28e1:0001")", R"(    Option "TransformationMatrix" "0.5 0 0.5 0 1 0 0 0 1")"},
            0, {0.5, 0, 0.5, 0, 1, 0, 0, 0, 1});
        row("map: the device by name", twoMonitors, {}, {"map", "--screen", "0", "--input-device", xvfbMouse},
            {"covering screen 0 \"LEFT\" 960x1080+0+0", "    MatchUSBID \"28e1:0001\""}, 0,
            {0.5, 0, 0, 0, 1, 0, 0, 0, 1});
        row("map: covering the screen already, nothing is asked", twoMonitors, {frameIdsProperty, rightHalf},
            {"map", "--screen", "1"}, {"covers screen 1 \"RIGHT\" 960x1080+960+0 already"});
        row("map: no device of the frame, status 2", twoMonitors, {}, {"map", "--screen", "1"},
            {"X11: no input device shows the ids 28E1:0001"}, 2);
        row("map: no screen 2, usage error", twoMonitors, {frameIdsProperty}, {"map", "--screen", "2"},
            {"there is no screen 2 (screens 0 to 1)"}, 64);
        row("reset: the session's libinput matrix back to the identity", twoMonitors, {frameIdsProperty, correction},
            {"reset-os-correction"}, {"libinput Calibration Matrix reset to the identity for this session"}, 0,
            {1, 0, 0, 0, 1, 0, 0, 0, 1}, calibration);
        row("reset: the identity already, nothing is asked", twoMonitors,
            {frameIdsProperty, {"--type=float", calibration, "1", "0", "0", "0", "1", "0", "0", "0", "1"}},
            {"reset-os-correction"}, {"libinput Calibration Matrix is the identity already"}, 0, {}, calibration);
        row("reset: a device of another driver has nothing to reset", twoMonitors, {frameIdsProperty},
            {"reset-os-correction"},
            {"X11: no device of the frame has a \"libinput Calibration Matrix\": nothing to reset"}, 0, {},
            calibration);
    }
    void x11Session() {
        QFETCH(Commands, monitors);
        QFETCH(Commands, properties);
        QFETCH(QStringList, arguments);
        QFETCH(QString, property);
        QFETCH(Numbers, requested);
        QFETCH(QStringList, lines);
        QFETCH(int, status);
        if (!xToolsInstalled())
            QSKIP("needs Xvfb, xdotool, xinput and xrandr (scripts/install-deps.sh installs them)");
        XServer server;
        QVERIFY(server.start({1920, 1080}));
        QVERIFY(prepareDesktop(server.display(), monitors, properties));
        const Numbers before = heldProperty(server.display(), property);
        XPropertyRecorder recorder(server.display());
        QVERIFY(recorder.isRecording());
        ProgramUnderTest tool(server.display(), QByteArray(), Executable::FrameTool);
        configure(tool, {{interfacesVariable, "28E1:FF00:A3"}});
        const ToolRun run = runTool(tool, arguments);
        for (const QString &line : lines)
            QVERIFY2(allOutput(run).contains(line), qPrintable(line + "\nnot in:" + allOutput(run)));
        QCOMPARE(run.status, status);

        const QList<XPropertyRecorder::Change> changes = recorder.changes();
        QCOMPARE(changes.size(), requested.isEmpty() ? 0 : 1);
        const Numbers held = heldProperty(server.display(), property);
        if (requested.isEmpty()) {
            QCOMPARE(held, before);
            return;
        }
        QCOMPARE(changes[0].property, property);
        QCOMPARE(changes[0].type, QStringLiteral("FLOAT"));
        QCOMPARE(changes[0].items.size(), 9);
        for (int i = 0; i < 9; ++i) {
            QVERIFY(std::abs(changes[0].items[i] - requested[i]) < 1e-6);
            QVERIFY2(std::abs(held.value(i, -9) - requested[i]) < 1e-6, qPrintable(property));
        }
    }

    void x11ViewForTools() {
        if (!xToolsInstalled())
            QSKIP("needs Xvfb, xdotool, xinput and xrandr (scripts/install-deps.sh installs them)");
        XServer server;
        QVERIFY(server.start({1920, 1080}));
        QVERIFY(prepareDesktop(server.display(), twoMonitors, {frameIdsProperty}));
        ProgramUnderTest tool(server.display(), QByteArray(), Executable::FrameTool);
        configure(tool, {{interfacesVariable, "28E1:FF00:A3"}});
        const ToolRun run = runTool(tool, {QStringLiteral("list"), QStringLiteral("--json")});
        const QJsonObject frame =
            QJsonDocument::fromJson(run.out.toUtf8()).object()[QStringLiteral("desktop")].toArray()[0].toObject();
        QCOMPARE(frame[QStringLiteral("vendorId")].toString(), QStringLiteral("28E1"));
        QCOMPARE(frame[QStringLiteral("screens")].toArray().size(), 2);
        const QJsonObject device = frame[QStringLiteral("devices")].toArray()[0].toObject();
        QCOMPARE(device[QStringLiteral("system")].toString(), QStringLiteral("X11"));
        QCOMPARE(device[QStringLiteral("mapping")][QStringLiteral("kind")].toString(), QStringLiteral("wholeDesktop"));
        QCOMPARE(frame[QStringLiteral("verdicts")][0][QStringLiteral("verdict")].toString(),
                 QStringLiteral("mapped to the whole desktop: touches on a screen of 2 land stretched"));
        QCOMPARE(run.status, 0);
    }

    // Desktops that place touches themselves, read through their own settings; map and reset-os-correction print
    // their steps and change nothing.
    void otherDesktops_data() {
        QTest::addColumn<Variables>("session");
        QTest::addColumn<Files>("files");  // "bin/": beside the stand-in tools, "config/": XDG_CONFIG_HOME
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("lines");
        const auto row = [](const char *name, const Variables &session, const Files &files,
                            const QStringList &arguments, const QStringList &lines) {
            QTest::newRow(name) << session << files << arguments << lines;
        };
        const Variables sway{{"WAYLAND_DISPLAY", "wayland-test"}, {"SWAYSOCK", "/nonexistent/sway.sock"}};
        const Variables gnome{
            {"WAYLAND_DISPLAY", "wayland-test"}, {"XDG_CURRENT_DESKTOP", "GNOME"}, {"GSETTINGS_BACKEND", "keyfile"}};
        const Variables plasma{{"WAYLAND_DISPLAY", "wayland-test"}, {"XDG_CURRENT_DESKTOP", "KDE"}};
        const QByteArray mapped = "input 10465:1:Virtual_touch_frame map_to_output Orvessa-B\n";
        const char *const swayDeviceLine =
            R"(  sway "Virtual touch frame": identifier 10465:1:Virtual_touch_frame, type touch; calibration_matrix )"
            "1.02 0 -0.01 0 0.98 0.01; map_to_output Orvessa-B (configuration)";
        row("sway: map_to_output of the frame, a calibration_matrix of its own", sway, swayFiles(mapped), {"list"},
            {"desktop of 28E1:0001 (virtual-frame:0): sway (Wayland)",
             "  screens: Orvessa-A 1920x1080+0+0, Orvessa-B 1920x1080+1920+0", swayDeviceLine,
             "  verdict: mapped to Orvessa-B", "  verdict: an OS correction is active on top of the frame's"});
        row("sway: every touch device in an input block, no correction", sway,
            swayFiles("input type:touch {\n    map_to_output Orvessa-A\n}\n",
                      QByteArray(swayInputs).replace("1.02, 0, -0.01, 0, 0.98, 0.01", "1, 0, 0, 0, 1, 0")),
            {"list"}, {"  verdict: mapped to Orvessa-A", "  verdict: no OS correction found"});
        row("sway: no map_to_output, two outputs: stretched", sway, swayFiles(""), {"list"},
            {"  verdict: mapped to the whole desktop: touches on a screen of 2 land stretched"});
        row("sway: map prints the lines for now and for good", sway, swayFiles(mapped), {"map", "--screen", "0"},
            {"sway places the touches itself: nothing is changed here",
             "\nswaymsg input \"10465:1:Virtual_touch_frame\" map_to_output Orvessa-A\n",
             "\ninput \"10465:1:Virtual_touch_frame\" map_to_output Orvessa-A\n"});
        row("sway: reset-os-correction names where the correction comes from", sway, swayFiles(mapped),
            {"reset-os-correction"},
            {"the session is sway (Wayland), whose correction is not changed from here; nothing is changed",
             "\n  sway \"Virtual touch frame\": calibration_matrix 1.02 0 -0.01 0 0.98 0.01\n"});
        const Files keyfile{{"config/glib-2.0/settings/keyfile",
                             "[org/gnome/desktop/peripherals/touchscreens/28e1:0001]\n"
                             "output=['DEL', 'DELL U2415', '7MT0183']\n"}};
        row("GNOME: a monitor no connector shows", gnome, keyfile, {"list"},
            {"  GNOME touchscreen 28e1:0001: output ['DEL', 'DELL U2415', '7MT0183']",
             "  verdict: mapping unknown: set to the monitor DEL / DELL U2415 / 7MT0183, which no connector in "
             "/sys/class/drm shows; GNOME then picks one itself"});
        row("GNOME: no output set", gnome, {}, {"list"},
            {"  verdict: mapping unknown: no output set: GNOME picks one itself (the built-in screen, or one of the "
             "frame's size)"});
        row("GNOME: map prints the gsettings command", gnome, {}, {"map", "--screen", "1"},
            {"\ngsettings set org.gnome.desktop.peripherals.touchscreen:/org/gnome/desktop/peripherals/touchscreens/"
             "28e1:0001/ output \"['VENDOR', 'PRODUCT', 'SERIAL']\"\n",
             "/sys/class/drm has none for Orvessa-B"});
        const Files kcminputrc{{"config/kcminputrc",
                                "[Libinput][10465][1][Virtual touch frame]\nOutputName=Orvessa-B\n"
                                "CalibrationMatrix=1,0,0.01,0,0,1,0,0,0,0,1,0,0,0,0,1\n"}};
        row("Plasma: OutputName and a CalibrationMatrix", plasma, kcminputrc, {"list"},
            {"  Plasma \"Virtual touch frame\": OutputName=Orvessa-B; CalibrationMatrix=1,0,0.01,",
             "  verdict: mapped to Orvessa-B", "  verdict: an OS correction is active on top of the frame's"});
        row("Plasma: map prints the kcminputrc group", plasma, kcminputrc, {"map", "--screen", "0"},
            {"\n[Libinput][10465][1][Virtual touch frame]\nOutputName=Orvessa-A\n"});
        row("no graphical session", {}, {}, {"list"},
            {"desktop of 28E1:0001 (virtual-frame:0): no graphical session",
             "  not read: no graphical session: neither DISPLAY nor WAYLAND_DISPLAY is set",
             "  verdict: mapping unknown: nothing read in this session (no graphical session) says where its touches "
             "go"});
    }
    void otherDesktops() {
        QFETCH(Variables, session);
        QFETCH(Files, files);
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, lines);
        ProgramUnderTest tool(QString(), QByteArray(), Executable::FrameTool);
        configure(tool, {{interfacesVariable, "28E1:FF00:A3"}});
        QTemporaryDir folder;
        files.insert(QStringLiteral("screens.json"), offscreenScreens);
        for (auto file = files.cbegin(); file != files.cend(); ++file) {
            const QString path = file.key().startsWith(QLatin1String("config/"))
                                     ? tool.configFolder() + file.key().mid(6)
                                     : folder.filePath(file.key());
            QDir().mkpath(QFileInfo(path).path());
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file.value()) == file.value().size());
            out.close();
            QVERIFY(out.setPermissions(out.permissions() | QFileDevice::ExeOwner));
        }
        tool.setVariable(QStringLiteral("PATH"),
                         folder.filePath(QStringLiteral("bin:")) + qEnvironmentVariable("PATH"));
        tool.setVariable(QStringLiteral("QT_QPA_PLATFORM"), "offscreen:configfile=" + folder.filePath("screens.json"));
        for (auto variable = session.cbegin(); variable != session.cend(); ++variable)
            tool.setVariable(variable.key(), variable.value());

        const ToolRun run = runTool(tool, arguments);
        for (const QString &line : lines)
            QVERIFY2(allOutput(run).contains(line), qPrintable(line + "\nnot in:" + allOutput(run)));
        QCOMPARE(run.status, 0);
    }
};

QTEST_GUILESS_MAIN(TestE2eFrameTool)
#include "test_e2e_frame_tool.moc"
