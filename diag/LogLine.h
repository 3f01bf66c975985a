#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The lines of the communication log: "%s >> %s : %s" for a sent command text,
// "%s << %s : %s" for a received payload, each with a local date-time stamp.
QString FormatLogStamp(const QDateTime& when);
QString FormatSentLine(const QDateTime& when, const QString& word, const QByteArray& text);
QString FormatReceivedLine(const QDateTime& when, const QString& word, const QByteArray& payload);
