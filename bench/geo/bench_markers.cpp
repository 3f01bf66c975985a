// The map page's marker manager with many points of interest, in the real browser engine with the
// fake maps API of the map tests: the time to hand 10,000 points to the manager, to show them, and
// of one update after a pan at the same zoom (with the cells and markers it touched). Times are
// taken inside the page (performance.now), so they are the page's own work, not the trip there.
//
// Also the program's start-up: the whole process from exec to a shown window, once as the program
// starts (the browser made on the first "Load Google Map") and once with the browser made and its
// engine answering at start-up, as a ratio.
#include "tests/geo/support_map_fake_api.h"

#include "app/FrmMain.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "geo/MapGroup.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEngineView>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>

namespace {

constexpr int PoiCount = 10000;

TFakeMapsServer* Server = nullptr;
TMapGroup* Group = nullptr;

QVariantMap EvalMap(const QString& script) { return EvalInPage(Group->WebBrowser(), script, 60000).toMap(); }

bool EnsurePage()
{
    if (Group)
        return true;
    Server = new TFakeMapsServer;
    Group = new TMapGroup;
    return LoadFakeMap(*Group, *Server);
}

// 10,000 points spread over 20 x 20 degrees around Shenzhen, the same every run.
const char* const MakePois = R"JS(
  mgr.clearMarkers(); allmarkers = [];
  __fake.map.setZoom(8); __fake.map.setCenter(new google.maps.LatLng(22.9, 113.9));
  var seed = 12345;
  function next() { seed = (seed * 1103515245 + 12345) & 0x7fffffff; return seed / 0x7fffffff; }
  var t0 = performance.now();
  for (var i = 0; i < 10000; i++)
    POIAddArr(i, 12.9 + 20 * next(), 103.9 + 20 * next(), 'poi ' + i, '', 0, 0, 'P' + i);
  var collect = performance.now() - t0;
)JS";

