#include "platform/graphical_session.h"

namespace platform {

namespace {

enum class DisplayServer { None, X11, Wayland };

DisplayServer serverOf(const QString &platform) {
    const QString name = platform.section(QLatin1Char(':'), 0, 0).trimmed().toLower();
    if (name == QLatin1String("xcb"))
        return DisplayServer::X11;
    // wayland, wayland-egl, wayland-brcm, …
    if (name.startsWith(QLatin1String("wayland")))
        return DisplayServer::Wayland;
    return DisplayServer::None;
}

QString variableOf(DisplayServer server) {
    return server == DisplayServer::X11 ? QStringLiteral("DISPLAY") : QStringLiteral("WAYLAND_DISPLAY");
}

}  // namespace

DisplayRequest displayRequest(const QStringList &arguments, const QProcessEnvironment &environment) {
    DisplayRequest request;
    request.platforms = environment.value(QStringLiteral("QT_QPA_PLATFORM"));
    request.x11Display = !environment.value(QStringLiteral("DISPLAY")).isEmpty();
    request.waylandDisplay = !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty() ||
                             !environment.value(QStringLiteral("WAYLAND_SOCKET")).isEmpty();
    for (qsizetype i = 1; i + 1 < arguments.size(); ++i) {
        QString option = arguments[i];
        if (option.startsWith(QLatin1String("--")))
            option.remove(0, 1);
        if (option == QLatin1String("-platform"))
            request.platforms = arguments[++i];
        else if (option == QLatin1String("-display"))
            request.x11Display = !arguments[++i].isEmpty();
    }
    return request;
}

std::optional<QString> missingDisplay(const DisplayRequest &request) {
    if (request.platforms.trimmed().isEmpty()) {
        if (request.x11Display || request.waylandDisplay)
            return std::nullopt;
        return QStringLiteral("DISPLAY or WAYLAND_DISPLAY is not set");
    }
    // Qt tries the platforms in turn and takes the first that starts.
    QStringList variables;
    for (const QString &platform : request.platforms.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const DisplayServer server = serverOf(platform);
        if (server == DisplayServer::None || (server == DisplayServer::X11 && request.x11Display) ||
            (server == DisplayServer::Wayland && request.waylandDisplay))
            return std::nullopt;
        if (!variables.contains(variableOf(server)))
            variables << variableOf(server);
    }
    if (variables.isEmpty())
        return std::nullopt;
    return variables.join(QStringLiteral(" or ")) +
           QStringLiteral(" is not set (Qt platform %1)").arg(request.platforms);
}

}  // namespace platform
