// The frame codec on a typical answer: encode, cut out of a receive buffer, split into fields.
#include "link/FrameCodec.h"

#include <benchmark/benchmark.h>

namespace {

const QByteArray TypicalAnswer = "(0123456789,P05,218.17.212.30,8888,CMNET,user,secret)";

void BM_EncodeExtractSplit(benchmark::State& state)
{
    QByteArray buffer;
    QByteArray payload;
    for (auto _ : state) {
        buffer += EncodeFrame(TypicalAnswer);
        ExtractFrame(buffer, payload);
        TResponseFields fields = SplitFields(payload.mid(1, payload.size() - 2));
        benchmark::DoNotOptimize(fields);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EncodeExtractSplit);

void BM_ExtractFromJunk(benchmark::State& state)
{
    // The cutter's cost when each frame is preceded by 64 bytes of line noise.
    const QByteArray chunk = QByteArray(64, 'j') + EncodeFrame(TypicalAnswer);
    QByteArray buffer;
    QByteArray payload;
    for (auto _ : state) {
        buffer += chunk;
        ExtractFrame(buffer, payload);
        benchmark::DoNotOptimize(payload);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ExtractFromJunk);

} // namespace

BENCHMARK_MAIN();
