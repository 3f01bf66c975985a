#include "params/AppParamsConfig.h"

#include "core/IniText.h"
#include "core/Numbers.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString Section = QString::fromLatin1(ParamsKeys::Section);

QString Key(const char* name) { return QString::fromLatin1(name); }

QString AuthKey(int i) { return QStringLiteral("AuthNumber_VIP%1").arg(i + 1); }

bool ReadBool(const TIniText& ini, const char* key, bool def)
{
    // Any integer other than 0 reads as true; text that is no integer gives the default.
    int32_t v = 0;
    return TryStrToInt(ini.ReadString(Section, Key(key), QString()), v) ? v != 0 : def;
}

int32_t ReadInt(const TIniText& ini, const char* key, int32_t def)
{
    return StrToIntDef(ini.ReadString(Section, Key(key), QString()), def);
}

} // namespace

void TAppParamsConfig::WriteTo(TIniText& ini) const
{
    const auto text = [&ini](const char* key, const QString& value) { ini.WriteString(Section, Key(key), value); };
    const auto flag = [&text](const char* key, bool value) { text(key, value ? QStringLiteral("1") : QStringLiteral("0")); };
    const auto number = [&text](const char* key, int32_t value) { text(key, QString::number(value)); };
    text("BasicInfo_AnotherName", Alias);
    text("BasicInfo_LowBattery", LowBattery);
    text("BasicInfo_TimeDiff", TimeDiff);
    text("BasicInfo_GSensorParams", GSensorParams);
    for (int i = 0; i < 5; ++i)
        ini.WriteString(Section, AuthKey(i), AuthNumbers[i]);
    text("GPRS_IPAdd", IPAddress);
    text("GPRS_Port", Port);
    text("GPRS_APN", APN);
    text("GPRS_User", APNUser);
    text("GPRS_Pass", APNPassword);
    flag("DataUpLoad_Normal", NormalUploading);
    flag("DataUpLoad_Moving", MovingUploading);
    number("DataUpLoad_Mode", UploadMode);
    flag(ParamsKeys::KeepAliveOn, KeepAliveOn);
    number(ParamsKeys::KeepAliveSeconds, KeepAliveSeconds);
    text("Alarm_Params", AlarmParams);
    if (!UploadInterval.isEmpty())
        text(ParamsKeys::UploadInterval, UploadInterval);
    if (!FenceFile.isEmpty())
        text(ParamsKeys::FenceFile, FenceFile);
}

TAppParamsConfig TAppParamsConfig::ReadFrom(const TIniText& ini)
{
    TAppParamsConfig c;
    const auto text = [&ini](const char* key, const QString& def = QString()) {
        return ini.ReadString(Section, Key(key), def);
    };
    c.Alias = text("BasicInfo_AnotherName");
    c.LowBattery = text("BasicInfo_LowBattery");
    c.TimeDiff = text("BasicInfo_TimeDiff");
    c.GSensorParams = text("BasicInfo_GSensorParams");
    for (int i = 0; i < 5; ++i)
        c.AuthNumbers[i] = ini.ReadString(Section, AuthKey(i), QString());
    c.IPAddress = text("GPRS_IPAdd");
    c.Port = text("GPRS_Port");
    c.APN = text("GPRS_APN");
    c.APNUser = text("GPRS_User");
    c.APNPassword = text("GPRS_Pass");
    c.NormalUploading = ReadBool(ini, "DataUpLoad_Normal", true);
    c.MovingUploading = ReadBool(ini, "DataUpLoad_Moving", false);
    c.UploadMode = ReadInt(ini, "DataUpLoad_Mode", 1);
    c.KeepAliveOn = ReadBool(ini, ParamsKeys::KeepAliveOn, false);
    c.KeepAliveSeconds = ReadInt(ini, ParamsKeys::KeepAliveSeconds, 300);
    c.AlarmParams = text("Alarm_Params", QStringLiteral("0,0,0,0,0"));
    c.UploadInterval = text(ParamsKeys::UploadInterval);
    c.FenceFile = text(ParamsKeys::FenceFile);
    return c;
}

const QStringList& TAppParamsConfig::FieldKeys()
{
    static const QStringList keys{
        "BasicInfo_AnotherName", "BasicInfo_LowBattery", "BasicInfo_TimeDiff", "BasicInfo_GSensorParams",
        "AuthNumber_VIP1",       "AuthNumber_VIP2",      "AuthNumber_VIP3",    "AuthNumber_VIP4",
        "AuthNumber_VIP5",       "GPRS_IPAdd",           "GPRS_Port",          "GPRS_APN",
        "GPRS_User",             "GPRS_Pass",            "DataUpLoad_Normal",  "DataUpLoad_Moving",
        "DataUpLoad_Mode",       ParamsKeys::KeepAliveOn, ParamsKeys::KeepAliveSeconds, "Alarm_Params",
    };
    return keys;
}

bool TAppParamsConfig::IsParameterFile(const TIniText& ini)
{
    for (const QString& key : FieldKeys() + QStringList{Key(ParamsKeys::UploadInterval)})
        if (ini.ValueExists(Section, key))
            return true;
    return false;
}

QString ResolveFenceFile(const QString& paramsPath, const QString& fenceFile)
{
    if (fenceFile.isEmpty())
        return QString();
    QString name = fenceFile;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QDir::cleanPath(QFileInfo(paramsPath).absoluteDir().absoluteFilePath(name));
}

QString FenceFileKeyValue(const QString& paramsPath, const QString& fencePath)
{
    const QDir folder = QFileInfo(paramsPath).absoluteDir();
    const QString absolute = QFileInfo(fencePath).absoluteFilePath();
    const QString relative = folder.relativeFilePath(absolute);
    return relative.startsWith(QLatin1String("../")) || QDir::isAbsolutePath(relative) ? absolute : relative;
}
