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
// Rows worked on together, so that each intermediate row is read once per block, not once per row.
constexpr int blockRows = 16;

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
// stopping at 254; step is [a][b] + 1. Kept in bytes throughout: the sum is taken as
// min(row[c], 254 - step) + step, which cannot pass 254, and an unreachable row[c] (255) stays
// 255 through the final max, as every reachable sum is at least row[c].
KORVALIN_CLONES void relaxChanges(std::uint8_t *candidate, const std::uint8_t *row, unsigned step, int from, int to)
{
    const std::uint8_t add = std::uint8_t(std::min(step, 254u));
    const std::uint8_t limit = std::uint8_t(254u - add);
    for (int c = from; c < to; ++c) {
        const std::uint8_t x = row[c];
        std::uint8_t s = std::uint8_t((x < limit ? x : limit) + add);
        s = s > x ? s : x;
        candidate[c] = s < candidate[c] ? s : candidate[c];
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
    const std::size_t blockCells = std::size_t(blockRows) * stride;
    // Per row of the block: its values when the pass reached it (also the old rows that the
    // block's earlier rows read), its candidates, and which of its cells changed.
    std::vector<std::int16_t> oldMinutes(blockCells), candMinutes(blockCells);
    std::vector<std::uint8_t> oldChanges(blockCells), candChanges(blockCells);
    std::vector<char> changedBefore(blockCells), changedNow(blockCells);
    std::vector<RowChanges> previous(stride), current(stride);

    auto minutesRow = [&](int r) { return Minutes.data() + std::size_t(r) * stride; };
    auto changesRow = [&](int r) { return Transfers.data() + std::size_t(r) * stride; };

    int passes = 0;
    bool changed = true;
    while (changed) {
        changed = false;
        ++passes;
        const bool firstPass = passes == 1;
        for (int a0 = 1; a0 < n; a0 += blockRows) {
            const int a1 = std::min(a0 + blockRows, n);
            if (Progress && (a0 - 1) % 64 == 0)
                Progress(passes, a0, n - 1);
            for (int a = a0; a < a1; ++a) {
                const std::size_t at = std::size_t(a - a0) * stride;
                std::copy(minutesRow(a), minutesRow(a) + stride, oldMinutes.begin() + std::ptrdiff_t(at));
                std::copy(changesRow(a), changesRow(a) + stride, oldChanges.begin() + std::ptrdiff_t(at));
                std::fill_n(candMinutes.begin() + std::ptrdiff_t(at), stride, noCandidate);
                std::fill_n(candChanges.begin() + std::ptrdiff_t(at), stride, noChanges);
                const RowChanges &before = previous[std::size_t(a)];
                std::fill_n(changedBefore.begin() + std::ptrdiff_t(at), stride, char(before.many));
                for (int c : before.columns)
                    changedBefore[at + std::size_t(c)] = 1;
                std::fill_n(changedNow.begin() + std::ptrdiff_t(at), stride, 0);
                current[std::size_t(a)].clear();
            }

            // Relaxes row a's candidates from b over the columns [from, to): all of them when
            // [a][b] changed since the triples were last evaluated, else only those whose [b][c]
            // changed since.
            auto relaxFrom = [&](int a, const std::int16_t *minutesB, const std::uint8_t *changesB,
                                 const RowChanges &since, std::int16_t minutes, std::uint8_t changes, bool whole,
                                 int from, int to) {
                const bool minutesKnown = minutes < noMinutes;
                const bool changesKnown = changes != noChanges;
                if ((!minutesKnown && !changesKnown) || from >= to)
                    return;
                const std::size_t at = std::size_t(a - a0) * stride;
                std::int16_t *candM = candMinutes.data() + at;
                std::uint8_t *candC = candChanges.data() + at;
                if (whole || since.many) {
                    if (minutesKnown)
                        relaxMinutes(candM, minutesB, minutes, from, to);
                    if (changesKnown)
                        relaxChanges(candC, changesB, unsigned(changes) + 1u, from, to);
                    return;
                }
                for (int c : since.columns) {
                    if (c < from || c >= to)
                        continue;
                    const std::size_t cell = std::size_t(c);
                    if (minutesKnown)
                        candM[cell] = std::min(candM[cell], std::int16_t(minutes + minutesB[cell]));
                    if (changesKnown && changesB[cell] != noChanges)
                        candC[cell] = std::min(candC[cell],
                                               std::uint8_t(std::min(unsigned(changes) + changesB[cell] + 1u, 254u)));
                }
            };

            // The block's rows take their intermediate rows b in three kinds. A row outside the
            // block is the same for all of them while the block is worked on: final for this pass
            // below the block, as the last pass left it above. A row of the block above a is
            // read as it was when the pass reached the block. A row of the block below a is
            // final only column by column as the block proceeds; it is taken cell by cell below.

            // b serves the c below it with the value [a][b] had when the row began.
            for (int b = 2; b < n; ++b) {
                const bool inBlock = b >= a0 && b < a1;
                const RowChanges &since = b < a0 ? current[std::size_t(b)] : previous[std::size_t(b)];
                const std::int16_t *minutesB =
                    inBlock ? oldMinutes.data() + std::size_t(b - a0) * stride : minutesRow(b);
                const std::uint8_t *changesB = inBlock ? oldChanges.data() + std::size_t(b - a0) * stride : changesRow(b);
                const int aEnd = inBlock ? b : a1;
                for (int a = a0; a < aEnd; ++a) {
                    const std::size_t cell = std::size_t(a - a0) * stride + std::size_t(b);
                    relaxFrom(a, minutesB, changesB, since, oldMinutes[cell], oldChanges[cell],
                              firstPass || changedBefore[cell], 1, b);
                }
            }

            // In ascending order each [a][b] is final when b is reached; it serves the c above b.
            for (int b = 1; b < n; ++b) {
                for (int a = a0; a < a1; ++a) {
                    if (a == b)
                        continue;
                    const std::size_t at = std::size_t(a - a0) * stride;
                    const std::size_t cell = at + std::size_t(b);
                    std::int16_t minutes = std::min(oldMinutes[cell], candMinutes[cell]);
                    std::uint8_t changes = std::min(oldChanges[cell], candChanges[cell]);
                    // The block's rows below a, final at column b by now: [a][k] serves [a][b]
                    // as the value it had when the row began for k above b, final for k below.
                    for (int k = a0; k < a; ++k) {
                        if (k == b)
                            continue;
                        const std::size_t ak = std::size_t(k);
                        const std::int16_t minutesAK = k < b ? minutesRow(a)[ak] : oldMinutes[at + ak];
                        const std::uint8_t changesAK = k < b ? changesRow(a)[ak] : oldChanges[at + ak];
                        const std::size_t kb = std::size_t(k) * stride + std::size_t(b);
                        if (minutesAK < noMinutes)
                            minutes = std::min(minutes, std::int16_t(minutesAK + Minutes[kb]));
                        if (changesAK != noChanges && Transfers[kb] != noChanges)
                            changes = std::min(changes,
                                               std::uint8_t(std::min(unsigned(changesAK) + Transfers[kb] + 1u, 254u)));
                    }
                    if (minutes != oldMinutes[cell] || changes != oldChanges[cell]) {
                        if (minutes != oldMinutes[cell])
                            changed = true;
                        minutesRow(a)[b] = minutes;
                        changesRow(a)[b] = changes;
                        changedNow[cell] = 1;
                        RowChanges &mine = current[std::size_t(a)];
                        if (!mine.many) {
                            mine.columns.push_back(b);
                            if (mine.columns.size() > manyChanges) {
                                mine.columns.clear();
                                mine.many = true;
                            }
                        }
                    }
                }
                const bool inBlock = b >= a0 && b < a1;
                const RowChanges &since = b < a0 ? current[std::size_t(b)] : previous[std::size_t(b)];
                const std::int16_t *minutesB =
                    inBlock ? oldMinutes.data() + std::size_t(b - a0) * stride : minutesRow(b);
                const std::uint8_t *changesB = inBlock ? oldChanges.data() + std::size_t(b - a0) * stride : changesRow(b);
                const int aEnd = inBlock ? b : a1;
                for (int a = a0; a < aEnd; ++a) {
                    const std::size_t cell = std::size_t(a - a0) * stride + std::size_t(b);
                    relaxFrom(a, minutesB, changesB, since, minutesRow(a)[b], changesRow(a)[b],
                              firstPass || changedNow[cell], b + 1, n);
                }
            }
        }
        std::swap(previous, current);
        for (RowChanges &row : current)
            row.clear();
    }
    return passes;
}
