// Translate on its two paths, and the trie's Find beside std::unordered_map on the same keys.
#include "core/DataFolder.h"
#include "i18n/Language.h"
#include "i18n/StringHashTrie.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

// Interface-like texts: the lengths and shapes of the catalogue (short words to one long sentence).
std::vector<std::string> Keys(int count)
{
    static const char* const stems[] = {"Read", "Write", "Geo-fence Setting", "VIP Number ", "Operation success !",
                                        "Please Input The Low Battery Value More than 10!", "sec", "Lat-Left Top"};
    std::vector<std::string> keys;
    keys.reserve(size_t(count));
    for (int i = 0; i < count; ++i)
        keys.push_back(std::string(stems[i % 8]) + " " + std::to_string(i));
    return keys;
}

// The order in which the keys are looked up: every key once per round, shuffled, so that no
// lookup is the remembered one.
std::vector<size_t> LookupOrder(size_t count)
{
    std::vector<size_t> order(count);
    for (size_t i = 0; i < count; ++i)
        order[i] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(42));
    return order;
}

// The language module with the 105-text catalogue numbered and a language loaded that
// translates every other text.
struct TLanguageSetup {
    QTemporaryDir Dir;
    QStringList Texts;
    TLanguageSetup()
    {
        SetAppDataFolder(Dir.path());
        ResetLanguageModule();
        for (int i = 0; i < 105; ++i)
            Texts << QStringLiteral("Interface text number %1").arg(i);
        Texts[24] = QStringLiteral("Read");
        Texts[25] = QStringLiteral("Write");
        for (const QString& t : Texts)
            Translate(t);
        QDir().mkpath(Dir.path() + "/locale");
        QFile file(Dir.path() + "/locale/bench.lng");
        file.open(QIODevice::WriteOnly);
        file.write("[language]\r\n");
        for (int i = 0; i < 105; i += 2)
            file.write(QStringLiteral("%1=translated %1\r\n").arg(i, 3, 10, QLatin1Char('0')).toUtf8());
        file.close();
        LoadLanguage(QStringLiteral("bench"));
    }
};

TLanguageSetup& Language()
{
    static TLanguageSetup setup;
    return setup;
}

void BM_TranslateRemembered(benchmark::State& state)
{
    Language();
    const QString text = QStringLiteral("Read"); // 024, translated: both tables answer from memory
    for (auto _ : state)
        benchmark::DoNotOptimize(Translate(text));
}
BENCHMARK(BM_TranslateRemembered);

void BM_TranslateHashPath(benchmark::State& state)
{
    const QStringList& texts = Language().Texts;
    qsizetype i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Translate(texts[i]));
        i = (i + 1) % texts.size(); // a different text each time: both lookups hash
    }
}
BENCHMARK(BM_TranslateHashPath);

void BM_TrieFindRemembered(benchmark::State& state)
{
    TStringHashTrie trie(true, false, TStringHashTrie::OwnsNothing);
    const auto keys = Keys(10000);
    for (size_t i = 0; i < keys.size(); ++i)
        trie.Add(keys[i], reinterpret_cast<void*>(i + 1));
    const std::string key = keys[1234];
    for (auto _ : state)
        benchmark::DoNotOptimize(trie.Find(key));
}
BENCHMARK(BM_TrieFindRemembered);

void BM_TrieFind10k(benchmark::State& state)
{
    TStringHashTrie trie(true, false, TStringHashTrie::OwnsNothing);
    const auto keys = Keys(10000);
    for (size_t i = 0; i < keys.size(); ++i)
        trie.Add(keys[i], reinterpret_cast<void*>(i + 1));
    const auto order = LookupOrder(keys.size());
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(trie.Find(keys[order[i]]));
        if (++i == order.size())
            i = 0;
    }
}
BENCHMARK(BM_TrieFind10k);

void BM_UnorderedMapFind10k(benchmark::State& state)
{
    std::unordered_map<std::string, void*> map;
    const auto keys = Keys(10000);
    for (size_t i = 0; i < keys.size(); ++i)
        map.emplace(keys[i], reinterpret_cast<void*>(i + 1));
    const auto order = LookupOrder(keys.size());
    size_t i = 0;
    for (auto _ : state) {
        auto it = map.find(keys[order[i]]);
        benchmark::DoNotOptimize(it == map.end() ? nullptr : it->second);
        if (++i == order.size())
            i = 0;
    }
}
BENCHMARK(BM_UnorderedMapFind10k);

// The two tables in turns of one round over all keys each, so that both see the same machine
// load (the build machine is shared): the counters give each one's time per lookup and the ratio.
void BM_TrieVsUnorderedMapInTurns(benchmark::State& state)
{
    const auto keys = Keys(10000);
    TStringHashTrie trie(true, false, TStringHashTrie::OwnsNothing);
    std::unordered_map<std::string, void*> map;
    for (size_t i = 0; i < keys.size(); ++i) {
        trie.Add(keys[i], reinterpret_cast<void*>(i + 1));
        map.emplace(keys[i], reinterpret_cast<void*>(i + 1));
    }
    const auto order = LookupOrder(keys.size());
    using Clock = std::chrono::steady_clock;
    Clock::duration trieTime{}, mapTime{};
    for (auto _ : state) {
        auto start = Clock::now();
        for (size_t i : order)
            benchmark::DoNotOptimize(trie.Find(keys[i]));
        auto middle = Clock::now();
        for (size_t i : order) {
            auto it = map.find(keys[i]);
            benchmark::DoNotOptimize(it == map.end() ? nullptr : it->second);
        }
        auto end = Clock::now();
        trieTime += middle - start;
        mapTime += end - middle;
    }
    const double lookups = double(state.iterations()) * double(order.size());
    const double trieNs = std::chrono::duration<double, std::nano>(trieTime).count() / lookups;
    const double mapNs = std::chrono::duration<double, std::nano>(mapTime).count() / lookups;
    state.counters["trie_ns"] = trieNs;
    state.counters["map_ns"] = mapNs;
    state.counters["ratio"] = trieNs / mapNs;
}
BENCHMARK(BM_TrieVsUnorderedMapInTurns)->Unit(benchmark::kMillisecond);

void BM_TrieAdd10k(benchmark::State& state)
{
    const auto keys = Keys(10000);
    for (auto _ : state) {
        TStringHashTrie trie(true, true, TStringHashTrie::OwnsNothing);
        for (size_t i = 0; i < keys.size(); ++i)
            trie.Add(keys[i], reinterpret_cast<void*>(i + 1));
        benchmark::DoNotOptimize(trie.Count());
    }
}
BENCHMARK(BM_TrieAdd10k)->Unit(benchmark::kMicrosecond);

void BM_UnorderedMapAdd10k(benchmark::State& state)
{
    const auto keys = Keys(10000);
    for (auto _ : state) {
        std::unordered_map<std::string, void*> map;
        std::vector<void*> order; // the trie keeps its insertion order too
        for (size_t i = 0; i < keys.size(); ++i) {
            map.emplace(keys[i], reinterpret_cast<void*>(i + 1));
            order.push_back(reinterpret_cast<void*>(i + 1));
        }
        benchmark::DoNotOptimize(map.size());
    }
}
BENCHMARK(BM_UnorderedMapAdd10k)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
