#include "ui/message_boxes.h"

#include <QMessageBox>

#include "ui/busy_cursor.h"

namespace messages {

void showError(QWidget *parent, const QString &text) {
    const UserTurnCursor userTurn;
    QMessageBox::warning(parent, QStringLiteral("Error"), text, QMessageBox::Ok, QMessageBox::NoButton);
}

void showOk(QWidget *parent, const QString &text) {
    const UserTurnCursor userTurn;
    QMessageBox::information(parent, QStringLiteral("OK"), text, QMessageBox::Ok, QMessageBox::NoButton);
}

}  // namespace messages
