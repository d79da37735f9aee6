#include "data/db_func.h"

#include "data/data_module_1.h"
#include "data/main_globals.h"
#include "data/table_files.h"
#include "platform/ansi.h"
#include "support/scripted_dialogs.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

namespace {

constexpr char kHeader[] = "/* Portable Table Format 1.0 */\nporTables[porTables.length] = new Array(\n";

class DbFuncTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_module = std::make_unique<Tdm1>();
        dm1 = m_module.get();
        ProjectDir = m_dir.path();
        ProjectFileName = m_dir.filePath(QStringLiteral("city.ppr"));
    }
    void TearDown() override
    {
        dm1 = nullptr;
        ProjectDir.clear();
        ProjectFileName.clear();
    }

    QString path(const QString &file) const { return m_dir.filePath(file); }

    // A table file from lines written with "\n"; the header lines are put in front.
    void writePtf(const QString &file, const QString &body) const
    {
        ASSERT_TRUE(ansi::writeLines(path(file), ansi::splitLines(QLatin1String(kHeader) + body)));
    }

    QByteArray bytes(const QString &file) const
    {
        QFile f(path(file));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Rows of the table in its active order, fields separated by ",", rows by " | ".
    static QString dump(Table &t, const QStringList &fields)
    {
        const bool wasOpen = t.active();
        t.open();
        QStringList rows;
        for (t.first(); !t.eof(); t.next()) {
            QStringList values;
            for (const QString &f : fields)
                values << (t.fieldByName(f).isNull() ? QStringLiteral("null") : t.fieldByName(f).asString());
            rows << values.join(QLatin1Char(','));
        }
        if (!wasOpen)
            t.close();
        return rows.join(QStringLiteral(" | "));
    }

    void addStations(const QList<QPair<int, QString>> &rows)
    {
        Table &t = dm1->cdsStations;
        t.open();
        for (const auto &r : rows) {
            t.append();
            t.fieldByName(QStringLiteral("ID")).setInteger(r.first);
            t.fieldByName(QStringLiteral("Station")).setString(r.second);
            t.post();
        }
        t.close();
    }

    QTemporaryDir m_dir;
    std::unique_ptr<Tdm1> m_module;
    ScriptedDialogs m_dialogs;
};

TEST_F(DbFuncTest, CreateEmptyOpensOnlyThePerPlanAndLineLabelTables)
{
    addStations({{1, QStringLiteral("A")}});
    CreateEmptyStations();
    EXPECT_FALSE(dm1->cdsStations.active());
    EXPECT_EQ(dm1->cdsStations.rowCount(), 0);
    EXPECT_TRUE(CreateEmptyLineMapLines());
    EXPECT_FALSE(dm1->cdsLineMapLines.active());
    CreateEmptyLineMapLineTextOffset();
    EXPECT_TRUE(dm1->cdsLineMapLineTextOffset.active());

    // An emptied table saves as the four lines of a table without rows.
    CreateEmptyLineGraphic();
    ASSERT_TRUE(SaveLineGraphic());
    EXPECT_EQ(bytes(QStringLiteral("line_graphic.ptf")),
              QByteArray("/* Portable Table Format 1.0 */\r\nporTables[porTables.length] = new Array(\r\n"
                         "\"LineID\",\"ColorRed\",\"ColorGreen\",\"ColorBlue\",\r\n4);\r\n"));
    EXPECT_TRUE(m_dialogs.messages.isEmpty());
}

