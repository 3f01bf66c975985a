#include "diag/LogLine.h"

QString LongTimeFormat(const QLocale& locale)
{
    // Drops every unquoted run of "t" (the zone) together with the blanks that set it apart.
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
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
        while (i + 1 < format.size() && format.at(i + 1) == QLatin1Char('t'))
            ++i;
        while (!out.isEmpty() && out.back() == QLatin1Char(' '))
            out.chop(1);
        while (i + 1 < format.size() && format.at(i + 1) == QLatin1Char(' ') && out.isEmpty())
            ++i;
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
