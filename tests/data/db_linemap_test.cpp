#include "data/db_func.h"

#include "plan_project.h"

namespace {

FontValue font(int seed, bool withColor)
{
    FontValue f;
    f.charset = seed;
    f.name = QStringLiteral("Font%1").arg(seed);
    f.size = seed + 1;
    f.bold = seed % 2 == 0;
    f.italic = seed % 3 == 0;
    f.underline = seed % 2 == 1;
    f.strikeOut = seed % 5 == 0;
    f.color = withColor ? std::uint32_t(0x030201 * (seed % 7 + 1)) : 0;
    return f;
}

TStationDirectionPrefs direction(int seed)
{
    return {std::uint8_t(seed), seed + 1, -(seed + 2), std::uint8_t(seed % 3), seed % 2 ? 45 : -90};
}

// Every field a value of its own, so a column written or read in the wrong place shows.
TLineMapPrefs sample()
{
    TLineMapPrefs p;
    p.Name = QStringLiteral("Netz");
    p.Width = 1200;
    p.Height = 900;
    p.BackgroundColor = 0x102030;
    p.BackgroundImageOn = true;
    p.BackgroundImage = QStringLiteral("C:\\Bilder\\Stadt.bmp");
    p.LineRasterWidth = 20;
    p.LineDefaultColor = false;
    p.LineColor = 0x405060;
    p.LineDrawWidth = 4;
    p.LineTextPosStart = true;
    p.LineTextPosEnd = false;
    p.LineTextPosOther = true;
    p.LineTextFont = font(3, false);
    p.LineTextDefaultColor = false;
    p.LineTextColor = 0x708090;
    p.LineTextDefaultBackgroundColor = true;
    p.LineTextBackgroundColor = 0xA0B0C0;
    p.LineTextDistance = 7;
    p.VehicleColor = 0xD0E0F0;
    p.StationFont = font(4, true);
    p.WE = direction(1);
    p.NS = direction(2);
    p.NWSE = direction(3);
    p.SWNE = direction(4);
    p.MultiStationFont = font(5, true);
    p.MultiStationRoundSelfPos = true;
    p.MultiStationTextInheritSelfPos = false;
    p.MultiStationRoundParallel = true;
    p.MultiStationAutoPos = false;
    p.MultiStationPosition = 11;
    p.MultiStationAlign = 2;
    p.MultiStationOffsetX = -12;
    p.MultiStationOffsetY = 13;
    p.MultiStationRotation = -45;
    return p;
}

class PlanRows : public PlanProject
{
protected:
    QString prefsFile() const { return path("line_map_prefs.ptf"); }
    void reloadPrefs()
    {
        CreateEmptyLineMapPrefs();
        ASSERT_TRUE(LoadLineMapPrefs(prefsFile()));
    }
};

} // namespace

TEST_F(PlanRows, StyleRecordRoundTripsThroughAll85Columns)
{
    const TLineMapPrefs p = sample();
    CreateEmptyLineMapPrefs();
    ASSERT_TRUE(AddLineMapPrefs(7, p));

    const QStringList names = columns("line_map_prefs.ptf");
    ASSERT_EQ(names.size(), 85);
    const QStringList stored = rows("line_map_prefs.ptf", names);
    ASSERT_EQ(stored.size(), 1);
    EXPECT_FALSE(stored[0].split(',').contains("null")) << stored[0].toStdString();
    EXPECT_EQ(rows("line_map_prefs.ptf",
                   {"LineMapID", "BackgroundColorRed", "BackgroundColorBlue", "StationFontColorRed",
                    "StationFontColorGreen", "StationFontName", "StationNSOffsetY", "StationSWNERotation",
                    "MultiStationFontColorBlue", "LineTextFontStyleStrikeOut", "MultiStationPosition"}),
              QStringList{"7,48,16,5,10,Font4,-4,-90,18,False,11"});

    reloadPrefs();
    TLineMapPrefs read;
    read.Name = QStringLiteral("kept");
    ASSERT_TRUE(ReadLineMapPrefs(7, read));
    EXPECT_EQ(read.Name, "kept");
    read.Name = p.Name;
    EXPECT_TRUE(read == p);
    EXPECT_EQ(read.StationFont, p.StationFont);
    EXPECT_EQ(read.MultiStationFont, p.MultiStationFont);
    EXPECT_EQ(read.SWNE, p.SWNE);
}

