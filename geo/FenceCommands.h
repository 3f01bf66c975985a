#pragma once

#include "geo/GeoFence.h"
#include "link/FrameCodec.h"

class TGeoFenceList;

// Command 8, the geo-fence command: its parameter texts and the reading of its answer.
constexpr int32_t GeoFenceCmdNo = 8;

// ",%d": read fence n.
QByteArray ReadFenceParamText(int32_t fenceNo);
// ",%d,%s,%s,%s,%s,%s": number, the four corners in coordinate text (longitude before latitude
// in each pair) and the name, unquoted, last.
QByteArray WriteFenceParamText(const TGeoFence& fence);
// ",%d,0,0,0,0,": four zero corners and an empty name.
QByteArray DisableFenceParamText(int32_t fenceNo);

// Applies a command-8 answer (field 2 the fence number, fields 3 to 6 the corners, field 7 the
// name) to its record and returns the fence number. A fence number outside 1..64 or fewer than
// eight fields raise EAppError before anything changes.
int32_t ApplyFenceAnswerFields(TGeoFenceList& fences, const TResponseFields& fields);
