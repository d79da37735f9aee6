#include "data/db_func.h"

#include "data/db_delete.h"
#include "data/project_change.h"
#include "data/table_files.h"
#include "platform/ansi.h"

#include "support/project_folder.h"
#include "support/file_size_limit.h"
#include "support/killed_change.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <ostream>
#include <vector>

namespace {

class DbFuncTest : public ProjectFolder
{
protected:
    QStringList lines(const QString &file) const { return ansi::splitLines(ansi::decode(bytes(file))); }
};

const QStringList kStation{"ID", "Station"};

TEST_F(DbFuncTest, MasterLoadsReportTheirMissingFiles)
{
    for (void (*load)() :
         {LoadStations, LoadLines, LoadLineStations, LoadLineConnections, LoadIntervals, LoadLineGraphic, LoadLineMaps})
        load();
    LoadDayGroups(path("daygroups.ptf"));
    EXPECT_EQ(m_dialogs.messages,
              QStringList({"Station-File stations.ptf not found", "Line-File lines.ptf not found",
                           "File line_stations.ptf (lines-stations connections) not found",
                           "File line_connections.ptf (line-connections) not found",
                           "Interval-File intervals.ptf not found", "File line_graphic.ptf (line-graphic) not found",
                           "File line_maps.ptf (line-maps) not found", "Daygroups-File daygroups.ptf not found"}));

    // Without newstations.ptf the list stays as it was, and nothing is said.
    m_dialogs.messages.clear();
    Table &ns = m_module.cdsNewStations;
    appendRows(ns, {"StationID"}, {{4}});
    LoadNewStations();
    EXPECT_TRUE(m_dialogs.messages.isEmpty());
    EXPECT_EQ(dumpRows(ns, {"StationID"}), "4");

    writePtf(path("newstations.ptf"), {"StationID"}, {"7", "9"});
    LoadNewStations();
    EXPECT_EQ(dumpRows(ns, {"StationID"}), "7 | 9");
    EXPECT_FALSE(ns.active());

    // A file that is there but too short is told as damaged, and only so: it is not "not found".
    ASSERT_TRUE(ansi::writeLines(path("newstations.ptf"), {"x"}));
    LoadNewStations();
    EXPECT_EQ(m_dialogs.messages, QStringList{"Error by load PTF-File: " + path("newstations.ptf")});
}

TEST_F(DbFuncTest, SaveStationsDropsEmptyNamesAndWritesInIDOrder)
{
    appendRows(m_module.cdsStations, kStation, {{5, "E"}, {1, "A"}, {2, ""}, {3, ""}, {4, "D"}, {6, ""}});
    ASSERT_TRUE(SaveStations());
    EXPECT_EQ(m_module.cdsStations.rowCount(), 3);
    EXPECT_EQ(lines("stations.ptf").mid(2),
              QStringList({R"("ID","Station",)", R"(1,"A",)", R"(4,"D",)", R"(5,"E",)", "2);"}));
}

TEST_F(DbFuncTest, PerPlanAndLineLabelTablesAreOpenAndEmptyWhenTheirFileIsMissing)
{
    EXPECT_TRUE(LoadLineMapStations(3));
    EXPECT_TRUE(m_module.cdsLineMapStations.active());
    EXPECT_EQ(m_module.cdsLineMapStations.rowCount(), 0);
    EXPECT_TRUE(LoadLineMapLineTextVisible());
    EXPECT_TRUE(m_module.cdsLineMapLineTextVisible.active());
    EXPECT_TRUE(LoadOrCreateLineMapLines());
    EXPECT_EQ(m_module.cdsLineMapLines.rowCount(), 0);
    EXPECT_TRUE(m_dialogs.messages.isEmpty());

    writePtf(path("lms_3.ptf"), {"LineID"}, {R"("one")"}, 5);
    writePtf(path("line_map_line_text_color.ptf"), {"LineMapID"}, {R"("one")"}, 10);
    writePtf(path("line_map_line_sections.ptf"), {"LineMapID"}, {R"("one")"}, 10);
    EXPECT_FALSE(LoadLineMapStations(3));
    EXPECT_FALSE(LoadLineMapLineTextColor());
    EXPECT_FALSE(LoadLineMapLineSections());
    EXPECT_FALSE(LoadLineMapLineIntersections());
    EXPECT_FALSE(LoadLineMapLines());
    // A damaged file is told once, as damaged; the loaders' own words are for missing files.
    EXPECT_EQ(m_dialogs.messages,
              QStringList({"Error by load PTF-File: " + path("lms_3.ptf"),
                           "Error by load PTF-File: " + path("line_map_line_text_color.ptf"),
                           "Error by load PTF-File: " + path("line_map_line_sections.ptf"),
                           "File line_map_line_intersections.ptf not found", "File line_map_lines.ptf not found"}));
    // The tables hold nothing and are not written over the files they could not read.
    EXPECT_EQ(m_module.cdsLineMapStations.rowCount(), 0);
    EXPECT_EQ(m_module.cdsLineMapLineTextColor.rowCount(), 0);
    const QByteArray cut = bytes("lms_3.ptf");
    m_dialogs.messages.clear();
    EXPECT_FALSE(SaveLineMapStations(3));
    EXPECT_EQ(bytes("lms_3.ptf"), cut);
    EXPECT_EQ(m_dialogs.messages.size(), 1);
    // The next plan without a file of its own starts empty and is saved.
    EXPECT_TRUE(LoadLineMapStations(4));
    EXPECT_TRUE(SaveLineMapStations(4));
}

TEST_F(DbFuncTest, IndividualPrefsWithOldOffsetNamesAreRenamedWithoutSignChange)
{
    writePtf(path("lmimsp_2.ptf"),
             {"StationID", "Position", "LineDistanceH", "LineDistanceV", "TextDirection", "Rotation"},
             {"4,1,-3,7,0,45"});
    ASSERT_TRUE(LoadLineMapIndividualMultiStationPrefs(2));
    EXPECT_TRUE(m_module.cdsLineMapIndividualMultiStationPrefs.active());
    EXPECT_EQ(dumpRows(m_module.cdsLineMapIndividualMultiStationPrefs, {"StationID", "OffsetX", "OffsetY"}), "4,-3,7");
    EXPECT_EQ(
        lines("lmimsp_2.ptf"),
        ptfLines({"StationID", "Position", "OffsetX", "OffsetY", "TextDirection", "Rotation"}, {"4,1,-3,7,0,45"}));
}

// Old plan settings: the offsets carried other names and, for one axis per direction class,
// the other sign.
const QStringList kOldLineMapPrefs =
    ptfLines({"LineMapID", "StationWEPosition", "StationWELineDistanceH", "StationWELineDistanceV", "StationNSPosition",
              "StationNSLineDistanceH", "StationNSLineDistanceV", "StationNWSEPosition", "StationNWSELineDistanceH",
              "StationNWSELineDistanceV", "StationSWNEPosition", "StationSWNELineDistanceH", "StationSWNELineDistanceV",
              "MultiStationDistanceH", "MultiStationDistanceV", "Width"},
             {"1,1,2,5,1,3,6,1,4,7,0,4,8,9,10,800", "2,0,2,5,0,3,6,0,4,7,1,4,8,9,10,900"});

const QStringList kNewOffsets{"LineMapID",          "StationWEOffsetX",    "StationWEOffsetY",    "StationNSOffsetX",
                              "StationNSOffsetY",   "StationNWSEOffsetX",  "StationNWSEOffsetY",  "StationSWNEOffsetX",
                              "StationSWNEOffsetY", "MultiStationOffsetX", "MultiStationOffsetY", "Width"};
const QString kMigratedOffsets = "1,2,-5,-3,6,-4,7,-4,8,9,10,800 | 2,2,5,3,6,4,7,4,8,9,10,900";

TEST_F(DbFuncTest, LineMapPrefsMigrationWritesNamesAndValuesTogether)
{
    const QString file = path("line_map_prefs.ptf");
    ASSERT_TRUE(ansi::writeLines(file, kOldLineMapPrefs));
    ASSERT_TRUE(LoadLineMapPrefs(file));
    EXPECT_FALSE(m_module.cdsLineMapPrefs.active());
    EXPECT_EQ(dumpRows(m_module.cdsLineMapPrefs, kNewOffsets), kMigratedOffsets);

    // The file now holds the new names with the corrected values: reading it again, before any
    // save of the plan settings, turns no sign a second time.
    const QString names = lines("line_map_prefs.ptf").value(2);
    EXPECT_TRUE(names.contains("\"StationWEOffsetY\","));
    EXPECT_FALSE(names.contains("LineDistance"));
    EXPECT_FALSE(names.contains("MultiStationDistance"));
    const QByteArray migrated = bytes("line_map_prefs.ptf");
    CreateEmptyLineMapPrefs();
    ASSERT_TRUE(LoadLineMapPrefs(file));
    EXPECT_EQ(dumpRows(m_module.cdsLineMapPrefs, kNewOffsets), kMigratedOffsets);
    EXPECT_EQ(bytes("line_map_prefs.ptf"), migrated);
    EXPECT_TRUE(m_dialogs.messages.isEmpty());

    // Settings files without the label columns get the label defaults in every row.
    EXPECT_EQ(dumpRows(m_module.cdsLineMapPrefs, {"LineTextFontName", "LineTextFontSize", "LineTextBackgroundColorRed",
                                                  "LineTextBackgroundColorGreen", "LineTextBackgroundColorBlue"}),
              "Arial,8,255,255,255 | Arial,8,255,255,255");
}

TEST_F(DbFuncTest, LineMapPrefsMigrationOfAnUnwritableFileStaysInMemory)
{
    // A name too long for the temporary file beside it makes every atomic write fail, for root
    // too; a read-only folder does the same for other users.
    const QString file = path(QString(248, QLatin1Char('p')) + ".ptf");
    writeFileBytes(file, ansi::encode(kOldLineMapPrefs.join("\r\n") + "\r\n"));
    QFile(m_dir.path()).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool writable = ansi::writeLines(file, kOldLineMapPrefs);
    const QByteArray before = fileBytes(file);
    const bool first = !writable && LoadLineMapPrefs(file);
    const bool second = !writable && LoadLineMapPrefs(file);
    QFile(m_dir.path()).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (writable)
        GTEST_SKIP() << "this file system lets every file be written";

    EXPECT_TRUE(first);
    EXPECT_TRUE(second);
    EXPECT_EQ(dumpRows(m_module.cdsLineMapPrefs, kNewOffsets), kMigratedOffsets);
    EXPECT_EQ(fileBytes(file), before);
    EXPECT_TRUE(m_dialogs.messages.isEmpty());
}

TEST_F(DbFuncTest, DefaultFilesLoadIntoTheirTables)
{
    const QString res = KORVALIN_RESOURCES_DIR "/";
    LoadDayGroups(res + "default_daygroups.ptf");
    EXPECT_EQ(GetDayGroupIDByName("Sa"), 2);

    // The plan template, read from a copy, has every column of the table in the table's order
    // and the row of plan 1.
    const QString copy = path("line_map_prefs.ptf");
    ASSERT_TRUE(QFile::copy(res + "line_map_prefs.ptf", copy));
    ASSERT_TRUE(LoadLineMapPrefs(copy));
    QStringList names;
    for (const FieldDef &d : m_module.cdsLineMapPrefs.fieldDefs())
        names << d.name;
    EXPECT_EQ(lines("line_map_prefs.ptf").value(2), ptfLines(names, {}).value(2));
    EXPECT_EQ(dumpRows(m_module.cdsLineMapPrefs, {"LineMapID"}), "1");
    EXPECT_TRUE(m_dialogs.messages.isEmpty());
}

// ---------------------------------------------------------------- lookups, adds, renames

TEST_F(DbFuncTest, AddsTakeTheLastIDInIDOrderPlusOne)
{
    EXPECT_EQ(AddStation("A"), 1);
    CreateEmptyStations();
    Table &t = m_module.cdsStations;
    appendRows(t, kStation, {{5, "E"}, {1, "A"}, {2, "B"}});
    EXPECT_EQ(AddStation("F"), 6);

    // Deleting the highest ID gives it out again; a lower gap is not filled.
    t.open();
    t.setIndexName("idxID");
    ASSERT_TRUE(t.findKey({6}));
    t.remove();
    t.close();
    EXPECT_EQ(AddStation("G"), 6);

    // A filter an editor left on the table hides no ID.
    t.setFilter("ID = 1");
    t.setFiltered(true);
    EXPECT_EQ(AddStation("H"), 7);
    EXPECT_TRUE(t.filtered());
    t.setFiltered(false);

    EXPECT_EQ(AddLine("1"), 1);
    EXPECT_EQ(AddLine("2"), 2);
    EXPECT_EQ(AddLineMap("Centre"), 1);
    EXPECT_EQ(AddLineMap("Centre"), 2); // the plan list tests the name itself
    EXPECT_EQ(GetLineMapIDByName("Centre"), 1);

    CreateEmptyStations();
    LoadStations();
    EXPECT_EQ(dumpRows(t, kStation), "1,A | 2,B | 5,E | 6,G | 7,H");
}

TEST_F(DbFuncTest, NamesAreExactKeysOfAddsLookupsAndRenames)
{
    ASSERT_EQ(AddStation("A"), 1);
    const QByteArray before = bytes("stations.ptf");
    EXPECT_EQ(AddStation("A"), -1);
    EXPECT_EQ(bytes("stations.ptf"), before);
    EXPECT_EQ(AddStation("a"), 2);
    EXPECT_EQ(AddStation("Main Street"), 3);
    EXPECT_EQ(GetStationIDByName("a"), 2);
    EXPECT_EQ(GetStationIDByName("main street"), -1);
    EXPECT_EQ(GetStationIDByName("A "), -1);
    EXPECT_EQ(GetStationNameByID(3), "Main Street");
    EXPECT_EQ(GetStationNameByID(42), QString());

    // A rename to a name that exists (itself included) or from one that does not writes nothing.
    const QByteArray three = bytes("stations.ptf");
    for (const auto &[from, to] : {std::pair{"A", "A"}, {"A", "a"}, {"X", "Y"}})
        EXPECT_FALSE(RenameStation(from, to)) << from << " " << to;
    EXPECT_EQ(bytes("stations.ptf"), three);
    EXPECT_TRUE(RenameStation("A", "Ä-Platz"));
    EXPECT_EQ(GetStationIDByName("A"), -1);
    CreateEmptyStations();
    LoadStations();
    EXPECT_EQ(GetStationNameByID(1), "Ä-Platz");

    EXPECT_FALSE(RenameLine("X", "Y"));
    EXPECT_FALSE(QFileInfo::exists(path("lines.ptf")));
    ASSERT_EQ(AddLine("X"), 1);
    EXPECT_TRUE(RenameLine("X", "Y"));
    EXPECT_EQ(GetLineNameByID(1), "Y");
    EXPECT_EQ(GetLineIDByName("X"), -1);
}

TEST_F(DbFuncTest, LineConnectionsAreUniquePerLineDayGroupAndDirection)
{
    EXPECT_EQ(AddLineConnection(3, 1, 2), 1);
    EXPECT_EQ(AddLineConnection(3, 1, 2), -1);
    EXPECT_EQ(AddLineConnection(3, 1, 1), 2);
    EXPECT_TRUE(DayGroupInUse(1));
    EXPECT_FALSE(DayGroupInUse(2));

    // A cleared line connection keeps its ID and matches nothing.
    Table &t = m_module.cdsLineConnections;
    t.open();
    t.setIndexName("idxID");
    ASSERT_TRUE(t.findKey({2}));
    t.edit();
    for (const char *f : {"LineID", "DayGroupID", "Direction"})
        t.fieldByName(f).clear();
    t.post();
    t.close();
    EXPECT_EQ(AddLineConnection(3, 1, 1), 3);
    CreateEmptyLineConnections();
    LoadLineConnections();
    EXPECT_EQ(dumpRows(t, {"ID", "LineID", "Direction"}), "1,3,2 | 2,null,null | 3,3,1");
}

TEST_F(DbFuncTest, SetLineStationsReplacesTheLinesRows)
{
    ASSERT_EQ(AddStation("A"), 1);
    ASSERT_EQ(AddStation("B"), 2);
    ASSERT_TRUE(SetLineStations(4, {"B"}));
    ASSERT_TRUE(SetLineStations(7, {"B", "A"}));
    ASSERT_TRUE(SetLineStations(7, {"A", "B", "A", "nowhere"}));
    Table &t = m_module.cdsLineStations;
    CreateEmptyLineStations();
    LoadLineStations();
    t.setIndexName("idxLineStations");
    EXPECT_EQ(dumpRows(t, {"LineID", "LineStationNumber", "StationID"}), "4,1,2 | 7,1,1 | 7,2,2 | 7,3,1 | 7,4,-1");
    ASSERT_TRUE(SetLineStations(7, {}));
    EXPECT_EQ(dumpRows(t, {"LineID"}), "4");
}

TEST_F(DbFuncTest, ColourAndNewStationRoutinesWriteTheirFiles)
{
    ASSERT_TRUE(SetLineGraphicColor(2, 10, 20, 30));
    ASSERT_TRUE(SetLineGraphicColor(2, 40, 50, 60));
    CreateEmptyLineGraphic();
    LoadLineGraphic();
    EXPECT_EQ(dumpRows(m_module.cdsLineGraphic, {"LineID", "ColorRed", "ColorBlue"}), "2,40,60");

    ASSERT_TRUE(AddNewStation(3));
    ASSERT_TRUE(AddNewStation(8));
    EXPECT_FALSE(AddNewStation(3)); // the list's key is unique
    CreateEmptyNewStations();
    LoadNewStations();
    EXPECT_EQ(dumpRows(m_module.cdsNewStations, {"StationID"}), "3 | 8");
    ASSERT_TRUE(ClearNewStations());
    LoadNewStations();
    EXPECT_EQ(m_module.cdsNewStations.rowCount(), 0);
    EXPECT_TRUE(QFileInfo::exists(path("newstations.ptf")));
}

TEST_F(DbFuncTest, FailedWritesAreReported)
{
    ProjectDir = path("gone");
    ProjectFileName = ProjectDir + "/x.ppr";

    // The caller learns of the failure from -1; the row is taken back.
    EXPECT_EQ(AddStation("A"), -1);
    EXPECT_EQ(GetStationIDByName("A"), -1);
    EXPECT_EQ(AddLineConnection(1, 1, 1), -1);
    EXPECT_FALSE(RenameStation("A", "B"));
    EXPECT_FALSE(SetLineGraphicColor(1, 0, 0, 0));
    EXPECT_FALSE(SaveLineGraphic());
    EXPECT_FALSE(SaveLineMapStations(1));
    EXPECT_TRUE(m_module.cdsLineMapStations.active());
    EXPECT_TRUE(m_dialogs.messages.isEmpty());

    EXPECT_FALSE(SaveDayGroups());
    EXPECT_FALSE(SaveLineConnections());
    EXPECT_FALSE(SavePrefs());
    EXPECT_TRUE(messagesWithReasons(m_dialogs.messages,
              QStringList({"Error saving the daygroup-file " + ProjectDir + "/daygroups.ptf",
                           "Error saving the lineconnections, file " + ProjectDir + "/line_connections.ptf",
                           "Error saving the preferences file prefs.ptf"})));
}

TEST_F(DbFuncTest, RenamesSeeEveryRowWhateverTheFilter)
{
    for (const char *name : {"A", "B", "C"})
        ASSERT_GT(AddStation(name), 0);
    ASSERT_GT(AddLine("1"), 0);
    ASSERT_GT(AddLine("2"), 0);
    Table &stations = m_module.cdsStations;
    stations.setFilter("ID = 1");
    stations.setFiltered(true);
    const QByteArray before = bytes("stations.ptf");
    EXPECT_FALSE(RenameStation("A", "B")); // B is there, hidden by the filter
    EXPECT_EQ(bytes("stations.ptf"), before);
    stations.setFilter("ID = 3");
    EXPECT_TRUE(RenameStation("A", "D")); // A itself is hidden
    EXPECT_TRUE(stations.filtered());
    // The file holds every station, not only the filtered ones.
    EXPECT_EQ(lines("stations.ptf").mid(3, 3), QStringList({R"(1,"D",)", R"(2,"B",)", R"(3,"C",)"}));
    stations.setFiltered(false);

    Table &lines_ = m_module.cdsLines;
    lines_.setFilter("ID = 1");
    lines_.setFiltered(true);
    EXPECT_FALSE(RenameLine("1", "2"));
    EXPECT_TRUE(RenameLine("2", "3"));
    EXPECT_EQ(lines("lines.ptf").mid(3, 2), QStringList({R"(1,"1",)", R"(2,"3",)"}));
    lines_.setFiltered(false);
}

TEST_F(DbFuncTest, NamesAreComparedAsTheyWillBeStored)
{
    // Station names are cut to their column's 64 characters.
    const QString longName(70, QLatin1Char('x'));
    ASSERT_EQ(AddStation(longName), 1);
    EXPECT_EQ(AddStation(longName), -1);
    EXPECT_EQ(AddStation(longName.left(64)), -1);
    EXPECT_EQ(AddStation(longName.left(64) + "yz"), -1);
    EXPECT_EQ(m_module.cdsStations.rowCount(), 1);
    EXPECT_EQ(GetStationNameByID(1), longName.left(64));
    EXPECT_EQ(GetStationIDByName(longName), 1); // looked up as it was stored
    ASSERT_EQ(AddStation("B"), 2);
    EXPECT_FALSE(RenameStation("B", longName + "!"));

    // Empty or blank names are no names: the saves would drop such rows without their cascade.
    for (const char *blank : {"", " ", "  \t"}) {
        EXPECT_EQ(AddStation(blank), -1);
        EXPECT_EQ(AddLine(blank), -1);
        EXPECT_FALSE(RenameStation("B", blank));
    }
    ASSERT_EQ(AddLine("L"), 1);
    EXPECT_FALSE(RenameLine("L", " "));
    EXPECT_EQ(GetLineNameByID(1), "L");

    // A name the file cannot hold is refused before it is stored, so later saves still work.
    const QByteArray before = bytes("stations.ptf");
    EXPECT_EQ(AddStation("Łódź"), -1);
    EXPECT_FALSE(RenameStation("B", "東京"));
    EXPECT_EQ(AddLine("大阪"), -1);
    EXPECT_EQ(bytes("stations.ptf"), before);
    EXPECT_EQ(m_module.cdsStations.rowCount(), 2);
    EXPECT_EQ(AddStation("Straße €"), 3);
    CreateEmptyStations();
    LoadStations();
    EXPECT_EQ(GetStationNameByID(3), "Straße €");
    EXPECT_EQ(GetStationNameByID(2), "B");
}

TEST_F(DbFuncTest, TheNextIDNeverOverflows)
{
    appendRows(m_module.cdsStations, kStation, {{std::numeric_limits<int>::max(), "Last"}});
    EXPECT_EQ(AddStation("Next"), -1);
    EXPECT_EQ(m_module.cdsStations.rowCount(), 1);
    appendRows(m_module.cdsLines, {"ID", "Line"}, {{std::numeric_limits<int>::max(), "Last"}});
    EXPECT_EQ(AddLine("Next"), -1);
    appendRows(m_module.cdsLineConnections, {"ID", "LineID", "DayGroupID", "Direction"},
               {{std::numeric_limits<int>::max(), 1, 1, 1}});
    EXPECT_EQ(AddLineConnection(1, 1, 2), -1);
    EXPECT_FALSE(QFileInfo::exists(path("stations.ptf")));
    EXPECT_FALSE(QFileInfo::exists(path("line_connections.ptf")));
    appendRows(m_module.cdsStations, kStation, {{std::numeric_limits<int>::max() - 2, "Before"}});
    m_module.cdsStations.open();
    m_module.cdsStations.setIndexName("idxID");
    ASSERT_TRUE(m_module.cdsStations.findKey({std::numeric_limits<int>::max()}));
    m_module.cdsStations.remove();
    m_module.cdsStations.close();
    EXPECT_EQ(AddStation("Next"), std::numeric_limits<int>::max() - 1);
}

} // namespace

