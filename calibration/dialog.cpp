#include "calibration/dialog.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include <algorithm>

#include "calibration/fraction.h"
#include "calibration/target_drawing.h"
#include "calibration/target_grid.h"
#include "ui/form.h"  // for the owner's touchPoints only: this library never calls into Form
#include "ui_dialog.h"

Dialog::Dialog(int x, int y, int width, int height, int n, Form *owner) : QDialog(nullptr), ui(new Ui::Dialog) {
    ui->setupUi(this);
    setWindowFlags(Qt::FramelessWindowHint);
    targetCount = n;
    setGeometry(x, y, width, height);

    // Label and buttons sit at 0.382 of the height, the golden section, centred across.
    const int goldenHeight = calibration::truncatedProduct(height, 0.382);
    ui->label_Comment->setGeometry(width / 2 - 300, goldenHeight - 70, 600, 20);
    const int buttonLeft = calibration::truncatedProduct(width, 0.5) - ui->pushButton_Save->width() / 2;
    ui->pushButton_Save->move(buttonLeft, goldenHeight);
    ui->pushButton_NotSave->move(buttonLeft, goldenHeight + 70);
    ui->pushButton_Save->hide();
    ui->pushButton_NotSave->hide();

    targetsDone = 0;
    this->owner = owner;
    sampleCount = 0;

    // The second line sits between the label and the buttons, as wide as the screen allows.
    m_detail = new QLabel(this);
    m_detail->setObjectName(QStringLiteral("label_Detail"));
    const int detailWidth = std::min(width, 900);
    m_detail->setGeometry((width - detailWidth) / 2, goldenHeight - 48, detailWidth, 44);
    m_detail->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_detail->setTextFormat(Qt::PlainText);  // it names screens and outputs as the system calls them
    m_detail->setWordWrap(true);
    QFont detailFont = m_detail->font();
    detailFont.setPointSize(10);
    m_detail->setFont(detailFont);
    showDetail();
}

Dialog::~Dialog() {
    delete ui;
}

void Dialog::setCompletionCheck(std::function<calibration::RunCheck(const TouchPointTable &)> check) {
    m_completionCheck = std::move(check);
}

void Dialog::addNotice(const QString &text) {
    if (m_notices.contains(text))
        return;
    m_notices << text;
    showDetail();
}

QString Dialog::touchOnOtherScreenNotice(int screenNumber) {
    return tr("有触摸落在了屏幕 %1 上: 触摸框似乎被映射到了错误的屏幕或整个桌面, 详情请运行 orvessa-frame list")
        .arg(screenNumber);
}

void Dialog::showDetail() {
    QStringList lines;
    if (targetsDone < targetCount)
        lines << tr("第 %1 点,共 %2 点 · 按 Esc 放弃").arg(targetsDone + 1).arg(targetCount);
    else if (const QString line = calibration::checkLine(m_check); !line.isEmpty())
        lines << line;
    lines << m_notices;
    m_detail->setText(lines.join(QLatin1Char('\n')));
    m_detail->setStyleSheet(m_check.looksMissed() ? QStringLiteral("color: red") : QString());
}

void Dialog::mousePressEvent(QMouseEvent *event) {
    sampler.press(calibration::toDevicePixels(event->position(), devicePixelRatio()));
}

void Dialog::mouseMoveEvent(QMouseEvent *event) {
    sampler.move(calibration::toDevicePixels(event->position(), devicePixelRatio()));
}

void Dialog::mouseReleaseEvent(QMouseEvent *event) {
    if (const auto touch = sampler.release(calibration::toDevicePixels(event->position(), devicePixelRatio())))
        finishTouch(*touch);
}

void Dialog::finishTouch(QPoint touch) {
    const bool roomInTable = owner && targetsDone < static_cast<int>(owner->touchPoints.size());
    if (targetsDone < targetCount && roomInTable) {
        owner->touchPoints[static_cast<std::size_t>(targetsDone)] =
            calibration::toCalibrationUnits(touch, calibration::toDevicePixels(size(), devicePixelRatio()));
        ++targetsDone;
    }
    update();
    if (targetsDone == targetCount)
        offerToSave();
    else
        showDetail();
}

void Dialog::offerToSave() {
    // The table is complete and no longer changes: one check is enough for every touch that follows.
    if (m_check.verdict == calibration::RunCheck::Verdict::NotChecked && m_completionCheck && owner)
        m_check = m_completionCheck(owner->touchPoints);
    ui->label_Comment->setText(tr("是否保存该次校准结果?"));
    ui->pushButton_Save->show();
    ui->pushButton_NotSave->show();
    if (m_check.looksMissed()) {
        // Saving stays possible, but a hasty Return must not write a missed target into the frame.
        ui->pushButton_NotSave->setDefault(true);
        ui->pushButton_NotSave->setFocus();
    }
    showDetail();
}

void Dialog::paintEvent(QPaintEvent *) {
    const QVector<QPoint> targets = calibration::targetPositions(targetCount, width(), height());
    if (targets.isEmpty())
        return;
    QPainter painter(this);
    const QPen done(Qt::gray, 0, Qt::SolidLine);
    const QPen missed(Qt::red, 2, Qt::SolidLine);
    for (int i = 0; i < targetsDone && i < targets.size(); ++i) {
        painter.setPen(m_check.isMissed(i) ? missed : done);
        calibration::drawTarget(painter, targets[i]);
    }
    if (targetsDone < targetCount && targetsDone < targets.size()) {
        painter.setPen(QPen(QBrush(Qt::blue), 2, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
        calibration::drawTarget(painter, targets[targetsDone]);
    }
}
