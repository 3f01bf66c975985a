#pragma once

#include "geo/FenceMap.h"

#include <QGroupBox>
#include <QString>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;
class QWebEngineView;
class TExternalContainer;

// The "Google Map" group on the geo-fence page: the map centre fields, the embedded browser that
// shows the generated map page, the last clicked point, the two fence buttons below the map and
// the browser's status text. It also owns the browser host with the object the page reaches as
// window.external, and runs the program's script calls into the page.
class TMapGroup : public QGroupBox, public IFenceMap {
    Q_OBJECT
public:
    explicit TMapGroup(QWidget* parent = nullptr);
    ~TMapGroup() override;

    // Start-up step: creates the browser host and its external object. The browser itself is
    // made on the first load, so that start-up never waits for the web engine.
    void CreateBrowserHost();

    // Optional key of the maps API ("googlekey" in the settings file); empty: no key is sent.
    void SetGoogleKey(const QString& key) { FGoogleKey = key; }
    const QString& GoogleKey() const { return FGoogleKey; }

    // "Load Google Map": builds the page from the fields and loads it into the browser, then
    // processes events until the page has finished loading (or the wait limit has passed).
    void btnLoadMapClick();
    void LoadMapPage();
    // The filled page text for the fields' current values; also sets MapScriptUrl, the centre and
    // the zoom. LoadMapPage loads exactly this text.
    QString BuildMapPage();

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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWebEngineView* FWebBrowser = nullptr;
    QWidget* FBrowserArea = nullptr;
    QVBoxLayout* FBrowserLayout = nullptr;
    std::unique_ptr<TExternalContainer> FHost;
    QString FGoogleKey;
    bool FFenceSettingActive = false;
};