TEST_F(DbFuncTest, MasterLoadsReportTheirMissingFiles)
{
    LoadStations();
    LoadLines();
    LoadLineStations();
    LoadLineConnections();
    LoadIntervals();
    LoadLineGraphic();
    LoadLineMaps();
    LoadDayGroups(path(QStringLiteral("daygroups.ptf")));
    EXPECT_EQ(m_dialogs.messages, QStringList({
                                      QStringLiteral("Station-File stations.ptf not found"),
                                      QStringLiteral("Line-File lines.ptf not found"),
                                      QStringLiteral("File line_stations.ptf (lines-stations connections) not found"),
                                      QStringLiteral("File line_connections.ptf (line-connections) not found"),
                                      QStringLiteral("Interval-File intervals.ptf not found"),
                                      QStringLiteral("File line_graphic.ptf (line-graphic) not found"),
                                      QStringLiteral("File line_maps.ptf (line-maps) not found"),
                                      QStringLiteral("Daygroups-File daygroups.ptf not found"),
                                  }));

    // Without newstations.ptf the list stays as it was, and nothing is said.
    m_dialogs.messages.clear();
    Table &ns = dm1->cdsNewStations;
    ns.open();
    ns.append();
    ns.fieldByName(QStringLiteral("StationID")).setInteger(4);
    ns.post();
    ns.close();
    LoadNewStations();
    EXPECT_TRUE(m_dialogs.messages.isEmpty());
    EXPECT_EQ(dump(ns, {QStringLiteral("StationID")}), QStringLiteral("4"));

    writePtf(QStringLiteral("newstations.ptf"), QStringLiteral("\"StationID\",\n7,\n9,\n1);"));
    LoadNewStations();
    EXPECT_EQ(dump(ns, {QStringLiteral("StationID")}), QStringLiteral("7 | 9"));
    EXPECT_FALSE(ns.active());

    // A file that is there but too short is reported with the same words.
    ASSERT_TRUE(ansi::writeLines(path(QStringLiteral("newstations.ptf")), {QStringLiteral("x")}));
    LoadNewStations();
    EXPECT_EQ(m_dialogs.messages, QStringList{QStringLiteral("File (newstations.ptf) (new stations) not found")});
}

TEST_F(DbFuncTest, SaveStationsDropsEmptyNamesAndWritesInIDOrder)
{
    addStations({{5, QStringLiteral("E")},
                 {1, QStringLiteral("A")},
                 {2, QString()},
                 {3, QString()},
                 {4, QStringLiteral("D")},
                 {6, QString()}});
    ASSERT_TRUE(SaveStations());
    EXPECT_EQ(dm1->cdsStations.rowCount(), 3);
    CreateEmptyStations();
    LoadStations();
    EXPECT_EQ(dump(dm1->cdsStations, {QStringLiteral("ID"), QStringLiteral("Station")}),
              QStringLiteral("1,A | 4,D | 5,E"));
    EXPECT_EQ(ansi::splitLines(ansi::decode(bytes(QStringLiteral("stations.ptf")))).mid(2),
              QStringList({QStringLiteral("\"ID\",\"Station\","), QStringLiteral("1,\"A\","),
                           QStringLiteral("4,\"D\","), QStringLiteral("5,\"E\","), QStringLiteral("2);")}));
}

TEST_F(DbFuncTest, PerPlanTablesLoadEmptyWhenMissing)
{
    Table &lms = dm1->cdsLineMapStations;
    EXPECT_TRUE(LoadLineMapStations(3));
    EXPECT_TRUE(lms.active());
    EXPECT_EQ(lms.rowCount(), 0);
    EXPECT_TRUE(LoadLineMapLineTextVisible());
    EXPECT_TRUE(dm1->cdsLineMapLineTextVisible.active());
    EXPECT_TRUE(LoadOrCreateLineMapLines());
    EXPECT_EQ(dm1->cdsLineMapLines.rowCount(), 0);
    EXPECT_TRUE(m_dialogs.messages.isEmpty());

    // Damaged files: the reader reports, then the loader adds its own words.
    writePtf(QStringLiteral("lms_3.ptf"), QStringLiteral("\"LineID\",\n\"one\",\n5);"));
    writePtf(QStringLiteral("line_map_line_text_color.ptf"), QStringLiteral("\"LineMapID\",\n\"one\",\n10);"));
    writePtf(QStringLiteral("line_map_line_sections.ptf"), QStringLiteral("\"LineMapID\",\n\"one\",\n10);"));
    m_dialogs.messages.clear();
    EXPECT_FALSE(LoadLineMapStations(3));
    EXPECT_FALSE(LoadLineMapLineTextColor());
    EXPECT_FALSE(LoadLineMapLineSections());
    EXPECT_FALSE(LoadLineMapLineIntersections());
    EXPECT_FALSE(LoadLineMapLines());
    QStringList own;
    for (const QString &m : m_dialogs.messages) {
        if (!m.startsWith(QLatin1String("Error by load PTF-File")))
            own << m;
    }
    EXPECT_EQ(own, QStringList({
                       QStringLiteral("Fehler beim laden der Datei: ") + path(QStringLiteral("lms_3.ptf")),
                       QStringLiteral("Datei line_map_line_text_color.ptf nicht gefunden!"),
                       QStringLiteral("File line_map_line_sections.ptf not found"),
                       QStringLiteral("File line_map_line_intersections.ptf not found"),
                       QStringLiteral("File line_map_lines.ptf not found"),
                   }));
}

