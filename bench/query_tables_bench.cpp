// The closure of the travel-time tables on generated networks of 500, 1,250 and 2,500 stations:
// the plain pass loop and the closure the showing runs, side by side, with their tables compared.

#include "query/closure_reference.h"
#include "query/query.h"

#include <benchmark/benchmark.h>

#include <map>

namespace {

using closure_reference::Network;

const Network &network(int stations)
{
    static std::map<int, Network> networks;
    auto it = networks.find(stations);
    if (it == networks.end())
        it = networks.emplace(stations, closure_reference::generateNetwork(stations, 2026u + unsigned(stations))).first;
    return it->second;
}

// The pass loop exactly as written: a, c, b with b innermost and a test per triple.
int literalClosure(int n, std::vector<int> &t, std::vector<int> &m)
{
    int passes = 0;
    bool changed = true;
    while (changed) {
        changed = false;
        ++passes;
        for (int a = 1; a < n; ++a)
            for (int c = 1; c < n; ++c)
                for (int b = 1; b < n; ++b) {
                    if (a == b || b == c || a == c)
                        continue;
                    const int s = t[a * n + b] + t[b * n + c];
                    if (t[a * n + c] > s) {
                        t[a * n + c] = s;
                        changed = true;
                    }
                    if (m[a * n + b] != 255 && m[b * n + c] != 255) {
                        const int x = std::min(m[a * n + b] + m[b * n + c] + 1, 254);
                        if (m[a * n + c] == 255 || x < m[a * n + c])
                            m[a * n + c] = x;
                    }
                }
    }
    return passes;
}

// The plain loop's result of each size, for the comparison.
std::map<int, std::pair<std::vector<int>, std::vector<int>>> plainResults;

void BM_PlainClosure(benchmark::State &state)
{
    const Network &net = network(int(state.range(0)));
    int passes = 0;
    for (auto _ : state) {
        std::vector<int> minutes = net.minutes, transfers = net.transfers;
        passes = literalClosure(net.n, minutes, transfers);
        plainResults[int(state.range(0))] = {minutes, transfers};
    }
    state.counters["passes"] = passes;
}

void BM_FastClosure(benchmark::State &state)
{
    const Network &net = network(int(state.range(0)));
    int passes = 0;
    std::vector<std::int16_t> minutes;
    std::vector<std::uint8_t> transfers;
    for (auto _ : state) {
        minutes.assign(net.minutes.begin(), net.minutes.end());
        transfers.assign(net.transfers.begin(), net.transfers.end());
        passes = CloseTravelTables(net.n, minutes, transfers);
    }
    state.counters["passes"] = passes;
    const auto plain = plainResults.find(int(state.range(0)));
    if (plain != plainResults.end()) {
        const bool equal = std::equal(minutes.begin(), minutes.end(), plain->second.first.begin()) &&
                           std::equal(transfers.begin(), transfers.end(), plain->second.second.begin());
        state.counters["equal"] = equal ? 1 : 0;
        if (!equal)
            state.SkipWithError("the tables differ from the plain loop");
    }
}

} // namespace

BENCHMARK(BM_PlainClosure)->Arg(500)->Arg(1250)->Arg(2500)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FastClosure)->Arg(500)->Arg(1250)->Arg(2500)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
