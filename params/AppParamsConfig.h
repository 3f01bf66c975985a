#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

class TIniText;

// One parameter set as a ".cfg" file holds it: the values of the Main Settings and Alarm
// Setting pages (not the hot-spot radius).
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
    // The upload interval, written after the twenty fields; empty when a file (an older one)
    // holds none: the interval on the pages then stays as it is.
    QString UploadInterval;
    // The fence file that travels with this set, as the file names it: empty for none, else a
    // path absolute or relative to the parameter file's folder. Not shown on any page.
    QString FenceFile;

    // Section "Para", in the order of the fields. Keys the program does not know survive. The
    // fence file's key is written only when the set names one, so a Save from the pages keeps
    // the key a file already has.
    void WriteTo(TIniText& ini) const;
    // Each missing key gives its default; booleans are true for any integer other than 0.
    static TAppParamsConfig ReadFrom(const TIniText& ini);
    // The section holds at least one key of a parameter set: a file that holds none (no
    // section "Para", or a text file named ".cfg") is no parameter file.
    static bool IsParameterFile(const TIniText& ini);
    // The keys of the twenty fields, in their order.
    static const QStringList& FieldKeys();
};

namespace ParamsKeys {
constexpr const char* Section = "Para";
// The keep-alive switch and period sit beside the upload mode.
constexpr const char* KeepAliveOn = "DataUpLoad_KeepAlive";
constexpr const char* KeepAliveSeconds = "DataUpLoad_KeepAliveTime";
// Beyond the twenty fields, read with an empty default: older files name no fence file.
constexpr const char* FenceFile = "Geo_FenceFile";
constexpr const char* UploadInterval = "DataUpLoad_Interval";
} // namespace ParamsKeys

// The fence file a parameter file names, as a path to open: empty when it names none; a relative
// name is taken from the parameter file's folder, with a backslash read as "/" (files written on Windows).
QString ResolveFenceFile(const QString& paramsPath, const QString& fenceFile);
// How a parameter file should name a fence file: relative to its folder when the fence file lies
// in it or below, else the absolute path.
QString FenceFileKeyValue(const QString& paramsPath, const QString& fencePath);
