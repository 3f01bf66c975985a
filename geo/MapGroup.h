#pragma once

#include "geo/FenceMap.h"
#include "geo/MapProvider.h"

#include <QGroupBox>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <memory>

class QLabel;
class QLineEdit;
class QLockFile;
class TBoundedWait;
class TMapSettingsDialog;
class QPushButton;
class QVBoxLayout;
class QWebEngineProfile;
class QWebEngineView;
class TExternalContainer;

// The "Google Map" group on the geo-fence page: the map centre fields, the embedded browser that
// shows the generated map page, the last clicked point, the two fence buttons below the map and
// the browser's status text. It also owns the browser host with the object the page reaches as
// window.external, and runs the program's script calls into the page.
//
// The page is the Google page (with a key) or the Leaflet page (OpenStreetMap or another tile
// server); both offer the same page functions and calls back, so nothing outside this group
// knows which one is shown. When the map cannot load, the map area says so in one notice, and
// the calls into the page give at most one notice per user action instead of one box per call.
class TMapGroup : public QGroupBox, public IFenceMap {
    Q_OBJECT
public:
    explicit TMapGroup(QWidget* parent = nullptr);
    ~TMapGroup() override;

    // Start-up step: creates the browser host and its external object. The browser itself is
    // made on the first load, so that start-up never waits for the web engine.
    void CreateBrowserHost();
    // The captions of the group's own controls beyond the numbered catalogue, in the current
    // language (start-up calls it once the language is loaded).
    void ApplyProgramTexts();
    // After a change of language: the notice in the map area, when one is shown, in the new one.
    void RetranslateNotice();

    // The map choice (settings file keys mapprovider, googlekey, tileurl, tileattribution). Takes
    // effect at the next load.
    void SetMapSettings(const TMapSettings& settings) { FSettings = settings; }
    const TMapSettings& MapSettings() const { return FSettings; }
    // Key of the maps API; empty: no key is sent.
    void SetGoogleKey(const QString& key) { FSettings.GoogleKey = key; }
    const QString& GoogleKey() const { return FSettings.GoogleKey; }

    // "Map settings...": the provider, the key and the tile address, in a dialog; OK saves them
    // into the settings file and uses them from the next load on.
    void btnMapSettingsClick();
    TMapSettingsDialog* SettingsDialog() const { return FSettingsDialog; }
    // Saves the choice into the settings file and takes it. Refuses (with a box, returning false)
    // when the file exists but cannot be read, since rewriting it would lose what it holds.
    bool SaveMapSettings(const TMapSettings& settings);

    // "Load Google Map": builds the page from the fields and loads it into the browser. An empty
    // document goes first, whose completion sets MapLoaded; then the page, waited for at most
    // PageWaitMs (a map host that never answers must not hold the program).
    void btnLoadMapClick();
    void LoadMapPage();
    // The filled page text of the chosen provider for the fields' current values; also sets
    // MapScriptUrl (the API script, or the tile address of a Leaflet page), the centre and the
    // zoom. LoadMapPage loads exactly this text. A tile address that cannot work raises EAppError.
    QString BuildMapPage();
    // The same for one page kind, whatever the provider.
    QString BuildGooglePage();
    QString BuildTilePage(const QString& tileUrl, const QString& attributionHtml);
    // The page's base address: none, or the tile folder for file:// tiles (never a remote host).
    QUrl PageBaseUrl() const;

    // The map's state as the page reports it.
    enum class TMapState { Empty, Loading, Ready, Failed };
    TMapState MapState() const { return FState; }
    // What failed: "script", "key", "tiles" or "timeout"; empty unless Failed.
    const QString& MapFailure() const { return FFailure; }
    // The notice the map area shows (empty when none).
    QString MapNotice() const;
    // How long the page may take to report a usable map before the map area says it did not
    // come (the page keeps loading and can still report it later).
    void SetMapReadyLimit(int ms) { FReadyLimitMs = ms; }
    static constexpr int PageWaitMs = 5000;
    static constexpr int BlankWaitMs = 5000;
    static constexpr int ScriptWaitMs = 5000;
    static constexpr int DefaultMapReadyLimitMs = 20000;

    // The browser's events.
    void FWebBrowserDocumentComplete(bool ok);
    void FWebBrowserStatusTextChange(const QString& text);
    // Mouse press on "Latitude": Ctrl+Shift with the left button shows the map host field, every
    // other press hides it.
    void lblMapLatMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

