// Takes the user guide's pictures: starts the real window against a simulated tracker, presses
// its buttons as a technician would, and grabs the screen after each step. Run under Xvfb
// (scripts/screenshots); the pictures go to the folder named on the command line. The map's
// tiles come from the map tests' server on 127.0.0.1, which draws made-up streets.
#include "app/FrmMain.h"
#include "app/WidgetDialogs.h"
#include "core/DataFolder.h"
#include "fleet/ProvisionWindow.h"
#include "geo/GeoFencePage.h"
#include "geo/MapGroup.h"
#include "i18n/Language.h"
#include "sim/SimTracker.h"
#include "support_map_fake_api.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

QString OutputFolder;
bool Failed = false;

void Fail(const QString& what)
{
    std::fprintf(stderr, "tovrik-tour: %s\n", qPrintable(what));
    Failed = true;
}

// Lets the window settle (layouts, repaints, the web page's drawing) before a picture.
void Settle(int ms = 400) { QTest::qWait(ms); }

// The window's area of the screen, with anything drawn over it (message boxes, lists).
void Shoot(const QWidget& window, const QString& name)
{
    Settle();
    // Lists and boxes may reach beyond the window: take them in too.
    QRect area = window.frameGeometry();
    for (const QWidget* top : QApplication::topLevelWidgets())
        if (top->isVisible())
            area |= top->frameGeometry();
    const QPixmap picture = QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    const QString path = QDir(OutputFolder).filePath(name + QStringLiteral(".png"));
    if (picture.isNull() || !picture.save(path))
        Fail(QStringLiteral("cannot save %1").arg(path));
    else
        std::printf("%s\n", qPrintable(path));
    std::fflush(stdout);
}

// Sends the OpenStreetMap page's tile requests to the tour's tile server.
class TOsmToLocalTiles : public QWebEngineUrlRequestInterceptor {
public:
    QString Target;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        if (info.requestUrl().host() == QLatin1String("tile.openstreetmap.org"))
            info.redirect(QUrl(Target + info.requestUrl().path()));
    }
};

template <typename T> T* Find(const QWidget& window, const char* name)
{
    T* child = window.findChild<T*>(QString::fromLatin1(name));
    if (!child)
        Fail(QStringLiteral("no control named %1").arg(QString::fromLatin1(name)));
    return child;
}

void Click(const QWidget& window, const char* name)
{
    if (auto* button = Find<QPushButton>(window, name))
        button->click();
}

// Waits until every command of the running exchange has been answered.
bool WaitForExchange(TFrmMain& window)
{
    return QTest::qWaitFor([&] { return window.Queue().Count() == 0 && !window.Queue().IsBusy(); }, 30000);
}

// Presses a button whose handler shows a modal box: once the box is up, `whileOpen` runs
// (a picture, filling a file dialog) and the box is accepted.
void ClickThroughBox(const QWidget& window, const char* name, const std::function<void(QWidget&)>& whileOpen)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, whileOpen] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box)
            return;
        poll->stop();
        poll->deleteLater();
        whileOpen(*box);
        if (auto* dialog = qobject_cast<QDialog*>(box); dialog && dialog->isVisible())
            dialog->accept();
    });
    poll->start(100);
    QTimer::singleShot(30000, poll, [poll] { poll->deleteLater(); });
    Click(window, name);
}

void SetText(const QWidget& window, const char* name, const QString& text)
{
    if (auto* edit = Find<QLineEdit>(window, name))
        edit->setText(text);
}

void ShowPage(TFrmMain& window, QWidget* page)
{
    window.pgCtrl->setCurrentWidget(page);
    Settle();
}

// The shipped languages, so that the language list shows what an installed program shows.
void CopyShippedLanguages(const QString& dataFolder)
{
    const QDir source(QStringLiteral(TOVRIK_SOURCE_DIR "/locale"));
    QDir().mkpath(dataFolder + QStringLiteral("/locale"));
    for (const QString& file : source.entryList({QStringLiteral("*.lng")}, QDir::Files))
        QFile::copy(source.filePath(file), dataFolder + QStringLiteral("/locale/") + file);
}

