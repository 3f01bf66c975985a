#pragma once

#include <QList>
#include <QString>
#include <variant>

// The map page text: the template the program carries and its printf-style fill.

// One value for a placeholder: text for "%s", a number for "%f".
using TPageArg = std::variant<QString, double>;

// Fills a printf-style template. "%s" takes a text and "%f" a number written with exactly two
// decimals and "." (as printf's "%f" with the page's precision); "%%" is one "%". The values are
// inserted as they are and never read as formats. Any other "%" sequence, a value of the wrong
// kind, or a count of values other than the count of placeholders raises EAppError.
QString FillPageTemplate(const QString& format, const QList<TPageArg>& args);

// The page template carried in the program, its lines joined by CR LF.
QString MapPageTemplate();

// The address of the maps API script on a host: "https://<host>/maps/api/js", plus "?key=<key>"
// when a key is given. A loopback host (127.0.0.1, localhost, [::1]: a server on this machine,
// such as a test's stand-in) is asked over plain http, as its traffic never leaves the machine.
// Characters that have no place in a host name (or in a query value, for the key) are
// percent-encoded, so that neither can break out of the page's script element.
QString MapScriptAddress(const QString& host, const QString& key);

// The Leaflet page template carried in the program (lines joined by CR LF). Its placeholders, in
// order: "%s" Leaflet's style sheet, "%s" Leaflet's script, "%s" the tile address and "%s" the
// attribution (both as script string literals), "%f" zoom, "%f" centre latitude, "%f" centre
// longitude.
QString LeafletPageTemplate();
// Leaflet's style sheet and script as the program carries them.
QString LeafletStyle();
QString LeafletScript();
// The Leaflet page filled for one tile address, attribution (HTML) and view.
QString BuildLeafletPage(const QString& tileUrl, const QString& attributionHtml, double zoom, double lat,
                         double lng);

// The map host used when the host field is empty: the public host of the maps API.
constexpr const char* DefaultMapHost = "maps.googleapis.com";

// The centre and zoom used when a field does not read as a number.
constexpr double DefaultMapCenterLat = 22.917922936146;
constexpr double DefaultMapCenterLng = 125.15625;
constexpr double DefaultMapZoomLevel = 2;
