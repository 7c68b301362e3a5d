#include <QtTest>

#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTranslator>
#include <QXmlStreamReader>

#include "settings/settings_file.h"
#include "app/startup.h"
#include "ui/form.h"
#include "ui_form.h"

// The language rule end to end: the settings value and the system locale pick the catalogue, and the main window
// built afterwards shows its texts in that language.
namespace {
// Every message of a catalogue by context and source text, and whether its translation is finished.
using Messages = QMap<QPair<QString, QString>, bool>;

Messages messagesOf(const QString &tsPath) {
    Messages messages;
    QFile file(tsPath);
    if (!file.open(QIODevice::ReadOnly))
        return messages;
    QXmlStreamReader xml(&file);
    QString context, source;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            const bool marked = !xml.attributes().value(QLatin1String("type")).isEmpty();  // unfinished, vanished
            messages.insert({context, source}, !marked && !xml.readElementText().isEmpty());
        }
    }
    return messages;
}
}  // namespace

class TestLanguage : public QObject {
    Q_OBJECT

private:
    const QString builtCatalogueFolder = qEnvironmentVariable("ORVESSA_CATALOGUE_DIR");

    // The main window's first text, with @p languageLine in a settings file of @p settingsSize bytes (0: as
    // long as the line; more: padded with a hole), read as the entry point reads it.
    QString windowTextWith(const QString &languageLine, const QLocale &locale, const QString &catalogueFolder,
                           qint64 settingsSize = 0) {
        // A fresh folder each time: QSettings caches a file by path, size and time, and rows differ by one digit.
        QTemporaryDir folder;
        const QString iniPath = folder.filePath(QStringLiteral("setting_calibration.ini"));
        if (!languageLine.isNull()) {
            QFile ini(iniPath);
            if (!ini.open(QIODevice::WriteOnly))
                return QStringLiteral("cannot write settings");
            ini.write("[config]\n" + languageLine.toUtf8() + "\n");
            if (settingsSize > 0 && !ini.resize(settingsSize))
                return QStringLiteral("cannot pad settings");
        }
        settings::setFolderOverride(folder.path());
        QSettings store(settings::readablePath(), QSettings::IniFormat);
        QTranslator *translator = installLanguage(store, locale, catalogueFolder);
        QString text;
        {
            Form form;
            text = form.ui->pushButton_Clear->text();
        }
        if (translator) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
        return text;
    }

