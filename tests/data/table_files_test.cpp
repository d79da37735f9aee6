#include "data/table_files.h"

#include "platform/ansi.h"
#include "support/project_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>

namespace {

// Fixtures are written with LF for readability; table files end their lines with CR LF.
QByteArray crlf(const char *text)
{
    QByteArray bytes = ansi::encode(QString::fromUtf8(text));
    bytes.replace("\n", "\r\n");
    return bytes;
}

QString items(const QString &line, bool *ok = nullptr)
{
    QStringList list{QStringLiteral("left over")};
    const bool result = ParsePtfValueLine(line, list);
    if (ok)
        *ok = result;
    return list.join(QLatin1Char('|'));
}

void defineStations(Table &t)
{
    t.addFieldDef(QStringLiteral("ID"), FieldType::Integer);
    t.addFieldDef(QStringLiteral("Station"), FieldType::String, 64);
}

void addStation(Table &t, const QVariant &id, const QVariant &name)
{
    t.append();
    t.field(0).setValue(id);
    t.field(1).setValue(name);
    t.post();
}

QString defsText(const Table &t)
{
    QStringList out;
    for (const FieldDef &d : t.fieldDefs())
        out << QStringLiteral("%1:%2:%3").arg(d.name).arg(static_cast<int>(d.type)).arg(d.size);
    return out.join(QLatin1Char(' '));
}

class TableFilesTest : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return dir.filePath(name); }
    QString fixture(const QString &name, const char *text)
    {
        writeFileBytes(path(name), crlf(text));
        return path(name);
    }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
};

} // namespace

