// Both directions between the program and the map page in the real browser engine: the page's
// calls through window.external and the program's script calls, with their texts and failures.
#include "support_map_fake_api.h"

#include "core/Dialogs.h"
#include "geo/ExternalContainer.h"
#include "geo/MapGroup.h"
#include "geo/MyExternal.h"

#include <QGuiApplication>
#include <QJsonDocument>
#include <QLineEdit>
#include <QSignalSpy>
#include <QWebEngineView>
#include <QtTest>

class TestMapBridge : public QObject {
    Q_OBJECT

    QList<TMessageRequest> messages;
    std::unique_ptr<TFakeMapsServer> server;
    std::unique_ptr<TMapGroup> group;

    QVariant Eval(const QString& script) { return EvalInPage(group->WebBrowser(), script); }
    QString EvalJson(const QString& script)
    {
        return QString::fromUtf8(QJsonDocument::fromVariant(Eval(script)).toJson(QJsonDocument::Compact));
    }

private slots:
    void initTestCase()
    {
        Dialogs::SetMessageHandler([this](const TMessageRequest& r) { messages << r; });
        server = std::make_unique<TFakeMapsServer>();
        group = std::make_unique<TMapGroup>();
        QVERIFY(LoadFakeMap(*group, *server));
    }
    void init() { messages.clear(); }
    void cleanupTestCase() { group.reset(); }

    void colorToHtml_data();
    void colorToHtml();
    void mapClickReachesTheLatLngField();
    void doOnBoundsFillsTheFourFields();
    void externalMatchesMembersWithoutCaseAndRefusesOthers();
    void pageCallsWithoutHandlersSucceedAndChangeNothing();
    void callsBeforeTheChannelOpensAreKept();
    void callJavaScriptRunsInTheGlobalScope();
    void callJavaScriptReportsAFailingScript_data();
    void callJavaScriptReportsAFailingScript();
    void callJavaScriptWithoutAPage();
    void geoPointsReportEveryPoint();
    void hotPointReportsMovesButNotItsFirstClick();
};

void TestMapBridge::colorToHtml_data()
{
    QTest::addColumn<uint>("colour");
    QTest::addColumn<QString>("html");
    QTest::newRow("red as the fence page passes it") << 0x0000FFu << "#FF0000";
    QTest::newRow("green") << 0x00FF00u << "#00FF00";
    QTest::newRow("blue") << 0xFF0000u << "#0000FF";
    QTest::newRow("mixed bytes swap end for end") << 0x123456u << "#563412";
    QTest::newRow("black") << 0u << "#000000";
    QTest::newRow("white") << 0xFFFFFFu << "#FFFFFF";
    QTest::newRow("small value still six digits") << 0x00000Au << "#0A0000";
}

void TestMapBridge::colorToHtml()
{
    QFETCH(uint, colour);
    QFETCH(QString, html);
    QCOMPARE(TMapGroup::ColorToHtml(colour), html);
}

void TestMapBridge::mapClickReachesTheLatLngField()
{
    QSignalSpy calls(group->ExternalContainer()->ExternalObject(), &TMyExternal::MemberCalled);
    Eval(QStringLiteral("__fake.click(22.917922, 113.945618)"));
    QTRY_COMPARE_WITH_TIMEOUT(group->txtLatLng->text(), QStringLiteral("Latitude: 22.917922,Longitude: 113.945618"), 5000);
    // DoOnLngLat, then DoOnHotPoint, both longitude first.
    QTRY_COMPARE_WITH_TIMEOUT(calls.size(), 2, 5000);
    QCOMPARE(calls[0][0].toString(), QStringLiteral("DoOnLngLat"));
    QCOMPARE(calls[0][1].toList(), (QVariantList{113.945618, 22.917922}));
    QCOMPARE(calls[1][0].toString(), QStringLiteral("DoOnHotPoint"));
    QCOMPARE(calls[1][1].toList(), (QVariantList{113.945618, 22.917922}));
    // Negative coordinates keep their sign and six decimals.
    Eval(QStringLiteral("__fake.click(-33.8688, -70.5)"));
    QTRY_COMPARE_WITH_TIMEOUT(group->txtLatLng->text(), QStringLiteral("Latitude: -33.868800,Longitude: -70.500000"), 5000);
}

void TestMapBridge::doOnBoundsFillsTheFourFields()
{
    QLineEdit ltLng, ltLat, rbLng, rbLat;
    group->ConnectBoundsFields(&ltLng, &ltLat, &rbLng, &rbLat);
    Eval(QStringLiteral("window.external.DoOnBounds(113.5, 22.25, 114, 22)"));
    QTRY_COMPARE_WITH_TIMEOUT(rbLat.text(), QStringLiteral("22.000000"), 5000);
    QCOMPARE(ltLng.text(), QStringLiteral("113.500000"));
    QCOMPARE(ltLat.text(), QStringLiteral("22.250000"));
    QCOMPARE(rbLng.text(), QStringLiteral("114.000000"));
}

