// The map page: the template and its fill, loading into the real browser engine against the fake
// maps API, the fence drawings the program asks for, and the page's rectangle-drawing mode.
#include "support_map_fake_api.h"

#include "core/AppError.h"
#include "core/Dialogs.h"
#include "geo/MapGroup.h"
#include "geo/MapPageText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QWebEngineView>
#include <QtTest>

namespace {

QString Json(const QVariant& v) { return QString::fromUtf8(QJsonDocument::fromVariant(v).toJson(QJsonDocument::Compact)); }

} // namespace

class TestMapPage : public QObject {
    Q_OBJECT

    QList<TMessageRequest> messages;
    std::unique_ptr<TFakeMapsServer> server;
    std::unique_ptr<TMapGroup> group;

    QVariant Eval(const QString& script) { return EvalInPage(group->WebBrowser(), script); }
    QString EvalJson(const QString& script) { return Json(Eval(script)); }

private slots:
    void initTestCase()
    {
        Dialogs::SetMessageHandler([this](const TMessageRequest& r) { messages << r; });
        server = std::make_unique<TFakeMapsServer>();
    }
    void init()
    {
        messages.clear();
        group = std::make_unique<TMapGroup>();
    }
    void cleanup() { group.reset(); }

    void templateHasItsStructureAndFivePlaceholders();
    void fillInsertsValuesWithoutReadingThem();
    void fillRefusesOtherFormats();
    void filledPage_data();
    void filledPage();
    void mapDependentActionsRefuseBeforeTheFirstLoad();
    void startUpCreatesNoBrowser();
    void loadsFromTheMapHostAndMakesTheMap();
    void unreachableMapHostStillLoadsThePage();
    void showAndHideGeoFence();
    void showFenceOnMapSendsTheTextsAndCentres();
    void drawingModeTakesTwoPointsAndReportsCorners();
    void latitudeLabelShowsTheHostFieldOnlyWithCtrlShift();
    void hoveredLinkIsTheStatusText();
};

void TestMapPage::templateHasItsStructureAndFivePlaceholders()
{
    const QString page = TMapGroup::PageTemplate();
    QCOMPARE(page.count(QLatin1Char('%')), 5);
    QCOMPARE(page.count(QStringLiteral("%s")), 2);
    QCOMPARE(page.count(QStringLiteral("%f")), 3);
    // Lines are joined by CR LF.
    QCOMPARE(page.count(QLatin1Char('\n')), page.count(QStringLiteral("\r\n")));
    QVERIFY(page.startsWith(QStringLiteral("<!DOCTYPE html>")));
    // The parts in their order.
    const QStringList inOrder = {
        QStringLiteral("content=\"width=device-width, initial-scale=1.0, user-scalable=no\""),
        QStringLiteral("content=\"text/html; charset=UTF-8\""),
        QStringLiteral("<title>google map v3</title>"),
        QStringLiteral("html, body, #map-canvas {"),
        QStringLiteral("height: %s;"),
        QStringLiteral("margin: 0px;"),
        QStringLiteral("padding: 0px"),
        QStringLiteral("<script type=\"text/javascript\" src=\"%s\"></script>"),
        QStringLiteral("function GridBounds("),
        QStringLiteral("function ProjectionHelperOverlay("),
        QStringLiteral("function MarkerManager("),
        QStringLiteral("var map_obj"),
        QStringLiteral("var allmarkers"),
        QStringLiteral("function LabelText("),
        QStringLiteral("function FenceEnterSetting("),
        QStringLiteral("function FenceClear("),
        QStringLiteral("function FenceOnMapClick("),
        QStringLiteral("function FenceUpdateBounds("),
        QStringLiteral("function fireOnBounds("),
        QStringLiteral("function hideGeoFence("),
        QStringLiteral("function showGeoFence("),
        QStringLiteral("function locateTo("),
        QStringLiteral("function doOnload("),
        QStringLiteral("zoom: %f,"),
        QStringLiteral("center: new google.maps.LatLng(%f, %f),"),
        QStringLiteral("function doResize("),
        QStringLiteral("function fireOnPoint("),
        QStringLiteral("function queryAddress("),
        QStringLiteral("function fireOnGeoPointBounds("),
        QStringLiteral("function fireOnMapMove("),
        QStringLiteral("function fireOnMarkClick("),
        QStringLiteral("function fireOnMarkDblClick("),
        QStringLiteral("function HotPointEnterSetting("),
        QStringLiteral("function enterGeoPoint("),
        QStringLiteral("function showMarkerOnMap("),
        QStringLiteral("function ShowPolylineCircle("),
        QStringLiteral("function showRoad("),
        QStringLiteral("function showArea("),
        QStringLiteral("function showTrack("),
        QStringLiteral("function addSimplePolyLine("),
        QStringLiteral("function clearOverlays("),
        QStringLiteral("function POIAddArr("),
        QStringLiteral("function InitCustomerMap("),
        QStringLiteral("function CoordMapType("),
        QStringLiteral("</script>"),
        QStringLiteral("<style type=\"text/css\"></style>"),
        QStringLiteral("<body onload=\"doOnload()\" onresize=\"doResize()\">"),
        QStringLiteral("<div id=\"map-canvas\" style=\"width: 640px; height: 480px\"></div>"),
        QStringLiteral("</html>"),
    };
    qsizetype at = 0;
    for (const QString& part : inOrder) {
        const qsizetype found = page.indexOf(part, at);
        QVERIFY2(found >= 0, qPrintable(QStringLiteral("missing or out of order: ") + part));
        at = found + part.size();
    }
    // One inline script, ending with the tile overlay.
    QCOMPARE(page.count(QStringLiteral("<script")), 2);
    QVERIFY(page.lastIndexOf(QStringLiteral("function ")) > page.indexOf(QStringLiteral("function CoordMapType(")) - 1);
}

