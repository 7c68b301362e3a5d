#include "calibration/dialog.h"

#include <QMouseEvent>
#include <QPainter>

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
}

Dialog::~Dialog() {
    delete ui;
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
}

void Dialog::offerToSave() {
    ui->label_Comment->setText(tr("是否保存该次校准结果?"));
    ui->pushButton_Save->show();
    ui->pushButton_NotSave->show();
}

void Dialog::paintEvent(QPaintEvent *) {
    const QVector<QPoint> targets = calibration::targetPositions(targetCount, width(), height());
    if (targets.isEmpty())
        return;
    QPainter painter(this);
    painter.setPen(QPen(Qt::gray, 0, Qt::SolidLine));
    for (int i = 0; i < targetsDone && i < targets.size(); ++i)
        calibration::drawTarget(painter, targets[i]);
    if (targetsDone < targetCount && targetsDone < targets.size()) {
        painter.setPen(QPen(QBrush(Qt::blue), 2, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
        calibration::drawTarget(painter, targets[targetsDone]);
    }
}
