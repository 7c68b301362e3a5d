#include <QtTest>

#include "frame_tool/verify_plan.h"

// How verify judges the touches it took: the worst target and whether it passes.

using Points = QVector<QPoint>;
Q_DECLARE_METATYPE(std::optional<QSizeF>)

class TestVerifyPlan : public QObject {
    Q_OBJECT

private slots:
    void judgement_data() {
        QTest::addColumn<Points>("touches");  // for targets at (100, 100), (500, 100)
        QTest::addColumn<std::optional<QSizeF>>("millimetresPerPixel");
        QTest::addColumn<double>("limit");
        QTest::addColumn<int>("worst");
        QTest::addColumn<bool>("passed");
        QTest::addColumn<QString>("result");
        const std::optional<QSizeF> square = QSizeF(0.25, 0.25);
        QTest::newRow("exactly at the limit passes") << Points{{100, 112}, {500, 100}} << square << 3.0 << 0 << true
                                                     << "result: passed: worst error 3.00 mm, limit 3 mm";
        QTest::newRow("past the limit fails") << Points{{100, 100}, {513, 100}} << square << 3.0 << 1 << false
                                              << "result: failed: worst error 3.25 mm, limit 3 mm";
        QTest::newRow("pixels twice as tall as wide: the worst in millimetres, not in pixels")
            << Points{{108, 100}, {500, 106}} << std::optional<QSizeF>(QSizeF(0.25, 0.5)) << 2.5 << 1 << false
            << "result: failed: worst error 3.00 mm, limit 2.5 mm";
        QTest::newRow("no physical size: pixels only, and it cannot pass")
            << Points{{100, 101}, {500, 100}} << std::optional<QSizeF>() << 3.0 << 0 << false
            << "result: failed: the screen reports no physical size, so the limit of 3 mm cannot be checked";
    }
    void judgement() {
        QFETCH(Points, touches);
        QFETCH(std::optional<QSizeF>, millimetresPerPixel);
        QFETCH(double, limit);
        QFETCH(int, worst);
        QFETCH(bool, passed);
        QFETCH(QString, result);
        const frame_tool::VerifyResult verdict =
            frame_tool::evaluateTouches(Points{{100, 100}, {500, 100}}, touches, millimetresPerPixel, limit);
        QCOMPARE(verdict.worstIndex, worst);
        QCOMPARE(verdict.passed, passed);
        QCOMPARE(frame_tool::verifyTable(verdict).trimmed().section(u'\n', -1), result);
    }
};

QTEST_GUILESS_MAIN(TestVerifyPlan)
#include "test_verify_plan.moc"
