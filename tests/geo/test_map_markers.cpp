// The page's marker manager and tile overlay: their arithmetic as pure functions of the page, and
// the manager's updates on the fake map, run in the real browser engine.
#include "support_map_fake_api.h"

#include "core/Dialogs.h"
#include "geo/MapGroup.h"

#include <QJsonDocument>
#include <QWebEngineView>
#include <QtTest>
#include <cmath>

namespace {

// The world pixel as the manager defines it, computed here on its own.
QPoint WorldPixel(double lat, double lng, int zoom)
{
    const double scale = std::pow(2.0, zoom + 7);
    const double s = std::sin(lat * M_PI / 180);
    return QPoint(int(std::floor(0.5 + (1 + lng / 180) * scale)),
                  int(std::floor(0.5 + (1 - std::log((1 + s) / (1 - s)) / (2 * M_PI)) * scale)));
}

} // namespace

class TestMapMarkers : public QObject {
    Q_OBJECT

    QList<TMessageRequest> messages;
    std::unique_ptr<TFakeMapsServer> server;
    std::unique_ptr<TMapGroup> group;

    QVariant Eval(const QString& script) { return EvalInPage(group->WebBrowser(), script); }
    QString EvalJson(const QString& script)
    {
        return QString::fromUtf8(QJsonDocument::fromVariant(Eval(script)).toJson(QJsonDocument::Compact));
    }
    // Runs a script that sets window.__done when the manager's update after it has run.
    bool WaitForUpdate(const QString& script)
    {
        Eval(QStringLiteral("window.__changed = 0; if (!window.__watch) { window.__watch = google.maps.event.addListener("
                            "mgr, 'changed', function () { window.__changed++; }); } ") +
             script);
        return QTest::qWaitFor([&] { return Eval(QStringLiteral("window.__changed")).toInt() > 0; }, 5000);
    }

private slots:
    void initTestCase()
    {
        Dialogs::SetMessageHandler([this](const TMessageRequest& r) { messages << r; });
        server = std::make_unique<TFakeMapsServer>();
        group = std::make_unique<TMapGroup>();
        QVERIFY(LoadFakeMap(*group, *server));
    }
    void cleanupTestCase() { group.reset(); }

    void worldPixels_data();
    void worldPixels();
    void gridWidthAndCells();
    void gridBoundsOfAView_data();
    void gridBoundsOfAView();
    void gridBoundsContainCellsAcrossTheMeridian();
    void addingFilesAtEveryZoomWithoutTouchingTheMap();
    void panUpdatesOnlyCellsThatEnteredOrLeft();
    void zoomChangeShowsTheNewLevelAfresh();
    void pointsOfInterestGoThroughTheManager();
    void tileOverlayAddresses();
};

void TestMapMarkers::worldPixels_data()
{
    QTest::addColumn<double>("lat");
    QTest::addColumn<double>("lng");
    QTest::addColumn<int>("zoom");
    QTest::newRow("origin at zoom 0") << 0.0 << 0.0 << 0;
    QTest::newRow("west edge") << 0.0 << -180.0 << 0;
    QTest::newRow("east edge") << 0.0 << 180.0 << 3;
    QTest::newRow("Shenzhen at zoom 12") << 22.917922 << 113.945618 << 12;
    QTest::newRow("south at zoom 19") << -33.8688 << 151.2093 << 19;
    QTest::newRow("far north") << 85.0 << 10.0 << 5;
}