void TestMapPage::fillInsertsValuesWithoutReadingThem()
{
    QCOMPARE(FillPageTemplate(QStringLiteral("a %s b %f c %%"), {QStringLiteral("%s%f%d"), 2.5}),
             QStringLiteral("a %s%f%d b 2.50 c %"));
    QCOMPARE(FillPageTemplate(QStringLiteral("%f|%f|%f"), {22.917922936146, -0.004, 125.155}),
             QStringLiteral("22.92|-0.00|125.16"));
}

void TestMapPage::fillRefusesOtherFormats()
{
    struct TCase {
        const char* name;
        QString format;
        QList<TPageArg> args;
    };
    const QList<TCase> cases = {
        {"an integer placeholder", QStringLiteral("%d"), {1.0}},
        {"a lone percent at the end", QStringLiteral("abc %"), {}},
        {"fewer values than placeholders", QStringLiteral("%s %s"), {QStringLiteral("x")}},
        {"more values than placeholders", QStringLiteral("%s"), {QStringLiteral("x"), QStringLiteral("y")}},
        {"a number for a text", QStringLiteral("%s"), {1.0}},
        {"a text for a number", QStringLiteral("%f"), {QStringLiteral("1")}},
    };
    for (const TCase& c : cases) {
        bool thrown = false;
        try {
            FillPageTemplate(c.format, c.args);
        } catch (const EAppError&) {
            thrown = true;
        }
        QVERIFY2(thrown, c.name);
    }
}

void TestMapPage::filledPage_data()
{
    QTest::addColumn<QString>("lat");
    QTest::addColumn<QString>("lng");
    QTest::addColumn<QString>("zoom");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QStringList>("expected");
    // Over https and without the long-retired "sensor" parameter.
    const QString defaultScript = QStringLiteral("src=\"https://maps.googleapis.com/maps/api/js\"");
    QTest::newRow("design-time texts, empty host field")
        << "22.917922" << "125.156251" << "2" << "" << ""
        << QStringList{QStringLiteral("height: 100%;"), defaultScript, QStringLiteral("zoom: 2.00,"),
                       QStringLiteral("center: new google.maps.LatLng(22.92, 125.16),")};
    QTest::newRow("zoom that is no number") << "22.917922" << "125.156251" << "abc" << "" << ""
                                            << QStringList{QStringLiteral("zoom: 2.00,")};
    QTest::newRow("latitude that is no number")
        << "x" << "125.156251" << "2" << "" << ""
        << QStringList{QStringLiteral("center: new google.maps.LatLng(22.92, 125.16),")};
    QTest::newRow("longitude that is no number, zoom with decimals")
        << "1.5" << "" << "7.25" << "" << ""
        << QStringList{QStringLiteral("center: new google.maps.LatLng(1.50, 125.16),"), QStringLiteral("zoom: 7.25,")};
    QTest::newRow("negative centre") << "-33.8688" << "-70.006" << "2" << "" << ""
                                     << QStringList{QStringLiteral("LatLng(-33.87, -70.01),")};
    QTest::newRow("loopback host with a port, asked over http")
        << "1" << "2" << "3" << "127.0.0.1:8080" << ""
        << QStringList{QStringLiteral("src=\"http://127.0.0.1:8080/maps/api/js\"")};
    QTest::newRow("other host with a port, asked over https")
        << "1" << "2" << "3" << "maps.example.com:8443" << ""
        << QStringList{QStringLiteral("src=\"https://maps.example.com:8443/maps/api/js\"")};
    QTest::newRow("key given")
        << "1" << "2" << "3" << "" << "AbC-123_x"
        << QStringList{QStringLiteral("src=\"https://maps.googleapis.com/maps/api/js?key=AbC-123_x\"")};
    QTest::newRow("quote and angle in the host and key stay inside the attribute")
        << "1" << "2" << "3" << "a\"b<c" << "k\"><script>"
        << QStringList{QStringLiteral("src=\"https://a%22b%3Cc/maps/api/js?key=k%22%3E%3Cscript%3E\"")};
}

