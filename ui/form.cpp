#include "ui/form.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QSettings>

#include "settings/settings_file.h"
#include "device/vendor_ids.h"
#include "platform/autostart.h"
#include "platform/os_version.h"
#include "ui_form.h"

namespace {
// How often the tray mode looks at the desktop size.
constexpr int resolutionPollMs = 500;
}  // namespace

Form::Form(QWidget *parent) : QWidget(parent), ui(new Ui::Form) {
    ui->setupUi(this);

    vidList = device::builtInVendorIds();
    deviceUsage = 0;

    QSettings store(settings::readablePath(), QSettings::IniFormat);
    systray = settings::readInt(store, QStringLiteral("/config/systray"));
    settings::readInt(store, QStringLiteral("/config/caliModeSelect"));  // read for compatibility; nothing uses it
    vidList = device::vendorIdsFromSetting(settings::readString(store, QStringLiteral("/config/vid")));

    ui->pushButton_Change->hide();
    ui->pushButton_Screen->hide();

    if (systray) {
        createTrayIcon();
        platform::writeAutostartEntry(QCoreApplication::applicationFilePath(), true);
        showExitCaption();
        startTimer(resolutionPollMs);
    } else {
        platform::writeAutostartEntry(QCoreApplication::applicationFilePath(), false);
    }

    if (const auto major = platform::windowsMajorVersion(); major && *major < 6)
        ui->pushButton_Change->setEnabled(false);

    const QVector<ScreenRect> screens = screenList();
    if (!screens.isEmpty())
        placeOnScreen(screens.first());
}

Form::~Form() {
    delete ui;
}

void Form::placeOnScreen(const ScreenRect &screen) {
    move(screens::placement(screen, geometry().size()));
}

void Form::onButtonScreen() {
    const QVector<ScreenRect> screens = screenList();
    if (screens.isEmpty())
        return;
    placeOnScreen(screens[screens::nextIndex(screens, geometry().topLeft())]);
}

void Form::keyPressEvent(QKeyEvent *event) {
    // Only Return and the keypad's Enter mean anything here; other keys are swallowed on purpose.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        onButtonScreen();
}
