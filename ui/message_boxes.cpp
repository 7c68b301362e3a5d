#include "ui/message_boxes.h"

#include <QMessageBox>

#include "ui/busy_cursor.h"

namespace messages {

void showError(QWidget *parent, const QString &text) {
    const UserTurnCursor userTurn;
    QMessageBox::warning(parent, QStringLiteral("Error"), text, QMessageBox::Ok, QMessageBox::NoButton);
}

void showError(QWidget *parent, const QString &text, const QString &detail) {
    if (detail.isEmpty()) {
        showError(parent, text);
        return;
    }
    const UserTurnCursor userTurn;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Error"), text, QMessageBox::Ok, parent);
    box.setDefaultButton(QMessageBox::NoButton);
    box.setInformativeText(QStringLiteral("<small>%1</small>").arg(detail.toHtmlEscaped()));
    box.exec();
}

void showOk(QWidget *parent, const QString &text) {
    const UserTurnCursor userTurn;
    QMessageBox::information(parent, QStringLiteral("OK"), text, QMessageBox::Ok, QMessageBox::NoButton);
}

}  // namespace messages