void TestMapMarkers::worldPixels()
{
    QFETCH(double, lat);
    QFETCH(double, lng);
    QFETCH(int, zoom);
    const QPoint expected = WorldPixel(lat, lng, zoom);
    const QVariantMap p = Eval(QStringLiteral("ProjectionHelperOverlay.LatLngToPixel(%1, %2, %3)").arg(lat, 0, 'g', 17).arg(lng, 0, 'g', 17).arg(zoom)).toMap();
    QCOMPARE(p.value(QStringLiteral("x")).toLongLong(), expected.x());
    QCOMPARE(p.value(QStringLiteral("y")).toLongLong(), expected.y());
    // The centre of the world at zoom 0 is pixel (128, 128); the world is 256 * 2^zoom wide.
    if (lat == 0 && lng == 0)
        QCOMPARE(expected, QPoint(128, 128));
    if (lng == 180)
        QCOMPARE(expected.x(), 256 << zoom);
    // And back, to within a pixel's worth of degrees.
    const QVariantMap back = Eval(QStringLiteral("ProjectionHelperOverlay.PixelToLatLng(%1, %2, %3)")
                                      .arg(expected.x()).arg(expected.y()).arg(zoom)).toMap();
    const double pixelDegrees = 360.0 / (256 << zoom);
    QVERIFY(std::abs(back.value(QStringLiteral("lng")).toDouble() - lng) <= pixelDegrees);
    QVERIFY(std::abs(back.value(QStringLiteral("lat")).toDouble() - lat) <= pixelDegrees);
}

void TestMapMarkers::gridWidthAndCells()
{
    QCOMPARE(EvalJson(QStringLiteral("[0, 1, 2, 3, 4, 10, 19].map(function (z) { return mgr.gridWidth(z); })")),
             QStringLiteral("[1,1,1,2,4,256,131072]"));
    // cell = floor((pixel + padding) / 1024)
    QCOMPARE(EvalJson(QStringLiteral("[[0, 0, 0], [1023, 1023, 0], [1024, 2047, 0], [2048, 5000, 0], [1000, 1000, 100],"
                                     " [50, 50, -100], [-1, 0, 0]].map(function (c) {"
                                     " var t = mgr.getTilePoint(c[0], c[1], c[2]); return [t.x, t.y]; })")),
             QStringLiteral("[[0,0],[0,0],[1,1],[2,4],[1,1],[-1,-1],[-1,0]]"));
    QCOMPARE(EvalJson(QStringLiteral("[mgr.maxZoom_, mgr.borderPadding_, mgr.tileSize_]")), QStringLiteral("[19,100,1024]"));
}

void TestMapMarkers::gridBoundsOfAView_data()
{
    QTest::addColumn<QString>("view");  // south, west, north, east, zoom
    QTest::addColumn<QString>("expected");  // [z, minX, minY, maxX, maxY, width]
    // At zoom 10 the world is 262144 pixels: 256 cells. Longitude 0 is pixel 131072 = cell 128.
    // A view of pixels 131172..131772 wide stays in cell 128 even with the margin.
    const auto lngOf = [](double px, int z) { return px * 360.0 / (256 << z) - 180; };
    QTest::newRow("inside one cell, margin too")
        << QStringLiteral("0, %1, 0.5, %2, 10").arg(lngOf(131272, 10), 0, 'g', 17).arg(lngOf(131772, 10), 0, 'g', 17)
        << "[10,128,127,128,128,256]";
    QTest::newRow("margin reaches the next cell east")
        << QStringLiteral("0, %1, 0.5, %2, 10").arg(lngOf(131272, 10), 0, 'g', 17).arg(lngOf(132100, 10), 0, 'g', 17)
        << "[10,128,127,129,128,256]";
    QTest::newRow("margin reaches the cell west")
        << QStringLiteral("0, %1, 0.5, %2, 10").arg(lngOf(131130, 10), 0, 'g', 17).arg(lngOf(131772, 10), 0, 'g', 17)
        << "[10,127,127,128,128,256]";
    QTest::newRow("across the 180 degree meridian")
        << "-1, 179.5, 1, -179.5, 10" << "[10,-1,127,0,128,256]";
    QTest::newRow("whole world at zoom 2") << "-80, -180, 80, 180, 2" << "[2,0,0,0,0,1]";
    QTest::newRow("wider than the world at zoom 3") << "-80, 10, 80, 5, 3" << "[3,0,0,1,1,2]";
    QTest::newRow("zoom beyond the maximum is held at 19") << "0, 0, 0.001, 0.001, 25" << "[19,65535,65535,65536,65536,131072]";
}

