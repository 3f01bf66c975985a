// The two map pages in the real browser engine: the Google page against the fake maps API and
// the Leaflet page against generated tiles, both from a server on 127.0.0.1 inside the test.
// The same page-contract cases run against both; then what is the Leaflet page's own (tile
// requests, User-Agent, attribution), the map that cannot load, the host that never answers,
// and the map choice in the settings file and its dialog.
#include "support_map_fake_api.h"

#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "core/IniText.h"
#include "geo/MapGroup.h"
#include "geo/MapProvider.h"
#include "geo/MapSettingsDialog.h"
#include "i18n/ProgramTexts.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>
#include <QtTest>

namespace {

QString Json(const QVariant& v) { return QString::fromUtf8(QJsonDocument::fromVariant(v).toJson(QJsonDocument::Compact)); }

// How each page is driven and read by the tests: the same contract, each library's own objects.
struct TPageKind {
    const char* Name;
    bool Google;
    QString Click;       // %1 latitude, %2 longitude
    QString Drag;        // %1 "marker1" or "marker2", %2 latitude, %3 longitude
    QString LiveMarkers; // number of markers on the map
    QString LiveRects;   // number of rectangles on the map
    QString FencePaths;  // the drawn fences' paths as [[lat, lng], ...], closed
};

const TPageKind GooglePage{
    "google", true, QStringLiteral("__fake.click(%1, %2)"), QStringLiteral("__fake.drag(fence.%1, %2, %3)"),
    QStringLiteral("__fake.live('Marker').length"), QStringLiteral("__fake.live('Rectangle').length"),
    QStringLiteral("user_fence.map(function (p) { return __fake.points(p.opts.paths); })")};

// Leaflet keeps a polygon's ring open (the closing point is implied): it is closed here.
const TPageKind LeafletPage{
    "osm", false, QStringLiteral("map_obj.fire('click', { latlng: L.latLng(%1, %2) })"),
    QStringLiteral("fence.%1.setLatLng([%2, %3]); fence.%1.fire('dragend')"),
    QStringLiteral("(function () { var n = 0; map_obj.eachLayer(function (l) { if (l instanceof L.Marker) n++; }); return n; })()"),
    QStringLiteral("(function () { var n = 0; map_obj.eachLayer(function (l) { if (l instanceof L.Rectangle) n++; }); return n; })()"),
    QStringLiteral("user_fence.map(function (p) { var r = p.getLatLngs()[0].map(function (ll) { return [ll.lat, ll.lng]; });"
                   " r.push(r[0]); return r; })")};

// Sends requests for OpenStreetMap's tiles to the test's server instead, keeping what was asked.
class TTileRedirect : public QWebEngineUrlRequestInterceptor {
public:
    QString Target;
    QStringList Asked;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        const QUrl url = info.requestUrl();
        if (url.host() != QLatin1String("tile.openstreetmap.org"))
            return;
        Asked << url.toString();
        info.redirect(QUrl(Target + url.path()));
    }
};

} // namespace

class TestMapProviders : public QObject {
    Q_OBJECT

    QList<TMessageRequest> messages;
    std::unique_ptr<TFakeMapsServer> server;
    std::unique_ptr<TMapGroup> group;
    std::unique_ptr<QTemporaryDir> dir;

    QVariant Eval(const QString& script) { return EvalInPage(group->WebBrowser(), script); }
    bool Load(const TPageKind& kind) { return kind.Google ? LoadFakeMap(*group, *server) : LoadTileMap(*group, *server); }

private slots:
    void initTestCase()
    {
        Dialogs::SetMessageHandler([this](const TMessageRequest& r) { messages << r; });
        server = std::make_unique<TFakeMapsServer>();
    }
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        SetAppDataFolder(dir->path());
        messages.clear();
        group = std::make_unique<TMapGroup>();
    }
    void cleanup()
    {
        group.reset();
        dir.reset();
    }

    void pageContract_data();
    void pageContract();
    void leafletPageAsksOnlyForTheViewsTilesAndNamesTheProgram();
    void osmTilesComeFromTheStandardServerWithItsAttribution();
    void realMouseClickOnTheLeafletMapReportsThePoint();
    void tilesThatCannotLoadGiveOneNoticeAndTheMapStillTakesFences();
    void tilesFromFilesNeedNoServer();
    void hostThatNeverAnswersDoesNotHoldTheProgram();
    void closeRequestEndsTheWaitAtOnce();
    void callsWhileTheMapIsComingGiveOneNotice();
    void settingsKeysChooseTheProvider();
    void settingsDialogChecksAndSavesTheChoice();
};

