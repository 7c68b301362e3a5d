#pragma once

namespace frame_tool {

/// What orvessa-frame returns to the shell; scripts rely on these numbers.
enum class ExitStatus : int {
    Done = 0,
    NoFrame = 1,         ///< no interface of a known vendor is attached (or it went away before it was opened)
    FrameNotUsable = 2,  ///< a frame is attached, but none of its interfaces can be used (access, busy, wrong one)
    WriteFailed = 3,     ///< the frame was opened, but the report did not go out
    VerifyFailed = 4,    ///< the worst error exceeds the limit, or the check could not be completed
    UsageError = 64,     ///< bad command line (EX_USAGE)
};

}  // namespace frame_tool