TEST(PtfTokenizer, ItemsOfValueLines)
{
    EXPECT_EQ(items(QStringLiteral("1,\"Bahnhof\",null,true,false,-2.5,1E20,")),
              QStringLiteral("n=1|s=Bahnhof|u=null|b=true|b=false|n=-2.5|n=1E20"));
    // Escapes: two backslashes give one, backslash + quote a quote; other characters keep theirs.
    EXPECT_EQ(items(QStringLiteral(R"("a\\b\"c","x\ny","a\,b","a\ b",)")),
              QStringLiteral(R"(s=a\b"c|s=x\ny|s=a\,b|s=a\ b)"));
    // Either quote character opens a string; the other one is plain text inside it.
    EXPECT_EQ(items(QStringLiteral(R"('it"s',"it's",'a\'b',)")), QStringLiteral(R"(s=it"s|s=it's|s=a'b)"));
    // Blanks outside quotes vanish, also inside a value; control characters are trimmed.
    EXPECT_EQ(items(QStringLiteral(" 1 2 , \" x \" ,\t5\t,")), QStringLiteral("n=12|s= x |n=5"));
    EXPECT_EQ(items(QStringLiteral("\"\",,,\"a,b\",")), QStringLiteral("s=|s=a,b"));
    EXPECT_EQ(items(QStringLiteral("\"ID\",\"1\",\"2\",")), QStringLiteral("s=ID|s=1|s=2"));
    EXPECT_EQ(items(QStringLiteral(".5,5.,+3,1e-3,")), QStringLiteral("n=.5|n=5.|n=+3|n=1e-3"));

    // Header, array and count lines hold no comma outside quotes: no items, no error.
    bool ok = false;
    EXPECT_EQ(items(QStringLiteral("/* Portable Table Format 1.0 */"), &ok), QString());
    EXPECT_TRUE(ok);
    EXPECT_EQ(items(QStringLiteral("porTables[porTables.length] = new Array("), &ok), QString());
    EXPECT_TRUE(ok);
    EXPECT_EQ(items(QStringLiteral("2);"), &ok), QString());
    EXPECT_TRUE(ok);
    // A value without its comma and an unclosed string are dropped without an error.
    EXPECT_EQ(items(QStringLiteral("1,2"), &ok), QStringLiteral("n=1"));
    EXPECT_TRUE(ok);
    EXPECT_EQ(items(QStringLiteral("1,\"abc,"), &ok), QStringLiteral("n=1"));
    EXPECT_TRUE(ok);

    // Errors stop the line; the items before stay.
    EXPECT_EQ(items(QStringLiteral("1,abc,2,"), &ok), QStringLiteral("n=1"));
    EXPECT_FALSE(ok);
    EXPECT_EQ(items(QStringLiteral("1,True,"), &ok), QStringLiteral("n=1"));
    EXPECT_FALSE(ok);
    EXPECT_EQ(items(QStringLiteral("\"a\",\\,"), &ok), QStringLiteral("s=a"));
    EXPECT_FALSE(ok);
    EXPECT_EQ(items(QStringLiteral("1,2,3"), &ok), QStringLiteral("n=1|n=2"));
    EXPECT_TRUE(ok);
    EXPECT_EQ(items(QStringLiteral("1e,"), &ok), QString());
    EXPECT_FALSE(ok);
    EXPECT_EQ(items(QStringLiteral("nan,inf,"), &ok), QString());
    EXPECT_FALSE(ok);
}

TEST_F(TableFilesTest, WritesTheFileLayoutAndValueEncodings)
{
    Table t;
    t.addFieldDef(QStringLiteral("ID"), FieldType::Integer);
    t.addFieldDef(QStringLiteral("Station"), FieldType::String, 64);
    t.addFieldDef(QStringLiteral("Value"), FieldType::Float);
    t.addFieldDef(QStringLiteral("Flag"), FieldType::Boolean);
    t.addFieldDef(QStringLiteral("Small"), FieldType::Smallint);
    t.createDataSet();
    const QVariantList rows[] = {
        {1, QStringLiteral("Nord"), 0.1, true, -7}, {2, QVariant(), 1e20, false, QVariant()},
        {-3, QString(), -2.5, QVariant(), 0},       {4, QStringLiteral(R"(C:\Bahn "Süd")"), 1439.0, true, 1},
        {5, QStringLiteral("x"), 0.00001, true, 1}, {6, QStringLiteral("y"), 123456.789, true, 1},
        {7, QStringLiteral("z"), 1e15, true, 1},
    };
    for (const QVariantList &r : rows) {
        t.append();
        for (int j = 0; j < r.size(); ++j)
            t.field(j).setValue(r[j]);
        t.post();
    }
    t.close();
    ASSERT_TRUE(SavePtfFile(path(QStringLiteral("t.ptf")), QLatin1Char('"'), t));
    EXPECT_FALSE(t.active()); // closed as it was found
    const QByteArray expected = crlf(R"(/* Portable Table Format 1.0 */
porTables[porTables.length] = new Array(
"ID","Station","Value","Flag","Small",
1,"Nord",0.1,true,-7,
2,null,1E20,false,null,
-3,"",-2.5,null,0,
4,"C:\\Bahn \"Süd\"",1439,true,1,
5,"x",1E-5,true,1,
6,"y",123456.789,true,1,
7,"z",1E15,true,1,
5);
)");
    EXPECT_EQ(fileBytes(path(QStringLiteral("t.ptf"))), expected);

    // The writer walks the active index; an open table stays open.
    t.addIndexDef(QStringLiteral("idxID"), QStringLiteral("ID"));
    t.open();
    t.setIndexName(QStringLiteral("idxID"));
    ASSERT_TRUE(SavePtfFile(path(QStringLiteral("t.ptf")), QLatin1Char('"'), t));
    EXPECT_TRUE(t.active());
    const QStringList lines =
        QString::fromLatin1(fileBytes(path(QStringLiteral("t.ptf")))).split(QStringLiteral("\r\n"));
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("-3,")));
}

TEST_F(TableFilesTest, NumbersAtTheirLimits)
{
    Table t;
    t.addFieldDef(QStringLiteral("I"), FieldType::Integer);
    t.addFieldDef(QStringLiteral("F"), FieldType::Float);
    t.createDataSet();
    const std::pair<int, double> rows[] = {{2147483647, 999999999999999.0},
                                           {-2147483647 - 1, -123456789012345.0},
                                           {-9, 1234567890123456.0},
                                           {100, 0.000123},
                                           {0, -0.0}};
    for (const auto &[i, f] : rows) {
        t.append();
        t.field(0).setInteger(i);
        t.field(1).setFloat(f);
        t.post();
    }
    ASSERT_TRUE(SavePtfFile(path(QStringLiteral("n.ptf")), QLatin1Char('"'), t));
    EXPECT_TRUE(fileBytes(path(QStringLiteral("n.ptf")))
                    .contains(crlf("2147483647,999999999999999,\n-2147483648,-123456789012345,\n"
                                   "-9,1.23456789012346E15,\n100,0.000123,\n0,0,\n")));
    Table back;
    back.addFieldDef(QStringLiteral("I"), FieldType::Integer);
    back.addFieldDef(QStringLiteral("F"), FieldType::Float);
    ASSERT_TRUE(LoadPtfFile(path(QStringLiteral("n.ptf")), back));
    EXPECT_EQ(dumpTable(back), QStringLiteral("2147483647|999999999999999\n-2147483648|-123456789012345\n"
                                              "-9|1.23456789012346E15\n100|0.000123\n0|0"));

    // Integer columns take whole numbers only, written in any way a number may be written.
    const QString forms = fixture(QStringLiteral("f.ptf"), "a\nb\n\"I\",\n007,\n+3,\n- 4,\n2);\n");
    ASSERT_TRUE(LoadPtfFile(forms, back));
    EXPECT_EQ(dumpTable(back), QStringLiteral("7|<null>\n3|<null>\n-4|<null>"));
    for (const char *bad : {"2147483648,", "1e3,", "1234567890123456,"}) {
        const QByteArray text = QByteArray("a\nb\n\"I\",\n") + bad + "\n2);\n";
        EXPECT_FALSE(LoadPtfFile(fixture(QStringLiteral("b.ptf"), text.constData()), back)) << bad;
    }
    EXPECT_EQ(dialogs.messages.size(), 3);
}

TEST_F(TableFilesTest, EmptyTableWritesFourLinesAndReadsBackEmpty)
{
    Table t;
    defineStations(t);
    t.createDataSet();
    ASSERT_TRUE(SavePtfFile(path(QStringLiteral("s.ptf")), QLatin1Char('"'), t));
    EXPECT_EQ(
        fileBytes(path(QStringLiteral("s.ptf"))),
        crlf("/* Portable Table Format 1.0 */\nporTables[porTables.length] = new Array(\n\"ID\",\"Station\",\n2);\n"));

    Table back;
    defineStations(back);
    ASSERT_TRUE(LoadPtfFile(path(QStringLiteral("s.ptf")), back));
    EXPECT_FALSE(back.active());
    EXPECT_EQ(back.rowCount(), 0);

    // A table without fields gives an empty names line.
    Table none;
    ASSERT_TRUE(SavePtfFile(path(QStringLiteral("n.ptf")), QLatin1Char('"'), none));
    EXPECT_EQ(fileBytes(path(QStringLiteral("n.ptf"))),
              crlf("/* Portable Table Format 1.0 */\nporTables[porTables.length] = new Array(\n\n0);\n"));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(TableFilesTest, ValuesSurviveAWriteAndALoad)
{
    Table t;
    defineStations(t);
    t.addFieldDef(QStringLiteral("Dist"), FieldType::Float);
    t.addFieldDef(QStringLiteral("Open"), FieldType::Boolean);
    t.createDataSet();
    const QString tricky = QStringLiteral(R"(a\b"c\\d""e\)") + QChar(0x20AC) + QStringLiteral("äöüß'");
    addStation(t, 1, tricky);
    addStation(t, 2, QString());
    addStation(t, 3, QVariant());
    addStation(t, 4, QStringLiteral("null")); // the text, not the null literal
    t.first();
    t.edit();
    t.field(2).setFloat(-0.125);
    t.field(3).setBoolean(true);
    t.post();
    ASSERT_TRUE(SavePtfFile(path(QStringLiteral("s.ptf")), QLatin1Char('"'), t));

    Table back;
    defineStations(back);
    back.addFieldDef(QStringLiteral("Dist"), FieldType::Float);
    back.addFieldDef(QStringLiteral("Open"), FieldType::Boolean);
    ASSERT_TRUE(LoadPtfFile(path(QStringLiteral("s.ptf")), back));
    back.open();
    EXPECT_EQ(back.field(1).asString(), tricky);
    EXPECT_EQ(back.field(2).asFloat(), -0.125);
    EXPECT_TRUE(back.field(3).asBoolean());
    back.next();
    EXPECT_FALSE(back.field(1).isNull());
    EXPECT_EQ(back.field(1).asString(), QString());
    EXPECT_TRUE(back.field(2).isNull());
    back.next();
    EXPECT_TRUE(back.field(1).isNull());
    back.next();
    EXPECT_FALSE(back.field(1).isNull());
    EXPECT_EQ(back.field(1).asString(), QStringLiteral("null"));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(TableFilesTest, FloatsUseADecimalPointWhateverTheLocale)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    // The C library's locale too, where a comma locale is installed.
    const std::string cLocale = std::setlocale(LC_ALL, nullptr);
    for (const char *name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8"}) {
        if (std::setlocale(LC_ALL, name))
            break;
    }
    Table t;
    t.addFieldDef(QStringLiteral("V"), FieldType::Float);
    t.createDataSet();
    for (double v : {2.5, -0.001, 1.5e-7, 12345678.25}) {
        t.append();
        t.field(0).setFloat(v);
        t.post();
    }
    const bool saved1 = SavePtfFile(path(QStringLiteral("f.ptf")), QLatin1Char('"'), t);
    Table back;
    back.addFieldDef(QStringLiteral("V"), FieldType::Float);
    const bool loaded = LoadPtfFile(path(QStringLiteral("f.ptf")), back);
    std::setlocale(LC_ALL, cLocale.c_str());
    QLocale::setDefault(saved);

    ASSERT_TRUE(saved1);
    EXPECT_TRUE(fileBytes(path(QStringLiteral("f.ptf"))).contains(crlf("2.5,\n-0.001,\n1.5E-7,\n12345678.25,\n")));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(dumpTable(back), QStringLiteral("2.5\n-0.001\n1.5E-7\n12345678.25"));
}

TEST_F(TableFilesTest, LoadFillsShortRecordsAndLeavesOutBadOnes)
{
    const QString file = fixture(QStringLiteral("s.ptf"), R"(/* Portable Table Format 1.0 */
porTables[porTables.length] = new Array(
"ID","Station",
1,"Nord",
2,Süd,
3 4,"Mitte" ,
5,
null,"Ost",
6,"West
2);
)");
    Table t;
    defineStations(t);
    t.createDataSet();
    addStation(t, 99, QStringLiteral("old row")); // every load replaces the rows
    // The other rows load, but the file is not read whole: it is told by its first line left
    // out, and the table is marked so that no save drops the lines for good.
    EXPECT_FALSE(LoadPtfFile(file, t));
    EXPECT_EQ(dumpTable(t), QStringLiteral("1|Nord\n34|Mitte\n5|<null>\n<null>|Ost\n6|<null>"));
    EXPECT_EQ(dialogs.messages, QStringList{"Error by load PTF-File: " + file + " (line 5 and 1 more)"});
    EXPECT_TRUE(TableFileDamaged(t, file));
    EXPECT_EQ(t.damagedLine(), 5);
    EXPECT_EQ(t.damagedLineCount(), 2);
}

namespace {

// A record line, edited by hand, that does not read whole; the rows the other lines give.
struct LeftOutLineCase {
    const char *row;
    const char *line;
    const char *rows;
};
void PrintTo(const LeftOutLineCase &c, std::ostream *out)
{
    *out << c.row;
}

class ALineLeftOut : public TableFilesTest, public ::testing::WithParamInterface<LeftOutLineCase>
{
protected:
    QString write()
    {
        const QByteArray text = QByteArray("/* Portable Table Format 1.0 */\n"
                                           "porTables[porTables.length] = new Array(\n"
                                           "\"ID\",\"Station\",\n"
                                           "1,\"Nord\",\n") +
                                GetParam().line + "\n12,\"West\",\n2);\n";
        return fixture(QStringLiteral("stations.ptf"), text.constData());
    }
};

} // namespace

// Every reader keeps the rows of the other lines and marks the table with the file and the line,
// so the writer never drops the line for good.
TEST_P(ALineLeftOut, MarksTheTableAndKeepsTheFile)
{
    const QString file = write();
    const QByteArray before = fileBytes(file);

    Table byPosition;
    defineStations(byPosition);
    EXPECT_FALSE(LoadPtfFile(file, byPosition));
    EXPECT_EQ(dumpTable(byPosition), QLatin1String(GetParam().rows));
    EXPECT_EQ(dialogs.messages, QStringList{"Error by load PTF-File: " + file + " (line 5)"});

    Table structure;
    EXPECT_FALSE(LoadPtfFileStructure(file, structure));
    EXPECT_EQ(structure.recordCount(), byPosition.recordCount());

    Table byName;
    defineStations(byName);
    const QStringList defaults{QStringLiteral("Station=x")};
    EXPECT_FALSE(ImportPtfFile(file, byName, &defaults, true));
    EXPECT_EQ(byName.recordCount(), byPosition.recordCount());

    for (Table *t : {&byPosition, &structure, &byName}) {
        EXPECT_TRUE(TableFileDamaged(*t, file));
        EXPECT_EQ(t->damagedLine(), 5);
        EXPECT_EQ(PtfLoadErrorMessage(file, *t), "Error by load PTF-File: " + file + " (line 5)");
        dialogs.messages.clear();
        EXPECT_FALSE(SavePtfFile(file, QLatin1Char('"'), *t));
        EXPECT_EQ(dialogs.messages, QStringList{DamagedFileMessage(file)});
        EXPECT_EQ(fileBytes(file), before);
    }
    // Only the file it names: the rows may go to another.
    EXPECT_EQ(PtfLoadErrorMessage(path("other.ptf"), byPosition), "Error by load PTF-File: " + path("other.ptf"));
    EXPECT_TRUE(SavePtfFile(path("other.ptf"), QLatin1Char('"'), byPosition));
}

INSTANTIATE_TEST_SUITE_P(
    EachKind, ALineLeftOut,
    ::testing::Values(LeftOutLineCase{"NameWithoutQuotes", "11,Bahnhof West,", "1|Nord\n12|West"},
                      LeftOutLineCase{"BackslashOutsideQuotes", "11,\\\"x\",", "1|Nord\n12|West"},
                      LeftOutLineCase{"StringNeverClosed", "11,\"Bahnhof West,", "1|Nord\n11|<null>\n12|West"},
                      LeftOutLineCase{"ValueWithoutComma", "11,\"Bahnhof\",West", "1|Nord\n11|Bahnhof\n12|West"},
                      LeftOutLineCase{"TextAlone", "Bahnhof West", "1|Nord\n12|West"},
                      LeftOutLineCase{"WordThatIsNoLiteral", "11,nowhere,", "1|Nord\n12|West"}),
    [](const ::testing::TestParamInfo<LeftOutLineCase> &info) { return std::string(info.param.row); });

TEST_F(TableFilesTest, LoadFailuresAndTheirMessages)
{
    Table t;
    defineStations(t);
    t.createDataSet();
    addStation(t, 99, QStringLiteral("kept"));

    // Missing file: false, no message, table untouched and not marked.
    t.setDamagedFile(path(QStringLiteral("missing.ptf")));
    EXPECT_FALSE(LoadPtfFile(path(QStringLiteral("missing.ptf")), t));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(dumpTable(t), QStringLiteral("99|kept"));
    EXPECT_TRUE(t.damagedFile().isEmpty());

    // A file there but with fewer than 4 lines, or empty, is damaged: told, and the table
    // keeps no row of what it held before.
    const QString shortFile =
        fixture(QStringLiteral("short.ptf"), "/* Portable Table Format 1.0 */\n\"ID\",\n");
    EXPECT_FALSE(LoadPtfFile(shortFile, t));
    EXPECT_EQ(dumpTable(t), QString());
    EXPECT_EQ(t.damagedFile(), shortFile);
    t.open();
    addStation(t, 99, QStringLiteral("kept"));
    const QString emptyFile = fixture(QStringLiteral("empty.ptf"), "");
    EXPECT_FALSE(LoadPtfFile(emptyFile, t));
    EXPECT_EQ(dumpTable(t), QString());
    EXPECT_EQ(t.damagedFile(), emptyFile);
    EXPECT_EQ(dialogs.messages, (QStringList{QStringLiteral("Error by load PTF-File: ") + shortFile,
                                             QStringLiteral("Error by load PTF-File: ") + emptyFile}));

    // More values than fields: the message, and no row at all, not even those before the
    // damaged line (a part of a file taken as whole would be written back as the file).
    dialogs.messages.clear();
    const QString wide = fixture(QStringLiteral("wide.ptf"), "a\nb\n\"ID\",\"Station\",\n1,\"A\",\n2,\"B\",3,\n"
                                                             "4,\"D\",\n2);\n");
    EXPECT_FALSE(LoadPtfFile(wide, t));
    EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("Error by load PTF-File: ") + wide});
    EXPECT_FALSE(t.active());
    EXPECT_EQ(dumpTable(t), QString());
    EXPECT_EQ(t.damagedFile(), wide);

    // A number that the integer column cannot take, and a text that is no number.
    dialogs.messages.clear();
    const QString frac = fixture(QStringLiteral("frac.ptf"), "a\nb\n\"ID\",\n1.5,\n1);\n");
    EXPECT_FALSE(LoadPtfFile(frac, t));
    const QString text = fixture(QStringLiteral("text.ptf"), "a\nb\n\"ID\",\n\"x\",\n1);\n");
    EXPECT_FALSE(LoadPtfFile(text, t));
    const QString huge = fixture(QStringLiteral("huge.ptf"), "a\nb\n\"ID\",\n99999999999,\n1);\n");
    EXPECT_FALSE(LoadPtfFile(huge, t));
    EXPECT_EQ(dialogs.messages.size(), 3);

    // A folder, and a file beyond any table's size, are damaged files too.
    dialogs.messages.clear();
    QDir(dir.path()).mkdir(QStringLiteral("folder.ptf"));
    EXPECT_FALSE(LoadPtfFile(path(QStringLiteral("folder.ptf")), t));
    QFile big(path(QStringLiteral("big.ptf")));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(33 * 1024 * 1024));
    big.close();
    EXPECT_FALSE(LoadPtfFile(big.fileName(), t));
    EXPECT_EQ(dialogs.messages.size(), 2);
    EXPECT_FALSE(LoadPtfFileStructure(big.fileName(), t));
}