TEST_F(PlanRows, AddUpdateReadAndDeleteTheStyleRow)
{
    CreateEmptyLineMapPrefs();
    TLineMapPrefs p = sample();
    ASSERT_TRUE(AddLineMapPrefs(1, p));
    const QByteArray written = bytes("line_map_prefs.ptf");

    // A second add and an update of a plan without a row change nothing.
    p.Width = 1;
    EXPECT_FALSE(AddLineMapPrefs(1, p));
    EXPECT_FALSE(UpdateLineMapPrefs(2, p));
    EXPECT_EQ(bytes("line_map_prefs.ptf"), written);

    // A plan without a row leaves the record as it was.
    TLineMapPrefs untouched = sample();
    untouched.Width = 77;
    TLineMapPrefs r = untouched;
    EXPECT_FALSE(ReadLineMapPrefs(2, r));
    EXPECT_TRUE(r == untouched);

    ASSERT_TRUE(UpdateLineMapPrefs(1, p));
    EXPECT_EQ(rows("line_map_prefs.ptf", {"LineMapID", "Width"}), QStringList{"1,1"});
    EXPECT_FALSE(DeleteLineMapPrefs(2));
    ASSERT_TRUE(DeleteLineMapPrefs(1));
    EXPECT_EQ(rows("line_map_prefs.ptf", {"LineMapID"}), QStringList());

    // A settings file that cannot be written is reported.
    ASSERT_TRUE(AddLineMapPrefs(3, p));
    blockFile("line_map_prefs.ptf");
    EXPECT_FALSE(UpdateLineMapPrefs(3, p));
    EXPECT_FALSE(DeleteLineMapPrefs(3));
}

TEST_F(PlanRows, ColoursFontsAndDamagedValues)
{
    CreateEmptyLineMapPrefs();
    TLineMapPrefs p = sample();
    // A colour with flag bits above the RGB value (as a system colour has) is stored as its RGB.
    p.BackgroundColor = int(0x80000000u | 0x336699u);
    ASSERT_TRUE(AddLineMapPrefs(1, p));
    EXPECT_EQ(rows("line_map_prefs.ptf", {"BackgroundColorRed", "BackgroundColorGreen", "BackgroundColorBlue"}),
              QStringList{"153,102,51"});

    Table &t = m_module.cdsLineMapPrefs;
    t.open();
    t.setIndexName("idxMapID");
    ASSERT_TRUE(t.findKey({1}));
    t.edit();
    t.fieldByName("LineTextFontStyleBold").setBoolean(true);
    t.fieldByName("LineTextFontStyleItalic").setBoolean(false);
    t.fieldByName("LineTextFontStyleUnderline").setBoolean(true);
    t.fieldByName("LineTextFontStyleStrikeOut").setBoolean(false);
    t.fieldByName("VehicleColorRed").setInteger(300);
    t.fieldByName("VehicleColorGreen").setInteger(-4);
    t.fieldByName("VehicleColorBlue").setInteger(1 << 30);
    t.fieldByName("MultiStationPosition").setInteger(999);
    t.fieldByName("StationWETextDirection").clear();
    t.post();

    TLineMapPrefs r;
    r.LineTextFont.italic = true;
    r.LineTextFont.strikeOut = true;
    ASSERT_TRUE(ReadLineMapPrefs(1, r));
    EXPECT_EQ(r.BackgroundColor, 0x336699);
    EXPECT_TRUE(r.LineTextFont.bold);
    EXPECT_TRUE(r.LineTextFont.underline);
    EXPECT_FALSE(r.LineTextFont.italic);
    EXPECT_FALSE(r.LineTextFont.strikeOut);
    EXPECT_EQ(r.VehicleColor, 0xFF00FF);
    EXPECT_EQ(r.MultiStationPosition, 255);
    EXPECT_EQ(r.WE.TextDirection, 0);
}

