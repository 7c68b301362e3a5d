#include "ui/message_boxes.h"

#include <QMessageBox>

namespace messages {

void showError(QWidget *parent, const QString &text) {
    QMessageBox::warning(parent, QStringLiteral("Error"), text, QMessageBox::Ok, QMessageBox::NoButton);
}

void showOk(QWidget *parent, const QString &text) {
    QMessageBox::information(parent, QStringLiteral("OK"), text, QMessageBox::Ok, QMessageBox::NoButton);
}

}  // namespace messages
