#include "linemap/line_course_save.h"

#include "data/db_func.h"
#include "linemap/line_course.h"
#include "course_sections.h"
#include "shared_plan_tables.h"
#include "support/project_folder.h"

#include <QDir>

namespace {

QString text(const TLineSectionArray &sections)
{
    return SectionListItems(sections).join(QStringLiteral(" ; "));
}

QString text(const TLineConnectionArray &rows)
{
    QStringList items;
    for (const TLineConnection &c : rows)
        items << QStringLiteral("%1/%2 s%3 g%4 %5")
                     .arg(c.XPos)
                     .arg(c.YPos)
                     .arg(c.Section)
                     .arg(c.Group)
                     .arg(c.Ending ? QStringLiteral("end") : QStringLiteral("start"));
    return items.join(QStringLiteral(" ; "));
}

QString parts(const TNormalisedCourse &c)
{
    QStringList items;
    for (const std::vector<int> &p : c.Parts) {
        QStringList ids;
        for (int k : p)
            ids << QString::number(k + 1);
        items << QLatin1Char('[') + ids.join(QLatin1Char(',')) + QLatin1Char(']');
    }
    return items.join(QString());
}

TEST(LineCourseNormalise, GroupsAndJunctions)
{
    // A second chain from B, where the first chain's second section starts too.
    TNormalisedCourse c = NormaliseLineCourse({sec(0, 0, 40, 0, 90), sec(40, 0, 40, 40, 180), sec(40, 0, 80, 0, 90, 2)});
    EXPECT_EQ(text(c.Sections), "1 | 0/0 => 40/0 (90°) ; 2 | 40/0 => 40/40 (180°) ; 3 | 40/0 => 80/0 (90°)");
    // A T: one section ends at the point, two leave it.
    EXPECT_EQ(text(LineJunctions(c.Sections)), "40/0 s1 g1 end ; 40/0 s2 g2 start ; 40/0 s3 g3 start");

    // A plain bend keeps its group and gives no junction.
    c = NormaliseLineCourse({sec(0, 0, 40, 0, 90), sec(40, 0, 40, 40, 180)});
    EXPECT_EQ(text(c.Sections), "1 | 0/0 => 40/0 (90°) ; 1 | 40/0 => 40/40 (180°)");
    EXPECT_EQ(text(LineJunctions(c.Sections)), "");

    // A closed loop: every point is an ordinary joint.
    c = NormaliseLineCourse({sec(0, 0, 40, 0), sec(40, 0, 40, 40), sec(40, 40, 0, 0)});
    EXPECT_EQ(text(c.Sections), "1 | 0/0 => 40/0 (90°) ; 1 | 40/0 => 40/40 (180°) ; 1 | 40/40 => 0/0 (315°)");
    EXPECT_EQ(text(LineJunctions(c.Sections)), "");

    // Two chains leaving one point.
    c = NormaliseLineCourse({sec(100, 100, 100, 60), sec(100, 60, 140, 60), sec(100, 100, 60, 100, 270, 2)});
    EXPECT_EQ(text(c.Sections),
              "1 | 100/100 => 100/60 (0°) ; 1 | 100/60 => 140/60 (90°) ; 2 | 100/100 => 60/100 (270°)");

    // Four ends at one point: four rows, the point's ends next to each other.
    c = NormaliseLineCourse(
        {sec(0, 40, 40, 40), sec(40, 40, 80, 40), sec(40, 0, 40, 40, 180, 2), sec(40, 40, 40, 80, 180, 2)});
    EXPECT_EQ(text(c.Sections), "1 | 0/40 => 40/40 (90°) ; 2 | 40/40 => 80/40 (90°) ; 3 | 40/0 => 40/40 (180°) ; "
                                "4 | 40/40 => 40/80 (180°)");
    EXPECT_EQ(text(LineJunctions(c.Sections)),
              "40/40 s1 g1 end ; 40/40 s2 g2 start ; 40/40 s3 g3 end ; 40/40 s4 g4 start");
}

TEST(LineCourseNormalise, SplitsWhereACourseMeetsAMiddle)
{
    // A start in the middle of an earlier section.
    TNormalisedCourse c = NormaliseLineCourse({sec(0, 60, 100, 60, 90), sec(40, 60, 40, 100, 180, 2)});
    EXPECT_EQ(text(c.Sections), "1 | 0/60 => 40/60 (90°) ; 2 | 40/60 => 100/60 (90°) ; 3 | 40/60 => 40/100 (180°)");
    EXPECT_EQ(parts(c), "[1,2][3]");
    EXPECT_EQ(text(LineJunctions(c.Sections)), "40/60 s1 g1 end ; 40/60 s2 g2 start ; 40/60 s3 g3 start");

    // An end in the middle of a later section.
    c = NormaliseLineCourse({sec(0, 60, 40, 60), sec(40, 0, 40, 100, 180, 2)});
    EXPECT_EQ(text(c.Sections), "1 | 0/60 => 40/60 (90°) ; 2 | 40/0 => 40/60 (180°) ; 3 | 40/60 => 40/100 (180°)");
    EXPECT_EQ(parts(c), "[1][2,3]");
    EXPECT_EQ(text(LineJunctions(c.Sections)), "40/60 s1 g1 end ; 40/60 s2 g2 end ; 40/60 s3 g3 start");

    // Stations follow the part their point lies on; placements go to every part.
    c = NormaliseLineCourse({sec(0, 60, 100, 60, 90), sec(40, 60, 40, 100, 180, 2)});
    EXPECT_EQ(MapStationSection(c, 1, 20, 60), 1);
    EXPECT_EQ(MapStationSection(c, 1, 40, 60), 1);
    EXPECT_EQ(MapStationSection(c, 1, 80, 60), 2);
    EXPECT_EQ(MapStationSection(c, 2, 40, 80), 3);
    EXPECT_EQ(MapStationSection(c, 9, 0, 0), 9);
    EXPECT_EQ(MapSectionPlacement(c, 1), (std::vector<int>{1, 2}));
    EXPECT_EQ(MapSectionPlacement(c, 2), (std::vector<int>{3}));
}

// A section number that a station or placement row holds outside the drawn course, as a damaged
// file may, stays as it is.
class SectionOutsideTheCourse : public ::testing::TestWithParam<int>
{
};

TEST_P(SectionOutsideTheCourse, StaysAsItIs)
{
    const TNormalisedCourse c = NormaliseLineCourse({sec(0, 60, 100, 60, 90), sec(40, 60, 40, 100, 180, 2)});
    EXPECT_EQ(MapStationSection(c, GetParam(), 40, 60), GetParam());
    EXPECT_EQ(MapSectionPlacement(c, GetParam()), std::vector<int>{GetParam()});
}

INSTANTIATE_TEST_SUITE_P(Numbers, SectionOutsideTheCourse,
                         ::testing::Values(0, -1, 3, 65535, 2147483647, -2147483647, -2147483647 - 1),
                         [](const ::testing::TestParamInfo<int> &info) {
                             const long long v = info.param;
                             return v < 0 ? "Minus" + std::to_string(-v) : std::to_string(v);
                         });

TEST(LineCourseNormalise, EmptySectionsAndTrueDirections)
{
    // Section 2 has no length: it goes, and a station on section 3 of 4 ends up on 2.
    const TLineSectionArray drawn = {sec(0, 0, 40, 0, 90), sec(40, 0, 40, 0, 90), sec(40, 0, 80, 0, 90),
                                     sec(80, 0, 80, 40, 180)};
    TNormalisedCourse c = NormaliseLineCourse(drawn);
    EXPECT_EQ(text(c.Sections), "1 | 0/0 => 40/0 (90°) ; 1 | 40/0 => 80/0 (90°) ; 1 | 80/0 => 80/40 (180°)");
    EXPECT_EQ(parts(c), "[1][][2][3]");
    EXPECT_EQ(MapStationSection(c, 3, 60, 0), 2);
    EXPECT_EQ(MapStationSection(c, 2, 40, 0), 2); // belongs to the section that took its place
    EXPECT_EQ(MapStationSection(c, 4, 80, 20), 3);
    EXPECT_TRUE(MapSectionPlacement(c, 2).empty());

    // A dropped last section hands its stations to the section before.
    c = NormaliseLineCourse({sec(0, 0, 40, 0, 90), sec(40, 0, 40, 0, 90)});
    EXPECT_EQ(MapStationSection(c, 2, 40, 0), 1);

    // Only zero-length sections: the course is empty.
    EXPECT_FALSE(CourseHasSections({sec(20, 20, 20, 20, 90), sec(40, 0, 40, 0)}));
    EXPECT_TRUE(CourseHasSections({sec(20, 20, 20, 20, 90), sec(40, 0, 60, 0)}));
    EXPECT_TRUE(NormaliseLineCourse({sec(20, 20, 20, 20, 90)}).Sections.empty());

    // A take-back past a stroke's start and a step cut back at an edge off the raster keep the
    // running direction in memory; the stored Degree is the section's own.
    c = NormaliseLineCourse({sec(100, 100, 80, 100, 90), sec(510, 60, 500, 60, 90), sec(500, 60, 490, 70, 45)});
    EXPECT_EQ(text(c.Sections),
              "1 | 100/100 => 80/100 (270°) ; 2 | 510/60 => 500/60 (270°) ; 2 | 500/60 => 490/70 (225°)");
}

// The save chain on the plan tables and files of plan 1, line 7.
class LineCourseSave : public ProjectFolder
{
protected:
    void SetUp() override
    {
        ProjectFolder::SetUp();
        CreateEmptySharedPlanTables();
        CreateEmptyLineMapStations();
        CreateEmptyLineMapIndividualStationPrefs();
        s.LineMapID = 1;
        s.CurrentLineID = 7;
        s.LineColor = 0x0080FF;
        s.LineWidth = 4;
        s.VehicleColor = 0x102030;
    }
    bool save() { return SaveLineCourse(s, choices, memo); }
    QString sections()
    {
        dm1->cdsLineMapLineSections.setIndexName("idxMapLineSection");
        return dumpRows(dm1->cdsLineMapLineSections,
                        {"LineMapID", "LineID", "SectionID", "GroupID", "StartX", "StartY", "EndX", "EndY", "Degree"});
    }
    QString junctions()
    {
        return dumpRows(dm1->cdsLineMapLineConnections, {"LineID", "XPos", "YPos", "Section", "Group", "Ending"});
    }
    QString lines()
    {
        return dumpRows(dm1->cdsLineMapLines, {"LineMapID", "LineID", "DefaultColor", "ColorRed", "ColorGreen",
                                               "ColorBlue", "DefaultWidth", "DrawWidth", "VehicleDefaultColor",
                                               "VehicleColorRed", "VehicleColorGreen", "VehicleColorBlue"});
    }
    QString stationsOnDisk()
    {
        EXPECT_TRUE(LoadLineMapStations(1));
        dm1->cdsLineMapStations.setIndexName("idxStationID");
        return dumpRows(dm1->cdsLineMapStations, {"LineID", "StationID", "LineSectionID", "XPos", "YPos"});
    }
    QString placementsOnDisk()
    {
        EXPECT_TRUE(LoadLineMapIndividualStationPrefs(1));
        return dumpRows(dm1->cdsLineMapIndividualStationPrefs, {"LineID", "IDType", "IDValue", "Position"});
    }
    // A directory where a file is to be written makes that write fail.
    void blockFile(const QString &file) { ASSERT_TRUE(QDir(m_dir.path()).mkdir(file)); }
    void unblockFile(const QString &file) { ASSERT_TRUE(QDir(m_dir.path()).rmdir(file)); }