void BM_AddPois(benchmark::State& state)
{
    if (!EnsurePage()) {
        state.SkipWithError("map page did not load");
        return;
    }
    for (auto _ : state) {
        const QVariantMap r = EvalMap(QString::fromLatin1(MakePois) + QStringLiteral(R"JS(
          var calls0 = __fake.setMapCalls;
          if (typeof gc === 'function') gc();  // the last round's markers are not this add's cost
          var t1 = performance.now();
          POIAddMgr(0, 19);
          var add = performance.now() - t1;
          var touchedByAdd = __fake.setMapCalls - calls0;
          var t2 = performance.now();
          POIMgrShow();
          var show = performance.now() - t2;
          ({ collect: collect, add: add, show: show, touchedByAdd: touchedByAdd,
             shown: mgr.getShownMarkerCount(), filed: mgr.getMarkerCount(19) });
        )JS"));
        if (r.value(QStringLiteral("filed")).toInt() != PoiCount) {
            state.SkipWithError("the manager lost points");
            return;
        }
        state.SetIterationTime(r.value(QStringLiteral("add")).toDouble() / 1000);
        state.counters["add_ms"] = r.value(QStringLiteral("add")).toDouble();
        state.counters["show_ms"] = r.value(QStringLiteral("show")).toDouble();
        state.counters["create_markers_ms"] = r.value(QStringLiteral("collect")).toDouble();
        state.counters["map_calls_during_add"] = r.value(QStringLiteral("touchedByAdd")).toDouble();
        state.counters["shown_after_show"] = r.value(QStringLiteral("shown")).toDouble();
    }
}

void BM_PanUpdate(benchmark::State& state)
{
    if (!EnsurePage()) {
        state.SkipWithError("map page did not load");
        return;
    }
    EvalMap(QString::fromLatin1(MakePois) + QStringLiteral("POIAddMgr(0, 19); POIMgrShow(); ({})"));
    bool east = true;
    for (auto _ : state) {
        // One cell (1024 pixels at zoom 8: 5.625 degrees) east or back west; the update runs
        // directly, as its zero-delay timer would run it.
        const QVariantMap r = EvalMap(QStringLiteral(R"JS(
          __fake.map.setCenter(new google.maps.LatLng(22.9, %1));
          var calls0 = __fake.setMapCalls;
          var t0 = performance.now();
          mgr.update();
          var pan = performance.now() - t0;
          ({ pan: pan, stats: mgr.lastUpdate, calls: __fake.setMapCalls - calls0,
             inView: mgr.shownBounds_.cellCount(), shown: mgr.getShownMarkerCount() });
        )JS").arg(east ? 113.9 + 5.625 : 113.9));
        east = !east;
        const QVariantMap stats = r.value(QStringLiteral("stats")).toMap();
        const int touched = stats.value(QStringLiteral("markersAdded")).toInt() +
                            stats.value(QStringLiteral("markersRemoved")).toInt();
        if (touched != r.value(QStringLiteral("calls")).toInt()) {
            state.SkipWithError("the update touched markers outside the changed cells");
            return;
        }
        state.SetIterationTime(r.value(QStringLiteral("pan")).toDouble() / 1000);
        state.counters["pan_ms"] = r.value(QStringLiteral("pan")).toDouble();
        state.counters["cells_in_view"] = r.value(QStringLiteral("inView")).toDouble();
        state.counters["cells_added"] = stats.value(QStringLiteral("cellsAdded")).toDouble();
        state.counters["cells_removed"] = stats.value(QStringLiteral("cellsRemoved")).toDouble();
        state.counters["markers_touched"] = touched;
        state.counters["markers_shown"] = r.value(QStringLiteral("shown")).toDouble();
    }
}

// --- start-up -----------------------------------------------------------------------------

int ChildProcesses()
{
    int n = 0;
    const QString self = QString::number(QCoreApplication::applicationPid());
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        // "pid (name) state ppid ...": the name may hold blanks, so split after the ")".
        const QList<QByteArray> rest = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (rest.size() > 1 && rest.at(1) == self.toLatin1())
            ++n;
    }
    return n;
}

// Runs in a child process: start the window, with or without the browser, and print the time.
int StartupProbe(int argc, char** argv, bool withEngine)
{
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    QTemporaryDir dir;
    SetAppDataFolder(dir.path());
    Dialogs::SetMessageHandler([](const TMessageRequest&) {});
    TFrmMain window;
    if (withEngine) {
        // The browser made with the window, shown, and its engine ready with an empty document.
        QWebEngineView* view = window.rgMap->EnsureBrowser();
        QEventLoop wait;
        QObject::connect(view, &QWebEngineView::loadFinished, &wait, &QEventLoop::quit);
        QTimer::singleShot(60000, &wait, &QEventLoop::quit);
        window.show();
        view->setHtml(QStringLiteral("<html><body></body></html>"));
        wait.exec();
    } else {
        window.show();
    }
    QTest::qWaitForWindowExposed(&window);
    QCoreApplication::processEvents();
    std::printf("ready_ms=%.1f children=%d\n", double(clock.nsecsElapsed()) / 1e6, ChildProcesses());
    std::fflush(stdout);
    return 0;
}

// Wall time of a whole child process started with the probe.
double ProbeMs(bool withEngine, int* children)
{
    QProcess p;
    p.setProgram(QCoreApplication::applicationFilePath());
    p.setArguments({withEngine ? QStringLiteral("--startup-probe=with") : QStringLiteral("--startup-probe=without")});
    QElapsedTimer clock;
    clock.start();
    p.start();
    p.waitForFinished(120000);
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    const QByteArray out = p.readAllStandardOutput();
    const int at = out.indexOf("children=");
    *children = at >= 0 ? out.mid(at + 9).trimmed().toInt() : -1;
    return out.contains("ready_ms=") ? ms : -1;
}

void BM_StartupWithoutEngine(benchmark::State& state)
{
    for (auto _ : state) {
        int children = 0;
        const double ms = ProbeMs(false, &children);
        if (ms < 0) {
            state.SkipWithError("probe failed");
            return;
        }
        state.SetIterationTime(ms / 1000);
        state.counters["engine_processes"] = children;
    }
}

void BM_StartupWithEngine(benchmark::State& state)
{
    double with = 0, without = 0;
    for (auto _ : state) {
        int children = 0, none = 0;
        with = ProbeMs(true, &children);
        without = ProbeMs(false, &none);
        if (with < 0 || without < 0) {
            state.SkipWithError("probe failed");
            return;
        }
        state.SetIterationTime(with / 1000);
        state.counters["engine_processes"] = children;
        state.counters["ratio_with_to_without"] = with / without;
    }
}

} // namespace

BENCHMARK(BM_AddPois)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PanUpdate)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupWithoutEngine)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupWithEngine)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    // gc() in the page, so that one round's garbage is collected before the next round is timed.
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", qgetenv("QTWEBENGINE_CHROMIUM_FLAGS") + " --js-flags=--expose-gc");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--startup-probe=with") == 0)
            return StartupProbe(argc, argv, true);
        if (std::strcmp(argv[i], "--startup-probe=without") == 0)
            return StartupProbe(argc, argv, false);
    }
    QApplication app(argc, argv);
    Dialogs::SetMessageHandler([](const TMessageRequest&) {});
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete Group;
    delete Server;
    return 0;
}
