#include "app/timetable_io.h"

#include "app/timetable_cells.h"
#include "app/timetable_project.h"
#include "data/db_distances.h"
#include "data/db_func.h"
#include "data/prj_params.h"
#include "data/table_files.h"
#include "platform/ansi.h"
#include "platform/file_change.h"
#include "query/query.h"
#include "support/file_size_limit.h"

namespace {

// The editor's model and choice on the test project; trips and stops are counted from 1 as
// the user sees them (trip t in grid column t + 1, stop s in grid row s + 1).
class TimeTableIo : public ProjectFolder
{
protected:
    void SetUp() override
    {
        ProjectFolder::SetUp();
        fillTimeTableProject(m_module);
    }
    bool load(const QString &line, const QString &days, const QString &direction)
    {
        return LoadTimeTableGrid(m, c, line, days, direction);
    }
    void put(int trip, int stop, const QString &text) { m.sgTimeTable.setCell(trip + 1, stop + 1, text); }
    void setTrip(int trip, const QString &cells) { setTripCells(m.sgTimeTable, trip, cells); }
    QString trip(int t) const { return tripCells(m.sgTimeTable, t); }
    QString stations() const
    {
        QStringList names;
        for (int r = TimeTableModel::FirstStopRow; r < m.sgTimeTable.rowCount(); ++r)
            names << m.sgTimeTable.cell(0, r) + m.sgTimeTable.cell(1, r);
        return names.join(QLatin1Char('|'));
    }
    TimeTableSaveResult save() { return SaveTimeTableGrid(m, c); }
    QString connections() { return dumpRows(m_module.cdsLineConnections, {"ID", "LineID", "DayGroupID", "Direction"}); }

