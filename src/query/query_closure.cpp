// The closure of the travel-time and change tables.
//
// The pass loop visits (a, c) in order and takes for [a][c] the least [a][b] + [b][c] over b.
// While row a is worked on no other row changes, so the row is computed by relaxing from each b
// instead: first every b with the value [a][b] had before this row (it serves the c below b),
// then b in ascending order with its final value (it serves the c above b). Each [a][c] thus
// sees exactly the sums the pass loop gives it, and the tables come out equal, pass for pass.
//
// A triple whose two inputs are unchanged since it was last evaluated cannot change anything,
// so a later pass relaxes only from the cells that changed since: after the first pass these
// are few, and a pass costs a fraction of the first.

#include "query/query.h"

#include <algorithm>
#include <cstdint>
#include <functional>

namespace {

constexpr std::int16_t noMinutes = NoTravelTime;
constexpr std::uint8_t noChanges = NoTransfers;
constexpr std::int16_t noCandidate = INT16_MAX;

#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define KORVALIN_CLONES __attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default")))
#else
#define KORVALIN_CLONES
#endif

// candidate[c] = min(candidate[c], base + row[c]) for c in [from, to).
KORVALIN_CLONES void relaxMinutes(std::int16_t *candidate, const std::int16_t *row, std::int16_t base, int from,
                                  int to)
{
    for (int c = from; c < to; ++c) {
        const std::int16_t s = std::int16_t(base + row[c]);
        candidate[c] = s < candidate[c] ? s : candidate[c];
    }
}

// candidate[c] = min(candidate[c], [a][b] + row[c] + 1) for every reachable row[c], the count
// stopping at 254; step is [a][b] + 1.
KORVALIN_CLONES void relaxChanges(std::uint8_t *candidate, const std::uint8_t *row, unsigned step, int from, int to)
{
    for (int c = from; c < to; ++c) {
        const unsigned x = row[c];
        unsigned s = x + step;
        s = s > 254u ? 254u : s;
        s = x == noChanges ? unsigned(noChanges) : s;
        candidate[c] = std::uint8_t(s < candidate[c] ? s : candidate[c]);
    }
}

// The cells of one row that changed in one pass: their columns, or "many" once they are so many
// that relaxing over the whole row is cheaper than visiting them one by one.
struct RowChanges {
    std::vector<int> columns;
    bool many = false;
    void clear()
    {
        columns.clear();
        many = false;
    }
};

} // namespace

int CloseTravelTables(int N, std::vector<std::int16_t> &Minutes, std::vector<std::uint8_t> &Transfers,
                      const std::function<void(int Pass, int Row, int Rows)> &Progress)
{
    const int n = std::max(N, 0);
    const std::size_t stride = std::size_t(n);
    const std::size_t manyChanges = std::max<std::size_t>(16, stride / 8);
    std::vector<std::int16_t> oldMinutes(stride), candMinutes(stride);
    std::vector<std::uint8_t> oldChanges(stride), candChanges(stride);
    std::vector<RowChanges> previous(stride), current(stride);
    std::vector<char> changedBefore(stride, 0); // row a's cells that changed in the previous pass
    std::vector<char> changedNow(stride, 0);    // row a's cells changed in this pass

    auto minutesRow = [&](int r) { return Minutes.data() + std::size_t(r) * stride; };
    auto changesRow = [&](int r) { return Transfers.data() + std::size_t(r) * stride; };

    int passes = 0;
    bool changed = true;
    while (changed) {
        changed = false;
        ++passes;
        const bool firstPass = passes == 1;
        for (int a = 1; a < n; ++a) {
            if (Progress && (a & 63) == 1)
                Progress(passes, a, n - 1);
            std::int16_t *rowMinutes = minutesRow(a);
            std::uint8_t *rowChanges = changesRow(a);
            std::copy(rowMinutes, rowMinutes + stride, oldMinutes.begin());
            std::copy(rowChanges, rowChanges + stride, oldChanges.begin());
            std::fill(candMinutes.begin(), candMinutes.end(), noCandidate);
            std::fill(candChanges.begin(), candChanges.end(), noChanges);
            const RowChanges &before = previous[std::size_t(a)];
            std::fill(changedBefore.begin(), changedBefore.end(), char(before.many));
            for (int c : before.columns)
                changedBefore[std::size_t(c)] = 1;
            std::fill(changedNow.begin(), changedNow.end(), 0);
            RowChanges &mine = current[std::size_t(a)];
            mine.clear();

            // Relaxes from b over the columns [from, to): all of them when [a][b] changed since the
            // triples were last evaluated, else only those whose [b][c] changed since.
            auto relaxFrom = [&](int b, std::int16_t minutes, std::uint8_t changes, bool whole, int from, int to) {
                const bool minutesKnown = minutes < noMinutes;
                const bool changesKnown = changes != noChanges;
                if ((!minutesKnown && !changesKnown) || from >= to)
                    return;
                const RowChanges &since = b > a ? previous[std::size_t(b)] : current[std::size_t(b)];
                if (whole || since.many) {
                    if (minutesKnown)
                        relaxMinutes(candMinutes.data(), minutesRow(b), minutes, from, to);
                    if (changesKnown)
                        relaxChanges(candChanges.data(), changesRow(b), unsigned(changes) + 1u, from, to);
                    return;
                }
                const std::int16_t *minutesB = minutesRow(b);
                const std::uint8_t *changesB = changesRow(b);
                for (int c : since.columns) {
                    if (c < from || c >= to)
                        continue;
                    const std::size_t cell = std::size_t(c);
                    if (minutesKnown)
                        candMinutes[cell] = std::min(candMinutes[cell], std::int16_t(minutes + minutesB[cell]));
                    if (changesKnown && changesB[cell] != noChanges)
                        candChanges[cell] = std::min(
                            candChanges[cell], std::uint8_t(std::min(unsigned(changes) + changesB[cell] + 1u, 254u)));
                }
            };

            // b serves the c below it with the value [a][b] had when the row began.
            for (int b = 2; b < n; ++b)
                if (b != a)
                    relaxFrom(b, oldMinutes[std::size_t(b)], oldChanges[std::size_t(b)],
                              firstPass || changedBefore[std::size_t(b)], 1, b);
            // In ascending order each [a][b] is final when b is reached; it serves the c above b.
            for (int b = 1; b < n; ++b) {
                if (b == a)
                    continue;
                const std::size_t cell = std::size_t(b);
                const std::int16_t minutes = std::min(oldMinutes[cell], candMinutes[cell]);
                const std::uint8_t changes = std::min(oldChanges[cell], candChanges[cell]);
                if (minutes != oldMinutes[cell] || changes != oldChanges[cell]) {
                    if (minutes != oldMinutes[cell])
                        changed = true;
                    rowMinutes[cell] = minutes;
                    rowChanges[cell] = changes;
                    changedNow[cell] = 1;
                    if (!mine.many) {
                        mine.columns.push_back(b);
                        if (mine.columns.size() > manyChanges) {
                            mine.columns.clear();
                            mine.many = true;
                        }
                    }
                }
                relaxFrom(b, minutes, changes, firstPass || changedNow[cell], b + 1, n);
            }
        }
        std::swap(previous, current);
        for (RowChanges &row : current)
            row.clear();
    }
    return passes;
}