TEST_F(TableFilesTest, LongTextsWidenTheirColumn)
{
    const QString name49 = QString(49, QLatin1Char('x'));
    const QString file = fixture(QStringLiteral("s.ptf"), "a\nb\n\"ID\",\"Station\",\n1,\"short\",\n2,null,\n2);\n");
    QByteArray bytes = fileBytes(file);
    bytes.replace("\"short\"", "\"" + name49.toLatin1() + "\"");
    writeFileBytes(file, bytes);
    Table t;
    defineStations(t);
    ASSERT_TRUE(LoadPtfFile(file, t));
    EXPECT_EQ(t.fieldDefs()[1].size, 65);
    t.open();
    EXPECT_EQ(t.field(1).asString(), name49);
}

TEST_F(TableFilesTest, LoadWithoutDefinitionsTakesThemFromTheFile)
{
    const QString file = fixture(QStringLiteral("ttc.ptf"), R"(a
b
"StationID","Name","Stop","Note",
7,"Nord",true,null,
8,"Süd",false,12,
4);
)");
    Table t;
    t.addIndexDef(QStringLiteral("idxStation"), QStringLiteral("StationID"));
    ASSERT_TRUE(LoadPtfFile(file, t));
    // Types from the first record; a null there leaves a text column.
    EXPECT_EQ(defsText(t), QStringLiteral("StationID:5:16 Name:0:20 Stop:4:16 Note:0:20"));
    EXPECT_EQ(dumpTable(t), QStringLiteral("7|Nord|True|<null>\n8|Süd|False|12"));

    Table broken;
    const QString bad = fixture(QStringLiteral("bad.ptf"), "a\nb\n\"ID\",x,\n1,\n1);\n");
    EXPECT_FALSE(LoadPtfFile(bad, broken));
    EXPECT_EQ(dialogs.messages,
              (QStringList{QStringLiteral("PTF Load Error"), QStringLiteral("Error by load PTF-File: ") + bad}));
}

