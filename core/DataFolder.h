#pragma once

#include <QString>
#include <QStringList>

// Where the program keeps its files: the settings file, "param", "locale" and saved logs.
//
// Portable use: when the executable's folder is writable and is not an installed layout, every
// file lives beside the executable, as the program has always done. Installed (the executable in
// "<prefix>/bin" beside "<prefix>/share/tovrik-assistant", or a folder the user cannot write):
// the settings file goes to the user's configuration folder and everything else to the user's
// data folder, each under "tovrik-assistant". An installed folder counts as installed even for a
// user who could write it (root), so that such a run never litters the system's folders.
// The command line or a test may name one folder for everything instead.
struct TDataFolders {
    QString Settings; // folder of the settings file
    QString Data;     // "param", "locale" (the written catalogue, the user's own languages), logs
    bool PerUser = false;
};

// The folders for an executable in exeFolder, with the platform's per-user folders from the
// environment ($XDG_CONFIG_HOME, $XDG_DATA_HOME on Linux). Creates nothing.
TDataFolders ResolveDataFolders(const QString& exeFolder);
// Folders of language files shipped with an executable in exeFolder that exist: "locale" beside
// it, and "<prefix>/share/tovrik-assistant/locale" for an installed one.
QStringList ShippedLanguageFolders(const QString& exeFolder);

// The folders of this run: the one named by SetAppDataFolder, otherwise ResolveDataFolders for
// the running executable.
TDataFolders CurrentDataFolders();
QString AppDataFolder();
void SetAppDataFolder(const QString& folder);
// Creates this run's folders when they are missing (a first start in per-user mode). Returns
// false when one cannot be made; the first write there then reports the reason.
bool PrepareDataFolders();

// The settings file of this run: the running executable's base name with ".ini", in the
// settings folder (the window's "tovrik-assistant.ini", or the name a user gave its copy).
QString SettingsFilePath();
// The window's settings file as the program's other executables find it (tovrik-cli reads its
// "ports" section): the window's installed name, "tovrik-assistant.ini", in the settings folder.
QString WindowSettingsFilePath();
// A path inside the data folder.
QString AppDataPath(const QString& relative);