namespace {

// A folder where the table file is to be written: every write of it fails.
void blockFile(const QString &file)
{
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(QDir().mkdir(file));
    takeFolderAsItIs();
}

void unblockFile(const QString &file)
{
    ASSERT_TRUE(QDir(file).removeRecursively());
    takeFolderAsItIs();
}

} // namespace

// A single write outside any action, killed at each of its steps: the folder holds its journal,
// and opening it again finishes or undoes the write, with nothing of it left over.
struct SingleWrite {
    const char *name;
    bool (*write)();
};

class SingleWriteOutsideAnAction : public DbFuncTest, public ::testing::WithParamInterface<SingleWrite>
{
protected:
    QStringList leftovers() const
    {
        QStringList found;
        QDirIterator it(m_dir.path(), QDir::Files | QDir::Hidden);
        while (it.hasNext()) {
            const QString name = QFileInfo(it.next()).fileName();
            if (name == FileChange::journalName() || name.contains(QLatin1String(".korvalin-")))
                found << name;
        }
        return found;
    }
};

TEST_P(SingleWriteOutsideAnAction, IsAChangeOfItsOwn)
{
    ASSERT_GT(AddStation("A"), 0);
    const QByteArray before = bytes("stations.ptf");
    int step = 1;
    for (; step < 20; ++step) {
        SCOPED_TRACE("killed at step " + std::to_string(step));
        writeFileBytes(path("stations.ptf"), before);
        takeFolderAsItIs();
        const KilledRun run = runKilledAtStep(step, GetParam().write);
        if (run == KilledRun::Finished)
            break;
        ASSERT_EQ(run, KilledRun::Killed);
        const QString told = RecoverInterruptedChange(ProjectDir);
        EXPECT_EQ(leftovers(), QStringList());
        // Put back, the write was undone; else it was finished, and the file is whole.
        const bool putBack = QFileInfo::exists(path("stations.ptf")) && bytes("stations.ptf") == before;
        EXPECT_TRUE(told.contains(putBack ? QLatin1String("undone") : QLatin1String("completed")))
            << told.toStdString();
        if (!putBack && QFileInfo::exists(path("stations.ptf"))) {
            Table scratch(QStringLiteral("scratch"));
            EXPECT_TRUE(LoadPtfFileStructure(path("stations.ptf"), scratch)) << "neither old nor whole";
        }
    }
    EXPECT_GT(step, 1) << "the write made no step a journal names";
}

