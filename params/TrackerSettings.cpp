#include "params/TrackerSettings.h"

#include "core/AppError.h"
#include "core/Numbers.h"
#include "geo/CoordText.h"
#include "geo/FenceCommands.h"
#include "i18n/Language.h"
#include "i18n/ProgramTexts.h"
#include "params/ParamChecks.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int32_t AuthCount = 5;
constexpr int32_t AlarmCount = 5;
constexpr int32_t AlarmItemCount = 4;     // All Close, GPRS, SMS, All Open
constexpr int32_t UploadModeCount = 2;    // SMS, TCP
constexpr int32_t KeepAliveMin = 30;      // the spin edit's range
constexpr int32_t KeepAliveMax = 7200;
constexpr int32_t KeepAliveOffValue = 300; // shown while keep-alive is off

constexpr int32_t IntMin = std::numeric_limits<int32_t>::min();
constexpr int32_t IntMax = std::numeric_limits<int32_t>::max();
// The time zones of the world lie between UTC-12 and UTC+14.
constexpr int32_t TimeDiffMin = -720;
constexpr int32_t TimeDiffMax = 840;

QList<TSettingDef> MakeDefs()
{
    using T = TSettingType;
    // key, command, entry, answer field, file key, caption number, caption,
    // type, default, range, required
    return {
        {"alias", 17, 0, 2, "BasicInfo_AnotherName", 13, "Another Name:", T::Text, "", 0, 0, false},
        {"low_battery", 10, 0, 2, "BasicInfo_LowBattery", 21, "Low Battery:", T::Integer, "20", 10, 100, true},
        {"time_difference", 12, 0, 2, "BasicInfo_TimeDiff", 22, "Time difference:", T::Integer, "-60", TimeDiffMin,
         TimeDiffMax, true},
        {"gprs_ip", 5, 0, 2, "GPRS_IPAdd", 27, "IP address:", T::Text, "0.0.0.0", 0, 0, true},
        {"gprs_port", 5, 0, 3, "GPRS_Port", 28, "Port:", T::Integer, "8888", 1, 65535, true},
        {"gprs_apn", 5, 0, 4, "GPRS_APN", 29, "APN:", T::Text, "CMNET", 0, 0, false},
        {"gprs_user", 5, 0, 5, "GPRS_User", 30, "APN User:", T::Text, "", 0, 0, false},
        {"gprs_password", 5, 0, 6, "GPRS_Pass", 31, "APN Pass:", T::Text, "", 0, 0, false},
        // Any whole number: the list only offers the usual ones.
        {"upload_interval", 4, 0, 2, ParamsKeys::UploadInterval, 47, "Interval:", T::Integer, "150", IntMin, IntMax,
         true},
        {"upload_mode", 4, 0, 3, "DataUpLoad_Mode", 46, "Mode", T::Choice, "0", 0, UploadModeCount - 1, true},
        {"strategy", 7, 0, 2, "DataUpLoad_Moving", 41, "Data Uploading", T::Choice, "1", 1, 2, true},
        // 0 is off; on, the spin edit holds the period.
        {"keep_alive", 18, 0, 2, ParamsKeys::KeepAliveSeconds, 43, "Keep alive", T::Integer, "0", 0, KeepAliveMax,
         true},
        {"auth_1", 11, 1, 3, "AuthNumber_VIP1", 49, "VIP && Center Number 1:", T::Phone, "0", 0, 0, false},
        {"auth_2", 11, 2, 3, "AuthNumber_VIP2", 50, "VIP Number 2:", T::Phone, "0", 0, 0, false},
        {"auth_3", 11, 3, 3, "AuthNumber_VIP3", 51, "VIP Number 3:", T::Phone, "0", 0, 0, false},
        {"auth_4", 11, 4, 3, "AuthNumber_VIP4", 52, "VIP Number 4:", T::Phone, "0", 0, 0, false},
        {"auth_5", 11, 5, 3, "AuthNumber_VIP5", 53, "VIP Number 5:", T::Phone, "0", 0, 0, false},
        {"alarm_1", 22, 0, 2, "Alarm_Params", 32, "In GeoFence", T::Choice, "0", 0, AlarmItemCount - 1, true},
        {"alarm_2", 22, 0, 3, "Alarm_Params", 33, "Out GeoFence", T::Choice, "0", 0, AlarmItemCount - 1, true},
        {"alarm_3", 22, 0, 4, "Alarm_Params", 34, "Self Hot Spot", T::Choice, "0", 0, AlarmItemCount - 1, true},
        {"alarm_4", 22, 0, 5, "Alarm_Params", 35, "Low Battery", T::Choice, "0", 0, AlarmItemCount - 1, true},
        {"alarm_5", 22, 0, 6, "Alarm_Params", 36, "SOS", T::Choice, "0", 0, AlarmItemCount - 1, true},
        {"gsensor", 31, 0, 2, "BasicInfo_GSensorParams", 101, "G-sensor parameter:", T::Integer, "630", IntMin, IntMax,
         true},
        {"radius", 9, 0, 2, "", 55, "Radius(meter):", T::Integer, "300", IntMin, IntMax, true},
    };
}