    TLineMapEditorState s;
    TLineCourseSaveChoices choices;
    TLineCourseSaveMemo memo;
};

TEST_F(LineCourseSave, WritesTheLineRowSectionsAndJunctions)
{
    choices.DefaultColor = false;
    choices.VehicleDefaultColor = false;
    s.Sections = {sec(0, 40, 40, 40, 90), sec(40, 40, 80, 40, 90), sec(40, 40, 40, 0, 0, 2)};
    ASSERT_TRUE(save());
    EXPECT_EQ(lines(), "1,7,False,255,128,0,True,4,False,48,32,16");
    EXPECT_EQ(sections(), "1,7,1,1,0,40,40,40,90 | 1,7,2,2,40,40,80,40,90 | 1,7,3,3,40,40,40,0,0");
    EXPECT_EQ(junctions(), "7,40,40,1,1,True | 7,40,40,2,2,False | 7,40,40,3,3,False");
    for (const char *file : {"line_map_lines.ptf", "line_map_line_sections.ptf", "line_map_line_intersections.ptf"})
        EXPECT_NE(bytes(file), "<missing>") << file;
    EXPECT_FALSE(QFile::exists(path("lms_1.ptf"))); // nothing to renumber
    // The drawn course itself is left as drawn.
    EXPECT_EQ(s.Sections.size(), 3u);

    // Saving again replaces the line's rows and keeps other lines' rows.
    appendRows(dm1->cdsLineMapLineSections, {"LineMapID", "LineID", "SectionID", "GroupID", "StartX", "StartY", "EndX",
                                             "EndY", "Degree"},
               {{1, 8, 1, 1, 0, 0, 20, 0, 90}});
    s.Sections = {sec(0, 40, 40, 40, 90)};
    ASSERT_TRUE(save());
    EXPECT_EQ(sections(), "1,7,1,1,0,40,40,40,90 | 1,8,1,1,0,0,20,0,90");
    EXPECT_EQ(lines().left(4), "1,7,");
    EXPECT_EQ(junctions(), "");
}

TEST_F(LineCourseSave, StoppedSaveKeepsTheCourseAndTheRetryStoresIt)
{
    s.Sections = {sec(0, 40, 40, 40, 90), sec(40, 40, 80, 40, 90)};
    blockFile("line_map_line_sections.ptf");
    EXPECT_FALSE(save());
    EXPECT_EQ(text(s.Sections), "1 | 0/40 => 40/40 (90°) ; 1 | 40/40 => 80/40 (90°)");
    EXPECT_NE(bytes("line_map_lines.ptf"), "<missing>"); // written before the failure
    EXPECT_FALSE(QFile::exists(path("line_map_line_intersections.ptf")));
    // The tables hold what their files hold: the written line row, none of the unwritten rows.
    EXPECT_EQ(lines().left(4), "1,7,");
    EXPECT_EQ(sections(), "");
    EXPECT_EQ(junctions(), "");

    unblockFile("line_map_line_sections.ptf");
    ASSERT_TRUE(save());
    EXPECT_EQ(lines().left(4), "1,7,");
    EXPECT_EQ(sections(), "1,7,1,1,0,40,40,40,90 | 1,7,2,1,40,40,80,40,90");
    ASSERT_TRUE(LoadLineMapLineSections());
    EXPECT_EQ(sections(), "1,7,1,1,0,40,40,40,90 | 1,7,2,1,40,40,80,40,90");
}

TEST_F(LineCourseSave, StationsAndSectionPlacementsFollowSplitsAndRemovals)
{
    // Stored: 1 (0,60)-(100,60), 2 (100,60)-(100,160). Drawn since: an empty section and a
    // section starting in the middle of section 1.
    appendRows(dm1->cdsLineMapStations, {"LineID", "LineSectionID", "StationID", "XPos", "YPos"},
               {{7, 1, 101, 20, 60}, {7, 1, 102, 80, 60}, {7, 2, 103, 100, 100}, {8, 2, 104, 0, 0}});
    ASSERT_TRUE(SaveLineMapStations(1));
    appendRows(dm1->cdsLineMapIndividualStationPrefs, {"LineID", "IDType", "IDValue", "Position"},
               {{7, 1, 1, 1}, {7, 1, 2, 0}, {7, 0, 2, 1}, {8, 1, 1, 1}});
    ASSERT_TRUE(SaveLineMapIndividualStationPrefs(1));
    s.Sections = {sec(0, 60, 100, 60, 90), sec(100, 60, 100, 160, 180), sec(40, 60, 40, 60, 0, 2),
                  sec(40, 60, 40, 0, 0, 3)};

    // The first try stops at the sections file after the station files were renumbered.
    blockFile("line_map_line_sections.ptf");
    EXPECT_FALSE(save());
    unblockFile("line_map_line_sections.ptf");
    ASSERT_TRUE(save());
    EXPECT_EQ(sections(), "1,7,1,1,0,60,40,60,90 | 1,7,2,2,40,60,100,60,90 | 1,7,3,2,100,60,100,160,180 | "
                          "1,7,4,3,40,60,40,0,0");
    EXPECT_EQ(stationsOnDisk(), "7,101,1,20,60 | 7,102,2,80,60 | 7,103,3,100,100 | 8,104,2,0,0");
    EXPECT_EQ(placementsOnDisk(), "7,0,2,1 | 7,1,1,1 | 7,1,2,1 | 7,1,3,0 | 8,1,1,1");

    // A third save of the same course changes no number.
    memo = {};
    s.Sections = {sec(0, 60, 40, 60, 90), sec(40, 60, 100, 60, 90, 2), sec(100, 60, 100, 160, 180, 2),
                  sec(40, 60, 40, 0, 0, 3)};
    ASSERT_TRUE(save());
    EXPECT_EQ(stationsOnDisk(), "7,101,1,20,60 | 7,102,2,80,60 | 7,103,3,100,100 | 8,104,2,0,0");
    EXPECT_EQ(placementsOnDisk(), "7,0,2,1 | 7,1,1,1 | 7,1,2,1 | 7,1,3,0 | 8,1,1,1");
}

TEST_F(LineCourseSave, RenumberedPlacementFileThatFailsStopsTheSave)
{
    appendRows(dm1->cdsLineMapIndividualStationPrefs, {"LineID", "IDType", "IDValue", "Position"}, {{7, 1, 3, 1}});
    s.Sections = {sec(0, 0, 40, 0, 90), sec(40, 0, 40, 0, 90), sec(40, 0, 80, 0, 90), sec(80, 0, 80, 40, 180)};
    blockFile("lmisp_1.ptf");
    EXPECT_FALSE(save());
    EXPECT_FALSE(QFile::exists(path("line_map_line_sections.ptf")));
    unblockFile("lmisp_1.ptf");
    ASSERT_TRUE(save());
    EXPECT_EQ(placementsOnDisk(), "7,1,2,1");
    EXPECT_EQ(sections(), "1,7,1,1,0,0,40,0,90 | 1,7,2,1,40,0,80,0,90 | 1,7,3,1,80,0,80,40,180");
}

TEST_F(LineCourseSave, CourseOfZeroLengthSectionsTakesTheLineOffThePlan)
{
    s.Sections = {sec(0, 40, 40, 40, 90), sec(40, 40, 40, 0, 0, 2), sec(40, 40, 80, 40, 90, 3)};
    ASSERT_TRUE(save());
    appendRows(dm1->cdsLineMapStations, {"LineID", "LineSectionID", "StationID", "XPos", "YPos"},
               {{7, 1, 101, 20, 40}, {8, 1, 102, 0, 0}});
    ASSERT_TRUE(SaveLineMapStations(1));
    AddLineTextVisible(1, 7, true, true, false);
    AddLineTextVisible(1, 8, true, true, false);

    // Drawing switched on and off without a step leaves sections of no length only.
    s.Sections = {sec(60, 60, 60, 60, -1, 1), sec(20, 20, 20, 20, -1, 2)};
    ASSERT_TRUE(save());
    EXPECT_EQ(lines(), "");
    EXPECT_EQ(sections(), "");
    EXPECT_EQ(junctions(), "");
    EXPECT_EQ(stationsOnDisk(), "8,102,1,0,0");
    EXPECT_EQ(dumpRows(dm1->cdsLineMapLineTextVisible, {"LineMapID", "LineID"}), "1,8");
    ASSERT_TRUE(LoadLineMapLines());
    EXPECT_EQ(lines(), "");
}

TEST_F(LineCourseSave, DeletedCourseDropsStationsAndPlacementsOfTheLine)
{
    appendRows(dm1->cdsLineMapStations, {"LineID", "LineSectionID", "StationID", "XPos", "YPos"},
               {{7, 1, 101, 20, 40}, {8, 1, 102, 0, 0}});
    ASSERT_TRUE(SaveLineMapStations(1));
    appendRows(dm1->cdsLineMapIndividualStationPrefs, {"LineID", "IDType", "IDValue", "Position"},
               {{7, 0, 101, 1}, {8, 1, 1, 1}});
    ASSERT_TRUE(SaveLineMapIndividualStationPrefs(1));
    s.AllSectionsDeleted = true;
    s.Sections = {sec(0, 0, 0, 40, 180)};
    ASSERT_TRUE(save());
    EXPECT_EQ(stationsOnDisk(), "8,102,1,0,0");
    EXPECT_EQ(placementsOnDisk(), "8,1,1,1");
    EXPECT_EQ(sections(), "1,7,1,1,0,0,0,40,180");
}

} // namespace