void Tour(const TSimTracker& tracker, const QString& dataFolder)
{
    TFakeMapsServer maps;
    auto window = std::make_unique<TFrmMain>();
    window->AddPort(tracker.DevicePath());
    window->show();
    QTest::qWaitForWindowExposed(window.get());
    Shoot(*window, QStringLiteral("01-start"));

    // Connecting and reading.
    window->btn_SwitchClick();
    if (!window->ComPort.Connected())
        Fail(QStringLiteral("the port did not open"));
    ClickThroughBox(*window, "btnReadAll", [&](QWidget&) {});
    WaitForExchange(*window);
    Shoot(*window, QStringLiteral("02-read-all"));

    // Writing one group at a time: the tip after the last answer.
    SetText(*window, "txtAlias", QStringLiteral("Van 12"));
    ClickThroughBox(*window, "btnCenterNumberSet", [](QWidget&) {});
    WaitForExchange(*window);
    SetText(*window, "txtAPN", QStringLiteral("internet.example"));
    ClickThroughBox(*window, "btnGprsSet", [&](QWidget&) { Shoot(*window, QStringLiteral("03-write-gprs")); });
    WaitForExchange(*window);

    ShowPage(*window, window->tsAlarm);
    Shoot(*window, QStringLiteral("04-alarms"));

    // Cloning: save this tracker's configuration, load it back for the next one.
    ShowPage(*window, window->tsMain);
    Click(*window, "btnSave");
    const QStringList saved = QDir(dataFolder + QStringLiteral("/param")).entryList({QStringLiteral("*.cfg")});
    if (saved.isEmpty())
        Fail(QStringLiteral("Save wrote no parameter file"));
    ClickThroughBox(*window, "btnLoad", [&](QWidget& box) {
        Shoot(*window, QStringLiteral("05-load-parameter-file"));
        // Typed into the name field and confirmed, as a user would.
        if (auto* name = box.findChild<QLineEdit*>(); name && !saved.isEmpty()) {
            name->setText(dataFolder + QStringLiteral("/param/") + saved.first());
            QTest::keyClick(name, Qt::Key_Return);
        }
    });
    Settle();

    // Fences: read all, draw one on the map. The map is the OpenStreetMap page as a new user
    // gets it, its tile requests answered by the tour's own tile server.
    ShowPage(*window, window->tsGeo);
    TOsmToLocalTiles redirect;
    redirect.Target = QStringLiteral("http://%1/tiles").arg(maps.Host());
    window->rgMap->EnsureBrowser()->page()->profile()->setUrlRequestInterceptor(&redirect);
    SetText(*window, "ed_MapLat", QStringLiteral("22.5434"));
    SetText(*window, "ed_MapLng", QStringLiteral("113.9461"));
    SetText(*window, "ed_MapZoom", QStringLiteral("14"));
    Click(*window, "btnLoadMap");
    if (!QTest::qWaitFor([&] { return window->rgMap->MapState() == TMapGroup::TMapState::Ready; }, 30000))
        Fail(QStringLiteral("the map page did not load"));
    ClickThroughBox(*window, "btn_GeoRead", [](QWidget&) {});
    WaitForExchange(*window);
    window->GeoPage->vtList->selectRow(0);
    window->GeoPage->btn_GeoEdit->click();
    SetText(*window, "txtGeofenceName", QStringLiteral("Depot"));
    // Two clicks on the map draw the rectangle and fill the corners.
    EvalInPage(window->rgMap->WebBrowser(), QStringLiteral("map_obj.fire('click', { latlng: L.latLng(22.5467, 113.9421) });"
                                                           "map_obj.fire('click', { latlng: L.latLng(22.5401, 113.9502) });"));
    Settle(800);
    Shoot(*window, QStringLiteral("06-edit-fence"));
    ClickThroughBox(*window, "btnGeoSave", [](QWidget&) {});
    WaitForExchange(*window);
    Click(*window, "btn_GeoShowAllFence");
    Settle(800);
    Shoot(*window, QStringLiteral("10-map-fences"));

    // Without a map: the notice in the map area.
    TMapSettings unreachable = window->rgMap->MapSettings();
    unreachable.Provider = TMapProvider::Tiles;
    unreachable.TileUrl = QStringLiteral("https://tiles.example.invalid/{z}/{x}/{y}.png");
    window->rgMap->SetMapSettings(unreachable);
    Click(*window, "btnLoadMap");
    if (!QTest::qWaitFor([&] { return window->rgMap->MapState() == TMapGroup::TMapState::Failed; }, 30000))
        Fail(QStringLiteral("the map did not say that it cannot load"));
    Shoot(*window, QStringLiteral("11-map-offline"));
    // The dialog that chooses the map.
    Click(*window, "btnMapSettings");
    if (QDialog* dialog = window->findChild<QDialog*>(QStringLiteral("dlgMapSettings"))) {
        Shoot(*window, QStringLiteral("12-map-settings"));
        dialog->reject();
    } else {
        Fail(QStringLiteral("no map settings dialog"));
    }
    window->rgMap->WebBrowser()->page()->profile()->setUrlRequestInterceptor(nullptr);

    // Batch configuration: the pages against the tracker, then one tracker provisioned.
    ShowPage(*window, window->tsMain);
    SetText(*window, "txtAlias", QStringLiteral("Van 13"));
    SetText(*window, "txtTimeDifferent", QStringLiteral("480"));
    Click(*window, "btnCompare");
    if (QWidget* compare = window->findChild<QWidget*>(QStringLiteral("FrmCompare"))) {
        Shoot(*window, QStringLiteral("13-compare"));
        compare->close();
    } else {
        Fail(QStringLiteral("Compare showed no table"));
    }
    // The station: the tour's tracker and three more, each on its own port, at once.
    Click(*window, "btnProvision");
    if (auto* provision = window->findChild<TProvisionWindow*>(QStringLiteral("FrmProvision"))) {
        if (!saved.isEmpty())
            provision->edtProvisionParams->setText(dataFolder + QStringLiteral("/param/") + saved.first());
        std::vector<std::unique_ptr<TSimTracker>> more;
        provision->AddPortTile(tracker.DevicePath());
        for (int i = 2; i <= 4; ++i) {
            auto sim = std::make_unique<TSimTracker>();
            TSimState state;
            state.Identifier = QByteArray("000000000") + QByteArray::number(i);
            sim->SetState(state);
            TSimFaults faults;
            faults.IgnoreWriteCmd = i == 3 ? 10 : 0; // one keeps its low-battery threshold
            sim->SetFaults(faults);
            if (sim->Start())
                provision->AddPortTile(sim->DevicePath());
            more.push_back(std::move(sim));
        }
        provision->resize(1040, 600);
        provision->btnProvisionStart->click();
        for (int waited = 0; provision->lstProvisionReport->count() < 4 && waited < 60000; waited += 100)
            Settle(100);
        if (provision->lstProvisionReport->count() < 4)
            Fail(QStringLiteral("the station reported %1 of 4 trackers").arg(provision->lstProvisionReport->count()));
        Shoot(*window, QStringLiteral("14-provision"));
        provision->btnProvisionStop->click();
        provision->close();
        // The station took the window's port over: the tour goes on with it open again.
        if (!window->ComPort.Connected())
            window->btn_SwitchClick();
    } else {
        Fail(QStringLiteral("no provisioning window"));
    }

    // The console and the log.
    ShowPage(*window, window->tsAdvOperation);
    SetText(*window, "edt_Send", QStringLiteral("(P01)"));
    Click(*window, "btn_AdvOper_Send");
    Settle(800);
    Shoot(*window, QStringLiteral("07-console"));

    // Languages: the list, and the window after choosing Spanish and starting again.
    ShowPage(*window, window->tsMain);
    const int spanish = window->cbLanguage->findText(QStringLiteral("spanish"));
    if (spanish < 0)
        Fail(QStringLiteral("spanish is not in the language list"));
    window->cbLanguage->showPopup();
    Shoot(*window, QStringLiteral("08-language-list"));
    window->cbLanguage->hidePopup();
    window->cbLanguage->setCurrentIndex(spanish);
    emit window->cbLanguage->activated(spanish);
    window->close();
    window.reset();
    ResetLanguageModule();
    window = std::make_unique<TFrmMain>();
    window->AddPort(tracker.DevicePath());
    window->show();
    QTest::qWaitForWindowExposed(window.get());
    Shoot(*window, QStringLiteral("09-spanish"));
    window->close();
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tovrik-tour <folder for the pictures>\n");
        return 2;
    }
    OutputFolder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(OutputFolder);
    InstallWidgetDialogs();

    QTemporaryDir data;
    SetAppDataFolder(data.path());
    CopyShippedLanguages(data.path());
    TSimTracker tracker;
    QString error;
    if (!tracker.Start(&error)) {
        std::fprintf(stderr, "tovrik-tour: the simulated tracker could not start: %s\n", qPrintable(error));
        return 1;
    }
    Tour(tracker, data.path());
    return Failed ? 1 : 0;
}
