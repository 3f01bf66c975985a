#pragma once

#include <QString>
#include <cstdint>

class TIniText;

// One parameter set as a ".cfg" file holds it: the values of the Main Settings and Alarm
// Setting pages (not the upload interval, not the hot-spot radius).
struct TAppParamsConfig {
    QString Alias;
    QString LowBattery;
    QString TimeDiff;
    QString GSensorParams;
    QString AuthNumbers[5];
    QString IPAddress;
    QString Port;
    QString APN;
    QString APNUser;
    QString APNPassword;
    bool NormalUploading = true;
    bool MovingUploading = false;
    int32_t UploadMode = 1;   // counted from 1: 1 "SMS", 2 "TCP"
    bool KeepAliveOn = false;
    int32_t KeepAliveSeconds = 300;
    QString AlarmParams = QStringLiteral("0,0,0,0,0");

    // Section "Para", in the order of the fields. Keys the program does not know survive.
    void WriteTo(TIniText& ini) const;
    // Each missing key gives its default; booleans are true for any integer other than 0.
    static TAppParamsConfig ReadFrom(const TIniText& ini);
};

namespace ParamsKeys {
constexpr const char* Section = "Para";
// The keep-alive switch and period sit beside the upload mode.
constexpr const char* KeepAliveOn = "DataUpLoad_KeepAlive";
constexpr const char* KeepAliveSeconds = "DataUpLoad_KeepAliveTime";
} // namespace ParamsKeys
