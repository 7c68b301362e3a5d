#include "ui/form.h"

#include <QMessageBox>
#include <QPushButton>

#include <vector>

#include <hidapi.h>

#include "device/discovery.h"
#include "device/hid_link.h"
#include "platform/blocking_wait.h"
#include "ui/busy_cursor.h"
#include "ui/message_boxes.h"
#include "ui/touch_mode.h"
#include "ui_form.h"

// Finding the touch frame, and the one-report commands: clear calibration and single/multi-touch.

bool multiTouchMode = true;

hid_device *Form::openTouchDevice() {
    hid_device_info *list = hid_enumerate(0, 0);
    std::vector<const hid_device_info *> nodes;
    std::vector<device::HidEntry> entries;
    for (const hid_device_info *entry = list; entry; entry = entry->next) {
        nodes.push_back(entry);
        entries.push_back(device::HidEntry{entry->vendor_id, entry->usage_page, entry->usage});
    }

    hid_device *opened = nullptr;
    for (const device::OpenAttempt &attempt : device::openAttempts(entries, vidList)) {
        // Every attempt waits first, so one search waits at most four times.
        platform::blockingWait(device::openWaitMs);
        opened = device::openPath(nodes[attempt.entry]->path);
        deviceUsage = attempt.usage;
        if (opened)
            break;
    }
    hid_free_enumeration(list);
    return opened;
}

void Form::onButtonClear() {
    const auto answer = QMessageBox::information(this, tr("确认对话框"), tr("确认要<b>清除</b>校准?"),
                                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer != QMessageBox::Yes)
        return;
    const BusyCursor busy;
    device = openTouchDevice();
    if (!device) {
        messages::showError(this, tr("未检测到设备,请检查连接!"));
        return;
    }
    // A write that did not go through cleared nothing: say so rather than report success.
    if (device::sendCommand(device, device::Command::Clear, deviceUsage))
        messages::showOk(this, tr("清除完成!"));
    else
        messages::showError(this, tr("未检测到设备,请检查连接!"));
    hid_close(device);
    device = nullptr;
}

void Form::onButtonChange() {
    // The flag, the button text and the frame change together, and only once the mode report was written: a
    // click without a frame leaves all three as they were.
    const bool newMode = !multiTouchMode;
    const BusyCursor busy;
    device = openTouchDevice();
    if (!device) {
        messages::showError(this, tr("未检测到设备,请检查连接!"));
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
    hid_close(device);
    device = nullptr;
}
