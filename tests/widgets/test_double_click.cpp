#include <QtTest>

#include <QMessageBox>
#include <QProcess>
#include <QPushButton>

#include "support/modal_answerer.h"
#include "support/private_session_bus.h"
#include "support/tray_settings.h"
#include "tweaks/double_click.h"
#include "ui/form.h"
#include "ui_form.h"

namespace {

const QString question = QStringLiteral("优化已完成,重启计算机后生效.\n是否现在重启?");
const QString restartNow = QStringLiteral("现在重启");
const QString restartLater = QStringLiteral("稍后重启");

// An in-memory store that records every write in order.
class RecordingStore : public platform::MouseSettings {
public:
    QMap<QString, QString> values;
    QStringList writes;

    QString value(const QString &name) const override { return values.value(name); }
    bool setValue(const QString &name, const QString &text) override {
        values[name] = text;
        writes << name + QLatin1Char('=') + text;
        return true;
    }
    QString location(const QString &) const override { return {}; }
};

// What the slot opens: forwards to the test's recording store, which outlives it.
class ForwardingStore : public platform::MouseSettings {
public:
    explicit ForwardingStore(RecordingStore *target) : m_target(target) {}
    QString value(const QString &name) const override { return m_target->value(name); }
    bool setValue(const QString &name, const QString &text) override { return m_target->setValue(name, text); }
    QString location(const QString &name) const override { return m_target->location(name); }

private:
    RecordingStore *m_target;
};

// What a desktop's settings tool prints: how the desktop reads its store.
QString toolOutput(const QStringList &command) {
    QProcess tool;
    tool.start(command.first(), command.mid(1));
    return tool.waitForFinished(10000) ? QString::fromUtf8(tool.readAllStandardOutput()).trimmed() : QString();
}

// A harmless stand-in for the restart command, so that no test can restart the machine.
#ifdef Q_OS_WIN
const platform::Command harmlessRestart{QStringLiteral("cmd.exe"), {QStringLiteral("/c"), QStringLiteral("rem")}};
#else
const platform::Command harmlessRestart{QStringLiteral("true"), {QStringLiteral("--restart-stand-in")}};
#endif

QList<QProcess *> startedProcesses(const Form &form) {
    return form.findChildren<QProcess *>(QString(), Qt::FindDirectChildrenOnly);
}

}  // namespace

class TestDoubleClick : public QObject {
    Q_OBJECT

private:
    RecordingStore store;  // shared by the opener below; reset before every test
    std::optional<TraySettings> settings;

private slots:
    void initTestCase() {
        tweaks::setRestartCommandOverride(harmlessRestart);
        tweaks::setMouseSettingsOpener([this] { return std::make_unique<ForwardingStore>(&store); });
    }
    void init() {
        store = RecordingStore();
        settings.emplace(windowModeSettings);
    }
    void cleanup() {
        settings.reset();
        qunsetenv("XDG_CURRENT_DESKTOP");
        qputenv("GSETTINGS_BACKEND", "memory");
    }

