#pragma once

#include <QRect>
#include <QString>

#include "platform/desktop_input.h"

// Before a calibration: does the desktop deliver the frame's touches to the screen being calibrated, as they are?
// A run on a frame whose touches land on another screen, stretched over the whole desktop or corrected by the
// system as well cannot come out right; the target window says so on its second line, and the run goes on.

/// The screen a calibration run covers, as the main window chose it.
struct CalibrationTarget {
    QString name;    ///< QScreen::name() of the screen
    QRect geometry;  ///< its rectangle in device pixels (QScreen::geometry() times devicePixelRatio())
    int index = 0;   ///< its index in screenList(), the number `orvessa-frame map --screen` takes
};

/// The line for the target window when the desktop's view of the frame with @p frame's USB ids (as the device
/// search opened it: device::FrameSearch::vendorId, productId) says the run cannot come out right on @p target,
/// with the command that fixes it; empty when the mapping is right or unknown and no correction of the system's
/// is active. Reads the desktop (platform::readDesktopView: sysfs, the X server, gsettings, swaymsg, the
/// registry), which takes a few milliseconds and at most a few seconds: call it once per run.
QString calibrationMappingWarning(const platform::FrameIds &frame, const CalibrationTarget &target);

/// The same from a judgement already made (pure): Chinese source text in the context "Dialog". A touch mapping
/// that misses the target comes first; a correction is named when the mapping is right.
QString mappingWarningText(const platform::DesktopJudgement &judgement, const CalibrationTarget &target);