void TestMapMarkers::gridBoundsOfAView()
{
    QFETCH(QString, view);
    QFETCH(QString, expected);
    const QStringList v = view.split(QLatin1Char(','));
    QCOMPARE(EvalJson(QStringLiteral("(function () { var b = mgr.gridBoundsOf(new google.maps.LatLng(%1, %2),"
                                     " new google.maps.LatLng(%3, %4), %5); return [b.z, b.minX, b.minY, b.maxX, b.maxY,"
                                     " b.width]; })()")
                          .arg(v[0], v[1], v[2], v[3], v[4])),
             expected);
}

void TestMapMarkers::gridBoundsContainCellsAcrossTheMeridian()
{
    // Columns -1..0 of a 256-wide grid are the columns 255 and 0.
    QCOMPARE(EvalJson(QStringLiteral("(function () { var b = new GridBounds(10, -1, 5, 0, 6, 256); var seen = [];"
                                     " b.forEachCell(function (x, y) { seen.push([x, y]); });"
                                     " return [seen, b.containsCell(255, 5), b.containsCell(0, 6), b.containsCell(1, 5),"
                                     " b.containsCell(255, 7), b.cellCount()]; })()")),
             QStringLiteral("[[[255,5],[255,6],[0,5],[0,6]],true,true,false,false,4]"));
    QCOMPARE(EvalJson(QStringLiteral("[GridBounds.wrapColumn(-1, 256), GridBounds.wrapColumn(256, 256),"
                                     " GridBounds.wrapColumn(-257, 256), GridBounds.wrapColumn(7, 256)]")),
             QStringLiteral("[255,0,255,7]"));
}

void TestMapMarkers::addingFilesAtEveryZoomWithoutTouchingTheMap()
{
    const QString setup = QStringLiteral(
        "window.__m = new google.maps.Marker({ position: new google.maps.LatLng(22.917922, 113.945618) });"
        "window.__calls0 = __fake.setMapCalls;"
        "mgr.addMarkers([__m], 3, 10); true");
    QVERIFY(Eval(setup).toBool());
    QCOMPARE(Eval(QStringLiteral("__fake.setMapCalls - __calls0")).toInt(), 0);
    const QPoint px = WorldPixel(22.917922, 113.945618, 10);
    const int x10 = px.x() / 1024, y10 = px.y() / 1024;
    for (int z = 10, x = x10, y = y10; z >= 3; --z, x /= 2, y /= 2)
        QVERIFY2(Eval(QStringLiteral("(mgr.getGridCell_(%1, %2, %3, false) || []).indexOf(__m) >= 0").arg(x).arg(y).arg(z))
                     .toBool(),
                 qPrintable(QStringLiteral("zoom %1").arg(z)));
    QCOMPARE(Eval(QStringLiteral("mgr.getGridCell_(%1, %2, 2, false)").arg(x10 >> 8).arg(y10 >> 8)), QVariant());
    QCOMPARE(Eval(QStringLiteral("mgr.getGridCell_(%1, %2, 11, false)").arg(x10 * 2).arg(y10 * 2)), QVariant());
    // Counted from its lowest zoom on; found by its position.
    QCOMPARE(EvalJson(QStringLiteral("[mgr.getMarkerCount(2), mgr.getMarkerCount(3), mgr.getMarkerCount(19)]")),
             QStringLiteral("[0,1,1]"));
    QCOMPARE(Eval(QStringLiteral("mgr.getMarker(22.917922, 113.945618, 7) === __m")).toBool(), true);
    QCOMPARE(Eval(QStringLiteral("mgr.getMarker(22.917922, 113.945618, 11)")), QVariant());
    // Positions on the world's edges stay inside the grid: 180 degrees east is column 0, the
    // pole the last row.
    QCOMPARE(EvalJson(QStringLiteral("(function () { var c = mgr.cellOf(90, 180, 10), d = mgr.cellOf(-90, -180, 10);"
                                     " return [c.x, c.y, d.x, d.y]; })()")),
             QStringLiteral("[0,0,0,255]"));
    QCOMPARE(EvalJson(QStringLiteral("(function () { var e = new google.maps.Marker({ position: new google.maps.LatLng(-90, 180) });"
                                     " mgr.addMarkers([e], 0); var found = mgr.getMarker(-90, 180, 19) === e; mgr.removeMarker(e);"
                                     " return [found, mgr.getMarker(-90, 180, 19)]; })()")),
             QStringLiteral("[true,null]"));
    // Removed from every level.
    Eval(QStringLiteral("mgr.removeMarker(__m)"));
    QCOMPARE(Eval(QStringLiteral("mgr.getMarker(22.917922, 113.945618, 7)")), QVariant());
    QCOMPARE(Eval(QStringLiteral("mgr.getMarkerCount(19)")).toInt(), 0);
}

