#include "diag/LogLine.h"

#include <QLocale>

QString FormatLogStamp(const QDateTime& when)
{
    // The user's short date and long time formats; a time of exactly midnight is left out.
    const QLocale locale;
    QString stamp = locale.toString(when.date(), QLocale::ShortFormat);
    if (when.time() != QTime(0, 0))
        stamp += QLatin1Char(' ') + locale.toString(when.time(), QLocale::LongFormat);
    return stamp;
}

QString FormatSentLine(const QDateTime& when, const QString& word, const QByteArray& text)
{
    return QStringLiteral("%1 >> %2 : %3").arg(FormatLogStamp(when), word, QString::fromLocal8Bit(text));
}

QString FormatReceivedLine(const QDateTime& when, const QString& word, const QByteArray& payload)
{
    return QStringLiteral("%1 << %2 : %3").arg(FormatLogStamp(when), word, QString::fromLocal8Bit(payload));
}
