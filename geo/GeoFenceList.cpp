#include "geo/GeoFenceList.h"

void TGeoFenceList::CreateRecords()
{
    if (!FRecords.isEmpty())
        return;
    FRecords.reserve(FenceCount);
    for (int32_t n = 1; n <= FenceCount; ++n) {
        TGeoFence fence;
        fence.FenceNo = n;
        FRecords.append(fence);
    }
}

TGeoFence* TGeoFenceList::FindFence(int32_t fenceNo)
{
    return IsFenceNo(fenceNo) && fenceNo <= FRecords.size() ? &FRecords[fenceNo - 1] : nullptr;
}

const TGeoFence* TGeoFenceList::FindFence(int32_t fenceNo) const
{
    return IsFenceNo(fenceNo) && fenceNo <= FRecords.size() ? &FRecords[fenceNo - 1] : nullptr;
}
