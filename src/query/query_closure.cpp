// The closure of the travel-time and change tables.
//
// The pass loop visits (a, c) in order and takes for [a][c] the least [a][b] + [b][c] over b.
// While row a is worked on no other row changes, so the row is computed by relaxing from each b
// instead: first every b with the value [a][b] had before this row (it serves the c below b),
// then b in ascending order with its final value (it serves the c above b). Each [a][c] thus
// sees exactly the sums the pass loop gives it, and the tables come out equal, pass for pass.
//
// A triple whose two inputs are unchanged since it was last evaluated cannot change anything,
// so a later pass relaxes only from the cells that changed since: once the tables settle these
// are few, and such a pass costs a fraction of the first.
//
// The rows are worked on in blocks, and the columns in strips that the block's candidates and a
// group of intermediate rows share in the caches: every intermediate row is read once per block,
// and a candidate is loaded and stored once per group of rows rather than per row.

#include "query/query.h"

#include <algorithm>
#include <cstdint>
#include <functional>

namespace {

constexpr std::int16_t noMinutes = NoTravelTime;
constexpr std::uint8_t noChanges = NoTransfers;
constexpr std::int16_t noCandidate = INT16_MAX;
// Rows of the table worked on together; intermediate rows relaxed from together; columns of one
// strip. A strip is a whole number of groups.
constexpr int blockRows = 32;
constexpr int groupRows = 8;
constexpr int stripColumns = 512;

// A relaxation that is not to be made: a base of 9999 minutes gives no sum below a table's value,
// and a change step of 255 with a limit of 0 gives 255 whatever the row holds.
constexpr std::int16_t skipMinutes = noMinutes;
constexpr std::uint8_t skipAdd = 255;

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

// [a][b] + x + 1 for a reachable count x, stopping at 254. Kept in bytes throughout: with
// add = changeStep([a][b]) and limit = 254 - add the sum is taken as min(x, limit) + add, which
// cannot pass 254, and an unreachable x (255) stays 255 through the final max, as every reachable
// sum is at least x.
inline std::uint8_t changeStep(std::uint8_t changes)
{
    return std::uint8_t(std::min(unsigned(changes) + 1u, 254u));
}

inline std::uint8_t changeSum(std::uint8_t x, std::uint8_t add, std::uint8_t limit)
{
    const std::uint8_t s = std::uint8_t((x < limit ? x : limit) + add);
    return s > x ? s : x;
}

// candidate[c] = min(candidate[c], [a][b] + row[c] + 1) for every reachable row[c] (changeSum).
KORVALIN_CLONES void relaxChanges(std::uint8_t *candidate, const std::uint8_t *row, std::uint8_t add,
                                  std::uint8_t limit, int from, int to)
{
    for (int c = from; c < to; ++c) {
        const std::uint8_t s = changeSum(row[c], add, limit);
        candidate[c] = s < candidate[c] ? s : candidate[c];
    }
}

// relaxMinutes from a group of rows at once, the candidate kept in a register across the group.
KORVALIN_CLONES void relaxMinutesGroup(std::int16_t *__restrict candidate, const std::int16_t *const *rows,
                                       const std::int16_t *base, int from, int to)
{
    const std::int16_t *r0 = rows[0], *r1 = rows[1], *r2 = rows[2], *r3 = rows[3];
    const std::int16_t *r4 = rows[4], *r5 = rows[5], *r6 = rows[6], *r7 = rows[7];
    const std::int16_t b0 = base[0], b1 = base[1], b2 = base[2], b3 = base[3];
    const std::int16_t b4 = base[4], b5 = base[5], b6 = base[6], b7 = base[7];
    for (int c = from; c < to; ++c) {
        std::int16_t m = candidate[c];
        m = std::min(m, std::int16_t(b0 + r0[c]));
        m = std::min(m, std::int16_t(b1 + r1[c]));
        m = std::min(m, std::int16_t(b2 + r2[c]));
        m = std::min(m, std::int16_t(b3 + r3[c]));
        m = std::min(m, std::int16_t(b4 + r4[c]));
        m = std::min(m, std::int16_t(b5 + r5[c]));
        m = std::min(m, std::int16_t(b6 + r6[c]));
        m = std::min(m, std::int16_t(b7 + r7[c]));
        candidate[c] = m;
    }
}

// relaxChanges from a group of rows at once.
KORVALIN_CLONES void relaxChangesGroup(std::uint8_t *__restrict candidate, const std::uint8_t *const *rows,
                                       const std::uint8_t *add, const std::uint8_t *limit, int from, int to)
{
    const std::uint8_t *r0 = rows[0], *r1 = rows[1], *r2 = rows[2], *r3 = rows[3];
    const std::uint8_t *r4 = rows[4], *r5 = rows[5], *r6 = rows[6], *r7 = rows[7];
    const std::uint8_t d0 = add[0], d1 = add[1], d2 = add[2], d3 = add[3];
    const std::uint8_t d4 = add[4], d5 = add[5], d6 = add[6], d7 = add[7];
    const std::uint8_t l0 = limit[0], l1 = limit[1], l2 = limit[2], l3 = limit[3];
    const std::uint8_t l4 = limit[4], l5 = limit[5], l6 = limit[6], l7 = limit[7];
    for (int c = from; c < to; ++c) {
        std::uint8_t m = candidate[c];
        m = std::min(m, changeSum(r0[c], d0, l0));
        m = std::min(m, changeSum(r1[c], d1, l1));
        m = std::min(m, changeSum(r2[c], d2, l2));
        m = std::min(m, changeSum(r3[c], d3, l3));
        m = std::min(m, changeSum(r4[c], d4, l4));
        m = std::min(m, changeSum(r5[c], d5, l5));
        m = std::min(m, changeSum(r6[c], d6, l6));
        m = std::min(m, changeSum(r7[c], d7, l7));
        candidate[c] = m;
    }
}

// relaxChangesGroup where no reachable sum can pass 254 (the caller knows the rows' largest
// counts) and no row is skipped (a skipped one is given a row of 255s): an unreachable count
// (255) wraps below itself and the max keeps it.
KORVALIN_CLONES void relaxChangesGroupUncapped(std::uint8_t *__restrict candidate, const std::uint8_t *const *rows,
                                               const std::uint8_t *add, int from, int to)
{
    const std::uint8_t *r0 = rows[0], *r1 = rows[1], *r2 = rows[2], *r3 = rows[3];
    const std::uint8_t *r4 = rows[4], *r5 = rows[5], *r6 = rows[6], *r7 = rows[7];
    const std::uint8_t d0 = add[0], d1 = add[1], d2 = add[2], d3 = add[3];
    const std::uint8_t d4 = add[4], d5 = add[5], d6 = add[6], d7 = add[7];
    auto sum = [](std::uint8_t x, std::uint8_t d) {
        const std::uint8_t s = std::uint8_t(x + d);
        return s > x ? s : x;
    };
    for (int c = from; c < to; ++c) {
        std::uint8_t m = candidate[c];
        m = std::min(m, sum(r0[c], d0));
        m = std::min(m, sum(r1[c], d1));
        m = std::min(m, sum(r2[c], d2));
        m = std::min(m, sum(r3[c], d3));
        m = std::min(m, sum(r4[c], d4));
        m = std::min(m, sum(r5[c], d5));
        m = std::min(m, sum(r6[c], d6));
        m = std::min(m, sum(r7[c], d7));
        candidate[c] = m;
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
    // Per row of the block and intermediate row b: what the whole row b is relaxed with, or a skip;
    // a group's tail beyond the table is always a skip.
    const std::size_t baseStride = stride + std::size_t(groupRows);
    std::vector<std::int16_t> baseMinutes(std::size_t(blockRows) * baseStride, skipMinutes);
    std::vector<std::uint8_t> baseAdd(std::size_t(blockRows) * baseStride, skipAdd);
    std::vector<std::uint8_t> baseLimit(std::size_t(blockRows) * baseStride, 0);
    std::vector<RowChanges> previous(stride), current(stride);
    // Per row: no reachable count in it is larger, now or before (counts only fall once reached).
    std::vector<std::uint8_t> countBound(stride, 0);
    const std::vector<std::uint8_t> unreachableRow(stride, noChanges);
    for (std::size_t r = 0; r < stride; ++r)
        for (std::size_t c = 0; c < stride; ++c) {
            const std::uint8_t x = Transfers[r * stride + c];
            if (x != noChanges && x > countBound[r])
                countBound[r] = x;
        }

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

            // The block's rows take their intermediate rows b in three kinds. A row outside the
            // block is the same for all of them while the block is worked on: final for this pass
            // below the block, as the last pass left it above. A row of the block above a is
            // read as it was when the pass reached the block. A row of the block below a is
            // final only column by column as the block proceeds; it is taken cell by cell below.
            auto inBlock = [&](int b) { return b >= a0 && b < a1; };
            auto minutesFrom = [&](int b) {
                return inBlock(b) ? oldMinutes.data() + std::size_t(b - a0) * stride : minutesRow(b);
            };
            auto changesFrom = [&](int b) {
                return inBlock(b) ? oldChanges.data() + std::size_t(b - a0) * stride : changesRow(b);
            };
            // The cells of row b that changed since the block's rows last read it.
            auto changesSince = [&](int b) -> const RowChanges & {
                return b < a0 ? current[std::size_t(b)] : previous[std::size_t(b)];
            };

            // Sets what row a relaxes the whole row b with: [a][b], when row a reads row b whole
            // and [a][b] changed since the triples were last evaluated (or row b changed in many
            // cells); else only the cells of row b that changed since, one by one, right away.
            auto setBase = [&](int a, int b, std::int16_t minutes, std::uint8_t changes, bool whole, int from,
                               int to) {
                const std::size_t i = std::size_t(a - a0);
                const std::size_t base = i * baseStride + std::size_t(b);
                baseMinutes[base] = skipMinutes;
                baseAdd[base] = skipAdd;
                baseLimit[base] = 0;
                const bool reads = a != b && (!inBlock(b) || a < b);
                const bool minutesKnown = minutes < noMinutes;
                const bool changesKnown = changes != noChanges;
                if (!reads || (!minutesKnown && !changesKnown) || from >= to)
                    return;
                const RowChanges &since = changesSince(b);
                if (whole || since.many) {
                    if (minutesKnown)
                        baseMinutes[base] = minutes;
                    if (changesKnown) {
                        baseAdd[base] = changeStep(changes);
                        baseLimit[base] = std::uint8_t(254u - baseAdd[base]);
                    }
                    return;
                }
                std::int16_t *candM = candMinutes.data() + i * stride;
                std::uint8_t *candC = candChanges.data() + i * stride;
                const std::int16_t *minutesB = minutesFrom(b);
                const std::uint8_t *changesB = changesFrom(b);
                // A pass notes a row's cells in ascending order.
                auto c = std::lower_bound(since.columns.begin(), since.columns.end(), from);
                const auto end = std::lower_bound(c, since.columns.end(), to);
                if (minutesKnown)
                    for (auto at = c; at != end; ++at)
                        candM[*at] = std::min(candM[*at], std::int16_t(minutes + minutesB[*at]));
                if (changesKnown) {
                    const std::uint8_t add = changeStep(changes);
                    const std::uint8_t limit = std::uint8_t(254u - add);
                    for (auto at = c; at != end; ++at)
                        candC[*at] = std::min(candC[*at], changeSum(changesB[*at], add, limit));
                }
            };
            // Relaxes row a from the single row b over [from, to) with what setBase left for it.
            auto relaxRow = [&](int a, int b, int from, int to) {
                if (from >= to)
                    return;
                const std::size_t i = std::size_t(a - a0);
                const std::size_t base = i * baseStride + std::size_t(b);
                if (baseMinutes[base] < skipMinutes)
                    relaxMinutes(candMinutes.data() + i * stride, minutesFrom(b), baseMinutes[base], from, to);
                if (baseAdd[base] != skipAdd)
                    relaxChanges(candChanges.data() + i * stride, changesFrom(b), baseAdd[base], baseLimit[base], from,
                                 to);
            };
            // Relaxes every row of the block from the group of rows [g0, g0 + groupRows) over
            // [from, to).
            const std::int16_t *groupMinutes[groupRows];
            const std::uint8_t *groupChanges[groupRows];
            int groupIds[groupRows], slotIds[groupRows];
            const std::int16_t *slotMinutes[groupRows];
            const std::uint8_t *slotChanges[groupRows];
            std::int16_t slotBase[groupRows];
            std::uint8_t slotAdd[groupRows], slotLimit[groupRows];
            // Relaxes the candidates from a group of rows, uncapped where no sum can pass 254.
            auto relaxChangesFrom = [&](std::uint8_t *candidate, const std::uint8_t *const *rows, const int *rowIds,
                                        const std::uint8_t *add, const std::uint8_t *limit, int from, int to) {
                bool capped = false;
                const std::uint8_t *uncappedRows[groupRows];
                std::uint8_t uncappedAdd[groupRows];
                for (int g = 0; g < groupRows; ++g) {
                    const bool skip = add[g] == skipAdd;
                    capped |= !skip && unsigned(add[g]) + countBound[std::size_t(rowIds[g])] > 254u;
                    uncappedRows[g] = skip ? unreachableRow.data() : rows[g];
                    uncappedAdd[g] = skip ? 0 : add[g];
                }
                if (capped)
                    relaxChangesGroup(candidate, rows, add, limit, from, to);
                else
                    relaxChangesGroupUncapped(candidate, uncappedRows, uncappedAdd, from, to);
            };
            // Widens a group's columns to whole vectors, so that no short remainder is left to do one
            // by one. The columns it adds get only sums that change nothing: a column already final
            // ignores its candidate; any other gets a sum it gets anyway, or one from [a][b] as the
            // row began where it gets one from the final [a][b], which is no larger.
            auto widen = [n](int &from, int &to) {
                constexpr int vector = 64;
                const int wide = (to - from + vector - 1) / vector * vector;
                to = std::min(n, from + wide);
                from = std::max(0, to - wide);
            };
            auto relaxGroup = [&](int g0, int from, int to) {
                widen(from, to);
                for (int g = 0; g < groupRows; ++g) {
                    const int b = std::min(g0 + g, n - 1);
                    groupIds[g] = b;
                    groupMinutes[g] = minutesFrom(b);
                    groupChanges[g] = changesFrom(b);
                }
                for (int a = a0; a < a1; ++a) {
                    const std::size_t i = std::size_t(a - a0);
                    const std::size_t base = i * baseStride + std::size_t(g0);
                    bool anyMinutes = false, anyChanges = false;
                    for (int g = 0; g < groupRows; ++g) {
                        anyMinutes |= baseMinutes[base + std::size_t(g)] < skipMinutes;
                        anyChanges |= baseAdd[base + std::size_t(g)] != skipAdd;
                    }
                    if (anyMinutes)
                        relaxMinutesGroup(candMinutes.data() + i * stride, groupMinutes, baseMinutes.data() + base,
                                          from, to);
                    if (anyChanges)
                        relaxChangesFrom(candChanges.data() + i * stride, groupChanges, groupIds, baseAdd.data() + base,
                                         baseLimit.data() + base, from, to);
                }
            };

            // b serves the c below it with the value [a][b] had when the row began.
            for (int b = 1; b < n; ++b)
                for (int a = a0; a < a1; ++a) {
                    const std::size_t cell = std::size_t(a - a0) * stride + std::size_t(b);
                    setBase(a, b, oldMinutes[cell], oldChanges[cell], firstPass || changedBefore[cell], 1, b);
                }
            // A group serves the columns below its first row together; each row of it the
            // columns from there to itself alone.
            for (int g0 = 1; g0 < n; g0 += groupRows)
                for (int b = g0 + 1; b < std::min(g0 + groupRows, n); ++b)
                    for (int a = a0; a < a1; ++a)
                        relaxRow(a, b, g0, b);
            for (int c0 = 1; c0 < n; c0 += stripColumns) {
                const int c1 = std::min(c0 + stripColumns, n);
                for (int g0 = 1; g0 < n; g0 += groupRows)
                    if (g0 > c0)
                        relaxGroup(g0, c0, std::min(c1, g0));
            }

            // In ascending order each [a][b] is final when b is reached; it serves the c above b.
            // A strip first takes what the rows before it serve it; then each row of the block in
            // turn finishes it column by column, so that the block's rows below a are final over
            // the strip when row a takes them.
            for (int c0 = 1; c0 < n; c0 += stripColumns) {
                const int c1 = std::min(c0 + stripColumns, n);
                for (int g0 = 1; g0 < c0; g0 += groupRows)
                    relaxGroup(g0, c0, c1);
                for (int a = a0; a < a1; ++a) {
                    const std::size_t at = std::size_t(a - a0) * stride;
                    std::int16_t *rowMinutes = minutesRow(a);
                    std::uint8_t *rowChanges = changesRow(a);
                    std::int16_t *candM = candMinutes.data() + at;
                    std::uint8_t *candC = candChanges.data() + at;
                    // The block's row k below a serves the c below k with [a][k] as the row began,
                    // the c above k with its final value.
                    auto relaxFinished = [&](int k, std::int16_t minutes, std::uint8_t changes, int from, int to) {
                        if (from >= to)
                            return;
                        if (minutes < noMinutes)
                            relaxMinutes(candM, minutesRow(k), minutes, from, to);
                        if (changes != noChanges) {
                            const std::uint8_t add = changeStep(changes);
                            relaxChanges(candC, changesRow(k), add, std::uint8_t(254u - add), from, to);
                        }
                    };
                    for (int k = a0; k < a; ++k) {
                        const std::size_t cell = at + std::size_t(k);
                        if (k < c0)
                            relaxFinished(k, rowMinutes[k], rowChanges[k], c0, c1);
                        else
                            relaxFinished(k, oldMinutes[cell], oldChanges[cell], c0, std::min(c1, k));
                    }
                    // The strip's columns in groups: a group is finished column by column, each
                    // column serving the rest of the group alone, then serves the rest of the strip
                    // together.
                    for (int s0 = c0; s0 < c1; s0 += groupRows) {
                        const int s1 = std::min(s0 + groupRows, c1);
                        for (int g = 0; g < groupRows; ++g) {
                            const int b = std::min(s0 + g, s1 - 1);
                            slotIds[g] = b;
                            slotMinutes[g] = minutesFrom(b);
                            slotChanges[g] = changesFrom(b);
                            slotBase[g] = skipMinutes;
                            slotAdd[g] = skipAdd;
                            slotLimit[g] = 0;
                        }
                        for (int b = s0; b < s1; ++b) {
                            if (b == a)
                                continue;
                            const std::size_t cell = at + std::size_t(b);
                            const std::int16_t minutes = std::min(oldMinutes[cell], candM[b]);
                            const std::uint8_t changes = std::min(oldChanges[cell], candC[b]);
                            if (minutes != oldMinutes[cell] || changes != oldChanges[cell]) {
                                if (minutes != oldMinutes[cell])
                                    changed = true;
                                rowMinutes[b] = minutes;
                                rowChanges[b] = changes;
                                changedNow[cell] = 1;
                                if (changes != noChanges && changes > countBound[std::size_t(a)])
                                    countBound[std::size_t(a)] = changes;
                                RowChanges &mine = current[std::size_t(a)];
                                if (!mine.many) {
                                    mine.columns.push_back(b);
                                    if (mine.columns.size() > manyChanges) {
                                        mine.columns.clear();
                                        mine.many = true;
                                    }
                                }
                            }
                            const int g = b - s0;
                            if (inBlock(b) && b < a) {
                                // The block's rows below a are read whole and final, always.
                                slotMinutes[g] = minutesRow(b);
                                slotChanges[g] = changesRow(b);
                                if (minutes < noMinutes)
                                    slotBase[g] = minutes;
                                if (changes != noChanges) {
                                    slotAdd[g] = changeStep(changes);
                                    slotLimit[g] = std::uint8_t(254u - slotAdd[g]);
                                }
                            } else {
                                setBase(a, b, minutes, changes, firstPass || changedNow[cell], b + 1, n);
                                const std::size_t base = std::size_t(a - a0) * baseStride + std::size_t(b);
                                slotBase[g] = baseMinutes[base];
                                slotAdd[g] = baseAdd[base];
                                slotLimit[g] = baseLimit[base];
                            }
                            const std::int16_t base = slotBase[g];
                            if (base < skipMinutes) {
                                const std::int16_t *from = slotMinutes[g];
                                for (int c = b + 1; c < s1; ++c)
                                    candM[c] = std::min(candM[c], std::int16_t(base + from[c]));
                            }
                            const std::uint8_t add = slotAdd[g], limit = slotLimit[g];
                            if (add != skipAdd) {
                                const std::uint8_t *from = slotChanges[g];
                                for (int c = b + 1; c < s1; ++c)
                                    candC[c] = std::min(candC[c], changeSum(from[c], add, limit));
                            }
                        }
                        if (s1 < c1) {
                            int from = s1, to = c1;
                            widen(from, to);
                            bool anyMinutes = false, anyChanges = false;
                            for (int g = 0; g < groupRows; ++g) {
                                anyMinutes |= slotBase[g] < skipMinutes;
                                anyChanges |= slotAdd[g] != skipAdd;
                            }
                            if (anyMinutes)
                                relaxMinutesGroup(candM, slotMinutes, slotBase, from, to);
                            if (anyChanges)
                                relaxChangesFrom(candC, slotChanges, slotIds, slotAdd, slotLimit, from, to);
                        }
                    }
                }
            }
        }
        std::swap(previous, current);
        for (RowChanges &row : current)
            row.clear();
    }
    return passes;
}
