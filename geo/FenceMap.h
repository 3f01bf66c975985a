#pragma once

#include <cstdint>

// The two corners of a geo-fence rectangle, in degrees, as the fence record keeps them
// (longitude before latitude in each pair).
struct TFenceCorners {
    double LTLongitude = 0;
    double LTLatitude = 0;
    double RBLongitude = 0;
    double RBLatitude = 0;
};

// What the geo-fence page asks of the map beside it. The page only ever talks to the map through
// this interface, so it can be tested against a recording map without a browser.
class IFenceMap {
public:
    virtual ~IFenceMap() = default;
    // True once a map page has been loaded; otherwise tells the user so and returns false.
    virtual bool CheckMapLoaded() = 0;
    // True while the page is in its rectangle-drawing mode (mirrors the last mode call sent).
    virtual bool FenceSettingActive() const = 0;
    // Switches the page's rectangle drawing on: the next two map clicks become the corners.
    virtual void EnterFenceSetting() = 0;
    virtual void LeaveFenceSetting() = 0;
    // Removes every fence drawing from the map.
    virtual void HideFencesOnMap() = 0;
    // Draws one fence and centres the map on its left-top corner. Colours are 0x00BBGGRR values.
    virtual void ShowFenceOnMap(const TFenceCorners& corners, int lineWidth, uint32_t lineColor,
                                uint32_t fillColor) = 0;
};
