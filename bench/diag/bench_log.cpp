// The communication log over a long run: a technician may leave the program logging for days.
// Appends 100,000 lines to both views (the debug window and the console page, both shown,
// offscreen) and reports the total time, the memory the process gained, and the cost per line
// of the first 10,000 lines beside the last 10,000: appending must not slow down as the log grows.
#include "diag/ConsolePage.h"
#include "diag/DebugMemo.h"
#include "diag/LogLine.h"
#include "diag/LogView.h"
#include "link/CmdQueue.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <benchmark/benchmark.h>
#include <ctime>

namespace {

constexpr int LineCount = 100000;
constexpr int Slice = 10000;

// The console needs a queue; nothing is sent in this benchmark.
class TIdleLink : public ICmdQueueHost, public IByteChannel {
public:
    void SetCommandButtonsEnabled(bool) override {}
    void SetProgressTotal(int) override {}
    void SetProgressComplete(int) override {}
    void LogSeparator() override {}
    void LogSent(const QString&, const QByteArray&) override {}
    void LogReceived(const QString&, const QByteArray&) override {}
    QString Translate(const QString& text) override { return text; }
    void DispatchResponse(const QByteArray&) override {}
    bool IsOpen() const override { return false; }
    void WriteFrame(const QByteArray&) override {}
};

// Kilobytes from /proc/self/status: "VmRSS" now, "VmHWM" the peak so far.
double StatusKb(const char* key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qstrlen(key) + 1).trimmed().split(' ').first().toDouble();
    return 0;
}

double CpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// The four kinds of line in their usual proportion: separator, sent, received.
QString LogLineNo(int i, const QString& stamp)
{
    switch (i % 3) {
    case 0: return QString();
    case 1: return stamp + QStringLiteral(" >> Send : (P05,0)");
    default: return stamp + QStringLiteral(" << Read : (0123456789,P05,218.18.100.200,8011,cmnet,user,pass%1)").arg(i);
    }
}

void BM_AppendLogLines(benchmark::State& state)
{
    const int eventsEvery = int(state.range(0));
    for (auto _ : state) {
        const double rssBefore = StatusKb("VmRSS:");
        TIdleLink link;
        TCmdQueue queue(link, link);
        TfrmDebugMemo memo;
        TConsolePage page(queue, {});
        memo.ShowWindow();
        page.resize(965, 420);
        page.show();
        QCoreApplication::processEvents();
        const QString stamp = FormatLogStamp(QDateTime(QDate(2024, 1, 31), QTime(23, 59, 58)));

        // Every slice ends with its lines in both views and painted, so that the first and the
        // last 10,000 lines are compared on the same work.
        const auto settle = [&] {
            memo.mmDebug->Flush();
            page.mm_Recv->Flush();
            memo.mmDebug->repaint();
            page.mm_Recv->repaint();
        };
        QElapsedTimer total;
        QElapsedTimer slice;
        double sliceCpu0 = 0;
        double firstSliceNs = 0, lastSliceNs = 0, firstSliceCpu = 0, lastSliceCpu = 0;
        total.start();
        const double cpu0 = CpuSeconds();
        for (int i = 0; i < LineCount; ++i) {
            if (i == LineCount - Slice)
                settle();
            if (i == 0 || i == LineCount - Slice) {
                slice.start();
                sliceCpu0 = CpuSeconds();
            }
            const QString line = LogLineNo(i, stamp);
            memo.mmDebug->AppendLine(line);
            page.mm_Recv->AppendLine(line);
            if ((i + 1) % eventsEvery == 0)
                QCoreApplication::processEvents();
            if (i == Slice - 1) {
                settle();
                firstSliceNs = double(slice.nsecsElapsed());
                firstSliceCpu = CpuSeconds() - sliceCpu0;
            }
        }
        settle();
        lastSliceNs = double(slice.nsecsElapsed());
        lastSliceCpu = CpuSeconds() - sliceCpu0;
        const double totalS = double(total.nsecsElapsed()) / 1e9;
        const double cpuS = CpuSeconds() - cpu0;
        if (page.mm_Recv->LineCount() != LineCount || memo.mmDebug->LineCount() != LineCount)
            state.SkipWithError("a view lost lines");

        state.counters["total_s"] = totalS;
        state.counters["cpu_s"] = cpuS;
        state.counters["first10k_us_per_line"] = firstSliceNs / Slice / 1000;
        state.counters["last10k_us_per_line"] = lastSliceNs / Slice / 1000;
        state.counters["first10k_cpu_us_per_line"] = firstSliceCpu / Slice * 1e6;
        state.counters["last10k_cpu_us_per_line"] = lastSliceCpu / Slice * 1e6;
        state.counters["last_vs_first_cpu"] = lastSliceCpu / firstSliceCpu;
        state.counters["rss_added_MB"] = (StatusKb("VmHWM:") - rssBefore) / 1024;
        state.SetIterationTime(totalS);
    }
}

} // namespace

// Arg: the event loop runs (timers, repaints) after every n lines: 1 when every line comes from
// an event of its own, 100 for bursts.
BENCHMARK(BM_AppendLogLines)->Arg(1)->Arg(100)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
