#pragma once

#include <QDateTime>
#include <QString>

struct TProvisionResult;

// The provisioning report: one CSV row per tracker (time, port device, identifier, firmware,
// result, the fields that differed or the error, the slot: the port's stable name), appended to a
// file that starts with a header. Readers of the first six columns read it as before.
namespace ProvisionReport {

// reports/provision-<yyyy-MM-dd>.csv in the data folder.
QString DefaultPath(const QDate& day);

// The row as written, without its line end.
QString Row(const QDateTime& time, const QString& portDevice, const TProvisionResult& result, const QString& slot = {});

// Appends one row (the header first into a new or empty file) under a lock beside the file, so
// that runs appending at once never mix or lose rows. Only a regular file is a report. A row that
// cannot be written whole is taken back, leaving the rows before it. Raises EAppError
// "Cannot create file "%s". %s".
void AppendRow(const QString& path, const QDateTime& time, const QString& portDevice, const TProvisionResult& result,
               const QString& slot = {});

} // namespace ProvisionReport
