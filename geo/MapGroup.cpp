#include "geo/MapGroup.h"

#include "core/AppError.h"
#include "core/Dialogs.h"
#include "core/NestedLoops.h"
#include "core/Numbers.h"
#include "geo/ExternalContainer.h"
#include "geo/MapPageText.h"
#include "i18n/Language.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineView>

namespace {

// How long "Load Google Map" waits for the page before it gives control back. The page goes on
// loading afterwards; the wait only keeps the map from being used before it exists.
constexpr int LoadWaitMs = 30000;
// How long a script call may take. Page scripts are short; an answer that never comes (a hung
// renderer) must not hang the program.
constexpr int ScriptWaitMs = 10000;

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
    ed_MapZoom->setMaximumWidth(36);
    btnLoadMap = MakeButton("btnLoadMap", "Load Google Map", this);
    ed_googleurl = MakeEdit("ed_googleurl", "", this);
    ed_googleurl->setVisible(false);
    for (QWidget* w : std::initializer_list<QWidget*>{lblMapLat, ed_MapLat, lblMapLng, ed_MapLng, lblMapZoom,
                                                      ed_MapZoom, btnLoadMap, ed_googleurl})
        head->addWidget(w);
    root->addLayout(head);

    // The browser goes here on the first load.
    FBrowserArea = new QWidget(this);
    FBrowserArea->setObjectName(QStringLiteral("FWebBrowserArea"));
    FBrowserLayout = new QVBoxLayout(FBrowserArea);
    FBrowserLayout->setContentsMargins(0, 0, 0, 0);
    root->addWidget(FBrowserArea, 1);

    auto* foot = new QHBoxLayout;
    txtLatLng = MakeInfoField("txtLatLng", this);
    btn_GeoShowAllFence = MakeButton("btn_GeoShowAllFence", "Show All Geo-fence", this);
    btn_GeoClearAll = MakeButton("btn_GeoClearAll", "Clear All Geo-fence", this);
    foot->addWidget(txtLatLng, 1);
    foot->addWidget(btn_GeoShowAllFence);
    foot->addWidget(btn_GeoClearAll);
    root->addLayout(foot);
    ed_web = MakeInfoField("ed_web", this);
    root->addWidget(ed_web);

    lblMapLat->installEventFilter(this);
    connect(btnLoadMap, &QPushButton::clicked, this, &TMapGroup::btnLoadMapClick);
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
}

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
    if (FWebBrowser)
        FHost->Attach(FWebBrowser->page());
}

QWebEngineView* TMapGroup::EnsureBrowser()
{
    if (FWebBrowser)
        return FWebBrowser;
    // Creating and showing a view starts the web engine (measured: its processes appear as soon
    // as a view is shown), so the view is made on the first load, not with the window.
    // The page gets a profile of its own that keeps nothing on disk: the map needs no history,
    // and several instances of the program must not share a cache folder.
    auto* profile = new QWebEngineProfile(this);
    FWebBrowser = new QWebEngineView(FBrowserArea);
    FWebBrowser->setObjectName(QStringLiteral("FWebBrowser"));
    FWebBrowser->setPage(new QWebEnginePage(profile, FWebBrowser));
    FBrowserLayout->addWidget(FWebBrowser);
    connect(FWebBrowser, &QWebEngineView::loadFinished, this, &TMapGroup::FWebBrowserDocumentComplete);
    connect(FWebBrowser->page(), &QWebEnginePage::linkHovered, this, &TMapGroup::FWebBrowserStatusTextChange);
    if (FHost)
        FHost->Attach(FWebBrowser->page());
    return FWebBrowser;
}

QString TMapGroup::PageTemplate() { return MapPageTemplate(); }

QString TMapGroup::BuildMapPage()
{
    const QString host = TrimText(ed_googleurl->text());
    MapScriptUrl = MapScriptAddress(host.isEmpty() ? QString::fromLatin1(DefaultMapHost) : host, FGoogleKey);
    MapCenterLat = FieldValue(ed_MapLat, DefaultMapCenterLat);
    MapCenterLng = FieldValue(ed_MapLng, DefaultMapCenterLng);
    MapZoomLevel = FieldValue(ed_MapZoom, DefaultMapZoomLevel);
    return FillPageTemplate(PageTemplate(), {QStringLiteral("100%"), MapScriptUrl, MapZoomLevel, MapCenterLat,
                                             MapCenterLng});
}

void TMapGroup::btnLoadMapClick()
{
    try {
        LoadMapPage();
    } catch (const EAppError& e) {
        Dialogs::ShowMessage(QGuiApplication::applicationDisplayName(), e.Message(), TMsgIcon::Error);
    }
}

void TMapGroup::LoadMapPage()
{
    const QString page = BuildMapPage();
    QWebEngineView* view = EnsureBrowser();
    const QString host = TrimText(ed_googleurl->text());
    // The page's own address is the map host's root, so the page is an ordinary http page of
    // that host; its script address is absolute either way.
    const QUrl base(QStringLiteral("http://%1/").arg(host.isEmpty() ? QString::fromLatin1(DefaultMapHost) : host));
    QEventLoop wait;
    connect(view, &QWebEngineView::loadFinished, &wait, &QEventLoop::quit);
    QTimer::singleShot(LoadWaitMs, &wait, &QEventLoop::quit);
    view->setHtml(page, base.isValid() ? base : QUrl());
    const TNestedLoopScope loading;
    wait.exec();
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
    Dialogs::ShowMessage(Translate(QStringLiteral("Message")), Translate(QStringLiteral("Google Map not loading !")),
                         TMsgIcon::Information);
    return false;
}

void TMapGroup::CallJavaScript(const QString& code)
{
    if (code.isEmpty())
        return;
    QString error;
    QPointer<QWebEnginePage> page = FWebBrowser ? FWebBrowser->page() : nullptr;
    if (!page) {
        error = QStringLiteral("no page is loaded");
    } else {
        // The text runs in the page's global scope; an exception comes back as its message.
        const QString wrapped = QStringLiteral(
            "(function () { try { (0, eval)(%1); return { ok: true }; } catch (e) {"
            " return { ok: false, message: String((e && e.message !== undefined) ? e.message : e) }; } })()")
                                    .arg(ScriptString(code));
        // The answer may come after this call has given up; it then writes into the shared state
        // only, never into this frame.
        struct TAnswer {
            bool Done = false;
            QVariant Value;
        };
        auto answer = std::make_shared<TAnswer>();
        QEventLoop wait;
        QPointer<QEventLoop> waitRef(&wait);
        page->runJavaScript(wrapped, QWebEngineScript::MainWorld, [answer, waitRef](const QVariant& value) {
            answer->Done = true;
            answer->Value = value;
            if (waitRef)
                waitRef->quit();
        });
        if (!answer->Done) {
            QTimer::singleShot(ScriptWaitMs, &wait, &QEventLoop::quit);
            connect(page, &QObject::destroyed, &wait, &QEventLoop::quit);
            const TNestedLoopScope scriptWait;
            wait.exec();
        }
        if (!answer->Done) {
            error = QStringLiteral("the page did not answer");
        } else {
            const QVariantMap result = answer->Value.toMap();
            if (!result.value(QStringLiteral("ok")).toBool())
                error = result.contains(QStringLiteral("message")) ? result.value(QStringLiteral("message")).toString()
                                                                   : QStringLiteral("the script did not run");
        }
    }
    if (!error.isNull())
        Dialogs::ShowMessage(QGuiApplication::applicationDisplayName(),
                             QStringLiteral("callJavaScript.") + code + QLatin1Char(' ') + error, TMsgIcon::None);
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