void TestMapMarkers::panUpdatesOnlyCellsThatEnteredOrLeft()
{
    // 20 x 20 markers 0.1 degree apart around the centre, seen at zoom 9 (a cell is 1024 pixels,
    // about 2.8 degrees of longitude), on a 640 x 480 canvas.
    QVERIFY(WaitForUpdate(QStringLiteral(
        "mgr.clearMarkers(); __fake.map.setZoom(9); __fake.map.setCenter(new google.maps.LatLng(0.5, 0.5));"
        "var list = []; for (var i = 0; i < 20; i++) for (var j = 0; j < 20; j++)"
        " list.push(new google.maps.Marker({ position: new google.maps.LatLng(-1 + i * 0.1, -1 + j * 0.1) }));"
        "window.__list = list; mgr.addMarkers(list, 0); mgr.refresh();")));
    const QString shownOk = QStringLiteral(
        "(function () { var b = mgr.shownBounds_, bad = 0, shown = 0; __list.forEach(function (m) {"
        " var c = mgr.cellAtZoom_(m, b.z); var inside = b.containsCell(GridBounds.wrapColumn(c.x, b.width), c.y);"
        " if (!!m.getMap() !== inside) bad++; if (m.getMap()) shown++; });"
        " return [bad, shown === mgr.getShownMarkerCount(), shown]; })()");
    QVERIFY2(EvalJson(shownOk).startsWith(QStringLiteral("[0,true,")), qPrintable(EvalJson(shownOk)));
    const int shownBefore = Eval(QStringLiteral("mgr.getShownMarkerCount()")).toInt();
    QVERIFY(shownBefore > 0);

    // A small pan that keeps the same cells does nothing at all.
    Eval(QStringLiteral("window.__calls0 = __fake.setMapCalls; window.__last = mgr.lastUpdate;"
                        "__fake.map.setCenter(new google.maps.LatLng(0.51, 0.51)); google.maps.event.trigger(__fake.map, 'dragend');"));
    QTRY_VERIFY_WITH_TIMEOUT(Eval(QStringLiteral("!mgr.updatePending_ && !__fake.map.idlePending_")).toBool(), 5000);
    QCOMPARE(Eval(QStringLiteral("__fake.setMapCalls - __calls0")).toInt(), 0);
    QCOMPARE(Eval(QStringLiteral("mgr.lastUpdate === __last")).toBool(), true);

    // A pan east by three degrees: the west column leaves, an east column enters; the markers
    // touched are exactly those of the cells that changed.
    const QString before = EvalJson(QStringLiteral("[mgr.shownBounds_.minX, mgr.shownBounds_.maxX, mgr.shownBounds_.minY, mgr.shownBounds_.maxY]"));
    QVERIFY(WaitForUpdate(QStringLiteral("window.__calls0 = __fake.setMapCalls;"
                                         "__fake.map.setCenter(new google.maps.LatLng(0.5, 3.5));"
                                         "google.maps.event.trigger(__fake.map, 'dragend');")));
    const QString after = EvalJson(QStringLiteral("[mgr.shownBounds_.minX, mgr.shownBounds_.maxX, mgr.shownBounds_.minY, mgr.shownBounds_.maxY]"));
    QVERIFY2(before != after, qPrintable(before + QLatin1Char(' ') + after));
    const QVariantMap stats = Eval(QStringLiteral("mgr.lastUpdate")).toMap();
    const int rows = Eval(QStringLiteral("mgr.shownBounds_.maxY - mgr.shownBounds_.minY + 1")).toInt();
    QCOMPARE(stats.value(QStringLiteral("cellsRemoved")).toInt(), rows);
    QCOMPARE(stats.value(QStringLiteral("cellsAdded")).toInt(), rows);
    QCOMPARE(Eval(QStringLiteral("__fake.setMapCalls - __calls0")).toInt(),
             stats.value(QStringLiteral("markersAdded")).toInt() + stats.value(QStringLiteral("markersRemoved")).toInt());
    QVERIFY(stats.value(QStringLiteral("markersRemoved")).toInt() > 0);
    QVERIFY2(EvalJson(shownOk).startsWith(QStringLiteral("[0,true,")), qPrintable(EvalJson(shownOk)));
    QVERIFY(Eval(QStringLiteral("mgr.getShownMarkerCount()")).toInt() < shownBefore);
}