    TimeTableModel m;
    TimeTableChoice c;
};

TEST_F(TimeTableIo, ChoiceListsLinesWithStationsAndDayGroupsReversed)
{
    EXPECT_EQ(TimeTableLineNames(), QStringList({"Red", "Blue"}));
    EXPECT_EQ(TimeTableDayGroupNames(), QStringList({"Saturday", "Weekdays"}));
}

TEST_F(TimeTableIo, LoadFailuresNameTheirFile)
{
    EXPECT_FALSE(load("Yellow", "Weekdays", "1"));
    EXPECT_FALSE(load("Red", "", "1")); // a project without any day group
    EXPECT_EQ(m_dialogs.messages,
              QStringList({"Line-File lines.ptf not found", "Error: Day-Value not found (File daygroups.ptf)"}));
}

// New interval IDs: the larger of the row count + 2 and the highest ID + 1.
TEST_F(TimeTableIo, NewIntervalIdsNeverCollide)
{
    appendRows(m_module.cdsIntervals, {"ID", "Interval"}, {{3, 5}, {4, 20}});
    ASSERT_TRUE(load("Red", "Weekdays", "1"));
    setTrip(1, "06:00|30 Min|07:00");
    setTrip(2, "06:10|20 Min|07:10");
    EXPECT_EQ(save(), TimeTableSaveResult::Saved);
    EXPECT_EQ(projectText("intervals.ptf"), Header + "\"ID\",\"Interval\",\n3,5,\n4,20,\n5,30,\n2);\n");
    EXPECT_TRUE(projectText("tt_1.ptf").contains("\n1,360,-5,420,\n2,370,-4,430,\n"));
}

// "Save anyway" stores an invalid cell as no stop; the check's marks stay in the grid.
TEST_F(TimeTableIo, SaveAnywayStoresNoStopForInvalidCells)
{
    ASSERT_TRUE(load("Red", "Weekdays", "1"));
    setTrip(1, "06:00|junk|06:10");
    m_dialogs.answers = {DialogService::Answer::No};
    EXPECT_EQ(save(), TimeTableSaveResult::Declined);
    EXPECT_EQ(projectText("tt_1.ptf"), "<missing>");
    m_dialogs.answers = {DialogService::Answer::Yes};
    EXPECT_EQ(save(), TimeTableSaveResult::Saved);
    EXPECT_EQ(m_dialogs.questions, QStringList(2, "The timetable includes errors - Save anyway?"));
    EXPECT_TRUE(projectText("tt_1.ptf").contains("\n1,360,-1,370,\n"));
    EXPECT_EQ(projectText("distances.ini"), "[1]\ndistance1=1,9999,2,9999,3\ndistance2=1,3,10\nnewcross=1,3\n");
    ASSERT_TRUE(load("Red", "Weekdays", "1"));
    EXPECT_EQ(trip(1), "06:00|     |06:10");
}

// A trip cell without a value in a file from elsewhere loads as an empty cell; stop columns
// beyond the stop rows are ignored; more trips than columns widen the grid.
TEST_F(TimeTableIo, LoadReadsForeignFilesSafely)
{
    appendRows(m_module.cdsLineConnections, {"ID", "LineID", "DayGroupID", "Direction"}, {{4, 1, 1, 1}});
    writePtf(path("ttc_1.ptf"), {"StationID", "DayGroupID", "Direction", "Position"},
             {"1,1,1,1", "2,1,1,2", "3,1,1,3"});
    QStringList records;
    for (int k = 1; k <= 600; ++k)
        records << QStringLiteral("%1,%2,null,%3,999").arg(k).arg(300 + k).arg(k == 600 ? 1000 : 400);
    writePtf(path("tt_4.ptf"), {"ID", "1", "2", "3", "4"}, records);
    ASSERT_TRUE(load("Red", "Weekdays", "1"));
    EXPECT_EQ(m.sgTimeTable.colCount(), 602);
    EXPECT_EQ(m.sgTimeTable.rowCount(), 5);
    EXPECT_EQ(trip(1), "05:01|     |06:40");
    EXPECT_EQ(trip(600), "15:00|     |16:40");
    EXPECT_EQ(m.sgTimeTable.cell(601, 0), "600");
    EXPECT_EQ(save(), TimeTableSaveResult::Saved);
    EXPECT_TRUE(projectText("tt_4.ptf").contains("\n600,900,-1,1000,\n"));
}

// A stop row is its station's ID as loaded: a station that shares its name with another one
// listed earlier, and one that is no longer in stations.ptf, keep their IDs when the timetable
// is saved again. Rows: a new timetable (stops from the line) and a saved one (its stop rows).
TEST_F(TimeTableIo, StopRowsKeepTheirStationsWhateverTheirNames)
{
    for (const bool saved : {false, true}) {
        SCOPED_TRACE(saved ? "saved timetable" : "new timetable");
        if (saved) {
            appendRows(m_module.cdsLineConnections, {"ID", "LineID", "DayGroupID", "Direction"}, {{4, 1, 1, 1}});
            writePtf(path("ttc_1.ptf"), {"StationID", "DayGroupID", "Direction", "Position"},
                     {"1,1,1,1", "2,1,1,2", "3,1,1,3"});
            writePtf(path("tt_4.ptf"), {"ID", "1", "2", "3"}, {"1,300,305,310"});
        }
        Table &st = m_module.cdsStations;
        st.open();
        st.setIndexName("idxID");
        ASSERT_TRUE(st.findKey({2}));
        st.edit();
        st.fieldByName("Station").setString("Market"); // as station 1
        st.post();
        ASSERT_TRUE(st.findKey({3}));
        st.remove();

        ASSERT_TRUE(load("Red", "Weekdays", "1"));
        setTrip(1, "06:00|06:05|06:10");
        m_dialogs.answers = {DialogService::Answer::Yes}; // a stop without a name is an error to save anyway
        ASSERT_EQ(save(), TimeTableSaveResult::Saved);
        const QString stops = projectText("ttc_1.ptf");
        EXPECT_TRUE(stops.contains("\n1,1,1,1,\n2,1,1,2,\n3,1,1,3,\n")) << stops.toStdString();
        EXPECT_FALSE(stops.contains("-1")) << stops.toStdString();

        // The next round starts from the project as it was.
        m_module.cdsLineConnections.open();
        m_module.cdsLineConnections.emptyDataSet();
        st.emptyDataSet();
        appendRows(st, {"ID", "Station"}, {{1, "Market"}, {2, "Church"}, {3, "Harbour"}, {4, "Mill"}, {5, "Bridge"}});
        for (const char *file : {"ttc_1.ptf", "tt_1.ptf", "tt_4.ptf", "line_connections.ptf", "distances.ini"})
            QFile::remove(path(file));
        takeFolderAsItIs();
    }
}

TEST_F(TimeTableIo, LoadNeverKeepsAnotherLinesStopRows)
{
    // Red's timetable is saved; Blue has a line connection but a damaged stop-row file.
    ASSERT_TRUE(load("Red", "Weekdays", "1"));
    setTrip(1, "06:00|06:05|06:10");
    ASSERT_EQ(save(), TimeTableSaveResult::Saved);
    appendRows(m_module.cdsLineConnections, {"ID", "LineID", "DayGroupID", "Direction"}, {{2, 2, 2, 1}});
    writePtf(path("ttc_2.ptf"), {"StationID", "DayGroupID", "Direction", "Position"}, {"4,2,1,1", "5,2,1,2,9"});
    m_dialogs.messages.clear();
    EXPECT_FALSE(load("Blue", "Weekdays", "1"));
    EXPECT_TRUE(m_dialogs.messages.contains("Error loading the file ttc_2.ptf!"));

    // A stored timetable without stop rows for its day group and direction.
    writePtf(path("ttc_2.ptf"), {"StationID", "DayGroupID", "Direction", "Position"}, {"4,1,1,1"});
    writePtf(path("tt_2.ptf"), {"ID", "1"}, {"1,300"});
    m_dialogs.messages.clear();
    EXPECT_FALSE(load("Blue", "Saturday", "1"));
    EXPECT_EQ(m_dialogs.messages, QStringList({"Error loading the timetable connection file ttc_2.ptf!"}));

    // A line without line connections starts with no stop rows at all.
    m_module.cdsLineConnections.open();
    m_module.cdsLineConnections.last();
    m_module.cdsLineConnections.remove();
    m_module.cdsLineConnections.close();
    ASSERT_TRUE(load("Blue", "Weekdays", "1"));
    setTrip(1, "07:00|07:05|07:10");
    ASSERT_EQ(save(), TimeTableSaveResult::Saved);
    EXPECT_EQ(projectText("ttc_2.ptf"), Header + "\"StationID\",\"DayGroupID\",\"Direction\",\"Position\",\n"
                                                 "2,1,1,2,\n4,1,1,1,\n5,1,1,3,\n4);\n");
}

// A stop-row file that could not be read is never written over, not even by the first
// timetable of a line whose earlier timetables were all deleted.
TEST_F(TimeTableIo, ADamagedStopRowFileOfALineWithoutTimetablesIsKept)
{
    writePtf(path("ttc_2.ptf"), {"StationID", "DayGroupID", "Direction", "Position"}, {"4,1,1,1", "2,1,1,2"});
    QByteArray cut = fileBytes(path("ttc_2.ptf"));
    cut.chop(8);
    writeFileBytes(path("ttc_2.ptf"), cut);
    EXPECT_FALSE(load("Blue", "Weekdays", "1"));
    ASSERT_FALSE(m_dialogs.messages.isEmpty());
    EXPECT_TRUE(m_dialogs.messages.join('\n').contains("ttc_2.ptf")) << m_dialogs.messages.join('\n').toStdString();
    EXPECT_EQ(fileBytes(path("ttc_2.ptf")), cut);
    EXPECT_EQ(projectText("line_connections.ptf"), "<missing>");
}

// A table the timetable shares with others (the line connections, the intervals, the stations
// that name its stop rows, the line's stations) found damaged after the timetable was opened
// stops its save before the first write.
TEST_F(TimeTableIo, ASharedTableDamagedSinceTheLoadStopsTheSave)
{
    const std::pair<const char *, Table *> shared[] = {{"line_connections.ptf", &m_module.cdsLineConnections},
                                                       {"intervals.ptf", &m_module.cdsIntervals},
                                                       {"stations.ptf", &m_module.cdsStations},
                                                       {"line_stations.ptf", &m_module.cdsLineStations}};
    for (const auto &[name, table] : shared) {
        const QString file = QLatin1String(name);
        SCOPED_TRACE(file.toStdString());
        // The table's rows on disk, to be read back once the damage is gone.
        ASSERT_TRUE(SavePtfFile(path(file), QLatin1Char('"'), *table));
        const QByteArray original = fileBytes(path(file));
        ASSERT_TRUE(load("Red", "Weekdays", "1"));
        setTrip(1, "06:00|10 Min|07:00");
        writeFileBytes(path(file), "/* Portable Table Format 1.0 */\r\n");
        takeFolderAsItIs();
        EXPECT_FALSE(LoadPtfFile(path(file), *table));
        const QStringList before = folderEntries(ProjectDir);
        m_dialogs.messages.clear();
        EXPECT_EQ(save(), TimeTableSaveResult::Failed);
        EXPECT_EQ(m_dialogs.messages, QStringList{DamagedFileMessage(path(file))});
        EXPECT_EQ(folderEntries(ProjectDir), before);
        EXPECT_EQ(fileBytes(path(file)), QByteArray("/* Portable Table Format 1.0 */\r\n"));
        writeFileBytes(path(file), original);
        takeFolderAsItIs();
        ASSERT_TRUE(LoadPtfFile(path(file), *table));
    }
}

TEST_F(TimeTableIo, PendingEntryIsEndedBeforeSaving)
{
    ASSERT_TRUE(load("Red", "Weekdays", "1"));
    put(1, 2, "08:00");
    m.KeyPress(QLatin1Char('7'));
    put(1, 1, "7:5");
    EXPECT_EQ(save(), TimeTableSaveResult::Saved);
    EXPECT_TRUE(projectText("tt_1.ptf").contains("\n1,470,480,-1,\n"));

    // A refused entry refuses the save, with the beep, and writes nothing.
    const QString before = projectText("tt_1.ptf");
    m.KeyPress(QLatin1Char('x'));
    put(1, 2, "x");
    m.sgTimeTable.setCurrent(2, 3);
    EXPECT_EQ(save(), TimeTableSaveResult::Declined);
    EXPECT_EQ(m_dialogs.beeps, 1);
    EXPECT_EQ(projectText("tt_1.ptf"), before);
}

// Every failed write leaves the files in step and the connection table as the file is.
TEST_F(TimeTableIo, FailedSavesLeaveTheFilesInStep)
{
    ASSERT_TRUE(load("Red", "Weekdays", "1"));
    setTrip(1, "06:00|10 Min|06:30");

    blockFile("line_connections.ptf");
    EXPECT_EQ(save(), TimeTableSaveResult::Failed);
    EXPECT_TRUE(messagesWithReasons({m_dialogs.messages.last()}, {"Error saving the lineconnections, file line_connections.ptf"}));
    EXPECT_EQ(connections(), "");
    unblockFile("line_connections.ptf");

    for (const QString file : {"intervals.ptf", "tt_1.ptf", "ttc_1.ptf"}) {
        blockFile(file);
        EXPECT_EQ(save(), TimeTableSaveResult::Failed) << file.toStdString();
        unblockFile(file);
        EXPECT_EQ(connections(), "") << file.toStdString();
        EXPECT_EQ(projectText("line_connections.ptf"), "<missing>"); // as before the save
        EXPECT_EQ(projectText("tt_1.ptf"), "<missing>");
        EXPECT_EQ(projectText("ttc_1.ptf"), "<missing>");
        EXPECT_TRUE(c.NewTimeTable);
    }
    EXPECT_TRUE(messagesWithReasons(m_dialogs.messages.mid(1), QStringList({"Error saving the interval-file intervals.ptf!",
                                                      "Error saving the timetable file tt_1.ptf",
                                                      "Error saving the timetable connection file ttc_1.ptf!"})));
    EXPECT_EQ(trip(1), "06:00|10 Min|06:30"); // the grid stays for another try

    // The distances fail last: the whole save is undone, the trip files and connection too.
    blockFile("distances.ini");
    EXPECT_EQ(save(), TimeTableSaveResult::Failed);
    EXPECT_TRUE(messagesWithReasons({m_dialogs.messages.last()}, {"Error saving the file distances.ini"}));
    unblockFile("distances.ini");
    EXPECT_EQ(connections(), "");
    EXPECT_EQ(projectText("line_connections.ptf"), "<missing>");
    EXPECT_EQ(projectText("tt_1.ptf"), "<missing>");
    EXPECT_TRUE(c.NewTimeTable);
    EXPECT_EQ(save(), TimeTableSaveResult::Saved);
    EXPECT_EQ(connections(), "1,1,1,1");
    EXPECT_TRUE(projectText("distances.ini").startsWith("[1]\n"));

    // The stop rows fail after the trips were written: the previous trip file comes back.
    const QString trips = projectText("tt_1.ptf");
    const QString stops = projectText("ttc_1.ptf");
    setTrip(1, "07:00|10 Min|07:30");
    QFile::remove(path("ttc_1.ptf"));
    blockFile("ttc_1.ptf");
    EXPECT_EQ(save(), TimeTableSaveResult::Failed);
    unblockFile("ttc_1.ptf");
    EXPECT_EQ(projectText("tt_1.ptf"), trips);
    EXPECT_EQ(dumpRows(m_module.cdsTimeTableConnections, {"StationID", "Position"}), "1,1 | 2,2 | 3,3");
    EXPECT_EQ(save(), TimeTableSaveResult::Saved);
    EXPECT_EQ(projectText("ttc_1.ptf"), stops);
    EXPECT_TRUE(projectText("tt_1.ptf").contains("\n1,420,-2,450,\n"));
}

// A full disk: the save fails, every file of the project keeps its bytes and no temporary
// file is left; with room again the same grid saves.
TEST_F(TimeTableIo, AFullDiskFailsTheSaveAndKeepsEveryFile)
{
    ASSERT_TRUE(load("Red", "Weekdays", "1"));
    setTrip(1, "06:00|06:10|06:20");
    ASSERT_EQ(save(), TimeTableSaveResult::Saved);
    const QStringList files = folderEntries(ProjectDir);
    QStringList before;
    for (const QString &f : files)
        before << projectText(f);

    m.sgTimeTable.setColCount(2 + 300);
    for (int t = 1; t <= 300; ++t)
        setTrip(t, QStringLiteral("%1|%2|%3").arg(MinutesToTime(300 + t), MinutesToTime(310 + t), MinutesToTime(320 + t)));
    const LimitedWrite w = writeWithFileSizeLimit(2048, [&](QString &reason) {
        m_dialogs.messages.clear();
        const bool saved = save() == TimeTableSaveResult::Saved;
        reason = m_dialogs.messages.join("|");
        return saved;
    });
    ASSERT_TRUE(w.ran);
    EXPECT_FALSE(w.result);
    // The one message names the file and why it could not be written.
    EXPECT_TRUE(w.reason.startsWith("Error saving the timetable file tt_1.ptf: ")) << w.reason.toStdString();
    EXPECT_FALSE(w.reason.contains('|')) << w.reason.toStdString();
    EXPECT_TRUE(w.reason.contains(fileTooLargeText(), Qt::CaseInsensitive)) << w.reason.toStdString();
    EXPECT_EQ(folderEntries(ProjectDir), files);
    for (int i = 0; i < files.size(); ++i)
        EXPECT_EQ(projectText(files[i]), before[i]) << files[i].toStdString();

    EXPECT_EQ(save(), TimeTableSaveResult::Saved);
    EXPECT_TRUE(projectText("tt_1.ptf").contains("\n300,600,610,620,\n"));
}

TEST_F(TimeTableIo, DeleteTimeTable)
{
    // Never saved: nothing to delete, nothing written.
    ASSERT_TRUE(load("Red", "Weekdays", "1"));
    EXPECT_TRUE(DeleteTimeTableOfGrid(c));
    EXPECT_TRUE(QDir(ProjectDir).entryList(QDir::Files).isEmpty());

    setTrip(1, "06:00|06:05|06:10");
    ASSERT_EQ(save(), TimeTableSaveResult::Saved);
    ASSERT_TRUE(load("Red", "Saturday", "1"));
    setTrip(1, "08:00|08:05|08:10");
    ASSERT_EQ(save(), TimeTableSaveResult::Saved);
    const QString lineConnections = projectText("line_connections.ptf");
    const QString distances = projectText("distances.ini");
    ASSERT_TRUE(load("Red", "Weekdays", "1"));

    // A missing file stops the delete before anything changes.
    QFile::rename(path("tt_1.ptf"), path("keep.ptf"));
    EXPECT_FALSE(DeleteTimeTableOfGrid(c));
    EXPECT_EQ(m_dialogs.messages.last(), "Timetable-File tt_1.ptf not found!");
    QFile::rename(path("keep.ptf"), path("tt_1.ptf"));
    QFile::rename(path("ttc_1.ptf"), path("keep.ptf"));
    EXPECT_FALSE(DeleteTimeTableOfGrid(c));
    EXPECT_EQ(m_dialogs.messages.last(), "Timetable-Connection-File " + path("ttc_1.ptf") + " not found!");
    QFile::rename(path("keep.ptf"), path("ttc_1.ptf"));

    // line_connections.ptf cannot be written: nothing changes.
    blockFile("line_connections.ptf");
    EXPECT_FALSE(DeleteTimeTableOfGrid(c));
    EXPECT_TRUE(messagesWithReasons({m_dialogs.messages.last()}, {"Error saving the lineconnections, file line_connections.ptf"}));
    unblockFile("line_connections.ptf");
    ASSERT_TRUE(QFile::exists(path("tt_1.ptf")));
    EXPECT_EQ(connections(), "1,1,1,1 | 2,1,2,1");
    EXPECT_EQ(projectText("distances.ini"), distances);
    EXPECT_FALSE(c.NewTimeTable);

    EXPECT_TRUE(DeleteTimeTableOfGrid(c));
    EXPECT_FALSE(QFile::exists(path("tt_1.ptf")));
    EXPECT_TRUE(QFile::exists(path("tt_2.ptf")));
    EXPECT_EQ(connections(), "1,null,null,null | 2,1,2,1");
    EXPECT_EQ(projectText("ttc_1.ptf"), Header + "\"StationID\",\"DayGroupID\",\"Direction\",\"Position\",\n"
                                                 "1,2,1,1,\n2,2,1,2,\n3,2,1,3,\n4);\n");
    EXPECT_FALSE(projectText("distances.ini").contains("[1]"));
    EXPECT_TRUE(projectText("distances.ini").contains("[2]"));
    EXPECT_NE(projectText("line_connections.ptf"), lineConnections);

    // Loaded again, it is a new timetable from the line's stations.
    ASSERT_TRUE(load("Red", "Weekdays", "1"));
    EXPECT_TRUE(c.NewTimeTable);
    EXPECT_EQ(stations(), "+Market|+Church|+Harbour");
    EXPECT_EQ(trip(1), "||");
}

TEST_F(TimeTableIo, PasteWorkBlock)
{
    ASSERT_TRUE(load("Red", "Weekdays", "1"));
    StringGrid work(4, 4);
    work.setCell(1, 1, " 06:00 ");
    work.setCell(1, 2, "06:05");
    work.setCell(1, 3, "06:10");
    work.setCell(2, 1, "07:00");
    work.setCell(2, 2, "junk");
    work.setCell(2, 3, "07:10");
    work.setCell(3, 1, "08:00");

    // An empty selection pastes nothing.
    work.setSelection({3, 2, 2, 3});
    EXPECT_FALSE(PasteWorkBlock(m, work));
    EXPECT_FALSE(m.TimeTableModified);

    // Clipped to the work grid and to the stop rows; the cursor goes to the column after it.
    m.sgTimeTable.setCurrent(2, 3);
    work.setSelection({1, 1, 9, 9});
    EXPECT_TRUE(PasteWorkBlock(m, work));
    EXPECT_EQ(trip(1), "|06:00|06:05");
    EXPECT_EQ(trip(2), "|07:00|junk");
    EXPECT_EQ(trip(3), "|08:00|");
    EXPECT_EQ(trip(4), "||");
    EXPECT_EQ(m.sgTimeTable.col(), 5);
    EXPECT_EQ(m.sgTimeTable.row(), 2);
    EXPECT_TRUE(m.TimeTableModified);

    // A refused move keeps the pasted text of the current cell, never another cell's.
    m.sgTimeTable.setCurrent(3, 2);
    work.setSelection({2, 2, 2, 2});
    EXPECT_TRUE(PasteWorkBlock(m, work));
    EXPECT_EQ(trip(2), "junk|07:00|junk");
    EXPECT_EQ(m.sgTimeTable.col(), 3);
    EXPECT_EQ(m_dialogs.beeps, 1);
    EXPECT_FALSE(m.SelectCell(4, 2));
    EXPECT_EQ(trip(2), "junk|07:00|junk");

    // At the last trip column the cursor stays there.
    m.sgTimeTable.setCell(3, 2, "");
    m.OldCellSaved = false;
    m.sgTimeTable.setCurrent(511, 2);
    work.setSelection({1, 1, 2, 1});
    EXPECT_TRUE(PasteWorkBlock(m, work));
    EXPECT_EQ(m.sgTimeTable.cell(511, 2), "06:00");
    EXPECT_EQ(m.sgTimeTable.col(), 511);
}

// Rules of the grid that the window relies on.
TEST_F(TimeTableIo, GridRulesBehindTheWindow)
{
    appendRows(m_module.cdsLineStations, {"LineID", "LineStationNumber", "StationID"}, {{1, 4, 3}, {1, 5, 1}});
    ASSERT_TRUE(load("Red", "Weekdays", "1"));
    EXPECT_EQ(stations(), "+Market|+Church|-Harbour|-Harbour|+Market");

    // The doubled station at a trip's end: equal texts empty the second row, texts that differ
    // only by blanks count as different.
    setTrip(1, "06:00|06:05|06:10|06:10|");
    setTrip(2, "07:00|07:05|07:10| 07:10|");
    const TimeTableModel::CheckResult check = m.CheckTimeTable();
    EXPECT_EQ(trip(1), "06:00|06:05|06:10||");
    EXPECT_EQ(trip(2), "07:00|07:05|07:10| 07*10|");
    EXPECT_EQ(check.errors, 1);
    EXPECT_EQ(check.corrections, 1);

    // A "-" click never removes the last stop row.
    m.sgTimeTable.setRowCount(TimeTableModel::FirstStopRow + 1);
    m.sgTimeTable.setCell(0, 2, "-");
    m.MarkerClick(2);
    EXPECT_EQ(m.sgTimeTable.rowCount(), 3);

    // A paste first ends the pending entry; a refused one refuses the paste.
    StringGrid work(2, 2);
    work.setCell(1, 1, "08:00");
    work.setSelection({1, 1, 1, 1});
    m.sgTimeTable.setCurrent(4, 2);
    m.KeyPress(QLatin1Char('x'));
    m.sgTimeTable.setCell(4, 2, "x");
    EXPECT_FALSE(PasteWorkBlock(m, work));
    EXPECT_EQ(m.sgTimeTable.cell(4, 2), "");
    EXPECT_EQ(m_dialogs.beeps, 1);
}

// A trip file as it may come from elsewhere, and whether it is a timetable.
struct OddTripFile {
    const char *name;
    QStringList columns;
    QString trip;
    bool timetable;
};

// The editor and the connection search judge one trip file alike: what the editor refuses to
// show gives no connection, and what it shows is searched with the same stop columns.
class TripFileJudgedAlike : public TimeTableIo, public ::testing::WithParamInterface<OddTripFile>
{
protected:
    void TearDown() override
    {
        closeQueryShowing();
        releaseQueryState();
        TimeTableIo::TearDown();
    }
    QString search()
    {
        closeQueryShowing(); // the trips are read anew
        openQueryShowing();
        return runConnectionQuery("Market", "Church", "Mo-Fr", 7 * 60);
    }
};

TEST_P(TripFileJudgedAlike, ByTheEditorsLoadAndTheSearch)
{
    ASSERT_TRUE(load("Red", "Weekdays", "1"));
    setTrip(1, "08:00|08:05|08:10");
    ASSERT_EQ(save(), TimeTableSaveResult::Saved);
    const QString found = "Red: Market to Church, departure: 08:00 arrival: 08:05";
    ASSERT_TRUE(search().contains(found));

    writePtf(path("tt_1.ptf"), GetParam().columns, {GetParam().trip});
    m_dialogs.messages.clear();
    EXPECT_EQ(load("Red", "Weekdays", "1"), GetParam().timetable);
    if (GetParam().timetable)
        EXPECT_EQ(trip(1), "08:00|08:05|08:10");
    else
        EXPECT_EQ(m_dialogs.messages, QStringList({"Error loading the timetable file tt_1.ptf!"}));
    EXPECT_EQ(search().contains(found), GetParam().timetable);
}

INSTANTIATE_TEST_SUITE_P(
    Files, TripFileJudgedAlike,
    ::testing::Values(OddTripFile{"AsWritten", {"ID", "1", "2", "3"}, "1,480,485,490", true},
                      OddTripFile{"ColumnsInAnotherOrder", {"ID", "2", "3", "1"}, "1,485,490,480", true},
                      OddTripFile{"AFurtherColumn", {"ID", "1", "2", "3", "4"}, "1,480,485,490,999", true},
                      OddTripFile{"ALaterStopColumnMissing", {"ID", "1", "2", "4"}, "1,480,485,490", false},
                      OddTripFile{"TooFewColumns", {"ID", "1", "2"}, "1,480,485", false},
                      OddTripFile{"ColumnsNotNumbered", {"ID", "A", "B", "C"}, "1,480,485,490", false}),
    [](const ::testing::TestParamInfo<OddTripFile> &info) { return std::string(info.param.name); });

// One trip of the Red line (Market 1, Church 2, Harbour 3) typed and saved: the cells its trip
// file stores and the section the save writes for it.
struct SavedTrip {
    const char *name;
    QString typed;
    QString stored;   // the trip's line in tt_1.ptf
    QString distances; // the section in distances.ini, without its header
};
void PrintTo(const SavedTrip &c, std::ostream *out) { *out << c.name; }

class TripSaved : public TimeTableIo, public ::testing::WithParamInterface<SavedTrip>
{
};

TEST_P(TripSaved, StoresItsMinutesAndItsShortestTimes)
{
    ASSERT_TRUE(load("Red", "Weekdays", "1"));
    setTrip(1, GetParam().typed);
    ASSERT_EQ(save(), TimeTableSaveResult::Saved);
    EXPECT_TRUE(m_dialogs.questions.isEmpty()) << m_dialogs.questions.join('|').toStdString();
    EXPECT_EQ(projectText("tt_1.ptf"), Header + "\"ID\",\"1\",\"2\",\"3\",\n" + GetParam().stored + "\n4);\n");
    EXPECT_EQ(projectText("distances.ini"), "[1]\n" + GetParam().distances);
    // The section is the one rebuilt from the saved files.
    ASSERT_TRUE(BuildDistances(1));
    EXPECT_EQ(projectText("distances.ini"), "[1]\n" + GetParam().distances);
}

INSTANTIATE_TEST_SUITE_P(
    Trips, TripSaved,
    ::testing::Values(
        SavedTrip{"EveryStop", "06:00|06:05|06:15", "1,360,365,375,", "distance1=1,5,2,10,3\nnewcross=1\n"},
        SavedTrip{"PastMidnight", "23:50|00:05|00:10", "1,1430,1445,1450,", "distance1=1,15,2,5,3\nnewcross=1\n"},
        // Two neighbouring stops served in the same minute: no day passes between them.
        SavedTrip{"SameMinuteAtTheFirstTwoStops", "06:00|06:00|06:10", "1,360,360,370,",
                  "distance1=1,0,2,10,3\nnewcross=1\n"},
        SavedTrip{"SameMinuteAtTheLastTwoStops", "06:00|06:10|06:10", "1,360,370,370,",
                  "distance1=1,10,2,0,3\nnewcross=1\n"},
        SavedTrip{"SameMinuteAfterMidnight", "23:55|00:05|00:05", "1,1435,1445,1445,",
                  "distance1=1,10,2,0,3\nnewcross=1\n"},
        SavedTrip{"SameMinuteAcrossAStopNotServed", "06:00||06:00", "1,360,-1,360,",
                  "distance1=1,9999,2,9999,3\ndistance2=1,3,0\nnewcross=1,3\n"}),
    [](const ::testing::TestParamInfo<SavedTrip> &info) { return std::string(info.param.name); });

} // namespace

