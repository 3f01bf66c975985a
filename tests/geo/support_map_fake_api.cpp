#include "support_map_fake_api.h"

#include "geo/MapGroup.h"

#include <QBuffer>
#include <cmath>
#include <QEventLoop>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

const char* const FakeApi = R"JS(
(function () {
  var fake = window.__fake = { created: [], setMapCalls: 0, geocodeRequests: [], geocodeAnswer: null, map: null };
  function record(obj, type) {
    Object.defineProperty(obj, '__type', { value: type, writable: true, enumerable: false });
    Object.defineProperty(obj, '__serial', { value: fake.created.length, writable: true, enumerable: false });
    fake.created.push(obj);
  }
  function listenersOf(obj) {
    if (!Object.prototype.hasOwnProperty.call(obj, '__listeners')) {
      Object.defineProperty(obj, '__listeners', { value: {}, enumerable: false });
    }
    return obj.__listeners;
  }
  var event = {
    addListener: function (obj, name, fn) {
      var all = listenersOf(obj);
      var list = all[name] || (all[name] = []);
      var handle = { obj: obj, name: name, fn: fn, removed: false };
      handle.remove = function () { event.removeListener(handle); };
      list.push(handle);
      return handle;
    },
    removeListener: function (handle) {
      if (!handle || handle.removed) { return; }
      handle.removed = true;
      var list = listenersOf(handle.obj)[handle.name] || [];
      var i = list.indexOf(handle);
      if (i >= 0) { list.splice(i, 1); }
    },
    trigger: function (obj, name) {
      var args = Array.prototype.slice.call(arguments, 2);
      var list = (listenersOf(obj)[name] || []).slice();
      for (var i = 0; i < list.length; i++) { list[i].fn.apply(obj, args); }
    },
    clearListeners: function (obj, name) { listenersOf(obj)[name] = []; },
    clearInstanceListeners: function (obj) {
      var all = listenersOf(obj);
      for (var k in all) { all[k] = []; }
    }
  };
  event.addDomListener = event.addListener;
  event.listenerCount = function (obj, name) { return (listenersOf(obj)[name] || []).length; };

  function LatLng(lat, lng) { this.lat_ = Number(lat); this.lng_ = Number(lng); }
  LatLng.prototype.lat = function () { return this.lat_; };
  LatLng.prototype.lng = function () { return this.lng_; };
  LatLng.prototype.equals = function (o) { return !!o && o.lat() === this.lat_ && o.lng() === this.lng_; };
  LatLng.prototype.toString = function () { return '(' + this.lat_ + ', ' + this.lng_ + ')'; };

  function LatLngBounds(sw, ne) { this.sw_ = sw || null; this.ne_ = ne || sw || null; }
  LatLngBounds.prototype.getSouthWest = function () { return this.sw_; };
  LatLngBounds.prototype.getNorthEast = function () { return this.ne_; };
  LatLngBounds.prototype.extend = function (p) {
    if (!this.sw_) { this.sw_ = this.ne_ = p; return this; }
    this.sw_ = new LatLng(Math.min(this.sw_.lat(), p.lat()), Math.min(this.sw_.lng(), p.lng()));
    this.ne_ = new LatLng(Math.max(this.ne_.lat(), p.lat()), Math.max(this.ne_.lng(), p.lng()));
    return this;
  };
  LatLngBounds.prototype.contains = function (p) {
    return p.lat() >= this.sw_.lat() && p.lat() <= this.ne_.lat() && p.lng() >= this.sw_.lng() && p.lng() <= this.ne_.lng();
  };

  function Size(w, h) { this.width = w; this.height = h; }
  function Point(x, y) { this.x = x; this.y = y; }

  // Mercator at zoom 0 (256 pixels), written independently of the page's own projection.
  function toWorld(ll) {
    var s = Math.min(Math.max(Math.sin(ll.lat() * Math.PI / 180), -0.9999), 0.9999);
    return new Point(128 + ll.lng() * 256 / 360, 128 - 0.5 * Math.log((1 + s) / (1 - s)) * 256 / (2 * Math.PI));
  }
  function fromWorld(p) {
    var lng = (p.x - 128) * 360 / 256;
    var n = Math.PI - 2 * Math.PI * p.y / 256;
    return new LatLng(180 / Math.PI * Math.atan(0.5 * (Math.exp(n) - Math.exp(-n))), lng);
  }
  function wrapLng(lng) { return ((lng + 180) % 360 + 360) % 360 - 180; }
  var projection = {
    fromLatLngToPoint: function (ll) { return toWorld(ll); },
    fromPointToLatLng: function (p) { return fromWorld(p); }
  };

  function MVCArray(items) { this.items_ = items ? items.slice() : []; }
  MVCArray.prototype.insertAt = function (i, v) { this.items_.splice(i, 0, v); };
  MVCArray.prototype.removeAt = function (i) { return this.items_.splice(i, 1)[0]; };
  MVCArray.prototype.push = function (v) { return this.items_.push(v); };
  MVCArray.prototype.getAt = function (i) { return this.items_[i]; };
  MVCArray.prototype.getLength = function () { return this.items_.length; };
  MVCArray.prototype.getArray = function () { return this.items_; };
  MVCArray.prototype.clear = function () { this.items_ = []; };
  MVCArray.prototype.forEach = function (fn) { this.items_.forEach(fn); };

  function Map(div, opts) {
    record(this, 'Map');
    fake.map = this;
    this.div_ = div;
    this.opts = opts || {};
    this.center_ = this.opts.center;
    this.zoom_ = this.opts.zoom;
    this.overlayMapTypes = new MVCArray();
    this.idlePending_ = false;
    this.scheduleIdle_();
  }
  Map.prototype.scheduleIdle_ = function () {
    if (this.idlePending_) { return; }
    this.idlePending_ = true;
    var me = this;
    setTimeout(function () { me.idlePending_ = false; event.trigger(me, 'idle'); }, 0);
  };
  Map.prototype.getDiv = function () { return this.div_; };
  Map.prototype.getCenter = function () { return this.center_; };
  Map.prototype.getZoom = function () { return this.zoom_; };
  Map.prototype.getProjection = function () { return projection; };
  Map.prototype.viewSize_ = function () {
    return { w: this.div_.clientWidth || 640, h: this.div_.clientHeight || 480 };
  };
  Map.prototype.getBounds = function () {
    if (!this.center_) { return undefined; }
    var scale = Math.pow(2, this.zoom_);
    var size = this.viewSize_();
    var c = toWorld(this.center_);
    var halfW = size.w / 2 / scale, halfH = size.h / 2 / scale;
    var south = fromWorld(new Point(c.x, c.y + halfH)).lat();
    var north = fromWorld(new Point(c.x, c.y - halfH)).lat();
    var west, east;
    if (2 * halfW >= 256) { west = -180; east = 180; }
    else { west = wrapLng(fromWorld(new Point(c.x - halfW, 0)).lng()); east = wrapLng(fromWorld(new Point(c.x + halfW, 0)).lng()); }
    return new LatLngBounds(new LatLng(south, west), new LatLng(north, east));
  };
  Map.prototype.setCenter = function (c) {
    this.center_ = c;
    event.trigger(this, 'center_changed');
    this.scheduleIdle_();
  };
  Map.prototype.panTo = Map.prototype.setCenter;
  Map.prototype.setZoom = function (z) {
    this.zoom_ = z;
    event.trigger(this, 'zoom_changed');
    this.scheduleIdle_();
  };
  Map.prototype.setOptions = function (o) {
    if (o.center) { this.setCenter(o.center); }
    if (o.zoom !== undefined) { this.setZoom(o.zoom); }
  };
  Map.prototype.fitBounds = function () {};
  Map.prototype.pixelOf_ = function (ll) {
    var scale = Math.pow(2, this.zoom_), size = this.viewSize_();
    var p = toWorld(ll), c = toWorld(this.center_);
    return new Point((p.x - c.x) * scale + size.w / 2, (p.y - c.y) * scale + size.h / 2);
  };
  Map.prototype.panes_ = function () {
    if (!this.panes) {
      this.panes = {};
      var names = ['mapPane', 'overlayLayer', 'overlayMouseTarget', 'floatPane', 'markerLayer', 'overlayImage', 'floatShadow', 'overlayShadow'];
      for (var i = 0; i < names.length; i++) {
        var d = document.createElement('div');
        d.className = 'fake-pane-' + names[i];
        this.div_.appendChild(d);
        this.panes[names[i]] = d;
      }
    }
    return this.panes;
  };

  function overlayClass(type, methods) {
    function C(opts) {
      record(this, type);
      this.opts = {};
      for (var k in (opts || {})) { this.opts[k] = opts[k]; }
      this.map_ = null;
      this.visible_ = true;
      if (this.opts.map) { this.setMap(this.opts.map); }
    }
    C.prototype.setMap = function (m) { fake.setMapCalls++; this.map_ = m || null; };
    C.prototype.getMap = function () { return this.map_; };
    C.prototype.setVisible = function (v) { this.visible_ = !!v; };
    C.prototype.getVisible = function () { return this.visible_; };
    C.prototype.setOptions = function (o) {
      for (var k in o) { this.opts[k] = o[k]; }
      if ('map' in o) { this.setMap(o.map); }
    };
    for (var name in methods) { C.prototype[name] = methods[name]; }
    return C;
  }
  var Marker = overlayClass('Marker', {
    getPosition: function () { return this.opts.position; },
    setPosition: function (p) { this.opts.position = p; event.trigger(this, 'position_changed'); },
    setIcon: function (i) { this.opts.icon = i; },
    getIcon: function () { return this.opts.icon; },
    setTitle: function (t) { this.opts.title = t; },
    getDraggable: function () { return !!this.opts.draggable; }
  });
  var Polygon = overlayClass('Polygon', {
    getPath: function () { return new MVCArray(this.opts.paths || []); }
  });
  var Polyline = overlayClass('Polyline', {
    getPath: function () { return new MVCArray(this.opts.path || []); }
  });
  var Rectangle = overlayClass('Rectangle', {
    getBounds: function () { return this.opts.bounds; },
    setBounds: function (b) { this.opts.bounds = b; }
  });
  var Circle = overlayClass('Circle', {
    getCenter: function () { return this.opts.center; },
    getRadius: function () { return this.opts.radius; }
  });

  function InfoWindow(opts) { record(this, 'InfoWindow'); this.opts = opts || {}; this.anchor = null; }
  InfoWindow.prototype.open = function (map, anchor) { this.anchor = anchor || map; };
  InfoWindow.prototype.close = function () { this.anchor = null; };
  InfoWindow.prototype.setContent = function (c) { this.opts.content = c; };

  function OverlayView() {}
  OverlayView.prototype.setMap = function (m) {
    var old = this.map_ || null;
    this.map_ = m || null;
    if (old && this.onRemove) { this.onRemove(); }
    if (m) {
      if (!Object.prototype.hasOwnProperty.call(this, '__type')) { record(this, 'OverlayView'); }
      if (this.onAdd) { this.onAdd(); }
      var me = this;
      setTimeout(function () { if (me.map_ === m && me.draw) { me.draw(); } }, 0);
    }
  };
  OverlayView.prototype.getMap = function () { return this.map_ || null; };
  OverlayView.prototype.getPanes = function () { return this.map_ ? this.map_.panes_() : null; };
  OverlayView.prototype.getProjection = function () {
    var map = this.map_;
    return map ? { fromLatLngToDivPixel: function (ll) { return map.pixelOf_(ll); } } : null;
  };

  function Geocoder() { record(this, 'Geocoder'); }
  Geocoder.prototype.geocode = function (request, callback) {
    fake.geocodeRequests.push(request);
    var answer = fake.geocodeAnswer || { results: [], status: 'ZERO_RESULTS' };
    setTimeout(function () { callback(answer.results, answer.status); }, 0);
  };

  window.google = { maps: {
    event: event, LatLng: LatLng, LatLngBounds: LatLngBounds, Size: Size, Point: Point, Map: Map,
    MVCArray: MVCArray, Marker: Marker, Polygon: Polygon, Polyline: Polyline, Rectangle: Rectangle,
    Circle: Circle, InfoWindow: InfoWindow, OverlayView: OverlayView, Geocoder: Geocoder,
    GeocoderStatus: { OK: 'OK', ZERO_RESULTS: 'ZERO_RESULTS', ERROR: 'ERROR' },
    MapTypeId: { ROADMAP: 'roadmap', SATELLITE: 'satellite', HYBRID: 'hybrid', TERRAIN: 'terrain' }
  } };

  // What the tests do to the map, and how they read what the page made.
  fake.click = function (lat, lng) { event.trigger(fake.map, 'click', { latLng: new LatLng(lat, lng) }); };
  fake.drag = function (marker, lat, lng) {
    marker.setPosition(new LatLng(lat, lng));
    event.trigger(marker, 'dragend', { latLng: marker.getPosition() });
  };
  fake.all = function (type) { return fake.created.filter(function (o) { return o.__type === type; }); };
  fake.live = function (type) { return fake.all(type).filter(function (o) { return !!o.map_; }); };
  fake.points = function (list) { return list.map(function (p) { return [p.lat(), p.lng()]; }); };
  fake.listeners = function (obj, name) { return event.listenerCount(obj, name); };
})();
)JS";

} // namespace