void TestMapBridge::externalMatchesMembersWithoutCaseAndRefusesOthers()
{
    QSignalSpy calls(group->ExternalContainer()->ExternalObject(), &TMyExternal::MemberCalled);
    QCOMPARE(Eval(QStringLiteral("try { window.external.dOoNlNgLaT(1.25, 2.5); 'ok' } catch (e) { 'failed' }")).toString(),
             QStringLiteral("ok"));
    QTRY_COMPARE_WITH_TIMEOUT(group->txtLatLng->text(), QStringLiteral("Latitude: 2.500000,Longitude: 1.250000"), 5000);
    QCOMPARE(Eval(QStringLiteral("'DoOnBounds' in window.external && 'doonhotpoint' in window.external && "
                                 "!('DoOnMapMove' in window.external)"))
                 .toBool(),
             true);
    // Members the object lacks fail as on a host object.
    for (const char* member : {"DoOnMapMove", "DoOnMarkClick", "DoOnMarkDblClick", "AddFavorite"})
        QCOMPARE(Eval(QStringLiteral("try { window.external.%1(1, 2); 'ok' } catch (e) { 'failed: ' + e.message }")
                          .arg(QString::fromLatin1(member)))
                     .toString(),
                 QStringLiteral("failed: Object doesn't support property or method '%1'").arg(QString::fromLatin1(member)));
    // The page's guarded callers swallow those failures.
    QCOMPARE(Eval(QStringLiteral("try { fireOnMapMove(); fireOnMarkClick(7); fireOnMarkDblClick(7); 'ok' } catch (e) {"
                                 " 'failed' }"))
                 .toString(),
             QStringLiteral("ok"));
    // The page cannot replace the object.
    Eval(QStringLiteral("try { window.external = {}; } catch (e) {} true"));
    QCOMPARE(Eval(QStringLiteral("'DoOnLngLat' in window.external")).toBool(), true);
    QTRY_COMPARE_WITH_TIMEOUT(calls.size(), 1, 5000);
    QCOMPARE(calls[0][0].toString(), QStringLiteral("DoOnLngLat"));
}

void TestMapBridge::pageCallsWithoutHandlersSucceedAndChangeNothing()
{
    QSignalSpy calls(group->ExternalContainer()->ExternalObject(), &TMyExternal::MemberCalled);
    group->txtLatLng->setText(QStringLiteral("unchanged"));
    QCOMPARE(Eval(QStringLiteral("try { window.external.doOnGeoPoint('1,2_3,4_'); window.external.DoOnAddress('1,2', 'x');"
                                 " window.external.DoOnHotPoint(1, 2); 'ok' } catch (e) { 'failed' }"))
                 .toString(),
             QStringLiteral("ok"));
    QTRY_COMPARE_WITH_TIMEOUT(calls.size(), 3, 5000);
    QCOMPARE(calls[0][0].toString(), QStringLiteral("DoOnGeoPoint"));
    QCOMPARE(calls[0][1].toList(), QVariantList{QStringLiteral("1,2_3,4_")});
    QCOMPARE(calls[1][1].toList(), (QVariantList{QStringLiteral("1,2"), QStringLiteral("x")}));
    QCOMPARE(group->txtLatLng->text(), QStringLiteral("unchanged"));
    QVERIFY(messages.isEmpty());
}

void TestMapBridge::callsBeforeTheChannelOpensAreKept()
{
    // A page that calls at once, while its document is still being parsed: the channel cannot be
    // open yet, so the calls wait and arrive in order.
    QSignalSpy calls(group->ExternalContainer()->ExternalObject(), &TMyExternal::MemberCalled);
    QSignalSpy loaded(group.get(), &TMapGroup::MapPageLoaded);
    group->WebBrowser()->setHtml(QStringLiteral(
        "<html><head><script>window.external.DoOnLngLat(10, 20); window.external.DOONLNGLAT(30, 40);"
        "</script></head><body></body></html>"));
    QTRY_COMPARE_WITH_TIMEOUT(calls.size(), 2, 10000);
    QCOMPARE(calls[0][1].toList(), (QVariantList{10.0, 20.0}));
    QCOMPARE(calls[1][1].toList(), (QVariantList{30.0, 40.0}));
    QCOMPARE(group->txtLatLng->text(), QStringLiteral("Latitude: 40.000000,Longitude: 30.000000"));
    QTRY_VERIFY(loaded.size() >= 1);
    QVERIFY(LoadFakeMap(*group, *server));
}

void TestMapBridge::callJavaScriptRunsInTheGlobalScope()
{
    group->CallJavaScript(QStringLiteral("var __viaCall = 41; __viaCall++;"));
    QVERIFY(messages.isEmpty());
    QCOMPARE(Eval(QStringLiteral("window.__viaCall")).toInt(), 42);
    // An empty text sends nothing.
    Eval(QStringLiteral("window.__texts = []; (function (e) { window.eval = function (t) { __texts.push(t); return e(t); }; })"
                        "(window.eval); true"));
    group->CallJavaScript(QString());
    QCOMPARE(Eval(QStringLiteral("__texts.length")).toInt(), 0);
    group->CallJavaScript(QStringLiteral("1"));
    QCOMPARE(Eval(QStringLiteral("__texts.length")).toInt(), 1);
    QVERIFY(messages.isEmpty());
}

