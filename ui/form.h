#pragma once

#include <QSystemTrayIcon>
#include <QVector>
#include <QWidget>

#include <array>
#include <cstdint>

#include "calibration/touch_point.h"
#include "device/open_error.h"
#include "platform/desktop_input.h"
#include "ui/screens.h"

struct hid_device_;
using hid_device = struct hid_device_;  // hidapi's handle, the same type hidapi.h declares

namespace Ui {
class Form;
}

/// The main window: a column of large buttons from which the user starts every operation on the touch frame.
class Form : public QWidget {
    Q_OBJECT

public:
    explicit Form(QWidget *parent = nullptr);
    ~Form() override;

    void placeOnScreen(const ScreenRect &screen);

    /// The screen the next calibration runs on, as an index into @p screens (screenList()): the screen that holds
    /// the window, or on Wayland the one picked with Return (screens::calibrationIndex).
    int calibrationScreenIndex(const QVector<ScreenRect> &screens) const;

    /// Finds the touch frame among the HID devices and opens it; sets deviceUsage at every open attempt.
    /// @return the open handle, or null when no frame could be opened. The caller closes it.
    hid_device *openTouchDevice();

    /// The "未检测到设备,请检查连接!" warning after a search that opened nothing; when the search found frames but
    /// could open none of them, a second, smaller line names the cause: no access for this user, a frame that went
    /// away before the open, or another reason in the system's words.
    void warnNoDevice();

public slots:
    void showWindow();
    void hideWindow();
    void exitWindow();
    void msgClicked();
    void activeWindow(QSystemTrayIcon::ActivationReason e);
    void StartCalibrate_4_1();
    void StartCalibrate_5_1();
    void StartCalibrate_6_1();
    void StartCalibrate_16_1();
    void onButtonClear();
    void onButtonExit();
    void onButtonChange();
    void onButtonDblClick();
    void onButtonScreen();

protected:
    void timerEvent(QTimerEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

public:
    Ui::Form *ui;
    QVector<int> vidList;
    hid_device *device = nullptr;

    // Calibration work area: the touches measured by the target window, the integers of the last projective
    // upload, and the solver's matrix and vector.
    TouchPointTable touchPoints{};
    std::array<int32_t, 8> fixedCoefficients{};
    double calibrationMatrix[8][8] = {};
    double calibrationVector[8] = {};

    int systray = 0;
    QSystemTrayIcon *trayIcon = nullptr;
    int deviceUsage = 0;
    device::OpenError frameOpenError;  ///< why the last search's frames could not be opened; None: not that
    platform::FrameIds openedFrame;    ///< USB ids of the frame the last search opened, as the desktop knows it

private:
    void createTrayIcon();
    /// Every balloon goes through here: the common title and display time, @p icon and @p text.
    void showBalloon(const QString &text, QSystemTrayIcon::MessageIcon icon = QSystemTrayIcon::Information);
    void hideToTray();
    /// Tray mode on a desktop that has a notification area now: only then may the window hide instead of ending.
    bool hidesToTray() const;
    /// The lowest button's caption for what it does now: hide to the tray, or end the program.
    void showExitCaption();
    /// Index of the screen the window system reports the window on; -1 when it reports none.
    int windowScreenIndex() const;
    /// The banner that names the calibration screen, on that screen.
    void showCalibrationScreen();

    screens::Selection m_screenSelection;  ///< Return's choice where the window cannot move (Wayland)
};