    void valuesDecideBetweenNothingToDoAndTheQuestion_data() {
        QTest::addColumn<QStringList>("stored");  // height, width, speed; "-" for a missing value
        QTest::addColumn<bool>("alreadyOptimised");
        QTest::newRow("4 x 4 at 500 ms is widened") << QStringList{"4", "4", "500"} << false;
        QTest::newRow("50 x 50 at 500 ms is left alone") << QStringList{"50", "50", "500"} << true;
        QTest::newRow("50 x 50 at 400 ms: one value off rewrites all") << QStringList{"50", "50", "400"} << false;
        QTest::newRow("only the height off") << QStringList{"4", "50", "500"} << false;
        QTest::newRow("only the width off") << QStringList{"50", "4", "500"} << false;
        QTest::newRow("missing values read as 0") << QStringList{"-", "-", "-"} << false;
        QTest::newRow("missing speed reads as 0") << QStringList{"50", "50", "-"} << false;
        QTest::newRow("non-numeric value reads as 0") << QStringList{"fifty", "50", "500"} << false;
    }
    void valuesDecideBetweenNothingToDoAndTheQuestion() {
        QFETCH(QStringList, stored);
        QFETCH(bool, alreadyOptimised);
        const QStringList names{"DoubleClickHeight", "DoubleClickWidth", "DoubleClickSpeed"};
        for (int i = 0; i < 3; ++i)
            if (stored[i] != QLatin1String("-"))
                store.values[names[i]] = stored[i];

        Form form;
        ModalAnswerer answerer;
        answerer.answer(restartLater);
        form.ui->pushButton_DblClick->click();

        QCOMPARE(answerer.boxes().size(), 1);
        const ModalAnswerer::Box &box = answerer.boxes()[0];
        QCOMPARE(box.title, QStringLiteral("OK"));
        QCOMPARE(box.icon, QMessageBox::Information);
        if (alreadyOptimised) {
            QCOMPARE(box.text, QStringLiteral("已优化过,无需重复优化."));
            QCOMPARE(box.buttons.size(), 1);
            QVERIFY(store.writes.isEmpty());
        } else {
            QCOMPARE(box.text, question);
            QCOMPARE(box.buttons, (QStringList{restartNow, restartLater}));
            QCOMPARE(box.defaultButton, restartLater);
            QCOMPARE(store.writes,
                     (QStringList{"DoubleClickHeight=50", "DoubleClickWidth=50", "DoubleClickSpeed=500"}));
        }
        QVERIFY(startedProcesses(form).isEmpty());
    }

    void restartStartsOnlyOnRestartNow() {
        Form form;
        ModalAnswerer answerer;
        answerer.answer(restartNow);
        form.onButtonDblClick();
        const QList<QProcess *> processes = startedProcesses(form);
        QCOMPARE(processes.size(), 1);
        QCOMPARE(processes[0]->program(), harmlessRestart.program);
        QCOMPARE(processes[0]->arguments(), harmlessRestart.arguments);
        QVERIFY(processes[0]->waitForFinished(5000));  // it really ran: the slot started it and did not wait
        QCOMPARE(processes[0]->exitCode(), 0);
    }