TFakeMapsServer::TFakeMapsServer(QObject* parent) : QObject(parent)
{
    FServer.listen(QHostAddress::LocalHost, 0);
    connect(&FServer, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = FServer.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Serve(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

QString TFakeMapsServer::Host() const { return QStringLiteral("127.0.0.1:%1").arg(FServer.serverPort()); }

QString TFakeMapsServer::TileUrl() const { return QStringLiteral("http://%1/tiles/{z}/{x}/{y}.png").arg(Host()); }

QStringList TFakeMapsServer::TileRequests() const
{
    QStringList tiles;
    for (const QString& r : FRequests)
        if (r.startsWith(QStringLiteral("/tiles/")))
            tiles << r;
    return tiles;
}

QByteArray TFakeMapsServer::Script() { return QByteArray(FakeApi); }

QByteArray TFakeMapsServer::Tile(int z, int x, int y)
{
    QImage image(256, 256, QImage::Format_RGB32);
    image.fill(QColor(0xF2, 0xEF, 0xE9));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // World pixels of this tile's corner: shapes are drawn in world pixels so they run on.
    const double ox = 256.0 * x, oy = 256.0 * y;
    const auto hash = [](long long a, long long b) { return unsigned((a * 73856093LL) ^ (b * 19349663LL)) % 1000u; };
    // Parks: one per block of 192 pixels where the block's hash says so.
    for (long long by = (long long)(oy / 192) - 1; by <= (long long)((oy + 256) / 192); ++by)
        for (long long bx = (long long)(ox / 192) - 1; bx <= (long long)((ox + 256) / 192); ++bx)
            if (hash(bx + z, by) < 300)
                p.fillRect(QRectF(bx * 192 + 30 - ox, by * 192 + 40 - oy, 110, 80), QColor(0xC8, 0xFA, 0xCC));
    // Lakes and blocks of houses in the other blocks of 192 pixels.
    for (long long by = (long long)(oy / 192) - 1; by <= (long long)((oy + 256) / 192); ++by)
        for (long long bx = (long long)(ox / 192) - 1; bx <= (long long)((ox + 256) / 192); ++bx) {
            const unsigned h = hash(bx + z, by);
            const QRectF block(bx * 192 + 20 - ox, by * 192 + 20 - oy, 150, 150);
            if (h >= 300 && h < 380) {
                p.setPen(Qt::NoPen);
                p.setBrush(QColor(0xAA, 0xD3, 0xDF));
                p.drawEllipse(block.adjusted(10, 25, -20, -15));
            } else if (h >= 380) {
                for (int i = 0; i < 4; ++i)
                    for (int j = 0; j < 3; ++j)
                        p.fillRect(QRectF(block.x() + 8 + i * 36, block.y() + 12 + j * 44, 26, 30), QColor(0xD9, 0xD0, 0xC9));
            }
        }
    // A river winding across the world.
    QPainterPath river;
    for (int i = -8; i <= 264; i += 8) {
        const double gx = ox + i;
        const double gy = 256.0 * (1 << z) * 0.55 + 60 * std::sin(gx / 140.0);
        i == -8 ? river.moveTo(i, gy - oy) : river.lineTo(i, gy - oy);
    }
    p.strokePath(river, QPen(QColor(0xAA, 0xD3, 0xDF), 16));
    // Roads every 128 pixels, a main road every fourth.
    for (int k = 0; k < 2; ++k) {
        const double origin = k == 0 ? ox : oy;
        for (long long n = (long long)(origin / 128); n * 128 < origin + 256; ++n) {
            const double at = n * 128 - origin;
            const bool main = n % 4 == 0;
            const QPen casing(main ? QColor(0xE8, 0x92, 0x3A) : QColor(0xCC, 0xCC, 0xCC), main ? 9 : 6);
            const QPen fill(main ? QColor(0xFC, 0xD6, 0xA4) : QColor(Qt::white), main ? 6 : 4);
            for (const QPen& pen : {casing, fill}) {
                p.setPen(pen);
                k == 0 ? p.drawLine(QPointF(at, 0), QPointF(at, 256)) : p.drawLine(QPointF(0, at), QPointF(256, at));
            }
        }
    }
    p.end();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

void TFakeMapsServer::Serve(QTcpSocket* socket)
{
    // One request per connection: read up to the end of the header, answer, close.
    QByteArray request = socket->property("request").toByteArray() + socket->readAll();
    socket->setProperty("request", request);
    if (!request.contains("\r\n\r\n") || socket->property("seen").toBool())
        return;
    socket->setProperty("seen", true);
    const QList<QByteArray> line = request.left(request.indexOf("\r\n")).split(' ');
    const QString target = line.size() >= 2 ? QString::fromLatin1(line.at(1)) : QString();
    QString agent;
    for (const QByteArray& header : request.left(request.indexOf("\r\n\r\n")).split('\n'))
        if (header.toLower().startsWith("user-agent:"))
            agent = QString::fromLatin1(header.mid(11).trimmed());
    FRequests << target;
    FUserAgents << agent;
    if (FSilent)
        return;
    QByteArray status = "404 Not Found", type = "text/plain", body = "not here";
    const QStringList tile = target.split(QLatin1Char('/'));
    if (target.startsWith(QStringLiteral("/maps/api/js"))) {
        status = "200 OK";
        type = "application/javascript";
        body = Script();
    } else if (tile.size() == 5 && tile[1] == QLatin1String("tiles") && tile[4].endsWith(QLatin1String(".png"))) {
        status = "200 OK";
        type = "image/png";
        body = Tile(tile[2].toInt(), tile[3].toInt(), tile[4].chopped(4).toInt());
    }
    socket->write("HTTP/1.1 " + status + "\r\nContent-Type: " + type + "\r\nContent-Length: " +
                  QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    socket->disconnectFromHost();
}

QVariant EvalInPage(QWebEngineView* view, const QString& script, int timeoutMs)
{
    if (!view)
        return {};
    struct TAnswer {
        bool Done = false;
        QVariant Value;
    };
    auto answer = std::make_shared<TAnswer>();
    QEventLoop wait;
    QPointer<QEventLoop> waitRef(&wait);
    view->page()->runJavaScript(script, [answer, waitRef](const QVariant& v) {
        answer->Done = true;
        answer->Value = v;
        if (waitRef)
            waitRef->quit();
    });
    if (!answer->Done) {
        QTimer::singleShot(timeoutMs, &wait, &QEventLoop::quit);
        wait.exec();
    }
    return answer->Value;
}

bool LoadTileMap(TMapGroup& group, TFakeMapsServer& server)
{
    TMapSettings settings = group.MapSettings();
    settings.Provider = TMapProvider::Tiles;
    settings.TileUrl = server.TileUrl();
    settings.TileAttribution = QStringLiteral("Test tiles");
    group.SetMapSettings(settings);
    group.CreateBrowserHost();
    group.resize(660, 600);
    group.show();
    group.EnsureBrowser()->setFixedSize(640, 480);
    group.LoadMapPage();
    return QTest::qWaitFor([&] { return group.MapState() == TMapGroup::TMapState::Ready; }, 15000);
}

bool LoadFakeMap(TMapGroup& group, TFakeMapsServer& server)
{
    TMapSettings settings = group.MapSettings();
    settings.Provider = TMapProvider::Google;
    group.SetMapSettings(settings);
    group.ed_googleurl->setText(server.Host());
    group.CreateBrowserHost();
    group.resize(660, 600);
    group.show();
    group.EnsureBrowser()->setFixedSize(640, 480);
    group.LoadMapPage();
    // The page is ready for the tests when its map exists and the manager has seen the map.
    return QTest::qWaitFor(
        [&] {
            return EvalInPage(group.WebBrowser(),
                              QStringLiteral("!!(window.__fake && __fake.map && mgr && mgr.shownBounds_)"))
                .toBool();
        },
        15000);
}
