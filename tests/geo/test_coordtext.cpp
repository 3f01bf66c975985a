// The degrees-and-minutes coordinate text of the geo-fence command, and the decimal form the
// fence list shows.
#include "geo/CoordText.h"

#include <QtTest>
#include <cmath>
#include <random>

class TestCoordText : public QObject {
    Q_OBJECT
private slots:
    void formatCoord_data();
    void formatCoord();
    void parseCoord_data();
    void parseCoord();
    void roundTripStaysWithinTruncationAndRounding();
    void everyMinuteTextComesBackUnchanged();
    void parseCoordRoundsHalvesAwayFromZero();
    void oddInputNeverBreaks();
    void shortDecimal_data();
    void shortDecimal();
};

void TestCoordText::formatCoord_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("latitude with two degree digits") << 22.917922 << QByteArray("2255.0753");
    QTest::newRow("longitude with three degree digits") << 113.9456175 << QByteArray("11356.7370");
    QTest::newRow("113.945618 is the reading of 11356.7371") << 113.945618 << QByteArray("11356.7371");
    QTest::newRow("negative latitude") << -33.8688 << QByteArray("-3352.1280");
    QTest::newRow("half a degree keeps one degree digit") << 0.5 << QByteArray("030.0000");
    QTest::newRow("single degree digit, no leading zero") << 5.25 << QByteArray("515.0000");
    QTest::newRow("five and a half degrees") << 5.5 << QByteArray("530.0000");
    QTest::newRow("zero") << 0.0 << QByteArray("000.0000");
    QTest::newRow("negative zero is not below zero") << -0.0 << QByteArray("000.0000");
    QTest::newRow("the date line") << 180.0 << QByteArray("18000.0000");
    QTest::newRow("just short of the date line, west") << -179.999999 << QByteArray("-17959.9999");
    QTest::newRow("a millionth below zero keeps its sign") << -0.000001 << QByteArray("-000.0000");
    // 10.1 and 45.05 are what "1006.0000" and "4503.0000" read as: they go back as those texts
    // (the float's truncation gave "1005.9999" and "4502.9999", a fence drifting at every write).
    QTest::newRow("10.1 is the reading of 1006.0000") << 10.1 << QByteArray("1006.0000");
    QTest::newRow("45.05 is the reading of 4503.0000") << 45.05 << QByteArray("4503.0000");
    QTest::newRow("as ParseCoord gives 52.52") << ParseCoord("5231.2000") << QByteArray("5231.2000");
    QTest::newRow("six decimals no text reads as are truncated") << 114.123456 << QByteArray("11407.4073");
    QTest::newRow("seven decimals are truncated") << 22.9179224 << QByteArray("2255.0753");
    QTest::newRow("a map coordinate is truncated") << 52.5199999999 << QByteArray("5231.1999");
    QTest::newRow("minutes are truncated, not rounded") << 22.99999999 << QByteArray("2259.9999");
}

void TestCoordText::formatCoord()
{
    QFETCH(double, value);
    QFETCH(QByteArray, text);
    QCOMPARE(FormatCoord(value), text);
}

void TestCoordText::parseCoord_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("latitude") << QByteArray("2255.0753") << 22.917922;
    QTest::newRow("longitude rounds to six decimals") << QByteArray("11356.7370") << 113.945617;
    QTest::newRow("negative") << QByteArray("-3352.1280") << -33.8688;
    QTest::newRow("exact sixty-fourth") << QByteArray("12509.3750") << 125.15625;
    QTest::newRow("no degree digits beyond one") << QByteArray("030.0000") << 0.5;
    QTest::newRow("shorter than the minutes") << QByteArray("0") << 0.0;
    QTest::newRow("empty") << QByteArray("") << 0.0;
    QTest::newRow("not a number") << QByteArray("abc") << 0.0;
    QTest::newRow("only minutes") << QByteArray("30.0000") << 0.5;
    QTest::newRow("degrees not a number, minutes kept") << QByteArray("xx30.0000") << 0.5;
    QTest::newRow("minutes not a number, degrees kept") << QByteArray("12ab.cdef") << 12.0;
    QTest::newRow("lone minus sign") << QByteArray("-") << 0.0;
    QTest::newRow("the date line") << QByteArray("18000.0000") << 180.0;
    QTest::newRow("zero written as disable text") << QByteArray("000.0000") << 0.0;
}

void TestCoordText::parseCoord()
{
    QFETCH(QByteArray, text);
    QFETCH(double, value);
    const double parsed = ParseCoord(text);
    // Six decimals are the result's whole precision.
    QVERIFY2(std::fabs(parsed - value) < 1e-9,
             qPrintable(QStringLiteral("%1 read as %2").arg(QString::fromLatin1(text)).arg(parsed, 0, 'f', 9)));
}

