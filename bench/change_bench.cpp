// A station delete that rewrites 24 files as one change, with its commit: a hub station on 11
// lines, each line with one timetable of 50 trips over 21 stop rows. The counters give the disk
// syncs the change makes (file data and folders).
#include "data/data_module_1.h"
#include "data/db_delete.h"
#include "data/db_func.h"
#include "data/main_globals.h"
#include "platform/ansi.h"
#include "platform/file_change.h"
#include "platform/file_stamps.h"
#include "support/ptf_lines.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

constexpr int Lines = 11;
constexpr int StopsPerLine = 20; // besides the hub
constexpr int Trips = 50;

// The project's files, written once; every round works on a fresh copy.
void makeTemplate(const QString &dir)
{
    QStringList stations{QStringLiteral("1,\"Hub\"")};
    QStringList lines, lineStations, connections;
    int next = 2;
    for (int line = 1; line <= Lines; ++line) {
        lines << QStringLiteral("%1,\"Line %1\"").arg(line);
        connections << QStringLiteral("%1,%1,1,1").arg(line);
        QList<int> stops{1};
        for (int s = 0; s < StopsPerLine; ++s) {
            stations << QStringLiteral("%1,\"Station %1\"").arg(next);
            stops << next++;
        }
        QStringList stopRows;
        for (int p = 0; p < stops.size(); ++p) {
            lineStations << QStringLiteral("%1,%2,%3").arg(line).arg(p + 1).arg(stops[p]);
            stopRows << QStringLiteral("%1,1,1,%2").arg(stops[p]).arg(p + 1);
        }
        ansi::writeLines(dir + QStringLiteral("/ttc_%1.ptf").arg(line),
                         ptfLines({"StationID", "DayGroupID", "Direction", "Position"}, stopRows));
        QStringList columns{"ID"};
        for (int p = 1; p <= stops.size(); ++p)
            columns << QString::number(p);
        QStringList trips;
        for (int k = 0; k < Trips; ++k) {
            QStringList cells{QString::number(k + 1)};
            for (int p = 0; p < stops.size(); ++p)
                cells << QString::number(300 + 10 * k + 2 * p);
            trips << cells.join(QLatin1Char(','));
        }
        ansi::writeLines(dir + QStringLiteral("/tt_%1.ptf").arg(line), ptfLines(columns, trips));
    }
    ansi::writeLines(dir + QStringLiteral("/stations.ptf"), ptfLines({"ID", "Station"}, stations));
    ansi::writeLines(dir + QStringLiteral("/lines.ptf"), ptfLines({"ID", "Line"}, lines));
    ansi::writeLines(dir + QStringLiteral("/line_stations.ptf"),
                     ptfLines({"LineID", "LineStationNumber", "StationID"}, lineStations));
    ansi::writeLines(dir + QStringLiteral("/line_connections.ptf"),
                     ptfLines({"ID", "LineID", "DayGroupID", "Direction"}, connections));
    ansi::writeLines(dir + QStringLiteral("/daygroups.ptf"),
                     ptfLines({"ID", "Group", "Days", "Text"}, {"1,\"Mo-Fr\",\"12345\",\"Werktags\""}));
    ansi::writeLines(dir + QStringLiteral("/intervals.ptf"), ptfLines({"ID", "Interval"}, {"2,10"}));
}

// A fresh copy of the template, opened: its tables loaded as the program loads them.
bool openCopy(const QString &from, QTemporaryDir &copy)
{
    if (!copy.isValid())
        return false;
    for (const QString &name : QDir(from).entryList(QDir::Files)) {
        if (!QFile::copy(from + QLatin1Char('/') + name, copy.filePath(name)))
            return false;
    }
    ProjectDir = copy.path();
    LoadStations();
    LoadLines();
    LoadNewStations();
    LoadLineStations();
    LoadLineConnections();
    LoadIntervals();
    LoadDayGroups(copy.filePath(QStringLiteral("daygroups.ptf")));
    return true;
}

struct SyncCount {
    int files = 0;
    int folders = 0;
    int changedFiles = 0;
};
SyncCount g_count;

bool countSyncs(const FileChange::DiskCall &call)
{
    if (call.kind == FileChange::DiskCall::SyncFile)
        ++g_count.files;
    else if (call.kind == FileChange::DiskCall::SyncFolder)
        ++g_count.folders;
    else if (call.kind == FileChange::DiskCall::Rename && call.target.endsWith(QLatin1String(".ptf")))
        ++g_count.changedFiles;
    return true;
}

