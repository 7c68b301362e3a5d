#include <QtTest>

#include <QTranslator>

#include "ui/mapping_warning.h"

// The target window's warning before a calibration the desktop would spoil: which mapping misses the target
// screen, and the one line with the command that fixes it.

using platform::TouchMapping;

Q_DECLARE_METATYPE(TouchMapping)

namespace {

TouchMapping mappedTo(TouchMapping::Kind kind, const QString &screen = {}, const QRect &region = {}) {
    TouchMapping mapping;
    mapping.kind = kind;
    mapping.screen = screen;
    mapping.region = region;
    mapping.screenCount = kind == TouchMapping::Kind::WholeDesktop ? 2 : 0;
    return mapping;
}

// The run on the second of two screens.
const CalibrationTarget target{QStringLiteral("HDMI-1"), QRect(1920, 0, 1920, 1080), 1};

}  // namespace

class TestMappingWarning : public QObject {
    Q_OBJECT

private slots:
    void warning_data() {
        QTest::addColumn<TouchMapping>("mapping");
        QTest::addColumn<bool>("corrected");
        QTest::addColumn<QString>("warning");
        const QString toMap = QStringLiteral("请先运行 orvessa-frame map --screen 1");
        QTest::newRow("mapped to the target") << mappedTo(TouchMapping::Kind::Screen, "HDMI-1") << false << "";
        QTest::newRow("the kernel's name of the target's connector")
            << mappedTo(TouchMapping::Kind::Screen, "HDMI-A-1") << false << "";
        QTest::newRow("an X screen without RandR names, whose region is the target")
            << mappedTo(TouchMapping::Kind::Screen, "the X screen", target.geometry) << false << "";
        QTest::newRow("another output") << mappedTo(TouchMapping::Kind::Screen, "eDP-1") << false
                                        << "触摸会落在 eDP-1 上,而不是这块屏幕:" + toMap;
        QTest::newRow("stretched over two screens")
            << mappedTo(TouchMapping::Kind::WholeDesktop) << false << "触摸被拉伸到整个桌面(2 块屏幕):" + toMap;
        QTest::newRow("a part of the desktop that is no screen")
            << mappedTo(TouchMapping::Kind::Elsewhere, {}, QRect(960, 0, 1920, 1080)) << false
            << "触摸会落在桌面的其他区域:" + toMap;
        QTest::newRow("a mapping nobody knows is no reason to warn")
            << mappedTo(TouchMapping::Kind::Unknown) << false << "";
        QTest::newRow("right mapping, the system's own correction")
            << mappedTo(TouchMapping::Kind::Screen, "HDMI-1") << true
            << "系统在触摸框的校准之上另加了校正:请先运行 orvessa-frame reset-os-correction";
        QTest::newRow("wrong mapping and a correction: the mapping first")
            << mappedTo(TouchMapping::Kind::WholeDesktop) << true << "触摸被拉伸到整个桌面(2 块屏幕):" + toMap;
    }
    void warning() {
        QFETCH(TouchMapping, mapping);
        QFETCH(bool, corrected);
        QFETCH(QString, warning);
        platform::DesktopJudgement judgement;
        judgement.mappings << mapping;
        if (corrected)
            judgement.corrections << QStringLiteral(
                "udev: /dev/input/event5: LIBINPUT_CALIBRATION_MATRIX=1.1 0 0 0 1 0");
        QCOMPARE(mappingWarningText(judgement, target), warning);
    }

    // The catalogue's English keeps both numbers in place.
    void english() {
        QTranslator translator;
        QVERIFY(translator.load(QStringLiteral("LANG.Cali.en_US.qm"), qEnvironmentVariable("ORVESSA_CATALOGUE_DIR")));
        QCoreApplication::installTranslator(&translator);
        platform::DesktopJudgement judgement;
        judgement.mappings << mappedTo(TouchMapping::Kind::WholeDesktop);
        QCOMPARE(mappingWarningText(judgement, target),
                 QStringLiteral("Touches are stretched over the whole desktop (2 screens): first run orvessa-frame map "
                                "--screen 1"));
        QCoreApplication::removeTranslator(&translator);
    }
};

QTEST_GUILESS_MAIN(TestMappingWarning)
#include "test_mapping_warning.moc"
