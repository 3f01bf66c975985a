#include "geo/MapGroup.h"

#include "core/AppError.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "core/IniText.h"
#include "core/NestedLoops.h"
#include "core/Numbers.h"
#include "geo/BoundedWait.h"
#include "geo/BrowserSandbox.h"
#include "geo/ExternalContainer.h"
#include "geo/MapPageText.h"
#include "geo/MapSettingsDialog.h"
#include "i18n/Language.h"
#include "i18n/ProgramTexts.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QDir>
#include <QLineEdit>
#include <QLockFile>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineView>

namespace {

QLabel* MakeLabel(const char* name, const char* caption, QWidget* parent)
{
    auto* label = new QLabel(QString::fromLatin1(caption), parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QLineEdit* MakeEdit(const char* name, const char* text, QWidget* parent)
{
    auto* edit = new QLineEdit(QString::fromLatin1(text), parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

QPushButton* MakeButton(const char* name, const char* caption, QWidget* parent)
{
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

// A read-only field in the info colour, for texts the program shows.
QLineEdit* MakeInfoField(const char* name, QWidget* parent)
{
    QLineEdit* edit = MakeEdit(name, "", parent);
    edit->setReadOnly(true);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::ToolTipBase));
    palette.setColor(QPalette::Text, palette.color(QPalette::ToolTipText));
    edit->setPalette(palette);
    return edit;
}

double FieldValue(const QLineEdit* edit, double fallback)
{
    double value = 0;
    return TryStrToFloat(TrimText(edit->text()), value) ? value : fallback;
}

// A text as a script string literal (JSON is a subset of script literals).
QString ScriptString(const QString& text)
{
    const QByteArray json = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

} // namespace

TMapGroup::TMapGroup(QWidget* parent) : QGroupBox(QStringLiteral("Google Map"), parent)
{
    setObjectName(QStringLiteral("rgMap"));
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(4, 4, 4, 4);
    root->setSpacing(4);

    auto* head = new QHBoxLayout;
    lblMapLat = MakeLabel("lblMapLat", "Latitude", this);
    ed_MapLat = MakeEdit("ed_MapLat", "22.917922", this);
    lblMapLng = MakeLabel("lblMapLng", "Longitude", this);
    ed_MapLng = MakeEdit("ed_MapLng", "125.156251", this);
    lblMapZoom = MakeLabel("lblMapZoom", "Zoom", this);
    ed_MapZoom = MakeEdit("ed_MapZoom", "2", this);
    btnLoadMap = MakeButton("btnLoadMap", "Load Google Map", this);
    btnMapSettings = MakeButton("btnMapSettings", "", this);
    ApplyProgramTexts();
    ed_googleurl = MakeEdit("ed_googleurl", "", this);
    ed_googleurl->setVisible(false);
    // The centre fields hold their whole value (a longitude of ten characters and a sign), so the
    // fields have a row of their own and the buttons the row below.
    FitFieldWidth(ed_MapLat, QStringLiteral("-90.000000"));
    FitFieldWidth(ed_MapLng, QStringLiteral("-180.000000"));
    FitFieldWidth(ed_MapZoom, QStringLiteral("20"));
    for (QLineEdit* field : {ed_MapLat, ed_MapLng, ed_MapZoom})
        connect(field, &QLineEdit::textChanged, this, [this, field] { FitFieldWidth(field, QString()); });
    for (QWidget* w : std::initializer_list<QWidget*>{lblMapLat, ed_MapLat, lblMapLng, ed_MapLng, lblMapZoom,
                                                      ed_MapZoom})
        head->addWidget(w);
    head->addStretch(1);
    root->addLayout(head);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnLoadMap);
    buttons->addWidget(btnMapSettings);
    buttons->addWidget(ed_googleurl, 1);
    buttons->addStretch(0);
    root->addLayout(buttons);

    // The browser goes here on the first load.
    FBrowserArea = new QWidget(this);
    FBrowserArea->setObjectName(QStringLiteral("FWebBrowserArea"));
    FBrowserLayout = new QVBoxLayout(FBrowserArea);
    FBrowserLayout->setContentsMargins(0, 0, 0, 0);
    root->addWidget(FBrowserArea, 1);
    // The notice lies over the map, so it is seen where the map should be.
    lblMapNotice = new QLabel(FBrowserArea);
    lblMapNotice->setObjectName(QStringLiteral("lblMapNotice"));
    lblMapNotice->setWordWrap(true);
    lblMapNotice->setAlignment(Qt::AlignCenter);
    lblMapNotice->setStyleSheet(QStringLiteral(
        "QLabel { background: #FFF8DC; color: #3A2E00; border: 1px solid #C8A040; padding: 14px; font-size: 13px; }"));
    lblMapNotice->hide();
    FBrowserArea->installEventFilter(this);
    FReadyTimer.setSingleShot(true);
    connect(&FReadyTimer, &QTimer::timeout, this, [this] {
        if (FState == TMapState::Loading)
            FailMap(QStringLiteral("timeout"));
    });

    // The clicked point ("Latitude: -33.868800,Longitude: -151.209300") takes the whole width;
    // the fence buttons sit beside the browser's status text.
    txtLatLng = MakeInfoField("txtLatLng", this);
    root->addWidget(txtLatLng);
    auto* foot = new QHBoxLayout;
    btn_GeoShowAllFence = MakeButton("btn_GeoShowAllFence", "Show All Geo-fence", this);
    btn_GeoClearAll = MakeButton("btn_GeoClearAll", "Clear All Geo-fence", this);
    ed_web = MakeInfoField("ed_web", this);
    foot->addWidget(ed_web, 1);
    foot->addWidget(btn_GeoShowAllFence);
    foot->addWidget(btn_GeoClearAll);
    root->addLayout(foot);

    lblMapLat->installEventFilter(this);
    connect(btnLoadMap, &QPushButton::clicked, this, &TMapGroup::btnLoadMapClick);
    connect(btnMapSettings, &QPushButton::clicked, this, &TMapGroup::btnMapSettingsClick);
}

TMapGroup::~TMapGroup()
{
    // The page must go before the profile it was made with, and before the host.
    if (FWebBrowser) {
        QWebEngineProfile* profile = FWebBrowser->page()->profile();
        delete FWebBrowser;
        FWebBrowser = nullptr;
        if (profile && profile->parent() == this)
            delete profile;
    }
    FHost.reset();
    FCacheLock.reset();
}

void TMapGroup::FitFieldWidth(QLineEdit* field, const QString& widest)
{
    // The room a line edit gives its text: its frame, its text margins and Qt's own margin of
    // two pixels on each side, and one for the cursor.
    QString sample = widest.isEmpty() ? field->property("tovrikWidest").toString() : widest;
    if (!widest.isEmpty())
        field->setProperty("tovrikWidest", widest);
    const QFontMetrics fm = field->fontMetrics();
    const QMargins margins = field->textMargins();
    const int frame = field->hasFrame() ? field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, field) : 0;
    const int text = std::max(fm.horizontalAdvance(sample), fm.horizontalAdvance(field->text()));
    field->setFixedWidth(text + margins.left() + margins.right() + 2 * frame + 2 * 2 + 2);
}

void TMapGroup::ApplyProgramTexts() { btnMapSettings->setText(TranslateText("map_settings_button")); }

void TMapGroup::CreateBrowserHost()
{
    if (FHost)
        return;
    TMyExternal::THandlers handlers;
    handlers.DoOnLngLat = [this](double lng, double lat) { OnMapLngLat(lng, lat); };
    handlers.DoOnBounds = [this](double ltLng, double ltLat, double rbLng, double rbLat) {
        emit OnMapBounds(ltLng, ltLat, rbLng, rbLat);
    };
    // DoOnAddress, DoOnHotPoint and DoOnGeoPoint are accepted and do nothing.
    FHost = std::make_unique<TExternalContainer>(std::move(handlers));
    connect(FHost->MapState(), &TMapStateReporter::Reported, this, &TMapGroup::OnMapStateReported);
    if (FWebBrowser)
        FHost->Attach(FWebBrowser->page());
}

QWebEngineView* TMapGroup::EnsureBrowser()
{
    if (FWebBrowser)
        return FWebBrowser;
    // Creating and showing a view starts the web engine (measured: its processes appear as soon
    // as a view is shown), so the view is made on the first load, not with the window.
    PrepareBrowserSandbox();
    if (BrowserSandboxTurnedOffForRoot())
        emit BrowserWarning(TranslateText("browser_no_sandbox"));
    QWebEngineProfile* profile = MakeProfile();
    FWebBrowser = new QWebEngineView(FBrowserArea);
    FWebBrowser->setObjectName(QStringLiteral("FWebBrowser"));
    FWebBrowser->setPage(new QWebEnginePage(profile, FWebBrowser));
    FBrowserLayout->addWidget(FWebBrowser);
    lblMapNotice->raise();
    connect(FWebBrowser, &QWebEngineView::loadFinished, this, &TMapGroup::FWebBrowserDocumentComplete);
    connect(FWebBrowser->page(), &QWebEnginePage::linkHovered, this, &TMapGroup::FWebBrowserStatusTextChange);
    if (FHost)
        FHost->Attach(FWebBrowser->page());
    return FWebBrowser;
}

QString TMapGroup::PageTemplate() { return MapPageTemplate(); }

QWebEngineProfile* TMapGroup::MakeProfile()
{
    // Map tiles are kept in the browser's own disk cache, as tile servers' usage policies ask.
    // Two instances of the program must not share one cache folder: the one that holds the
    // folder's lock uses it, any other keeps its cache in memory only.
    const QString folder = AppDataPath(QStringLiteral("cache/map"));
    QWebEngineProfile* profile = nullptr;
    if (QDir().mkpath(folder)) {
        auto lock = std::make_unique<QLockFile>(folder + QStringLiteral(".lock"));
        lock->setStaleLockTime(0);
        if (lock->tryLock(0)) {
            FCacheLock = std::move(lock);
            profile = new QWebEngineProfile(QStringLiteral("tovrik-map"), this);
            profile->setPersistentStoragePath(folder + QStringLiteral("/storage"));
            profile->setCachePath(folder);
            profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
            profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        }
    }
    if (!profile)
        profile = new QWebEngineProfile(this);
    profile->setHttpUserAgent(MapProviders::UserAgent());
    return profile;
}

QString TMapGroup::BuildGooglePage()
{
    const QString host = TrimText(ed_googleurl->text());
    MapScriptUrl = MapScriptAddress(host.isEmpty() ? QString::fromLatin1(DefaultMapHost) : host, FSettings.GoogleKey);
    MapCenterLat = FieldValue(ed_MapLat, DefaultMapCenterLat);
    MapCenterLng = FieldValue(ed_MapLng, DefaultMapCenterLng);
    MapZoomLevel = FieldValue(ed_MapZoom, DefaultMapZoomLevel);
    return FillPageTemplate(PageTemplate(), {QStringLiteral("100%"), MapScriptUrl, MapZoomLevel, MapCenterLat,
                                             MapCenterLng});
}

QString TMapGroup::BuildTilePage(const QString& tileUrl, const QString& attributionHtml)
{
    MapScriptUrl = tileUrl;
    MapCenterLat = FieldValue(ed_MapLat, DefaultMapCenterLat);
    MapCenterLng = FieldValue(ed_MapLng, DefaultMapCenterLng);
    MapZoomLevel = FieldValue(ed_MapZoom, DefaultMapZoomLevel);
    return BuildLeafletPage(tileUrl, attributionHtml, MapZoomLevel, MapCenterLat, MapCenterLng);
}

QString TMapGroup::BuildMapPage()
{
    switch (FSettings.Provider) {
    case TMapProvider::Google:
        return BuildGooglePage();
    case TMapProvider::Tiles:
        if (!MapProviders::IsUsableTileUrl(FSettings.TileUrl))
            throw EAppError(TranslateText("map_tile_url_bad").arg(FSettings.TileUrl));
        return BuildTilePage(TrimText(FSettings.TileUrl), FSettings.TileAttribution.toHtmlEscaped());
    case TMapProvider::Osm:
        break;
    }
    return BuildTilePage(QString::fromLatin1(MapProviders::OsmTileUrl),
                         QString::fromUtf8(MapProviders::OsmAttributionHtml));
}

QUrl TMapGroup::PageBaseUrl() const
{
    // A page made from a text has no address of its own; only tiles from files need one, as a
    // page may load files only when it is itself a local file.
    if (FSettings.Provider != TMapProvider::Tiles)
        return QUrl();
    const QString url = TrimText(FSettings.TileUrl);
    if (!url.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        return QUrl();
    const QString beforeNumbers = url.left(url.indexOf(QLatin1Char('{')));
    return QUrl(beforeNumbers.left(beforeNumbers.lastIndexOf(QLatin1Char('/')) + 1));
}

void TMapGroup::btnLoadMapClick()
{
    try {
        LoadMapPage();
    } catch (const EAppError& e) {
        Dialogs::ShowMessage(QGuiApplication::applicationDisplayName(), e.Message(), TMsgIcon::Error);
    } catch (const std::exception& e) {
        Dialogs::ShowMessage(QGuiApplication::applicationDisplayName(), QString::fromLocal8Bit(e.what()),
                             TMsgIcon::Error);
    }
}

void TMapGroup::LoadMapPage()
{
    const QString page = BuildMapPage();
    const QUrl base = PageBaseUrl();
    QWebEngineView* view = EnsureBrowser();
    FLoadedProvider = FSettings.Provider;
    FState = TMapState::Loading;
    FFailure.clear();
    FReadyTimer.stop();
    HideNotice();

    // The empty document first: its completion sets MapLoaded, whether or not the map host
    // answers later. It is local, so the wait is short; a close request ends it at once.
    {
        TBoundedWait blank(window());
        const auto done = connect(view, &QWebEngineView::loadFinished, &blank, &TBoundedWait::Done);
        view->setHtml(QStringLiteral("<html><body></body></html>"));
        blank.Run(BlankWaitMs);
        disconnect(done);
        if (blank.CloseRequested())
            return;
    }
    // Then the page. Its document may wait for the map host (the Google page's API script), so
    // the wait is bounded; the page's own word on the map ends it too.
    TBoundedWait wait(window());
    const QPointer<TBoundedWait> outer = FPageWait;
    FPageWait = &wait;
    connect(view, &QWebEngineView::loadFinished, &wait, &TBoundedWait::Done);
    FReadyTimer.start(FReadyLimitMs);
    view->setHtml(page, base);
    wait.Run(PageWaitMs);
    FPageWait = outer;
}

void TMapGroup::FWebBrowserDocumentComplete(bool ok)
{
    // Any completed top-level load counts, as the empty document before the page would: the
    // flag means "script calls may be made", and failures of those are reported one by one.
    MapLoaded = true;
    emit MapPageLoaded(ok);
}

void TMapGroup::FWebBrowserStatusTextChange(const QString& text) { ed_web->setText(text); }

void TMapGroup::lblMapLatMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    ed_googleurl->setVisible(button == Qt::LeftButton &&
                             modifiers == (Qt::ControlModifier | Qt::ShiftModifier));
}

bool TMapGroup::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == FBrowserArea && event->type() == QEvent::Resize && lblMapNotice->isVisible())
        PlaceNotice();
    if (watched == lblMapLat && event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        lblMapLatMouseDown(mouse->button(), mouse->modifiers());
    }
    return QGroupBox::eventFilter(watched, event);
}