QString g_template;

void BM_StationDelete(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir copy;
        if (!openCopy(g_template, copy)) {
            state.SkipWithError("the project could not be copied");
            return;
        }
        g_count = {};
        FileChange::setDiskRecorder(&countSyncs);
        state.ResumeTiming();
        const bool deleted = DeleteStation(1);
        state.PauseTiming();
        FileChange::setDiskRecorder(nullptr);
        if (!deleted) {
            state.SkipWithError("the station was not deleted");
            return;
        }
        state.ResumeTiming();
    }
    state.counters["file_syncs"] = g_count.files;
    state.counters["folder_syncs"] = g_count.folders;
    state.counters["files_replaced"] = g_count.changedFiles;
}
BENCHMARK(BM_StationDelete)->Unit(benchmark::kMillisecond);

// A save of one file in a project of which this copy read the given number of files: the change
// compares every one of them with the disk under its lock before its first write. A metro of 300
// stations on 20 lines, with a timetable per line, day group and direction, reads some 150 files.
void BM_SaveCheckingEveryFileRead(benchmark::State &state)
{
    QTemporaryDir dir;
    const int files = int(state.range(0));
    for (int i = 0; i < files; ++i) {
        const QString path = dir.filePath(QStringLiteral("tt_%1.ptf").arg(i));
        ansi::writeLines(path, ptfLines({"ID", "1"}, {"1,300"}));
        FileStamps::noteRead(path);
    }
    for (auto _ : state) {
        FileChange change(dir.path());
        if (!change.write(dir.filePath(QStringLiteral("stations.ptf")), "1") || !change.commit()) {
            state.SkipWithError(qPrintable(change.lastError()));
            return;
        }
    }
    FileStamps::forgetAll();
}
BENCHMARK(BM_SaveCheckingEveryFileRead)->Arg(0)->Arg(150)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

// The comparison alone, every file read against the disk.
void BM_CompareEveryFileRead(benchmark::State &state)
{
    QTemporaryDir dir;
    for (int i = 0; i < int(state.range(0)); ++i) {
        const QString path = dir.filePath(QStringLiteral("tt_%1.ptf").arg(i));
        ansi::writeLines(path, ptfLines({"ID", "1"}, {"1,300"}));
        FileStamps::noteRead(path);
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(FileStamps::firstChangedUnder(dir.path()));
    FileStamps::forgetAll();
}
BENCHMARK(BM_CompareEveryFileRead)->Arg(150)->Arg(5000)->Unit(benchmark::kMicrosecond);

// A journal of nearly 16 MiB judged on opening: one that names one file again and again (0), one
// of distinct files whose every line reads (1), and one that says again and again that its one
// file was removed (2).
void BM_JudgeLargeJournal(benchmark::State &state)
{
    QTemporaryDir dir;
    QByteArray journal = "KORVALIN-CHANGE 1\n";
    const qint64 limit = 16 * 1024 * 1024 - 100;
    if (state.range(0) == 2)
        journal += "new\tb.ptf\tb.ptf.korvalin-new\n";
    for (int i = 0; journal.size() < limit; ++i) {
        const QByteArray name = state.range(0) == 1 ? "f" + QByteArray::number(i) + ".ptf" : QByteArray("b.ptf");
        const QByteArray line = state.range(0) == 2 ? QByteArray("gone\tb.ptf\n")
                                                    : "new\t" + name + "\t" + name + ".korvalin-new\n";
        if (journal.size() + line.size() > limit)
            break;
        journal += line;
    }
    for (auto _ : state) {
        state.PauseTiming();
        QFile f(dir.filePath(FileChange::journalName()));
        if (!f.open(QIODevice::WriteOnly) || f.write(journal) != journal.size()) {
            state.SkipWithError("the journal could not be written");
            return;
        }
        f.close();
        state.ResumeTiming();
        const FileChange::Recovery r = FileChange::recoverFolder(dir.path());
        benchmark::DoNotOptimize(r.kind);
    }
    state.counters["bytes"] = double(journal.size());
}
BENCHMARK(BM_JudgeLargeJournal)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    dm1 = new Tdm1;
    QTemporaryDir templateDir;
    g_template = templateDir.path();
    makeTemplate(g_template);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete dm1;
    dm1 = nullptr;
    return 0;
}