TEST_F(TableFilesTest, StructureLoadTypesColumnsFromAllRecords)
{
    const QString file = fixture(QStringLiteral("tt_1.ptf"), R"(a
b
"ID","1","2","3","Name","Flag",
1,480,-1,null,"A",null,
2,540,-1,null,null,false,
3,600,-999,null,"a longer name here",true,
6);
)");
    Table t;
    t.addFieldDef(QStringLiteral("Old"), FieldType::Integer);
    t.addIndexDef(QStringLiteral("idxOld"), QStringLiteral("Old"));
    t.createDataSet();
    t.setIndexName(QStringLiteral("idxOld"));
    ASSERT_TRUE(LoadPtfFileStructure(file, t));
    EXPECT_FALSE(t.active());
    EXPECT_TRUE(t.indexDefs().isEmpty());
    EXPECT_TRUE(t.indexName().isEmpty());
    EXPECT_EQ(defsText(t), QStringLiteral("ID:5:16 1:5:16 2:5:16 3:0:16 Name:0:34 Flag:4:16"));
    EXPECT_EQ(dumpTable(t), QStringLiteral("1|480|-1|<null>|A|<null>\n2|540|-1|<null>|<null>|False\n"
                                           "3|600|-999|<null>|a longer name here|True"));

    // No records: every column a text of 16.
    ASSERT_TRUE(LoadPtfFileStructure(fixture(QStringLiteral("e.ptf"), "a\nb\n\"ID\",\"1\",\n2);\n"), t));
    EXPECT_EQ(defsText(t), QStringLiteral("ID:0:16 1:0:16"));

    // Damage: a Boolean in a column that a number typed makes the load fail, without a message.
    EXPECT_FALSE(LoadPtfFileStructure(fixture(QStringLiteral("m.ptf"), "a\nb\n\"A\",\n5,\ntrue,\n1);\n"), t));
    EXPECT_FALSE(LoadPtfFileStructure(fixture(QStringLiteral("x.ptf"), "a\nb\n\"A\",\n1,2,\n1);\n"), t));
    EXPECT_FALSE(LoadPtfFileStructure(path(QStringLiteral("missing.ptf")), t));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_FALSE(LoadPtfFileStructure(fixture(QStringLiteral("n.ptf"), "a\nb\nID,\n1);\n"), t));
    EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("PTF Load Error")});
}