TEST_F(DbFuncTest, IndividualPrefsWithOldOffsetNamesAreRenamedWithoutSignChange)
{
    writePtf(QStringLiteral("lmimsp_2.ptf"), QStringLiteral("\"StationID\",\"Position\",\"LineDistanceH\","
                                                            "\"LineDistanceV\",\"TextDirection\",\"Rotation\",\n"
                                                            "4,1,-3,7,0,45,\n6);"));
    ASSERT_TRUE(LoadLineMapIndividualMultiStationPrefs(2));
    EXPECT_TRUE(dm1->cdsLineMapIndividualMultiStationPrefs.active());
    EXPECT_EQ(dump(dm1->cdsLineMapIndividualMultiStationPrefs,
                   {QStringLiteral("StationID"), QStringLiteral("OffsetX"), QStringLiteral("OffsetY")}),
              QStringLiteral("4,-3,7"));
    const QStringList lines = ansi::splitLines(ansi::decode(bytes(QStringLiteral("lmimsp_2.ptf"))));
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[2], QStringLiteral("\"StationID\",\"Position\",\"OffsetX\",\"OffsetY\",\"TextDirection\","
                                       "\"Rotation\","));
    EXPECT_EQ(lines[3], QStringLiteral("4,1,-3,7,0,45,"));
}

// Old plan settings: the offsets carried other names and, for one axis per direction class,
// the other sign.
const char kOldLineMapPrefs[] =
    "\"LineMapID\",\"StationWEPosition\",\"StationWELineDistanceH\",\"StationWELineDistanceV\","
    "\"StationNSPosition\",\"StationNSLineDistanceH\",\"StationNSLineDistanceV\","
    "\"StationNWSEPosition\",\"StationNWSELineDistanceH\",\"StationNWSELineDistanceV\","
    "\"StationSWNEPosition\",\"StationSWNELineDistanceH\",\"StationSWNELineDistanceV\","
    "\"MultiStationDistanceH\",\"MultiStationDistanceV\",\"Width\",\n"
    "1,1,2,5,1,3,6,1,4,7,0,4,8,9,10,800,\n"
    "2,0,2,5,0,3,6,0,4,7,1,4,8,9,10,900,\n"
    "16);";

QString offsetsOf(Table &t)
{
    QStringList rows;
    t.open();
    for (t.first(); !t.eof(); t.next()) {
        QStringList v;
        for (const char *f : {"LineMapID", "StationWEOffsetX", "StationWEOffsetY", "StationNSOffsetX",
                              "StationNSOffsetY", "StationNWSEOffsetX", "StationNWSEOffsetY", "StationSWNEOffsetX",
                              "StationSWNEOffsetY", "MultiStationOffsetX", "MultiStationOffsetY", "Width"})
            v << t.fieldByName(QLatin1String(f)).asString();
        rows << v.join(QLatin1Char(','));
    }
    t.close();
    return rows.join(QStringLiteral(" | "));
}

const QString kMigratedOffsets = QStringLiteral("1,2,-5,-3,6,-4,7,-4,8,9,10,800 | 2,2,5,3,6,4,7,4,8,9,10,900");

