#include "data/db_func.h"

#include "data/project_change.h"
#include "plan_project.h"
#include "platform/ini_file.h"

#include <QRegularExpression>

#include <map>

namespace {

class Deletes : public PlanProject
{
protected:
    // The bytes of every file in the project folder, to see which ones a step wrote.
    std::map<QString, QByteArray> snapshot() const
    {
        std::map<QString, QByteArray> files;
        for (const QString &name : QDir(m_dir.path()).entryList(QDir::Files))
            files[name] = bytes(name);
        return files;
    }
    QStringList changedSince(const std::map<QString, QByteArray> &before) const
    {
        QStringList changed;
        const auto now = snapshot();
        for (const auto &[name, content] : before) {
            const auto it = now.find(name);
            if (it == now.end() || it->second != content)
                changed << name;
        }
        for (const auto &[name, content] : now)
            if (!before.count(name))
                changed << name;
        return changed;
    }
    QString distance1(int connection) const
    {
        return IniFile(path("distances.ini")).readString(QString::number(connection), "distance1");
    }
};

} // namespace

TEST_F(Deletes, StationStandingTwiceLeavesNothingThatRefersToIt)
{
    ASSERT_TRUE(DeleteStationByName("B"));
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join('\n').toStdString();

    EXPECT_EQ(rows("stations.ptf", {"ID"}), QStringList({"1", "3", "4", "5", "6"}));
    EXPECT_EQ(GetStationIDByName("B"), -1);
    // Both stops go; the later ones close up: C D F become 2 3 4.
    EXPECT_EQ(rows("line_stations.ptf", {"LineID", "LineStationNumber", "StationID"}),
              QStringList({"10,1,1", "10,2,3", "10,3,4", "10,4,6", "11,1,4", "11,2,1", "12,1,3", "12,2,6"}));
    EXPECT_EQ(rows("newstations.ptf", {"StationID"}), QStringList{"5"});
    // Every timetable of the line loses both columns.
    EXPECT_EQ(columns("tt_1.ptf"), QStringList({"ID", "1", "2", "3", "4"}));
    EXPECT_EQ(rows("tt_1.ptf", {"ID", "1", "2", "3", "4"}), QStringList({"1,480,490,495,505", "2,540,550,555,565"}));
    EXPECT_EQ(columns("tt_2.ptf"), QStringList({"ID", "1", "2", "3", "4"}));
    QStringList stopRows = rows("ttc_10.ptf", {"Direction", "Position", "StationID"});
    stopRows.sort();
    EXPECT_EQ(stopRows, QStringList({"1,1,1", "1,2,3", "1,3,4", "1,4,6", "2,1,6", "2,2,4", "2,3,3", "2,4,1"}));
    // The sections are those of the shortened timetables.
    const QString d1 = distance1(1), d2 = distance1(2);
    ASSERT_TRUE(BuildDistances(1) && BuildDistances(2));
    EXPECT_EQ(distance1(1), d1);
    EXPECT_EQ(distance1(2), d2);

    // Plans: rows of the station, its name placements (not the section placement numbered 2)
    // and its transfer-station row.
    EXPECT_EQ(rows("lms_1.ptf", {"LineID", "StationID"}),
              QStringList({"10,1", "10,3", "10,4", "10,6", "11,4", "11,1"}));
    EXPECT_EQ(rows("lms_2.ptf", {"LineID", "StationID"}), QStringList({"10,1", "12,3", "12,6"}));
    EXPECT_EQ(rows("lmisp_1.ptf", {"LineID", "IDType", "IDValue"}),
              QStringList({"10,0,4", "10,1,1", "11,0,1", "11,2,0"}));
    EXPECT_EQ(rows("lmisp_2.ptf", {"LineID", "IDType", "IDValue"}), QStringList({"10,1,2", "12,0,3"}));
    EXPECT_EQ(rows("lmimsp_1.ptf", {"StationID"}), QStringList({"1", "4"}));
}

