#include <QtTest>

#include "platform/mouse_settings.h"

// The Linux store of the double-click values: GTK's settings.ini below the test's private XDG_CONFIG_HOME.
class TestMouseSettings : public QObject {
    Q_OBJECT

private:
    const QString folder = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/gtk-3.0");
    const QString path = folder + QStringLiteral("/settings.ini");

    void writeFile(const QByteArray &content) {
        QDir().mkpath(folder);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

    QByteArray readFile() {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

private slots:
    void init() {
        QDir(folder).removeRecursively();
        QFile::remove(folder);
    }

    void reading_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("values");  // height, width, speed
        const QByteArray distance25 = "[Settings]\ngtk-double-click-distance=25\ngtk-double-click-time=500\n";
        const QByteArray otherGroup = "[Other]\ngtk-double-click-time=300\n[Settings]\ngtk-theme-name=Adwaita\n";
        const QByteArray repeated = "[Settings]\ngtk-double-click-time=300\n[Settings]\ngtk-double-click-time=450\n";
        QTest::newRow("no file: every value missing") << QByteArray("<none>") << QStringList{"", "", ""};
        QTest::newRow("distance is half a side of the rectangle") << distance25 << QStringList{"50", "50", "500"};
        QTest::newRow("GTK's default distance is a 10 pixel rectangle")
            << QByteArray("[Settings]\ngtk-double-click-distance=5\n") << QStringList{"10", "10", ""};
        QTest::newRow("spaces around the equals sign")
            << QByteArray("[Settings]\n gtk-double-click-time = 400 \n") << QStringList{"", "", "400"};
        QTest::newRow("keys of another group do not count") << otherGroup << QStringList{"", "", ""};
        QTest::newRow("commented-out key does not count")
            << QByteArray("[Settings]\n#gtk-double-click-time=300\n") << QStringList{"", "", ""};
        QTest::newRow("the last of repeated keys wins, as in GLib") << repeated << QStringList{"", "", "450"};
        QTest::newRow("non-numeric distance read as it is")
            << QByteArray("[Settings]\ngtk-double-click-distance=wide\n") << QStringList{"wide", "wide", ""};
    }
    void reading() {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, values);
        if (content != "<none>")
            writeFile(content);
        const auto store = platform::openMouseSettings();
        QCOMPARE(store->value(QStringLiteral("DoubleClickHeight")), values[0]);
        QCOMPARE(store->value(QStringLiteral("DoubleClickWidth")), values[1]);
        QCOMPARE(store->value(QStringLiteral("DoubleClickSpeed")), values[2]);
        QCOMPARE(store->value(QStringLiteral("SnapToDefaultButton")), QString());
    }

    void writing_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        const QByteArray written = "gtk-double-click-distance=25\ngtk-double-click-time=500\n";
        QTest::newRow("no file: folder, file and group are created")
            << QByteArray("<none>") << "[Settings]\n" + written;
        QTest::newRow("empty file gets the group") << QByteArray("") << "[Settings]\n" + written;
        QTest::newRow("other keys, comments and groups are kept byte for byte")
            << QByteArray(
                   "# my theme\n[Settings]\ngtk-theme-name = Adwaita-dark\n"
                   "gtk-icon-sizes=panel-menu=16,16:gtk-button=16,16\n\n[Other]\nx=1\n")
            << QByteArray(
                   "# my theme\n[Settings]\ngtk-theme-name = Adwaita-dark\n"
                   "gtk-icon-sizes=panel-menu=16,16:gtk-button=16,16\n") +
                   written + "\n[Other]\nx=1\n";
        QTest::newRow("existing keys are replaced in place")
            << QByteArray(
                   "[Settings]\ngtk-double-click-time=250\ngtk-theme-name=Adwaita\ngtk-double-click-distance = 5\n")
            << QByteArray(
                   "[Settings]\ngtk-double-click-time=500\ngtk-theme-name=Adwaita\ngtk-double-click-distance=25\n");
        QTest::newRow("file without [Settings] gets it at the end")
            << QByteArray("[Other]\nx=1") << "[Other]\nx=1\n\n[Settings]\n" + written;
    }
    void writing() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        if (before != "<none>")
            writeFile(before);
        const auto store = platform::openMouseSettings();
        store->setValue(QStringLiteral("DoubleClickHeight"), QStringLiteral("50"));
        store->setValue(QStringLiteral("DoubleClickWidth"), QStringLiteral("50"));
        store->setValue(QStringLiteral("DoubleClickSpeed"), QStringLiteral("500"));
        QCOMPARE(readFile(), after);
        QCOMPARE(store->value(QStringLiteral("DoubleClickHeight")), QStringLiteral("50"));
        QCOMPARE(store->value(QStringLiteral("DoubleClickSpeed")), QStringLiteral("500"));
    }

    void unknownNameOrNonNumericSideWritesNothing() {
        writeFile("[Settings]\ngtk-double-click-distance=5\n");
        const auto store = platform::openMouseSettings();
        store->setValue(QStringLiteral("DoubleClickWidth"), QStringLiteral("wide"));
        store->setValue(QStringLiteral("MouseSpeed"), QStringLiteral("2"));
        QCOMPARE(readFile(), QByteArray("[Settings]\ngtk-double-click-distance=5\n"));
    }

    void unwritableFolderIsSilent() {
        QDir().mkpath(QFileInfo(folder).path());
        QFile blocker(folder);  // a file where the gtk-3.0 folder should be
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const auto store = platform::openMouseSettings();
        store->setValue(QStringLiteral("DoubleClickSpeed"), QStringLiteral("500"));
        QCOMPARE(store->value(QStringLiteral("DoubleClickSpeed")), QString());
        QVERIFY(QFileInfo(folder).isFile());
    }
};

QTEST_GUILESS_MAIN(TestMouseSettings)
#include "test_mouse_settings.moc"
