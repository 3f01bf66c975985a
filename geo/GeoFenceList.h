#pragma once

#include "geo/GeoFence.h"

#include <QList>

// The local copy of the tracker's fences: exactly 64 records in fence-number order, so that
// fence n is entry n-1. The records are made once at start-up and never grow or shrink.
class TGeoFenceList {
public:
    static constexpr int32_t FenceCount = 64;

    // Makes the 64 records (fence numbers 1 to 64, empty names, zero corners) unless they exist.
    void CreateRecords();

    qsizetype Count() const { return FRecords.size(); }
    TGeoFence& operator[](qsizetype index) { return FRecords[index]; }
    const TGeoFence& operator[](qsizetype index) const { return FRecords[index]; }
    // The record of fence n, or nullptr when n is not a fence number.
    TGeoFence* FindFence(int32_t fenceNo);
    const TGeoFence* FindFence(int32_t fenceNo) const;

    static bool IsFenceNo(int32_t fenceNo) { return fenceNo >= 1 && fenceNo <= FenceCount; }

    QList<TGeoFence>::iterator begin() { return FRecords.begin(); }
    QList<TGeoFence>::iterator end() { return FRecords.end(); }
    QList<TGeoFence>::const_iterator begin() const { return FRecords.begin(); }
    QList<TGeoFence>::const_iterator end() const { return FRecords.end(); }

private:
    QList<TGeoFence> FRecords;
};