    void questionHasNoEscapeAndReturnPicksLater() {
        Form form;
        bool hadEscapeButton = true;
        QTimer poller;
        poller.setInterval(10);
        connect(&poller, &QTimer::timeout, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            hadEscapeButton = box->escapeButton() != nullptr;
            QTest::keyClick(box, Qt::Key_Escape);  // no escape button designated: the box stays open
            if (box->isVisible())
                QTest::keyClick(box, Qt::Key_Return);
        });
        poller.start();
        form.onButtonDblClick();
        poller.stop();
        QVERIFY(!hadEscapeButton);
        QVERIFY(startedProcesses(form).isEmpty());
        QCOMPARE(store.writes.size(), 3);
    }

    void failedWriteSaysWhereAndOffersNoRestart() {
#ifdef Q_OS_WIN
        QSKIP("the Linux stores; scripts/windows/test.sh reads the Windows values with reg query");
#endif
        // A folder in settings.ini's place, where all three values live when no desktop is named: one place, named
        // once.
        const QString where = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/gtk-3.0/settings.ini");
        QVERIFY(QDir().mkpath(where));
        const auto previous = tweaks::setMouseSettingsOpener({});
        Form form;
        ModalAnswerer answerer;
        form.ui->pushButton_DblClick->click();
        tweaks::setMouseSettingsOpener(previous);
        QDir(where).removeRecursively();

        QCOMPARE(answerer.boxes().size(), 1);
        QCOMPARE(answerer.boxes()[0].title, QStringLiteral("Error"));
        QCOMPARE(answerer.boxes()[0].icon, QMessageBox::Warning);
        QCOMPARE(answerer.boxes()[0].text, QStringLiteral("双击设置未能修改,无法写入:\n") + where);
        QCOMPARE(answerer.boxes()[0].buttons, QStringList{"OK"});
        QVERIFY(startedProcesses(form).isEmpty());
    }

    // The desktop's own store in private folders and on a private session bus, end to end through the button;
    // then read the way that desktop reads it. A second click finds nothing left to do.
    void eachDesktopGetsItsOwnStore_data() {
        const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
        const QString gtkDistance = QStringLiteral("gtk-double-click-distance=25");
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QList<QStringList>>("reads");  // command and arguments, then the output expected
        QTest::newRow("GNOME: GSettings in dconf, GTK's distance")
            << "ubuntu:GNOME"
            << QList<QStringList>{{"gsettings", "get", "org.gnome.desktop.peripherals.mouse", "double-click", "500"},
                                  {"grep", "-x", gtkDistance, config + "/gtk-3.0/settings.ini", gtkDistance}};
        QTest::newRow("Plasma: kdeglobals, keeping its other groups")
            << "KDE"
            << QList<QStringList>{
                   {"cat", config + "/kdeglobals", "[General]\nColorScheme=Breeze\n\n[KDE]\nDoubleClickInterval=500"}};
        QTest::newRow("Xfce: xfconf's xsettings channel")
            << "XFCE"
            << QList<QStringList>{{"xfconf-query", "-c", "xsettings", "-p", "/Net/DoubleClickTime", "500"},
                                  {"xfconf-query", "-c", "xsettings", "-p", "/Net/DoubleClickDistance", "25"}};
        QTest::newRow("MATE: its settings daemon's GSettings key, GTK's distance")
            << "MATE"
            << QList<QStringList>{{"gsettings", "get", "org.mate.peripherals-mouse", "double-click", "500"},
                                  {"grep", "-x", gtkDistance, config + "/gtk-3.0/settings.ini", gtkDistance}};
        QTest::newRow("Cinnamon: its settings daemon's GSettings key, GTK's distance")
            << "X-Cinnamon"
            << QList<QStringList>{{"gsettings", "get", "org.cinnamon.desktop.peripherals.mouse", "double-click", "500"},
                                  {"grep", "-x", gtkDistance, config + "/gtk-3.0/settings.ini", gtkDistance}};
        QTest::newRow("any other desktop: GTK's settings.ini")
            << "LXQt"
            << QList<QStringList>{{"cat", config + "/gtk-3.0/settings.ini",
                                   "[Settings]\ngtk-theme-name=Adwaita\ngtk-double-click-time=500\n" + gtkDistance}};
    }
    void eachDesktopGetsItsOwnStore() {
#ifdef Q_OS_WIN
        QSKIP("the Linux stores; scripts/windows/test.sh reads the Windows values with reg query");
#endif
        QFETCH(QString, desktop);
        QFETCH(QList<QStringList>, reads);
        const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
        QDir(config).removeRecursively();
        QDir().mkpath(config + QStringLiteral("/gtk-3.0"));
        for (const auto &[file, content] : {std::pair{QStringLiteral("/kdeglobals"), "[General]\nColorScheme=Breeze\n"},
                                            {QStringLiteral("/gtk-3.0/settings.ini"),
                                             "[Settings]\ngtk-theme-name=Adwaita\ngtk-double-click-time=400\n"}}) {
            QFile out(config + file);
            QVERIFY(out.open(QIODevice::WriteOnly) && out.write(content) > 0);
        }
        PrivateSessionBus bus;
        if (bus.address().isEmpty())
            QSKIP("needs dbus-daemon");
        qputenv("XDG_CURRENT_DESKTOP", desktop.toUtf8());
        qunsetenv("GSETTINGS_BACKEND");  // dconf, as on a desktop
        const auto previous = tweaks::setMouseSettingsOpener({});

        Form form;
        ModalAnswerer answerer;
        answerer.answer(restartLater);
        form.ui->pushButton_DblClick->click();
        form.ui->pushButton_DblClick->click();
        tweaks::setMouseSettingsOpener(previous);

        QCOMPARE(answerer.boxes().size(), 2);
        QCOMPARE(answerer.boxes()[0].text, question);
        QCOMPARE(answerer.boxes()[1].text, QStringLiteral("已优化过,无需重复优化."));
        for (const QStringList &read : reads)
            QCOMPARE(toolOutput(read.mid(0, read.size() - 1)), read.last());
    }
};

QTEST_MAIN(TestDoubleClick)
#include "test_double_click.moc"
