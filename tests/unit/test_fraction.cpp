#include <QtTest>

#include <cmath>

#include "calibration/fraction.h"

__extension__ using Int128 = __int128;

// Exact reference: a double is m × 2^e with a 53-bit integer m, so size × m fits in 128 bits.
static long long exactTruncatedProduct(int size, double fraction) {
    int exponent = 0;
    const double mantissa = std::frexp(fraction, &exponent);
    const auto m = static_cast<Int128>(std::ldexp(mantissa, 53));
    Int128 product = m * size;
    const int shift = 53 - exponent;
    const bool negative = product < 0;
    if (negative)
        product = -product;
    product = shift >= 0 ? (product >> shift) : (product << -shift);
    return static_cast<long long>(negative ? -product : product);
}

class TestFraction : public QObject {
    Q_OBJECT

private slots:
    void knownProducts_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<double>("fraction");
        QTest::addColumn<int>("expected");
        QTest::newRow("1920 x 0.15 is 287, not the rounded 288") << 1920 << 0.15 << 287;
        QTest::newRow("1080 x 0.85 is 917, not the rounded 918") << 1080 << 0.85 << 917;
        QTest::newRow("1080 x 0.61 is 658") << 1080 << 0.61 << 658;
        QTest::newRow("1080 x 0.15 is 161") << 1080 << 0.15 << 161;
        QTest::newRow("1920 x 0.85 is 1631") << 1920 << 0.85 << 1631;
        QTest::newRow("1080 x 0.38 is 410") << 1080 << 0.38 << 410;
        QTest::newRow("1920 x 0.5 is exact 960") << 1920 << 0.5 << 960;
        QTest::newRow("1920 x 0.325 is 624") << 1920 << 0.325 << 624;
        QTest::newRow("1920 x 0.675 is 1296") << 1920 << 0.675 << 1296;
        QTest::newRow("556 x 0.382 is 212") << 556 << 0.382 << 212;
        QTest::newRow("negative size truncates toward zero") << -100 << 0.382 << -38;
        QTest::newRow("zero size") << 0 << 0.85 << 0;
    }
    void knownProducts() {
        QFETCH(int, size);
        QFETCH(double, fraction);
        QFETCH(int, expected);
        QCOMPARE(calibration::truncatedProduct(size, fraction), expected);
    }

    void everyGridFractionMatchesTheExactProduct() {
        const double fractions[] = {0.15, 0.325, 0.38, 0.382, 0.5, 0.61, 0.675, 0.85};
        for (double fraction : fractions) {
            for (int size = -8192; size <= 8192; ++size) {
                const long long exact = exactTruncatedProduct(size, fraction);
                if (calibration::truncatedProduct(size, fraction) != exact)
                    QFAIL(qPrintable(QStringLiteral("%1 x %2").arg(size).arg(fraction, 0, 'g', 17)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestFraction)
#include "test_fraction.moc"
