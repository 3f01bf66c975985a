#include "fleet/ProvisionReport.h"

#include "core/AppError.h"
#include "core/DataFolder.h"
#include "fleet/ProvisionRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

const QByteArray Header = "time,port,identifier,firmware,result,details\r\n";

// A CSV cell: quoted when it holds a separator, a quote or a line end.
QString Cell(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')) &&
        !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

[[noreturn]] void CannotCreate(const QString& path, const QString& reason)
{
    throw EAppError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, reason));
}

} // namespace

namespace ProvisionReport {

QString DefaultPath(const QDate& day)
{
    return AppDataPath(QStringLiteral("reports/provision-%1.csv").arg(day.toString(QStringLiteral("yyyy-MM-dd"))));
}

QString Row(const QDateTime& time, const QString& portDevice, const TProvisionResult& result)
{
    return QStringList{Cell(time.toString(Qt::ISODate)), Cell(portDevice), Cell(result.Identifier),
                       Cell(result.Firmware), Cell(result.ResultWord()), Cell(result.Details())}
        .join(QLatin1Char(','));
}

void AppendRow(const QString& path, const QDateTime& time, const QString& portDevice, const TProvisionResult& result)
{
    QByteArray contents;
    QFile old(path);
    if (old.exists()) {
        if (!old.open(QIODevice::ReadOnly))
            CannotCreate(path, old.errorString());
        contents = old.readAll();
        old.close();
        if (!contents.isEmpty() && !contents.endsWith('\n'))
            contents += "\r\n";
    }
    if (contents.isEmpty())
        contents = Header;
    contents += Row(time, portDevice, result).toUtf8() + "\r\n";
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        CannotCreate(path, QStringLiteral("The folder cannot be made."));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size() || !file.commit())
        CannotCreate(path, file.errorString());
}

} // namespace ProvisionReport
