// Damaged, cut and hand-edited table files, and texts the files cannot hold.
#include "data/table_files.h"

#include "platform/ansi.h"
#include "support/project_folder.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString crlf(QString text)
{
    return text.replace(QLatin1String("\n"), QLatin1String("\r\n"));
}

void defineStations(Table &t)
{
    t.addFieldDef(QStringLiteral("ID"), FieldType::Integer);
    t.addFieldDef(QStringLiteral("Station"), FieldType::String, 64);
}

// A trip table: ID and three stops, some trips without a stop.
const QString kTrips = crlf(QStringLiteral(R"(/* Portable Table Format 1.0 */
porTables[porTables.length] = new Array(
"ID","1","2","3",
1,300,305,312,
2,360,365,null,
3,420,-1,432,
4,480,485,492,
5,540,545,552,
4);
)"));

class TableFileDamage : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
};

} // namespace

TEST_F(TableFileDamage, ReadersParseTextAsTheFileReadersDo)
{
    Table trips;
    ASSERT_TRUE(LoadPtfStructureText(kTrips, trips));
    EXPECT_EQ(trips.fieldAt(0).type, FieldType::Float);
    EXPECT_EQ(dumpTable(trips), "1|300|305|312\n2|360|365|<null>\n3|420|-1|432\n4|480|485|492\n5|540|545|552");

    Table stations;
    defineStations(stations);
    ASSERT_TRUE(LoadPtfText(crlf(R"(/* Portable Table Format 1.0 */
porTables[porTables.length] = new Array(
"ID","Station",
1,"Nord",
2,"S\"d",
2);
)"),
                            stations));
    EXPECT_EQ(dumpTable(stations), "1|Nord\n2|S\"d");
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(TableFileDamage, AFileCutAtAnyPlaceIsNeverLoadedShort)
{
    const QByteArray whole = ansi::encode(kTrips);
    const QString file = path(QStringLiteral("tt_1.ptf"));
    // The end of the fourth line: any cut after it leaves a file of at least four lines.
    qsizetype fourthLineEnd = 0;
    for (int line = 0; line < 4; ++line)
        fourthLineEnd = whole.indexOf("\r\n", fourthLineEnd) + 2;

    // Cut at every byte, line boundaries included; only the final line end may be missing.
    for (qsizetype cut = 0; cut < whole.size() - 2; ++cut) {
        writeFileBytes(file, whole.left(cut));
        dialogs.messages.clear();
        Table defined;
        for (const char *name : {"ID", "1", "2", "3"})
            defined.addFieldDef(QLatin1String(name), FieldType::Float);
        EXPECT_FALSE(LoadPtfFile(file, defined)) << cut;
        if (cut >= fourthLineEnd) {
            EXPECT_EQ(dialogs.messages, QStringList{"Error by load PTF-File: " + file}) << cut;
        }
        Table structure;
        EXPECT_FALSE(LoadPtfFileStructure(file, structure)) << cut;
        Table imported;
        imported.addFieldDef(QStringLiteral("ID"), FieldType::Integer);
        EXPECT_FALSE(ImportPtfFile(file, imported, nullptr, true)) << cut;
        imported.open();
        EXPECT_TRUE(imported.isEmpty()) << cut;
    }

    for (qsizetype cut : {whole.size() - 2, whole.size() - 1, whole.size()}) {
        writeFileBytes(file, whole.left(cut));
        Table structure;
        EXPECT_TRUE(LoadPtfFileStructure(file, structure)) << cut;
        EXPECT_EQ(structure.recordCount(), 5);
    }

    // A closing line that does not match the names read from the file is damage too.
    Table structure;
    EXPECT_FALSE(
        LoadPtfStructureText(QString(kTrips).replace(QLatin1String("\r\n4);"), QLatin1String("\r\n3);")), structure));
    Table fromFile;
    EXPECT_FALSE(LoadPtfText(QString(kTrips).replace(QLatin1String("\r\n4);"), QLatin1String("\r\n5);")), fromFile));
}

TEST_F(TableFileDamage, BlankLinesAreNoRecords)
{
    Table plain;
    ASSERT_TRUE(LoadPtfStructureText(kTrips, plain));
    // An editor's extra line ends at the end, and blank lines between the records.
    QString edited = kTrips + QStringLiteral("\r\n\r\n  \r\n");
    edited.replace(QLatin1String("3,420"), QLatin1String("\r\n   \r\n3,420"));
    Table blank;
    ASSERT_TRUE(LoadPtfStructureText(edited, blank));
    EXPECT_EQ(dumpTable(blank), dumpTable(plain));

    Table stations;
    defineStations(stations);
    const QString file = path(QStringLiteral("stations.ptf"));
    // Empty values and blanks or a tab after the last comma lose no text either.
    writeFileBytes(file,
                   ansi::encode(crlf(QStringLiteral("a\nb\n\"ID\",\"Station\",\n1,\"Nord\", \t\n,,\n\n2);\n\n"))));
    ASSERT_TRUE(LoadPtfFile(file, stations));
    EXPECT_EQ(dumpTable(stations), "1|Nord");
    // So the next save writes no row of nulls.
    ASSERT_TRUE(SavePtfFile(file, QLatin1Char('"'), stations));
    EXPECT_FALSE(fileBytes(file).contains("null"));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(TableFileDamage, TextTheCodePageCannotHoldIsRefusedNotChanged)
{
    Table t;
    defineStations(t);
    t.createDataSet();
    t.open();
    t.append();
    t.field(0).setInteger(1);
    t.field(1).setString(QStringLiteral("Straße ÄÖÜ € „Zentrum“"));
    t.post();
    const QString file = path(QStringLiteral("stations.ptf"));
    ASSERT_TRUE(SavePtfFile(file, QLatin1Char('"'), t));
    const QByteArray before = fileBytes(file);
    Table back;
    defineStations(back);
    ASSERT_TRUE(LoadPtfFile(file, back));
    EXPECT_EQ(dumpTable(back), QStringLiteral("1|Straße ÄÖÜ € „Zentrum“"));

    for (const QString &name : {QStringLiteral("Łódź"), QStringLiteral("東京"), QStringLiteral("Bahnhof 🚉")}) {
        t.edit();
        t.field(1).setString(name);
        t.post();
        EXPECT_FALSE(SavePtfFile(file, QLatin1Char('"'), t)) << name.toStdString();
        EXPECT_EQ(fileBytes(file), before);
        EXPECT_FALSE(ansi::lastWriteError().isEmpty());
    }
    // A column name is text on its way to the file as well.
    Table named;
    named.addFieldDef(QStringLiteral("Страна"), FieldType::Integer);
    named.createDataSet();
    EXPECT_FALSE(SavePtfFile(file, QLatin1Char('"'), named));
    EXPECT_EQ(fileBytes(file), before);
}

#include "data/project_file.h"
#include "support/special_files.h"

namespace {

class TableFileNoRegularFile : public TableFileDamage, public ::testing::WithParamInterface<SpecialFile>
{
};

} // namespace

// A table name of the project that is a pipe, a device or a folder is refused before it is
// opened: every reader fails as for a damaged file, and no save writes over it.
TEST_P(TableFileNoRegularFile, IsReadByNoReader)
{
    const QString file = path(QStringLiteral("stations.ptf"));
    ASSERT_TRUE(makeSpecialFile(GetParam(), file));

    Table byPosition;
    defineStations(byPosition);
    EXPECT_FALSE(LoadPtfFile(file, byPosition));
    EXPECT_EQ(dialogs.messages, QStringList{"Error by load PTF-File: " + file});
    Table structure;
    EXPECT_FALSE(LoadPtfFileStructure(file, structure));
    Table byName;
    defineStations(byName);
    EXPECT_FALSE(ImportPtfFile(file, byName, nullptr, false));
    for (Table *t : {&byPosition, &structure, &byName})
        EXPECT_TRUE(TableFileDamaged(*t, file));
    EXPECT_FALSE(isProjectFile(file));
}

INSTANTIATE_TEST_SUITE_P(EachKind, TableFileNoRegularFile, kSpecialFiles, specialFileName);