TEST_F(TableFilesTest, ImportByNameWithDefaults)
{
    const QString file = fixture(QStringLiteral("prefs.ptf"), R"(a
b
"lineid","ColorRed","Extra","Note",
1,255,2.5,"x",
2,null,null,null,
4);
)");
    Table t;
    t.addFieldDef(QStringLiteral("LineID"), FieldType::Integer);
    t.addFieldDef(QStringLiteral("ColorRed"), FieldType::Integer);
    t.addFieldDef(QStringLiteral("Visible"), FieldType::Boolean);
    t.addFieldDef(QStringLiteral("Caption"), FieldType::String, 20);
    t.addFieldDef(QStringLiteral("Width"), FieldType::Integer);
    const QStringList defaults{QStringLiteral("ColorRed=7"), QStringLiteral("visible=TRUE"),
                               QStringLiteral("Caption=Linie=1"), QStringLiteral("Other=3")};
    ASSERT_TRUE(ImportPtfFile(file, t, &defaults, false));
    EXPECT_FALSE(t.active());
    // A null of the file gives 0, not the default; the missing columns take their defaults.
    EXPECT_EQ(dumpTable(t), QStringLiteral("1|255|True|Linie=1|<null>\n2|0|True|Linie=1|<null>"));

    // New columns with their type: a number column keeps its numbers.
    ASSERT_TRUE(ImportPtfFile(file, t, nullptr, true));
    EXPECT_EQ(defsText(t).section(QLatin1Char(' '), 5), QStringLiteral("Extra:5:16 Note:0:17"));
    EXPECT_EQ(dumpTable(t), QStringLiteral("1|255|<null>|<null>|<null>|2.5|x\n2|0|<null>|<null>|<null>|0|"));

    // A default that does not convert, or a missing file: false, the table emptied.
    const QStringList badDefault{QStringLiteral("Width=wide")};
    EXPECT_FALSE(ImportPtfFile(file, t, &badDefault, false));
    EXPECT_FALSE(ImportPtfFile(path(QStringLiteral("missing.ptf")), t, &defaults, false));
    EXPECT_EQ(t.rowCount(), 0);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(TableFilesTest, RestructureKeepsRenamesAndAddsColumns)
{
    auto trips = [] {
        auto t = std::make_unique<Table>(QStringLiteral("cdsTimeTable"));
        for (const char *name : {"ID", "1", "2", "3"})
            t->addFieldDef(QString::fromLatin1(name), FieldType::Float);
        t->addIndexDef(QStringLiteral("idxID"), QStringLiteral("ID"));
        t->createDataSet();
        for (int r = 1; r <= 2; ++r) {
            t->append();
            for (int j = 0; j < 4; ++j)
                t->field(j).setFloat(j == 0 ? r : r * 100 + j);
            t->post();
        }
        t->close();
        return t;
    };

    auto t = trips();
    ASSERT_TRUE(RestructureTable(*t, {QStringLiteral("ID"), QStringLiteral("1;"), QStringLiteral(";2;6")}));
    EXPECT_TRUE(t->active());
    EXPECT_TRUE(t->indexDefs().isEmpty());
    EXPECT_EQ(defsText(*t), QStringLiteral("ID:5:0 1:5:0 2:5:0"));
    EXPECT_EQ(dumpTable(*t), QStringLiteral("1|101|<null>\n2|201|<null>"));

    t = trips();
    ASSERT_TRUE(RestructureTable(*t, {QStringLiteral("ID"), QStringLiteral("3;2")}));
    EXPECT_EQ(defsText(*t), QStringLiteral("ID:5:0 2:5:0"));
    EXPECT_EQ(dumpTable(*t), QStringLiteral("1|103\n2|203"));

    // Rename with a new type and size converts the values.
    t = trips();
    ASSERT_TRUE(RestructureTable(*t, {QStringLiteral("ID;Key;3"), QStringLiteral("1;Text;1;8")}));
    EXPECT_EQ(defsText(*t), QStringLiteral("Key:2:0 Text:0:8"));
    EXPECT_EQ(dumpTable(*t), QStringLiteral("1|101\n2|201"));

    // Each bad line leaves the table closed and unchanged.
    for (const QStringList &bad :
         {QStringList{QStringLiteral("ID"), QStringLiteral("9")}, QStringList{QString()},
          QStringList{QStringLiteral(";")}, QStringList{QStringLiteral(";New")}, QStringList{QStringLiteral(";New;99")},
          QStringList{QStringLiteral(";New;x")}, QStringList{QStringLiteral("1;A;6;big")}}) {
        t = trips();
        EXPECT_FALSE(RestructureTable(*t, bad)) << bad.join(QLatin1Char('/')).toStdString();
        EXPECT_FALSE(t->active());
        EXPECT_EQ(defsText(*t), QStringLiteral("ID:5:0 1:5:0 2:5:0 3:5:0"));
        EXPECT_EQ(t->indexDefs().size(), 1);
        EXPECT_EQ(dumpTable(*t), QStringLiteral("1|101|102|103\n2|201|202|203"));
    }

    // A text that the new integer column cannot take: false, nothing changed.
    Table s;
    defineStations(s);
    s.createDataSet();
    addStation(s, 1, QStringLiteral("Nord"));
    EXPECT_FALSE(RestructureTable(s, {QStringLiteral("Station;Number;3")}));
    EXPECT_EQ(dumpTable(s), QStringLiteral("1|Nord"));
}