TEST_F(PlanRows, RowRoutinesInMemory)
{
    CreateEmptyLineMapIndividualMultiStationPrefs();
    CreateEmptyLineMapIndividualStationPrefs();
    CreateEmptyLineMapLineTextOffset();
    CreateEmptyLineMapStations();
    Table &multi = m_module.cdsLineMapIndividualMultiStationPrefs;
    multi.setIndexName("idxStationID");
    ASSERT_TRUE(AddMultiStationPrefs(A, 3, -1, 8, 2, 90));
    EXPECT_EQ(GetMultiStationOffsetX(A), -1); // a stored -1 looks like no row
    EXPECT_EQ(GetMultiStationOffsetX(B), -1);
    EXPECT_EQ(GetMultiStationOffsetY(A), 8);
    EXPECT_EQ(GetMultiStationTextDirection(A), 2);
    EXPECT_TRUE(SetMultiStationTextPosition(A, 4, 1, -45));
    EXPECT_TRUE(SetMultiStationOffsetX(A, 6));
    EXPECT_FALSE(SetMultiStationOffsetY(B, 6));
    EXPECT_EQ(dumpRows(multi, kMulti), "1,4,6,8,1,-45");

    Table &individual = m_module.cdsLineMapIndividualStationPrefs;
    ASSERT_TRUE(AddIndividualStationPrefs(L1, 0, B, 1, 2, 3, 0, 0));
    ASSERT_TRUE(AddIndividualStationPrefs(L1, 1, B, 1, 5, 6, 0, 0));
    // Another index active: the search misses (and nothing throws); with the key's index it finds.
    individual.setIndexName("idxTypeValue");
    EXPECT_FALSE(SetIndividualStationOffsetX(L1, 1, B, 50));
    EXPECT_EQ(GetIndividualStationOffsetY(L1, 1, B), -1);
    individual.setIndexName("idxLineIDTypeValue");
    EXPECT_TRUE(SetIndividualStationOffsetX(L1, 1, B, 50));
    EXPECT_TRUE(SetIndividualStationOffsetY(L1, 1, B, 60));
    EXPECT_TRUE(SetIndividualStationTextPosition(L1, 0, B, 9, 2, 45));
    EXPECT_EQ(GetIndividualStationOffsetX(L1, 1, B), 50);
    EXPECT_EQ(dumpRows(individual, kIndividual), "10,0,2,9,2,3,2,45 | 10,1,2,1,50,60,0,0");
    EXPECT_TRUE(DeleteIndividualStationPrefs(L1, 0, B));
    EXPECT_EQ(individual.indexName(), "idxLineIDTypeValue");
    EXPECT_EQ(dumpRows(individual, {"IDType"}), "1");

    // The offset at one position goes alone; the plan and line's offsets all go together.
    for (int position : {0, 1})
        ASSERT_TRUE(AddLineTextOffset(1, L1, position, 1, position, position));
    ASSERT_TRUE(AddLineTextOffset(1, L2, 0, 1, 0, 0));
    ASSERT_TRUE(AddLineTextOffset(2, L1, 0, 1, 0, 0));
    Table &offsets = m_module.cdsLineMapLineTextOffset;
    EXPECT_TRUE(DeleteLineTextOffsetAtPosition(1, L1, 1));
    offsets.setIndexName("idxMapLinePosition");
    EXPECT_EQ(dumpRows(offsets, {"LineMapID", "LineID", "Position"}), "1,10,0 | 1,11,0 | 2,10,0");
    ASSERT_TRUE(AddLineTextOffset(1, L1, 1, 1, 1, 1));
    EXPECT_TRUE(DeleteLineTextOffset(1, L1));
    EXPECT_EQ(dumpRows(offsets, {"LineMapID", "LineID"}), "1,11 | 2,10");

    ASSERT_TRUE(AddLineMapStation(L1, 1, A, 0, 0));
    ASSERT_TRUE(AddLineMapStation(L2, 1, A, 5, 5));
    EXPECT_TRUE(DeleteLineMapStationsOfLine(L1));
    EXPECT_EQ(dumpRows(m_module.cdsLineMapStations, {"LineID"}), "11");

    // A table that was never opened: an add fails, nothing throws.
    Tdm1 fresh;
    Tdm1 *saved = dm1;
    dm1 = &fresh;
    EXPECT_FALSE(AddLineTextVisible(1, L1, true, true, true));
    EXPECT_EQ(GetMultiStationOffsetX(A), -1);
    dm1 = saved;
}

