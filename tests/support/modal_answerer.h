#pragma once

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>

/// Answers the modal message boxes a slot opens, so widget tests can run slots that block in exec().
/// Polls QApplication::activeModalWidget() every 10 ms; each box found is recorded (title, text, button texts,
/// default button text) and answered with the next queued answer, or with its escape/only button when the queue
/// is empty. Use one answerer per test function.
class ModalAnswerer : public QObject {
    Q_OBJECT

public:
    struct Box {
        QString title;
        QString text;
        QStringList buttons;
        QString defaultButton;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        bool waitCursor = false;  // the box came up under an application-wide override cursor
        QString informativeText;
    };

    ModalAnswerer();

private:
    struct Answer {
        QMessageBox::StandardButton standard;
        QString text;
    };

public:
    /// Queue the answer for the next box: a standard button, or a custom button by its text.
    void answer(QMessageBox::StandardButton button) { m_answers.append(Answer{button, {}}); }
    void answer(const QString &buttonText) { m_answers.append(Answer{QMessageBox::NoButton, buttonText}); }

    const QVector<Box> &boxes() const { return m_boxes; }

private:
    void poll();

    QVector<Answer> m_answers;
    QVector<Box> m_boxes;
    QTimer m_timer;
};
