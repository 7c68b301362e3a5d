#pragma once

#include <QDialog>
#include <QPoint>

#include "calibration/touch_sampler.h"

class Form;
class QMouseEvent;
class QPaintEvent;

namespace Ui {
class Dialog;
}

/// The full-screen target window of one calibration run. The user touches the targets one after another; each
/// touch is averaged from its samples and written into the owner's touchPoints in calibration units. After the last
/// target the window asks whether to save: accept() means save, reject() (also Escape) means do not.
class Dialog : public QDialog {
    Q_OBJECT

public:
    /// A window on the screen rectangle (@p x, @p y, @p width, @p height) in virtual-desktop pixels, with @p n
    /// targets (4, 9, 15 or 20), writing into @p owner's touchPoints. The caller shows it full screen and runs it.
    Dialog(int x, int y, int width, int height, int n, Form *owner);
    ~Dialog() override;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void finishTouch(QPoint touch);
    void offerToSave();

public:
    int targetCount = 0;
    calibration::TouchSampler sampler;  // this run's touch under way and its last accepted touch
    calibration::Samples &samples = sampler.samples;
    int &sampleCount = sampler.sampleCount;
    Ui::Dialog *ui;
    Form *owner = nullptr;
    int targetsDone = 0;
};