TEST_F(DbFuncTest, LineMapPrefsMigrationWritesNamesAndValuesTogether)
{
    writePtf(QStringLiteral("line_map_prefs.ptf"), QLatin1String(kOldLineMapPrefs));
    const QString file = path(QStringLiteral("line_map_prefs.ptf"));
    ASSERT_TRUE(LoadLineMapPrefs(file));
    EXPECT_FALSE(dm1->cdsLineMapPrefs.active());
    EXPECT_EQ(offsetsOf(dm1->cdsLineMapPrefs), kMigratedOffsets);

    // The file now holds the new names with the corrected values: reading it again, before any
    // save of the plan settings, turns no sign a second time.
    const QString names = ansi::splitLines(ansi::decode(bytes(QStringLiteral("line_map_prefs.ptf")))).value(2);
    EXPECT_TRUE(names.contains(QLatin1String("\"StationWEOffsetY\",")));
    EXPECT_FALSE(names.contains(QLatin1String("LineDistance")));
    EXPECT_FALSE(names.contains(QLatin1String("MultiStationDistance")));
    const QByteArray migrated = bytes(QStringLiteral("line_map_prefs.ptf"));
    CreateEmptyLineMapPrefs();
    ASSERT_TRUE(LoadLineMapPrefs(file));
    EXPECT_EQ(offsetsOf(dm1->cdsLineMapPrefs), kMigratedOffsets);
    EXPECT_EQ(bytes(QStringLiteral("line_map_prefs.ptf")), migrated);
    EXPECT_TRUE(m_dialogs.messages.isEmpty());

    // Settings files without the label columns get the label defaults in every row.
    dm1->cdsLineMapPrefs.open();
    dm1->cdsLineMapPrefs.first();
    EXPECT_EQ(dm1->cdsLineMapPrefs.fieldByName(QStringLiteral("LineTextFontName")).asString(), QStringLiteral("Arial"));
    EXPECT_EQ(dm1->cdsLineMapPrefs.fieldByName(QStringLiteral("LineTextFontSize")).asInteger(), 8);
    for (const char *f : {"LineTextBackgroundColorRed", "LineTextBackgroundColorGreen", "LineTextBackgroundColorBlue"})
        EXPECT_EQ(dm1->cdsLineMapPrefs.fieldByName(QLatin1String(f)).asInteger(), 255) << f;
    EXPECT_TRUE(dm1->cdsLineMapPrefs.fieldByName(QStringLiteral("LineTextPosStart")).asBoolean());
    dm1->cdsLineMapPrefs.close();
}

TEST_F(DbFuncTest, LineMapPrefsMigrationOfAnUnwritableFileStaysInMemory)
{
    // A name too long for the temporary file beside it makes every atomic write fail, for root
    // too; a read-only folder does the same for other users.
    const QString file = path(QString(248, QLatin1Char('p')) + QStringLiteral(".ptf"));
    ASSERT_TRUE(ansi::writeLines(file, ansi::splitLines(QLatin1String(kHeader) + QLatin1String(kOldLineMapPrefs))));
    QFile(m_dir.path()).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool writable = ansi::writeLines(file, ansi::splitLines(QLatin1String(kHeader) +
                                                                  QLatin1String(kOldLineMapPrefs)));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();

    bool first = false, second = false;
    if (!writable) {
        first = LoadLineMapPrefs(file);
        second = LoadLineMapPrefs(file);
    }
    QFile(m_dir.path()).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (writable)
        GTEST_SKIP() << "this file system lets every file be written";

    EXPECT_TRUE(first);
    EXPECT_TRUE(second);
    EXPECT_EQ(offsetsOf(dm1->cdsLineMapPrefs), kMigratedOffsets);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
    EXPECT_TRUE(m_dialogs.messages.isEmpty());
}

