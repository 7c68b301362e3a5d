#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace frame_tool {

/// One run of orvessa-frame as its command line asks for it.
struct ToolCommand {
    enum class Kind { List, Clear, Mode, Verify, Map, ResetOsCorrection, Help, Version };
    Kind kind = Kind::Help;
    bool json = false;            ///< list: JSON instead of text
    QString settingsPath;         ///< --settings; empty: the main program's own settings file
    QString devicePath;           ///< clear, mode, map, reset-os-correction: --device; empty: any frame
    QString inputDevice;          ///< list, map, reset-os-correction: --input-device, the desktop's device by name
    bool multiTouch = false;      ///< mode: multi (true) or single (false)
    int targets = 5;              ///< verify: 5 or 9
    double limitMillimetres = 3;  ///< verify: the largest error that passes
    int screen = -1;              ///< verify, map: index into the screens; -1: the primary screen (verify)
};

/// The command line (@p arguments, the program name first) as a command, or the reason it is not one.
struct ParsedCommandLine {
    std::optional<ToolCommand> command;
    QString error;  ///< set when command is not
};

/// Parses @p arguments. Each option belongs to the commands that use it; giving it to another command, an unknown
/// command or option, a missing or extra argument, or a value out of range is an error.
ParsedCommandLine parseCommandLine(const QStringList &arguments);

/// The --help text; also the source of the man page (help2man).
QString helpText();

/// The --version text: "orvessa-frame <version>".
QString versionText();

}  // namespace frame_tool
