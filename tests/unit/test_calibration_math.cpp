#include <QtTest>

#include <cmath>

#include "calibration/affine.h"
#include "calibration/corners.h"
#include "calibration/projective.h"

using calibration::Corners;

Q_DECLARE_METATYPE(Corners)

namespace {

Corners square(double left, double top, double right, double bottom) {
    return {TouchPoint{left, top}, TouchPoint{right, top}, TouchPoint{right, bottom}, TouchPoint{left, bottom}};
}

bool closeTo(double value, double expected, double halfUlpOfDigits) {
    return std::fabs(value - expected) <= halfUlpOfDigits;
}

// A table whose every entry differs, so that reading a wrong index changes the result.
TouchPointTable distinctTable(double salt) {
    TouchPointTable table;
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = {salt + 100.0 * double(i), salt + 37.0 * double(i)};
    return table;
}

}  // namespace

class TestCalibrationMath : public QObject {
    Q_OBJECT

private slots:
    void projectiveSolvesTheKnownCorners_data() {
        QTest::addColumn<Corners>("corners");
        QTest::addColumn<double>("c");
        QTest::addColumn<double>("f");
        QTest::newRow("corners on the truncated targets") << square(614, 614, 3481, 3481) << 0.3571765 << 0.3571765;
        QTest::newRow("corners shifted up and left") << square(612, 610, 3479, 3477) << 2.357316 << 4.357456;
    }
    void projectiveSolvesTheKnownCorners() {
        QFETCH(Corners, corners);
        QFETCH(double, c);
        QFETCH(double, f);
        double matrix[8][8];
        double vector[8];
        QVERIFY(calibration::solveProjective(corners, matrix, vector));
        QVERIFY2(closeTo(vector[0], 1.00006978, 0.5e-8), qPrintable(QString::number(vector[0], 'g', 12)));
        QVERIFY2(closeTo(vector[4], 1.00006978, 0.5e-8), qPrintable(QString::number(vector[4], 'g', 12)));
        QVERIFY2(closeTo(vector[2], c, 0.5e-6), qPrintable(QString::number(vector[2], 'g', 12)));
        QVERIFY2(closeTo(vector[5], f, 0.5e-6), qPrintable(QString::number(vector[5], 'g', 12)));
        for (const int k : {1, 3, 6, 7})
            QVERIFY2(std::fabs(vector[k]) < 1e-15, qPrintable(QString::number(vector[k], 'g', 12)));
    }

    void projectiveTruncatesTheTouchesToIntegers() {
        double fractional[8][8], whole[8][8];
        double fractionalVector[8], wholeVector[8];
        QVERIFY(calibration::solveProjective(square(614.9, 614.99, 3481.5, 3481.7), fractional, fractionalVector));
        QVERIFY(calibration::solveProjective(square(614, 614, 3481, 3481), whole, wholeVector));
        for (int k = 0; k < 8; ++k)
            QCOMPARE(fractionalVector[k], wholeVector[k]);
    }

    void projectiveUsesSinglePrecisionReferences() {
        double matrix[8][8];
        double vector[8];
        calibration::fillProjectiveSystem(square(614, 614, 3481, 3481), matrix, vector);
        QCOMPARE(vector[0], 614.4000244140625);
        QCOMPARE(vector[1], 3481.60009765625);
        QCOMPARE(vector[6], 3481.60009765625);
        // Row 1 is the top-right corner's X equation: (x, y, 1, 0, 0, 0, -X x, -X y).
        const double expected[8] = {3481, 614, 1, 0, 0, 0, double(-3481.6f * 3481.0f), double(-3481.6f * 614.0f)};
        for (int k = 0; k < 8; ++k)
            QCOMPARE(matrix[1][k], expected[k]);
        // Row 7 is the bottom-left corner's Y equation.
        const double expectedY[8] = {0, 0, 0, 614, 3481, 1, double(-3481.6f * 614.0f), double(-3481.6f * 3481.0f)};
        for (int k = 0; k < 8; ++k)
            QCOMPARE(matrix[7][k], expectedY[k]);
    }