bool TMapGroup::CheckMapLoaded()
{
    if (MapLoaded)
        return true;
    // Nothing has been loaded yet, so the map meant is the one chosen for the next load.
    const QString text = FSettings.Provider == TMapProvider::Google
                             ? Translate(QStringLiteral("Google Map not loading !"))
                             : TranslateText("map_not_loading").arg(ChosenMapName());
    Dialogs::ShowMessage(Translate(QStringLiteral("Message")), text, TMsgIcon::Information);
    return false;
}

QString TMapGroup::ChosenMapName() const
{
    switch (FSettings.Provider) {
    case TMapProvider::Google:
        return QStringLiteral("Google Map");
    case TMapProvider::Tiles: {
        const QString host = QUrl(TrimText(FSettings.TileUrl)).host();
        return host.isEmpty() ? TranslateText("map_provider_tiles") : host;
    }
    case TMapProvider::Osm:
        break;
    }
    return QStringLiteral("OpenStreetMap");
}

void TMapGroup::CallJavaScript(const QString& code)
{
    if (code.isEmpty())
        return;
    // This action has been told already that the map cannot take calls.
    if (FNoticeShownThisAction)
        return;
    // A page without its map library cannot run any of its functions: one notice, no calls.
    if (FState == TMapState::Failed && FFailure != QLatin1String("tiles")) {
        ShowNoticeOncePerAction();
        return;
    }
    QString error;
    bool mapReady = true;
    QPointer<QWebEnginePage> page = FWebBrowser ? FWebBrowser->page() : nullptr;
    if (!page) {
        error = QStringLiteral("no page is loaded");
    } else {
        // The text runs in the page's global scope; an exception comes back as its message,
        // together with the page's word on whether its map exists at all.
        const QString wrapped = QStringLiteral(
            "(function () {"
            " try { (0, eval)(%1); return { ok: true }; } catch (e) {"
            " return { ok: false, ready: window.tovrikMapReady === true,"
            " message: String((e && e.message !== undefined) ? e.message : e) }; } })()")
                                    .arg(ScriptString(code));
        // The answer may come after this call has given up; it then writes into the shared state
        // only, never into this frame.
        struct TAnswer {
            bool Done = false;
            QVariant Value;
        };
        auto answer = std::make_shared<TAnswer>();
        TBoundedWait wait(window());
        QPointer<TBoundedWait> waitRef(&wait);
        page->runJavaScript(wrapped, QWebEngineScript::MainWorld, [answer, waitRef](const QVariant& value) {
            answer->Done = true;
            answer->Value = value;
            if (waitRef)
                waitRef->Done();
        });
        if (!answer->Done) {
            connect(page, &QObject::destroyed, &wait, &TBoundedWait::Done);
            wait.Run(ScriptWaitMs);
        }
        if (!answer->Done) {
            error = QStringLiteral("the page did not answer");
        } else {
            const QVariantMap result = answer->Value.toMap();
            if (!result.value(QStringLiteral("ok")).toBool()) {
                error = result.contains(QStringLiteral("message")) ? result.value(QStringLiteral("message")).toString()
                                                                   : QStringLiteral("the script did not run");
                mapReady = result.value(QStringLiteral("ready")).toBool();
            }
        }
    }
    if (error.isNull())
        return;
    // A failure because the map is not there (yet) is said once, not for every call.
    if (page && !mapReady) {
        ShowNoticeOncePerAction();
        return;
    }
    Dialogs::ShowMessage(QGuiApplication::applicationDisplayName(),
                         QStringLiteral("callJavaScript.") + code + QLatin1Char(' ') + error, TMsgIcon::None);
}

