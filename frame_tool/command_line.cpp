#include "frame_tool/command_line.h"

#include <QCommandLineParser>

#include "orvessa_version.h"

namespace frame_tool {
namespace {

struct OptionUse {
    QString name;
    QStringList commands;  ///< the commands that take it
};

const QString mapName = QStringLiteral("map");
const QString resetName = QStringLiteral("reset-os-correction");

// Which option goes with which command: --settings everywhere the frame is looked for.
const QList<OptionUse> &optionUses() {
    static const QList<OptionUse> uses{
        {QStringLiteral("json"), {QStringLiteral("list")}},
        {QStringLiteral("settings"),
         {QStringLiteral("list"), QStringLiteral("clear"), QStringLiteral("mode"), mapName, resetName}},
        {QStringLiteral("device"), {QStringLiteral("clear"), QStringLiteral("mode"), mapName, resetName}},
        {QStringLiteral("input-device"), {QStringLiteral("list"), mapName, resetName}},
        {QStringLiteral("targets"), {QStringLiteral("verify")}},
        {QStringLiteral("limit-mm"), {QStringLiteral("verify")}},
        {QStringLiteral("screen"), {QStringLiteral("verify"), mapName}},
    };
    return uses;
}

// The command a first word names; nullopt for none.
std::optional<ToolCommand::Kind> commandNamed(const QString &name) {
    static const QList<QPair<QString, ToolCommand::Kind>> names{
        {QStringLiteral("list"), ToolCommand::Kind::List},
        {QStringLiteral("clear"), ToolCommand::Kind::Clear},
        {QStringLiteral("mode"), ToolCommand::Kind::Mode},
        {QStringLiteral("verify"), ToolCommand::Kind::Verify},
        {mapName, ToolCommand::Kind::Map},
        {resetName, ToolCommand::Kind::ResetOsCorrection},
    };
    for (const auto &[word, kind] : names)
        if (word == name)
            return kind;
    return std::nullopt;
}

ParsedCommandLine failure(const QString &error) {
    return ParsedCommandLine{std::nullopt, error};
}

// The values of verify's options; an empty string when all are valid, else what is wrong.
QString readVerifyOptions(const QCommandLineParser &parser, ToolCommand &command) {
    bool ok = true;
    if (parser.isSet(QStringLiteral("targets"))) {
        command.targets = parser.value(QStringLiteral("targets")).toInt(&ok);
        if (!ok || (command.targets != 5 && command.targets != 9))
            return QStringLiteral("--targets takes 5 or 9");
    }
    if (parser.isSet(QStringLiteral("limit-mm"))) {
        command.limitMillimetres = parser.value(QStringLiteral("limit-mm")).toDouble(&ok);
        if (!ok || !(command.limitMillimetres > 0) || command.limitMillimetres > 1000)
            return QStringLiteral("--limit-mm takes a number of millimetres above 0");
    }
    if (parser.isSet(QStringLiteral("screen"))) {
        command.screen = parser.value(QStringLiteral("screen")).toInt(&ok);
        if (!ok || command.screen < 0)
            return QStringLiteral("--screen takes a screen number: 0, 1, ...");
    }
    return {};
}

}  // namespace

ParsedCommandLine parseCommandLine(const QStringList &arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({
        {{QStringLiteral("h"), QStringLiteral("help")}, QString()},
        {{QStringLiteral("v"), QStringLiteral("version")}, QString()},
        {QStringLiteral("json"), QString()},
        {QStringLiteral("settings"), QString(), QStringLiteral("file")},
        {QStringLiteral("device"), QString(), QStringLiteral("path")},
        {QStringLiteral("input-device"), QString(), QStringLiteral("name")},
        {QStringLiteral("targets"), QString(), QStringLiteral("count")},
        {QStringLiteral("limit-mm"), QString(), QStringLiteral("mm")},
        {QStringLiteral("screen"), QString(), QStringLiteral("number")},
    });
    if (!parser.parse(arguments))
        return failure(parser.errorText());

    ToolCommand command;
    if (parser.isSet(QStringLiteral("help")))
        return ParsedCommandLine{command, {}};
    if (parser.isSet(QStringLiteral("version"))) {
        command.kind = ToolCommand::Kind::Version;
        return ParsedCommandLine{command, {}};
    }
    const QStringList words = parser.positionalArguments();
    const QString commands = QStringLiteral("list, clear, mode, verify, map or reset-os-correction");
    if (words.isEmpty())
        return failure(QStringLiteral("no command given: ") + commands);
    const QString &name = words.first();
    const int expectedWords = name == QLatin1String("mode") ? 2 : 1;
    if (const auto kind = commandNamed(name))
        command.kind = *kind;
    else
        return failure(QStringLiteral("unknown command \"%1\": %2").arg(name, commands));
    if (command.kind == ToolCommand::Kind::Mode &&
        (words.size() < 2 || (words[1] != QLatin1String("single") && words[1] != QLatin1String("multi"))))
        return failure(QStringLiteral("mode takes single or multi"));
    if (words.size() > expectedWords)
        return failure(QStringLiteral("unexpected argument \"%1\"").arg(words[expectedWords]));
    for (const OptionUse &use : optionUses())
        if (parser.isSet(use.name) && !use.commands.contains(name))
            return failure(QStringLiteral("--%1 is not an option of %2").arg(use.name, name));

    command.multiTouch = command.kind == ToolCommand::Kind::Mode && words[1] == QLatin1String("multi");
    command.json = parser.isSet(QStringLiteral("json"));
    command.settingsPath = parser.value(QStringLiteral("settings"));
    command.devicePath = parser.value(QStringLiteral("device"));
    command.inputDevice = parser.value(QStringLiteral("input-device"));
    if (parser.isSet(QStringLiteral("settings")) && command.settingsPath.isEmpty())
        return failure(QStringLiteral("--settings takes a file"));
    if (parser.isSet(QStringLiteral("device")) && command.devicePath.isEmpty())
        return failure(QStringLiteral("--device takes a device path"));
    if (parser.isSet(QStringLiteral("input-device")) && command.inputDevice.isEmpty())
        return failure(QStringLiteral("--input-device takes the name of an input device"));
    if (const QString error = readVerifyOptions(parser, command); !error.isEmpty())
        return failure(error);
    if (command.kind == ToolCommand::Kind::Map && command.screen < 0)
        return failure(QStringLiteral("map takes --screen N, the screen the frame is on: 0, 1, ..."));
    return ParsedCommandLine{command, {}};
}

QString versionText() {
    return QStringLiteral("orvessa-frame " ORVESSA_VERSION "\n");
}

QString helpText() {
    return QStringLiteral(R"(Usage: orvessa-frame COMMAND [OPTIONS]
Finds, diagnoses and drives the infrared touch frames that Orvessa calibrates, for installers and scripts. It looks
for the frame exactly as the Orvessa program does and sends it the same reports.

Commands:
  list [--json]        Lists every HID interface of a known vendor id (built in, or added with vid= in the
                       settings file) with its verdict: "would be used" (the interface Orvessa opens), "not the
                       vendor interface" (and why), "cannot be opened" (with the system's reason, what the node's
                       owner, mode, ACL and the udev rule allow this user, and the command that fixes it),
                       "went away" (unplugged between the search and the open) or "passed over" (another interface
                       comes first). Also shows the settings file read (or why it is not read: not a regular file,
                       larger than 1 MiB, unreadable), the ids taken from vid=, what that file holds that Orvessa
                       ignores, and a hint for attached vendor interfaces of unknown vendor ids. For each frame, the
                       desktop's view of it: the input devices the system made of it, where the desktop puts their
                       touches ("mapped to HDMI-1", "mapped to the whole desktop: touches on a screen of 2 land
                       stretched") and whether it adds a correction of its own ("an OS correction is active on top
                       of the frame's"). Control characters are shown escaped, as JSON writes them.
  clear                Erases the calibration stored in the frame (the report of the "clear" button).
  mode single|multi    Switches the frame to single-touch or multi-touch reporting.
  verify               Checks a calibration: a full-screen window shows targets away from the calibration
                       targets, takes one touch per target and prints each target's error in pixels and
                       millimetres, the mean and the worst, as a table; the same table and arrows from each target
                       toward its touch are drawn on the screen. Writes nothing to the frame.
  map --screen N       Puts the frame's touches on screen N for this session: on X11 it sets the
                       transformation matrix of the frame's input devices (as xinput's map-to-output does), then
                       prints how to make it last on this desktop (an xorg.conf.d snippet, the GNOME gsettings
                       command, the sway line, the Plasma setting). On Wayland and Windows it prints the steps for
                       that desktop and changes nothing.
  reset-os-correction  X11: sets the frame's "libinput Calibration Matrix" to identity for this session. Everywhere:
                       prints where a lasting correction of the system's own comes from (a udev property, an
                       xorg.conf line, the desktop's settings), so that it can be removed. Edits no system file.

Options:
  --settings FILE      The settings file to take vendor ids from (list, clear, mode, map, reset-os-correction);
                       by default the setting_calibration.ini that Orvessa reads, beside the program.
  --device PATH        Use only the frame at this device path (clear, mode, map, reset-os-correction), as list
                       shows it.
  --input-device NAME  list, map, reset-os-correction: take the X11 input device of this name (xinput list) as
                       the frame's, for a frame whose USB ids the X server does not show.
  --json               list: one JSON object instead of text.
  --targets 5|9        verify: 5 targets (the corners at 10 % and 90 %, and the centre) or a 3 x 3 grid at
                       10 %, 50 % and 90 %. Default 5.
  --limit-mm N         verify: the largest error that passes, in millimetres. Default 3.
  --screen N           verify, map: the screen, numbered from 0 in the order Orvessa uses; for verify the
                       default is the primary screen.
  -h, --help           Shows this text.
  -v, --version        Shows the version.

Exit status:
  0                    Done; for list, a frame would be used; for verify, the worst error is within the limit.
  1                    No touch frame found, or the one found went away before it could be opened.
  2                    A frame was found but cannot be used (the user may not open it, it is busy, or it has no
                       vendor interface); map, reset-os-correction: the desktop shows no input device of the frame,
                       or its touch settings are unknown to Orvessa.
  3                    The report did not reach the frame; map, reset-os-correction: the X server did not take
                       the change.
  4                    verify failed: the worst error exceeds the limit, the screen reports no physical size,
                       the check was cancelled, or there is no display to show it on.
  64                   Usage error.

Examples:
  The frame is not found:
      orvessa-frame list
  Deploy to many kiosks (clear the calibration, multi-touch, stop on the first failure):
      orvessa-frame clear && orvessa-frame mode multi
  Check a calibration (9 targets, at most 2 mm off):
      orvessa-frame verify --targets 9 --limit-mm 2
  Touches land on the wrong screen of two (the frame is on the second):
      orvessa-frame map --screen 1
)");
}

}  // namespace frame_tool
