#include "core/DataFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString ProgramFolderName = QStringLiteral("tovrik-assistant");

QString& Override()
{
    static QString folder;
    return folder;
}

// "<prefix>/share/tovrik-assistant" for an executable in "<prefix>/bin"; empty otherwise.
QString InstalledShareFolder(const QString& exeFolder)
{
    const QDir bin(exeFolder);
    if (bin.dirName() != QLatin1String("bin"))
        return QString();
    const QString share = QDir::cleanPath(bin.filePath(QStringLiteral("../share/") + ProgramFolderName));
    return QFileInfo(share).isDir() ? share : QString();
}

QString PerUserFolder(QStandardPaths::StandardLocation location)
{
    return QDir(QStandardPaths::writableLocation(location)).filePath(ProgramFolderName);
}

} // namespace

TDataFolders ResolveDataFolders(const QString& exeFolder)
{
    const QFileInfo folder(exeFolder);
    if (folder.isDir() && folder.isWritable() && InstalledShareFolder(exeFolder).isEmpty())
        return {exeFolder, exeFolder, false};
    return {PerUserFolder(QStandardPaths::GenericConfigLocation), PerUserFolder(QStandardPaths::GenericDataLocation),
            true};
}

QStringList ShippedLanguageFolders(const QString& exeFolder)
{
    QStringList folders;
    const QString beside = QDir(exeFolder).filePath(QStringLiteral("locale"));
    if (QFileInfo(beside).isDir())
        folders << beside;
    if (const QString share = InstalledShareFolder(exeFolder); !share.isEmpty())
        if (const QString locale = share + QStringLiteral("/locale"); QFileInfo(locale).isDir())
            folders << locale;
    return folders;
}

TDataFolders CurrentDataFolders()
{
    if (!Override().isEmpty())
        return {Override(), Override(), false};
    return ResolveDataFolders(QCoreApplication::applicationDirPath());
}

QString AppDataFolder() { return CurrentDataFolders().Data; }

void SetAppDataFolder(const QString& folder) { Override() = folder; }

bool PrepareDataFolders()
{
    const TDataFolders folders = CurrentDataFolders();
    return QDir().mkpath(folders.Settings) && QDir().mkpath(folders.Data);
}

namespace {

// The settings file of the program whose executable has this base name.
QString SettingsFileOf(const QString& executableBaseName)
{
    return QDir(CurrentDataFolders().Settings).filePath(executableBaseName + QStringLiteral(".ini"));
}

} // namespace

QString SettingsFilePath()
{
    const QString base = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    return SettingsFileOf(base.isEmpty() ? ProgramFolderName : base);
}

// The window's executable and its folders share one name.
QString WindowSettingsFilePath() { return SettingsFileOf(ProgramFolderName); }

QString AppDataPath(const QString& relative) { return QDir(AppDataFolder()).filePath(relative); }