INSTANTIATE_TEST_SUITE_P(
    EachKind, SingleWriteOutsideAnAction,
    ::testing::Values(SingleWrite{"TableSaved", [] { return AddStation("B") > 0; }},
                      SingleWrite{"FileRemoved", [] { return RemoveProjectFileInChange(ProjectDir + "/stations.ptf"); }}),
    [](const ::testing::TestParamInfo<SingleWrite> &info) { return std::string(info.param.name); });

// An action's first failure decides whether a message has told it already: a damaged file named
// after a failed write does not silence the write's own message, and a new action starts untold.
TEST_F(DbFuncTest, TheFirstFailureOfAnActionDecidesWhetherItWasTold)
{
    {
        ProjectChange change;
        ProjectChange::noteFailure(QStringLiteral("the disk is full"));
        ProjectChange::noteDamaged(path("stations.ptf"), true);
        EXPECT_FALSE(change.finish(false));
    }
    EXPECT_FALSE(ProjectChange::lastFailureTold());
    {
        ProjectChange change;
        ProjectChange::noteDamaged(path("stations.ptf"), true);
        ProjectChange::noteFailure(QStringLiteral("the disk is full"));
        EXPECT_FALSE(change.finish(false));
    }
    EXPECT_TRUE(ProjectChange::lastFailureTold());
    ProjectChange next;
    EXPECT_FALSE(ProjectChange::lastFailureTold());
    EXPECT_TRUE(next.finish(true));
}