TEST_F(PlanRows, PlanWhoseDataWasNeverWrittenIsDeletedAndKeepsItsImage)
{
    CreateEmptyLineMapPrefs();
    TLineMapPrefs p = sample();
    ASSERT_TRUE(AddLineMapPrefs(1, p));
    p.Width = 800;
    ASSERT_TRUE(AddLineMapPrefs(2, p));
    for (const char *file :
         {"line_map_line_sections.ptf", "line_map_line_intersections.ptf", "line_map_line_text_visible.ptf",
          "line_map_line_text_color.ptf", "line_map_line_text_offset.ptf", "lms_1.ptf", "lmisp_1.ptf", "lmimsp_1.ptf"})
        ASSERT_TRUE(QFile::remove(path(file))) << file;
    takeFolderAsItIs();
    LoadLineMaps();
    // A cancelled New leaves the template's rows in memory; they must not reach the file.
    CreateEmptyLineMapPrefs();
    appendRows(m_module.cdsLineMapPrefs, {"LineMapID", "Width"}, {{1, 9999}, {2, 9999}});

    ASSERT_TRUE(DeleteLineMap(1));
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join('\n').toStdString();
    EXPECT_EQ(rows("line_maps.ptf", {"ID"}), QStringList{"2"});
    EXPECT_EQ(GetLineMapIDByName("Netz"), -1);
    EXPECT_EQ(rows("line_map_prefs.ptf", {"LineMapID", "Width"}), QStringList{"2,800"});
    EXPECT_EQ(rows("line_map_lines.ptf", {"LineMapID", "LineID"}), QStringList({"2,10", "2,12"}));
    for (const char *file : {"line_map_line_sections.ptf", "line_map_line_intersections.ptf",
                             "line_map_line_text_visible.ptf", "lms_1.ptf"})
        EXPECT_FALSE(QFileInfo::exists(path(file))) << file;
    EXPECT_TRUE(QFileInfo::exists(path("images/line_map_1.jpg")));

    // A plan without a settings row, in a project without a settings file.
    ASSERT_TRUE(QFile::remove(prefsFile()));
    takeFolderAsItIs();
    ASSERT_TRUE(DeleteLineMap(2));
    EXPECT_FALSE(QFileInfo::exists(prefsFile()));
    EXPECT_FALSE(QFileInfo::exists(path("lms_2.ptf")));
    EXPECT_EQ(rows("line_maps.ptf", {"ID"}), QStringList());
    EXPECT_EQ(rows("line_map_lines.ptf", {"LineMapID"}), QStringList());
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join('\n').toStdString();
}

