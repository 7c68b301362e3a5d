#include "tweaks/double_click.h"

#include <utility>

#include <QProcess>

namespace tweaks {

namespace {
MouseSettingsOpener &installedOpener() {
    static MouseSettingsOpener opener;
    return opener;
}

std::optional<platform::Command> &restartOverride() {
    static std::optional<platform::Command> command;
    return command;
}
}  // namespace

DoubleClickValues readDoubleClickValues(const platform::MouseSettings &store) {
    DoubleClickValues values;
    // QString::toInt gives 0 for an empty or non-numeric value.
    values.height = store.value(platform::doubleClickHeight).toInt();
    values.width = store.value(platform::doubleClickWidth).toInt();
    values.speed = store.value(platform::doubleClickSpeed).toInt();
    return values;
}

bool isOptimised(const DoubleClickValues &values) {
    return values.height == optimisedValues.height && values.width == optimisedValues.width &&
           values.speed == optimisedValues.speed;
}

QStringList writeOptimisedValues(platform::MouseSettings &store) {
    const std::pair<QString, int> targets[] = {{platform::doubleClickHeight, optimisedValues.height},
                                               {platform::doubleClickWidth, optimisedValues.width},
                                               {platform::doubleClickSpeed, optimisedValues.speed}};
    QStringList failed;
    for (const auto &[name, value] : targets) {
        if (!store.setValue(name, QString::number(value)) && !failed.contains(store.location(name)))
            failed << store.location(name);
    }
    return failed;
}

std::unique_ptr<platform::MouseSettings> openMouseSettings() {
    if (const auto &opener = installedOpener())
        return opener();
    return platform::openMouseSettings();
}

MouseSettingsOpener setMouseSettingsOpener(MouseSettingsOpener opener) {
    return std::exchange(installedOpener(), std::move(opener));
}

QProcess *startRestart(QObject *parent) {
    // The real command asks the session bus which session manager runs: only when no stand-in is installed.
    const platform::Command command = restartOverride() ? *restartOverride() : platform::restartCommand();
    auto *process = new QProcess(parent);
    process->start(command.program, command.arguments, QIODevice::ReadWrite);
    return process;
}

std::optional<platform::Command> setRestartCommandOverride(std::optional<platform::Command> command) {
    return std::exchange(restartOverride(), std::move(command));
}

}  // namespace tweaks
