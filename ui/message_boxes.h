#pragma once

#include <QString>

class QWidget;

namespace messages {

/// Both boxes lift the wait cursor of a busy operation while they are open (BusyCursor).

/// A failure: modal warning with the untranslated title "Error", the only button Ok, no default button.
void showError(QWidget *parent, const QString &text);

/// showError with @p detail as the box's informative text, a second line in a smaller font below @p text; an
/// empty @p detail gives exactly showError(parent, text).
void showError(QWidget *parent, const QString &text, const QString &detail);

/// A success: modal information with the untranslated title "OK" and the only button Ok.
void showOk(QWidget *parent, const QString &text);

/// showOk with @p detail as the box's informative text; an empty @p detail gives exactly showOk(parent, text).
void showOk(QWidget *parent, const QString &text, const QString &detail);

}  // namespace messages
