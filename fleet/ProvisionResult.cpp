#include "fleet/ProvisionResult.h"

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
    }
    return {};
}

QString TProvisionResult::Details() const
{
    if (Outcome != TProvisionOutcome::Differs)
        return Error;
    QStringList parts;
    for (const TFieldDifference& d : Differences)
        parts << QStringLiteral("%1: written \"%2\", read back \"%3\"").arg(d.Name, d.Expected, d.Actual);
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
