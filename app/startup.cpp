#include "app/startup.h"

#include <QCoreApplication>
#include <QLocale>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QTranslator>

#include "app/language.h"
#include "app/settings_file.h"
#include "app/single_application.h"
#include "app/version.h"
#include "ui/form.h"

namespace {
const char *const versionText = "Ver " ORVESSA_VERSION;
}

QTranslator *installLanguage(const QSettings &store, const QLocale &systemLocale, const QString &catalogueFolder) {
    const int setting = settings::readInt(store, QStringLiteral("/config/language"));
    if (!language::wantsEnglish(setting, systemLocale.language()))
        return nullptr;
    auto *translator = new QTranslator;
    (void)translator->load(QString::fromLatin1(language::catalogueFileName), catalogueFolder);
    QCoreApplication::installTranslator(translator);
    return translator;
}

int runApplication(int &argc, char **argv) {
    SingleApplication app(argc, argv);

    // Qt 6 reads every tr() source as UTF-8, so the codec step of older Qt needs no call.
    QSettings store(settings::filePath(), QSettings::IniFormat);
    installLanguage(store, QLocale::system(), QCoreApplication::applicationDirPath());

    const QString title = QObject::tr("Orvessa");
    if (app.isRunning())
        return 0;

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
