#include "fleet/ReadBack.h"

#include "core/Numbers.h"
#include "fleet/ModelDispatcher.h"
#include "geo/GeoFenceList.h"
#include "params/AlarmPage.h"
#include "params/MainSettingsPage.h"
#include "params/RadioGroup.h"
#include "geo/CoordText.h"
#include "i18n/ProgramTexts.h"
#include "params/TmpHotSpotGroup.h"

#include <QComboBox>
#include <QRadioButton>
#include <cmath>

namespace {

// A coordinate as the tracker holds it: the text it was written as, read back.
double AsWritten(double degrees)
{
    return ParseCoord(FormatCoord(degrees));
}

// One truncated minute digit plus the six-decimal rounding.
constexpr double CornerTolerance = 0.0000025;

bool SameCorner(double written, double readBack)
{
    return std::fabs(AsWritten(written) - readBack) <= CornerTolerance;
}

QString FenceText(const TGeoFence& f)
{
    const auto c = [](double v) { return QString::number(v, 'g', 15); };
    return QStringLiteral("%1 (%2, %3) (%4, %5)")
        .arg(QString::fromLocal8Bit(f.FenceName), c(f.LTLongitude), c(f.LTLatitude), c(f.RBLongitude), c(f.RBLatitude));
}

// A wire value as the pages would show it: a choice by its caption, anything else as it stands.
QString ShownValue(const TDispatchTargets& pages, const QString& key, const QString& value)
{
    const int index = StrToIntDef(value, -1);
    if (key == QLatin1String("upload_mode"))
        return index >= 0 && index < pages.Main->cbUpLoadMode->count() ? pages.Main->cbUpLoadMode->itemText(index) : value;
    if (key == QLatin1String("strategy") && (index == 1 || index == 2))
        return TrimText(index == 2 ? pages.Main->RBtn_Main_02->text() : pages.Main->RBtn_Main_01->text());
    if (key.startsWith(QLatin1String("alarm_"))) {
        const TRadioGroup* group = pages.Alarm->Group(key.mid(6).toInt());
        const QList<QRadioButton*> items =
            group ? group->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly) : QList<QRadioButton*>();
        return index >= 0 && index < items.size() ? items[index]->text() : value;
    }
    return value;
}

} // namespace

QList<TCmdItem> ReadRequestsFor(const QList<TCmdItem>& writes)
{
    return TTrackerSettings::ReadRequestsFor(writes);
}

QList<TFieldDifference> DifferingFences(const QList<TGeoFence>& expected, const TGeoFenceList& actual)
{
    QList<TFieldDifference> rows;
    for (const TGeoFence& e : expected) {
        const TGeoFence* a = actual.FindFence(e.FenceNo);
        if (!a)
            continue;
        const bool same = a->FenceName == e.FenceName && SameCorner(e.LTLongitude, a->LTLongitude) &&
                          SameCorner(e.LTLatitude, a->LTLatitude) && SameCorner(e.RBLongitude, a->RBLongitude) &&
                          SameCorner(e.RBLatitude, a->RBLatitude);
        if (!same)
            rows << TFieldDifference{TranslateText("verify_fence").arg(e.FenceNo), FenceText(e), FenceText(*a)};
    }
    return rows;
}

TReadBackOutcome ReadBackAndCompare(const TFleetTargets& targets, const QList<TCmdItem>& reads,
                                    const QList<TSettingField>& expected, const QList<TGeoFence>& fences,
                                    const std::function<bool()>& stopped)
{
    // The answers go into a model, each value as the tracker answered it; the pages stay.
    TTrackerSettings tracker;
    TReadBackOutcome outcome;
    {
        const TDispatcherSwap swap(targets, std::make_shared<TModelDispatcher>(targets.Dispatch, tracker));
        outcome.Result = RunExchange(*targets.Dispatch.Queue, reads, stopped);
    }
    outcome.Identifier = tracker.Identifier;
    outcome.Firmware = tracker.Firmware;
    if (outcome.Result != TExchangeResult::Answered)
        return outcome;
    QList<TSettingField> actual;
    for (const TSettingField& e : expected) {
        TSettingField a = e;
        a.Value = tracker.Value(e.Key);
        a.Shown = ShownValue(targets.Dispatch, e.Key, a.Value);
        actual << a;
    }
    TGeoFenceList trackerFences;
    trackerFences.CreateRecords();
    for (const TGeoFence& f : tracker.Fences)
        if (TGeoFence* record = trackerFences.FindFence(f.FenceNo))
            *record = f;
    outcome.Differences = DifferingFields(expected, actual) + DifferingFences(fences, trackerFences);
    return outcome;
}

QString DifferenceLines(const QList<TFieldDifference>& differences)
{
    QStringList lines;
    for (const TFieldDifference& d : differences)
        lines << TranslateText("verify_row").arg(d.Name, d.Expected, d.Actual);
    return lines.join(QLatin1Char('\n'));
}
