#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// The saved console log: the chosen name followed by the moment of saving, "yyMMdd HHmmss.TXT",
// so that saving twice under the same name never replaces an earlier log.
QString ConsoleLogFileName(const QString& chosenPath, const QDateTime& when);

// Writes the lines as 8-bit text in the system code page, each ended by CR LF, replacing a file
// of the same name. The file appears whole or not at all; a failure raises EAppError with the
// file name and the system's reason.
void SaveConsoleLog(const QString& path, const QStringList& lines);