// A commit that fails (its last sync) is told with the commit's own reason and file, and leaves
// the files as they were.
TEST_F(DbFuncTest, AFailedCommitIsToldWithItsOwnReason)
{
    ASSERT_GT(AddStation("A"), 0);
    const QByteArray before = bytes("stations.ptf");
    {
        ProjectChange change;
        ASSERT_GT(AddStation("B"), 0);
        ansi::setLastWriteError(QString());
        FileChange::setDiskRecorder([](const FileChange::DiskCall &call) {
            return call.kind != FileChange::DiskCall::SyncFile || !call.path.endsWith(QLatin1String("stations.ptf"));
        });
        EXPECT_FALSE(change.finish(true));
        FileChange::setDiskRecorder(nullptr);
    }
    EXPECT_EQ(ansi::lastWriteError(), QString::fromLocal8Bit(std::strerror(EIO)));
    EXPECT_EQ(ansi::lastWriteFile(), QStringLiteral("stations.ptf"));
    EXPECT_EQ(bytes("stations.ptf"), before);
    EXPECT_FALSE(QFileInfo::exists(path(FileChange::journalName())));
}

// An undone change reads the tables it wrote back from their files, but for an editor that keeps
// its unsaved edits in them.
TEST_F(DbFuncTest, AnUndoneChangeReadsItsTablesBackUnlessToldToKeepThem)
{
    ASSERT_GT(AddStation("A"), 0);
    for (const bool keep : {false, true}) {
        SCOPED_TRACE(keep ? "kept" : "read back");
        {
            ProjectChange change;
            if (keep)
                change.keepTablesOnUndo();
            ASSERT_GT(AddStation("B"), 0);
            EXPECT_FALSE(change.finish(false));
        }
        EXPECT_EQ(GetStationIDByName("B") > 0, keep);
        EXPECT_EQ(lines("stations.ptf").filter("\"B\"").size(), 0);
        LoadStations();
    }
}