void TMapGroup::ShowNoticeOncePerAction()
{
    if (FNoticeShownThisAction)
        return;
    FNoticeShownThisAction = true;
    // The action is over when control is back in the main event loop.
    NestedLoops::WhenAllEnded(this, [this] { FNoticeShownThisAction = false; });
    const QString notice = MapNotice();
    Dialogs::ShowMessage(Translate(QStringLiteral("Message")), notice.isEmpty() ? TranslateText("map_not_ready") : notice,
                         TMsgIcon::Information);
}

QString TMapGroup::MapSourceName() const
{
    if (FLoadedProvider == TMapProvider::Google) {
        const QString host = TrimText(ed_googleurl->text());
        return host.isEmpty() ? QString::fromLatin1(DefaultMapHost) : host;
    }
    const QUrl url(MapScriptUrl);
    return url.host().isEmpty() ? MapScriptUrl : url.host();
}

QString TMapGroup::MapNotice() const
{
    if (FState != TMapState::Failed)
        return QString();
    const QString source = MapSourceName();
    if (FFailure == QLatin1String("key"))
        return FSettings.GoogleKey.isEmpty() ? TranslateText("map_notice_no_key") : TranslateText("map_notice_key");
    if (FFailure == QLatin1String("tiles"))
        return TranslateText("map_notice_tiles").arg(source);
    if (FFailure == QLatin1String("timeout"))
        return TranslateText("map_notice_timeout").arg(source, QString::number(FReadyLimitMs / 1000));
    return TranslateText("map_notice_script").arg(source);
}

