#pragma once

#include <QString>

// Why opening a frame's node failed. The causes call for different things from the user: access for this user (a
// udev rule, an ACL), a frame that went away between the search and the open (the cable), or something else.

namespace device {

struct OpenError {
    enum class Cause {
        None,      ///< nothing failed
        NoAccess,  ///< the system refused this user (EACCES, EPERM; Windows: access denied)
        Gone,      ///< the node is no longer there: unplugged meanwhile (ENOENT, ENODEV, ENXIO; Windows: not found)
        Other,     ///< anything else, busy say
    };
    Cause cause = Cause::None;
    int code = 0;    ///< the system's error number (errno; Windows: the last-error code), 0 for None
    QString reason;  ///< the system's words for it; empty for None
};

/// The error of the hid_open_path call that has just returned null, as the system reported it (errno on Linux, the
/// thread's last error on Windows). Call it straight after the failure, before anything else can change it.
OpenError lastOpenError();

/// The error to report for a search whose every attempt failed, from @p sofar and the error of one more attempt
/// @p next: a refused access comes first (the user can fix it), then anything else, then a frame that went away.
OpenError moreTelling(const OpenError &sofar, const OpenError &next);

}  // namespace device
