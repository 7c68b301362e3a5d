#include "platform/touch_mapping.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace platform {
namespace {

constexpr double tolerance = 1e-4;

bool isZero(double value) {
    return std::abs(value) < tolerance;
}

// One coordinate of the region's own (s, t) as u * onU + v * onV + constant.
struct LocalAxis {
    double onU = 0;
    double onV = 0;
    double constant = 0;
};

// (s, t) of Orientation's table, for the device's u after the mirror (u' = 1 - u when mirrored).
std::pair<LocalAxis, LocalAxis> turnedAxes(Orientation::Turn turn) {
    switch (turn) {
        case Orientation::Turn::Normal:
            return {{1, 0, 0}, {0, 1, 0}};
        case Orientation::Turn::Inverted:
            return {{-1, 0, 1}, {0, -1, 1}};
        case Orientation::Turn::RotatedRight:
            return {{0, -1, 1}, {1, 0, 0}};
        case Orientation::Turn::RotatedLeft:
            return {{0, 1, 0}, {-1, 0, 1}};
    }
    return {};
}

LocalAxis mirrorU(LocalAxis axis) {
    return {-axis.onU, axis.onV, axis.constant + axis.onU};
}

// The orientation whose axes have these signs: straight when u moves x (a, e the diagonal), else turned (b, d).
Orientation orientationOf(bool straight, double first, double second) {
    if (straight) {
        if (first > 0)
            return second > 0 ? Orientation{} : Orientation{Orientation::Turn::Inverted, true};
        return second > 0 ? Orientation{Orientation::Turn::Normal, true} : Orientation{Orientation::Turn::Inverted};
    }
    // first: how v moves x; second: how u moves y.
    if (first < 0)
        return {Orientation::Turn::RotatedRight, second < 0};
    return {Orientation::Turn::RotatedLeft, second > 0};
}

bool closeTo(const QRect &a, const QRect &b) {
    return std::abs(a.left() - b.left()) <= 1 && std::abs(a.top() - b.top()) <= 1 &&
           std::abs(a.right() - b.right()) <= 1 && std::abs(a.bottom() - b.bottom()) <= 1;
}

QString number(double value) {
    QString text = QString::number(value, 'f', 6);
    while (text.contains(u'.') && (text.endsWith(u'0') || text.endsWith(u'.')))
        text.chop(1);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

}  // namespace

bool isIdentity(const Matrix3 &matrix) {
    for (std::size_t i = 0; i < matrix.size(); ++i)
        if (std::abs(matrix[i] - identityMatrix[i]) > tolerance)
            return false;
    return true;
}

QString matrixText(const Matrix3 &matrix) {
    QStringList numbers;
    for (const double value : matrix)
        numbers << number(value);
    return numbers.join(u' ');
}

QString orientationText(Orientation orientation) {
    QString turn;
    switch (orientation.turn) {
        case Orientation::Turn::Normal:
            break;
        case Orientation::Turn::RotatedRight:
            turn = QStringLiteral("rotated 90° clockwise");
            break;
        case Orientation::Turn::Inverted:
            turn = QStringLiteral("upside down");
            break;
        case Orientation::Turn::RotatedLeft:
            turn = QStringLiteral("rotated 90° anticlockwise");
            break;
    }
    if (!orientation.mirrored)
        return turn;
    return turn.isEmpty() ? QStringLiteral("mirrored") : QStringLiteral("mirrored and ") + turn;
}

std::optional<CoveredRegion> coveredRegion(const Matrix3 &matrix, QSize desktop) {
    if (desktop.isEmpty() || !isZero(matrix[6]) || !isZero(matrix[7]) || isZero(matrix[8]))
        return std::nullopt;
    const double a = matrix[0] / matrix[8], b = matrix[1] / matrix[8], c = matrix[2] / matrix[8];
    const double d = matrix[3] / matrix[8], e = matrix[4] / matrix[8], f = matrix[5] / matrix[8];
    const bool straight = isZero(b) && isZero(d) && !isZero(a) && !isZero(e);
    const bool turned = isZero(a) && isZero(e) && !isZero(b) && !isZero(d);
    if (!straight && !turned)
        return std::nullopt;

    // The device's corners (0, 0) and (1, 1) land on opposite corners of the region.
    const double left = std::min(c, c + a + b), right = std::max(c, c + a + b);
    const double top = std::min(f, f + d + e), bottom = std::max(f, f + d + e);
    const QPoint topLeft(int(std::lround(left * desktop.width())), int(std::lround(top * desktop.height())));
    const QPoint end(int(std::lround(right * desktop.width())), int(std::lround(bottom * desktop.height())));
    const QRect region(topLeft, QSize(end.x() - topLeft.x(), end.y() - topLeft.y()));
    if (region.isEmpty())
        return std::nullopt;
    return CoveredRegion{region, straight ? orientationOf(true, a, e) : orientationOf(false, b, d)};
}

Matrix3 matrixCovering(const QRect &region, QSize desktop, Orientation orientation) {
    auto [s, t] = turnedAxes(orientation.turn);
    if (orientation.mirrored) {
        s = mirrorU(s);
        t = mirrorU(t);
    }
    const double x = double(region.x()) / desktop.width(), width = double(region.width()) / desktop.width();
    const double y = double(region.y()) / desktop.height(), height = double(region.height()) / desktop.height();
    return {width * s.onU,
            width * s.onV,
            x + width * s.constant,  //
            height * t.onU,
            height * t.onV,
            y + height * t.constant,  //
            0,
            0,
            1};
}

TouchMapping nameRegion(const CoveredRegion &covered, const QVector<DesktopScreen> &screens, QSize desktop) {
    TouchMapping mapping;
    mapping.region = covered.region;
    mapping.orientation = covered.orientation;
    for (const DesktopScreen &screen : screens) {
        if (closeTo(covered.region, screen.geometry)) {
            mapping.kind = TouchMapping::Kind::Screen;
            mapping.screen = screen.name;
            return mapping;
        }
    }
    QRect all;
    for (const DesktopScreen &screen : screens)
        all |= screen.geometry;
    const bool wholeDesktop = closeTo(covered.region, all) || closeTo(covered.region, QRect(QPoint(0, 0), desktop));
    if (screens.size() > 1 && wholeDesktop) {
        mapping.kind = TouchMapping::Kind::WholeDesktop;
        mapping.screenCount = int(screens.size());
        return mapping;
    }
    mapping.kind = TouchMapping::Kind::Elsewhere;
    return mapping;
}

bool sameOutput(const QString &a, const QString &b) {
    static const QRegularExpression hdmiTypeA(QStringLiteral("^HDMI-A-(\\d+)$"));
    const auto common = [](QString name) { return name.replace(hdmiTypeA, QStringLiteral("HDMI-\\1")); };
    return !a.isEmpty() && common(a) == common(b);
}

}  // namespace platform
