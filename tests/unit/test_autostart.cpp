#include <QtTest>

#include "platform/autostart.h"

namespace {

// A launcher's reading of a desktop entry's Exec value, written from the desktop entry rules independently of
// the writer: first the key file's string escapes, then splitting at unquoted spaces with the escapes of quoted
// arguments, then "%%" as a literal '%'.
QString unescapeKeyFileString(const QString &value) {
    QString out;
    for (int i = 0; i < value.size(); ++i) {
        if (value[i] != QLatin1Char('\\') || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const QChar next = value[++i];
        if (next == QLatin1Char('s'))
            out += QLatin1Char(' ');
        else if (next == QLatin1Char('n'))
            out += QLatin1Char('\n');
        else if (next == QLatin1Char('t'))
            out += QLatin1Char('\t');
        else if (next == QLatin1Char('r'))
            out += QLatin1Char('\r');
        else if (next == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        else
            out += QLatin1Char('\\') + next;  // not an escape of the key file: left to the Exec rules
    }
    return out;
}

QStringList launcherArguments(const QString &execValue) {
    const QString exec = unescapeKeyFileString(execValue);
    QStringList arguments;
    QString current;
    bool inQuotes = false;
    bool inArgument = false;
    for (int i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (inQuotes) {
            if (c == QLatin1Char('"')) {
                inQuotes = false;
            } else if (c == QLatin1Char('\\') && i + 1 < exec.size() &&
                       QStringLiteral("\"`$\\").contains(exec[i + 1])) {
                current += exec[++i];
            } else {
                current += c;
            }
        } else if (c == QLatin1Char(' ')) {
            if (inArgument)
                arguments << current;
            current.clear();
            inArgument = false;
        } else if (c == QLatin1Char('"')) {
            inQuotes = inArgument = true;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument)
        arguments << current;
    for (QString &argument : arguments)
        argument.replace(QStringLiteral("%%"), QStringLiteral("%"));
    return arguments;
}

QString entryPath(const QString &configFolder) {
    return configFolder + QStringLiteral("/autostart/Vantrel.desktop");
}

// The entry's keys; a repeated key or a line outside the one group would be a fault, so both are reported.
QMap<QString, QString> readEntry(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QMap<QString, QString> keys;
    if (lines.value(0) != QLatin1String("[Desktop Entry]"))
        keys.insert(QStringLiteral("error"), QStringLiteral("no [Desktop Entry] group first"));
    for (const QString &line : lines.mid(1)) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        const QString key = line.left(equals);
        if (equals <= 0 || keys.contains(key))
            keys.insert(QStringLiteral("error"), line);
        keys.insert(key, line.mid(equals + 1));
    }
    return keys;
}

}  // namespace

class TestAutostart : public QObject {
    Q_OBJECT

private:
    const QString configFolder = qEnvironmentVariable("XDG_CONFIG_HOME");

private slots:
    void init() { QDir(configFolder + QStringLiteral("/autostart")).removeRecursively(); }

    void windowsRunValueQuotesThePath_data() {
        QTest::addColumn<QString>("programPath");
        QTest::addColumn<QString>("value");
        QTest::newRow("path with spaces is quoted so Windows cannot run D:\\Tools\\Touch")
            << "D:/Tools/Touch Kit/app.exe"
            << R"("D:\Tools\Touch Kit\app.exe" -bg)";
        QTest::newRow("path without spaces is quoted too") << "C:/Orvessa/orvessa.exe"
                                                           << R"("C:\Orvessa\orvessa.exe" -bg)";
        QTest::newRow("every slash becomes a backslash") << "//server/share/a b/x.exe"
                                                         << R"("\\server\share\a b\x.exe" -bg)";
        QTest::newRow("non-Latin folder kept as it is") << "D:/触摸屏/app.exe"
                                                        << R"("D:\触摸屏\app.exe" -bg)";
    }
    void windowsRunValueQuotesThePath() {
        QFETCH(QString, programPath);
        QFETCH(QString, value);
        QCOMPARE(platform::windowsRunCommand(programPath), value);
    }

    void execLineGivesBackThePathAndTheHiddenArgument_data() {
        QTest::addColumn<QString>("programPath");
        QTest::newRow("plain path") << "/usr/bin/orvessa";
        QTest::newRow("spaces") << "/home/ann/Touch Kit/orvessa";
        QTest::newRow("double quote") << "/opt/a\"b/orvessa";
        QTest::newRow("single quote") << "/opt/Ann's tools/orvessa";
        QTest::newRow("backslash") << "/opt/a\\b/orvessa";
        QTest::newRow("dollar, not a variable") << "/opt/$HOME/orvessa";
        QTest::newRow("backtick, not a command") << "/opt/`reboot`/orvessa";
        QTest::newRow("percent, not a field code") << "/opt/100%f/orvessa";
        QTest::newRow("shell characters") << "/opt/a;b&c|d>e<f~g*h?i#j(k)/orvessa";
        QTest::newRow("newline and tab") << "/opt/a\nb\tc/orvessa";
        QTest::newRow("everything at once") << "/opt/ \"'\\$`%; x/orvessa";
        QTest::newRow("non-Latin folder") << "/home/用户/触摸屏/orvessa";
    }
    void execLineGivesBackThePathAndTheHiddenArgument() {
        QFETCH(QString, programPath);
        platform::writeAutostartEntry(programPath, true);
        const QMap<QString, QString> entry = readEntry(entryPath(configFolder));
        QVERIFY2(!entry.contains(QStringLiteral("error")), qPrintable(entry.value(QStringLiteral("error"))));
        QCOMPARE(launcherArguments(entry.value(QStringLiteral("Exec"))), (QStringList{programPath, "-bg"}));
    }

    void execLineIsWrittenByTheRules() {
        // Worked examples of the desktop entry rules: "\\$" for a dollar and four backslashes for one.
        QCOMPARE(platform::desktopExecArgument(QStringLiteral("/a b/$x")), QStringLiteral(R"("/a b/\\$x")"));
        QCOMPARE(platform::desktopExecArgument(QStringLiteral("/a\\b")), QStringLiteral(R"("/a\\\\b")"));
        QCOMPARE(platform::desktopExecArgument(QStringLiteral("/50%")), QStringLiteral(R"("/50%%")"));
    }

    void entryInBothModes_data() {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("hidden");
        QTest::newRow("tray mode starts with the session") << true << "false";
        QTest::newRow("window mode keeps the entry, switched off") << false << "true";
    }
    void entryInBothModes() {
        QFETCH(bool, enabled);
        QFETCH(QString, hidden);
        platform::writeAutostartEntry(QStringLiteral("/opt/Touch Kit/orvessa"), enabled);
        const QMap<QString, QString> entry = readEntry(entryPath(configFolder));
        QVERIFY(!entry.contains(QStringLiteral("error")));
        QCOMPARE(entry.value(QStringLiteral("Type")), QStringLiteral("Application"));
        QVERIFY(!entry.value(QStringLiteral("Name")).isEmpty());
        QCOMPARE(entry.value(QStringLiteral("Exec")), QStringLiteral(R"("/opt/Touch Kit/orvessa" -bg)"));
        QCOMPARE(entry.value(QStringLiteral("Hidden")), hidden);
    }

    void unwritableFolderIsSilent() {
        // A file where the autostart folder should be: nothing can be written, and nothing complains.
        QFile blocker(configFolder + QStringLiteral("/autostart"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        platform::writeAutostartEntry(QStringLiteral("/opt/orvessa"), true);
        QVERIFY(QFileInfo(blocker.fileName()).isFile());
        QVERIFY(blocker.remove());
    }
};

QTEST_GUILESS_MAIN(TestAutostart)
#include "test_autostart.moc"