QString Key(const char* name) { return QString::fromLatin1(name); }
QString AuthKey(int k) { return QStringLiteral("auth_%1").arg(k); }
QString AlarmKey(int p) { return QStringLiteral("alarm_%1").arg(p); }

// A value in the form its write carries it: trimmed, an integer as its number, an empty
// authorization number as "0".
QString WireForm(const QString& key, const QString& text)
{
    const QString trimmed = TrimText(text);
    int32_t v = 0;
    if (TryStrToInt(trimmed, v))
        return QString::number(v);
    if (trimmed.isEmpty() && key.startsWith(QLatin1String("auth_")))
        return QStringLiteral("0");
    return trimmed;
}

QString Field(const TResponseFields& fields, int index)
{
    if (index >= fields.size())
        throw EAppError(QStringLiteral("The answer has no field %1.").arg(index));
    return FieldText(fields[index]);
}

} // namespace

const QList<TSettingDef>& SettingDefs()
{
    static const QList<TSettingDef> defs = MakeDefs();
    return defs;
}

QString SettingName(const TSettingDef& def)
{
    QString name = TrimText(Translate(QString::fromLatin1(def.Caption)));
    name.replace(QStringLiteral("&&"), QStringLiteral("&"));
    if (name.endsWith(QLatin1Char(':')) || name.endsWith(QChar(0xFF1A)))
        name.chop(1);
    return name;
}

TValueFault CheckSettingValue(const TSettingDef& def, const QString& value)
{
    const QString v = TrimText(value);
    if (v.isEmpty())
        return def.Required ? (def.Type == TSettingType::Choice ? TValueFault::NoChoice : TValueFault::Empty)
                            : TValueFault::None;
    int32_t n = 0;
    switch (def.Type) {
    case TSettingType::Text: return TValueFault::None;
    case TSettingType::Phone: return IsPhoneNumberText(v) ? TValueFault::None : TValueFault::NotPhone;
    case TSettingType::Integer:
        if (!TryStrToInt(v, n))
            return TValueFault::NotNumber;
        return n < def.Min || n > def.Max ? TValueFault::OutOfRange : TValueFault::None;
    case TSettingType::Choice:
        return TryStrToInt(v, n) && n >= def.Min && n <= def.Max ? TValueFault::None : TValueFault::NoChoice;
    }
    return TValueFault::None;
}

QString SettingRefusalText(const TSettingDef& def, TValueFault fault)
{
    const QString name = SettingName(def);
    switch (fault) {
    case TValueFault::None: return QString();
    case TValueFault::Empty: return TranslateText("refuse_empty").arg(name);
    case TValueFault::NotNumber:
        // Without a range to name, the plain refusal says enough.
        if (!def.Bounded())
            return TranslateText("refuse_not_number").arg(name);
        [[fallthrough]];
    case TValueFault::OutOfRange:
        return TranslateText("refuse_range").arg(name).arg(def.Min).arg(def.Max);
    case TValueFault::NotPhone:
        return Translate(QStringLiteral("VIP number %d is error.")).replace(QStringLiteral("%d"), QString::number(def.Entry));
    case TValueFault::NoChoice: return TranslateText("refuse_no_choice").arg(name);
    }
    return QString();
}

bool SameSettingValue(const QString& key, const QString& a, const QString& b)
{
    return WireForm(key, a) == WireForm(key, b);
}