void TestMapBridge::callJavaScriptReportsAFailingScript_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("text");
    QTest::newRow("function the page lacks")
        << "nosuchFunction()" << "callJavaScript.nosuchFunction() nosuchFunction is not defined";
    QTest::newRow("syntax error") << "hideGeoFence(" << "callJavaScript.hideGeoFence( Unexpected end of input";
    QTest::newRow("script that throws a text") << "throw 'plain'" << "callJavaScript.throw 'plain' plain";
    QTest::newRow("quotes and a line break in the text")
        << "x = \"a\\\"b\";\nundefinedName" << "callJavaScript.x = \"a\\\"b\";\nundefinedName undefinedName is not defined";
}

void TestMapBridge::callJavaScriptReportsAFailingScript()
{
    QFETCH(QString, script);
    QFETCH(QString, text);
    group->CallJavaScript(script);
    // The caller goes on once the box is closed.
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].Text, text);
    QCOMPARE(messages[0].Caption, QGuiApplication::applicationDisplayName());
    QCOMPARE(messages[0].Icon, TMsgIcon::None);
}

void TestMapBridge::callJavaScriptWithoutAPage()
{
    TMapGroup fresh;
    fresh.CallJavaScript(QStringLiteral("hideGeoFence()"));
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages[0].Text.startsWith(QStringLiteral("callJavaScript.hideGeoFence() ")));
    // Nothing was started for it.
    QVERIFY(!fresh.WebBrowser());
}

void TestMapBridge::geoPointsReportEveryPoint()
{
    QSignalSpy calls(group->ExternalContainer()->ExternalObject(), &TMyExternal::MemberCalled);
    Eval(QStringLiteral("enterGeoPoint(true, 0); __fake.click(1.5, 2.25); __fake.click(3, 4); enterGeoPoint(false)"));
    const auto geoTexts = [&] {
        QStringList texts;
        for (const QList<QVariant>& call : calls)
            if (call[0].toString() == QStringLiteral("DoOnGeoPoint"))
                texts << call[1].toList().value(0).toString();
        return texts;
    };
    QTRY_COMPARE_WITH_TIMEOUT(geoTexts().size(), 2, 5000);
    QCOMPARE(geoTexts(), (QStringList{QStringLiteral("1.5,2.25_"), QStringLiteral("1.5,2.25_3,4_")}));
    // An area: a polygon closed back to the first point.
    QCOMPARE(EvalJson(QStringLiteral("__fake.points(geo_point.shape.opts.paths)")),
             QStringLiteral("[[1.5,2.25],[3,4],[1.5,2.25]]"));
    QCOMPARE(EvalJson(QStringLiteral("(function (o) { return [o.strokeColor, o.fillColor, o.strokeWeight, o.fillOpacity]; })"
                                     "(geo_point.shape.opts)")),
             QStringLiteral("[\"#f33f00\",\"#000000\",4,0.3]"));
    // Dragging a point reports again; a line is a polyline through the points.
    Eval(QStringLiteral("geo_point.mode = 1; __fake.drag(geo_point.markers[1], 5, 6)"));
    QTRY_COMPARE_WITH_TIMEOUT(geoTexts().size(), 3, 5000);
    QCOMPARE(geoTexts().last(), QStringLiteral("1.5,2.25_5,6_"));
    QCOMPARE(Eval(QStringLiteral("geo_point.shape.__type")).toString(), QStringLiteral("Polyline"));
    QCOMPARE(Eval(QStringLiteral("__fake.live('Polygon').filter(function (p) { return p.opts.strokeColor === '#f33f00'; })"
                                 ".length")).toInt(), 0);
    Eval(QStringLiteral("clearGeoPoints()"));
    QCOMPARE(Eval(QStringLiteral("geo_point.markers.length + (geo_point.shape ? 1 : 0)")).toInt(), 0);
}

void TestMapBridge::hotPointReportsMovesButNotItsFirstClick()
{
    QSignalSpy calls(group->ExternalContainer()->ExternalObject(), &TMyExternal::MemberCalled);
    Eval(QStringLiteral("fireOnPoint = function () {}; HotPointEnterSetting(true); __fake.click(1, 2);"));
    QCOMPARE(Eval(QStringLiteral("HotPoint.marker.getPosition().lat()")).toInt(), 1);
    Eval(QStringLiteral("__fake.click(3, 4); __fake.drag(HotPoint.marker, 5, 6); HotPointEnterSetting(false)"));
    QTRY_COMPARE_WITH_TIMEOUT(calls.size(), 2, 5000);
    QCOMPARE(calls[0][1].toList(), (QVariantList{4.0, 3.0}));
    QCOMPARE(calls[1][1].toList(), (QVariantList{6.0, 5.0}));
    QCOMPARE(Eval(QStringLiteral("HotPoint.marker === null && HotPoint.listener === null")).toBool(), true);
    QVERIFY(LoadFakeMap(*group, *server));
}

QTEST_MAIN(TestMapBridge)
#include "test_map_bridge.moc"
