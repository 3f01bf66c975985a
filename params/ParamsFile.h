#pragma once

#include "params/AppParamsConfig.h"

class TAlarmPage;
class TMainSettingsPage;

// Moves one parameter set between the pages and a ".cfg" file. Neither talks to the tracker.
class TParamsFile {
public:
    TParamsFile(TMainSettingsPage& mainPage, TAlarmPage& alarmPage);

    // The set shown on the pages.
    TAppParamsConfig FromPages() const;
    // Sets the pages from a set, in the fixed order. An alarm index that names no item ends the
    // load at that group with EAppError "List index out of bounds (%d)"; earlier values stay set.
    void ToPages(const TAppParamsConfig& config);

    // Writes the file (an existing file is read first so its other keys survive), atomically.
    // Raises EAppError "Cannot create file "%s". %s" on failure; the old file stays whole.
    void SaveParamsFile(const QString& path);
    // Reads the file and sets the pages. A file that exists but cannot be read raises
    // EAppError "Cannot open file "%s". %s" and sets nothing; a missing file gives the defaults.
    void LoadParamsFile(const QString& path);

    // The instance Save fills and Load reads into.
    const TAppParamsConfig& Config() const { return FConfig; }

private:
    TMainSettingsPage& FMain;
    TAlarmPage& FAlarm;
    TAppParamsConfig FConfig;
};
