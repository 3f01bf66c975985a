#pragma once

// The map tests' stand-in for the map servers: a small HTTP server on 127.0.0.1 that answers
// "/maps/api/js" with a script defining google.maps, and "/tiles/<z>/<x>/<y>.png" with generated
// map tiles (land, parks, a river and roads that run on across tiles). The script keeps every
// object the page creates in window.__fake.created and offers the tests clicks and drags on the
// map. Every request is recorded with its User-Agent. A silent server accepts connections and
// never answers, as a blocked host behind a proxy does.

#include <QByteArray>
#include <QStringList>
#include <QTcpServer>
#include <QVariant>

class QWebEngineView;
class TMapGroup;

class TFakeMapsServer : public QObject {
    Q_OBJECT
public:
    explicit TFakeMapsServer(QObject* parent = nullptr);
    // "127.0.0.1:<port>", the text for the map host field.
    QString Host() const;
    // The XYZ tile address of this server, for the Leaflet page.
    QString TileUrl() const;
    // The request targets seen so far ("/maps/api/js", "/tiles/2/3/1.png", ...), in order, and
    // the User-Agent of each.
    const QStringList& Requests() const { return FRequests; }
    const QStringList& UserAgents() const { return FUserAgents; }
    // The targets of tile requests only.
    QStringList TileRequests() const;
    // Silent: requests are recorded but never answered.
    void SetSilent(bool silent) { FSilent = silent; }
    // The fake API script.
    static QByteArray Script();
    // A generated 256 x 256 PNG tile.
    static QByteArray Tile(int z, int x, int y);

private:
    void Serve(class QTcpSocket* socket);
    QTcpServer FServer;
    QStringList FRequests;
    QStringList FUserAgents;
    bool FSilent = false;
};

// Runs a script in the page and returns its value (waits up to timeoutMs; invalid on time-out).
QVariant EvalInPage(QWebEngineView* view, const QString& script, int timeoutMs = 10000);

// Loads the Google map page into the group from the fake server and waits until the page has
// made its map and marker manager. The group is shown at a fixed size so the map has a 640 x 480
// canvas.
bool LoadFakeMap(TMapGroup& group, TFakeMapsServer& server);
// The same for the Leaflet page with the server's tiles; waits until a tile has been drawn.
bool LoadTileMap(TMapGroup& group, TFakeMapsServer& server);
