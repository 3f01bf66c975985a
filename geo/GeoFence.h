#pragma once

#include <QByteArray>
#include <cstdint>

// The longest fence name the editor takes, in characters.
constexpr int MaxFenceNameLength = 20;

// One rectangular geo-fence as the tracker holds it. The corner names are only names: nothing
// checks, orders or swaps the corners, so a record holds whatever the tracker answered, what was
// typed, or the first and second points drawn on the map. There is no enable flag: a disabled
// fence has four zero corners and an empty name.
struct TGeoFence {
    int32_t FenceNo = 0;     // 1..64, fixed at creation
    QByteArray FenceName;    // 8-bit text, as on the wire
    double LTLongitude = 0;  // degrees, east positive
    double LTLatitude = 0;   // degrees, north positive
    double RBLongitude = 0;
    double RBLatitude = 0;
    int32_t ListNode = -1;   // the fence's row in the fence list, -1 before the list exists

    // Four zero corners: never drawn on the map.
    bool IsEmpty() const { return LTLongitude == 0 && LTLatitude == 0 && RBLongitude == 0 && RBLatitude == 0; }
};