TEST_F(PlanRows, WholePlanLeavesTheSharedTables)
{
    LoadLineMaps();
    ASSERT_TRUE(DeleteLineMap(2));
    for (const char *file : {"lms_2.ptf", "lmisp_2.ptf", "lmimsp_2.ptf"})
        EXPECT_FALSE(QFileInfo::exists(path(file))) << file;
    EXPECT_EQ(rows("line_map_lines.ptf", {"LineMapID"}), QStringList({"1", "1"}));
    EXPECT_EQ(rows("line_map_line_sections.ptf", {"LineMapID"}), QStringList({"1", "1"}));
    EXPECT_EQ(rows("line_map_line_intersections.ptf", {"LineMapID"}), QStringList({"1", "1"}));
    EXPECT_EQ(rows("line_map_line_text_visible.ptf", {"LineMapID"}), QStringList({"1", "1"}));
    EXPECT_EQ(rows("line_map_line_text_color.ptf", {"LineMapID"}), QStringList{"1"});
    EXPECT_EQ(rows("line_map_line_text_offset.ptf", {"LineMapID"}), QStringList({"1", "1"}));
    EXPECT_EQ(rows("line_maps.ptf", {"Name"}), QStringList{"Netz"});
    EXPECT_TRUE(QFileInfo::exists(path("lms_1.ptf")));
}

TEST_F(PlanRows, FailedStepsStopThePlanDeletion)
{
    LoadLineMaps();
    blockFile("lmisp_1.ptf");
    EXPECT_FALSE(DeleteLineMap(1));
    EXPECT_TRUE(QFileInfo::exists(path("lmimsp_1.ptf"))); // step 1 was undone
    EXPECT_TRUE(QFileInfo::exists(path("lms_1.ptf")));
    EXPECT_EQ(rows("line_map_lines.ptf", {"LineMapID"}).count("1"), 2);
    EXPECT_EQ(GetLineMapIDByName("Netz"), 1);
    ASSERT_TRUE(QDir(path("lmisp_1.ptf")).removeRecursively());

    // The list file cannot be written: the plan stays listed and can be deleted again.
    blockFile("line_maps.ptf");
    EXPECT_FALSE(DeleteLineMapRecord(1));
    EXPECT_EQ(GetLineMapIDByName("Netz"), 1);
    EXPECT_FALSE(DeleteLineMapRecord(5));
    ASSERT_TRUE(QDir(path("line_maps.ptf")).removeRecursively());
    EXPECT_TRUE(DeleteLineMap(1));
    EXPECT_EQ(rows("line_maps.ptf", {"ID"}), QStringList{"2"});
}

TEST_F(PlanRows, FailedSettingsWritesTakeTheirChangeBack)
{
    CreateEmptyLineMapPrefs();
    const TLineMapPrefs p = sample();
    ASSERT_TRUE(AddLineMapPrefs(1, p));
    blockFile("line_map_prefs.ptf");
    TLineMapPrefs changed = p;
    changed.Width = 5;
    EXPECT_FALSE(AddLineMapPrefs(2, changed));
    EXPECT_FALSE(UpdateLineMapPrefs(1, changed));
    EXPECT_FALSE(DeleteLineMapPrefs(1));
    // The table holds what the file holds: plan 1 as it was, no plan 2.
    TLineMapPrefs r;
    EXPECT_FALSE(ReadLineMapPrefs(2, r));
    ASSERT_TRUE(ReadLineMapPrefs(1, r));
    EXPECT_EQ(r.Width, 1200);

    // Writable again, the next write carries none of the failed changes.
    ASSERT_TRUE(QDir(path("line_map_prefs.ptf")).removeRecursively());
    ASSERT_TRUE(AddLineMapPrefs(3, changed));
    EXPECT_EQ(rows("line_map_prefs.ptf", {"LineMapID", "Width"}), QStringList({"1,1200", "3,5"}));
}