TEST_F(DbFuncTest, DefaultFilesLoadIntoTheirTables)
{
    const QString res = QStringLiteral(KORVALIN_RESOURCES_DIR "/");
    for (const char *f : {"default_project_pro.ppr", "default_prefs.ptf", "default_daygroups.ptf", "line_map_prefs.ptf"}) {
        QStringList lines;
        ASSERT_TRUE(ansi::readLines(res + QLatin1String(f), lines)) << f;
        QFile raw(res + QLatin1String(f));
        ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
        const QByteArray b = raw.readAll();
        EXPECT_EQ(b.count("\r\n"), b.count('\n')) << f;
        EXPECT_TRUE(b.endsWith("\r\n")) << f;
    }

    LoadDayGroups(res + QStringLiteral("default_daygroups.ptf"));
    EXPECT_EQ(dump(dm1->cdsDayGroups, {QStringLiteral("ID"), QStringLiteral("Days")}),
              QStringLiteral("1,1111100 | 2,0000010 | 3,0000001"));
    EXPECT_EQ(GetDayGroupIDByName(QStringLiteral("Sa")), 2);

    // The plan template is read from a copy: the program folder is not to be touched.
    const QString copy = path(QStringLiteral("line_map_prefs.ptf"));
    ASSERT_TRUE(QFile::copy(res + QStringLiteral("line_map_prefs.ptf"), copy));
    ASSERT_TRUE(LoadLineMapPrefs(copy));
    Table &p = dm1->cdsLineMapPrefs;
    EXPECT_EQ(p.rowCount(), 1);
    p.open();
    p.setIndexName(QStringLiteral("idxMapID"));
    ASSERT_TRUE(p.findKey({1}));
    EXPECT_EQ(p.fieldByName(QStringLiteral("Width")).asInteger(), 1600);
    EXPECT_EQ(p.fieldByName(QStringLiteral("Height")).asInteger(), 1200);
    EXPECT_EQ(p.fieldByName(QStringLiteral("BackgroundColorBlue")).asInteger(), 255);
    EXPECT_EQ(p.fieldByName(QStringLiteral("LineRasterWidth")).asInteger(), 20);
    EXPECT_EQ(p.fieldByName(QStringLiteral("LineDrawWidth")).asInteger(), 6);
    EXPECT_EQ(p.fieldByName(QStringLiteral("StationFontName")).asString(), QStringLiteral("Arial"));
    EXPECT_EQ(p.fieldByName(QStringLiteral("MultiStationRotation")).asInteger(), 0);
    p.close();
    EXPECT_TRUE(m_dialogs.messages.isEmpty());

    // The template has every column of the table, in the table's order.
    QStringList lines;
    ASSERT_TRUE(ansi::readLines(copy, lines));
    QStringList names;
    for (const FieldDef &d : p.fieldDefs())
        names << QLatin1Char('"') + d.name + QStringLiteral("\",");
    EXPECT_EQ(lines.value(2), names.join(QString()));
    EXPECT_EQ(lines.value(4), QStringLiteral("85);"));
}

// ---------------------------------------------------------------- lookups, adds, renames

TEST_F(DbFuncTest, AddsTakeTheLastIDInIDOrderPlusOne)
{
    EXPECT_EQ(AddStation(QStringLiteral("A")), 1);
    CreateEmptyStations();
    addStations({{5, QStringLiteral("E")}, {1, QStringLiteral("A")}, {2, QStringLiteral("B")}});
    EXPECT_EQ(AddStation(QStringLiteral("F")), 6);
    EXPECT_FALSE(dm1->cdsStations.active());

    // Deleting the highest ID gives it out again; a lower gap is not filled.
    Table &t = dm1->cdsStations;
    t.open();
    t.setIndexName(QStringLiteral("idxID"));
    ASSERT_TRUE(t.findKey({6}));
    t.remove();
    t.close();
    EXPECT_EQ(AddStation(QStringLiteral("G")), 6);

    // A filter an editor left on the table hides no ID.
    t.setFilter(QStringLiteral("ID = 1"));
    t.setFiltered(true);
    EXPECT_EQ(AddStation(QStringLiteral("H")), 7);
    EXPECT_TRUE(t.filtered());
    t.setFiltered(false);

    EXPECT_EQ(AddLine(QStringLiteral("1")), 1);
    EXPECT_EQ(AddLine(QStringLiteral("2")), 2);
    EXPECT_EQ(AddLineMap(QStringLiteral("Centre")), 1);
    EXPECT_EQ(AddLineMap(QStringLiteral("Centre")), 2); // the plan list tests the name itself
    EXPECT_EQ(GetLineMapIDByName(QStringLiteral("Centre")), 1);

    CreateEmptyStations();
    LoadStations();
    EXPECT_EQ(dump(t, {QStringLiteral("ID"), QStringLiteral("Station")}),
              QStringLiteral("1,A | 2,B | 5,E | 6,G | 7,H"));
    CreateEmptyLineMaps();
    LoadLineMaps();
    EXPECT_EQ(dm1->cdsLineMaps.rowCount(), 2);
}

