#pragma once

#include <QString>

class QWidget;

namespace messages {

/// Both boxes lift the wait cursor of a busy operation while they are open (BusyCursor).

/// A failure: modal warning with the untranslated title "Error", the only button Ok, no default button.
void showError(QWidget *parent, const QString &text);

/// A success: modal information with the untranslated title "OK" and the only button Ok.
void showOk(QWidget *parent, const QString &text);

}  // namespace messages
