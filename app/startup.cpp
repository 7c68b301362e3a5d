#include "app/startup.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QTranslator>

#include "app/single_application.h"
#include "orvessa_version.h"
#include "platform/file_read.h"
#include "platform/graphical_session.h"
#include "platform/program_location.h"
#include "settings/catalogue_check.h"
#include "settings/language.h"
#include "settings/settings_file.h"
#include "ui/form.h"

namespace {

Q_LOGGING_CATEGORY(languageLog, "orvessa.language", QtWarningMsg)

const char *const versionText = "Ver " ORVESSA_VERSION;

// Only "--help" and "--version" are options; every other argument (the autostart entry passes "-bg") starts the
// program hidden. The first of the two on the command line wins.
enum class CommandLineRequest { Run, PrintUsage, PrintVersion };

CommandLineRequest commandLineRequest(int argc, const char *const *argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0)
            return CommandLineRequest::PrintUsage;
        if (std::strcmp(argv[i], "--version") == 0)
            return CommandLineRequest::PrintVersion;
    }
    return CommandLineRequest::Run;
}

QByteArray programName(const char *path) {
    return path ? QFileInfo(QFile::decodeName(path)).fileName().toLocal8Bit() : QByteArray("orvessa");
}

void printUsage(const char *program) {
    const QByteArray name = programName(program);
    std::printf(
        "Usage: %s [-bg]\n"
        "Calibrates an infrared multi-touch frame against the screen.\n\n"
        "  (no argument)  show the main window\n"
        "  -bg            start hidden, as the autostart entry does (any other argument does the same)\n"
        "  --help         print this help and exit\n"
        "  --version      print the version and exit\n\n"
        "Settings: setting_calibration.ini in the folder of the executable.\n"
        "Needs a graphical session: DISPLAY (X11) or WAYLAND_DISPLAY (Wayland).\n",
        name.constData());
}

// Without a display Qt would end the process with abort() and the advice to reinstall the program.
bool reportMissingDisplay(int argc, const char *const *argv) {
    const std::optional<QString> missing = platform::missingGraphicalSession(argc, argv);
    if (missing)
        std::fprintf(stderr, "%s needs a graphical session: %s\n", programName(argv[0]).constData(),
                     qPrintable(*missing));
    return missing.has_value();
}

// The catalogue is a file beside the program that anyone who installs it may replace, and Qt's translator trusts
// its offsets. It is read once, checked, and the translator given those very bytes, which it keeps using (they are
// not copied), so nothing can change between the check and the use.
class CatalogueTranslator : public QTranslator {
public:
    // Why the catalogue was not used, or nothing when it was loaded.
    std::optional<const char *> loadChecked(const QString &path) {
        platform::FileRead file = platform::readWholeFile(path, platform::catalogueLimit);
        switch (file.status) {
            case platform::FileRead::Status::Read:
                break;
            case platform::FileRead::Status::Missing:
                return "it is missing";
            case platform::FileRead::Status::NotAFile:
                return "it is not a regular file";
            case platform::FileRead::Status::TooLarge:
                return "it is larger than any catalogue";
            case platform::FileRead::Status::Unreadable:
                return "it cannot be read";
        }
        if (!language::isSoundCatalogue(file.bytes))
            return "it is damaged";
        m_bytes = std::move(file.bytes);
        if (!load(reinterpret_cast<const uchar *>(m_bytes.constData()), int(m_bytes.size())))
            return "Qt did not accept it";
        return std::nullopt;
    }

private:
    QByteArray m_bytes;
};

}  // namespace

QTranslator *installLanguage(const QSettings &store, const QLocale &systemLocale, const QString &catalogueFolder) {
    const int setting = settings::readInt(store, QStringLiteral("/config/language"));
    if (!language::wantsEnglish(setting, systemLocale.language()))
        return nullptr;
    auto *translator = new CatalogueTranslator;
    const QString path = catalogueFolder + QLatin1Char('/') + QLatin1String(language::catalogueFileName);
    // Someone who chose English and sees Chinese should find out why; a loaded one is said only on request
    // (QT_LOGGING_RULES=orvessa.language.info=true), which is how the package test sees the installed one used.
    if (const std::optional<const char *> refusal = translator->loadChecked(path))
        qCWarning(languageLog, "The English catalogue %s was not used: %s. The interface stays in Chinese.",
                  qPrintable(QDir::toNativeSeparators(path)), *refusal);
    else
        qCInfo(languageLog, "English catalogue loaded from %s", qPrintable(QDir::toNativeSeparators(path)));
    QCoreApplication::installTranslator(translator);
    return translator;
}

int runApplication(int &argc, char **argv) {
    // Answered before the application object exists: no display is needed, and no copy starts that would then
    // hold the single-instance name.
    switch (commandLineRequest(argc, argv)) {
        case CommandLineRequest::PrintUsage:
            printUsage(argv[0]);
            return 0;
        case CommandLineRequest::PrintVersion:
            std::printf("Orvessa %s\n", ORVESSA_VERSION);
            return 0;
        case CommandLineRequest::Run:
            break;
    }
    if (reportMissingDisplay(argc, argv))
        return 1;

    SingleApplication app(argc, argv);

    // Qt 6 reads every tr() source as UTF-8, so the codec step of older Qt needs no call.
    // A second copy only hands over to the first: it needs no interface language.
    if (app.isRunning())
        return 0;
    QSettings store(settings::readablePath(), QSettings::IniFormat);
    installLanguage(store, QLocale::system(), platform::programLocation().folder);

    const QString title = QObject::tr("Orvessa");

    Form window;
    window.setWindowTitle(title + QStringLiteral("  ") + QString::fromLatin1(versionText));
    if (argc == 1) {
        app.setActivationWindow(&window);
        window.setVisible(true);
    } else if (window.systray && !QSystemTrayIcon::isSystemTrayAvailable()) {
        // A hidden start in tray mode on a desktop without a notification area: no icon can bring the window
        // back, so launching the program again must.
        app.setActivationWindow(&window);
    }
    return QApplication::exec();
}