namespace {

// A cell of a stored trip and what the editor shows for it.
struct StoredCell {
    const char *name;
    const char *value;
    const char *shown;
};

class StoredTripCell : public TimeTableIo, public ::testing::WithParamInterface<StoredCell>
{
};

// Intervals 2 (10 minutes) and 2147483647 (20 minutes) exist; a value that names no interval and
// no time of the two service days shows nothing.
TEST_P(StoredTripCell, ShowsATimeAnIntervalNoStopOrNothing)
{
    appendRows(m_module.cdsIntervals, {"ID", "Interval"}, {{2, 10}, {2147483647, 20}});
    appendRows(m_module.cdsLineConnections, {"ID", "LineID", "DayGroupID", "Direction"}, {{4, 1, 1, 1}});
    writePtf(path("ttc_1.ptf"), {"StationID", "DayGroupID", "Direction", "Position"},
             {"1,1,1,1", "2,1,1,2", "3,1,1,3"});
    writePtf(path("tt_4.ptf"), {"ID", "1", "2", "3"}, {QStringLiteral("1,360,%1,420").arg(GetParam().value)});
    ASSERT_TRUE(load("Red", "Weekdays", "1"));
    EXPECT_EQ(trip(1), QStringLiteral("06:00|%1|07:00").arg(QLatin1String(GetParam().shown)));
}

INSTANTIATE_TEST_SUITE_P(
    Values, StoredTripCell,
    ::testing::Values(StoredCell{"Interval", "-2", "10 Min"}, StoredCell{"HighestIntervalID", "-2147483647", "20 Min"},
                      StoredCell{"LowestValue", "-2147483648", ""}, StoredCell{"UnknownInterval", "-3", ""},
                      StoredCell{"NoStop", "-1", "     "}, StoredCell{"Midnight", "0", "00:00"},
                      StoredCell{"LastMinuteOfTheSecondDay", "2879", "23:59"},
                      StoredCell{"BeyondTheSecondDay", "2880", ""}, StoredCell{"HighestValue", "2147483647", ""}),
    [](const ::testing::TestParamInfo<StoredCell> &info) { return std::string(info.param.name); });

// The interval rows before a save that adds "7 Min", and the ID it is stored under.
struct NewInterval {
    const char *name;
    QList<QVariantList> rows;
    int id;
};

class NewIntervalID : public TimeTableIo, public ::testing::WithParamInterface<NewInterval>
{
};

// The trip cell holds minus the ID, so it must read back as that interval: an ID below 2 is never
// used for it, and no new ID runs past the largest a cell can hold.
TEST_P(NewIntervalID, IsOneACellCanName)
{
    appendRows(m_module.cdsIntervals, {"ID", "Interval"}, GetParam().rows);
    ASSERT_TRUE(load("Red", "Weekdays", "1"));
    setTrip(1, "06:00|7 Min|07:00");
    ASSERT_EQ(save(), TimeTableSaveResult::Saved);
    const int id = GetParam().id;
    EXPECT_TRUE(projectText("tt_1.ptf").contains(QStringLiteral("\n1,360,%1,420,\n").arg(-qint64(id))))
        << projectText("tt_1.ptf").toStdString();
    EXPECT_TRUE(projectText("intervals.ptf").contains(QStringLiteral("\n%1,7,\n").arg(id)))
        << projectText("intervals.ptf").toStdString();
    ASSERT_TRUE(load("Red", "Weekdays", "1"));
    EXPECT_EQ(trip(1), "06:00|7 Min|07:00");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, NewIntervalID,
    ::testing::Values(NewInterval{"NoRows", {}, 2}, NewInterval{"AfterTheHighest", {{3, 5}, {4, 20}}, 5},
                      NewInterval{"AfterTheRowCount", {{2, 5}, {-4, 20}, {0, 30}}, 5},
                      NewInterval{"SameMinutesUnderTheHighestID", {{2147483647, 7}}, 2147483647},
                      NewInterval{"LowestFreeWhenTheHighestIDIsTaken", {{2, 10}, {3, 15}, {2147483647, 20}}, 4},
                      NewInterval{"NotUnderIDZero", {{0, 7}}, 3}, NewInterval{"NotUnderIDOne", {{1, 7}}, 3},
                      NewInterval{"NotUnderTheLowestID", {{-2147483647 - 1, 7}}, 3}),
    [](const ::testing::TestParamInfo<NewInterval> &info) { return std::string(info.param.name); });


// The old bytes of one file the save rewrites cannot be kept: the save fails before it writes,
// and its message names that file as its write would have.
struct NotKept {
    const char *name;
    const char *file;
    const char *message;
};

void PrintTo(const NotKept &row, std::ostream *os)
{
    *os << row.file;
}

class TimeTableNotKept : public TimeTableIo, public ::testing::WithParamInterface<NotKept>
{
protected:
    void TearDown() override
    {
        FileChange::setDiskRecorder(nullptr);
        TimeTableIo::TearDown();
    }
};

TEST_P(TimeTableNotKept, TheMessageNamesTheFile)
{
    ASSERT_TRUE(load("Red", "Weekdays", "1"));
    setTrip(1, "06:00|10 Min|06:30");
    ASSERT_EQ(save(), TimeTableSaveResult::Saved);
    ASSERT_TRUE(load("Red", "Weekdays", "1"));
    setTrip(1, "07:00|10 Min|07:30");
    const QStringList files{"line_connections.ptf", "distances.ini", "ttc_1.ptf", "tt_1.ptf"};
    std::map<QString, QString> before;
    for (const QString &file : files)
        before[file] = projectText(file);
    // Neither as a second name nor as a copy renamed into place.
    const QString kept = QLatin1Char('/') + QLatin1String(GetParam().file) + QStringLiteral(".korvalin-old");
    FileChange::setDiskRecorder([&kept](const FileChange::DiskCall &call) {
        return !((call.kind == FileChange::DiskCall::Link || call.kind == FileChange::DiskCall::Rename) &&
                 call.target.endsWith(kept));
    });
    m_dialogs.messages.clear();
    EXPECT_EQ(save(), TimeTableSaveResult::Failed);
    FileChange::setDiskRecorder(nullptr);
    EXPECT_TRUE(messagesWithReasons(m_dialogs.messages, {QLatin1String(GetParam().message)}));
    for (const QString &file : files)
        EXPECT_EQ(projectText(file), before[file]) << file.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TimeTableNotKept,
    ::testing::Values(NotKept{"LineConnections", "line_connections.ptf",
                              "Error saving the lineconnections, file line_connections.ptf"},
                      NotKept{"Distances", "distances.ini", "Error saving the file distances.ini"},
                      NotKept{"StopRows", "ttc_1.ptf", "Error saving the timetable connection file ttc_1.ptf!"},
                      NotKept{"Trips", "tt_1.ptf", "Error saving the timetable file tt_1.ptf"}),
    [](const ::testing::TestParamInfo<NotKept> &info) { return std::string(info.param.name); });

} // namespace