// A change the file did not take is taken back in memory: the next save writes only what
// was asked then, and a name that failed can be added again.
TEST_F(DbFuncTest, FailedAddsRenamesAndRowChangesAreTakenBack)
{
    for (const char *name : {"A", "B", "C"})
        ASSERT_GT(AddStation(name), 0);
    blockFile(path("stations.ptf"));
    EXPECT_EQ(AddStation("X"), -1);
    EXPECT_FALSE(RenameStation("A", "A2"));
    EXPECT_EQ(GetStationIDByName("X"), -1);
    EXPECT_EQ(GetStationIDByName("A2"), -1);
    EXPECT_EQ(GetStationIDByName("A"), 1);
    unblockFile(path("stations.ptf"));
    EXPECT_EQ(AddStation("Y"), 4);
    EXPECT_EQ(dumpRows(m_module.cdsStations, {"ID", "Station"}), "1,A | 2,B | 3,C | 4,Y");
    EXPECT_EQ(lines("stations.ptf").mid(3, 4),
              QStringList({R"(1,"A",)", R"(2,"B",)", R"(3,"C",)", R"(4,"Y",)"}));
    EXPECT_EQ(AddStation("X"), 5);

    ASSERT_EQ(AddLine("1"), 1);
    blockFile(path("lines.ptf"));
    EXPECT_EQ(AddLine("2"), -1);
    EXPECT_FALSE(RenameLine("1", "1a"));
    unblockFile(path("lines.ptf"));
    EXPECT_EQ(AddLine("2"), 2); // the ID of the failed add was not used up
    EXPECT_EQ(GetLineIDByName("1"), 1);

    ASSERT_TRUE(SetLineStations(1, {"A", "B"}));
    const QByteArray lineStations = bytes("line_stations.ptf");
    blockFile(path("line_stations.ptf"));
    EXPECT_FALSE(SetLineStations(1, {"C"}));
    EXPECT_FALSE(SetLineStations(2, {"A"}));
    EXPECT_EQ(dumpRows(m_module.cdsLineStations, {"LineID", "LineStationNumber", "StationID"}), "1,1,1 | 1,2,2");
    unblockFile(path("line_stations.ptf"));
    ASSERT_TRUE(SaveLineStations());
    EXPECT_EQ(bytes("line_stations.ptf"), lineStations);

    ASSERT_TRUE(SetLineGraphicColor(1, 1, 2, 3));
    blockFile(path("line_graphic.ptf"));
    EXPECT_FALSE(SetLineGraphicColor(1, 9, 9, 9));
    EXPECT_FALSE(SetLineGraphicColor(2, 9, 9, 9));
    EXPECT_EQ(dumpRows(m_module.cdsLineGraphic, {"LineID", "ColorRed", "ColorGreen", "ColorBlue"}), "1,1,2,3");
    unblockFile(path("line_graphic.ptf"));

    ASSERT_TRUE(AddNewStation(1));
    blockFile(path("newstations.ptf"));
    EXPECT_FALSE(AddNewStation(2));
    EXPECT_FALSE(ClearNewStations());
    EXPECT_EQ(dumpRows(m_module.cdsNewStations, {"StationID"}), "1");
    unblockFile(path("newstations.ptf"));

    ASSERT_EQ(AddLineConnection(1, 1, 1), 1);
    blockFile(path("line_connections.ptf"));
    EXPECT_EQ(AddLineConnection(1, 1, 2), -1);
    unblockFile(path("line_connections.ptf"));
    EXPECT_EQ(AddLineConnection(1, 1, 2), 2);
    EXPECT_TRUE(m_dialogs.messages.isEmpty());
}

