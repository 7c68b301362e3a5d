#include "support/wayland_session.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtTest>

#include <unistd.h>

#include "support/desktop.h"

namespace {

// sway's own rule: it will not run as root. nobody owns nothing it could harm.
constexpr uid_t unprivilegedId = 65534;

QRect rectOf(const QJsonObject &object) {
    return {object.value(QStringLiteral("x")).toInt(), object.value(QStringLiteral("y")).toInt(),
            object.value(QStringLiteral("width")).toInt(), object.value(QStringLiteral("height")).toInt()};
}

void collectViews(const QJsonObject &node, const QString &output, qint64 pid, QList<WaylandView> &views) {
    const QString type = node.value(QStringLiteral("type")).toString();
    const QString here = type == QLatin1String("output") ? node.value(QStringLiteral("name")).toString() : output;
    if ((type == QLatin1String("con") || type == QLatin1String("floating_con")) &&
        node.value(QStringLiteral("pid")).toInteger() == pid) {
        const QRect rect = rectOf(node.value(QStringLiteral("rect")).toObject());
        const QRect window = rectOf(node.value(QStringLiteral("window_rect")).toObject());
        views << WaylandView{node.value(QStringLiteral("name")).toString(),
                             here,
                             window.translated(rect.topLeft()),
                             node.value(QStringLiteral("focused")).toBool(),
                             node.value(QStringLiteral("fullscreen_mode")).toInt() != 0,
                             pid};
    }
    for (const QString &children : {QStringLiteral("nodes"), QStringLiteral("floating_nodes")})
        for (const QJsonValue child : node.value(children).toArray())
            collectViews(child.toObject(), here, pid, views);
}

}  // namespace

WaylandSession::~WaylandSession() {
    for (QProcess *process : {&m_input, &m_sway}) {
        if (process->state() == QProcess::NotRunning)
            continue;
        process->terminate();
        if (!process->waitForFinished(5000))
            process->kill();
        process->waitForFinished(5000);
    }
}

bool WaylandSession::toolsInstalled() {
    QStringList tools{QStringLiteral("sway"), QStringLiteral("swaymsg"), QStringLiteral("wtype")};
    if (::geteuid() == 0)
        tools << QStringLiteral("setpriv");
    return std::all_of(tools.cbegin(), tools.cend(),
                       [](const QString &tool) { return !QStandardPaths::findExecutable(tool).isEmpty(); });
}

bool WaylandSession::start(const QString &configuration) {
    if (!m_folder.isValid())
        return false;
    const QString runtime = m_folder.filePath(QStringLiteral("run"));
    const QString config = m_folder.filePath(QStringLiteral("sway.conf"));
    QFile file(config);
    if (!QDir().mkpath(runtime) || !file.open(QIODevice::WriteOnly) || file.write(configuration.toUtf8()) < 0)
        return false;
    file.close();
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(config, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    // The folder is made 0700 by its owner, as a session's runtime folder is.
    QString program = QStringLiteral("sway");
    QStringList arguments{QStringLiteral("--config"), config};
    if (::geteuid() == 0) {
        QFile::setPermissions(m_folder.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeOther);
        if (::chown(QFile::encodeName(runtime).constData(), unprivilegedId, unprivilegedId) != 0)
            return false;
        arguments =
            QStringList{QStringLiteral("--reuid=%1").arg(unprivilegedId),
                        QStringLiteral("--regid=%1").arg(unprivilegedId), QStringLiteral("--clear-groups"), program} +
            arguments;
        program = QStringLiteral("setpriv");
    }
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
    environment.insert(QStringLiteral("HOME"), runtime);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    environment.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
    environment.insert(QStringLiteral("WLR_HEADLESS_OUTPUTS"), QStringLiteral("2"));
    environment.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
    environment.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));  // no GPU here
    m_sway.setProcessEnvironment(environment);
    m_sway.setStandardOutputFile(m_folder.filePath(QStringLiteral("sway.log")));
    m_sway.setStandardErrorFile(m_folder.filePath(QStringLiteral("sway.log")), QIODevice::Append);
    m_sway.start(program, arguments);

    const bool ready = pollUntil(
        [&] {
            const QStringList sockets = QDir(runtime).entryList({QStringLiteral("sway-ipc.*.sock")}, QDir::System);
            if (sockets.isEmpty() || !QFile::exists(runtime + QStringLiteral("/wayland-1")))
                return false;
            m_swaySocket = runtime + QLatin1Char('/') + sockets.first();
            m_display = runtime + QStringLiteral("/wayland-1");
            return command(QStringLiteral("nop"));
        },
        15000);
    if (!ready)
        return false;
    QProcessEnvironment inputEnvironment = QProcessEnvironment::systemEnvironment();
    inputEnvironment.insert(QStringLiteral("WAYLAND_DISPLAY"), m_display);
    m_input.setProcessEnvironment(inputEnvironment);
    m_input.start(QStringLiteral(ORVESSA_WAYLAND_INPUT), {});
    return m_input.waitForStarted(5000) && m_input.waitForReadyRead(5000) && m_input.readLine().trimmed() == "ready";
}