    void pivotChoice_data() {
        QTest::addColumn<QVector<double>>("column");  // entries of rows 2..7 in column 2
        QTest::addColumn<int>("pivot");
        QTest::newRow("equal magnitudes keep the upper row, which is row i") << QVector<double>{5, 5, 1, 0, 0, 5} << 2;
        QTest::newRow("equal magnitudes below row i keep the upper one") << QVector<double>{1, 0, 4, -4, 4, 2} << 4;
        QTest::newRow("a negative entry of greater magnitude beats a positive one")
            << QVector<double>{3, -7, 6, 0, 0, 0} << 3;
        QTest::newRow("the greatest magnitude anywhere below wins") << QVector<double>{0, 0, 0, 0, 0, -0.5} << 7;
        QTest::newRow("an all-zero column keeps row i") << QVector<double>{0, 0, 0, 0, 0, 0} << 2;
    }
    void pivotChoice() {
        QFETCH(QVector<double>, column);
        QFETCH(int, pivot);
        double matrix[8][8] = {};
        for (int row = 2; row < 8; ++row)
            matrix[row][2] = column[row - 2];
        QCOMPARE(calibration::pivotRow(matrix, 2), pivot);
    }

    void eliminationSwapsOnlyForAStrictlyGreaterPivot() {
        // Rows 0 and 1 tie in column 0: row 0 stays the pivot row, so its content stays in place.
        double matrix[8][8] = {};
        double vector[8] = {};
        for (int i = 0; i < 8; ++i) {
            matrix[i][i] = 1;
            vector[i] = i + 1;
        }
        matrix[0][0] = 2;
        matrix[0][1] = 3;
        matrix[1][0] = -2;
        matrix[1][1] = 5;
        QVERIFY(calibration::solveInPlace(matrix, vector));
        QCOMPARE(matrix[0][0], 2.0);
        QCOMPARE(matrix[0][1], 3.0);
        // 2a + 3b = 1, -2a + 5b = 2
        QCOMPARE(vector[1], 3.0 / 8.0);
        QCOMPARE(vector[0], (1 - 3 * 3.0 / 8.0) / 2);
    }

    void degenerateCornersStopAtAZeroPivot_data() {
        QTest::addColumn<Corners>("corners");
        QTest::newRow("all four corners on one spot") << square(2000, 2000, 2000, 2000);
        QTest::newRow("all four corners at the origin") << square(0, 0, 0, 0);
        QTest::newRow("two pairs of corners on one spot") << square(600, 600, 600, 3400);
    }
    void degenerateCornersStopAtAZeroPivot() {
        QFETCH(Corners, corners);
        double matrix[8][8];
        double vector[8];
        QVERIFY(!calibration::solveProjective(corners, matrix, vector));
        for (const double value : vector)
            QVERIFY(std::isfinite(value));
    }

    void unrepresentableTouchesAreRefused() {
        double matrix[8][8] = {};
        double vector[8] = {};
        QVERIFY(!calibration::solveProjective(square(std::nan(""), 614, 3481, 3481), matrix, vector));
        QVERIFY(!calibration::solveProjective(square(614, 614, 1e12, 3481), matrix, vector));
        QVERIFY(!calibration::solveProjective(square(614, 614, 3481, INFINITY), matrix, vector));
    }

    void affineFitsTheKnownCorners() {
        const calibration::AffineCoefficients c = calibration::fitAffine(square(614, 614, 3481, 3481));
        QVERIFY2(closeTo(c[0], 1.00006976, 0.5e-8), qPrintable(QString::number(c[0], 'g', 12)));
        QVERIFY2(closeTo(c[4], 1.00006976, 0.5e-8), qPrintable(QString::number(c[4], 'g', 12)));
        QVERIFY2(closeTo(c[2], 0.3571678, 0.5e-7), qPrintable(QString::number(c[2], 'g', 12)));
        QVERIFY2(closeTo(c[5], 0.3571678, 0.5e-7), qPrintable(QString::number(c[5], 'g', 12)));
        QVERIFY(std::fabs(c[1]) < 1e-15);
        QVERIFY(std::fabs(c[3]) < 1e-15);
    }

