#include "ui/form.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QIcon>
#include <QMenu>

#include "platform/blocking_wait.h"
#include "ui/balloon.h"
#include "ui/notification_area.h"
#include "ui/resolution_watch.h"
#include "ui_form.h"

// Tray icon, balloons, hiding and ending the program, and the resolution watch.

namespace {
// Long enough for the goodbye balloon to be read before the icon disappears with the process.
constexpr int exitBalloonWaitMs = 3000;
}  // namespace

void Form::createTrayIcon() {
    auto *showAction = new QAction(tr("显示主界面"), this);
    auto *hideAction = new QAction(tr("隐藏主界面"), this);
    auto *exitAction = new QAction(tr("关闭程序"), this);

    auto *menu = new QMenu(this);
    menu->addAction(showAction);
    menu->addAction(hideAction);
    menu->addAction(exitAction);

    trayIcon = new QSystemTrayIcon(this);
    trayIcon->setContextMenu(menu);
    trayIcon->setIcon(QIcon(QStringLiteral(":/kov-calibration.png")));
    trayIcon->setToolTip(tr("红外触摸屏"));
    trayIcon->setVisible(true);

    connect(showAction, SIGNAL(triggered()), this, SLOT(showWindow()));
    connect(hideAction, SIGNAL(triggered()), this, SLOT(hideWindow()));
    connect(exitAction, SIGNAL(triggered()), this, SLOT(exitWindow()));
    connect(trayIcon, SIGNAL(messageClicked()), this, SLOT(msgClicked()));
    connect(trayIcon, SIGNAL(activated(QSystemTrayIcon::ActivationReason)), this,
            SLOT(activeWindow(QSystemTrayIcon::ActivationReason)));

    // Any argument (the autostart entry passes "-bg") means the window starts hidden: say where it is.
    if (QCoreApplication::arguments().size() > 1)
        showBalloon(tr("点击这里打开触摸屏管理软件主界面"));
}

void Form::showBalloon(const QString &text, QSystemTrayIcon::MessageIcon icon) {
    if (!trayIcon)
        return;  // window mode has no tray icon: a tray slot invoked there shows nothing
    balloons::show(*trayIcon, Balloon{tr("触摸屏提示"), text, icon, balloons::displayMilliseconds});
}

void Form::hideToTray() {
    hide();
    showBalloon(tr("点击这里打开触摸屏管理软件主界面"));
}

void Form::showWindow() {
    showNormal();
}

void Form::hideWindow() {
    hideToTray();
}

void Form::exitWindow() {
    showBalloon(tr("退出将不能收到提示信息."));
    platform::blockingWait(exitBalloonWaitMs);
    QCoreApplication::exit(0);
}

void Form::msgClicked() {
    showNormal();
}

void Form::activeWindow(QSystemTrayIcon::ActivationReason e) {
    // A right click (Context) opens the menu by itself; only a left click or a double click brings the window.
    if (e == QSystemTrayIcon::DoubleClick || e == QSystemTrayIcon::Trigger)
        showNormal();
}

bool Form::hidesToTray() const {
    return systray && tray::notificationAreaAvailable();
}

void Form::showExitCaption() {
    ui->pushButton_Exit->setText(hidesToTray() ? tr("隐藏到系统托盘") : tr("退  出"));
}

void Form::showEvent(QShowEvent *event) {
    // The notification area may have come or gone since the caption was last set.
    if (systray)
        showExitCaption();
    QWidget::showEvent(event);
}

// Without a notification area a hidden window could only come back through a later launch, and the only quit
// lives in the icon's menu: the lowest button and the close button then end the program, as in window mode.
void Form::onButtonExit() {
    if (!hidesToTray()) {
        QCoreApplication::exit(0);
        return;
    }
    hideToTray();
}

void Form::closeEvent(QCloseEvent *event) {
    if (!hidesToTray()) {
        QWidget::closeEvent(event);
        return;
    }
    event->ignore();
    hideToTray();
}

void Form::timerEvent(QTimerEvent *event) {
    Q_UNUSED(event)  // the resolution poll is the window's only timer
    // One reference for the whole process, taken at the first tick and never reset.
    static ResolutionWatch watch;
    if (watch.changedAt(resolution::currentDesktopSize()))
        showBalloon(tr("分辨率已经改变，你可能需要重新校准"), QSystemTrayIcon::Warning);
}
