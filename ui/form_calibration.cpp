#include "ui/form.h"

#include <QGuiApplication>

#include <hidapi.h>

#include "calibration/dialog.h"
#include "calibration/full_screen.h"
#include "calibration/run_plan.h"
#include "device/hid_link.h"
#include "device/report.h"
#include "ui/busy_cursor.h"
#include "ui/message_boxes.h"

// The four calibration buttons: one run each, from opening the frame to the upload. The decisions live in
// calibration/run_plan.h; this file carries them out on the device and the screen.

namespace {

void closeDevice(Form &form) {
    hid_close(form.device);
    form.device = nullptr;
}

// Shows the target window full screen and waits for the user's answer: true to save.
bool collectTouches(Form &form, const QVector<ScreenRect> &screens, int screenIndex, int targetCount) {
    const ScreenRect &screen = screens[screenIndex];
    Dialog dialog(screen.x, screen.y, screen.width, screen.height, targetCount, &form);
    // exec() makes a window modal only when it shows it; this one is already shown full screen by then, so it is
    // made modal first. Otherwise the main window would take clicks during the run and could start a second
    // calibration on top of this one.
    dialog.setWindowModality(Qt::ApplicationModal);
    const UserTurnCursor userTurn;
    calibration::showFullScreenOn(dialog, QGuiApplication::screens().value(screenIndex));
    return dialog.exec() == QDialog::Accepted;
}

void runCalibration(Form &form, int targetCount) {
    device::Report query = device::commandReport(device::Command::StartQuery);
    device::Report start = device::commandReport(device::Command::StartCalibration);
    device::Report abandon = device::commandReport(device::Command::Abandon);

    const QVector<ScreenRect> screens = screenList();
    if (screens.isEmpty())
        return;
    const int screenIndex = form.calibrationScreenIndex(screens);

    const BusyCursor busy;
    form.device = form.openTouchDevice();
    if (!form.device) {
        form.warnNoDevice();
        return;
    }
    for (device::Report *report : {&query, &start, &abandon})
        device::setReportId(*report, form.deviceUsage);

    const int queryWritten = device::writeReport(form.device, query);
    std::uint8_t reply[64] = {};
    const int replyLength = queryWritten > 0 ? device::readReport(form.device, reply, 100) : 0;
    const calibration::QueryOutcome outcome =
        calibration::judgeStartQuery(queryWritten, reply, replyLength, form.deviceUsage);
    if (outcome.queryWriteFailed)
        messages::showError(&form, Form::tr("未检测到设备,请检查连接!"));
    if (outcome.sendCalibrationStart)
        device::writeReport(form.device, start);

    if (!collectTouches(form, screens, screenIndex, targetCount)) {
        device::writeReport(form.device, abandon);
        messages::showError(&form, Form::tr("校准未更新"));
        closeDevice(form);
        return;
    }

    const auto upload =
        calibration::buildUpload(outcome.format, form.touchPoints, targetCount, form.deviceUsage,
                                 form.calibrationMatrix, form.calibrationVector, form.fixedCoefficients);
    if (!upload) {
        // Corners no mounting gives, or a correction that does not fit its fields: tell the frame the calibration
        // is off rather than send it garbage.
        device::writeReport(form.device, abandon);
        messages::showError(&form, Form::tr("校准点无效,校准未更新!"));
    } else if (device::writeReport(form.device, *upload) > 0) {
        messages::showOk(&form, Form::tr("校准已更新!"));
    } else {
        messages::showError(&form, Form::tr("校准未更新"));
    }
    closeDevice(form);
}

}  // namespace

void Form::StartCalibrate_4_1() {
    runCalibration(*this, 4);
}

void Form::StartCalibrate_5_1() {
    runCalibration(*this, 9);
}

void Form::StartCalibrate_6_1() {
    runCalibration(*this, 15);
}

void Form::StartCalibrate_16_1() {
    runCalibration(*this, 20);
}
