#pragma once

#include <QVector>

#include "ui/balloon.h"

/// Records every tray balloon shown while it lives (the offscreen platform has no notification area to look at).
class BalloonRecorder {
public:
    BalloonRecorder() {
        m_previous = balloons::setObserver([this](const Balloon &balloon) { shown.append(balloon); });
    }
    ~BalloonRecorder() { balloons::setObserver(m_previous); }

    BalloonRecorder(const BalloonRecorder &) = delete;
    BalloonRecorder &operator=(const BalloonRecorder &) = delete;

    QVector<Balloon> shown;

private:
    balloons::Observer m_previous;
};