void TMapGroup::OnMapStateReported(const QString& state, const QString& reason)
{
    if (FState == TMapState::Empty)
        return;
    if (state == QLatin1String("ready")) {
        FState = TMapState::Ready;
        FFailure.clear();
        FReadyTimer.stop();
        HideNotice();
        if (FPageWait)
            FPageWait->Done();
    } else if (state == QLatin1String("failed")) {
        FailMap(reason.isEmpty() ? QStringLiteral("script") : reason);
    }
}

void TMapGroup::FailMap(const QString& reason)
{
    FState = TMapState::Failed;
    FFailure = reason;
    FReadyTimer.stop();
    const QString notice = MapNotice();
    lblMapNotice->setText(notice);
    PlaceNotice();
    lblMapNotice->show();
    lblMapNotice->raise();
    ed_web->setText(notice);
    ed_web->setCursorPosition(0);
    if (FPageWait)
        FPageWait->Done();
}

void TMapGroup::RetranslateNotice()
{
    // A notice on show is said again in the language now loaded.
    if (lblMapNotice->isHidden())
        return;
    const QString old = lblMapNotice->text();
    const QString notice = MapNotice();
    if (notice.isEmpty())
        return;
    lblMapNotice->setText(notice);
    PlaceNotice();
    if (ed_web->text() == old) {
        ed_web->setText(notice);
        ed_web->setCursorPosition(0);
    }
}