// A raw control character would split its record or corrupt the website's reading of the file:
// such a text is refused, the old file and the table kept, and the reason names the characters.
TEST_F(TableFilesTest, ControlCharactersOfTwoKindsOrInAColumnNameAreRefused)
{
    const QString file = path(QStringLiteral("s.ptf"));
    writeFileBytes(file, "old contents");
    // Two kinds in one table are both named, each once.
    Table t;
    defineStations(t);
    t.createDataSet();
    addStation(t, 1, QStringLiteral("a\nb\tc"));
    addStation(t, 2, QStringLiteral("d\r\ne"));
    EXPECT_FALSE(SavePtfFile(file, QLatin1Char('"'), t));
    EXPECT_EQ(ansi::lastWriteError(),
              QStringLiteral("the field \"Station\" of the row with ID 1 holds a line break "
                             "and a tab, which a table file cannot store (as does one more text)"));
    EXPECT_EQ(fileBytes(file), QByteArray("old contents"));

    // A column name with one is refused the same way.
    Table named;
    named.addFieldDef(QStringLiteral("a\nb"), FieldType::Integer);
    named.createDataSet();
    EXPECT_FALSE(SavePtfFile(file, QLatin1Char('"'), named));
    EXPECT_EQ(ansi::lastWriteError(), "the name of column 1 holds a line break, which a table file cannot store");
    EXPECT_EQ(fileBytes(file), QByteArray("old contents"));
}

namespace {

// Rows of a table whose first column is the given one, one holding a control character, and
// how the refusal names that entry.
struct ControlPlaceCase {
    const char *row;
    const char *firstColumn;
    FieldType firstType;
    QList<QVariantList> rows;
    const char *reason;
};
void PrintTo(const ControlPlaceCase &c, std::ostream *out)
{
    *out << c.row;
}

class AControlCharacterIsNamed : public TableFilesTest, public ::testing::WithParamInterface<ControlPlaceCase>
{
};

} // namespace

// A name read from another program's file may hold a tab nobody sees: the refusal tells which
// entry to rename.
TEST_P(AControlCharacterIsNamed, ByItsRowAndField)
{
    const ControlPlaceCase &c = GetParam();
    const QString file = path(QStringLiteral("s.ptf"));
    writeFileBytes(file, "old contents");
    Table t;
    t.addFieldDef(QLatin1String(c.firstColumn), c.firstType);
    t.addFieldDef(QStringLiteral("Name"), FieldType::String, 64);
    t.createDataSet();
    for (const QVariantList &row : c.rows)
        addStation(t, row[0], row[1]);
    const QString rows = dumpTable(t);
    EXPECT_FALSE(SavePtfFile(file, QLatin1Char('"'), t));
    EXPECT_EQ(ansi::lastWriteError(), QLatin1String(c.reason));
    EXPECT_EQ(fileBytes(file), QByteArray("old contents"));
    EXPECT_EQ(dumpTable(t), rows);
}

