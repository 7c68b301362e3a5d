#include "tweaks/double_click.h"

#include <utility>

#include <QProcess>

namespace tweaks {

namespace {
const QString heightName = QStringLiteral("DoubleClickHeight");
const QString widthName = QStringLiteral("DoubleClickWidth");
const QString speedName = QStringLiteral("DoubleClickSpeed");

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
    values.height = store.value(heightName).toInt();
    values.width = store.value(widthName).toInt();
    values.speed = store.value(speedName).toInt();
    return values;
}

bool isOptimised(const DoubleClickValues &values) {
    return values.height == optimisedValues.height && values.width == optimisedValues.width &&
           values.speed == optimisedValues.speed;
}

void writeOptimisedValues(platform::MouseSettings &store) {
    store.setValue(heightName, QString::number(optimisedValues.height));
    store.setValue(widthName, QString::number(optimisedValues.width));
    store.setValue(speedName, QString::number(optimisedValues.speed));
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
    const platform::Command command = restartOverride().value_or(platform::restartCommand());
    auto *process = new QProcess(parent);
    process->start(command.program, command.arguments, QIODevice::ReadWrite);
    return process;
}

std::optional<platform::Command> setRestartCommandOverride(std::optional<platform::Command> command) {
    return std::exchange(restartOverride(), std::move(command));
}

}  // namespace tweaks
