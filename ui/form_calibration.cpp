#include "ui/form.h"

#include <QGuiApplication>
#include <QScreen>
#include "calibration/cover_window.h"
#include "calibration/dialog.h"
#include "calibration/full_screen.h"
#include "calibration/run_check.h"
#include "calibration/run_plan.h"
#include "device/hid_link.h"
#include "device/report.h"
#include "ui/busy_cursor.h"
#include "ui/device_session.h"
#include "ui/mapping_warning.h"
#include "ui/message_boxes.h"

// The four calibration buttons: one run each, from opening the frame to the upload. The decisions live in
// calibration/run_plan.h; this file carries them out on the device and the screen.

namespace {

// Covers every screen but the calibrated one for the run. A touch that lands on a cover is not stored anywhere; the
// target window's second line says where it went, since the user looks at that window.
void coverOtherScreens(Dialog &dialog, int calibrated) {
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (screens.size() < 2 || calibrated < 0 || calibrated >= screens.size())
        return;
    for (int i = 0; i < screens.size(); ++i) {
        if (i == calibrated)
            continue;
        auto *cover = new CoverWindow(i + 1, calibrated + 1, screens[calibrated]->name(), &dialog);
        QObject::connect(cover, &CoverWindow::touched, &dialog,
                         [&dialog](int screen) { dialog.addNotice(Dialog::touchOnOtherScreenNotice(screen)); });
        calibration::showFullScreenOn(*cover, screens[i], calibration::Focus::Leave);
    }
}

// Whether the desktop puts the frame's touches onto the calibrated screen as they are: a run that cannot come out
// right says so on the target window's second line from the start, and goes on (the user may know better).
QString desktopWarning(const Form &form, int screenIndex) {
    const QScreen *screen = QGuiApplication::screens().value(screenIndex);
    if (!screen)
        return {};
    const QRect geometry = screen->geometry();
    const qreal ratio = screen->devicePixelRatio();
    const QRect devicePixels(QPoint(qRound(geometry.x() * ratio), qRound(geometry.y() * ratio)),
                             QSize(qRound(geometry.width() * ratio), qRound(geometry.height() * ratio)));
    return calibrationMappingWarning(form.openedFrame, {screen->name(), devicePixels, screenIndex});
}

// What the user is told of the finished run before the save question: the touches put through the correction the
// frame would get.
calibration::RunCheck checkOnScreen(const TouchPointTable &touches, int targetCount, calibration::Format format,
                                    const QScreen *screen, QSize window) {
    const auto pitch =
        screen ? calibration::millimetresPerPixel(screen->geometry().size(), screen->physicalSize()) : std::nullopt;
    return calibration::checkTouches(touches, targetCount, format, window, pitch);
}

// Shows the target window full screen and waits for the user's answer: true to save. @p check receives the check
// of the completed run.
bool collectTouches(Form &form, const QVector<ScreenRect> &screens, int screenIndex, int targetCount,
                    calibration::Format format, calibration::RunCheck &check) {
    const QString warning = desktopWarning(form, screenIndex);
    const ScreenRect &screen = screens[screenIndex];
    QScreen *target = QGuiApplication::screens().value(screenIndex);
    Dialog dialog(screen.x, screen.y, screen.width, screen.height, targetCount, &form);
    // exec() makes a window modal only when it shows it; this one is already shown full screen by then, so it is
    // made modal first. Otherwise the main window would take clicks during the run and could start a second
    // calibration on top of this one.
    dialog.setWindowModality(Qt::ApplicationModal);
    if (!warning.isEmpty())
        dialog.addNotice(warning);
    dialog.setCompletionCheck([&dialog, targetCount, format, target](const TouchPointTable &touches) {
        return checkOnScreen(touches, targetCount, format, target, dialog.size());
    });
    const UserTurnCursor userTurn;
    coverOtherScreens(dialog, screenIndex);
    calibration::showFullScreenOn(dialog, target);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    check = dialog.runCheck();
    return accepted;
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
    const DeviceSession session(form);
    if (!session) {
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

    calibration::RunCheck check;
    if (!collectTouches(form, screens, screenIndex, targetCount, outcome.format, check)) {
        device::writeReport(form.device, abandon);
        messages::showError(&form, Form::tr("校准未更新"));
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
        messages::showOk(&form, Form::tr("校准已更新!"), calibration::checkLine(check));
    } else {
        messages::showError(&form, Form::tr("校准未更新"));
    }
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
