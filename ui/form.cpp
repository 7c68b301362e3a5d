#include "ui/form.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QSettings>

#include "settings/settings_file.h"
#include "device/vendor_ids.h"
#include "platform/autostart.h"
#include "platform/os_version.h"
#include "ui/screen_banner.h"
#include "ui_form.h"

namespace {
// How often the tray mode looks at the desktop size.
constexpr int resolutionPollMs = 500;
}  // namespace

Form::Form(QWidget *parent) : QWidget(parent), ui(new Ui::Form) {
    ui->setupUi(this);
    // The layout is drawn for this one size. Fixed for the window system too, so that a tiling compositor floats
    // the window instead of stretching its buttons over a whole output.
    setFixedSize(size());

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

int Form::windowScreenIndex() const {
    return int(QGuiApplication::screens().indexOf(screen()));
}

int Form::calibrationScreenIndex(const QVector<ScreenRect> &screens) const {
    return screens::calibrationIndex(screens, geometry().topLeft(),
                                     screens::windowPositionsKnown(QGuiApplication::platformName()),
                                     windowScreenIndex(), m_screenSelection);
}

void Form::onButtonScreen() {
    const QVector<ScreenRect> screens = screenList();
    if (screens.isEmpty())
        return;
    if (screens::windowPositionsKnown(QGuiApplication::platformName()))
        placeOnScreen(screens[screens::nextIndex(screens, geometry().topLeft())]);
    else
        m_screenSelection = screens::nextSelection(screens, windowScreenIndex(), m_screenSelection);
    showCalibrationScreen();
}

void Form::showCalibrationScreen() {
    const int index = calibrationScreenIndex(screenList());
    QScreen *screen = QGuiApplication::screens().value(index);
    if (!screen)
        return;
    const ScreenIdentity identity = identify(*screen, index);
    const QString text = tr("校准将在此屏幕进行: 屏幕 %1 · %2 · %3 × %4")
                             .arg(identity.number)
                             .arg(identity.name)
                             .arg(identity.pixels.width())
                             .arg(identity.pixels.height());
    // A Wayland compositor opens a plain window on the focused output, the main window's: another output is
    // reached only full screen.
    const bool elsewhere = !screens::windowPositionsKnown(QGuiApplication::platformName()) && screen != this->screen();
    ScreenBanner::showOn(screen, text,
                         elsewhere ? ScreenBanner::Placement::FullScreen : ScreenBanner::Placement::Centred);
}

void Form::keyPressEvent(QKeyEvent *event) {
    // Only Return and the keypad's Enter mean anything here; other keys are swallowed on purpose.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        onButtonScreen();
}
