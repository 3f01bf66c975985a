#include "fleet/ProvisionReport.h"

#include "core/AppError.h"
#include "core/DataFolder.h"
#include "fleet/ProvisionResult.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

namespace {

const QByteArray Header = "time,port,identifier,firmware,result,details,slot\r\n";
// A lock left by a run that died is taken over after this; a live run holds it for milliseconds.
constexpr int LockStaleMs = 10000;
constexpr int LockWaitMs = 15000;

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

QString Row(const QDateTime& time, const QString& portDevice, const TProvisionResult& result, const QString& slot)
{
    return QStringList{Cell(time.toString(Qt::ISODate)), Cell(portDevice), Cell(result.Identifier),
                       Cell(result.Firmware), Cell(result.ResultWord()), Cell(result.Details()), Cell(slot)}
        .join(QLatin1Char(','));
}

void AppendRow(const QString& path, const QDateTime& time, const QString& portDevice, const TProvisionResult& result,
               const QString& slot)
{
    const QFileInfo info(path);
    // A FIFO or a device would be read or written without end: only a plain file is a report.
    if (info.exists() && !info.isFile())
        CannotCreate(path, QStringLiteral("It is not a regular file."));
    if (!QDir().mkpath(info.absolutePath()))
        CannotCreate(path, QStringLiteral("The folder cannot be made."));
    // Several runs append to one report: one at a time, each row whole.
    QLockFile lock(path + QStringLiteral(".lock"));
    lock.setStaleLockTime(LockStaleMs);
    if (!lock.tryLock(LockWaitMs))
        CannotCreate(path, QStringLiteral("Another run holds the report (%1.lock).").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        CannotCreate(path, file.errorString());
    if (!QFileInfo(file.fileName()).isFile()) // replaced by something else since the check
        CannotCreate(path, QStringLiteral("It is not a regular file."));
    const qint64 oldSize = file.size();
    QByteArray bytes;
    if (oldSize == 0) {
        bytes = Header;
    } else {
        file.seek(oldSize - 1);
        if (file.read(1) != "\n")
            bytes = "\r\n"; // a last line without its end: the new row starts a line of its own
    }
    bytes += Row(time, portDevice, result, slot).toUtf8() + "\r\n";
    file.seek(oldSize);
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    if (!written) {
        // A full disk took part of the row: the rows before it stay as they were.
        const QString reason = file.errorString();
        file.resize(oldSize);
        CannotCreate(path, reason);
    }
}

} // namespace ProvisionReport
