#pragma once

/// The mode the touch frame is taken to be in: true for multi-touch, the frame's mode when it starts. The frame
/// cannot be asked, so this flag is the program's only knowledge of it; it changes only when a mode report was
/// written. One value for the whole process, never reset.
extern bool multiTouchMode;
