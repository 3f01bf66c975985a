#include "fleet/ParamFileChecks.h"

#include "core/IniText.h"
#include "core/Numbers.h"
#include "params/AppParamsConfig.h"
#include "params/ParamChecks.h"
#include "params/TrackerSettings.h"

#include <QFileInfo>

namespace {

// Every key Save writes, and so every key Write All takes a value from.
const QStringList& WrittenKeys() { return TAppParamsConfig::FieldKeys(); }

} // namespace

TParamFileCheck CheckParamFileForRun(const QString& path, bool requireEveryKey)
{
    TParamFileCheck check;
    TIniText ini;
    QString reason;
    if (!QFileInfo(path).isFile() || !ini.LoadFile(path, &reason)) {
        check.Refusals << QStringLiteral("cannot read the parameter file \"%1\" %2").arg(path, reason).trimmed();
        return check;
    }
    const QString section = QString::fromLatin1(ParamsKeys::Section);
    const auto refuse = [&](const QString& key, const QString& what) {
        check.Refusals << QStringLiteral("%1: %2 %3").arg(path, key, what);
    };

    QStringList known = WrittenKeys();
    known << QString::fromLatin1(ParamsKeys::FenceFile) << QString::fromLatin1(ParamsKeys::UploadInterval);
    for (const QString& key : ini.SectionKeys(section))
        if (!known.contains(key, Qt::CaseInsensitive))
            check.Warnings << QStringLiteral("%1: unknown key %2 in section \"%3\" is ignored").arg(path, key, section);
    QStringList missing;
    for (const QString& key : WrittenKeys())
        if (!ini.ValueExists(section, key))
            missing << key;
    if (!missing.isEmpty()) {
        const QString text = QStringLiteral("%1 lacks %2").arg(path, missing.join(QStringLiteral(", ")));
        if (requireEveryKey)
            check.Refusals << text;
        else
            check.Warnings << text + QStringLiteral("; the defaults are written");
    }

    const auto value = [&](const QString& key) { return ini.ReadString(section, key, QString()); };
    for (const QString& key : WrittenKeys()) {
        const QString v = value(key);
        // What the line cannot carry: a NUL, a character the code page has no byte for, or a
        // character that separates values or ends the command.
        if (v.contains(QChar(0)) || v.contains(QChar::ReplacementCharacter) || FieldText(WireText(v)) != v)
            refuse(key, QStringLiteral("holds a character that cannot be sent"));
        else if (key != QLatin1String("Alarm_Params") && HasCommandBreakingChar(TrimText(v)))
            refuse(key, QStringLiteral("must not contain \",\", \"(\", \")\" or \"!\""));
    }
    const auto integerIn = [&](const QString& key, int32_t low, int32_t high) {
        int32_t n = 0;
        if (!ini.ValueExists(section, key))
            return;
        if (!TryStrToInt(TrimText(value(key)), n) || n < low || n > high)
            refuse(key, QStringLiteral("is \"%1\", not a whole number from %2 to %3").arg(value(key)).arg(low).arg(high));
    };
    // The values a file holds in the form the pages show them: checked as a Write checks them,
    // by the settings model's field table.
    for (const TSettingDef& def : SettingDefs()) {
        const QString key = QString::fromLatin1(def.FileKey);
        if (key.isEmpty() || def.Type == TSettingType::Choice || def.CmdNo == 18 || !ini.ValueExists(section, key))
            continue;
        const QString v = value(key);
        switch (CheckSettingValue(def, v)) {
        case TValueFault::None: break;
        case TValueFault::NotPhone:
            refuse(key, QStringLiteral("is \"%1\": VIP number %2 is error.").arg(v).arg(def.Entry));
            break;
        case TValueFault::Empty:
            if (def.Type != TSettingType::Integer) {
                refuse(key, QStringLiteral("is empty"));
                break;
            }
            [[fallthrough]];
        default:
            if (!def.Bounded())
                refuse(key, QStringLiteral("is \"%1\", not a whole number").arg(v));
            else
                refuse(key, QStringLiteral("is \"%1\", not a whole number from %2 to %3").arg(v).arg(def.Min).arg(def.Max));
            break;
        }
    }
    integerIn(QStringLiteral("DataUpLoad_Mode"), 1, 2);
    integerIn(QString::fromLatin1(ParamsKeys::KeepAliveSeconds), 30, 7200);
    for (const char* flag : {"DataUpLoad_Normal", "DataUpLoad_Moving", ParamsKeys::KeepAliveOn})
        integerIn(QString::fromLatin1(flag), 0, 1);
    if (ini.ValueExists(section, QStringLiteral("Alarm_Params"))) {
        const QStringList items = value(QStringLiteral("Alarm_Params")).split(QLatin1Char(','));
        bool valid = items.size() == 5;
        for (const QString& item : items) {
            int32_t n = 0;
            valid = valid && TryStrToInt(TrimText(item), n) && n >= 0 && n <= 3;
        }
        if (!valid)
            refuse(QStringLiteral("Alarm_Params"),
                   QStringLiteral("is \"%1\", not five choices from 0 to 3").arg(value(QStringLiteral("Alarm_Params"))));
    }
    return check;
}
