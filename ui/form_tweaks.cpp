#include "ui/form.h"

#include <QMessageBox>
#include <QPushButton>

#include "tweaks/double_click.h"
#include "ui/message_boxes.h"

// The double-click optimisation of the desktop's mouse settings.

namespace {
// The new values apply only after a restart: ask whether to restart now. "稍后重启" is the default, so a stray
// Return never restarts the computer; no escape button is designated, so the user must pick one.
bool askRestartNow(QWidget *parent) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("OK"),
                    Form::tr("优化已完成,重启计算机后生效.\n是否现在重启?"), QMessageBox::NoButton, parent);
    QPushButton *now = box.addButton(Form::tr("现在重启"), QMessageBox::ActionRole);
    QPushButton *later = box.addButton(Form::tr("稍后重启"), QMessageBox::ActionRole);
    box.setDefaultButton(later);
    box.exec();
    return box.clickedButton() == now;
}
}  // namespace

void Form::onButtonDblClick() {
    const std::unique_ptr<platform::MouseSettings> store = tweaks::openMouseSettings();
    if (tweaks::isOptimised(tweaks::readDoubleClickValues(*store))) {
        messages::showOk(this, tr("已优化过,无需重复优化."));
        return;
    }
    const QStringList failed = tweaks::writeOptimisedValues(*store);
    if (!failed.isEmpty()) {
        // Nothing to restart for: say what could not be changed and where, so that the user can look there.
        messages::showError(this, tr("双击设置未能修改,无法写入:\n%1").arg(failed.join(QLatin1Char('\n'))));
        return;
    }
    if (askRestartNow(this))
        tweaks::startRestart(this);
}