TEST_F(DbFuncTest, NamesAreExactKeys)
{
    ASSERT_EQ(AddStation(QStringLiteral("A")), 1);
    const QByteArray before = bytes(QStringLiteral("stations.ptf"));
    EXPECT_EQ(AddStation(QStringLiteral("A")), -1);
    EXPECT_EQ(bytes(QStringLiteral("stations.ptf")), before);
    EXPECT_EQ(AddStation(QStringLiteral("a")), 2);
    EXPECT_EQ(AddStation(QStringLiteral("Main Street")), 3);

    EXPECT_EQ(GetStationIDByName(QStringLiteral("a")), 2);
    EXPECT_EQ(GetStationIDByName(QStringLiteral("main street")), -1);
    EXPECT_EQ(GetStationIDByName(QStringLiteral("A ")), -1);
    EXPECT_EQ(GetStationNameByID(3), QStringLiteral("Main Street"));
    EXPECT_EQ(GetStationNameByID(42), QString());
    EXPECT_EQ(GetLineIDByName(QStringLiteral("A")), -1);
    EXPECT_EQ(GetLineNameByID(1), QString());
    EXPECT_EQ(GetDayGroupIDByName(QStringLiteral("Mo-Fr")), -1);
    EXPECT_EQ(dm1->cdsStations.indexName(), QStringLiteral("idxID"));
}

TEST_F(DbFuncTest, RenamesRefuseExistingAndMissingNames)
{
    ASSERT_EQ(AddStation(QStringLiteral("A")), 1);
    ASSERT_EQ(AddStation(QStringLiteral("B")), 2);
    const QByteArray before = bytes(QStringLiteral("stations.ptf"));
    EXPECT_FALSE(RenameStation(QStringLiteral("A"), QStringLiteral("A")));
    EXPECT_FALSE(RenameStation(QStringLiteral("A"), QStringLiteral("B")));
    EXPECT_FALSE(RenameStation(QStringLiteral("X"), QStringLiteral("Y")));
    EXPECT_EQ(bytes(QStringLiteral("stations.ptf")), before);

    EXPECT_TRUE(RenameStation(QStringLiteral("A"), QStringLiteral("Ä-Platz")));
    EXPECT_EQ(GetStationIDByName(QStringLiteral("Ä-Platz")), 1);
    EXPECT_EQ(GetStationIDByName(QStringLiteral("A")), -1);
    CreateEmptyStations();
    LoadStations();
    EXPECT_EQ(GetStationNameByID(1), QStringLiteral("Ä-Platz"));

    EXPECT_FALSE(RenameLine(QStringLiteral("X"), QStringLiteral("Y")));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("lines.ptf"))));
    ASSERT_EQ(AddLine(QStringLiteral("X")), 1);
    EXPECT_TRUE(RenameLine(QStringLiteral("X"), QStringLiteral("Y")));
    EXPECT_EQ(GetLineNameByID(1), QStringLiteral("Y"));

}

TEST_F(DbFuncTest, LineConnectionsAreUniquePerLineDayGroupAndDirection)
{
    EXPECT_EQ(AddLineConnection(3, 1, 2), 1);
    EXPECT_EQ(AddLineConnection(3, 1, 2), -1);
    EXPECT_EQ(AddLineConnection(3, 1, 1), 2);
    EXPECT_TRUE(DayGroupInUse(1));
    EXPECT_FALSE(DayGroupInUse(2));

    // A cleared line connection keeps its ID and matches nothing.
    Table &t = dm1->cdsLineConnections;
    t.open();
    t.setIndexName(QStringLiteral("idxID"));
    ASSERT_TRUE(t.findKey({2}));
    t.edit();
    for (const char *f : {"LineID", "DayGroupID", "Direction"})
        t.fieldByName(QLatin1String(f)).clear();
    t.post();
    t.close();
    EXPECT_EQ(AddLineConnection(3, 1, 1), 3);
    CreateEmptyLineConnections();
    LoadLineConnections();
    EXPECT_EQ(dump(t, {QStringLiteral("ID"), QStringLiteral("LineID"), QStringLiteral("Direction")}),
              QStringLiteral("1,3,2 | 2,null,null | 3,3,1"));
}

