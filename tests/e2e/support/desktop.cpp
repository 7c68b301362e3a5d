#include "support/desktop.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {

// xdotool matches titles with POSIX extended regular expressions; QRegularExpression::escape would also escape
// every non-ASCII character, which such expressions do not define.
QString exactTitle(const QString &title) {
    QString pattern = QStringLiteral("^");
    for (const QChar character : title) {
        if (QStringLiteral(".[]{}()*+?^$|\\").contains(character))
            pattern += QLatin1Char('\\');
        pattern += character;
    }
    return pattern + QLatin1Char('$');
}

}  // namespace

bool pollUntil(const std::function<bool()> &condition, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return condition();
        QTest::qWait(25);
    }
    return true;
}

std::optional<QByteArray> runClient(const QString &variable, const QString &value, const QString &program,
                                    const QStringList &arguments, int timeoutMs) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(variable, value);
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForStarted(5000) ||
        !pollUntil([&] { return process.state() == QProcess::NotRunning; }, timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}

bool Desktop::xdotool(const QStringList &arguments, QString *output) const {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_display);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral("xdotool"), arguments);
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished(1000);
        return false;
    }
    if (output)
        *output = QString::fromUtf8(process.readAllStandardOutput());
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QImage Desktop::screenshot() const {
    const std::optional<QByteArray> png = runClient(
        QStringLiteral("DISPLAY"), m_display, QStringLiteral("import"),
        {QStringLiteral("-silent"), QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("png:-")}, 20000);
    return QImage::fromData(png.value_or(QByteArray()), "PNG");
}

QList<WindowId> Desktop::visibleWindows(const QString &titlePattern) const {
    QStringList arguments{QStringLiteral("search"), QStringLiteral("--onlyvisible")};
    if (m_pid)  // both the process and the title, where xdotool would take either
        arguments << QStringLiteral("--all") << QStringLiteral("--pid") << QString::number(m_pid);
    QString output;
    xdotool(arguments << QStringLiteral("--name") << titlePattern, &output);
    QList<WindowId> windows;
    for (const QString &line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        windows << line.trimmed().toUInt();
    return windows;
}

WindowId Desktop::waitForWindow(const QString &titlePattern, int timeoutMs) const {
    WindowId found = 0;
    pollUntil(
        [&] {
            const QList<WindowId> windows = visibleWindows(titlePattern);
            found = windows.value(0);
            return found != 0;
        },
        timeoutMs);
    return found;
}

bool Desktop::waitUntilGone(WindowId window, int timeoutMs) const {
    const QString id = QString::number(window);
    return pollUntil(
        [&] {
            QString output;
            xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                     QStringLiteral(".*")},
                    &output);
            return !output.split(QLatin1Char('\n')).contains(id);
        },
        timeoutMs);
}

QRect Desktop::geometry(WindowId window) const {
    QString output;
    if (!xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), QString::number(window)}, &output))
        return {};
    // Lines of the form X=770, Y=212, WIDTH=380, HEIGHT=524.
    const auto value = [&](const QString &name) {
        const QRegularExpression line(QStringLiteral("^%1=(-?\\d+)$").arg(name), QRegularExpression::MultilineOption);
        return line.match(output).captured(1).toInt();
    };
    return {value(QStringLiteral("X")), value(QStringLiteral("Y")), value(QStringLiteral("WIDTH")),
            value(QStringLiteral("HEIGHT"))};
}

WindowId Desktop::focusedWindow() const {
    QString output;
    return xdotool({QStringLiteral("getwindowfocus")}, &output) ? output.trimmed().toUInt() : 0;
}

bool Desktop::click(QPoint screenPosition) const {
    return xdotool({QStringLiteral("mousemove"), QString::number(screenPosition.x()),
                    QString::number(screenPosition.y()), QStringLiteral("click"), QStringLiteral("1")});
}

bool Desktop::pressUntilGone(WindowId window, const QString &key, int timeoutMs) const {
    const QString id = QString::number(window);
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (focusedWindow() != window) {
            // Only ever press while the window holds the focus, so that a key can never reach another window.
            if (waitUntilGone(window, 0))
                return true;
            xdotool({QStringLiteral("windowfocus"), id});
            QTest::qWait(25);
            continue;
        }
        xdotool({QStringLiteral("key"), key});
        if (waitUntilGone(window, 500))
            return true;
    }
    return waitUntilGone(window, 0);
}

bool Desktop::answerBox(const QString &title, const QString &key, int timeoutMs) const {
    const WindowId box = waitForWindow(exactTitle(title), timeoutMs);
    return box && pressUntilGone(box, key, timeoutMs);
}
