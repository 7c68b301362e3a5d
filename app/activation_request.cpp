#include "app/activation_request.h"

#include <algorithm>

#include <QWidget>

namespace {

constexpr char xdgActivationName[] = "XDG_ACTIVATION_TOKEN";
constexpr char startupIdName[] = "DESKTOP_STARTUP_ID";
constexpr qsizetype maxTokenLength = 255;

bool isTokenValue(const QByteArray &value) {
    return !value.isEmpty() && value.size() <= maxTokenLength &&
           std::all_of(value.cbegin(), value.cend(), [](char c) { return c > ' ' && c < 0x7F; });
}

}  // namespace

ActivationRequest activationRequestFromEnvironment() {
    return {qgetenv(xdgActivationName), qgetenv(startupIdName)};
}

QByteArray activationMessage(const ActivationRequest &request) {
    QByteArray message;
    if (isTokenValue(request.xdgActivationToken))
        message += QByteArray(xdgActivationName) + '=' + request.xdgActivationToken + '\n';
    if (isTokenValue(request.startupId))
        message += QByteArray(startupIdName) + '=' + request.startupId + '\n';
    return message;
}

ActivationRequest parseActivationMessage(const QByteArray &message) {
    ActivationRequest request;
    QList<QByteArray> lines = message.split('\n');
    lines.removeLast();  // after the last newline: empty, or a line cut short
    for (const QByteArray &line : std::as_const(lines)) {
        const qsizetype equals = line.indexOf('=');
        const QByteArray name = line.left(equals);
        const QByteArray value = line.mid(equals + 1);
        if (equals < 0 || !isTokenValue(value))
            continue;
        if (name == xdgActivationName)
            request.xdgActivationToken = value;
        else if (name == startupIdName)
            request.startupId = value;
    }
    return request;
}

void activateWithToken(QWidget &window, const ActivationRequest &request) {
    const bool withToken = !request.xdgActivationToken.isEmpty();
    if (withToken)
        qputenv(xdgActivationName, request.xdgActivationToken);
    window.activateWindow();
    if (withToken)
        qunsetenv(xdgActivationName);
}