void TestMapProviders::pageContract_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("contractCase");
    const QStringList cases = {"show a fence: the path", "hide removes every fence",
                               "two clicks report the first point as left-top", "a third click adds nothing",
                               "dragging a corner reports again", "leaving and re-entering drawing mode clears it"};
    for (int page = 0; page < 2; ++page)
        for (const QString& c : cases)
            QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(page == 0 ? "google" : "osm", c))) << page << c;
}

void TestMapProviders::pageContract()
{
    QFETCH(int, page);
    QFETCH(QString, contractCase);
    const TPageKind& kind = page == 0 ? GooglePage : LeafletPage;
    QVERIFY(Load(kind));
    QLineEdit ltLng, ltLat, rbLng, rbLat;
    group->ConnectBoundsFields(&ltLng, &ltLat, &rbLng, &rbLat);
    QSignalSpy bounds(group.get(), &TMapGroup::OnMapBounds);
    const auto click = [&](double lat, double lng) { Eval(kind.Click.arg(lat).arg(lng)); };
    const auto count = [&](const QString& expr) { return Eval(expr).toInt(); };

    if (contractCase.startsWith(QLatin1String("show"))) {
        group->ShowFenceOnMap(TFenceCorners{113.9, 22.9, 114.0, 22.5}, 3, 0x0000FF, 0x0000FF);
        QCOMPARE(Json(Eval(kind.FencePaths)), QStringLiteral("[[[22.5,113.9],[22.5,114],[22.9,114],[22.9,113.9],[22.5,113.9]]]"));
        // Centred on the left-top corner (Leaflet moves by whole pixels: within one pixel).
        const QString offset = kind.Google
            ? QStringLiteral("(function (c) { return [Math.abs(c.lat() - 22.9), Math.abs(c.lng() - 113.9)]; })"
                             "(__fake.map.getCenter())")
            : QStringLiteral("(function (p, s) { return [Math.abs(p.x - s.x / 2), Math.abs(p.y - s.y / 2)]; })"
                             "(map_obj.latLngToContainerPoint([22.9, 113.9]), map_obj.getSize())");
        const QVariantList off = Eval(offset).toList();
        const double limit = kind.Google ? 1e-9 : 1.0;
        QVERIFY2(off.size() == 2 && off[0].toDouble() <= limit && off[1].toDouble() <= limit, qPrintable(Json(off)));
    } else if (contractCase.startsWith(QLatin1String("hide"))) {
        group->ShowFenceOnMap(TFenceCorners{113.9, 22.9, 114.0, 22.5}, 3, 0x0000FF, 0x0000FF);
        group->ShowFenceOnMap(TFenceCorners{100, 10, 101, 9}, 3, 0x0000FF, 0x0000FF);
        QCOMPARE(Eval(QStringLiteral("user_fence.length")).toInt(), 2);
        group->HideFencesOnMap();
        QCOMPARE(Json(Eval(kind.FencePaths)), QStringLiteral("[]"));
        group->HideFencesOnMap();
    } else {
        group->EnterFenceSetting();
        // The first click south-east of the second: it still becomes the left-top corner.
        click(22.5, 114.0);
        QCOMPARE(count(kind.LiveMarkers), 1);
        QCOMPARE(count(kind.LiveRects), 0);
        click(22.9, 113.9);
        QCOMPARE(count(kind.LiveMarkers), 2);
        QCOMPARE(count(kind.LiveRects), 1);
        QTRY_COMPARE_WITH_TIMEOUT(bounds.size(), 1, 5000);
        QCOMPARE(bounds[0], (QVariantList{114.0, 22.5, 113.9, 22.9}));
        QCOMPARE(ltLng.text(), QStringLiteral("114.000000"));
        QCOMPARE(rbLat.text(), QStringLiteral("22.900000"));
        if (contractCase.startsWith(QLatin1String("a third"))) {
            click(23.0, 115.0);
            QCOMPARE(count(kind.LiveMarkers), 2);
            QCOMPARE(count(kind.LiveRects), 1);
            // Every click is still reported as a point.
            QTRY_COMPARE_WITH_TIMEOUT(group->txtLatLng->text(), QStringLiteral("Latitude: 23.000000,Longitude: 115.000000"),
                                      5000);
            QCOMPARE(bounds.size(), 1);
        } else if (contractCase.startsWith(QLatin1String("dragging"))) {
            Eval(kind.Drag.arg(QStringLiteral("marker2")).arg(22.4).arg(114.2));
            QTRY_COMPARE_WITH_TIMEOUT(bounds.size(), 2, 5000);
            QCOMPARE(bounds[1], (QVariantList{114.0, 22.5, 114.2, 22.4}));
            Eval(kind.Drag.arg(QStringLiteral("marker1")).arg(22.0).arg(113.0));
            QTRY_COMPARE_WITH_TIMEOUT(bounds.size(), 3, 5000);
            QCOMPARE(bounds[2], (QVariantList{113.0, 22.0, 114.2, 22.4}));
            QCOMPARE(count(kind.LiveRects), 1);
        } else if (contractCase.startsWith(QLatin1String("leaving"))) {
            group->LeaveFenceSetting();
            QCOMPARE(count(kind.LiveMarkers), 0);
            QCOMPARE(count(kind.LiveRects), 0);
            click(10, 10);
            QCOMPARE(count(kind.LiveMarkers), 0);
            // Entering twice leaves one listener: one click, one marker.
            group->EnterFenceSetting();
            group->EnterFenceSetting();
            click(10, 10);
            QCOMPARE(count(kind.LiveMarkers), 1);
            group->LeaveFenceSetting();
            group->EnterFenceSetting();
            QCOMPARE(count(kind.LiveMarkers), 0);
            QCOMPARE(Eval(QStringLiteral("fence.count")).toInt(), 0);
        }
    }
    QVERIFY2(messages.isEmpty(), messages.isEmpty() ? "" : qPrintable(messages[0].Text));
}

