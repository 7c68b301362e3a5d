#include "ui/form.h"

#include <QMessageBox>
#include <QPushButton>

#include "device/frame_search.h"
#include "device/hid_link.h"
#include "ui/busy_cursor.h"
#include "ui/device_session.h"
#include "ui/message_boxes.h"
#include "ui/touch_mode.h"
#include "ui_form.h"

// Finding the touch frame, and the one-report commands: clear calibration and single/multi-touch.

bool multiTouchMode = true;

hid_device *Form::openTouchDevice() {
    const device::FrameSearch search = device::openTouchFrame(vidList);
    // deviceUsage follows every open attempt; a search that found nothing to open leaves it as it was.
    if (search.attempts > 0)
        deviceUsage = search.usage;
    frameOpenError = search.foundButNotOpened() ? search.openError : device::OpenError{};
    openedFrame = {search.vendorId, search.productId};
    return search.handle;
}

void Form::warnNoDevice() {
    // A frame that was found but could not be opened looked exactly like a missing cable: name the cause, and where
    // to look when the user can do something about it.
    QString cause;
    switch (frameOpenError.cause) {
        case device::OpenError::Cause::NoAccess:
            cause = tr("原因:找到了触摸框,但当前用户无权打开它。运行 orvessa-frame list 查看详情。");
            break;
        case device::OpenError::Cause::Gone:
            cause = tr("原因:找到了触摸框,但打开前它已断开(%1)。请检查连接。").arg(frameOpenError.reason);
            break;
        case device::OpenError::Cause::Other:
            cause =
                tr("原因:找到了触摸框,但无法打开它(%1)。运行 orvessa-frame list 查看详情。").arg(frameOpenError.reason);
            break;
        case device::OpenError::Cause::None:
            break;
    }
    messages::showError(this, tr("未检测到设备,请检查连接!"), cause);
}

void Form::onButtonClear() {
    const auto answer = QMessageBox::information(this, tr("确认对话框"), tr("确认要<b>清除</b>校准?"),
                                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer != QMessageBox::Yes)
        return;
    const BusyCursor busy;
    const DeviceSession session(*this);
    if (!session) {
        warnNoDevice();
        return;
    }
    // A write that did not go through cleared nothing: say so rather than report success.
    if (device::sendCommand(device, device::Command::Clear, deviceUsage))
        messages::showOk(this, tr("清除完成!"));
    else
        messages::showError(this, tr("未检测到设备,请检查连接!"));
}

void Form::onButtonChange() {
    // The flag, the button text and the frame change together, and only once the mode report was written: a
    // click without a frame leaves all three as they were.
    const bool newMode = !multiTouchMode;
    const BusyCursor busy;
    const DeviceSession session(*this);
    if (!session) {
        warnNoDevice();
        return;
    }
    if (device::sendCommand(device, newMode ? device::Command::MultiTouch : device::Command::SingleTouch,
                            deviceUsage)) {
        multiTouchMode = newMode;
        messages::showOk(this, newMode ? tr("已切换为多点!") : tr("已切换为单点!"));
        ui->pushButton_Change->setText(newMode ? tr("切换到单点") : tr("切换到多点"));
    } else {
        messages::showError(this, tr("未检测到设备,请检查连接!"));
    }
}