void TestMapMarkers::zoomChangeShowsTheNewLevelAfresh()
{
    QVERIFY(WaitForUpdate(QStringLiteral("__fake.map.setCenter(new google.maps.LatLng(0, 0)); __fake.map.setZoom(12);")));
    const QVariantMap stats = Eval(QStringLiteral("mgr.lastUpdate")).toMap();
    QCOMPARE(Eval(QStringLiteral("mgr.shownBounds_.z")).toInt(), 12);
    // Everything of the old level went and the whole new view was filled.
    QCOMPARE(stats.value(QStringLiteral("cellsAdded")).toInt(), Eval(QStringLiteral("mgr.shownBounds_.cellCount()")).toInt());
    QVERIFY(stats.value(QStringLiteral("cellsRemoved")).toInt() > 0);
    const QString check = QStringLiteral(
        "(function () { var b = mgr.shownBounds_, bad = 0; __list.forEach(function (m) {"
        " var c = mgr.cellAtZoom_(m, 12); if (!!m.getMap() !== b.containsCell(GridBounds.wrapColumn(c.x, b.width), c.y)) bad++; });"
        " return bad; })()");
    QCOMPARE(Eval(check).toInt(), 0);
    // Hidden: nothing shown, and updates leave the map alone until shown again.
    Eval(QStringLiteral("mgr.hide()"));
    QCOMPARE(Eval(QStringLiteral("__list.filter(function (m) { return !!m.getMap(); }).length")).toInt(), 0);
    QVERIFY(WaitForUpdate(QStringLiteral("mgr.show();")));
    QCOMPARE(Eval(check).toInt(), 0);
    Eval(QStringLiteral("mgr.clearMarkers()"));
    QCOMPARE(Eval(QStringLiteral("__list.filter(function (m) { return !!m.getMap(); }).length")).toInt(), 0);
}

