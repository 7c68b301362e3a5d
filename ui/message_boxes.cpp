#include "ui/message_boxes.h"

#include <QMessageBox>

#include "ui/busy_cursor.h"

namespace messages {

void showError(QWidget *parent, const QString &text) {
    const UserTurnCursor userTurn;
    QMessageBox::warning(parent, QStringLiteral("Error"), text, QMessageBox::Ok, QMessageBox::NoButton);
}

namespace {

// A box like the plain ones with @p detail below the text, in a smaller font.
void showWithDetail(QMessageBox::Icon icon, const QString &title, QWidget *parent, const QString &text,
                    const QString &detail) {
    const UserTurnCursor userTurn;
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.setDefaultButton(QMessageBox::NoButton);
    box.setInformativeText(QStringLiteral("<small>%1</small>").arg(detail.toHtmlEscaped()));
    box.exec();
}

}  // namespace

void showError(QWidget *parent, const QString &text, const QString &detail) {
    if (detail.isEmpty())
        showError(parent, text);
    else
        showWithDetail(QMessageBox::Warning, QStringLiteral("Error"), parent, text, detail);
}

void showOk(QWidget *parent, const QString &text) {
    const UserTurnCursor userTurn;
    QMessageBox::information(parent, QStringLiteral("OK"), text, QMessageBox::Ok, QMessageBox::NoButton);
}

void showOk(QWidget *parent, const QString &text, const QString &detail) {
    if (detail.isEmpty())
        showOk(parent, text);
    else
        showWithDetail(QMessageBox::Information, QStringLiteral("OK"), parent, text, detail);
}

}  // namespace messages
