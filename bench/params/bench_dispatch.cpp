// DispatchResponse of each answer kind: split, identifier, routing, filling the controls and the
// queue's advance step (nothing queued, tip box unticked), in nanoseconds per answer.
#include "link/CmdQueue.h"
#include "params/AlarmPage.h"
#include "params/MainSettingsPage.h"
#include "params/ResponseDispatcher.h"
#include "params/StatusPanel.h"
#include "params/TmpHotSpotGroup.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QTabWidget>
#include <benchmark/benchmark.h>

namespace {

class TQuietHost : public ICmdQueueHost, public IByteChannel {
public:
    void SetCommandButtonsEnabled(bool) override {}
    void SetProgressTotal(int) override {}
    void SetProgressComplete(int) override {}
    void LogSeparator() override {}
    void LogSent(const QString&, const QByteArray&) override {}
    void LogReceived(const QString&, const QByteArray&) override {}
    QString Translate(const QString& text) override { return text; }
    void DispatchResponse(const QByteArray&) override {}
    bool IsOpen() const override { return true; }
    void WriteFrame(const QByteArray&) override {}
};

struct TPages {
    TQuietHost Host;
    TCmdQueue Queue{Host, Host};
    QWidget Window;
    QGroupBox* Info = new QGroupBox(&Window);
    QTabWidget* Tabs = new QTabWidget(&Window);
    QCheckBox* Tip = new QCheckBox(&Window);
    TStatusPanel* Status;
    TMainSettingsPage* Main = new TMainSettingsPage(Queue, &Window);
    TAlarmPage* Alarm = new TAlarmPage(Queue, &Window);
    TTmpHotSpotGroup* HotSpot = new TTmpHotSpotGroup(Queue, &Window);
    std::unique_ptr<TResponseDispatcher> Dispatcher;

    TPages()
    {
        new QHBoxLayout(Info);
        Status = new TStatusPanel(Info, new QLabel(Info));
        Tip->setChecked(false);
        TDispatchTargets t;
        t.Queue = &Queue;
        t.Status = Status;
        t.Main = Main;
        t.Alarm = Alarm;
        t.HotSpot = HotSpot;
        t.pgCtrl = Tabs;
        t.cbTipOnOK = Tip;
        Dispatcher = std::make_unique<TResponseDispatcher>(t);
        Dispatcher->SetGeoFenceAnswerHandler([](const TResponseFields&) {});
    }
};

// Made after the application object and destroyed before it.
TPages* ThePages = nullptr;

TPages& Pages() { return *ThePages; }

void BM_Dispatch(benchmark::State& state, const char* payload)
{
    TPages& p = Pages();
    const QByteArray answer(payload);
    for (auto _ : state)
        p.Dispatcher->DispatchResponse(answer);
    p.Status->StopBatteryAnimation();
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK_CAPTURE(BM_Dispatch, version_P01, "(0123456789,P01,V2.05)");
BENCHMARK_CAPTURE(BM_Dispatch, status_T01, "(0123456789,T01,0,Truck7,4,24,80)");
BENCHMARK_CAPTURE(BM_Dispatch, upload_P04, "(0123456789,P04,60,1)");
BENCHMARK_CAPTURE(BM_Dispatch, gprs_P05, "(0123456789,P05,10.1.2.3,9000,INTERNET,user,secret)");
BENCHMARK_CAPTURE(BM_Dispatch, strategy_P07, "(0123456789,P07,1)");
BENCHMARK_CAPTURE(BM_Dispatch, geofence_P08, "(0123456789,P08,7,11322.1234,2233.5000,11323.0000,2232.0000,Home)");
BENCHMARK_CAPTURE(BM_Dispatch, radius_P09, "(0123456789,P09,500)");
BENCHMARK_CAPTURE(BM_Dispatch, lowbattery_P10, "(0123456789,P10,30)");
BENCHMARK_CAPTURE(BM_Dispatch, authnumber_P11, "(0123456789,P11,3,+8613800000003)");
BENCHMARK_CAPTURE(BM_Dispatch, timediff_P12, "(0123456789,P12,480)");
BENCHMARK_CAPTURE(BM_Dispatch, battery_P16, "(0123456789,P16,70)");
BENCHMARK_CAPTURE(BM_Dispatch, alias_P17, "(0123456789,P17,Truck7)");
BENCHMARK_CAPTURE(BM_Dispatch, keepalive_P18, "(0123456789,P18,600)");
BENCHMARK_CAPTURE(BM_Dispatch, default_P20, "(0123456789,P20)");
BENCHMARK_CAPTURE(BM_Dispatch, alarms_P22, "(0123456789,P22,1,2,3,0,1)");
BENCHMARK_CAPTURE(BM_Dispatch, gsensor_P31, "(0123456789,P31,800)");
BENCHMARK_CAPTURE(BM_Dispatch, unknown_P42, "(0123456789,P42,1)");

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    auto pages = std::make_unique<TPages>();
    ThePages = pages.get();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