INSTANTIATE_TEST_SUITE_P(
    EachPlace, AControlCharacterIsNamed,
    ::testing::Values(
        ControlPlaceCase{"LineFeed", "ID", FieldType::Integer, {{1, "A"}, {2, "Nord\nS\u00fcd"}},
                         R"(the field "Name" of the row with ID 2 holds a line break, which a table file cannot store)"},
        ControlPlaceCase{"CarriageReturnLineFeed", "ID", FieldType::Integer, {{1, "Erste\r\nZweite"}},
                         R"(the field "Name" of the row with ID 1 holds a line break, which a table file cannot store)"},
        ControlPlaceCase{"Tab", "ID", FieldType::Integer, {{1, "a\tb"}},
                         R"(the field "Name" of the row with ID 1 holds a tab, which a table file cannot store)"},
        ControlPlaceCase{"Nul", "ID", FieldType::Integer, {{1, QString(QChar(0)) + "x"}},
                         R"(the field "Name" of the row with ID 1 holds the control character U+0000, which a )"
                         R"(table file cannot store)"},
        ControlPlaceCase{"ByID",
                         "ID",
                         FieldType::Integer,
                         {{1, "Nord"}, {11, "Bahnhof\tWest"}, {12, "S\x1b\x7f"}},
                         R"(the field "Name" of the row with ID 11 holds a tab, which a table file cannot store )"
                         R"((as does one more text))"},
        ControlPlaceCase{"ByTripID",
                         "ID",
                         FieldType::Float,
                         {{3.0, "x\x1b\x7f"}},
                         R"(the field "Name" of the row with ID 3 holds the control character U+001B and the )"
                         R"(control character U+007F, which a table file cannot store)"},
        ControlPlaceCase{"WithoutID",
                         "ID",
                         FieldType::Integer,
                         {{1, "a"}, {QVariant(), "b\r\nc"}},
                         R"(the field "Name" of row 2 holds a line break, which a table file cannot store)"},
        ControlPlaceCase{"WithoutIDColumn",
                         "LineID",
                         FieldType::Integer,
                         {{1, "a"}, {1, "c\td"}, {2, "\n"}, {3, "e\x01"}},
                         R"(the field "Name" of row 2 holds a tab, which a table file cannot store (as do 2 more )"
                         R"(texts))"}),
    [](const ::testing::TestParamInfo<ControlPlaceCase> &info) { return std::string(info.param.row); });

// Column names are escaped as values are and read back whole, by the readers that make the
// columns from the file and by the import that matches them by name.
TEST_F(TableFilesTest, ColumnNamesWithQuotesAndBackslashesRoundTrip)
{
    Table t;
    t.addFieldDef(QStringLiteral("c\"d"), FieldType::Integer);
    t.addFieldDef(QStringLiteral("e\\f"), FieldType::String, 20);
    t.addFieldDef(QStringLiteral("plain"), FieldType::String, 20);
    t.createDataSet();
    t.append();
    t.field(0).setValue(7);
    t.field(1).setValue(QStringLiteral("x\"y"));
    t.field(2).setValue(QStringLiteral("z"));
    t.post();
    const QString file = path(QStringLiteral("names.ptf"));
    ASSERT_TRUE(SavePtfFile(file, QLatin1Char('"'), t));
    EXPECT_EQ(fileBytes(file), crlf("/* Portable Table Format 1.0 */\n"
                                    "porTables[porTables.length] = new Array(\n"
                                    "\"c\\\"d\",\"e\\\\f\",\"plain\",\n"
                                    "7,\"x\\\"y\",\"z\",\n"
                                    "3);\n"));

    Table structure;
    ASSERT_TRUE(LoadPtfFileStructure(file, structure));
    ASSERT_EQ(structure.fieldDefs().size(), 3);
    EXPECT_EQ(structure.fieldDefs()[0].name, QStringLiteral("c\"d"));
    EXPECT_EQ(structure.fieldDefs()[1].name, QStringLiteral("e\\f"));
    EXPECT_EQ(structure.fieldDefs()[2].name, QStringLiteral("plain"));
    EXPECT_EQ(dumpTable(structure), QStringLiteral("7|x\"y|z"));

    Table undefined;
    ASSERT_TRUE(LoadPtfFile(file, undefined));
    ASSERT_EQ(undefined.fieldDefs().size(), 3);
    EXPECT_EQ(undefined.fieldDefs()[0].name, QStringLiteral("c\"d"));

    Table imported;
    imported.addFieldDef(QStringLiteral("plain"), FieldType::String, 20);
    imported.addFieldDef(QStringLiteral("e\\f"), FieldType::String, 20);
    imported.createDataSet();
    ASSERT_TRUE(ImportPtfFile(file, imported, nullptr, false));
    EXPECT_EQ(dumpTable(imported), QStringLiteral("z|x\"y"));
}

TEST_F(TableFilesTest, AFailedSaveKeepsTheOldFile)
{
    Table t;
    defineStations(t);
    t.createDataSet();
    addStation(t, 1, QStringLiteral("A"));

    // A file name so long that no temporary file can be made beside it: the rename never
    // happens and the old file stays whole.
    const QString longName = path(QString(250, QLatin1Char('t')));
    writeFileBytes(longName, "old contents");
    EXPECT_FALSE(SavePtfFile(longName, QLatin1Char('"'), t));
    EXPECT_EQ(fileBytes(longName), QByteArray("old contents"));

    // A folder in the target's place, and a folder that does not exist.
    QDir(dir.path()).mkdir(QStringLiteral("sub.ptf"));
    EXPECT_FALSE(SavePtfFile(path(QStringLiteral("sub.ptf")), QLatin1Char('"'), t));
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("sub.ptf"))).isDir());
    EXPECT_FALSE(SavePtfFile(path(QStringLiteral("none/s.ptf")), QLatin1Char('"'), t));

    // A read-only folder (not read-only for a superuser, who can write anyway).
    const QString folder = path(QStringLiteral("ro"));
    QDir(dir.path()).mkdir(QStringLiteral("ro"));
    const QString file = folder + QStringLiteral("/s.ptf");
    writeFileBytes(file, "old contents");
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    QFile probe(folder + QStringLiteral("/probe"));
    const bool writable = probe.open(QIODevice::WriteOnly);
    if (!writable) {
        EXPECT_FALSE(SavePtfFile(file, QLatin1Char('"'), t));
        EXPECT_EQ(fileBytes(file), QByteArray("old contents"));
    }
    probe.close();
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(t.active());
    EXPECT_EQ(dumpTable(t), QStringLiteral("1|A"));
}

