#pragma once

#include <QDialog>
#include <QPoint>

#include <functional>

#include "calibration/run_check.h"
#include "calibration/touch_sampler.h"

class Form;
class QLabel;
class QMouseEvent;
class QPaintEvent;

namespace Ui {
class Dialog;
}

/// The full-screen target window of one calibration run. The user touches the targets one after another; each
/// touch is averaged from its samples and written into the owner's touchPoints in calibration units. After the last
/// target the window asks whether to save: accept() means save, reject() (also Escape) means do not.
///
/// A second, smaller line under the label says how far the run has come and that Escape abandons it; once the last
/// target is touched it carries the check of the run (calibration/run_check.h), and missed targets are drawn red.
/// Notices (a touch that landed on another screen, a desktop that maps the frame elsewhere) are added below it.
class Dialog : public QDialog {
    Q_OBJECT

public:
    /// A window on the screen rectangle (@p x, @p y, @p width, @p height) in virtual-desktop pixels, with @p n
    /// targets (4, 9, 15 or 20), writing into @p owner's touchPoints. The caller shows it full screen and runs it.
    Dialog(int x, int y, int width, int height, int n, Form *owner);
    ~Dialog() override;

    /// What checks the touches once the last target is touched, before the user is asked to save.
    void setCompletionCheck(std::function<calibration::RunCheck(const TouchPointTable &)> check);
    /// The check of the completed run; NotChecked before completion.
    const calibration::RunCheck &runCheck() const { return m_check; }
    /// Adds @p text to the second line until the window closes; a repeated notice is shown once.
    void addNotice(const QString &text);
    /// The notice for a touch that landed on screen @p screenNumber (counted from 1) instead of this one.
    static QString touchOnOtherScreenNotice(int screenNumber);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void finishTouch(QPoint touch);
    void offerToSave();
    void showDetail();

public:
    int targetCount = 0;
    calibration::TouchSampler sampler;  // this run's touch under way and its last accepted touch
    calibration::Samples &samples = sampler.samples;
    int &sampleCount = sampler.sampleCount;
    Ui::Dialog *ui;
    Form *owner = nullptr;
    int targetsDone = 0;

private:
    QLabel *m_detail = nullptr;
    std::function<calibration::RunCheck(const TouchPointTable &)> m_completionCheck;
    calibration::RunCheck m_check;
    QStringList m_notices;
};
