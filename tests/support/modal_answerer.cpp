#include "support/modal_answerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>

ModalAnswerer::ModalAnswerer() {
    m_timer.setInterval(10);
    connect(&m_timer, &QTimer::timeout, this, &ModalAnswerer::poll);
    m_timer.start();
}

void ModalAnswerer::poll() {
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    Box seen{box->windowTitle(),    box->text(), {}, {}, box->icon(), QGuiApplication::overrideCursor() != nullptr,
             box->informativeText()};
    for (QAbstractButton *button : box->buttons())
        seen.buttons << button->text();
    if (box->defaultButton())
        seen.defaultButton = box->defaultButton()->text();
    m_boxes.append(seen);

    QAbstractButton *choice = nullptr;
    if (!m_answers.isEmpty()) {
        const Answer next = m_answers.takeFirst();
        if (next.standard != QMessageBox::NoButton) {
            choice = box->button(next.standard);
        } else {
            for (QAbstractButton *button : box->buttons())
                if (button->text() == next.text)
                    choice = button;
        }
    }
    if (!choice)
        choice = box->escapeButton() ? box->escapeButton() : box->buttons().value(0);
    if (choice)
        choice->click();
    else
        box->reject();
}