TEST_F(LineCourseSave, DamagedPlanFilesStopTheSaveBeforeAnyWrite)
{
    writePtf(path("line_map_lines.ptf"),
             {"LineMapID", "LineID", "DefaultColor", "ColorRed", "ColorGreen", "ColorBlue", "DefaultWidth", "DrawWidth",
              "VehicleDefaultColor", "VehicleColorRed", "VehicleColorGreen", "VehicleColorBlue"},
             {"1,8,true,0,0,0,true,3,true,0,0,0"});
    writePtf(path("line_map_line_sections.ptf"),
             {"LineMapID", "LineID", "SectionID", "GroupID", "LineDirection", "StartX", "StartY", "EndX", "EndY",
              "Degree"},
             {"1,8,1,1,0,0,0,40,0,90"});
    const QByteArray whole = bytes("line_map_line_sections.ptf");
    QByteArray cut = whole;
    cut.chop(2);
    cut = cut.left(cut.lastIndexOf('\n') + 1);
    writeFileBytes(path("line_map_line_sections.ptf"), cut);
    const QByteArray lineRows = bytes("line_map_lines.ptf");
    EXPECT_FALSE(LoadLineMapLineSections());
    ASSERT_TRUE(LoadLineMapLines());
    m_dialogs.messages.clear();

    // An empty course would take the line off the plan; a full one would lose line 8's course.
    for (const TLineSectionArray &course : {TLineSectionArray{}, TLineSectionArray{sec(0, 40, 40, 40, 90)}}) {
        s.Sections = course;
        QString failed = QStringLiteral("unset");
        EXPECT_FALSE(SaveLineCourse(s, choices, memo, &failed));
        EXPECT_EQ(failed, ""); // told by the refusal itself
        EXPECT_EQ(m_dialogs.messages, QStringList{"The file " + path("line_map_line_sections.ptf") +
                                                  " is damaged and was left unchanged."});
        m_dialogs.messages.clear();
        EXPECT_EQ(bytes("line_map_line_sections.ptf"), cut);
        EXPECT_EQ(bytes("line_map_lines.ptf"), lineRows);
        EXPECT_FALSE(QFile::exists(path("line_map_line_intersections.ptf")));
        EXPECT_FALSE(QFile::exists(path("lms_1.ptf")));
    }
}
