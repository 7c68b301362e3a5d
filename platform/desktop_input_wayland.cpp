// The desktops that place touches themselves: GNOME (its GSettings key, through gsettings), sway (through swaymsg)
// and Plasma (its kcminputrc). Each is read only; the frame tool prints the commands that change them.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cmath>

#include "platform/desktop_input_linux.h"
#include "platform/user_file.h"

namespace platform::desktop_linux {
namespace {

struct ToolOutput {
    std::optional<QByteArray> output;  ///< standard output; nullopt when the tool did not run to a success
    QString error;
};

ToolOutput runTool(const QString &program, const QStringList &arguments) {
    QProcess process;
    process.start(program, arguments, QIODevice::ReadOnly);
    if (!process.waitForStarted(3000))
        return {std::nullopt, QStringLiteral("%1 is not installed").arg(program)};
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(1000);
        return {std::nullopt, QStringLiteral("%1 did not answer within 3 s").arg(program)};
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {std::nullopt, QString::fromUtf8(process.readAllStandardError()).trimmed()};
    return {process.readAllStandardOutput(), {}};
}

ToolOutput runSwaymsg(const QString &type) {
    return runTool(QStringLiteral("swaymsg"), {QStringLiteral("-t"), type, QStringLiteral("--raw")});
}

QString lowerIds(const FrameIds &frame) {
    return QStringLiteral("%1:%2")
        .arg(frame.vendorId, 4, 16, QLatin1Char('0'))
        .arg(frame.productId, 4, 16, QLatin1Char('0'));
}

// The strings of a GVariant string array as gsettings prints it: ['a', "b's"].
QStringList gvariantStrings(const QString &text) {
    static const QRegularExpression quoted(QStringLiteral(R"re('((?:[^'\\]|\\.)*)'|"((?:[^"\\]|\\.)*)")re"));
    static const QRegularExpression escape(QStringLiteral(R"(\\(.))"));
    QStringList strings;
    for (const QRegularExpressionMatch &match : quoted.globalMatch(text)) {
        QString value = match.captured(1).isNull() ? match.captured(2) : match.captured(1);
        strings << value.replace(escape, QStringLiteral("\\1"));
    }
    return strings;
}

QString swayFact(const QJsonObject &input) {
    return QStringLiteral("identifier %1, type %2")
        .arg(input.value(QStringLiteral("identifier")).toString(), input.value(QStringLiteral("type")).toString());
}

void readSwayOutputs(const QJsonArray &outputs, DesktopView &view) {
    QRect all;
    for (const QJsonValue value : outputs) {
        const QJsonObject output = value.toObject();
        if (!output.value(QStringLiteral("active")).toBool())
            continue;
        const QJsonObject rect = output.value(QStringLiteral("rect")).toObject();
        const QRect geometry(rect.value(QStringLiteral("x")).toInt(), rect.value(QStringLiteral("y")).toInt(),
                             rect.value(QStringLiteral("width")).toInt(), rect.value(QStringLiteral("height")).toInt());
        view.screens << DesktopScreen{output.value(QStringLiteral("name")).toString(), geometry};
        all |= geometry;
    }
    view.desktop = all.size();
}

// Where sway puts an input without map_to_output: the output the kernel device names (WL_OUTPUT, as libinput reports
// it), else the whole layout.
TouchMapping swayDefault(const DesktopView &view) {
    TouchMapping mapping;
    for (const DesktopDevice &device : view.devices)
        for (const QString &fact : device.facts)
            if (device.system == QLatin1String("udev") && fact.startsWith(QLatin1String("WL_OUTPUT="))) {
                mapping.kind = TouchMapping::Kind::Screen;
                mapping.screen = fact.section(u'=', 1);
                return mapping;
            }
    if (view.screens.size() == 1) {
        mapping.kind = TouchMapping::Kind::Screen;
        mapping.screen = view.screens.first().name;
    } else if (view.screens.size() > 1) {
        mapping.kind = TouchMapping::Kind::WholeDesktop;
        mapping.screenCount = int(view.screens.size());
    } else {
        mapping.how = QStringLiteral("sway spreads it over all outputs, and swaymsg named none");
    }
    return mapping;
}

DesktopDevice swayDevice(const QJsonObject &input, const QString &config, bool decides, const DesktopView &view) {
    DesktopDevice device;
    device.system = QStringLiteral("sway");
    device.name = QStringLiteral("\"%1\"").arg(input.value(QStringLiteral("name")).toString());
    device.decides = decides;
    device.identifier = input.value(QStringLiteral("identifier")).toString();
    device.facts << swayFact(input);
    const QJsonArray calibration =
        input.value(QStringLiteral("libinput")).toObject().value(QStringLiteral("calibration_matrix")).toArray();
    if (calibration.size() == 6) {
        Matrix3 matrix = identityMatrix;
        for (int i = 0; i < 6; ++i)
            matrix[std::size_t(i)] = calibration[i].toDouble();
        const QString text = QStringLiteral("calibration_matrix ") + matrixText(matrix).section(u' ', 0, 5);
        device.facts << text;
        if (!isIdentity(matrix))
            device.correction = text;
    }
    const QString mapped = swayMappedOutput(config, input.value(QStringLiteral("identifier")).toString(),
                                            input.value(QStringLiteral("type")).toString());
    if (!mapped.isEmpty() && mapped != QLatin1String("*")) {
        device.facts << QStringLiteral("map_to_output %1 (configuration)").arg(mapped);
        device.mapping.kind = TouchMapping::Kind::Screen;
        device.mapping.screen = mapped;
    } else {
        device.mapping = swayDefault(view);
    }
    return device;
}

// Matrix entries of a KConfig list "1,0,0,0,0,1,…"; empty when it is not one.
QVector<double> numberList(const QByteArray &text) {
    QVector<double> numbers;
    for (const QByteArray &part : text.split(',')) {
        bool ok = false;
        numbers << part.trimmed().toDouble(&ok);
        if (!ok)
            return {};
    }
    return numbers;
}

// The [Libinput][vendor][product][name] groups of kcminputrc for the frame, with their keys.
struct PlasmaGroup {
    QString deviceName;
    QByteArray outputName;
    QByteArray calibration;
};

QVector<PlasmaGroup> plasmaGroups(const QByteArray &bytes, const FrameIds &frame) {
    QVector<PlasmaGroup> groups;
    const QByteArray prefix =
        "[Libinput][" + QByteArray::number(frame.vendorId) + "][" + QByteArray::number(frame.productId) + "][";
    bool inside = false;
    for (const QByteArray &raw : bytes.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[')) {
            inside = line.startsWith(prefix) && line.endsWith(']');
            if (inside)
                groups << PlasmaGroup{
                    QString::fromUtf8(line.mid(prefix.size(), line.size() - prefix.size() - 1)), {}, {}};
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!inside || equals <= 0)
            continue;
        const QByteArray key = line.left(equals).trimmed();
        if (key == "OutputName")
            groups.last().outputName = line.mid(equals + 1).trimmed();
        else if (key == "CalibrationMatrix")
            groups.last().calibration = line.mid(equals + 1).trimmed();
    }
    return groups;
}

DesktopDevice plasmaDevice(const PlasmaGroup &group, bool decides) {
    DesktopDevice device;
    device.system = QStringLiteral("Plasma");
    device.name = QStringLiteral("\"%1\"").arg(group.deviceName);
    device.decides = decides;
    if (!group.outputName.isEmpty()) {
        device.facts << QStringLiteral("OutputName=") + QString::fromUtf8(group.outputName);
        device.mapping.kind = TouchMapping::Kind::Screen;
        device.mapping.screen = QString::fromUtf8(group.outputName);
    } else {
        device.mapping.how = QStringLiteral(
            "no OutputName: KWin picks a screen itself (the built-in one, one of the frame's size, "
            "or the first)");
    }
    if (!group.calibration.isEmpty()) {
        device.facts << QStringLiteral("CalibrationMatrix=") + QString::fromUtf8(group.calibration);
        const QVector<double> numbers = numberList(group.calibration);
        const QVector<double> identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        bool same = numbers.size() == identity.size();
        for (qsizetype i = 0; same && i < numbers.size(); ++i)
            same = std::abs(numbers[i] - identity[i]) < 1e-4;
        if (!same && numbers.size() == identity.size())
            device.correction = QStringLiteral("CalibrationMatrix=") + QString::fromUtf8(group.calibration);
    }
    return device;
}

QString idsUpper(const FrameIds &frame) {
    return lowerIds(frame).toUpper();
}

}  // namespace

void readGnome(const FrameIds &frame, bool decides, DesktopView &view) {
    const QString schema =
        QStringLiteral("org.gnome.desktop.peripherals.touchscreen:/org/gnome/desktop/peripherals/touchscreens/%1/")
            .arg(lowerIds(frame));
    const ToolOutput run =
        runTool(QStringLiteral("gsettings"), {QStringLiteral("get"), schema, QStringLiteral("output")});
    if (!run.output) {
        view.unreadable << QStringLiteral("GNOME: gsettings get %1 output: %2").arg(schema, run.error);
        return;
    }
    const QString text = QString::fromUtf8(*run.output).trimmed();
    const QStringList monitor = gvariantStrings(text);
    DesktopDevice device;
    device.system = QStringLiteral("GNOME");
    device.name = QStringLiteral("touchscreen %1").arg(lowerIds(frame));
    device.decides = decides;
    device.facts << QStringLiteral("output %1").arg(text);
    if (monitor.join(QString()).isEmpty()) {
        device.mapping.how =
            QStringLiteral("no output set: GNOME picks one itself (the built-in screen, or one of the frame's size)");
    } else {
        // GNOME keeps the monitor's identity from its EDID, not the connector: find the connector that has it.
        const QString connector = connectorWithIdentity(monitor);
        if (!connector.isEmpty()) {
            device.mapping.kind = TouchMapping::Kind::Screen;
            device.mapping.screen = connector;
        } else {
            device.mapping.how = QStringLiteral(
                                     "set to the monitor %1, which no connector in /sys/class/drm shows; "
                                     "GNOME then picks one itself")
                                     .arg(monitor.mid(0, 3).join(QStringLiteral(" / ")));
        }
    }
    view.devices << device;
}

void readSway(const FrameIds &frame, bool decides, DesktopView &view) {
    const ToolOutput inputs = runSwaymsg(QStringLiteral("get_inputs"));
    if (!inputs.output) {
        view.unreadable << QStringLiteral("sway: swaymsg -t get_inputs: ") + inputs.error;
        return;
    }
    if (const ToolOutput outputs = runSwaymsg(QStringLiteral("get_outputs")); outputs.output && decides)
        readSwayOutputs(QJsonDocument::fromJson(*outputs.output).array(), view);
    const ToolOutput config = runSwaymsg(QStringLiteral("get_config"));
    if (!config.output)
        view.unreadable
            << QStringLiteral("sway: swaymsg -t get_config: %1 (map_to_output lines unknown)").arg(config.error);
    const QString configText =
        config.output ? QJsonDocument::fromJson(*config.output).object().value(QStringLiteral("config")).toString()
                      : QString();
    bool found = false;
    for (const QJsonValue value : QJsonDocument::fromJson(*inputs.output).array()) {
        const QJsonObject input = value.toObject();
        if (input.value(QStringLiteral("vendor")).toInt() != frame.vendorId ||
            input.value(QStringLiteral("product")).toInt() != frame.productId ||
            input.value(QStringLiteral("type")).toString() == QLatin1String("keyboard"))
            continue;
        view.devices << swayDevice(input, configText, decides, view);
        found = true;
    }
    if (!found)
        view.unreadable << QStringLiteral("sway: no input has the ids %1").arg(idsUpper(frame));
}

void readPlasma(const FrameIds &frame, bool decides, DesktopView &view) {
    const QString path =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/kcminputrc");
    const UserFileContent file = readUserFile(path);
    if (file.status == UserFileContent::Status::Unreadable) {
        view.unreadable << QStringLiteral("Plasma: %1 cannot be read").arg(path);
        return;
    }
    const QVector<PlasmaGroup> groups = plasmaGroups(file.bytes, frame);
    for (const PlasmaGroup &group : groups)
        view.devices << plasmaDevice(group, decides);
    if (groups.isEmpty()) {
        DesktopDevice device =
            plasmaDevice({QStringLiteral("%1 (no group in %2)").arg(idsUpper(frame), path), {}, {}}, decides);
        view.devices << device;
    }
}

QString swayMappedOutput(const QString &config, const QString &identifier, const QString &type) {
    static const QRegularExpression blockStart(QStringLiteral(R"(^input\s+("[^"]*"|\S+)\s*\{\s*$)"));
    static const QRegularExpression oneLine(QStringLiteral(R"(^input\s+("[^"]*"|\S+)\s+map_to_output\s+(\S+))"));
    static const QRegularExpression inBlock(QStringLiteral(R"(^map_to_output\s+(\S+))"));
    const auto applies = [&](QString id) {
        id.remove(u'"');
        return id == identifier || id == QLatin1String("*") || id == QStringLiteral("type:") + type;
    };
    QString mapped;
    QString block;  // the input block the line is in, quotes and all; empty outside one
    for (const QString &raw : config.split(u'\n')) {
        const QString line = raw.trimmed();
        if (line == QLatin1String("}")) {
            block.clear();
        } else if (const auto start = blockStart.match(line); start.hasMatch()) {
            block = start.captured(1);
        } else if (const auto single = oneLine.match(line); single.hasMatch() && applies(single.captured(1))) {
            mapped = single.captured(2);
        } else if (const auto inner = inBlock.match(line); inner.hasMatch() && !block.isEmpty() && applies(block)) {
            mapped = inner.captured(1);
        }
    }
    return mapped;
}

}  // namespace platform::desktop_linux
