#include "geo/FenceCommands.h"

#include "core/AppError.h"
#include "core/Numbers.h"
#include "geo/CoordText.h"
#include "geo/GeoFenceList.h"

QByteArray ReadFenceParamText(int32_t fenceNo)
{
    return ',' + QByteArray::number(fenceNo);
}

QByteArray WriteFenceParamText(const TGeoFence& fence)
{
    QByteArray text = ',' + QByteArray::number(fence.FenceNo);
    for (double corner : {fence.LTLongitude, fence.LTLatitude, fence.RBLongitude, fence.RBLatitude})
        text += ',' + FormatCoord(corner);
    text += ',' + fence.FenceName;
    return text;
}

QByteArray DisableFenceParamText(int32_t fenceNo)
{
    return ',' + QByteArray::number(fenceNo) + ",0,0,0,0,";
}

int32_t ApplyFenceAnswerFields(TGeoFenceList& fences, const TResponseFields& fields)
{
    constexpr qsizetype NumberField = 2, NameField = 7;
    if (fields.size() <= NumberField)
        throw EAppError(QStringLiteral("Geo-fence answer without a fence number"));
    const int32_t n = StrToIntDef(fields[NumberField], 0);
    TGeoFence* fence = fences.FindFence(n);
    if (!fence)
        throw EAppError(QStringLiteral("Geo-fence answer for fence %1, which does not exist").arg(n));
    if (fields.size() <= NameField)
        throw EAppError(QStringLiteral("Geo-fence answer with %1 fields, 8 needed").arg(fields.size()));
    fence->FenceName = fields[NameField];
    fence->LTLongitude = ParseCoord(fields[3]);
    fence->LTLatitude = ParseCoord(fields[4]);
    fence->RBLongitude = ParseCoord(fields[5]);
    fence->RBLatitude = ParseCoord(fields[6]);
    return n;
}
