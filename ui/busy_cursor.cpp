#include "ui/busy_cursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace {
int busyScopes = 0;
int userTurnScopes = 0;
bool waitCursorShown = false;

// The wait cursor is on the application's override stack exactly when a busy scope is open and no user turn is:
// one entry at most, whatever order the scopes end in.
void applyCursor() {
    const bool wanted = busyScopes > 0 && userTurnScopes == 0;
    if (wanted == waitCursorShown)
        return;
    if (wanted)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else
        QGuiApplication::restoreOverrideCursor();
    waitCursorShown = wanted;
}
}  // namespace

BusyCursor::BusyCursor() {
    ++busyScopes;
    applyCursor();
}

BusyCursor::~BusyCursor() {
    --busyScopes;
    applyCursor();
}

UserTurnCursor::UserTurnCursor() {
    ++userTurnScopes;
    applyCursor();
}

UserTurnCursor::~UserTurnCursor() {
    --userTurnScopes;
    applyCursor();
}