TEST_F(Deletes, LineLeavesNothingThatRefersToIt)
{
    ASSERT_TRUE(DeleteLineByName("L1"));
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join('\n').toStdString();

    EXPECT_EQ(rows("lines.ptf", {"ID"}), QStringList({"11", "12"}));
    EXPECT_EQ(GetLineIDByName("L1"), -1);
    EXPECT_EQ(rows("line_stations.ptf", {"LineID"}), QStringList({"11", "11", "12", "12"}));
    EXPECT_EQ(rows("line_connections.ptf", {"ID", "LineID"}), QStringList({"3,11", "4,null"}));
    for (const char *gone : {"tt_1.ptf", "tt_2.ptf", "ttc_10.ptf"})
        EXPECT_FALSE(QFileInfo::exists(path(gone))) << gone;
    EXPECT_EQ(sections(), QStringList{"3"});
    EXPECT_EQ(rows("line_graphic.ptf", {"LineID"}), QStringList({"11", "12"}));

    EXPECT_EQ(rows("line_map_lines.ptf", {"LineMapID", "LineID"}), QStringList({"1,11", "2,12"}));
    EXPECT_EQ(rows("line_map_line_sections.ptf", {"LineMapID", "LineID"}), QStringList({"1,11", "2,12"}));
    EXPECT_EQ(rows("line_map_line_intersections.ptf", {"LineMapID", "LineID"}), QStringList({"1,11", "2,12"}));
    EXPECT_EQ(rows("line_map_line_text_visible.ptf", {"LineMapID", "LineID"}), QStringList{"1,11"});
    EXPECT_EQ(rows("line_map_line_text_color.ptf", {"LineMapID", "LineID"}), QStringList{"2,12"});
    EXPECT_EQ(rows("line_map_line_text_offset.ptf", {"LineMapID", "LineID"}), QStringList{"2,12"});
    EXPECT_EQ(rows("lms_1.ptf", {"LineID", "StationID"}), QStringList({"11,4", "11,1"}));
    EXPECT_EQ(rows("lms_2.ptf", {"LineID", "StationID"}), QStringList({"12,3", "12,6"}));
    EXPECT_EQ(rows("lmisp_1.ptf", {"LineID"}), QStringList({"11", "11"}));
    EXPECT_EQ(rows("lmisp_2.ptf", {"LineID"}), QStringList{"12"});
}

TEST_F(Deletes, LineWithoutTimetableIsDeletedDownToItsColour)
{
    ASSERT_FALSE(QFileInfo::exists(path("ttc_12.ptf")));
    ASSERT_TRUE(DeleteLine(L3));
    EXPECT_EQ(rows("lines.ptf", {"ID"}), QStringList({"10", "11"}));
    EXPECT_EQ(rows("line_graphic.ptf", {"LineID"}), QStringList({"10", "11"}));
    EXPECT_EQ(rows("line_map_lines.ptf", {"LineMapID", "LineID"}), QStringList({"1,10", "1,11", "2,10"}));
    EXPECT_EQ(rows("lms_2.ptf", {"LineID"}), QStringList({"10", "10"}));
    EXPECT_EQ(rows("line_connections.ptf", {"ID"}), QStringList({"1", "2", "3", "4"}));
}

TEST_F(Deletes, StationOnNoLineAndUnknownNames)
{
    auto before = snapshot();
    EXPECT_FALSE(DeleteStationByName("Z"));
    EXPECT_FALSE(DeleteLineByName("Z"));
    EXPECT_TRUE(changedSince(before).isEmpty()) << changedSince(before).join(' ').toStdString();

    ASSERT_TRUE(DeleteStation(E));
    EXPECT_EQ(changedSince(before), QStringList({"newstations.ptf", "stations.ptf"}));
    EXPECT_EQ(rows("newstations.ptf", {"StationID"}), QStringList{"2"});
    EXPECT_EQ(rows("stations.ptf", {"ID"}), QStringList({"1", "2", "3", "4", "6"}));

    // F stands on a line that never had a timetable: that line has nothing to update.
    ASSERT_TRUE(DeleteStation(F));
    EXPECT_EQ(rows("line_stations.ptf", {"LineID", "StationID"}).filter(QRegularExpression(",6$")), QStringList());
    EXPECT_EQ(rows("lmimsp_2.ptf", {"StationID"}), QStringList{"3"});
}

