// The timetable editor on a timetable of 200 trips and 60 stop rows: the load behind "Edit
// Timetable" and the save behind "Save changes", each with all its file reads and writes. The
// save includes its change's commit: the journal, the kept old files, every file synced and
// renamed into place; its counters give the syncs of file data and of folders it makes.
#include "app/edit_timetable.h"
#include "data/data_module_1.h"
#include "data/main_globals.h"
#include "platform/ansi.h"
#include "platform/file_change.h"
#include "support/ptf_lines.h"

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int Trips = 200;
constexpr int StopRows = 60; // 59 stations, the 30th standing twice

void appendRow(Table &t, const QVariantList &values)
{
    t.append();
    for (int i = 0; i < values.size(); ++i)
        t.field(i).setValue(values[i]);
    t.post();
}

// Line 1 with its stations, day group 1, line connection 1 and its files in the folder.
void makeProject(const QString &dir)
{
    ProjectDir = dir;
    ProjectFileName = dir + QStringLiteral("/bench.ppr");
    Tdm1 &dm = *dm1;
    for (Table *t : {&dm.cdsStations, &dm.cdsLines, &dm.cdsLineStations, &dm.cdsDayGroups, &dm.cdsLineConnections,
                     &dm.cdsIntervals})
        t->createDataSet();
    QVector<int> stopStations;
    for (int s = 1; s <= StopRows - 1; ++s) {
        appendRow(dm.cdsStations, {s, QStringLiteral("Station %1").arg(s)});
        appendRow(dm.cdsLineStations, {1, s, s});
        stopStations << s;
        if (s == 30)
            stopStations << s;
    }
    appendRow(dm.cdsLines, {1, QStringLiteral("Line 1")});
    appendRow(dm.cdsDayGroups, {1, QStringLiteral("Weekdays"), QStringLiteral("12345"), QStringLiteral("Mo-Fr")});
    appendRow(dm.cdsLineConnections, {1, 1, 1, 1});
    appendRow(dm.cdsIntervals, {2, 10});
    for (Table *t : dm.tables())
        t->close();

    QStringList stopRows;
    for (int p = 0; p < StopRows; ++p)
        stopRows << QStringLiteral("%1,1,1,%2").arg(stopStations[p]).arg(p + 1);
    ansi::writeLines(dir + QStringLiteral("/ttc_1.ptf"),
                     ptfLines({"StationID", "DayGroupID", "Direction", "Position"}, stopRows));
    QStringList columns{"ID"};
    for (int p = 1; p <= StopRows; ++p)
        columns << QString::number(p);
    QStringList trips;
    for (int k = 0; k < Trips; ++k) {
        QStringList cells{QString::number(k + 1)};
        int minutes = 300 + 5 * k;
        for (int p = 0; p < StopRows; ++p) {
            if (k % 10 == 5 && p > 0 && p < StopRows - 1)
                cells << QStringLiteral("-2"); // every 10 minutes between the trips beside it
            else
                cells << QString::number(minutes);
            if (p != 29) // the doubled station: arrival and departure at the same time
                minutes += 2;
        }
        trips << cells.join(QLatin1Char(','));
    }
    ansi::writeLines(dir + QStringLiteral("/tt_1.ptf"), ptfLines(columns, trips));
}

TfmEditTimeTable *editor = nullptr;

void load()
{
    editor->findChild<QPushButton *>(QStringLiteral("btTimeTableEdit"))->click();
}

void BM_Load(benchmark::State &state)
{
    for (auto _ : state) {
        load();
        state.PauseTiming();
        editor->btCancelClick();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);

void BM_Save(benchmark::State &state)
{
    int fileSyncs = 0, folderSyncs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        load();
        fileSyncs = folderSyncs = 0;
        FileChange::setDiskRecorder([&](const FileChange::DiskCall &call) {
            fileSyncs += call.kind == FileChange::DiskCall::SyncFile;
            folderSyncs += call.kind == FileChange::DiskCall::SyncFolder;
            return true;
        });
        state.ResumeTiming();
        editor->btSaveClick();
        state.PauseTiming();
        FileChange::setDiskRecorder(nullptr);
        state.ResumeTiming();
    }
    state.counters["file_syncs"] = fileSyncs;
    state.counters["folder_syncs"] = folderSyncs;
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    dm1 = new Tdm1;
    makeProject(dir.path());
    editor = new TfmEditTimeTable;
    editor->show();
    // A save that the check or a failed write stopped would leave edit mode on and time nothing.
    load();
    editor->btSaveClick();
    if (!editor->findChild<QWidget *>(QStringLiteral("pTimeTableEdit"))->isHidden()) {
        qWarning("the timetable was not saved");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete editor;
    delete dm1;
    dm1 = nullptr;
    return 0;
}
