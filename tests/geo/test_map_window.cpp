// The map in the whole window: the settings it reads at start-up, a start-up that leaves the web
// engine alone, and the geo-fence page drawing and editing fences on the real page.
#include "support_map_fake_api.h"

#include "app/FrmMain.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "geo/ExternalContainer.h"
#include "geo/FenceEditPanel.h"
#include "geo/GeoFenceList.h"
#include "geo/GeoFencePage.h"
#include "geo/MapGroup.h"
#include "i18n/Language.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QItemSelectionModel>
#include <QJsonDocument>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QWebEngineView>
#include <QComboBox>
#include <QtTest>

namespace {

void WriteSettings(const QByteArray& text)
{
    QFile f(SettingsFilePath());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

QByteArray ReadSettings()
{
    QFile f(SettingsFilePath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestMapWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    QList<TMessageRequest> messages;
    std::unique_ptr<TFakeMapsServer> server;

    static QVariant Eval(TFrmMain& w, const QString& script) { return EvalInPage(w.rgMap->WebBrowser(), script); }
    static QString EvalJson(TFrmMain& w, const QString& script)
    {
        return QString::fromUtf8(QJsonDocument::fromVariant(Eval(w, script)).toJson(QJsonDocument::Compact));
    }
    // Shows the window and presses "Load Google Map" with the fake host in the host field.
    bool LoadMap(TFrmMain& w)
    {
        w.show();
        w.pgCtrl->setCurrentWidget(w.tsGeo);
        w.ed_googleurl->setText(server->Host());
        TMapSettings google = w.rgMap->MapSettings();
        google.Provider = TMapProvider::Google;
        w.rgMap->SetMapSettings(google);
        QTest::mouseClick(w.rgMap->btnLoadMap, Qt::LeftButton);
        return QTest::qWaitFor(
            [&] { return Eval(w, QStringLiteral("!!(window.__fake && __fake.map && mgr && mgr.shownBounds_)")).toBool(); },
            15000);
    }
    static void SelectRow(TFrmMain& w, int row)
    {
        w.GeoPage->vtList->clearSelection();
        w.GeoPage->vtList->selectionModel()->select(w.GeoPage->vtList->model()->index(row, 0),
                                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

private slots:
    void initTestCase() { server = std::make_unique<TFakeMapsServer>(); }
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        SetAppDataFolder(dir->path());
        messages.clear();
        Dialogs::SetMessageHandler([this](const TMessageRequest& r) { messages << r; });
    }
    void cleanup()
    {
        ResetLanguageModule();
        dir.reset();
    }

    void startUpLeavesTheWebEngineAlone();
    void keyFromTheSettingsFileIsReadNeverWritten();
    void keyReachesTheMapHost();
    void editBeforeAnyLoadRefuses();
    void drawingOnTheMapFillsTheEditor();
    void rowClickAndShowAllDrawOnTheMap();
    void mapChoiceIsReadFromTheSettingsFileOnly();
    void mapTextsFollowTheLanguageOfTheStart();
    void aShownNoticeFollowsALanguageChosenOnTheList();
    void withoutAMapEachPressGivesOneNotice();
    void closingDuringAWaitForASilentHost();
};

void TestMapWindow::startUpLeavesTheWebEngineAlone()
{
    TFrmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(w.rgMap);
    QCOMPARE(w.rgMap->objectName(), QStringLiteral("rgMap"));
    // The window's map fields are the group's.
    QCOMPARE(w.ed_MapLat, w.rgMap->ed_MapLat);
    QCOMPARE(w.ed_googleurl, w.rgMap->ed_googleurl);
    QVERIFY(w.ed_googleurl->isHidden());
    // The host exists; the browser (and with it the engine) does not.
    QVERIFY(w.rgMap->ExternalContainer());
    QVERIFY(!w.findChild<QWebEngineView*>());
    QVERIFY(!w.rgMap->MapLoaded);
    QVERIFY(!w.rgMap->FenceSettingActive());
    QVERIFY(messages.isEmpty());
}

void TestMapWindow::keyFromTheSettingsFileIsReadNeverWritten()
{
    {
        TFrmMain w;
        QCOMPARE(w.rgMap->GoogleKey(), QString());
    }
    QVERIFY(!ReadSettings().contains("googlekey"));
    WriteSettings("[config]\r\nlanguage=english\r\ngooglekey = Key-1_a \r\n");
    {
        TFrmMain w;
        QCOMPARE(w.rgMap->GoogleKey(), QStringLiteral("Key-1_a"));
    }
    QCOMPARE(ReadSettings().count("googlekey"), 1);
    QVERIFY(ReadSettings().contains("googlekey=Key-1_a\r\n"));
}

void TestMapWindow::keyReachesTheMapHost()
{
    WriteSettings("[config]\r\ngooglekey=K123\r\n");
    TFrmMain w;
    QVERIFY(LoadMap(w));
    QVERIFY(w.rgMap->MapLoaded);
    QVERIFY(server->Requests().contains(QStringLiteral("/maps/api/js?key=K123")));
    QCOMPARE(w.rgMap->MapScriptUrl, QStringLiteral("http://%1/maps/api/js?key=K123").arg(server->Host()));
}

void TestMapWindow::editBeforeAnyLoadRefuses()
{
    TFrmMain w;
    SelectRow(w, 0);
    // Without a key the map is OpenStreetMap, and the refusal names it.
    w.GeoPage->btn_GeoEditClick();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].Text, QStringLiteral("OpenStreetMap not loading !"));
    QCOMPARE(messages[0].Caption, QStringLiteral("Message"));
    QVERIFY(!w.rgMap->FenceSettingActive());
    QVERIFY(!w.findChild<QWebEngineView*>());
}

void TestMapWindow::drawingOnTheMapFillsTheEditor()
{
    TFrmMain w;
    QVERIFY(LoadMap(w));
    SelectRow(w, 6);
    w.GeoPage->btn_GeoEditClick();
    QVERIFY(w.rgMap->FenceSettingActive());
    QVERIFY(w.GeoPage->pnlGeoEdit->isVisible());
    Eval(w, QStringLiteral("__fake.click(22.917922, 113.945618); __fake.click(22.5, 114)"));
    TFenceEditPanel& panel = *w.GeoPage->pnlGeoEdit;
    QTRY_COMPARE_WITH_TIMEOUT(panel.txtGeofenceRBLatitude->text(), QStringLiteral("22.500000"), 5000);
    QCOMPARE(panel.txtGeofenceLTLongitude->text(), QStringLiteral("113.945618"));
    QCOMPARE(panel.txtGeofenceLTLatitude->text(), QStringLiteral("22.917922"));
    QCOMPARE(panel.txtGeofenceRBLongitude->text(), QStringLiteral("114.000000"));
    QCOMPARE(w.rgMap->txtLatLng->text(), QStringLiteral("Latitude: 22.500000,Longitude: 114.000000"));
    // A page call of DoOnBounds itself fills the four fields with six decimals.
    Eval(w, QStringLiteral("window.external.DoOnBounds(113.5, 22.25, 114, 22)"));
    QTRY_COMPARE_WITH_TIMEOUT(panel.txtGeofenceLTLongitude->text(), QStringLiteral("113.500000"), 5000);
    QCOMPARE(panel.txtGeofenceLTLatitude->text(), QStringLiteral("22.250000"));
    QCOMPARE(panel.txtGeofenceRBLongitude->text(), QStringLiteral("114.000000"));
    QCOMPARE(panel.txtGeofenceRBLatitude->text(), QStringLiteral("22.000000"));
    // Close leaves the drawing mode: the drawing is gone from the map.
    w.GeoPage->btn_CloseClick();
    QVERIFY(!w.rgMap->FenceSettingActive());
    QCOMPARE(Eval(w, QStringLiteral("__fake.live('Marker').length + __fake.live('Rectangle').length")).toInt(), 0);
    QVERIFY(messages.isEmpty());
}

void TestMapWindow::rowClickAndShowAllDrawOnTheMap()
{
    TFrmMain w;
    QVERIFY(LoadMap(w));
    const auto set = [&](int n, double ltLng, double ltLat, double rbLng, double rbLat) {
        TGeoFence& f = w.GeoFences[n - 1];
        f.LTLongitude = ltLng;
        f.LTLatitude = ltLat;
        f.RBLongitude = rbLng;
        f.RBLatitude = rbLat;
    };
    set(4, 113.945617, 22.917922, 114, 22.5);
    set(10, 100, 10, 101, 9);
    SelectRow(w, 3);
    w.GeoPage->vtListClick();
    QCOMPARE(EvalJson(w, QStringLiteral("__fake.live('Polygon').map(function (p) { return __fake.points(p.opts.paths); })")),
             QStringLiteral("[[[22.5,113.945617],[22.5,114],[22.917922,114],[22.917922,113.945617],[22.5,113.945617]]]"));
    QCOMPARE(EvalJson(w, QStringLiteral("[__fake.map.getCenter().lat(), __fake.map.getCenter().lng()]")),
             QStringLiteral("[22.917922,113.945617]"));
    // Show All draws both and ends centred on the higher-numbered fence.
    QTest::mouseClick(w.rgMap->btn_GeoShowAllFence, Qt::LeftButton);
    QCOMPARE(Eval(w, QStringLiteral("__fake.live('Polygon').length")).toInt(), 2);
    QCOMPARE(EvalJson(w, QStringLiteral("[__fake.map.getCenter().lat(), __fake.map.getCenter().lng()]")),
             QStringLiteral("[10,100]"));
    QTest::mouseClick(w.rgMap->btn_GeoClearAll, Qt::LeftButton);
    QCOMPARE(Eval(w, QStringLiteral("__fake.live('Polygon').length")).toInt(), 0);
    QVERIFY(messages.isEmpty());
}

void TestMapWindow::mapChoiceIsReadFromTheSettingsFileOnly()
{
    {
        // A new user without a key gets OpenStreetMap, and the file gains no map keys at start.
        TFrmMain w;
        QCOMPARE(w.rgMap->MapSettings().Provider, TMapProvider::Osm);
    }
    QVERIFY(!ReadSettings().contains("mapprovider"));
    QVERIFY(!ReadSettings().contains("tileurl"));
    WriteSettings("[config]\r\nmapprovider=tiles\r\ntileurl=http://127.0.0.1:9/{z}/{x}/{y}.png\r\n"
                  "tileattribution=Depot\r\ngooglekey=K9\r\n");
    TFrmMain w;
    const TMapSettings s = w.rgMap->MapSettings();
    QCOMPARE(s.Provider, TMapProvider::Tiles);
    QCOMPARE(s.TileUrl, QStringLiteral("http://127.0.0.1:9/{z}/{x}/{y}.png"));
    QCOMPARE(s.TileAttribution, QStringLiteral("Depot"));
    QCOMPARE(s.GoogleKey, QStringLiteral("K9"));
}

void TestMapWindow::mapTextsFollowTheLanguageOfTheStart()
{
    QVERIFY(QDir().mkpath(dir->path() + QStringLiteral("/locale")));
    QFile lng(dir->path() + QStringLiteral("/locale/spanish.lng"));
    QVERIFY(lng.open(QIODevice::WriteOnly));
    lng.write("[language]\r\n009=Abrir[&A]\r\n\r\n[texts]\r\nmap_settings_button=Ajustes del mapa...\r\n"
              "map_notice_script=Sin mapa desde %1.\r\n");
    lng.close();
    WriteSettings("[config]\r\nlanguage=spanish\r\n");
    TFrmMain w;
    QCOMPARE(w.rgMap->btnMapSettings->text(), QStringLiteral("Ajustes del mapa..."));
    w.show();
    w.ed_googleurl->setText(QStringLiteral("127.0.0.1:1"));
    w.rgMap->SetMapSettings(TMapSettings{TMapProvider::Google, {}, {}, {}});
    QTest::mouseClick(w.rgMap->btnLoadMap, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(w.rgMap->lblMapNotice->text(), QStringLiteral("Sin mapa desde 127.0.0.1:1."), 10000);
}

void TestMapWindow::aShownNoticeFollowsALanguageChosenOnTheList()
{
    // The shipped Spanish file, chosen on the list while the notice of a failed map is shown.
    QVERIFY(QDir().mkpath(dir->path() + QStringLiteral("/locale")));
    const QString shipped = QFINDTESTDATA("../../locale/spanish.lng");
    QVERIFY(!shipped.isEmpty());
    QVERIFY(QFile::copy(shipped, dir->path() + QStringLiteral("/locale/spanish.lng")));
    TFrmMain w;
    w.show();
    w.ed_googleurl->setText(QStringLiteral("127.0.0.1:1"));
    w.rgMap->SetMapSettings(TMapSettings{TMapProvider::Google, {}, {}, {}});
    QTest::mouseClick(w.rgMap->btnLoadMap, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(w.rgMap->MapState(), TMapGroup::TMapState::Failed, 10000);
    QVERIFY(w.rgMap->lblMapNotice->text().startsWith(QStringLiteral("The map could not be loaded from 127.0.0.1:1.")));
    QCOMPARE(w.rgMap->ed_web->text(), w.rgMap->lblMapNotice->text());
    const int spanish = w.cbLanguage->findText(QStringLiteral("spanish"));
    QVERIFY(spanish >= 0);
    w.cbLanguage->setCurrentIndex(spanish);
    emit w.cbLanguage->activated(spanish);
    QVERIFY2(w.rgMap->lblMapNotice->text().startsWith(QStringLiteral("No se pudo cargar el mapa desde 127.0.0.1:1.")),
             qPrintable(w.rgMap->lblMapNotice->text()));
    QCOMPARE(w.rgMap->ed_web->text(), w.rgMap->lblMapNotice->text());
    QVERIFY(!w.rgMap->lblMapNotice->isHidden());
    // Back to English for the tests after this one.
    const int english = w.cbLanguage->findText(QStringLiteral("english"));
    w.cbLanguage->setCurrentIndex(english);
    emit w.cbLanguage->activated(english);
    QVERIFY(w.rgMap->lblMapNotice->text().startsWith(QStringLiteral("The map could not be loaded")));
}

void TestMapWindow::withoutAMapEachPressGivesOneNotice()
{
    TFrmMain w;
    w.show();
    w.pgCtrl->setCurrentWidget(w.tsGeo);
    for (int n = 1; n <= 5; ++n) {
        TGeoFence& f = w.GeoFences[n - 1];
        f.LTLongitude = 100 + n;
        f.LTLatitude = 10;
        f.RBLongitude = 100.5 + n;
        f.RBLatitude = 9;
    }
    // Port 1 refuses: the Google page gets no API.
    w.ed_googleurl->setText(QStringLiteral("127.0.0.1:1"));
    w.rgMap->SetMapSettings(TMapSettings{TMapProvider::Google, {}, {}, {}});
    QTest::mouseClick(w.rgMap->btnLoadMap, Qt::LeftButton);
    QVERIFY(w.rgMap->MapLoaded);
    QTRY_COMPARE_WITH_TIMEOUT(w.rgMap->MapState(), TMapGroup::TMapState::Failed, 10000);
    QVERIFY(w.rgMap->lblMapNotice->isVisible());
    QVERIFY(messages.isEmpty());
    QTest::mouseClick(w.rgMap->btn_GeoShowAllFence, Qt::LeftButton);
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].Text, w.rgMap->lblMapNotice->text());
    QCoreApplication::processEvents();
    SelectRow(w, 2);
    w.GeoPage->vtListClick();
    QCOMPARE(messages.size(), 2);
    QCoreApplication::processEvents();
    // Edit still opens the editor, so corners can be typed.
    w.GeoPage->btn_GeoEditClick();
    QCOMPARE(messages.size(), 3);
    QVERIFY(w.GeoPage->pnlGeoEdit->isVisible());
}

void TestMapWindow::closingDuringAWaitForASilentHost()
{
    TFakeMapsServer silent;
    silent.SetSilent(true);
    TFrmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.pgCtrl->setCurrentWidget(w.tsGeo);
    w.ed_googleurl->setText(silent.Host());
    w.rgMap->SetMapSettings(TMapSettings{TMapProvider::Google, QStringLiteral("K"), {}, {}});
    w.rgMap->EnsureBrowser();
    QTest::qWait(200);
    QTimer::singleShot(1500, &w, [&w] { w.close(); });
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(w.rgMap->btnLoadMap, Qt::LeftButton);
    QVERIFY2(clock.elapsed() < TMapGroup::PageWaitMs, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(w.rgMap->MapLoaded);
    // The close asked for inside the wait comes back once the wait is over.
    QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 5000);
}

QTEST_MAIN(TestMapWindow)
#include "test_map_window.moc"
