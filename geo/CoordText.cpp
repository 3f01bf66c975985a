#include "geo/CoordText.h"

#include "core/Numbers.h"

#include <QLocale>
#include <cmath>

namespace {

// Reads a decimal number with "."; anything else counts as 0.
double DecimalOrZero(const QByteArray& text)
{
    double v = 0;
    return TryStrToFloat(QString::fromLatin1(text), v) ? v : 0.0;
}

// The whole ten-thousandths of a minute of a magnitude that is exactly what ParseCoord reads from
// some four-digit minute text (the text's degrees rounded to six decimals), or -1. Six decimals
// of a degree are finer than a ten-thousandth of a minute, so no two texts read as one value.
long long MinuteUnitsOfParsedText(double magnitude)
{
    constexpr double MaxDegrees = 1e9; // far beyond any coordinate; keeps the integers exact
    if (!(magnitude < MaxDegrees))
        return -1;
    const double micro = magnitude * 1e6;
    const long long m = std::llround(micro);
    // ParseCoord's results sit on the six-decimal grid, give or take the float's last bits.
    if (std::fabs(micro - double(m)) > 1e-6)
        return -1;
    // A text of N ten-thousandths of a minute is 5N/3 millionths of a degree; ParseCoord rounds
    // that to a whole millionth (a third or two thirds over, never a half).
    const long long n0 = std::llround(double(m) * 0.6);
    for (long long n = n0 - 1; n <= n0 + 1; ++n)
        if (n >= 0 && (5 * n + 1) / 3 == m)
            return n;
    return -1;
}

QByteArray CoordText(bool negative, double degrees, int minutes, int fraction)
{
    QByteArray text;
    if (negative)
        text += '-';
    // The degrees may exceed any integer type for absurd input; print the whole float instead.
    text += std::isfinite(degrees) ? QLocale::c().toString(degrees, 'f', 0).toLatin1() : QByteArray("0");
    text += QByteArray::number(minutes).rightJustified(2, '0');
    text += '.';
    text += QByteArray::number(fraction).rightJustified(4, '0');
    return text;
}

} // namespace

QByteArray FormatCoord(double value)
{
    // A value that is not a number has no degrees to write; it goes out as zero rather than as
    // a text the tracker cannot read.
    if (std::isnan(value))
        value = 0;
    const double a = std::fabs(value);
    // A value read from a coordinate text goes back as that very text: writing a fence that was
    // read (or shown in the editor and saved unchanged) never moves it by a last digit.
    if (const long long units = MinuteUnitsOfParsedText(a); units >= 0) {
        const long long perDegree = 60 * 10000;
        return CoordText(value < 0, double(units / perDegree), int(units % perDegree / 10000), int(units % 10000));
    }
    const double D = std::trunc(a);
    double M = 0, T = 0;
    if (std::isfinite(a)) {
        const double f = a - D;
        const double m = f * 60;
        M = std::trunc(m);
        const double t = (m - M) * 10000;
        T = std::trunc(t);
    }
    return CoordText(value < 0, D, int(M), int(T));
}

double ParseCoord(const QByteArray& text)
{
    QByteArray rest = text;
    const bool negative = rest.startsWith('-');
    if (negative)
        rest.remove(0, 1);
    constexpr qsizetype MinuteChars = 7; // MM.MMMM
    const qsizetype split = rest.size() > MinuteChars ? rest.size() - MinuteChars : 0;
    const double minutes = DecimalOrZero(rest.mid(split)) / 60;
    const double degrees = split > 0 ? DecimalOrZero(rest.left(split)) : 0.0;
    double v = degrees + minutes;
    if (negative)
        v = -v;
    const double p = 0.000001;
    return v >= 0 ? std::trunc(v / p + 0.5) * p : std::trunc(v / p - 0.5) * p;
}

QString FormatShortDecimal(double value)
{
    if (value == 0)
        return QStringLiteral("0");
    if (!std::isfinite(value))
        return QLocale::c().toString(value, 'g', 15);
    const double a = std::fabs(value);
    // Fixed notation for everything a coordinate can be; the exponent form only for magnitudes
    // no coordinate has.
    if (a < 1e-6 || a >= 1e15)
        return QLocale::c().toString(value, 'g', 15);
    const int intDigits = int(std::floor(std::log10(a))) + 1;
    const int decimals = qBound(0, 15 - intDigits, 20);
    QString text = QLocale::c().toString(value, 'f', decimals);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text;
}
