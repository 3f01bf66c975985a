#pragma once

#include <QString>

class TIniText;

// Which map the geo-fence page shows, and what it needs for it. Kept in the settings file only
// (section "config": mapprovider, googlekey, tileurl, tileattribution), never in parameter files
// or the log.
enum class TMapProvider {
    Osm,    // OpenStreetMap's standard tiles on the Leaflet page; needs no key
    Google, // the Google Maps JavaScript API page; needs a key
    Tiles,  // the Leaflet page with any XYZ tile address (a company server, file:// tiles)
};

struct TMapSettings {
    TMapProvider Provider = TMapProvider::Osm;
    QString GoogleKey;
    QString TileUrl;         // for Tiles; "{z}", "{x}", "{y}" stand for the tile's numbers
    QString TileAttribution; // for Tiles; plain text shown in the map's corner

    bool operator==(const TMapSettings&) const = default;
};

namespace MapProviders {

// The word the settings file uses ("osm", "google", "tiles").
QString Name(TMapProvider provider);
// The provider a word names, without regard to case or blanks; false for anything else.
bool FromName(const QString& name, TMapProvider& provider);
// The provider when the file names none (or an unknown one): Google with a key, else OSM.
TMapProvider Default(const QString& googleKey);

// The settings as the file holds them; keys the file lacks get their defaults.
TMapSettings Read(const TIniText& ini);
// Writes all four keys into section "config".
void Write(TIniText& ini, const TMapSettings& settings);

// An XYZ address the Leaflet page can use: http, https or file, with {z}, {x} and {y}.
bool IsUsableTileUrl(const QString& url);

// OpenStreetMap's standard tile server and the attribution its usage policy asks for.
constexpr const char* OsmTileUrl = "https://tile.openstreetmap.org/{z}/{x}/{y}.png";
constexpr const char* OsmAttributionHtml =
    "&copy; <a href=\"https://www.openstreetmap.org/copyright\">OpenStreetMap</a> contributors";

// The HTTP User-Agent of every map request: the program and its version, as tile servers' usage
// policies ask.
QString UserAgent();

} // namespace MapProviders
