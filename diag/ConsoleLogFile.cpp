#include "diag/ConsoleLogFile.h"

#include "core/AppError.h"

#include <QDir>
#include <QSaveFile>

QString ConsoleLogFileName(const QString& chosenPath, const QDateTime& when)
{
    // One reading of the clock for date and time, so that a save at midnight cannot combine
    // one day's date with the next day's time.
    return chosenPath + when.toString(QStringLiteral("yyMMdd")) + QLatin1Char(' ')
           + when.toString(QStringLiteral("HHmmss")) + QStringLiteral(".TXT");
}

void SaveConsoleLog(const QString& path, const QStringList& lines)
{
    const auto fail = [&path](const QString& reason) {
        throw EAppError(QStringLiteral("Cannot save file \"%1\". %2").arg(QDir::toNativeSeparators(path), reason));
    };
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail(file.errorString());
    QByteArray text;
    for (const QString& line : lines) {
        text += line.toLocal8Bit();
        text += "\r\n";
    }
    if (file.write(text) != text.size())
        fail(file.errorString());
    if (!file.commit())
        fail(file.errorString());
}
