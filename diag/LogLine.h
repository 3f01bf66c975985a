#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QLocale>
#include <QString>

// The lines of the communication log: "%s >> %s : %s" for a sent command text,
// "%s << %s : %s" for a received payload, each with a local date-time stamp; the separator is
// the empty line.

// The user's short date, a space and the user's long time; a time of exactly midnight (hours,
// minutes and seconds all zero) is left out together with the space.
QString FormatLogStamp(const QDateTime& when, const QLocale& locale = QLocale::system());
// The locale's long time format without its time-zone part: a log line says when, in local time,
// and a zone name only lengthens every line.
QString LongTimeFormat(const QLocale& locale);

QString FormatSentLine(const QDateTime& when, const QString& word, const QByteArray& text);
// A console command, logged as the user typed it.
QString FormatSentLine(const QDateTime& when, const QString& word, const QString& text);
QString FormatReceivedLine(const QDateTime& when, const QString& word, const QByteArray& payload);
// A console text that was not sent, with the reason.
QString FormatRefusedLine(const QDateTime& when, const QString& reason);
// A word of the program's own between the exchanges ("!!" like a refusal): a warning, a console
// command that got no answer.
QString FormatNoticeLine(const QDateTime& when, const QString& text);