// The shared plan tables in memory may hold another project's rows (or a template's); the
// cascade works on this project's files only and never creates one that is missing.
TEST_F(Deletes, SharedPlanTablesComeFromThisProjectsFiles)
{
    QFile::remove(path("line_map_line_text_visible.ptf"));
    QFile::remove(path("line_map_line_intersections.ptf"));
    appendRows(m_module.cdsLineMapLineTextVisible, kTextVisible, {{7, 11, true, true, true}});
    appendRows(m_module.cdsLineMapLines, kLineMapLines.mid(0, 2), {{99, 11}, {99, 10}});

    ASSERT_TRUE(DeleteLine(L1));
    EXPECT_FALSE(QFileInfo::exists(path("line_map_line_text_visible.ptf")));
    EXPECT_FALSE(QFileInfo::exists(path("line_map_line_intersections.ptf")));
    EXPECT_EQ(rows("line_map_lines.ptf", {"LineMapID", "LineID"}), QStringList({"1,11", "2,12"}));
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join('\n').toStdString();
}

TEST_F(Deletes, FailedStepsStopTheChainAndKeepTheRowListed)
{
    // A plan file that cannot be read: the station stays, everywhere.
    blockFile("lms_2.ptf");
    EXPECT_FALSE(DeleteStation(B));
    EXPECT_EQ(GetStationIDByName("B"), B);
    EXPECT_EQ(rows("stations.ptf", {"ID"}), QStringList({"1", "2", "3", "4", "5", "6"}));
    EXPECT_EQ(rows("newstations.ptf", {"StationID"}), QStringList({"2", "5"}));
    ASSERT_TRUE(QDir(path("lms_2.ptf")).removeRecursively());
    takeFolderAsItIs();
    m_dialogs.messages.clear();

    // stations.ptf cannot be written: the row comes back and the delete can be repeated.
    blockFile("stations.ptf");
    EXPECT_FALSE(DeleteStation(E));
    EXPECT_EQ(GetStationIDByName("E"), E);
    ASSERT_TRUE(QDir(path("stations.ptf")).removeRecursively());
    takeFolderAsItIs();
    EXPECT_TRUE(DeleteStation(E));
    EXPECT_EQ(rows("stations.ptf", {"ID"}), QStringList({"1", "2", "3", "4", "6"}));

    // A timetable that cannot be updated: the whole delete is undone, the stops handled before
    // it included, and the station stays listed.
    blockFile("tt_1.ptf");
    EXPECT_FALSE(DeleteStation(C));
    EXPECT_EQ(GetStationIDByName("C"), C);
    EXPECT_TRUE(rows("line_stations.ptf", {"LineID", "StationID"}).contains("10,3"));
    EXPECT_NE(GetStationIDByName("C"), -1);
    ASSERT_TRUE(QDir(path("tt_1.ptf")).removeRecursively());
    takeFolderAsItIs();

    // lines.ptf cannot be written: the line keeps everything, its timetables included.
    blockFile("lines.ptf");
    EXPECT_FALSE(DeleteLine(L2));
    EXPECT_EQ(GetLineIDByName("L2"), L2);
    EXPECT_TRUE(QFileInfo::exists(path("ttc_11.ptf")));
    ASSERT_TRUE(QDir(path("lines.ptf")).removeRecursively());
    takeFolderAsItIs();
    EXPECT_TRUE(DeleteLine(L2));
    EXPECT_EQ(rows("lines.ptf", {"ID"}), QStringList({"10", "12"}));
}

TEST_F(Deletes, TripFileThatCannotBeDeletedKeepsItsConnection)
{
    blockFile("tt_2.ptf");
    EXPECT_FALSE(DeleteLine(L1));
    EXPECT_EQ(GetLineIDByName("L1"), L1);
    // Nothing of the line went: its first timetable is still there with its section.
    EXPECT_EQ(rows("line_connections.ptf", {"ID"}), QStringList({"1", "2", "3", "4"}));
    EXPECT_EQ(sections(), QStringList({"1", "2", "3"}));
    EXPECT_TRUE(QFileInfo::exists(path("tt_1.ptf")));
    EXPECT_TRUE(QFileInfo::exists(path("ttc_10.ptf")));
    EXPECT_EQ(rows("line_graphic.ptf", {"LineID"}), QStringList({"10", "11", "12"}));
}

