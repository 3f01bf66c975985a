// The map in the real browser engine against the map tests' server on 127.0.0.1: from pressing
// "Load Google Map" with the OpenStreetMap page (Leaflet, tiles from the local server) to the
// first tile drawn, and Show All with 64 fences (the 129 script calls it makes: one hide, then a
// drawing and a centring per fence) on the Leaflet page and on the Google page with the fake API.
// Times are wall-clock times seen by the program, each in ms.
#include "tests/geo/support_map_fake_api.h"

#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "geo/MapGroup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>
#include <benchmark/benchmark.h>

namespace {

TFakeMapsServer* Server = nullptr;

TMapGroup* NewGroup()
{
    auto* group = new TMapGroup;
    group->CreateBrowserHost();
    group->resize(660, 600);
    group->show();
    group->EnsureBrowser()->setFixedSize(640, 480);
    return group;
}

void UseLocalTiles(TMapGroup& group)
{
    TMapSettings s;
    s.Provider = TMapProvider::Tiles;
    s.TileUrl = Server->TileUrl();
    s.TileAttribution = QStringLiteral("bench tiles");
    group.SetMapSettings(s);
}

void BM_LoadToFirstTile(benchmark::State& state)
{
    TMapGroup* group = NewGroup();
    UseLocalTiles(*group);
    // The engine's first start is not part of a press: one load before timing.
    QTest::mouseClick(group->btnLoadMap, Qt::LeftButton);
    QTest::qWaitFor([&] { return group->MapState() == TMapGroup::TMapState::Ready; }, 30000);
    for (auto _ : state) {
        // Another zoom each time, so the tiles are not the cached ones of the last round.
        group->ed_MapZoom->setText(QString::number(3 + state.iterations() % 12));
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(group->btnLoadMap, Qt::LeftButton);
        if (!QTest::qWaitFor([&] { return group->MapState() == TMapGroup::TMapState::Ready; }, 30000)) {
            state.SkipWithError("no tile was drawn");
            break;
        }
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
    }
    delete group;
}

void BM_ShowAll64(benchmark::State& state)
{
    const bool google = state.range(0) == 1;
    TMapGroup* group = NewGroup();
    const bool loaded = google ? LoadFakeMap(*group, *Server) : LoadTileMap(*group, *Server);
    if (!loaded) {
        state.SkipWithError("map page did not load");
        delete group;
        return;
    }
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        group->HideFencesOnMap();
        for (int n = 0; n < 64; ++n) {
            const double lng = 100 + (n % 8) * 0.5, lat = 10 + (n / 8) * 0.5;
            group->ShowFenceOnMap(TFenceCorners{lng, lat + 0.4, lng + 0.4, lat}, 3, 0x0000FF, 0x0000FF);
        }
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
    }
    state.SetLabel(google ? "google page, fake API" : "leaflet page, local tiles");
    delete group;
}

} // namespace

BENCHMARK(BM_LoadToFirstTile)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowAll64)->Arg(0)->Arg(1)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    // The map cache goes to a folder of this run.
    QTemporaryDir folder;
    SetAppDataFolder(folder.path());
    Dialogs::SetMessageHandler([](const TMessageRequest&) {});
    Server = new TFakeMapsServer;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete Server;
    return 0;
}
