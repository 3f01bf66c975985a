#pragma once

#include <QString>

// Where the program keeps its files: the settings file, "param", "locale" and saved logs.
// By default the folder of the executable; the command line or a test may name another.
QString AppDataFolder();
void SetAppDataFolder(const QString& folder);

// The settings file: the executable's base name with ".ini", in the data folder.
QString SettingsFilePath();
// A path inside the data folder.
QString AppDataPath(const QString& relative);
