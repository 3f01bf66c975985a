#include "fleet/ReadBack.h"

#include "fleet/ShadowSettings.h"
#include "geo/CoordText.h"
#include "i18n/ProgramTexts.h"
#include "params/TmpHotSpotGroup.h"

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

} // namespace

QList<TCmdItem> ReadRequestsFor(const QList<TCmdItem>& writes)
{
    QList<TCmdItem> reads;
    for (const TCmdItem& w : writes) {
        if (w.RWFlag != 1)
            continue;
        const TCmdItem r = ReadRequestFor(w);
        bool known = false;
        for (const TCmdItem& x : reads)
            known = known || (x.CmdNo == r.CmdNo && x.ParamText == r.ParamText);
        if (!known)
            reads << r;
    }
    return reads;
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
    TShadowSettings shadow(targets);
    TReadBackOutcome outcome;
    {
        const TDispatcherSwap swap(targets, shadow.Dispatcher);
        outcome.Result = RunExchange(*targets.Dispatch.Queue, reads, stopped);
    }
    outcome.Identifier = shadow.Identifier();
    outcome.Firmware = shadow.Firmware();
    if (outcome.Result != TExchangeResult::Answered)
        return outcome;
    QList<TSettingField> actual = shadow.Fields();
    actual << RadiusField(*shadow.HotSpot);
    outcome.Differences = DifferingFields(expected, actual) + DifferingFences(fences, shadow.Fences);
    return outcome;
}

QString DifferenceLines(const QList<TFieldDifference>& differences)
{
    QStringList lines;
    for (const TFieldDifference& d : differences)
        lines << TranslateText("verify_row").arg(d.Name, d.Expected, d.Actual);
    return lines.join(QLatin1Char('\n'));
}