    // Runs a script text in the page's global scope and returns when it has finished. An empty
    // text does nothing; a failing script is reported in a message box and the caller goes on.
    void CallJavaScript(const QString& code);
    // 0x00BBGGRR colour value as "#RRGGBB".
    static QString ColorToHtml(uint32_t colour);

    // IFenceMap
    bool CheckMapLoaded() override;
    bool FenceSettingActive() const override { return FFenceSettingActive; }
    void EnterFenceSetting() override;
    void LeaveFenceSetting() override;
    void HideFencesOnMap() override;
    void ShowFenceOnMap(const TFenceCorners& corners, int lineWidth, uint32_t lineColor,
                        uint32_t fillColor) override;

    // Handler of the page's DoOnLngLat: the clicked point into txtLatLng.
    void OnMapLngLat(double lng, double lat);
    // Makes OnMapBounds fill four fields with "%.6f" of the corners, in the order of the signal.
    void ConnectBoundsFields(QLineEdit* ltLongitude, QLineEdit* ltLatitude, QLineEdit* rbLongitude,
                             QLineEdit* rbLatitude);

    // The browser; nullptr until the first load (or EnsureBrowser).
    QWebEngineView* WebBrowser() const { return FWebBrowser; }
    QWebEngineView* EnsureBrowser();
    TExternalContainer* ExternalContainer() const { return FHost.get(); }

    // The page template as carried in the program (the resource geo/map_template.html).
    static QString PageTemplate();

    // Values of the last load.
    QString MapScriptUrl;
    double MapCenterLat = 0;
    double MapCenterLng = 0;
    double MapZoomLevel = 0;
    // False until the first page has completed in the browser; never reset.
    bool MapLoaded = false;

    // Controls, named as on the form.
    QLabel* lblMapLat = nullptr;
    QLabel* lblMapLng = nullptr;
    QLabel* lblMapZoom = nullptr;
    QLineEdit* ed_MapLat = nullptr;
    QLineEdit* ed_MapLng = nullptr;
    QLineEdit* ed_MapZoom = nullptr;
    QPushButton* btnLoadMap = nullptr;
    QPushButton* btnMapSettings = nullptr;
    QLabel* lblMapNotice = nullptr;
    QLineEdit* ed_googleurl = nullptr;
    QLineEdit* txtLatLng = nullptr;
    QPushButton* btn_GeoShowAllFence = nullptr;
    QPushButton* btn_GeoClearAll = nullptr;
    QLineEdit* ed_web = nullptr;

signals:
    // The page's DoOnBounds: the first drawn point (left-top) and the second (right-bottom).
    void OnMapBounds(double ltLng, double ltLat, double rbLng, double rbLat);
    // A page has finished loading (ok false: the load was aborted or failed).
    void MapPageLoaded(bool ok);
    // Something about the browser the user should know, for the communication log (the browser
    // started without its sandbox because the program runs as root).
    void BrowserWarning(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnMapStateReported(const QString& state, const QString& reason);
    void FailMap(const QString& reason);
    void HideNotice();
    void PlaceNotice();
    // One box per user action while the map cannot take calls; the next action may show it again.
    void ShowNoticeOncePerAction();
    // The host or server named in the notices.
    QString MapSourceName() const;
    // The chosen map's own name: "OpenStreetMap", the own tile server's host, "Google Map".
    QString ChosenMapName() const;
    // Makes a field wide enough for the wider of its text and `widest` (empty: the sample given
    // before), so that its whole value shows.
    static void FitFieldWidth(QLineEdit* field, const QString& widest);
    QWebEngineProfile* MakeProfile();

    QWebEngineView* FWebBrowser = nullptr;
    QWidget* FBrowserArea = nullptr;
    QVBoxLayout* FBrowserLayout = nullptr;
    std::unique_ptr<TExternalContainer> FHost;
    TMapSettings FSettings;
    TMapProvider FLoadedProvider = TMapProvider::Osm;
    bool FFenceSettingActive = false;
    TMapState FState = TMapState::Empty;
    QString FFailure;
    QTimer FReadyTimer;
    int FReadyLimitMs = DefaultMapReadyLimitMs;
    QPointer<TBoundedWait> FPageWait;
    bool FNoticeShownThisAction = false;
    TMapSettingsDialog* FSettingsDialog = nullptr;
    std::unique_ptr<QLockFile> FCacheLock;
};