void TMapGroup::HideNotice()
{
    if (lblMapNotice->isVisible() && ed_web->text() == lblMapNotice->text())
        ed_web->clear();
    lblMapNotice->hide();
    lblMapNotice->clear();
}

void TMapGroup::PlaceNotice()
{
    const QRect area = FBrowserArea->rect();
    const int width = std::max(120, area.width() - 60);
    lblMapNotice->setFixedWidth(width);
    lblMapNotice->adjustSize();
    lblMapNotice->move(area.center() - QPoint(width / 2, lblMapNotice->height() / 2));
}

QString TMapGroup::ColorToHtml(uint32_t colour)
{
    const QString h = QStringLiteral("%1").arg(colour, 6, 16, QLatin1Char('0')).toUpper();
    // BBGGRR -> RRGGBB; a value above 0xFFFFFF keeps its lowest six digits' meaning.
    const QString low = h.right(6);
    return QLatin1Char('#') + low.mid(4, 2) + low.mid(2, 2) + low.mid(0, 2);
}

void TMapGroup::EnterFenceSetting()
{
    FFenceSettingActive = true;
    CallJavaScript(QStringLiteral("FenceEnterSetting(true)"));
}

void TMapGroup::LeaveFenceSetting()
{
    FFenceSettingActive = false;
    CallJavaScript(QStringLiteral("FenceEnterSetting(false)"));
}