TEST_F(PlanRows, DamagedFilesStopThePlanDeletionBeforeAnythingGoes)
{
    LoadLineMaps();
    for (const char *file : {"line_map_line_text_offset.ptf", "line_map_lines.ptf", "line_map_prefs.ptf"}) {
        SCOPED_TRACE(file);
        if (QLatin1String(file) == QLatin1String("line_map_prefs.ptf")) {
            CreateEmptyLineMapPrefs();
            ASSERT_TRUE(AddLineMapPrefs(2, sample()));
        }
        const QByteArray cut = cutShort(file);
        m_dialogs.messages.clear();
        EXPECT_FALSE(DeleteLineMap(2));
        EXPECT_EQ(bytes(file), cut);
        EXPECT_EQ(m_dialogs.messages, QStringList{"Error by load PTF-File: " + path(file)});
        // The plan is whole: its own files, its rows and its list entry.
        EXPECT_TRUE(QFileInfo::exists(path("lms_2.ptf")));
        EXPECT_EQ(rows("line_map_line_sections.ptf", {"LineMapID"}).count("2"), 2);
        EXPECT_EQ(GetLineMapIDByName("Innen"), 2);
        QFile::remove(path(file));
        takeFolderAsItIs();
    }
    // With the damaged files gone (a missing file holds no rows) the plan can be deleted.
    m_dialogs.messages.clear();
    EXPECT_TRUE(DeleteLineMap(2));
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join('\n').toStdString();
}

// A settings file with the old offset names is read from a renamed copy: with a line that does
// not read, the table is marked with the file itself, so no save writes over it.
TEST_F(PlanRows, ADamagedSettingsFileWithTheOldNamesIsNeverWrittenOver)
{
    CreateEmptyLineMapPrefs();
    ASSERT_TRUE(AddLineMapPrefs(2, sample()));
    QStringList lines;
    ASSERT_TRUE(ansi::readLines(prefsFile(), lines));
    ASSERT_GE(lines.size(), 4);
    lines[2].replace(QStringLiteral("\"StationWEOffsetX\""), QStringLiteral("\"StationWELineDistanceH\""));
    lines.insert(lines.size() - 1, QStringLiteral("9,Bahnhof West,"));
    ASSERT_TRUE(ansi::writeLines(prefsFile(), lines));
    const QByteArray before = bytes("line_map_prefs.ptf");
    m_dialogs.messages.clear();
    EXPECT_FALSE(LoadLineMapPrefs(prefsFile()));
    EXPECT_EQ(dm1->cdsLineMapPrefs.damagedFile(), prefsFile());
    EXPECT_EQ(m_dialogs.messages,
              QStringList{QStringLiteral("Error by load PTF-File: %1 (line %2)").arg(prefsFile()).arg(lines.size() - 1)});
    m_dialogs.messages.clear();
    EXPECT_FALSE(SaveLineMapPrefs());
    EXPECT_EQ(bytes("line_map_prefs.ptf"), before);
    EXPECT_EQ(m_dialogs.messages, QStringList{DamagedFileMessage(prefsFile())});
}

TEST_F(PlanRows, FailedPlanAddAndRenameAreTakenBack)
{
    LoadLineMaps();
    const QByteArray listed = bytes("line_maps.ptf");
    blockFile("line_maps.ptf");
    EXPECT_EQ(AddLineMap("Aussen"), -1);
    EXPECT_FALSE(RenameLineMap("Netz", "Kern"));
    EXPECT_EQ(GetLineMapIDByName("Aussen"), -1);
    EXPECT_EQ(GetLineMapIDByName("Kern"), -1);
    EXPECT_EQ(GetLineMapIDByName("Netz"), 1);

    // Writable again: the failed add left its ID free and the failed rename nothing behind.
    ASSERT_TRUE(QDir(path("line_maps.ptf")).removeRecursively());
    writeText(path("line_maps.ptf"), listed);
    EXPECT_EQ(AddLineMap("Vorort"), 3);
    EXPECT_EQ(rows("line_maps.ptf", {"ID", "Name"}), QStringList({"1,Netz", "2,Innen", "3,Vorort"}));
}