void TestMapProviders::leafletPageAsksOnlyForTheViewsTilesAndNamesTheProgram()
{
    const qsizetype before = server->Requests().size();
    QVERIFY(LoadTileMap(*group, *server));
    QTRY_VERIFY_WITH_TIMEOUT(Eval(QStringLiteral("tiles.loaded")).toInt() >= 4, 10000);
    QTest::qWait(300);
    QCOMPARE(group->MapState(), TMapGroup::TMapState::Ready);
    QVERIFY(group->lblMapNotice->isHidden());
    QCOMPARE(group->MapScriptUrl, server->TileUrl());
    QCOMPARE(Eval(QStringLiteral("document.title")).toString(), QStringLiteral("tile map"));
    // The library is the program's own: the page asked the server for tiles and nothing else.
    QStringList asked = server->Requests().mid(before);
    QStringList agents = server->UserAgents().mid(before);
    QVERIFY(!asked.isEmpty());
    QSet<QString> distinct;
    for (int i = 0; i < asked.size(); ++i) {
        QVERIFY2(QRegularExpression(QStringLiteral("^/tiles/2/[0-3]/[0-3]\\.png$")).match(asked[i]).hasMatch(),
                 qPrintable(asked[i]));
        QCOMPARE(agents[i], MapProviders::UserAgent());
        distinct.insert(asked[i]);
    }
    // Zoom 2 has 16 tiles, each asked once: no other zoom, nothing fetched twice.
    QCOMPARE(distinct.size(), asked.size());
    QVERIFY(MapProviders::UserAgent().startsWith(QStringLiteral("TovrikAssistant/1.0.0")));
    // The attribution given is shown on the map.
    QVERIFY(Eval(QStringLiteral("document.querySelector('.leaflet-control-attribution').textContent")).toString()
                .contains(QStringLiteral("Test tiles")));
}