void TMapGroup::HideFencesOnMap() { CallJavaScript(QStringLiteral("hideGeoFence()")); }

void TMapGroup::ShowFenceOnMap(const TFenceCorners& corners, int lineWidth, uint32_t lineColor, uint32_t fillColor)
{
    const QString line = ColorToHtml(lineColor);
    const QString fill = ColorToHtml(fillColor);
    CallJavaScript(QStringLiteral("showGeoFence(%1,%2,%3,%4,%5,\"%6\",\"%7\")")
                       .arg(FormatFixed(corners.LTLatitude, 6), FormatFixed(corners.LTLongitude, 6),
                            FormatFixed(corners.RBLatitude, 6), FormatFixed(corners.RBLongitude, 6),
                            QString::number(lineWidth), line, fill));
    CallJavaScript(QStringLiteral("locateTo(%1, %2)")
                       .arg(FormatFixed(corners.LTLatitude, 6), FormatFixed(corners.LTLongitude, 6)));
}

void TMapGroup::OnMapLngLat(double lng, double lat)
{
    txtLatLng->setText(QStringLiteral("%1: %2,%3: %4")
                           .arg(Translate(QStringLiteral("Latitude")), FormatFixed(lat, 6),
                                Translate(QStringLiteral("Longitude")), FormatFixed(lng, 6)));
}