void TestMapPage::filledPage()
{
    QFETCH(QString, lat);
    QFETCH(QString, lng);
    QFETCH(QString, zoom);
    QFETCH(QString, host);
    QFETCH(QString, key);
    QFETCH(QStringList, expected);
    group->ed_MapLat->setText(lat);
    group->ed_MapLng->setText(lng);
    group->ed_MapZoom->setText(zoom);
    group->ed_googleurl->setText(host);
    group->SetMapSettings(TMapSettings{TMapProvider::Google, key, {}, {}});
    const QString page = group->BuildMapPage();
    for (const QString& text : expected)
        QVERIFY2(page.contains(text), qPrintable(text));
    // The only "%" left is the one of "100%".
    QCOMPARE(page.count(QLatin1Char('%')) - QString(group->MapScriptUrl).count(QLatin1Char('%')), 1);
    QVERIFY(page.contains(QStringLiteral("src=\"") + group->MapScriptUrl + QLatin1Char('"')));
}

void TestMapPage::mapDependentActionsRefuseBeforeTheFirstLoad()
{
    QVERIFY(!group->MapLoaded);
    // The catalogue's text for the Google map; another map is named by its own name.
    group->SetMapSettings(TMapSettings{TMapProvider::Google, QStringLiteral("K"), {}, {}});
    QVERIFY(!group->CheckMapLoaded());
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].Text, QStringLiteral("Google Map not loading !"));
    group->SetMapSettings(TMapSettings{TMapProvider::Osm, {}, {}, {}});
    QVERIFY(!group->CheckMapLoaded());
    QCOMPARE(messages.size(), 2);
    QCOMPARE(messages[1].Text, QStringLiteral("OpenStreetMap not loading !"));
    QCOMPARE(messages[0].Caption, QStringLiteral("Message"));
    QCOMPARE(messages[0].Icon, TMsgIcon::Information);
}

void TestMapPage::startUpCreatesNoBrowser()
{
    group->CreateBrowserHost();
    group->show();
    QVERIFY(group->ExternalContainer());
    QVERIFY(!group->WebBrowser());
    QVERIFY(!group->findChild<QWebEngineView*>());
    QVERIFY(group->ed_googleurl->isHidden());
}

void TestMapPage::loadsFromTheMapHostAndMakesTheMap()
{
    QSignalSpy loaded(group.get(), &TMapGroup::MapPageLoaded);
    QVERIFY(LoadFakeMap(*group, *server));
    QVERIFY(group->MapLoaded);
    QVERIFY(group->CheckMapLoaded());
    QVERIFY(messages.isEmpty());
    // The empty document first, then the page.
    QCOMPARE(loaded.size(), 2);
    QCOMPARE(group->WebBrowser()->objectName(), QStringLiteral("FWebBrowser"));
    QVERIFY(server->Requests().contains(QStringLiteral("/maps/api/js")));
    QTRY_COMPARE_WITH_TIMEOUT(group->MapState(), TMapGroup::TMapState::Ready, 5000);
    QCOMPARE(Eval(QStringLiteral("document.title")).toString(), QStringLiteral("google map v3"));
    // The map got the placeholders' values and every control.
    QCOMPARE(EvalJson(QStringLiteral("[__fake.map.opts.zoom, __fake.map.opts.center.lat(), __fake.map.opts.center.lng()]")),
             QStringLiteral("[2,22.92,125.16]"));
    QCOMPARE(EvalJson(QStringLiteral("['panControl','zoomControl','mapTypeControl','scaleControl','streetViewControl',"
                                     "'overviewMapControl'].map(function (k) { return __fake.map.opts[k]; })")),
             QStringLiteral("[true,true,true,true,true,true]"));
    // The canvas fills the page, which fills the browser.
    QCOMPARE(EvalJson(QStringLiteral("[map_pnl.style.width, map_pnl.style.height]")), QStringLiteral("[\"640px\",\"480px\"]"));
    QCOMPARE(Eval(QStringLiteral("__fake.map.getDiv().id")).toString(), QStringLiteral("map-canvas"));
    // A second load builds a fresh page with the fields' current values.
    group->ed_MapZoom->setText(QStringLiteral("5"));
    QVERIFY(LoadFakeMap(*group, *server));
    QCOMPARE(Eval(QStringLiteral("__fake.map.opts.zoom")).toInt(), 5);
    QCOMPARE(Eval(QStringLiteral("__fake.all('Map').length")).toInt(), 1);
}