bool WaylandSession::command(const QString &command) const {
    return runClient(QStringLiteral("WAYLAND_DISPLAY"), m_display, QStringLiteral("swaymsg"),
                     {QStringLiteral("-s"), m_swaySocket, command})
        .has_value();
}

QJsonObject WaylandSession::tree() const {
    const std::optional<QByteArray> tree = runClient(
        QStringLiteral("WAYLAND_DISPLAY"), m_display, QStringLiteral("swaymsg"),
        {QStringLiteral("-s"), m_swaySocket, QStringLiteral("-r"), QStringLiteral("-t"), QStringLiteral("get_tree")});
    return QJsonDocument::fromJson(tree.value_or(QByteArray())).object();
}

QList<WaylandView> WaylandSession::views(qint64 pid) const {
    QList<WaylandView> views;
    collectViews(tree(), {}, pid, views);
    return views;
}

WaylandView WaylandSession::waitForView(qint64 pid, const QString &titlePattern, int timeoutMs) const {
    const QRegularExpression title(titlePattern);
    WaylandView found;
    pollUntil(
        [&] {
            for (const WaylandView &view : views(pid))
                if (title.match(view.title).hasMatch()) {
                    found = view;
                    return true;
                }
            return false;
        },
        timeoutMs);
    return found;
}

bool WaylandSession::waitUntilGone(qint64 pid, const QString &titlePattern, int timeoutMs) const {
    return pollUntil([&] { return waitForView(pid, titlePattern, 0).pid == 0; }, timeoutMs);
}

QString WaylandSession::ask(const QString &line) {
    m_input.write(line.toUtf8() + '\n');
    if (!m_input.waitForReadyRead(10000))
        return {};
    return QString::fromUtf8(m_input.readLine()).trimmed();
}

bool WaylandSession::click(QPoint position, int subdivision) {
    // The position is a fraction of the layout's bounding box, which starts at (0, 0) here.
    QRect layout;
    for (const QJsonValue output : tree().value(QStringLiteral("nodes")).toArray())
        if (!output.toObject().value(QStringLiteral("name")).toString().startsWith(QLatin1String("__")))
            layout |= rectOf(output.toObject().value(QStringLiteral("rect")).toObject());
    const QString line = QStringLiteral("click %1 %2 %3 %4")
                             .arg(position.x())
                             .arg(position.y())
                             .arg((layout.right() + 1) * subdivision)
                             .arg((layout.bottom() + 1) * subdivision);
    return ask(line) == QLatin1String("ok");
}

bool WaylandSession::key(const QString &key) const {
    // wtype makes a keyboard for each call; the pause lets the program bind it before the key arrives.
    return runClient(QStringLiteral("WAYLAND_DISPLAY"), m_display, QStringLiteral("wtype"),
                     {QStringLiteral("-s"), QStringLiteral("300"), QStringLiteral("-k"), key})
        .has_value();
}

QByteArray WaylandSession::activationToken() {
    const QString answer = ask(QStringLiteral("token"));
    return answer.startsWith(QLatin1String("token ")) ? answer.mid(6).toLatin1() : QByteArray();
}