TEST_F(DbFuncTest, SetLineStationsReplacesTheLinesRows)
{
    ASSERT_EQ(AddStation(QStringLiteral("A")), 1);
    ASSERT_EQ(AddStation(QStringLiteral("B")), 2);
    ASSERT_TRUE(SetLineStations(4, {QStringLiteral("B")}));
    ASSERT_TRUE(SetLineStations(7, {QStringLiteral("B"), QStringLiteral("A")}));
    ASSERT_TRUE(SetLineStations(7, {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("A"),
                                    QStringLiteral("nowhere")}));
    Table &t = dm1->cdsLineStations;
    CreateEmptyLineStations();
    LoadLineStations();
    t.open();
    t.setIndexName(QStringLiteral("idxLineStations"));
    EXPECT_EQ(dump(t, {QStringLiteral("LineID"), QStringLiteral("LineStationNumber"), QStringLiteral("StationID")}),
              QStringLiteral("4,1,2 | 7,1,1 | 7,2,2 | 7,3,1 | 7,4,-1"));
    t.close();
    ASSERT_TRUE(SetLineStations(7, {}));
    EXPECT_EQ(dump(t, {QStringLiteral("LineID")}), QStringLiteral("4"));
}

TEST_F(DbFuncTest, SmallRowRoutinesWriteTheirFiles)
{
    ASSERT_TRUE(SetLineGraphicColor(2, 10, 20, 30));
    ASSERT_TRUE(SetLineGraphicColor(2, 40, 50, 60));
    CreateEmptyLineGraphic();
    LoadLineGraphic();
    EXPECT_EQ(dump(dm1->cdsLineGraphic, {QStringLiteral("LineID"), QStringLiteral("ColorRed")}), QStringLiteral("2,40"));

    ASSERT_TRUE(AddNewStation(3));
    ASSERT_TRUE(AddNewStation(8));
    EXPECT_FALSE(AddNewStation(3)); // the list's key is unique
    CreateEmptyNewStations();
    LoadNewStations();
    EXPECT_EQ(dump(dm1->cdsNewStations, {QStringLiteral("StationID")}), QStringLiteral("3 | 8"));
    ASSERT_TRUE(ClearNewStations());
    LoadNewStations();
    EXPECT_EQ(dm1->cdsNewStations.rowCount(), 0);
    EXPECT_TRUE(QFileInfo::exists(path(QStringLiteral("newstations.ptf"))));
}

TEST_F(DbFuncTest, FailedWritesAreReported)
{
    ProjectDir = path(QStringLiteral("gone"));
    ProjectFileName = ProjectDir + QStringLiteral("/x.ppr");

    // The row stays in memory; the caller learns of the failure from -1.
    EXPECT_EQ(AddStation(QStringLiteral("A")), -1);
    EXPECT_EQ(GetStationIDByName(QStringLiteral("A")), 1);
    EXPECT_EQ(AddLineConnection(1, 1, 1), -1);
    EXPECT_FALSE(RenameStation(QStringLiteral("A"), QStringLiteral("B")));
    EXPECT_FALSE(SetLineGraphicColor(1, 0, 0, 0));
    EXPECT_FALSE(SaveLineMapStations(1));
    EXPECT_TRUE(dm1->cdsLineMapStations.active());
    EXPECT_TRUE(m_dialogs.messages.isEmpty());

    EXPECT_FALSE(SaveDayGroups());
    EXPECT_FALSE(SaveLineConnections());
    EXPECT_FALSE(SavePrefs());
    EXPECT_EQ(m_dialogs.messages,
              QStringList({QStringLiteral("Error saving the daygroup-file ") + ProjectDir + QStringLiteral("/daygroups.ptf"),
                           QStringLiteral("Error saving the lineconnections, file ") + ProjectDir +
                               QStringLiteral("/line_connections.ptf"),
                           QStringLiteral("Error saving the preferences file prefs.ptf")}));
}

} // namespace
