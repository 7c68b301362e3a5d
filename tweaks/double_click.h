#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QStringList>

#include "platform/mouse_settings.h"
#include "platform/restart_command.h"

class QObject;
class QProcess;

namespace tweaks {

/// The three double-click values as integers: rectangle height and width in pixels, speed in milliseconds.
struct DoubleClickValues {
    int height = 0;
    int width = 0;
    int speed = 0;
};

/// What touch input needs: a 50 x 50 pixel rectangle and 500 ms.
inline constexpr DoubleClickValues optimisedValues{50, 50, 500};

/// Reads "DoubleClickHeight", "DoubleClickWidth" and "DoubleClickSpeed" from @p store, in that order; a missing
/// or non-numeric value reads as 0.
DoubleClickValues readDoubleClickValues(const platform::MouseSettings &store);

/// True when all three values are on target.
bool isOptimised(const DoubleClickValues &values);

/// Writes "50", "50" and "500" to "DoubleClickHeight", "DoubleClickWidth" and "DoubleClickSpeed", in that order,
/// also values that are already on target; a failed write does not stop the others.
/// @return where the values that could not be written are kept (each place once); empty when all were written.
QStringList writeOptimisedValues(platform::MouseSettings &store);

/// The desktop's store (platform::openMouseSettings), or what the installed opener gives.
std::unique_ptr<platform::MouseSettings> openMouseSettings();

using MouseSettingsOpener = std::function<std::unique_ptr<platform::MouseSettings>()>;

/// Makes openMouseSettings() use @p opener (tests); an empty opener restores the desktop's store.
/// @return the opener installed before.
MouseSettingsOpener setMouseSettingsOpener(MouseSettingsOpener opener);

/// Starts the command that restarts the computer (platform::restartCommand(): on Linux the session manager's
/// reboot request) as a child process of @p parent, without waiting for it.
/// A command that cannot be started is not reported. @return the process, owned by @p parent.
QProcess *startRestart(QObject *parent);

/// Makes startRestart() run @p command instead of the real restart (tests); no value restores the real one.
/// @return the replacement installed before.
std::optional<platform::Command> setRestartCommandOverride(std::optional<platform::Command> command);

}  // namespace tweaks
