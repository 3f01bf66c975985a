#include "diag/LogLine.h"

namespace {

bool IsListSeparator(QChar c)
{
    return c == QLatin1Char(',') || c == QLatin1Char(';') || c == QChar(0x060C) || c == QChar(0xFF0C) ||
           c == QChar(0x3001);
}

// The bracket that closes an opening one; a null character for anything else.
QChar ClosingBracket(QChar c)
{
    if (c == QLatin1Char('('))
        return QLatin1Char(')');
    if (c == QLatin1Char('['))
        return QLatin1Char(']');
    if (c == QChar(0xFF08))
        return QChar(0xFF09);
    return QChar();
}

void ChopBlanks(QString& s)
{
    while (!s.isEmpty() && s.back() == QLatin1Char(' '))
        s.chop(1);
}

} // namespace

QString LongTimeFormat(const QLocale& locale)
{
    // Drops every unquoted run of "t" (the zone) together with what only served it: the blanks
    // that set it apart, brackets around it ("(t)", "[t]") and a comma before or after it.
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    const qsizetype size = format.size();
    const auto nextNonBlank = [&](qsizetype from) {
        while (from < size && format.at(from) == QLatin1Char(' '))
            ++from;
        return from;
    };
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
            out += c;
            continue;
        }
        if (quoted || c != QLatin1Char('t')) {
            out += c;
            continue;
        }
        while (i + 1 < size && format.at(i + 1) == QLatin1Char('t'))
            ++i;
        ChopBlanks(out);
        if (!out.isEmpty()) {
            const QChar closer = ClosingBracket(out.back());
            if (const qsizetype j = nextNonBlank(i + 1); !closer.isNull() && j < size && format.at(j) == closer) {
                out.chop(1);
                ChopBlanks(out);
                i = j;
            }
        }
        if (!out.isEmpty() && IsListSeparator(out.back())) {
            out.chop(1); // "h:mm:ss AP, t"
            ChopBlanks(out);
        } else if (const qsizetype j = nextNonBlank(i + 1); j < size && IsListSeparator(format.at(j))) {
            i = j; // "t, HH:mm:ss"
        }
        if (out.isEmpty())
            i = nextNonBlank(i + 1) - 1;
    }
    return out.trimmed();
}

QString FormatLogStamp(const QDateTime& when, const QLocale& locale)
{
    QString stamp = locale.toString(when.date(), QLocale::ShortFormat);
    const QTime time = when.time();
    if (time.hour() != 0 || time.minute() != 0 || time.second() != 0)
        stamp += QLatin1Char(' ') + locale.toString(time, LongTimeFormat(locale));
    return stamp;
}

QString FormatSentLine(const QDateTime& when, const QString& word, const QByteArray& text)
{
    return FormatSentLine(when, word, QString::fromLocal8Bit(text));
}

QString FormatSentLine(const QDateTime& when, const QString& word, const QString& text)
{
    return QStringLiteral("%1 >> %2 : %3").arg(FormatLogStamp(when), word, text);
}

QString FormatReceivedLine(const QDateTime& when, const QString& word, const QByteArray& payload)
{
    return QStringLiteral("%1 << %2 : %3").arg(FormatLogStamp(when), word, QString::fromLocal8Bit(payload));
}

QString FormatRefusedLine(const QDateTime& when, const QString& reason)
{
    return QStringLiteral("%1 !! %2").arg(FormatLogStamp(when), reason);
}

QString FormatNoticeLine(const QDateTime& when, const QString& text) { return FormatRefusedLine(when, text); }
