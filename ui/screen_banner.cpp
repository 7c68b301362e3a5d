#include "ui/screen_banner.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "ui/screens.h"

namespace {
constexpr int margin = 24;
QPointer<ScreenBanner> shownBanner;
}  // namespace

ScreenBanner::ScreenBanner(const QString &text)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus |
                           Qt::WindowTransparentForInput | Qt::Tool),
      m_text(text) {
    setObjectName(QStringLiteral("ScreenBanner"));
    setWindowTitle(text);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::NoFocus);
    QFont large = font();
    large.setPointSize(18);
    large.setBold(true);
    setFont(large);
    m_bannerSize = QFontMetrics(large).size(Qt::TextSingleLine, text) + QSize(2 * margin, 2 * margin);
    resize(m_bannerSize);
}

ScreenBanner *ScreenBanner::showOn(QScreen *screen, const QString &text, Placement placement) {
    if (shownBanner)
        shownBanner->close();
    auto *banner = new ScreenBanner(text);
    shownBanner = banner;
    if (screen) {
        banner->winId();  // the screen goes to the window system before the first show, as for the target window
        banner->windowHandle()->setScreen(screen);
        const QRect area = screen->geometry();
        banner->move(screens::placement({area.x(), area.y(), area.width(), area.height()}, banner->size()));
    }
    if (placement == Placement::FullScreen) {
        banner->showFullScreen();
    } else {
        // Fixed, so that a tiling compositor floats the banner instead of giving it a whole tile.
        banner->setFixedSize(banner->size());
        banner->show();
    }
    QTimer::singleShot(displayMilliseconds, banner, &QWidget::close);
    return banner;
}

ScreenBanner *ScreenBanner::current() {
    return shownBanner.data();
}

void ScreenBanner::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QRect banner(QPoint(), m_bannerSize);
    banner.moveCenter(rect().center());
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(20, 20, 20, 200));
    painter.drawRoundedRect(banner, 12, 12);
    painter.setPen(Qt::white);
    painter.drawText(banner, Qt::AlignCenter, m_text);
}

ScreenIdentity identify(const QScreen &screen, int index) {
    const QSize logical = screen.geometry().size();
    const qreal ratio = screen.devicePixelRatio();
    return {index + 1, screen.name(), QSize(qRound(logical.width() * ratio), qRound(logical.height() * ratio))};
}
