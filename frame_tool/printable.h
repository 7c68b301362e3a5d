#pragma once

#include <QString>
#include <QStringView>

// What orvessa-frame prints comes in part from outside: device paths and product strings from the system, keys and
// values from the settings file, the command line itself. Printed as they are, control characters in them would
// drive the terminal (move the cursor, recolour, set the title, hide lines).

namespace frame_tool {

/// @p text for orvessa-frame's text output, one line: each control character (C0, DEL, C1) written as JSON writes
/// it ("\n", "\t", "\u001b", ...), each lone UTF-16 surrogate as U+FFFD. Every line of text output goes through
/// here; other characters, backslashes included (Windows paths), stay as they are.
QString printable(QStringView text);

/// @p text with each lone UTF-16 surrogate replaced by U+FFFD: JSON carries whole characters only, and strict
/// parsers reject the "\ud800" Qt would write for one.
QString wholeCharacters(QStringView text);

}  // namespace frame_tool