    void affineKeepsFractionalTouches() {
        // Unlike the projective solve, the fit uses the touches as they are: a shift of half a unit shows.
        const auto whole = calibration::fitAffine(square(614, 614, 3481, 3481));
        const auto half = calibration::fitAffine(square(614.5, 614.5, 3481.5, 3481.5));
        QVERIFY(std::fabs(whole[2] - half[2] - 0.5 * whole[0]) < 1e-9);
    }

    void affineIsALeastSquaresFitOverAnyCount() {
        // Six exact points of X = 2x + 1, Y = -y + 3x + 4 are fitted exactly.
        const TouchPoint measured[6] = {{0, 0}, {1, 0}, {0, 1}, {2, 3}, {5, 1}, {4, 4}};
        TouchPoint references[6];
        for (int k = 0; k < 6; ++k)
            references[k] = {2 * measured[k].x + 1, -measured[k].y + 3 * measured[k].x + 4};
        const auto c = calibration::fitAffine(references, measured, 6);
        const double expected[6] = {2, 0, 1, 3, -1, 4};
        for (int k = 0; k < 6; ++k)
            QVERIFY2(std::fabs(c[k] - expected[k]) < 1e-12, qPrintable(QString::number(k)));
    }

    void affineOnCollinearTouchesIsNotFinite() {
        const auto c = calibration::fitAffine(square(600, 600, 600, 600));
        QVERIFY(!std::isfinite(c[0]));
    }

    void cornerIndicesPerTargetCount_data() {
        QTest::addColumn<int>("targets");
        QTest::addColumn<QVector<int>>("indices");
        QTest::newRow("4 targets: 2 x 2") << 4 << QVector<int>{0, 1, 3, 2};
        QTest::newRow("9 targets: 3 x 3") << 9 << QVector<int>{0, 2, 8, 6};
        QTest::newRow("15 targets: 5 x 3") << 15 << QVector<int>{0, 4, 14, 10};
        QTest::newRow("20 targets: 5 x 4") << 20 << QVector<int>{0, 4, 19, 15};
    }
    void cornerIndicesPerTargetCount() {
        QFETCH(int, targets);
        QFETCH(QVector<int>, indices);
        const auto actual = calibration::cornerIndices(targets);
        QVERIFY(actual);
        QCOMPARE(QVector<int>(actual->begin(), actual->end()), indices);

        const TouchPointTable table = distinctTable(10);
        const auto corners = calibration::cornerTouches(table, targets);
        QVERIFY(corners);
        for (int k = 0; k < 4; ++k) {
            QCOMPARE((*corners)[k].x, table[indices[k]].x);
            QCOMPARE((*corners)[k].y, table[indices[k]].y);
        }
    }

    void unknownTargetCountHasNoCorners() {
        QVERIFY(!calibration::cornerIndices(0));
        QVERIFY(!calibration::cornerIndices(16));
        QVERIFY(!calibration::cornerTouches(distinctTable(0), 5));
    }

    void onlyCornerTouchesEnterTheResult_data() {
        QTest::addColumn<int>("targets");
        QTest::newRow("9 targets read only 0, 2, 8, 6") << 9;
        QTest::newRow("20 targets read only 0, 4, 19, 15") << 20;
    }
    void onlyCornerTouchesEnterTheResult() {
        QFETCH(int, targets);
        const auto corners = *calibration::cornerIndices(targets);
        TouchPointTable first = distinctTable(3);
        TouchPointTable second = distinctTable(250);
        const Corners placed = square(620, 600, 3470, 3490);
        for (int k = 0; k < 4; ++k) {
            first[corners[k]] = placed[k];
            second[corners[k]] = placed[k];
        }
        double matrix[8][8];
        double firstVector[8];
        double secondVector[8];
        QVERIFY(calibration::solveProjective(*calibration::cornerTouches(first, targets), matrix, firstVector));
        QVERIFY(calibration::solveProjective(*calibration::cornerTouches(second, targets), matrix, secondVector));
        for (int k = 0; k < 8; ++k)
            QCOMPARE(firstVector[k], secondVector[k]);
        QCOMPARE(calibration::fitAffine(*calibration::cornerTouches(first, targets)),
                 calibration::fitAffine(*calibration::cornerTouches(second, targets)));
    }
};

QTEST_GUILESS_MAIN(TestCalibrationMath)
#include "test_calibration_math.moc"