    static QByteArray fileBytes(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QByteArray builtCatalogue() const {
        return fileBytes(builtCatalogueFolder + QStringLiteral("/LANG.Cali.en_US.qm"));
    }

    static bool writeFile(const QString &path, const QByteArray &bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

private slots:
    void initTestCase() {
        QVERIFY2(QFile::exists(builtCatalogueFolder + QStringLiteral("/LANG.Cali.en_US.qm")),
                 "the build must place the catalogue beside the executable");
    }

    void settingAndLocale_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("english");
        QTest::newRow("0 on a Chinese system stays Chinese") << "language=0"
                                                             << "zh_CN" << false;
        QTest::newRow("0 on an English system is English") << "language=0"
                                                           << "en_US" << true;
        QTest::newRow("0 on a German system is English") << "language=0"
                                                         << "de_DE" << true;
        QTest::newRow("1 on a Chinese system is English") << "language=1"
                                                          << "zh_CN" << true;
        QTest::newRow("1 on an English system is English") << "language=1"
                                                           << "en_US" << true;
        QTest::newRow("2 on an English system is Chinese") << "language=2"
                                                           << "en_US" << false;
        QTest::newRow("2 on a Chinese system is Chinese") << "language=2"
                                                          << "zh_CN" << false;
        QTest::newRow("-1 is Chinese") << "language=-1"
                                       << "en_US" << false;
        QTest::newRow("missing key on an English system is English") << "systray=0"
                                                                     << "en_US" << true;
        QTest::newRow("missing key on a Taiwanese system is Chinese") << "systray=0"
                                                                      << "zh_TW" << false;
        QTest::newRow("no file at all on an English system is English") << QString() << "en_US" << true;
        QTest::newRow("non-numeric value counts as 0") << "language=english"
                                                       << "en_US" << true;
        QTest::newRow("non-numeric value on a Chinese system is Chinese") << "language=yes"
                                                                          << "zh_CN" << false;
    }
    void settingAndLocale() {
        QFETCH(QString, line);
        QFETCH(QString, locale);
        QFETCH(bool, english);
        const QString text = windowTextWith(line, QLocale(locale), builtCatalogueFolder);
        QCOMPARE(text, english ? QStringLiteral("Clear calibration") : QStringLiteral("清除校准"));
    }

    // language=2 (Chinese whatever the system) counts only in a file no larger than a settings file ever is.
    void settingsFileBeyondOneMebibyteIsNotRead_data() {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        const qint64 mebibyte = qint64(1) << 20;
        QTest::newRow("exactly 1 MiB: read") << mebibyte << "清除校准";
        QTest::newRow("1 MiB and a byte: the defaults") << mebibyte + 1 << "Clear calibration";
    }
    void settingsFileBeyondOneMebibyteIsNotRead() {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(
            windowTextWith(QStringLiteral("language=2"), QLocale(QStringLiteral("en_US")), builtCatalogueFolder, bytes),
            text);
    }

    // What stands in the catalogue's place, and the reason the user is told: "missing", "folder", "huge" (sparse,
    // beyond 16 MiB), "seed <name>" (a catalogue of the fuzzer's corpus, made from an earlier build's), or the built
    // catalogue with a change
    // ("byte <offset> <value>", "truncate <size>", "fill": 4096 bytes of its first byte).
    void catalogueThatCannotBeTrustedLeavesChinese_data() {
        QTest::addColumn<QString>("catalogue");
        QTest::addColumn<QString>("reason");  // as the warning on standard error gives it
        const QString damaged = QStringLiteral("it is damaged");
        QTest::newRow("no catalogue") << "missing"
                                      << "it is missing";
        QTest::newRow("a folder in its place") << "folder"
                                               << "it is not a regular file";
        QTest::newRow("beyond 16 MiB: never read") << "huge"
                                                   << "it is larger than any catalogue";
        QTest::newRow("no magic") << "fill" << damaged;
        QTest::newRow("cut inside the messages") << "truncate 2000" << damaged;
        QTest::newRow("offset 823 0x00 -> 0xCD: a message length past the end (crashed in tr())")
            << "seed probe_offset_823" << damaged;
        QTest::newRow("a context table of no buckets (divided by zero in tr())")
            << "seed contexts_no_buckets" << damaged;
        QTest::newRow("a hash-table offset past the messages") << "byte 35 255" << damaged;
        QTest::newRow("a block length past the end") << "byte 28 1" << damaged;
    }
    void catalogueThatCannotBeTrustedLeavesChinese() {
        QFETCH(QString, catalogue);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("LANG.Cali.en_US.qm"));
        const QStringList change = catalogue.split(u' ');
        if (catalogue == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(path));
        } else if (catalogue == QLatin1String("huge")) {
            QFile huge(path);
            QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(17) << 20));
        } else if (catalogue != QLatin1String("missing")) {
            QByteArray bytes = builtCatalogue();
            if (change[0] == QLatin1String("seed"))
                bytes = fileBytes(QStringLiteral(ORVESSA_SOURCE_DIR "/fuzz/corpus/fuzz_catalogue/") + change[1]);
            else if (change[0] == QLatin1String("fill"))
                bytes = QByteArray(4096, bytes[0]);
            else if (change[0] == QLatin1String("truncate"))
                bytes.truncate(change[1].toInt());
            else
                bytes[change[1].toInt()] = char(change[2].toInt());
            QVERIFY(writeFile(path, bytes));
        }
        QFETCH(QString, reason);
        QTest::ignoreMessage(QtWarningMsg, qPrintable(QStringLiteral("The English catalogue %1 was not used: %2. The "
                                                                     "interface stays in Chinese.")
                                                          .arg(QDir::toNativeSeparators(path), reason)));
        QCOMPARE(windowTextWith(QStringLiteral("language=1"), QLocale(QStringLiteral("en_US")), folder.path()),
                 QStringLiteral("清除校准"));
    }

    // One changed byte anywhere must never crash the window's first texts: the check refuses the change or the
    // translator can read the result. 48 changes at positions spread over the file, the same ones every run.
    void oneChangedByteNeverCrashes() {
        const QByteArray original = builtCatalogue();
        QRandomGenerator random(20);
        QTemporaryDir folder;
        int english = 0;
        for (int i = 0; i < 48; ++i) {
            QByteArray bytes = original;
            const int at = int(random.bounded(quint32(bytes.size())));
            bytes[at] = char(bytes[at] ^ char(1 + random.bounded(255)));
            QVERIFY(writeFile(folder.filePath(QStringLiteral("LANG.Cali.en_US.qm")), bytes));
            const QString text = windowTextWith(QStringLiteral("language=1"), QLocale(), folder.path());
            english += text == QLatin1String("Clear calibration");
        }
        QVERIFY(english > 0);  // many changes leave the catalogue usable
    }

    void everyTextOfTheSourcesIsTranslated() {
#ifdef Q_OS_WIN
        QSKIP("lupdate is a tool of the build machine; the Linux suite runs this check");
#endif
        // lupdate reads the sources into a scratch catalogue; the real one is kept by hand and never rewritten.
        QTemporaryDir scratch;
        const QString found = scratch.filePath(QStringLiteral("found.ts"));
        QProcess lupdate;
        lupdate.setWorkingDirectory(QStringLiteral(ORVESSA_SOURCE_DIR));
        lupdate.start(QStringLiteral(ORVESSA_LUPDATE),
                      {"-silent", "-I", ".", "-extensions", "cpp,h,ui", "app", "calibration", "device", "platform",
                       "tweaks", "ui", "-ts", found});
        QVERIFY(lupdate.waitForFinished(60000));
        const QString complaints = QString::fromLocal8Bit(lupdate.readAllStandardError());
        QVERIFY2(lupdate.exitCode() == 0 && complaints.isEmpty(), qPrintable(complaints));  // a text it could not read
        const Messages sources = messagesOf(found);
        QVERIFY(sources.contains({"Form", "清除校准"}));  // it did read the sources

        const Messages catalogue =
            messagesOf(QStringLiteral(ORVESSA_SOURCE_DIR "/resources/translations/LANG.Cali.en_US.ts"));
        QStringList untranslated;
        for (auto message = sources.keyBegin(); message != sources.keyEnd(); ++message)
            if (!catalogue.value(*message))
                untranslated << message->first + QStringLiteral(": ") + message->second;
        QVERIFY2(untranslated.isEmpty(),
                 qPrintable("missing or unfinished in LANG.Cali.en_US.ts:\n" + untranslated.join('\n')));
    }
};

QTEST_MAIN(TestLanguage)
#include "test_language.moc"
