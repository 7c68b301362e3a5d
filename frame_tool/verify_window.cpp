#include "frame_tool/verify_window.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <utility>

#include "calibration/fraction.h"
#include "calibration/target_drawing.h"

namespace frame_tool {
namespace {

// Arrows are drawn this long for the largest error, as a share of the screen's smaller side, so that a 2 mm error
// shows; but never shortened, and never lengthened more than 50 times.
constexpr double arrowShareOfScreen = 0.08;
constexpr double largestArrowScale = 50;

void drawArrow(QPainter &painter, QPointF from, QPointF to) {
    painter.drawLine(from, to);
    const QPointF direction = to - from;
    const double length = std::hypot(direction.x(), direction.y());
    if (length < 1)
        return;
    const QPointF unit = direction / length;
    const QPointF normal(-unit.y(), unit.x());
    painter.drawLine(to, to - unit * 10 + normal * 5);
    painter.drawLine(to, to - unit * 10 - normal * 5);
}

}  // namespace

VerifyWindow::VerifyWindow(QVector<QPoint> targets) : m_targets(std::move(targets)) {
    setTitle(QStringLiteral("orvessa-frame verify"));
}

void VerifyWindow::showResult(const VerifyResult &result, const QString &table) {
    m_result = result;
    m_table = table;
    update();
}

void VerifyWindow::mousePressEvent(QMouseEvent *event) {
    if (m_result) {
        emit finished();
        return;
    }
    m_sampler.press(event->position().toPoint());
}

void VerifyWindow::mouseMoveEvent(QMouseEvent *event) {
    m_sampler.move(event->position().toPoint());
}

void VerifyWindow::mouseReleaseEvent(QMouseEvent *event) {
    if (m_result || m_touches.size() == m_targets.size())
        return;
    if (const auto touch = m_sampler.release(event->position().toPoint()))
        takeTouch(*touch);
}

void VerifyWindow::keyPressEvent(QKeyEvent *event) {
    if (m_result || event->key() == Qt::Key_Escape)
        emit finished();
}

void VerifyWindow::takeTouch(QPoint touch) {
    m_touches << touch;
    update();
    if (m_touches.size() == m_targets.size())
        emit touchesTaken(m_touches);
}

void VerifyWindow::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(QRect(QPoint(), size()), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_result)
        paintResult(painter);
    else
        paintTargets(painter);
}

void VerifyWindow::paintTargets(QPainter &painter) {
    painter.setPen(QPen(Qt::gray, 0));
    for (int i = 0; i < m_touches.size(); ++i)
        calibration::drawTarget(painter, m_targets[i]);
    if (m_touches.size() < m_targets.size()) {
        painter.setPen(QPen(QColor(0, 120, 0), 2));
        calibration::drawTarget(painter, m_targets[m_touches.size()]);
    }
    QFont font = painter.font();
    font.setPointSize(14);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, height() / 3, width(), 40), Qt::AlignCenter,
                     QStringLiteral("Check of the calibration: touch the centre of each green target (%1 of %2). "
                                    "Escape cancels.")
                         .arg(std::min(m_touches.size() + 1, m_targets.size()))
                         .arg(m_targets.size()));
}

void VerifyWindow::paintResult(QPainter &painter) {
    const double longest = std::max(1.0, m_result->worstPixels);
    const double scale =
        std::clamp(std::floor(std::min(width(), height()) * arrowShareOfScreen / longest), 1.0, largestArrowScale);
    for (const VerifyRow &row : m_result->rows) {
        const bool withinLimit = row.errorMillimetres && *row.errorMillimetres <= m_result->limitMillimetres;
        painter.setPen(QPen(Qt::gray, 0));
        calibration::drawTarget(painter, row.target);
        painter.setPen(QPen(withinLimit ? QColor(0, 120, 0) : QColor(200, 0, 0), 2));
        drawArrow(painter, row.target, QPointF(row.target) + QPointF(row.touch - row.target) * scale);
        painter.drawEllipse(row.touch, 2, 2);
    }

    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(11);
    painter.setFont(font);
    const QString text =
        m_table +
        QStringLiteral("\narrows drawn %1 times their length; touch the screen or press a key to close").arg(scale);
    // Centred between the top row of targets and the middle one, where no target and no arrow lies.
    const QRect box = QFontMetrics(font).boundingRect(QRect(0, 0, width(), height()), Qt::AlignLeft, text);
    const QPoint centre(width() / 2, calibration::truncatedProduct(height(), 0.3));
    const QRect placed = box.translated(centre - box.center()).adjusted(-12, -12, 12, 12);
    painter.setPen(Qt::black);
    painter.setBrush(QColor(255, 255, 255, 230));
    painter.drawRect(placed);
    painter.drawText(placed.adjusted(12, 12, -12, -12), Qt::AlignLeft, text);
}

}  // namespace frame_tool
