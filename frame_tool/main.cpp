// orvessa-frame: the companion command-line tool. List, clear, mode and reset-os-correction run without a display
// (Qt Core only); verify opens a full-screen window and map numbers the screens as the main program does, so both
// start the GUI application.

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "settings/settings_file.h"
#include "device/frame_search.h"
#include "frame_tool/command_line.h"
#include "frame_tool/desktop_commands.h"
#include "frame_tool/frame_commands.h"
#include "frame_tool/list_output.h"
#include "frame_tool/printable.h"
#include "frame_tool/verify_window.h"
#include "platform/graphical_session.h"

using frame_tool::ExitStatus;
using frame_tool::ToolCommand;

namespace {

QTextStream &out() {
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err() {
    static QTextStream stream(stderr);
    return stream;
}

bool displayForMap = false;  // which command reportMissingDisplay speaks for: map, else verify

// Qt ends the process with abort() when it cannot reach the display it was given (a stale DISPLAY over a remote
// shell); verify and map should say why and end with their own failure status instead.
void reportMissingDisplay(QtMsgType type, const QMessageLogContext &, const QString &message) {
    if (type != QtFatalMsg) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        return;
    }
    std::fprintf(stderr, "orvessa-frame %s needs the display of the screen to %s: %s\n",
                 displayForMap ? "map" : "verify", displayForMap ? "map to" : "check", qPrintable(message));
    std::_Exit(static_cast<int>(displayForMap ? ExitStatus::FrameNotUsable : ExitStatus::VerifyFailed));
}

int exitWith(ExitStatus status) {
    out().flush();
    err().flush();
    return static_cast<int>(status);
}

// The settings file of the command, or nullopt (and the message) when one given explicitly does not exist: a typo
// there would otherwise quietly mean the built-in vendor ids only.
std::optional<frame_tool::SettingsReport> settingsOf(const ToolCommand &command) {
    const QString path = command.settingsPath.isEmpty() ? settings::filePath() : command.settingsPath;
    frame_tool::SettingsReport report = frame_tool::readSettingsReport(path);
    if (!report.found && !command.settingsPath.isEmpty()) {
        err() << "no settings file at " << frame_tool::printable(path) << '\n';
        return std::nullopt;
    }
    return report;
}

ExitStatus runList(const ToolCommand &command) {
    const auto settings = settingsOf(command);
    if (!settings)
        return ExitStatus::UsageError;
    const std::vector<device::HidInterface> interfaces = device::enumerateInterfaces();
    const frame_tool::FrameList list =
        frame_tool::judgeInterfaces(interfaces, settings->vendorIds, [](const device::HidInterface &interface) {
            return frame_tool::probeNode(interface.path, interface.vendorId);
        });
    const QVector<frame_tool::FrameDesktop> desktops =
        frame_tool::readFrameDesktops(interfaces, settings->vendorIds, command.inputDevice);
    if (command.json)
        out() << QString::fromUtf8(frame_tool::listJson(*settings, list, desktops));
    else
        out() << frame_tool::listText(*settings, list, desktops);
    return list.status;
}

ExitStatus runCommand(const ToolCommand &command) {
    const auto settings = settingsOf(command);
    if (!settings)
        return ExitStatus::UsageError;
    const std::string device = command.devicePath.toStdString();
    if (command.kind == ToolCommand::Kind::Clear)
        return frame_tool::sendFrameCommand(device::Command::Clear, settings->vendorIds, device,
                                            QStringLiteral("calibration cleared"), out(), err());
    return frame_tool::sendFrameCommand(
        command.multiTouch ? device::Command::MultiTouch : device::Command::SingleTouch, settings->vendorIds, device,
        command.multiTouch ? QStringLiteral("switched to multi-touch") : QStringLiteral("switched to single-touch"),
        out(), err());
}

ExitStatus runDesktopCommand(const ToolCommand &command) {
    const auto settings = settingsOf(command);
    if (!settings)
        return ExitStatus::UsageError;
    if (command.kind == ToolCommand::Kind::ResetOsCorrection)
        return frame_tool::resetOsCorrection(command, settings->vendorIds, out(), err());
    const QList<QScreen *> screens = QGuiApplication::screens();
    const QScreen *screen = screens.value(command.screen);
    if (!screen) {
        err() << "there is no screen " << command.screen << " (screens 0 to " << screens.size() - 1 << ")\n";
        return ExitStatus::UsageError;
    }
    const qreal ratio = screen->devicePixelRatio();
    const QRect geometry = screen->geometry();
    const frame_tool::MapTarget target{command.screen, int(screens.size()), screen->name(),
                                       QRect(geometry.topLeft() * ratio, geometry.size() * ratio)};
    return frame_tool::mapFrame(command, settings->vendorIds, target, out(), err());
}

QString screenHeader(const QScreen &screen, int index, const ToolCommand &command) {
    const QSize pixels = screen.geometry().size();
    const auto scale = frame_tool::millimetresPerPixel(pixels, screen.physicalSize());
    const QString physical = scale ? QStringLiteral("%1 x %2 mm, %3 x %4 mm per pixel")
                                         .arg(screen.physicalSize().width(), 0, 'f', 0)
                                         .arg(screen.physicalSize().height(), 0, 'f', 0)
                                         .arg(scale->width(), 0, 'f', 4)
                                         .arg(scale->height(), 0, 'f', 4)
                                   : QStringLiteral("the screen reports no physical size: errors in pixels only");
    return QStringLiteral("verify: screen %1 \"%2\", %3 x %4 pixels, %5; %6 targets, limit %7 mm\n")
        .arg(index)
        .arg(frame_tool::printable(screen.name()))
        .arg(pixels.width())
        .arg(pixels.height())
        .arg(physical)
        .arg(command.targets)
        .arg(command.limitMillimetres);
}

ExitStatus runVerify(const ToolCommand &command) {
    const QList<QScreen *> screens = QGuiApplication::screens();
    QScreen *screen = command.screen < 0 ? QGuiApplication::primaryScreen() : screens.value(command.screen);
    if (!screen) {
        err() << "there is no screen " << command.screen << " (screens 0 to " << screens.size() - 1 << ")\n";
        return ExitStatus::UsageError;
    }
    const QSize size = screen->geometry().size();
    const QVector<QPoint> targets = frame_tool::verifyTargets(command.targets, size);
    const auto scale = frame_tool::millimetresPerPixel(size, screen->physicalSize());
    out() << screenHeader(*screen, int(screens.indexOf(screen)), command);
    out().flush();

    frame_tool::VerifyWindow window(targets);
    std::optional<frame_tool::VerifyResult> result;
    QObject::connect(&window, &frame_tool::VerifyWindow::touchesTaken, [&](const QVector<QPoint> &touches) {
        result = frame_tool::evaluateTouches(targets, touches, scale, command.limitMillimetres);
        const QString table = frame_tool::verifyTable(*result);
        out() << table;
        out().flush();
        window.showResult(*result, table);
    });
    QObject::connect(&window, &frame_tool::VerifyWindow::finished, &QCoreApplication::quit);
    window.setScreen(screen);
    window.setGeometry(screen->geometry());
    window.showFullScreen();
    QGuiApplication::exec();
    if (!result) {
        err() << "verify cancelled before every target was touched\n";
        return ExitStatus::VerifyFailed;
    }
    return result->passed ? ExitStatus::Done : ExitStatus::VerifyFailed;
}

}  // namespace

