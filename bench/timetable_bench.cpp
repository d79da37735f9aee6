#include "app/edit_timetable_model.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int StopRows = 60;

// A grid of StopRows stops whose trips left of the typed column all run every 10 minutes
// with 3 minutes between stops.
void fillTrips(TimeTableModel &model, int trips)
{
    model.sgTimeTable.setRowCount(TimeTableModel::FirstStopRow + StopRows);
    for (int s = 0; s < StopRows; ++s)
        model.sgTimeTable.setCell(1, TimeTableModel::FirstStopRow + s, QStringLiteral("Stop %1").arg(s + 1));
    for (int t = 0; t < trips; ++t)
        for (int s = 0; s < StopRows; ++s)
            model.sgTimeTable.setCell(TimeTableModel::FirstTripCol + t, TimeTableModel::FirstStopRow + s,
                                      MinutesToTime(300 + t * 10 + s * 3));
}

// Types a whole trip column the way users do: the first stop as a full time, the others as
// minutes only or as minutes added, each cell interpreted as the cursor leaves it.
void interpretColumn(benchmark::State &state, int col)
{
    TimeTableModel model;
    fillTrips(model, col - TimeTableModel::FirstTripCol);
    QStringList entries{QStringLiteral("1705")};
    for (int s = 1; s < StopRows; ++s)
        entries << (s % 2 ? QStringLiteral("+3") : QString::number((5 + s * 3) % 60));
    for (auto _ : state) {
        for (int s = 0; s < StopRows; ++s) {
            const int row = TimeTableModel::FirstStopRow + s;
            model.sgTimeTable.setCurrent(col, row);
            model.sgTimeTable.setCell(col, row, entries[s]);
            if (!model.InterpretCell())
                state.SkipWithError("entry refused");
        }
        benchmark::DoNotOptimize(model.sgTimeTable.cell(col, TimeTableModel::FirstStopRow + StopRows - 1));
    }
}

void BM_InterpretColumnAfter100Trips(benchmark::State &state)
{
    interpretColumn(state, 101);
}

void BM_InterpretLastColumnOfFullGrid(benchmark::State &state)
{
    interpretColumn(state, TimeTableModel::ColCount - 1);
}

// A copy entry in the first stop fills the whole column from an earlier trip at once.
void BM_CopyTripIntoFullColumn(benchmark::State &state)
{
    TimeTableModel model;
    fillTrips(model, 100);
    const int col = 102;
    model.sgTimeTable.setCell(col, TimeTableModel::FirstStopRow, QStringLiteral("17:05"));
    for (auto _ : state) {
        model.FillDone = false;
        model.sgTimeTable.setCurrent(col, TimeTableModel::FirstStopRow + 1);
        model.sgTimeTable.setCell(col, TimeTableModel::FirstStopRow + 1, QStringLiteral("=1"));
        model.InterpretCell();
        if (!model.FillDone)
            state.SkipWithError("copy refused");
    }
}

} // namespace

BENCHMARK(BM_InterpretColumnAfter100Trips)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InterpretLastColumnOfFullGrid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyTripIntoFullColumn)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
