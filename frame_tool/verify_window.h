#pragma once

#include <QPoint>
#include <QRasterWindow>
#include <QString>
#include <QVector>

#include <optional>

#include "calibration/touch_sampler.h"
#include "frame_tool/verify_plan.h"

namespace frame_tool {

/// The full-screen window of `orvessa-frame verify`: shows the targets one after another, takes one touch per
/// target with the calibration window's sampling rule (the mean of the samples between press and release, repeats
/// within 15 pixels ignored), then draws the result: an arrow from each target toward its touch, scaled so that
/// millimetres show, and the table. A touch or a key then closes it; Escape before the end cancels.
class VerifyWindow : public QRasterWindow {
    Q_OBJECT

public:
    /// @p targets in window pixels; the window is meant to cover exactly one screen.
    explicit VerifyWindow(QVector<QPoint> targets);

    /// Shows @p result, and @p table as its text, over the targets.
    void showResult(const VerifyResult &result, const QString &table);

signals:
    /// Every target has its touch, in window pixels, in target order.
    void touchesTaken(const QVector<QPoint> &touches);
    /// The user closed the window: after the result, or by cancelling.
    void finished();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void takeTouch(QPoint touch);
    void paintTargets(QPainter &painter);
    void paintResult(QPainter &painter);

    QVector<QPoint> m_targets;
    QVector<QPoint> m_touches;
    calibration::TouchSampler m_sampler;
    std::optional<VerifyResult> m_result;
    QString m_table;
};

}  // namespace frame_tool
