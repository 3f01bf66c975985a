#include "core/DataFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString& Override()
{
    static QString folder;
    return folder;
}

} // namespace

QString AppDataFolder()
{
    if (!Override().isEmpty())
        return Override();
    return QCoreApplication::applicationDirPath();
}

void SetAppDataFolder(const QString& folder) { Override() = folder; }

QString SettingsFilePath()
{
    QString base = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    if (base.isEmpty())
        base = QStringLiteral("tovrik-assistant");
    return QDir(AppDataFolder()).filePath(base + QStringLiteral(".ini"));
}

QString AppDataPath(const QString& relative) { return QDir(AppDataFolder()).filePath(relative); }