TEST_F(Deletes, ClearLineConnectionKeepsTheIdAndReportsTheWrite)
{
    ASSERT_TRUE(ClearLineConnection(3));
    EXPECT_EQ(rows("line_connections.ptf", {"ID", "LineID", "DayGroupID", "Direction"}),
              QStringList({"1,10,1,1", "2,10,1,2", "3,null,null,null", "4,null,null,null"}));
    EXPECT_EQ(AddLineConnection(L2, 1, 1), 5);
    EXPECT_FALSE(ClearLineConnection(42));

    blockFile("line_connections.ptf");
    EXPECT_FALSE(ClearLineConnection(1));
    // The table still matches the file it could not replace.
    EXPECT_EQ(dumpRows(m_module.cdsLineConnections, {"ID", "LineID"}).split(" | ").first(), "1,10");
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join('\n').toStdString();
}

TEST_F(Deletes, RemovedStationsLeaveThePlansOfTheLine)
{
    auto before = snapshot();
    ASSERT_TRUE(DeleteRemovedStationsFromLineMaps(L1, {"A", "B", "C", "D", "B", "F"}));
    EXPECT_TRUE(changedSince(before).isEmpty()) << changedSince(before).join(' ').toStdString();

    ASSERT_TRUE(DeleteRemovedStationsFromLineMaps(L1, {"A", "C", "D", "F"}));
    EXPECT_EQ(changedSince(before), QStringList({"lmisp_1.ptf", "lmisp_2.ptf", "lms_1.ptf", "lms_2.ptf"}));
    EXPECT_EQ(rows("lms_1.ptf", {"LineID", "StationID"}),
              QStringList({"10,1", "10,3", "10,4", "10,6", "11,4", "11,1"}));
    EXPECT_EQ(rows("lmisp_2.ptf", {"LineID", "IDType", "IDValue"}), QStringList({"10,1,2", "12,0,3"}));

    // One plan that cannot be read does not keep the others unchanged, but the result says so.
    blockFile("lms_1.ptf");
    m_dialogs.messages.clear();
    EXPECT_FALSE(DeleteRemovedStationsFromLineMaps(L1, {"C", "D", "F"}));
    EXPECT_EQ(rows("lms_2.ptf", {"LineID", "StationID"}), QStringList({"12,3", "12,6"}));
}

TEST_F(Deletes, LineStationTablesOfAProjectWithoutPlans)
{
    for (const char *file : {"line_maps.ptf", "line_map_lines.ptf"})
        QFile::remove(path(file));
    takeFolderAsItIs();
    EXPECT_TRUE(DeleteLineFromLineMapStationTables(L1)); // the per-plan files are not reachable
    EXPECT_TRUE(DeleteLineStationsOfLine(L3));
    EXPECT_EQ(rows("line_stations.ptf", {"LineID"}).filter("12").size(), 0);
    EXPECT_FALSE(QFileInfo::exists(path("line_map_lines.ptf")));
}

// A write can fail before its file is touched (another change holds the project, or no kept copy
// fits on the disk). The rows the action took out of a table before that write must come back
// from the file, or a later delete finds none and leaves the file's rows behind.
TEST_F(Deletes, StopsTakenOutBeforeAFailedWriteAreReadBack)
{
    const QString journal = path(FileChange::journalName());
    ASSERT_TRUE(QFile(journal).open(QIODevice::WriteOnly));
    const QByteArray stops = bytes("line_stations.ptf");

    EXPECT_FALSE(InOneChange([] { return DeleteLineStationsOfLine(L1); }));
    EXPECT_EQ(bytes("line_stations.ptf"), stops);

    ASSERT_TRUE(QFile::remove(journal));
    m_dialogs.messages.clear();
    ASSERT_TRUE(DeleteLine(L1));
    EXPECT_EQ(rows("line_stations.ptf", {"LineID"}), QStringList({"11", "11", "12", "12"}));
}