// A master table whose file was there but damaged takes no add: the rows it could not read
// keep their IDs for themselves, and the file keeps its bytes.
TEST_F(DbFuncTest, AnAddToATableThatFailedToLoadIsRefused)
{
    for (const char *name : {"A", "B", "C"})
        ASSERT_GT(AddStation(name), 0);
    QByteArray cut = bytes("stations.ptf");
    cut.chop(6); // the closing line "2);" and the line end before it
    writeFileBytes(path("stations.ptf"), cut);
    LoadStations();
    EXPECT_EQ(m_dialogs.messages, QStringList{"Error by load PTF-File: " + path("stations.ptf")});
    m_dialogs.messages.clear();
    EXPECT_EQ(AddStation("D"), -1);
    EXPECT_EQ(bytes("stations.ptf"), cut);
    EXPECT_EQ(m_module.cdsStations.rowCount(), 0);
    EXPECT_EQ(m_dialogs.messages,
              QStringList{"The file " + path("stations.ptf") + " is damaged and was left unchanged."});
}

namespace {

// One master table file, the saves that write it and the changes of a row it holds (a rename,
// a new order, a cleared row), which need the rows that a file read but for one line still gives.
struct DamagedFileCase {
    const char *file;
    std::vector<std::function<bool()>> saves;
    std::vector<std::function<bool()>> renames = {};
};

void PrintTo(const DamagedFileCase &c, std::ostream *os)
{
    *os << c.file;
}

bool renameStation()
{
    return RenameStation("A", "Z");
}

bool renameLine()
{
    return RenameLine("1", "9");
}

// The day group's text, as the project editor changes it.
bool renameDayGroup()
{
    Table &t = dm1->cdsDayGroups;
    t.open();
    t.first();
    t.edit();
    t.fieldByName(QStringLiteral("Text")).setString(QStringLiteral("Arbeitstage"));
    t.post();
    return SaveDayGroups();
}

class DamagedMasterFile : public ProjectFolder, public ::testing::WithParamInterface<DamagedFileCase>
{
protected:
    // A project with every master file; returns the bytes of the one under test.
    QByteArray writeProject()
    {
        writePtf(path("daygroups.ptf"), {"ID", "Group", "Days", "Text"}, {R"(1,"Mo-Fr","1111100","Werktags")"});
        writePtf(path("intervals.ptf"), {"ID", "Interval"}, {"1,10,"});
        LoadDayGroups(path("daygroups.ptf"));
        LoadIntervals();
        for (const char *name : {"A", "B", "C"})
            EXPECT_GT(AddStation(name), 0);
        EXPECT_GT(AddLine("1"), 0);
        EXPECT_TRUE(SetLineStations(1, {"A", "B", "C"}));
        EXPECT_GT(AddLineConnection(1, 1, 1), 0);
        EXPECT_TRUE(SetLineGraphicColor(1, 1, 2, 3));
        EXPECT_TRUE(AddNewStation(2));
        return fileBytes(path(GetParam().file));
    }