#include "support/file_size_limit.h"

namespace {

// A full disk: the save fails with the system's reason, the old file stays byte for byte and
// no temporary file is left, also when the old file is far below the limit.
TEST_F(TableFilesTest, AFullDiskFailsTheSaveAndKeepsTheOldFile)
{
    const QString file = path(QStringLiteral("stations.ptf"));
    Table t;
    defineStations(t);
    t.createDataSet();
    addStation(t, 1, QStringLiteral("A"));
    ASSERT_TRUE(SavePtfFile(file, QLatin1Char('"'), t));
    const QByteArray old = fileBytes(file);
    const QStringList before = folderEntries(dir.path());
    for (int id = 2; id <= 500; ++id)
        addStation(t, id, QStringLiteral("Station %1").arg(id));

    EXPECT_TRUE(failedForFileSize(writeOnFullDisk(4096, [&] { return SavePtfFile(file, QLatin1Char('"'), t); })));
    EXPECT_EQ(fileBytes(file), old);
    EXPECT_EQ(folderEntries(dir.path()), before);
}

} // namespace
// A table that could not read its file holds none of that file's rows: written back it would
// leave the file with what little the table holds. Every reader marks it, the writer refuses.
TEST_F(TableFilesTest, ATableThatFailedToLoadIsNeverWrittenOverItsFile)
{
    const QByteArray cut = crlf("/* Portable Table Format 1.0 */\nporTables[porTables.length] = new Array(\n"
                                "\"ID\",\"Station\",\n1,\"A\",\n2,\"B\",\n");
    const QString file = path(QStringLiteral("stations.ptf"));
    writeFileBytes(file, cut);

    Table t;
    defineStations(t);
    t.createDataSet();
    addStation(t, 7, QStringLiteral("of another project"));
    EXPECT_FALSE(LoadPtfFile(file, t));
    EXPECT_EQ(dumpTable(t), QString());
    EXPECT_EQ(t.damagedFile(), file);

    // A row added after the failed load changes nothing: the file keeps its bytes, one message
    // names it, and no reason is left for a caller's message to say it again.
    t.open();
    addStation(t, 1, QStringLiteral("New"));
    dialogs.messages.clear();
    EXPECT_FALSE(SavePtfFile(file, QLatin1Char('"'), t));
    EXPECT_EQ(fileBytes(file), cut);
    EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("The file %1 is damaged and was left unchanged.").arg(file)});
    EXPECT_EQ(ansi::lastWriteError(), QString());
    // Named another way, it is the same file.
    EXPECT_FALSE(SavePtfFile(dir.path() + QStringLiteral("/./sub/../stations.ptf"), QLatin1Char('"'), t));
    QDir(dir.path()).mkdir(QStringLiteral("sub"));
    EXPECT_FALSE(SavePtfFile(dir.path() + QStringLiteral("/sub/../stations.ptf"), QLatin1Char('"'), t));
    EXPECT_EQ(fileBytes(file), cut);
    EXPECT_TRUE(TableFileDamaged(t, file));

    // Any other file takes the table; a load that succeeds clears the mark.
    EXPECT_TRUE(SavePtfFile(path(QStringLiteral("other.ptf")), QLatin1Char('"'), t));
    EXPECT_TRUE(LoadPtfFile(path(QStringLiteral("other.ptf")), t));
    EXPECT_TRUE(t.damagedFile().isEmpty());
    EXPECT_FALSE(TableFileDamaged(t, file));

    // The trip-table and by-name readers mark the same way; a missing file clears the mark.
    Table trips;
    trips.addFieldDef(QStringLiteral("ID"), FieldType::Float);
    trips.createDataSet();
    trips.append();
    trips.field(0).setFloat(3);
    trips.post();
    EXPECT_FALSE(LoadPtfFileStructure(file, trips));
    EXPECT_EQ(trips.recordCount(), 0);
    EXPECT_EQ(trips.damagedFile(), file);
    EXPECT_FALSE(LoadPtfFileStructure(path(QStringLiteral("missing.ptf")), trips));
    EXPECT_TRUE(trips.damagedFile().isEmpty());

    Table imported;
    defineStations(imported);
    EXPECT_FALSE(ImportPtfFile(file, imported, nullptr, false));
    EXPECT_EQ(imported.damagedFile(), file);
    EXPECT_EQ(dumpTable(imported), QString());
    EXPECT_TRUE(ImportPtfFile(path(QStringLiteral("other.ptf")), imported, nullptr, false));
    EXPECT_TRUE(imported.damagedFile().isEmpty());
    EXPECT_EQ(dumpTable(imported), QStringLiteral("1|New"));
}

TEST(PtfColumnNames, OnlyTextBeginningAsTheWriterBeginsGivesNames)
{
    QStringList names{"stale"};
    EXPECT_TRUE(ReadPtfColumnNames(ptfLines({"ID", "Station"}, {}).join("\r\n"), names));
    EXPECT_EQ(names, QStringList({"ID", "Station"}));

    QStringList lines = ptfLines({"ID", "Station"}, {R"(1,"Markt")"});
    lines[0] = "/* Portable Table Format */";
    EXPECT_FALSE(ReadPtfColumnNames(lines.join("\n"), names));
    EXPECT_TRUE(names.isEmpty());
    EXPECT_FALSE(ReadPtfColumnNames(ptfLines({"ID"}, {}).mid(0, 3).join("\n"), names));
    lines = ptfLines({"ID", "Station"}, {});
    lines[2] = R"("ID",null,)";
    EXPECT_FALSE(ReadPtfColumnNames(lines.join("\n"), names));
    EXPECT_TRUE(names.isEmpty());
}