void TestMapMarkers::pointsOfInterestGoThroughTheManager()
{
    QVERIFY(WaitForUpdate(QStringLiteral(
        "__fake.map.setZoom(10); __fake.map.setCenter(new google.maps.LatLng(22.9, 113.9));"
        "POIAddArr(1, 22.9, 113.9, '<b>a</b>', 'http://127.0.0.1/a.png', 16, 20, 'A');"
        "POIAddArr(2, 22.91, 113.91, 'b', '', 0, 0, 'B');"
        "POIAddArr(3, -40, -60, 'far', '', 0, 0, 'C');"
        "window.__poi = allmarkers.slice(); POIAddMgr(5, 15); POIMgrShow();")));
    QCOMPARE(Eval(QStringLiteral("allmarkers.length")).toInt(), 0);
    QCOMPARE(EvalJson(QStringLiteral("__poi.map(function (m) { return !!m.getMap(); })")), QStringLiteral("[true,true,false]"));
    QCOMPARE(EvalJson(QStringLiteral("[__poi[0].poi_id, __poi[0].opts.title, __poi[0].opts.icon.scaledSize.width,"
                                     " __poi[0].opts.icon.scaledSize.height, __poi[0].mgrMinZoom_, __poi[0].mgrMaxZoom_]")),
             QStringLiteral("[1,\"A\",16,20,5,15]"));
    // The info window comes with the first hover.
    QCOMPARE(EvalJson(QStringLiteral("(function () { var before = !!__poi[0].info; google.maps.event.trigger(__poi[0], 'mouseover');"
                                     " return [before, __poi[0].info.opts.content, __poi[0].info.anchor === __poi[0]]; })()")),
             QStringLiteral("[false,\"<b>a</b>\",true]"));
    // Outside the zoom range nothing shows.
    QVERIFY(WaitForUpdate(QStringLiteral("__fake.map.setZoom(4);")));
    QCOMPARE(EvalJson(QStringLiteral("__poi.map(function (m) { return !!m.getMap(); })")), QStringLiteral("[false,false,false]"));
    Eval(QStringLiteral("mgr.clearMarkers()"));
}

void TestMapMarkers::tileOverlayAddresses()
{
    Eval(QStringLiteral("InitCustomerMap(22, 113, 23, 114, 5, 12, 'http://tiles/')"));
    QCOMPARE(EvalJson(QStringLiteral("(function (t) { return [__fake.map.overlayMapTypes.getLength(), t.tileSize.width,"
                                     " t.tileSize.height, t.opacity, t.name, t.alt]; })(__fake.map.overlayMapTypes.getAt(0))")),
             QStringLiteral("[1,256,256,0.75,\"Tile #s\",\"Tile Coordinate Map Type\"]"));
    // The tile holding (22.5, 113.5) at zoom 10: x from the longitude, y' counted from the south.
    const QPoint px = WorldPixel(22.5, 113.5, 10);
    const int x = px.x() / 256, y = px.y() / 256;
    const QString url = QStringLiteral("__fake.map.overlayMapTypes.getAt(0).tileUrl(%1, %2, %3)");
    QCOMPARE(Eval(url.arg(x).arg(y).arg(10)).toString(),
             QStringLiteral("http://tiles/10/%1/%2.png").arg(x).arg((1 << 10) - y - 1));
    const QString empty = Eval(QStringLiteral("CoordMapType.EMPTY_TILE")).toString();
    QVERIFY(empty.startsWith(QStringLiteral("data:image/")));
    QCOMPARE(Eval(url.arg(x).arg(y).arg(13)).toString(), empty);          // above the zoom range
    QCOMPARE(Eval(url.arg(x / 8).arg(y / 8).arg(7)).toString().endsWith(QStringLiteral(".png")), true);
    QCOMPARE(Eval(url.arg(x / 64).arg(y / 64).arg(4)).toString(), empty);  // below the zoom range
    QCOMPARE(Eval(url.arg(x + 20).arg(y).arg(10)).toString(), empty);     // east of the area
    QCOMPARE(Eval(url.arg(x).arg(y - 20).arg(10)).toString(), empty);     // north of the area
    QCOMPARE(Eval(QStringLiteral("__fake.map.overlayMapTypes.getAt(0).getTile({ x: %1, y: %2 }, 10, document).src")
                      .arg(x).arg(y)).toString(),
             QStringLiteral("http://tiles/10/%1/%2.png").arg(x).arg((1 << 10) - y - 1));
}

QTEST_MAIN(TestMapMarkers)
#include "test_map_markers.moc"