    void loadProject()
    {
        LoadStations();
        LoadLines();
        LoadNewStations();
        LoadLineStations();
        LoadLineConnections();
        LoadIntervals();
        LoadLineGraphic();
        LoadDayGroups(path("daygroups.ptf"));
    }

    // Every save that writes the damaged file leaves its bytes as they were, says once which
    // file is damaged, and reports a failure.
    void expectRefused(const std::vector<std::function<bool()>> &saves, const QByteArray &damaged)
    {
        const QString file = path(GetParam().file);
        for (const auto &save : saves) {
            m_dialogs.messages.clear();
            EXPECT_FALSE(save());
            EXPECT_EQ(fileBytes(file), damaged);
            QStringList naming;
            for (const QString &m : m_dialogs.messages)
                if (m.contains(GetParam().file))
                    naming << m;
            EXPECT_EQ(naming, QStringList{"The file " + file + " is damaged and was left unchanged."});
        }
    }
};

} // namespace

// A master file cut short: its table then holds no row, so there is nothing to rename.
TEST_P(DamagedMasterFile, IsNeverWrittenOver)
{
    QByteArray cut = writeProject();
    ASSERT_FALSE(cut.isEmpty()) << GetParam().file;
    cut.chop(cut.size() - cut.lastIndexOf("\r\n", cut.size() - 3)); // without its closing line
    const QString file = path(GetParam().file);
    writeFileBytes(file, cut);

    loadProject();
    // The reader's message only: the file is there, so its loader does not call it "not found".
    EXPECT_EQ(m_dialogs.messages, QStringList{"Error by load PTF-File: " + file});
    expectRefused(GetParam().saves, cut);
}

