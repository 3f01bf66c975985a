#include "fleet/ProvisionResult.h"

#include "core/Numbers.h"
#include "geo/CoordText.h"
#include "geo/FenceCommands.h"
#include "i18n/Language.h"
#include "i18n/ProgramTexts.h"

QList<TDifferenceRow> TProvisionResult::Rows() const
{
    QList<TDifferenceRow> rows;
    for (const TSettingDifference& d : Differences)
        rows << TDifferenceRow{DifferenceName(d.Key), ShownSettingValue(d.Key, d.Expected), ShownSettingValue(d.Key, d.Actual)};
    for (const TFenceDifference& f : FenceDifferences)
        rows << TDifferenceRow{TranslateText("verify_fence").arg(f.Written.FenceNo), FenceText(f.Written), FenceText(f.ReadBack)};
    return rows;
}

QString TProvisionResult::ResultWord() const
{
    switch (Outcome) {
    case TProvisionOutcome::Passed: return QStringLiteral("pass");
    case TProvisionOutcome::Differs: return QStringLiteral("differs");
    case TProvisionOutcome::NoTracker: return QStringLiteral("no tracker");
    case TProvisionOutcome::Refused: return QStringLiteral("refused");
    case TProvisionOutcome::Failed: return QStringLiteral("error");
    case TProvisionOutcome::Stopped: return QStringLiteral("stopped");
    case TProvisionOutcome::Interrupted: return QStringLiteral("interrupted");
    case TProvisionOutcome::Again: return QStringLiteral("again");
    }
    return {};
}

QString TProvisionResult::Details() const
{
    if (Outcome != TProvisionOutcome::Differs)
        return Error;
    QStringList parts;
    for (const TDifferenceRow& d : Rows())
        parts << QStringLiteral("%1: written \"%2\", read back \"%3\"").arg(d.Name, d.Written, d.ReadBack);
    return parts.join(QStringLiteral("; "));
}

QList<TGeoFence> NonEmptyFences(const QList<TGeoFence>& fences)
{
    QList<TGeoFence> kept;
    for (const TGeoFence& f : fences)
        if (!f.IsEmpty() || !f.FenceName.isEmpty())
            kept << f;
    return kept;
}

QString FenceText(const TGeoFence& f)
{
    const auto c = [](double v) { return QString::number(v, 'g', 15); };
    return QStringLiteral("%1 (%2, %3) (%4, %5)")
        .arg(QString::fromLocal8Bit(f.FenceName), c(f.LTLongitude), c(f.LTLatitude), c(f.RBLongitude), c(f.RBLatitude));
}

QString FenceWireText(const TGeoFence& f)
{
    return QString::fromLocal8Bit(WriteFenceParamText(f).mid(1));
}

QString DifferenceName(const QString& key)
{
    if (key.startsWith(QLatin1String("fence_")))
        return TranslateText("verify_fence").arg(key.mid(6));
    const TSettingDef* def = FindSettingDef(key);
    return def ? SettingName(*def) : key;
}

QString ShownSettingValue(const QString& key, const QString& value)
{
    const int index = StrToIntDef(value, -1);
    const auto item = [index, &value](const QStringList& items) {
        return index >= 0 && index < items.size() && !items[index].isEmpty() ? Translate(items[index]) : value;
    };
    if (key == QLatin1String("upload_mode"))
        return item({QStringLiteral("SMS"), QStringLiteral("TCP")});
    if (key == QLatin1String("strategy"))
        return item({QString(), QStringLiteral("Normal Uploading"), QStringLiteral("Uploading when Moving")});
    if (key.startsWith(QLatin1String("alarm_")))
        return item({QStringLiteral("All Close"), QStringLiteral("GPRS"), QStringLiteral("SMS"), QStringLiteral("All Open")});
    return value;
}