void TestMapProviders::osmTilesComeFromTheStandardServerWithItsAttribution()
{
    group->CreateBrowserHost();
    group->resize(660, 600);
    group->show();
    QWebEngineView* view = group->EnsureBrowser();
    view->setFixedSize(640, 480);
    TTileRedirect redirect;
    redirect.Target = QStringLiteral("http://%1/tiles").arg(server->Host());
    view->page()->profile()->setUrlRequestInterceptor(&redirect);
    group->SetMapSettings(MapProviders::Read(TIniText()));
    QCOMPARE(group->MapSettings().Provider, TMapProvider::Osm);
    group->LoadMapPage();
    QTRY_COMPARE_WITH_TIMEOUT(group->MapState(), TMapGroup::TMapState::Ready, 15000);
    QVERIFY(!redirect.Asked.isEmpty());
    for (const QString& url : redirect.Asked)
        QVERIFY2(QRegularExpression(QStringLiteral("^https://tile\\.openstreetmap\\.org/2/\\d/\\d\\.png$")).match(url).hasMatch(),
                 qPrintable(url));
    QVERIFY(server->UserAgents().contains(MapProviders::UserAgent()));
    const QString attribution =
        Eval(QStringLiteral("document.querySelector('.leaflet-control-attribution').textContent")).toString();
    QVERIFY2(attribution.contains(QStringLiteral("© OpenStreetMap contributors")), qPrintable(attribution));
    // Visible: inside the map's area and drawn.
    QCOMPARE(Eval(QStringLiteral("(function (r) { return r.width > 0 && r.height > 0 && r.bottom <= 480 && r.right <= 640; })"
                                 "(document.querySelector('.leaflet-control-attribution').getBoundingClientRect())"))
                 .toBool(),
             true);
    view->page()->profile()->setUrlRequestInterceptor(nullptr);
}

void TestMapProviders::realMouseClickOnTheLeafletMapReportsThePoint()
{
    QVERIFY(LoadTileMap(*group, *server));
    QWebEngineView* view = group->WebBrowser();
    QTRY_VERIFY_WITH_TIMEOUT(view->focusProxy(), 5000);
    // The point under pixel (320, 240) of the map, as Leaflet computes it.
    const QVariantList expected = Eval(QStringLiteral("(function (p) { return [p.lat, p.lng]; })"
                                                      "(map_obj.containerPointToLatLng([320, 240]))"))
                                      .toList();
    QCOMPARE(expected.size(), 2);
    const QString want = QStringLiteral("Latitude: %1,Longitude: %2")
                             .arg(QString::number(expected[0].toDouble(), 'f', 6), QString::number(expected[1].toDouble(), 'f', 6));
    // The renderer may miss the first events while it starts: click until one arrives.
    QTRY_COMPARE_WITH_TIMEOUT((QTest::mouseClick(view->focusProxy(), Qt::LeftButton, {}, QPoint(320, 240)),
                               group->txtLatLng->text()),
                              want, 10000);
}

void TestMapProviders::tilesThatCannotLoadGiveOneNoticeAndTheMapStillTakesFences()
{
    TMapSettings s;
    s.Provider = TMapProvider::Tiles;
    s.TileUrl = QStringLiteral("http://127.0.0.1:1/{z}/{x}/{y}.png");
    group->SetMapSettings(s);
    group->CreateBrowserHost();
    group->show();
    group->LoadMapPage();
    QVERIFY(group->MapLoaded);
    QTRY_COMPARE_WITH_TIMEOUT(group->MapState(), TMapGroup::TMapState::Failed, 10000);
    QCOMPARE(group->MapFailure(), QStringLiteral("tiles"));
    QVERIFY(group->lblMapNotice->isVisible());
    QVERIFY(group->lblMapNotice->text().contains(QStringLiteral("127.0.0.1")));
    QCOMPARE(group->ed_web->text(), group->lblMapNotice->text());
    // Leaflet itself is there: fences are still drawn, and nothing fails.
    for (int i = 0; i < 5; ++i)
        group->ShowFenceOnMap(TFenceCorners{100.0 + i, 10, 100.5 + i, 9}, 3, 0x0000FF, 0x0000FF);
    QCOMPARE(Eval(QStringLiteral("user_fence.length")).toInt(), 5);
    QVERIFY(messages.isEmpty());
    // A tile address that cannot work is refused before anything loads.
    s.TileUrl = QStringLiteral("ftp://example.com/tiles.png");
    group->SetMapSettings(s);
    group->btnLoadMapClick();
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages[0].Text.contains(QStringLiteral("ftp://example.com/tiles.png")));
}

