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

    QString windowTextWith(const QString &languageLine, const QLocale &locale, const QString &catalogueFolder) {
        // A fresh folder each time: QSettings caches a file by path, size and time, and rows differ by one digit.
        QTemporaryDir folder;
        const QString iniPath = folder.filePath(QStringLiteral("setting_calibration.ini"));
        if (!languageLine.isNull()) {
            QFile ini(iniPath);
            if (!ini.open(QIODevice::WriteOnly))
                return QStringLiteral("cannot write settings");
            ini.write("[config]\n" + languageLine.toUtf8() + "\n");
        }
        settings::setFolderOverride(folder.path());
        QSettings store(settings::filePath(), QSettings::IniFormat);
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

    void missingOrCorruptCatalogueLeavesChinese() {
        QTemporaryDir empty;
        QCOMPARE(windowTextWith(QStringLiteral("language=1"), QLocale(QStringLiteral("en_US")), empty.path()),
                 QStringLiteral("清除校准"));

        QFile corrupt(empty.filePath(QStringLiteral("LANG.Cali.en_US.qm")));
        QVERIFY(corrupt.open(QIODevice::WriteOnly));
        corrupt.write(QByteArray(4096, '\x3c'));
        corrupt.close();
        QCOMPARE(windowTextWith(QStringLiteral("language=1"), QLocale(QStringLiteral("en_US")), empty.path()),
                 QStringLiteral("清除校准"));
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