void TMapGroup::ConnectBoundsFields(QLineEdit* ltLongitude, QLineEdit* ltLatitude, QLineEdit* rbLongitude,
                                    QLineEdit* rbLatitude)
{
    const QPointer<QLineEdit> fields[4] = {ltLongitude, ltLatitude, rbLongitude, rbLatitude};
    connect(this, &TMapGroup::OnMapBounds, this,
            [a = fields[0], b = fields[1], c = fields[2], d = fields[3]](double ltLng, double ltLat, double rbLng,
                                                                         double rbLat) {
                if (a) a->setText(FormatFixed(ltLng, 6));
                if (b) b->setText(FormatFixed(ltLat, 6));
                if (c) c->setText(FormatFixed(rbLng, 6));
                if (d) d->setText(FormatFixed(rbLat, 6));
            });
}

void TMapGroup::btnMapSettingsClick()
{
    if (!FSettingsDialog) {
        FSettingsDialog = new TMapSettingsDialog(this);
        // OK is taken only when the choice could be saved; otherwise the dialog stays open.
        FSettingsDialog->SetAcceptCheck([this](const TMapSettings& s) { return SaveMapSettings(s); });
    }
    FSettingsDialog->SetSettings(FSettings);
    // Window-modal without a nested loop: nothing waits for the dialog.
    FSettingsDialog->open();
}

bool TMapGroup::SaveMapSettings(const TMapSettings& settings)
{
    try {
        const QString path = SettingsFilePath();
        TIniText ini;
        QString reason;
        // Rewriting a settings file that could not be read would lose everything else it holds.
        if (!ini.LoadFile(path, &reason)) {
            Dialogs::ShowMessage(QGuiApplication::applicationDisplayName(),
                                 TranslateText("map_settings_unreadable").arg(path, reason), TMsgIcon::Error);
            return false;
        }
        MapProviders::Write(ini, settings);
        ini.SaveFile(path);
    } catch (const EAppError& e) {
        Dialogs::ShowMessage(QGuiApplication::applicationDisplayName(), e.Message(), TMsgIcon::Error);
        return false;
    }
    FSettings = settings;
    return true;
}