bool SameFenceValue(const TGeoFence& a, const TGeoFence& b)
{
    return a.FenceName == b.FenceName && FormatCoord(a.LTLongitude) == FormatCoord(b.LTLongitude) &&
           FormatCoord(a.LTLatitude) == FormatCoord(b.LTLatitude) &&
           FormatCoord(a.RBLongitude) == FormatCoord(b.RBLongitude) && FormatCoord(a.RBLatitude) == FormatCoord(b.RBLatitude);
}

const TSettingDef* FindSettingDef(const QString& key)
{
    for (const TSettingDef& d : SettingDefs())
        if (key == QLatin1String(d.Key))
            return &d;
    return nullptr;
}

TTrackerSettings::TTrackerSettings()
{
    // A new window's pages.
    for (const TSettingDef& d : SettingDefs())
        FValues[Key(d.Key)] = QString::fromLatin1(d.Default);
    for (int n = 0; n < int(Fences.size()); ++n)
        Fences[n].FenceNo = n + 1;
}

QList<TCmdItem> TTrackerSettings::ReadAllRequests()
{
    QList<TCmdItem> r{{1, 0, {}, 0}, {1, 0, {}, 1}};
    for (int32_t cmd : {17, 10, 12, 5, 7, 4, 18})
        r << TCmdItem{cmd, 0, {}, 0};
    for (int k = 1; k <= AuthCount; ++k)
        r << TCmdItem{11, 0, "," + QByteArray::number(k), 0};
    r << TCmdItem{22, 0, {}, 0} << TCmdItem{31, 0, {}, 0};
    return r;
}

QList<TCmdItem> TTrackerSettings::ReadRequestsFor(const QList<TCmdItem>& writes)
{
    QList<TCmdItem> reads;
    for (const TCmdItem& w : writes) {
        if (w.RWFlag != 1)
            continue;
        TCmdItem r{w.CmdNo, 0, {}, 0};
        if (w.CmdNo == 11 || w.CmdNo == GeoFenceCmdNo)
            r.ParamText = "," + w.ParamText.mid(1).split(',').value(0);
        const bool known = std::any_of(reads.begin(), reads.end(), [&](const TCmdItem& x) {
            return x.CmdNo == r.CmdNo && x.ParamText == r.ParamText;
        });
        if (!known)
            reads << r;
    }
    return reads;
}

QList<TCmdItem> TTrackerSettings::WriteAllRequests() const
{
    const auto name = [](const QString& key) { return SettingName(*FindSettingDef(key)); };
    // A value that the command text cannot carry is refused, naming it.
    const auto text = [this, &name](const QString& key) {
        const QString value = TrimText(Value(key));
        if (HasCommandBreakingChar(value))
            throw EAppError(TranslateText("refuse_separator").arg(name(key)));
        if (value.contains(QChar(0)) || QString::fromLocal8Bit(WireText(value)) != value)
            throw EAppError(TranslateText("refuse_unsendable").arg(name(key)));
    };
    QList<TCmdItem> w;
    text(Key("alias"));
    w << WriteRequest(17);
    if (!LowBatteryAccepted())
        throw EAppError(Translate(QStringLiteral("Please Input The Low Battery Value More than 10!")));
    text(Key("low_battery"));
    w << WriteRequest(10);
    text(Key("time_difference"));
    w << WriteRequest(12);
    for (const QString& key : KeysOf(5))
        text(key);
    w << WriteRequest(5);
    int32_t interval = 0;
    if (!TryUploadInterval(interval))
        throw EAppError(TranslateText("refuse_not_number").arg(name("upload_interval")));
    w << WriteRequest(4);
    w << WriteRequest(7);
    for (int k = 1; k <= AuthCount; ++k) {
        if (!AuthNumberAccepted(k))
            throw EAppError(Translate(QStringLiteral("VIP number %1 is error.").arg(k)));
        w << WriteRequest(11, k);
    }
    text(Key("keep_alive"));
    w << WriteRequest(18);
    for (int p = 1; p <= AlarmCount; ++p)
        text(AlarmKey(p));
    w << WriteRequest(22);
    text(Key("gsensor"));
    w << WriteRequest(31);
    // Then every value against its setting's type and range, as the window checks them.
    for (const TSettingDef& d : SettingDefs()) {
        if (d.CmdNo == 9 || d.Type == TSettingType::Phone)
            continue;
        const TValueFault fault = CheckSettingValue(d, Value(Key(d.Key)));
        if (fault != TValueFault::None)
            throw EAppError(SettingRefusalText(d, fault));
    }
    for (const TCmdItem& item : w) {
        const qsizetype size = BuildCmdText(item.CmdNo, item.RWFlag, false, item.ParamText).size();
        if (size > MaxCommandTextSize) {
            // Named by its caption, as the window names it: the setting whose value makes the
            // command long. An authorization number's write carries its entry first (",2,...").
            const int32_t entry = item.CmdNo == 11 ? item.ParamText.split(',').value(1).toInt() : 0;
            throw EAppError(TranslateText("refuse_long_value")
                                .arg(name(LongestValue(KeysOf(item.CmdNo, entry))))
                                .arg(size)
                                .arg(MaxCommandTextSize));
        }
    }
    return w;
}

