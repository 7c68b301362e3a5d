#include "frame_tool/verify_plan.h"

#include <QStringList>

#include <cmath>

#include "calibration/fraction.h"

namespace frame_tool {
namespace {

QString millimetres(const std::optional<double> &value) {
    return value ? QString::number(*value, 'f', 2) : QStringLiteral("-");
}

QString point(QPoint p) {
    return QStringLiteral("%1, %2").arg(p.x()).arg(p.y());
}

QString signedNumber(int value) {
    return value > 0 ? QStringLiteral("+%1").arg(value) : QString::number(value);
}

}  // namespace

QVector<QPoint> verifyTargets(int count, QSize size) {
    const auto at = [&](double x, double y) {
        return QPoint(calibration::truncatedProduct(size.width(), x), calibration::truncatedProduct(size.height(), y));
    };
    if (count == 5)
        return {at(0.1, 0.1), at(0.9, 0.1), at(0.5, 0.5), at(0.1, 0.9), at(0.9, 0.9)};
    if (count != 9)
        return {};
    QVector<QPoint> targets;
    for (const double y : {0.1, 0.5, 0.9})
        for (const double x : {0.1, 0.5, 0.9})
            targets << at(x, y);
    return targets;
}

std::optional<QSizeF> millimetresPerPixel(QSize pixels, QSizeF physicalMillimetres) {
    if (pixels.isEmpty() || !(physicalMillimetres.width() > 0) || !(physicalMillimetres.height() > 0))
        return std::nullopt;
    return QSizeF(physicalMillimetres.width() / pixels.width(), physicalMillimetres.height() / pixels.height());
}

VerifyResult evaluateTouches(const QVector<QPoint> &targets, const QVector<QPoint> &touches,
                             std::optional<QSizeF> millimetresPerPixel, double limitMillimetres) {
    VerifyResult result;
    result.limitMillimetres = limitMillimetres;
    double sumPixels = 0;
    double sumMillimetres = 0;
    for (int i = 0; i < targets.size() && i < touches.size(); ++i) {
        VerifyRow row{targets[i], touches[i], 0, std::nullopt};
        const QPoint offset = touches[i] - targets[i];
        row.errorPixels = std::hypot(offset.x(), offset.y());
        if (millimetresPerPixel)
            row.errorMillimetres =
                std::hypot(offset.x() * millimetresPerPixel->width(), offset.y() * millimetresPerPixel->height());
        sumPixels += row.errorPixels;
        sumMillimetres += row.errorMillimetres.value_or(0);
        result.rows << row;
    }
    if (result.rows.isEmpty())
        return result;
    // The worst by millimetres where known: pixels need not be square.
    const auto size = [](const VerifyRow &row) { return row.errorMillimetres.value_or(row.errorPixels); };
    result.worstIndex = 0;
    for (int i = 1; i < result.rows.size(); ++i)
        if (size(result.rows[i]) > size(result.rows[result.worstIndex]))
            result.worstIndex = i;
    const VerifyRow &worst = result.rows[result.worstIndex];
    const auto count = static_cast<double>(result.rows.size());
    result.meanPixels = sumPixels / count;
    result.worstPixels = worst.errorPixels;
    if (millimetresPerPixel) {
        result.meanMillimetres = sumMillimetres / count;
        result.worstMillimetres = worst.errorMillimetres;
        result.passed = *worst.errorMillimetres <= limitMillimetres;
    }
    return result;
}

QString verifyTable(const VerifyResult &result) {
    QStringList lines;
    const QString format = QStringLiteral("%1 %2 %3 %4 %5 %6 %7");
    lines << format.arg(QStringLiteral("target"), -7)
                 .arg(QStringLiteral("position"), -12)
                 .arg(QStringLiteral("touch"), -12)
                 .arg(QStringLiteral("dx"), 5)
                 .arg(QStringLiteral("dy"), 5)
                 .arg(QStringLiteral("error px"), 9)
                 .arg(QStringLiteral("error mm"), 9);
    for (int i = 0; i < result.rows.size(); ++i) {
        const VerifyRow &row = result.rows[i];
        const QPoint offset = row.touch - row.target;
        lines << format.arg(QString::number(i + 1), -7)
                     .arg(point(row.target), -12)
                     .arg(point(row.touch), -12)
                     .arg(signedNumber(offset.x()), 5)
                     .arg(signedNumber(offset.y()), 5)
                     .arg(QString::number(row.errorPixels, 'f', 1), 9)
                     .arg(millimetres(row.errorMillimetres), 9);
    }
    if (result.rows.isEmpty())
        return lines.join(u'\n') + u'\n';
    const QString summary = QStringLiteral("%1 %2 %3 %4");
    lines << summary.arg(QStringLiteral("mean"), -7)
                 .arg(QString(), -37)
                 .arg(QString::number(result.meanPixels, 'f', 1), 9)
                 .arg(millimetres(result.meanMillimetres), 9)
          << summary.arg(QStringLiteral("worst"), -7)
                 .arg(QStringLiteral("target %1").arg(result.worstIndex + 1), -37)
                 .arg(QString::number(result.worstPixels, 'f', 1), 9)
                 .arg(millimetres(result.worstMillimetres), 9);
    const QString limit = QString::number(result.limitMillimetres, 'g', 4);
    if (!result.worstMillimetres)
        lines << QStringLiteral(
                     "result: failed: the screen reports no physical size, so the limit of %1 mm cannot "
                     "be checked")
                     .arg(limit);
    else
        lines << QStringLiteral("result: %1: worst error %2 mm, limit %3 mm")
                     .arg(result.passed ? QStringLiteral("passed") : QStringLiteral("failed"),
                          millimetres(result.worstMillimetres), limit);
    return lines.join(u'\n') + u'\n';
}

}  // namespace frame_tool
