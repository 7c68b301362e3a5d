#pragma once

#include <QByteArray>

class QWidget;

/// What a later launch passes to the running copy over the instance socket: the activation tokens its launcher
/// gave it, without which a compositor may refuse to bring another program's window forward. A launch without
/// them (or an older version, which sends nothing) still brings the window forward where the desktop allows it.
struct ActivationRequest {
    QByteArray xdgActivationToken;  ///< XDG_ACTIVATION_TOKEN: Wayland launchers (xdg-activation protocol)
    QByteArray startupId;           ///< DESKTOP_STARTUP_ID: X11 startup notification

    bool operator==(const ActivationRequest &other) const {
        return xdgActivationToken == other.xdgActivationToken && startupId == other.startupId;
    }
};

/// The tokens of this process's own launch, from its environment.
ActivationRequest activationRequestFromEnvironment();

/// The bytes a launch sends: one "NAME=value" line per token it has; nothing without tokens.
QByteArray activationMessage(const ActivationRequest &request);

/// The request carried by @p message. A value is taken only when it is 1..255 printable ASCII characters without
/// spaces, as both kinds of token are; unknown names, other values and a line cut short are ignored, since anyone
/// the user runs can connect.
ActivationRequest parseActivationMessage(const QByteArray &message);

/// Activates @p window with @p request's Wayland token in this process's XDG_ACTIVATION_TOKEN, from where Qt's
/// Wayland platform takes it for the activation request, and clears the variable afterwards so that no later
/// activation reuses a spent token. Without a token this is activateWindow() alone.
void activateWithToken(QWidget &window, const ActivationRequest &request);
