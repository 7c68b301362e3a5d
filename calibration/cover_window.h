#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QMouseEvent;

/// A plain window over a screen that is not being calibrated, while the target window covers the one that is. It
/// names the screen being calibrated, so that a user who stands at the wrong screen knows where to go; and a touch
/// that lands on it, which a frame mapped to the wrong screen or stretched over the whole desktop sends here, is
/// never stored: the cover says where the touch arrived and what that means. It never takes the focus, so Escape
/// keeps reaching the target window.
class CoverWindow : public QWidget {
    Q_OBJECT

public:
    /// A cover for screen @p screenNumber (counted from 1) while screen @p calibratedNumber, called
    /// @p calibratedName by the system, is calibrated. Give it the target window as @p parent: a window of the
    /// modal target window's family still gets its touches, and it closes with that window.
    CoverWindow(int screenNumber, int calibratedNumber, const QString &calibratedName, QWidget *parent);

    /// The text naming the screen being calibrated, "屏幕 N (name)".
    static QString calibratingText(int calibratedNumber, const QString &calibratedName);

signals:
    /// A touch ended on this cover.
    void touched(int screenNumber);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    int m_screenNumber;
    QLabel *m_touched;
};