void TestMapPage::unreachableMapHostStillLoadsThePage()
{
    // Port 1 on this machine refuses: the API script never arrives.
    group->SetMapSettings(TMapSettings{TMapProvider::Google, {}, {}, {}});
    group->ed_googleurl->setText(QStringLiteral("127.0.0.1:1"));
    group->CreateBrowserHost();
    group->show();
    group->LoadMapPage();
    QVERIFY(group->MapLoaded);
    QVERIFY(group->CheckMapLoaded());
    QCOMPARE(Eval(QStringLiteral("typeof google")).toString(), QStringLiteral("undefined"));
    // The page's functions are all defined all the same.
    QCOMPARE(Eval(QStringLiteral("[typeof MarkerManager, typeof LabelText, typeof showGeoFence, typeof CoordMapType].join()"))
                 .toString(),
             QStringLiteral("function,function,function,function"));
    // The map area and the status field say what failed; the page calls are not made one by one.
    QTRY_COMPARE_WITH_TIMEOUT(group->MapState(), TMapGroup::TMapState::Failed, 5000);
    QCOMPARE(group->MapFailure(), QStringLiteral("script"));
    QVERIFY(group->lblMapNotice->isVisible());
    QVERIFY(group->lblMapNotice->text().contains(QStringLiteral("127.0.0.1:1")));
    QCOMPARE(group->ed_web->text(), group->lblMapNotice->text());
    group->HideFencesOnMap();
    group->ShowFenceOnMap(TFenceCorners{114, 22.9, 114.5, 22.5}, 3, 0x0000FF, 0x0000FF);
    group->EnterFenceSetting();
    QVERIFY(group->FenceSettingActive());
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].Text, group->lblMapNotice->text());
    // The next action is told again, once.
    QCoreApplication::processEvents();
    group->HideFencesOnMap();
    group->HideFencesOnMap();
    QCOMPARE(messages.size(), 2);
}

void TestMapPage::showAndHideGeoFence()
{
    QVERIFY(LoadFakeMap(*group, *server));
    group->CallJavaScript(QStringLiteral("showGeoFence(22.9, 113.9, 22.5, 114.0, 3, \"#FF0000\", \"#FF0000\")"));
    QVERIFY(messages.isEmpty());
    QCOMPARE(Eval(QStringLiteral("__fake.live('Polygon').length")).toInt(), 1);
    QCOMPARE(EvalJson(QStringLiteral("__fake.points(__fake.live('Polygon')[0].opts.paths)")),
             QStringLiteral("[[22.5,113.9],[22.5,114],[22.9,114],[22.9,113.9],[22.5,113.9]]"));
    QCOMPARE(EvalJson(QStringLiteral("(function (o) { return [o.strokeColor, o.strokeOpacity, o.strokeWeight, o.fillColor,"
                                     " o.fillOpacity]; })(__fake.live('Polygon')[0].opts)")),
             QStringLiteral("[\"#FF0000\",1,3,\"#FF0000\",0.3]"));
    // The line width given is not used: the stroke stays 3.
    group->CallJavaScript(QStringLiteral("showGeoFence(1, 2, 0, 3, 9, \"#00FF00\", \"#0000FF\")"));
    QCOMPARE(EvalJson(QStringLiteral("(function (o) { return [o.strokeColor, o.strokeWeight, o.fillColor]; })"
                                     "(__fake.live('Polygon')[1].opts)")),
             QStringLiteral("[\"#00FF00\",3,\"#0000FF\"]"));
    QCOMPARE(Eval(QStringLiteral("user_fence.length")).toInt(), 2);
    group->HideFencesOnMap();
    QCOMPARE(Eval(QStringLiteral("__fake.live('Polygon').length")).toInt(), 0);
    QCOMPARE(Eval(QStringLiteral("user_fence.length")).toInt(), 0);
    // Hiding with nothing shown is quiet.
    group->HideFencesOnMap();
    QVERIFY(messages.isEmpty());
}