int main(int argc, char *argv[]) {
    // Only verify and map need a display; the other commands must run over a remote shell without one.
    QStringList rawArguments;
    for (int i = 0; i < argc; ++i)
        rawArguments << QString::fromLocal8Bit(argv[i]);
    const frame_tool::ParsedCommandLine preliminary = frame_tool::parseCommandLine(rawArguments);
    const auto wanted = preliminary.command ? preliminary.command->kind : ToolCommand::Kind::Help;
    const bool wantsWindow = wanted == ToolCommand::Kind::Verify || wanted == ToolCommand::Kind::Map;
    displayForMap = wanted == ToolCommand::Kind::Map;
    if (wantsWindow) {
        if (const auto missing = platform::missingGraphicalSession(argc, argv)) {
            std::fprintf(stderr, "orvessa-frame %s needs a graphical session: %s\n", displayForMap ? "map" : "verify",
                         qPrintable(*missing));
            return static_cast<int>(displayForMap ? ExitStatus::FrameNotUsable : ExitStatus::VerifyFailed);
        }
    }
    const QtMessageHandler defaultHandler = wantsWindow ? qInstallMessageHandler(reportMissingDisplay) : nullptr;
    std::unique_ptr<QCoreApplication> application(wantsWindow ? new QGuiApplication(argc, argv)
                                                              : new QCoreApplication(argc, argv));
    if (wantsWindow)
        qInstallMessageHandler(defaultHandler);

    // Parsed again from Qt's arguments, which keep every character of the command line on Windows too.
    const frame_tool::ParsedCommandLine parsed = frame_tool::parseCommandLine(QCoreApplication::arguments());
    if (!parsed.command) {
        err() << "orvessa-frame: " << frame_tool::printable(parsed.error) << "\norvessa-frame --help shows the usage\n";
        return exitWith(ExitStatus::UsageError);
    }
    switch (parsed.command->kind) {
        case ToolCommand::Kind::Help:
            out() << frame_tool::helpText();
            return exitWith(ExitStatus::Done);
        case ToolCommand::Kind::Version:
            out() << frame_tool::versionText();
            return exitWith(ExitStatus::Done);
        case ToolCommand::Kind::List:
            return exitWith(runList(*parsed.command));
        case ToolCommand::Kind::Clear:
        case ToolCommand::Kind::Mode:
            return exitWith(runCommand(*parsed.command));
        case ToolCommand::Kind::Verify:
            return exitWith(runVerify(*parsed.command));
        case ToolCommand::Kind::Map:
        case ToolCommand::Kind::ResetOsCorrection:
            return exitWith(runDesktopCommand(*parsed.command));
    }
    return exitWith(ExitStatus::UsageError);
}