// A record line edited by hand so that it no longer reads (a name that lost its quotes): the
// project opens with the other rows and names the line, and no save drops the row for good.
TEST_P(DamagedMasterFile, WithALineThatDoesNotReadIsNeverWrittenOver)
{
    QByteArray edited = writeProject();
    ASSERT_FALSE(edited.isEmpty()) << GetParam().file;
    const qsizetype closing = edited.lastIndexOf("\r\n", edited.size() - 3) + 2;
    edited.insert(closing, "11,Bahnhof West,\r\n");
    const int line = int(edited.left(closing).count("\r\n")) + 1;
    const QString file = path(GetParam().file);
    writeFileBytes(file, edited);

    loadProject();
    EXPECT_EQ(m_dialogs.messages,
              QStringList{QStringLiteral("Error by load PTF-File: %1 (line %2)").arg(file).arg(line)});
    expectRefused(GetParam().saves, edited);
    expectRefused(GetParam().renames, edited);
}

INSTANTIATE_TEST_SUITE_P(
    EveryMasterFile, DamagedMasterFile,
    ::testing::Values(
        DamagedFileCase{
            "stations.ptf", {[] { return AddStation("D") > 0; }, [] { return SaveStations(); }}, {renameStation}},
        DamagedFileCase{"lines.ptf", {[] { return AddLine("2") > 0; }, [] { return SaveLines(); }}, {renameLine}},
        DamagedFileCase{
            "newstations.ptf",
            {[] { return AddNewStation(3); }, [] { return ClearNewStations(); }, [] { return SaveNewStations(); }},
            {[] { return DeleteNewStation(2); }}},
        DamagedFileCase{"line_stations.ptf",
                        {[] { return SetLineStations(1, {"A"}); }, [] { return SaveLineStations(); }},
                        {[] { return SetLineStations(1, {"C", "B", "A"}); }}},
        DamagedFileCase{"line_connections.ptf",
                        {[] { return AddLineConnection(1, 1, 2) > 0; }, [] { return SaveLineConnections(); }},
                        {[] { return ClearLineConnection(1); }}},
        DamagedFileCase{"line_graphic.ptf",
                        {[] { return SetLineGraphicColor(1, 9, 9, 9); }, [] { return SaveLineGraphic(); }},
                        {[] { return SetLineGraphicColor(1, 4, 5, 6); }}},
        DamagedFileCase{"intervals.ptf", {}},
        DamagedFileCase{"daygroups.ptf", {[] { return SaveDayGroups(); }}, {renameDayGroup}}),
    [](const ::testing::TestParamInfo<DamagedFileCase> &info) {
        std::string name = info.param.file;
        name = name.substr(0, name.find('.'));
        name.erase(std::remove(name.begin(), name.end(), '_'), name.end());
        return name;
    });