QStringList TTrackerSettings::KeysOf(int32_t cmdNo, int32_t entry)
{
    QStringList keys;
    for (const TSettingDef& d : SettingDefs())
        if (d.CmdNo == cmdNo && (d.Entry == 0 || d.Entry == entry))
            keys << Key(d.Key);
    return keys;
}

QByteArray TTrackerSettings::WriteParam(int32_t cmdNo, int32_t entry) const
{
    const auto wire = [this](const QString& key) { return WireText(TrimText(Value(key))); };
    switch (cmdNo) {
    case 4: {
        int32_t interval = 0;
        TryUploadInterval(interval);
        return "," + QByteArray::number(interval) + "," + QByteArray::number(StrToIntDef(Value("upload_mode"), -1));
    }
    case 7:
        return Value("strategy") == QLatin1String("2") ? QByteArray(",2") : QByteArray(",1");
    case 9: {
        int32_t radius = 0;
        // Written back as a plain integer: "0300" goes out as 300.
        return "," + (TryRadius(radius) ? QByteArray::number(radius) : wire("radius"));
    }
    case 11: {
        const QByteArray number = wire(AuthKey(entry));
        return "," + QByteArray::number(entry) + "," + (number.isEmpty() ? QByteArray("0") : number);
    }
    case 22: {
        // A channel without a choice adds nothing, not even its comma.
        QByteArrayList choices;
        for (int p = 1; p <= AlarmCount; ++p)
            if (!TrimText(Value(AlarmKey(p))).isEmpty())
                choices << wire(AlarmKey(p));
        return "," + choices.join(',');
    }
    default: {
        QByteArray param;
        for (const QString& key : KeysOf(cmdNo, entry))
            param += "," + wire(key);
        return param;
    }
    }
}

QString TTrackerSettings::FirstCommandBreaking(const QStringList& keys) const
{
    for (const QString& key : keys)
        if (HasCommandBreakingChar(TrimText(Value(key))))
            return key;
    return QString();
}

qsizetype TTrackerSettings::OversizeOf(int32_t cmdNo, int32_t entry) const
{
    const qsizetype size = BuildCmdText(cmdNo, 1, false, WriteParam(cmdNo, entry)).size();
    return size > MaxCommandTextSize ? size : 0;
}

QString TTrackerSettings::LongestValue(const QStringList& keys) const
{
    QString longest = keys.value(0);
    qsizetype longestSize = -1;
    for (const QString& key : keys) {
        const qsizetype n = WireText(TrimText(Value(key))).size();
        if (n > longestSize) {
            longestSize = n;
            longest = key;
        }
    }
    return longest;
}

bool TTrackerSettings::LowBatteryAccepted() const
{
    return StrToIntDef(TrimText(Value("low_battery")), 0) >= 10;
}

bool TTrackerSettings::TryUploadInterval(int32_t& interval) const
{
    return TryStrToInt(TrimText(Value("upload_interval")), interval);
}

bool TTrackerSettings::AuthNumberAccepted(int32_t k) const
{
    return IsPhoneNumberText(TrimText(Value(AuthKey(k))));
}

bool TTrackerSettings::TryRadius(int32_t& radius) const
{
    return TryStrToInt(TrimText(Value("radius")), radius);
}

