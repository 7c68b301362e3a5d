#pragma once

/// Shows the wait cursor over the whole program while it lives. A device operation blocks the GUI thread for
/// seconds (the frame search waits 1.5 s before every open attempt); the cursor is the only sign of life then.
/// Scopes may nest; the cursor goes back when the last one ends, on every way out of the slot.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

/// Lifts the wait cursor while the program waits for the user (a message box, the target window) in the middle
/// of a busy operation, and puts it back afterwards. Outside a busy operation it changes nothing.
class UserTurnCursor {
public:
    UserTurnCursor();
    ~UserTurnCursor();
    UserTurnCursor(const UserTurnCursor &) = delete;
    UserTurnCursor &operator=(const UserTurnCursor &) = delete;
};