void TestMapProviders::tilesFromFilesNeedNoServer()
{
    const QString folder = dir->path() + QStringLiteral("/tiles");
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 4; ++y) {
            QVERIFY(QDir().mkpath(QStringLiteral("%1/2/%2").arg(folder).arg(x)));
            QFile tile(QStringLiteral("%1/2/%2/%3.png").arg(folder).arg(x).arg(y));
            QVERIFY(tile.open(QIODevice::WriteOnly));
            tile.write(TFakeMapsServer::Tile(2, x, y));
        }
    TMapSettings s;
    s.Provider = TMapProvider::Tiles;
    s.TileUrl = QUrl::fromLocalFile(folder).toString() + QStringLiteral("/{z}/{x}/{y}.png");
    group->SetMapSettings(s);
    group->CreateBrowserHost();
    group->show();
    const qsizetype before = server->Requests().size();
    group->LoadMapPage();
    QTRY_COMPARE_WITH_TIMEOUT(group->MapState(), TMapGroup::TMapState::Ready, 10000);
    QVERIFY(group->lblMapNotice->isHidden());
    QCOMPARE(server->Requests().size(), before);
}

void TestMapProviders::hostThatNeverAnswersDoesNotHoldTheProgram()
{
    TFakeMapsServer silent;
    silent.SetSilent(true);
    group->SetMapSettings(TMapSettings{TMapProvider::Google, QStringLiteral("K"), {}, {}});
    group->ed_googleurl->setText(silent.Host());
    group->SetMapReadyLimit(1500);
    group->CreateBrowserHost();
    group->show();
    QElapsedTimer clock;
    clock.start();
    group->LoadMapPage();
    // Loaded means the page is there, though the API never arrives; the wait had its bound.
    QVERIFY(group->MapLoaded);
    QVERIFY2(clock.elapsed() < TMapGroup::PageWaitMs + 3000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(silent.Requests().contains(QStringLiteral("/maps/api/js?key=K")));
    QVERIFY(group->CheckMapLoaded());
    // Calls that find no map say so once per action, not once per call.
    group->HideFencesOnMap();
    group->ShowFenceOnMap(TFenceCorners{114, 22.9, 114.5, 22.5}, 3, 0x0000FF, 0x0000FF);
    QCOMPARE(messages.size(), 1);
    QVERIFY(!messages[0].Text.startsWith(QStringLiteral("callJavaScript")));
    QTRY_COMPARE_WITH_TIMEOUT(group->MapState(), TMapGroup::TMapState::Failed, 5000);
    QCOMPARE(group->MapFailure(), QStringLiteral("timeout"));
    QVERIFY(group->lblMapNotice->isVisible());
    QVERIFY(group->lblMapNotice->text().contains(silent.Host()));
}

void TestMapProviders::closeRequestEndsTheWaitAtOnce()
{
    TFakeMapsServer silent;
    silent.SetSilent(true);
    group->SetMapSettings(TMapSettings{TMapProvider::Google, {}, {}, {}});
    group->ed_googleurl->setText(silent.Host());
    group->CreateBrowserHost();
    group->show();
    QVERIFY(QTest::qWaitForWindowExposed(group.get()));
    // The browser and its engine are started first, so the close comes during the page's wait.
    group->EnsureBrowser();
    QTest::qWait(200);
    QTimer::singleShot(1500, group.get(), [this] { group->close(); });
    QElapsedTimer clock;
    clock.start();
    group->LoadMapPage();
    QVERIFY2(clock.elapsed() < TMapGroup::PageWaitMs, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!group->isVisible());
}

void TestMapProviders::callsWhileTheMapIsComingGiveOneNotice()
{
    TFakeMapsServer silent;
    silent.SetSilent(true);
    group->SetMapSettings(TMapSettings{TMapProvider::Google, {}, {}, {}});
    group->ed_googleurl->setText(silent.Host());
    group->CreateBrowserHost();
    group->show();
    // An action during the page's wait: the API script is still on its way, so the page's
    // functions do not exist yet.
    QTimer::singleShot(1000, group.get(), [this] {
        group->HideFencesOnMap();
        for (int i = 0; i < 5; ++i)
            group->ShowFenceOnMap(TFenceCorners{100.0 + i, 10, 100.5 + i, 9}, 3, 0x0000FF, 0x0000FF);
        group->close();
    });
    group->LoadMapPage();
    QCOMPARE(group->MapState(), TMapGroup::TMapState::Loading);
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].Text, TranslateText("map_not_ready"));
}