void TestMapPage::showFenceOnMapSendsTheTextsAndCentres()
{
    QVERIFY(LoadFakeMap(*group, *server));
    // Keep every script text the program runs (the call evaluates it through the global eval).
    Eval(QStringLiteral("window.__texts = []; (function (e) { window.eval = function (t) { __texts.push(t); return e(t); }; })"
                        "(window.eval); true"));
    TFenceCorners corners;
    corners.LTLongitude = 113.945617;
    corners.LTLatitude = 22.917922;
    corners.RBLongitude = 114;
    corners.RBLatitude = 22.5;
    group->ShowFenceOnMap(corners, 3, 0x0000FF, 0x0000FF);
    QVERIFY(messages.isEmpty());
    QCOMPARE(Eval(QStringLiteral("__texts")).toStringList(),
             (QStringList{QStringLiteral("showGeoFence(22.917922,113.945617,22.500000,114.000000,3,\"#FF0000\",\"#FF0000\")"),
                          QStringLiteral("locateTo(22.917922, 113.945617)")}));
    QCOMPARE(EvalJson(QStringLiteral("[__fake.map.getCenter().lat(), __fake.map.getCenter().lng()]")),
             QStringLiteral("[22.917922,113.945617]"));
    group->HideFencesOnMap();
    group->EnterFenceSetting();
    group->LeaveFenceSetting();
    QCOMPARE(Eval(QStringLiteral("__texts.slice(2)")).toStringList(),
             (QStringList{QStringLiteral("hideGeoFence()"), QStringLiteral("FenceEnterSetting(true)"),
                          QStringLiteral("FenceEnterSetting(false)")}));
    // locateTo ignores its errors.
    group->CallJavaScript(QStringLiteral("locateTo('x', undefined)"));
    QVERIFY(messages.isEmpty());
}