bool TTrackerSettings::ApplyAnswer(const QByteArray& payload, QStringList* applied)
{
    if (payload.isEmpty())
        return false;
    const auto set = [this, applied](const QString& key, const QString& value) {
        FValues[key] = value;
        if (applied)
            *applied << key;
    };
    const TResponseHead head = ReadResponseHead(payload);
    const TResponseFields& f = head.Fields;
    if (head.HasIdentifier)
        Identifier = FieldText(f[0]);
    if (!head.HasTag)
        throw EAppError(QStringLiteral("The answer has no tag."));
    if (head.IsStatus) {
        StatusAlias = Field(f, 3);
        GpsLevel = Field(f, 4);
        GsmLevel = Field(f, 5);
        BatteryLevel = Field(f, 6);
        return true;
    }
    // Each command's fields in the order the pages take them: a field an answer lacks raises
    // there, and what came before it stays applied.
    switch (head.CmdNo) {
    case 1: Firmware = Field(f, 2); return true;
    case 4: {
        const QString mode = Field(f, 3);
        const QString interval = Field(f, 2);
        set(Key("upload_mode"), mode);
        set(Key("upload_interval"), interval);
        return true;
    }
    case GeoFenceCmdNo: {
        const int32_t n = StrToIntDef(f.value(2), 0);
        if (n < 1 || n > int32_t(Fences.size()) || f.size() < 8)
            throw EAppError(QStringLiteral("The geo-fence answer is out of range."));
        TGeoFence& fence = Fences[n - 1];
        fence.LTLongitude = ParseCoord(f[3]);
        fence.LTLatitude = ParseCoord(f[4]);
        fence.RBLongitude = ParseCoord(f[5]);
        fence.RBLatitude = ParseCoord(f[6]);
        fence.FenceName = f[7];
        return true;
    }
    case 11: {
        // Another entry's number is no setting of this set: nothing beyond the entry is read.
        const int32_t k = StrToIntDef(Field(f, 2), -1);
        if (k >= 1 && k <= AuthCount)
            set(AuthKey(k), Field(f, 3));
        return true;
    }
    case 16: BatteryLevel = Field(f, 2); return true;
    case 17:
        // An alias holding a comma comes back as more fields: nothing is taken.
        if (f.size() == 3)
            set(Key("alias"), Field(f, 2));
        return true;
    case 22:
        for (int p = 1; p <= AlarmCount; ++p) {
            const int32_t index = StrToIntDef(Field(f, p + 1), 0);
            if (index < 0 || index >= AlarmItemCount)
                throw EAppError(QStringLiteral("List index out of bounds (%1)").arg(index));
            set(AlarmKey(p), QString::number(index));
        }
        return true;
    default: break;
    }
    bool filled = false;
    for (const TSettingDef& d : SettingDefs())
        if (d.CmdNo == head.CmdNo) {
            set(Key(d.Key), Field(f, d.AnswerField));
            filled = true;
        }
    return filled;
}

void TTrackerSettings::FromConfig(const TAppParamsConfig& c)
{
    FValues["alias"] = c.Alias;
    FValues["low_battery"] = TrimText(c.LowBattery);
    FValues["time_difference"] = c.TimeDiff;
    FValues["gsensor"] = c.GSensorParams;
    for (int k = 1; k <= AuthCount; ++k)
        FValues[AuthKey(k)] = c.AuthNumbers[k - 1];
    FValues["gprs_ip"] = c.IPAddress;
    FValues["gprs_port"] = c.Port;
    FValues["gprs_apn"] = c.APN;
    FValues["gprs_user"] = c.APNUser;
    FValues["gprs_password"] = c.APNPassword;
    if (!c.UploadInterval.isEmpty())
        FValues["upload_interval"] = c.UploadInterval;
    FValues["strategy"] = c.MovingUploading ? QStringLiteral("2") : QStringLiteral("1");
    FValues["upload_mode"] = QString::number(c.UploadMode >= 1 && c.UploadMode <= 2 ? c.UploadMode - 1 : -1);
    FValues["keep_alive"] =
        c.KeepAliveOn ? QString::number(std::clamp(c.KeepAliveSeconds, KeepAliveMin, KeepAliveMax)) : QStringLiteral("0");
    // Each group takes the text up to the next comma, 0 when it is no number.
    QString rest = c.AlarmParams;
    for (int p = 1; p <= AlarmCount; ++p) {
        const qsizetype comma = rest.indexOf(QLatin1Char(','));
        const QString item = comma < 0 ? rest : rest.left(comma);
        rest = comma < 0 ? QString() : rest.mid(comma + 1);
        const int32_t index = StrToIntDef(item, 0);
        if (index < 0 || index >= AlarmItemCount)
            throw EAppError(QStringLiteral("List index out of bounds (%1)").arg(index));
        FValues[AlarmKey(p)] = QString::number(index);
    }
}