void TestMapProviders::settingsKeysChooseTheProvider()
{
    struct TCase {
        const char* name;
        QByteArray file;
        TMapSettings expected;
    };
    const QList<TCase> cases = {
        {"nothing set: OpenStreetMap", "", {TMapProvider::Osm, {}, {}, {}}},
        {"a key and no provider: Google", "[config]\r\ngooglekey= K1 \r\n", {TMapProvider::Google, "K1", {}, {}}},
        {"OpenStreetMap chosen beside a key", "[Config]\r\nMapProvider=OSM\r\ngooglekey=K1\r\n",
         {TMapProvider::Osm, "K1", {}, {}}},
        {"own tiles", "[config]\r\nmapprovider=tiles\r\ntileurl=file:///srv/t/{z}/{x}/{y}.png\r\ntileattribution=Ours\r\n",
         {TMapProvider::Tiles, {}, "file:///srv/t/{z}/{x}/{y}.png", "Ours"}},
        {"unknown provider: the default", "[config]\r\nmapprovider=bing\r\n", {TMapProvider::Osm, {}, {}, {}}},
    };
    for (const TCase& c : cases) {
        const TMapSettings read = MapProviders::Read(TIniText::FromBytes(c.file));
        QVERIFY2(read == c.expected, c.name);
        // Written and read back, it stays the same.
        TIniText ini;
        MapProviders::Write(ini, read);
        QVERIFY2(MapProviders::Read(ini) == read, c.name);
    }
    TMapGroup g;
    g.SetMapSettings(MapProviders::Read(TIniText::FromBytes(cases[3].file)));
    QCOMPARE(g.PageBaseUrl(), QUrl(QStringLiteral("file:///srv/t/")));
    g.SetMapSettings(MapProviders::Read(TIniText::FromBytes(cases[1].file)));
    QCOMPARE(g.PageBaseUrl(), QUrl());
    QVERIFY(!MapProviders::IsUsableTileUrl(QStringLiteral("https://t.example.com/{z}/{x}.png")));
    QVERIFY(MapProviders::IsUsableTileUrl(QStringLiteral("https://t.example.com/{z}/{x}/{y}.png")));
}

void TestMapProviders::settingsDialogChecksAndSavesTheChoice()
{
    QFile f(SettingsFilePath());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[config]\r\nlanguage=english\r\nlat=1.5\r\n");
    f.close();
    group->show();
    QTest::mouseClick(group->btnMapSettings, Qt::LeftButton);
    TMapSettingsDialog* dialog = group->SettingsDialog();
    QVERIFY(dialog);
    QTRY_VERIFY(dialog->isVisible());
    QCOMPARE(dialog->objectName(), QStringLiteral("dlgMapSettings"));
    // Google without a key is refused; the dialog stays open and nothing is written.
    dialog->cboMapProvider->setCurrentIndex(dialog->cboMapProvider->findData(QStringLiteral("google")));
    QVERIFY(dialog->edtGoogleKey->isEnabled());
    QVERIFY(!dialog->edtTileUrl->isEnabled());
    QTest::mouseClick(dialog->btnMapSettingsOk, Qt::LeftButton);
    QCOMPARE(messages.size(), 1);
    QVERIFY(dialog->isVisible());
    // Own tiles with a good address: saved beside what the file held, and taken.
    dialog->cboMapProvider->setCurrentIndex(dialog->cboMapProvider->findData(QStringLiteral("tiles")));
    dialog->edtTileUrl->setText(QStringLiteral(" http://127.0.0.1:9/{z}/{x}/{y}.png "));
    dialog->edtTileAttribution->setText(QStringLiteral("Depot tiles"));
    QTest::mouseClick(dialog->btnMapSettingsOk, Qt::LeftButton);
    QCOMPARE(messages.size(), 1);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(group->MapSettings().Provider, TMapProvider::Tiles);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray saved = f.readAll();
    f.close();
    QVERIFY2(saved.contains("lat=1.5\r\n") && saved.contains("mapprovider=tiles\r\n") &&
                 saved.contains("tileurl=http://127.0.0.1:9/{z}/{x}/{y}.png\r\n") &&
                 saved.contains("tileattribution=Depot tiles\r\n"),
             saved.constData());
    // A settings file that exists but cannot be read is left alone and the choice is not taken.
    QVERIFY(QFile::remove(SettingsFilePath()));
    QVERIFY(QDir().mkpath(SettingsFilePath() + QStringLiteral("/x")));
    QVERIFY(!group->SaveMapSettings(TMapSettings{}));
    QCOMPARE(messages.size(), 2);
    QVERIFY(messages[1].Text.contains(SettingsFilePath()));
    QCOMPARE(group->MapSettings().Provider, TMapProvider::Tiles);
}

QTEST_MAIN(TestMapProviders)
#include "test_map_providers.moc"
