#include "calibration/cover_window.h"

#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace {

QLabel *coverLabel(const QString &name, QWidget *cover) {
    auto *label = new QLabel(cover);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);  // screen names come from the system
    QFont font = label->font();
    font.setPointSize(16);
    label->setFont(font);
    return label;
}

}  // namespace

CoverWindow::CoverWindow(int screenNumber, int calibratedNumber, const QString &calibratedName, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      m_screenNumber(screenNumber),
      m_touched(coverLabel(QStringLiteral("label_Touched"), this)) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Cover"));
    QLabel *calibrating = coverLabel(QStringLiteral("label_Cover"), this);
    calibrating->setText(calibratingText(calibratedNumber, calibratedName));
    m_touched->setStyleSheet(QStringLiteral("color: red"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(60, 60, 60, 60);
    layout->addStretch();
    layout->addWidget(calibrating);
    layout->addWidget(m_touched);
    layout->addStretch();
}

QString CoverWindow::calibratingText(int calibratedNumber, const QString &calibratedName) {
    if (calibratedName.isEmpty())
        return tr("正在校准屏幕 %1").arg(calibratedNumber);
    return tr("正在校准屏幕 %1 (%2)").arg(calibratedNumber).arg(calibratedName);
}

void CoverWindow::mouseReleaseEvent(QMouseEvent *event) {
    event->accept();
    m_touched->setText(tr("刚才的触摸落在了这个屏幕 (屏幕 %1) 上。\n触摸框似乎被映射到了错误的屏幕或整个桌面, "
                          "这次触摸没有被采用。\n详情请运行 orvessa-frame list")
                           .arg(m_screenNumber));
    emit touched(m_screenNumber);
}
