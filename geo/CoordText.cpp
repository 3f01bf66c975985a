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

} // namespace

QByteArray FormatCoord(double value)
{
    // A value that is not a number has no degrees to write; it goes out as zero rather than as
    // a text the tracker cannot read.
    if (std::isnan(value))
        value = 0;
    const double a = std::fabs(value);
    const double D = std::trunc(a);
    double M = 0, T = 0;
    if (std::isfinite(a)) {
        const double f = a - D;
        const double m = f * 60;
        M = std::trunc(m);
        const double t = (m - M) * 10000;
        T = std::trunc(t);
    }
    QByteArray text;
    if (value < 0)
        text += '-';
    // The degrees may exceed any integer type for absurd input; print the whole float instead.
    text += std::isfinite(D) ? QLocale::c().toString(D, 'f', 0).toLatin1() : QByteArray("0");
    text += QByteArray::number(int(M)).rightJustified(2, '0');
    text += '.';
    text += QByteArray::number(int(T)).rightJustified(4, '0');
    return text;
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
