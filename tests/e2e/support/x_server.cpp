#include "support/x_server.h"

#include <QDeadlineTimer>
#include <QStandardPaths>
#include <QtTest>

#include "support/desktop.h"

XServer::~XServer() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
    m_process.waitForFinished(5000);
}

bool XServer::toolsInstalled() {
    return !QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty();
}

bool XServer::start(QSize screenSize) {
    const QString screen = QStringLiteral("%1x%2x24").arg(screenSize.width()).arg(screenSize.height());
    // -displayfd: the server picks the first free display and writes its number once it accepts clients.
    // -noreset: an X server resets when its last client leaves, as happens between two programs of a test, and
    // refuses connections while it does.
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start(QStringLiteral("Xvfb"),
                    {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
                     screen, QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-nolisten"),
                     QStringLiteral("unix"), QStringLiteral("-nolock"), QStringLiteral("-noreset")});
    if (!m_process.waitForStarted(5000))
        return false;
    const QDeadlineTimer deadline(10000);
    while (!m_process.canReadLine() && !deadline.hasExpired() && m_process.state() == QProcess::Running)
        QTest::qWait(20);
    if (!m_process.canReadLine())
        return false;
    m_display = QLatin1Char(':') + QString::fromLatin1(m_process.readLine().trimmed());
    return true;
}

bool XServer::splitIntoMonitors(const QList<QRect> &monitors) {
    for (int i = 0; i < monitors.size(); ++i) {
        const QRect &m = monitors[i];
        const auto millimetres = [](int pixels) { return qRound(pixels * 25.4 / 96); };
        // The first monitor takes over the server's one output, so that it no longer counts as a monitor of its own.
        const QStringList arguments{QStringLiteral("--setmonitor"), QStringLiteral("M%1").arg(i + 1),
                                    QStringLiteral("%1/%2x%3/%4+%5+%6")
                                        .arg(m.width())
                                        .arg(millimetres(m.width()))
                                        .arg(m.height())
                                        .arg(millimetres(m.height()))
                                        .arg(m.x())
                                        .arg(m.y()),
                                    i == 0 ? QStringLiteral("screen") : QStringLiteral("none")};
        if (!runClient(QStringLiteral("DISPLAY"), m_display, QStringLiteral("xrandr"), arguments))
            return false;
    }
    return true;
}