void TestCoordText::roundTripStaysWithinTruncationAndRounding()
{
    // 0.0001 minute of truncation plus half a millionth of rounding stays below 0.0000022 degrees.
    std::mt19937_64 random(20240611);
    std::uniform_real_distribution<double> degrees(-180.0, 180.0);
    double worst = 0;
    double worstValue = 0;
    for (int i = 0; i < 100000; ++i) {
        const double v = degrees(random);
        const double error = std::fabs(ParseCoord(FormatCoord(v)) - v);
        if (error > worst) {
            worst = error;
            worstValue = v;
        }
    }
    QVERIFY2(worst < 0.0000022, qPrintable(QStringLiteral("%1 came back %2 away")
                                                .arg(worstValue, 0, 'f', 12).arg(worst, 0, 'g', 6)));
    // The bound is close to what truncation really costs: a tight fit, not a loose one.
    QVERIFY(worst > 0.0000015);
    for (double v : {-180.0, 180.0, 0.0, -90.0, 90.0})
        QVERIFY(std::fabs(ParseCoord(FormatCoord(v)) - v) < 0.0000022);
}

void TestCoordText::everyMinuteTextComesBackUnchanged()
{
    // Text -> degrees -> text is the identity for four-decimal minute texts over the whole
    // range, both signs: every degree and minute, a spread of fractions (with both ends), and
    // every fraction for a few degrees. Reading and writing a fence never moves it.
    QList<int> fractions = {0, 1, 2, 3, 4999, 5000, 5001, 9997, 9998, 9999};
    for (int f = 5; f < 10000; f += 37)
        fractions << f;
    const auto check = [](int degrees, int minutes, int fraction, bool negative) -> QByteArray {
        QByteArray text = negative ? "-" : "";
        text += QByteArray::number(degrees) + QByteArray::number(minutes).rightJustified(2, '0') + '.' +
                QByteArray::number(fraction).rightJustified(4, '0');
        const QByteArray back = FormatCoord(ParseCoord(text));
        return back == text ? QByteArray() : text + " came back as " + back;
    };
    int checked = 0;
    for (int degrees = 0; degrees <= 180; ++degrees)
        for (int minutes = 0; minutes < (degrees == 180 ? 1 : 60); ++minutes)
            for (int fraction : fractions)
                for (bool negative : {false, true}) {
                    // Nothing past the date line; and "-000.0000" is zero, which has no sign.
                    if ((degrees == 180 && fraction != 0) || (negative && degrees + minutes + fraction == 0))
                        continue;
                    const QByteArray wrong = check(degrees, minutes, fraction, negative);
                    QVERIFY2(wrong.isEmpty(), wrong.constData());
                    ++checked;
                }
    for (int degrees : {0, 22, 52, 89, 90, 113, 179})
        for (int minutes : {0, 31, 59})
            for (int fraction = 0; fraction < 10000; ++fraction) {
                const QByteArray wrong = check(degrees, minutes, fraction, fraction % 2 == 1 && degrees + minutes > 0);
                QVERIFY2(wrong.isEmpty(), wrong.constData());
                ++checked;
            }
    qInfo("%d texts came back unchanged", checked);
    QVERIFY(checked > 2000000);
    // Written, read back and written again: the same text each time.
    QByteArray text = "5231.2000";
    for (int i = 0; i < 5; ++i)
        text = FormatCoord(ParseCoord(text));
    QCOMPARE(text, QByteArray("5231.2000"));
}

void TestCoordText::parseCoordRoundsHalvesAwayFromZero()
{
    // The degree part reads as any decimal, so values between two millionths can be given
    // directly ("00.0000" minutes after them). Negative values round the mirror way.
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"0.0000015100.0000", 0.000002},   {"-0.0000015100.0000", -0.000002},
        {"0.0000014900.0000", 0.000001},   {"-0.0000014900.0000", -0.000001},
        {"22.917921500100.0000", 22.917922}, {"-22.917921500100.0000", -22.917922},
    };
    for (const auto& c : cases)
        QVERIFY2(std::fabs(ParseCoord(c.text) - c.value) < 1e-12, c.text);
}

void TestCoordText::oddInputNeverBreaks()
{
    // Absurd values still give a text the tracker's format can hold, and never crash.
    QCOMPARE(FormatCoord(std::nan("")), QByteArray("000.0000"));
    QVERIFY(FormatCoord(1e300).endsWith("00.0000"));
    QVERIFY(FormatCoord(-HUGE_VAL).startsWith('-'));
    QCOMPARE(ParseCoord("1e400"), 0.0);
    QCOMPARE(ParseCoord(QByteArray(100000, '9').left(100) + "00.0000") > 1e90, true);
    QCOMPARE(ParseCoord("+2255.0753") > 22.9, true);
}

void TestCoordText::shortDecimal_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole degrees without a point") << 114.0 << QStringLiteral("114");
    QTest::newRow("trailing zeros dropped") << 22.5 << QStringLiteral("22.5");
    QTest::newRow("six decimals kept") << 22.917922 << QStringLiteral("22.917922");
    QTest::newRow("parsed longitude") << ParseCoord("11356.7370") << QStringLiteral("113.945617");
    QTest::newRow("negative") << -33.8688 << QStringLiteral("-33.8688");
    QTest::newRow("smallest six-decimal coordinate, no exponent") << 0.000001 << QStringLiteral("0.000001");
    QTest::newRow("fifteen significant digits at most") << 1.0 / 3.0 << QStringLiteral("0.333333333333333");
    QTest::newRow("zero") << 0.0 << QStringLiteral("0");
    QTest::newRow("binary tail hidden") << 0.1 + 0.2 << QStringLiteral("0.3");
}

void TestCoordText::shortDecimal()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(FormatShortDecimal(value), text);
}

QTEST_GUILESS_MAIN(TestCoordText)
#include "test_coordtext.moc"