TAppParamsConfig TTrackerSettings::ToConfig() const
{
    TAppParamsConfig c;
    c.Alias = TrimText(Value("alias"));
    c.LowBattery = Value("low_battery");
    c.TimeDiff = TrimText(Value("time_difference"));
    c.GSensorParams = TrimText(Value("gsensor"));
    for (int k = 1; k <= AuthCount; ++k)
        c.AuthNumbers[k - 1] = TrimText(Value(AuthKey(k)));
    c.IPAddress = TrimText(Value("gprs_ip"));
    c.Port = TrimText(Value("gprs_port"));
    c.APN = TrimText(Value("gprs_apn"));
    c.APNUser = TrimText(Value("gprs_user"));
    c.APNPassword = TrimText(Value("gprs_password"));
    c.UploadInterval = TrimText(Value("upload_interval"));
    const bool moving = Value("strategy") == QLatin1String("2");
    c.NormalUploading = !moving;
    c.MovingUploading = moving;
    const int32_t mode = StrToIntDef(Value("upload_mode"), -1);
    c.UploadMode = mode >= 0 && mode <= 1 ? mode + 1 : 0;
    // The pages show a period above 30 as on; anything else as off with 300.
    const int32_t keepAlive = StrToIntDef(Value("keep_alive"), 0);
    c.KeepAliveOn = keepAlive > KeepAliveMin;
    c.KeepAliveSeconds = c.KeepAliveOn ? std::min(keepAlive, KeepAliveMax) : KeepAliveOffValue;
    QStringList alarms;
    for (int p = 1; p <= AlarmCount; ++p)
        alarms << Value(AlarmKey(p));
    c.AlarmParams = alarms.join(QLatin1Char(','));
    return c;
}

TTrackerSettings TTrackerSettings::AsShownOnPages() const
{
    TTrackerSettings shown = *this;
    const int32_t mode = StrToIntDef(Value("upload_mode"), 0);
    shown.FValues["upload_mode"] = QString::number(mode >= 0 && mode < UploadModeCount ? mode : -1);
    shown.FValues["strategy"] = Value("strategy") == QLatin1String("2") ? QStringLiteral("2") : QStringLiteral("1");
    const int32_t keepAlive = StrToIntDef(Value("keep_alive"), 0);
    shown.FValues["keep_alive"] = keepAlive > KeepAliveMin ? QString::number(std::min(keepAlive, KeepAliveMax))
                                                           : QStringLiteral("0");
    return shown;
}

QStringList TTrackerSettings::ReadAllKeys()
{
    QStringList keys;
    for (const TSettingDef& d : SettingDefs())
        if (d.CmdNo != 9)
            keys << Key(d.Key);
    return keys;
}

QStringList TTrackerSettings::NotNumbers(const QStringList& keys) const
{
    QStringList bad;
    for (const QString& key : keys) {
        const TSettingDef* def = FindSettingDef(key);
        const TValueFault fault = def && def->Type == TSettingType::Integer ? CheckSettingValue(*def, Value(key))
                                                                            : TValueFault::None;
        if (fault == TValueFault::NotNumber)
            bad << key;
    }
    return bad;
}

QList<TSettingDifference> TTrackerSettings::Differences(const TTrackerSettings& actual, const QStringList& keys) const
{
    QList<TSettingDifference> differences;
    for (const QString& key : keys) {
        const QString a = Value(key);
        const QString b = actual.Value(key);
        if (!SameSettingValue(key, a, b))
            differences << TSettingDifference{key, a, b};
    }
    return differences;
}
