#pragma once

#include "geo/GeoFence.h"
#include "link/CmdQueue.h"
#include "link/FrameCodec.h"
#include "params/AppParamsConfig.h"

#include <QList>
#include <QMap>
#include <QString>
#include <array>
#include <limits>

// What a setting's value may be, as its control on the pages allows it.
enum class TSettingType {
    Text,    // any text the line can carry
    Integer, // a whole number from Min to Max
    Phone,   // an authorization number: an optional "+", then digits; empty is no number
    Choice,  // an item index from Min to Max
};

// Why a value cannot be written; None when it can.
enum class TValueFault { None, Empty, NotNumber, OutOfRange, NotPhone, NoChoice };

// One setting of the tracker, described once: how its command carries it, where a parameter
// file keeps it, and what it may hold.
struct TSettingDef {
    const char* Key;      // stable, lower case: "alias", "gprs_port", "auth_3", "alarm_5", ...
    int32_t CmdNo;        // the command that reads and writes it
    int32_t Entry;        // the authorization number 1..5 of command 11; 0 for the others
    int32_t AnswerField;  // its field in the command's answer (0 identifier, 1 tag)
    const char* FileKey;  // in section "Para" of a parameter file; empty when a file holds none
    int32_t CaptionNo;    // the catalogue text that names it on the pages
    const char* Caption;  // that text in English, as the catalogue holds it
    TSettingType Type;
    const char* Default;  // in the model's form, as a new window's pages show it
    int32_t Min;          // the range of an Integer or a Choice
    int32_t Max;
    bool Required;        // an empty value is refused

    // An Integer whose range is narrower than any whole number.
    bool Bounded() const
    {
        return Min != std::numeric_limits<int32_t>::min() || Max != std::numeric_limits<int32_t>::max();
    }
};

// Checks a value in the model's form (trimmed) against its setting's type and range.
TValueFault CheckSettingValue(const TSettingDef& def, const QString& value);
// The refusal of a value that fails CheckSettingValue, naming the setting and what it may hold,
// in the current language; empty for TValueFault::None.
QString SettingRefusalText(const TSettingDef& def, TValueFault fault);
// Two values of one setting name the same value: integers by their number ("0300" is 300), an
// empty authorization number and "0" as the one empty number, anything else as trimmed text.
bool SameSettingValue(const QString& key, const QString& a, const QString& b);
// Two fences are the same: the same name, and each corner the same coordinate text.
bool SameFenceValue(const TGeoFence& a, const TGeoFence& b);

// The setting's name in the current language, without the caption's colon.
QString SettingName(const TSettingDef& def);

// Every setting that Read All reads and Write All writes, in Write All's order, then the
// hot-spot radius.
const QList<TSettingDef>& SettingDefs();
const TSettingDef* FindSettingDef(const QString& key);

// A difference between two values of one setting.
struct TSettingDifference {
    QString Key;
    QString Expected;
    QString Actual;
};

// The tracker's settings as plain data, each in the form its command carries it on the wire:
// texts trimmed, an empty authorization number as "0", the keep-alive period as 0 when off,
// the upload mode and the alarm channels as item indices, the strategy as 1 or 2. Also the
// status values and the 64 fences. No window is needed to fill, encode, compare or save it.
class TTrackerSettings {
public:
    TTrackerSettings();

    QString Value(const QString& key) const { return FValues.value(key); }
    void SetValue(const QString& key, const QString& value) { FValues[key] = value; }
    bool Has(const QString& key) const { return FValues.contains(key); }

    // Status, as the last answers carried them; empty until then.
    QString Identifier, Firmware, StatusAlias, GpsLevel, GsmLevel, BatteryLevel;
    std::array<TGeoFence, 64> Fences;

    // The requests of Read All, in its order (sixteen).
    static QList<TCmdItem> ReadAllRequests();
    // The requests that read each given setting back, each command once, in the given order.
    static QList<TCmdItem> ReadRequestsFor(const QList<TCmdItem>& writes);
    // The fourteen writes of Write All from these values. Raises EAppError naming the first
    // value that cannot be written: a low-battery threshold under 10, an interval that is no
    // integer, an authorization number that is no phone number ("VIP number %d is error."), a
    // value holding a separator, or a command text beyond 255 bytes.
    QList<TCmdItem> WriteAllRequests() const;

    // The pieces of a write, one command at a time, so that each Write button checks and sends
    // its own commands from these values in its own order.
    // The parameter text of the write of `cmdNo` (the authorization number `entry` for command
    // 11): each value trimmed as 8-bit text, the interval and the mode as numbers, the strategy
    // as 1 or 2, an empty authorization number as "0", an alarm channel without a choice left
    // out. Command 4 takes the interval as TryUploadInterval reads it (0 when it is none).
    QByteArray WriteParam(int32_t cmdNo, int32_t entry = 0) const;
    TCmdItem WriteRequest(int32_t cmdNo, int32_t entry = 0) const { return {cmdNo, 1, WriteParam(cmdNo, entry), 0}; }
    // The keys of the values the write of `cmdNo` carries, in its order.
    static QStringList KeysOf(int32_t cmdNo, int32_t entry = 0);
    // The first of `keys` whose trimmed value holds a character that breaks a command text
    // ("," "(" ")" "!"); empty when none does.
    QString FirstCommandBreaking(const QStringList& keys) const;
    // The size of the write's command text when a frame cannot carry it; 0 when it fits.
    qsizetype OversizeOf(int32_t cmdNo, int32_t entry = 0) const;
    // Of `keys`, the one whose trimmed value is longest as 8-bit text (the first of equals).
    QString LongestValue(const QStringList& keys) const;
    // A low-battery threshold of 10 or more.
    bool LowBatteryAccepted() const;
    // The trimmed interval as an integer.
    bool TryUploadInterval(int32_t& interval) const;
    // Authorization number k (1..5) is a phone number text (or empty).
    bool AuthNumberAccepted(int32_t k) const;
    // The trimmed radius as an integer.
    bool TryRadius(int32_t& radius) const;

    // Applies one answer payload as the window's pages take it, but keeping each value as the
    // answer carried it. Returns false for an answer that fills nothing (another tag); raises
    // EAppError for an answer that is too short or out of range, leaving earlier fields set.
    // `applied` gets the key of every setting set, in order (also those set before a raise).
    bool ApplyAnswer(const QByteArray& payload, QStringList* applied = nullptr);

    // A parameter file's set as the pages show it after Load (a file without the interval
    // leaves it as it is). Raises EAppError "List index out of bounds (%d)" for an alarm
    // index that names no item.
    void FromConfig(const TAppParamsConfig& config);
    // The set as Save writes it from pages showing these values.
    TAppParamsConfig ToConfig() const;

    // These values as the settings pages hold them once they have shown them (a Read All into
    // pages as they start): the upload mode as its item index or -1, the strategy 2 or else 1,
    // the keep-alive period 0 when 30 or less and at most 7200.
    TTrackerSettings AsShownOnPages() const;

    // The settings among `keys` whose values differ (integers compare by number).
    QList<TSettingDifference> Differences(const TTrackerSettings& actual, const QStringList& keys) const;
    // Of `keys`, the whole-number settings whose values are no number (an answer carries text
    // as it came, and the pages show it so): a read that holds one read no usable value.
    QStringList NotNumbers(const QStringList& keys) const;
    // Every key of Read All.
    static QStringList ReadAllKeys();

private:
    QMap<QString, QString> FValues;
};
