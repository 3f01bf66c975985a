#pragma once

#include <QDateTime>
#include <QString>

struct TProvisionResult;

// The provisioning report: one CSV row per tracker (time, port device, identifier, firmware,
// result, the fields that differed or the error), appended to a file that starts with a header.
namespace ProvisionReport {

// reports/provision-<yyyy-MM-dd>.csv in the data folder.
QString DefaultPath(const QDate& day);

// The row as written, without its line end.
QString Row(const QDateTime& time, const QString& portDevice, const TProvisionResult& result);

// Appends one row (writing the header into a new file) atomically: the file is whole either way.
// Raises EAppError "Cannot create file "%s". %s".
void AppendRow(const QString& path, const QDateTime& time, const QString& portDevice, const TProvisionResult& result);

} // namespace ProvisionReport