void TestMapPage::drawingModeTakesTwoPointsAndReportsCorners()
{
    QVERIFY(LoadFakeMap(*group, *server));
    QLineEdit ltLng, ltLat, rbLng, rbLat;
    group->ConnectBoundsFields(&ltLng, &ltLat, &rbLng, &rbLat);
    QSignalSpy bounds(group.get(), &TMapGroup::OnMapBounds);
    const QString liveMarkers = QStringLiteral("__fake.live('Marker').length");
    const QString liveRects = QStringLiteral("__fake.live('Rectangle').length");

    QVERIFY(!group->FenceSettingActive());
    group->EnterFenceSetting();
    QVERIFY(group->FenceSettingActive());
    // The first click south-east of the second: the first still becomes the left-top corner.
    Eval(QStringLiteral("__fake.click(22.5, 114.0)"));
    QCOMPARE(Eval(liveMarkers).toInt(), 1);
    QCOMPARE(Eval(liveRects).toInt(), 0);
    Eval(QStringLiteral("__fake.click(22.9, 113.9)"));
    QCOMPARE(Eval(liveMarkers).toInt(), 2);
    QCOMPARE(Eval(liveRects).toInt(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(bounds.size(), 1, 5000);
    QCOMPARE(bounds[0], (QVariantList{114.0, 22.5, 113.9, 22.9}));
    QCOMPARE(ltLng.text(), QStringLiteral("114.000000"));
    QCOMPARE(ltLat.text(), QStringLiteral("22.500000"));
    QCOMPARE(rbLng.text(), QStringLiteral("113.900000"));
    QCOMPARE(rbLat.text(), QStringLiteral("22.900000"));
    QCOMPARE(EvalJson(QStringLiteral("(function (o) { return [o.strokeColor, o.strokeOpacity, o.strokeWeight, o.fillColor,"
                                     " o.fillOpacity, o.clickable, o.bounds.getSouthWest().lat(), o.bounds.getNorthEast().lng()];"
                                     " })(__fake.live('Rectangle')[0].opts)")),
             QStringLiteral("[\"#FF0000\",0.8,2,\"#FF0000\",0.35,false,22.5,113.9]"));
    QCOMPARE(Eval(QStringLiteral("__fake.live('Marker').every(function (m) { return m.opts.draggable; })")).toBool(), true);

    // A third click adds nothing (its point is still reported, as every click is).
    Eval(QStringLiteral("__fake.click(23.0, 115.0)"));
    QCOMPARE(Eval(liveMarkers).toInt(), 2);
    QCOMPARE(Eval(liveRects).toInt(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(group->txtLatLng->text(), QStringLiteral("Latitude: 23.000000,Longitude: 115.000000"), 5000);
    QCOMPARE(bounds.size(), 1);

    // Dragging either marker reports the new corners and replaces the rectangle.
    Eval(QStringLiteral("__fake.drag(fence.marker2, 22.4, 114.2)"));
    QTRY_COMPARE_WITH_TIMEOUT(bounds.size(), 2, 5000);
    QCOMPARE(bounds[1], (QVariantList{114.0, 22.5, 114.2, 22.4}));
    Eval(QStringLiteral("__fake.drag(fence.marker1, 22.0, 113.0)"));
    QTRY_COMPARE_WITH_TIMEOUT(bounds.size(), 3, 5000);
    QCOMPARE(bounds[2], (QVariantList{113.0, 22.0, 114.2, 22.4}));
    QCOMPARE(ltLng.text(), QStringLiteral("113.000000"));
    QCOMPARE(rbLat.text(), QStringLiteral("22.400000"));
    QCOMPARE(Eval(liveRects).toInt(), 1);

    // Leaving removes both markers and the rectangle; clicks then draw nothing.
    group->LeaveFenceSetting();
    QVERIFY(!group->FenceSettingActive());
    QCOMPARE(Eval(liveMarkers).toInt(), 0);
    QCOMPARE(Eval(liveRects).toInt(), 0);
    Eval(QStringLiteral("__fake.click(10, 10)"));
    QCOMPARE(Eval(liveMarkers).toInt(), 0);
    // Re-entering starts clean: one click, one marker.
    group->EnterFenceSetting();
    group->EnterFenceSetting();
    Eval(QStringLiteral("__fake.click(10, 10)"));
    QCOMPARE(Eval(liveMarkers).toInt(), 1);
    QCOMPARE(Eval(QStringLiteral("fence.count")).toInt(), 1);
    // Re-entering while a rectangle is half drawn clears it too.
    group->LeaveFenceSetting();
    group->EnterFenceSetting();
    QCOMPARE(Eval(liveMarkers).toInt(), 0);
    QCOMPARE(Eval(QStringLiteral("fence.count")).toInt(), 0);
    QVERIFY(messages.isEmpty());
}

void TestMapPage::latitudeLabelShowsTheHostFieldOnlyWithCtrlShift()
{
    group->show();
    QVERIFY(group->ed_googleurl->isHidden());
    QTest::mouseClick(group->lblMapLat, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(group->ed_googleurl->isVisible());
    QTest::mouseClick(group->lblMapLat, Qt::LeftButton, Qt::ControlModifier);
    QVERIFY(group->ed_googleurl->isHidden());
    QTest::mouseClick(group->lblMapLat, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::mouseClick(group->lblMapLat, Qt::RightButton, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(group->ed_googleurl->isHidden());
}

void TestMapPage::hoveredLinkIsTheStatusText()
{
    // The browser's status text is the address of the link under the mouse.
    group->CreateBrowserHost();
    group->show();
    QWebEngineView* view = group->EnsureBrowser();
    view->setFixedSize(640, 480);
    QSignalSpy loaded(group.get(), &TMapGroup::MapPageLoaded);
    view->setHtml(QStringLiteral("<html><body style=\"margin:0\"><a href=\"http://example.invalid/terms\""
                                 " style=\"display:block;width:640px;height:240px\">terms</a></body></html>"));
    QTRY_COMPARE_WITH_TIMEOUT(loaded.size(), 1, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(view->focusProxy(), 5000);
    // The renderer may miss the first moves while it starts; every try moves by one pixel so that
    // each is a real move.
    int wiggle = 0;
    QTRY_COMPARE_WITH_TIMEOUT(
        (QTest::mouseMove(view->focusProxy(), QPoint(100, 100 + (++wiggle % 2))), group->ed_web->text()),
        QStringLiteral("http://example.invalid/terms"), 10000);
    // Leaving the link clears it.
    QTRY_COMPARE_WITH_TIMEOUT(
        (QTest::mouseMove(view->focusProxy(), QPoint(100, 400 + (++wiggle % 2))), group->ed_web->text()), QString(),
        10000);
}

QTEST_MAIN(TestMapPage)
#include "test_map_page.moc"
