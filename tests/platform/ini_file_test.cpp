#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

QByteArray readFile(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool writeFile(const QString &name, const QByteArray &bytes)
{
    QFile f(name);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

TEST(IniFile, RewritingADistancesSectionGivesTheExactFile)
{
    IniFile ini;
    ini.fromText(QStringLiteral("[3]\r\ndistance1=1,4,2\r\n"
                                "[12]\r\ndistance1=10,7,11\r\ndistance2=10,13,99\r\nnewcross=10,13\r\n"
                                "[7]\r\ndistance1=5\r\nnewcross=5\r\n"));
    // Erase, then write the keys in order: the section moves to the end, and keys the
    // new build does not write are gone.
    ini.eraseSection(QStringLiteral("12"));
    ini.writeString(QStringLiteral("12"), QStringLiteral("distance1"), QStringLiteral("10,5,11,6,12,9,13"));
    ini.writeString(QStringLiteral("12"), QStringLiteral("distance2"), QStringLiteral("10,13,12"));
    ini.writeString(QStringLiteral("12"), QStringLiteral("newcross"), QStringLiteral("10,13"));
    ini.eraseSection(QStringLiteral("7"));
    ini.writeString(QStringLiteral("7"), QStringLiteral("distance1"), QStringLiteral("5,9999,6"));
    EXPECT_EQ(ini.toText(), QStringLiteral("[3]\r\ndistance1=1,4,2\r\n"
                                           "[12]\r\ndistance1=10,5,11,6,12,9,13\r\ndistance2=10,13,12\r\n"
                                           "newcross=10,13\r\n"
                                           "[7]\r\ndistance1=5,9999,6\r\n"));
    EXPECT_EQ(ini.sections(), (QStringList{QStringLiteral("3"), QStringLiteral("12"), QStringLiteral("7")}));
    EXPECT_EQ(ini.keys(QStringLiteral("12")),
              (QStringList{QStringLiteral("distance1"), QStringLiteral("distance2"), QStringLiteral("newcross")}));

    // The first section of a new file starts the file.
    IniFile fresh;
    fresh.writeString(QStringLiteral("1"), QStringLiteral("distance1"), QStringLiteral("4"));
    EXPECT_EQ(fresh.toText(), QStringLiteral("[1]\r\ndistance1=4\r\n"));
}

TEST(IniFile, ReadsNamesWithoutCaseAndValuesWithDefaults)
{
    IniFile ini;
    ini.fromText(QStringLiteral("; written by hand\n"
                                "[Main]\n"
                                "  Name = Tram Nord  \n"
                                "empty=\n"
                                "Count=12\n"
                                "Hex=0x1F\n"
                                "Bad=12a\n"
                                "name=second\n"
                                "[main]\n"
                                "Other=1\n"));
    EXPECT_EQ(ini.readString(QStringLiteral("MAIN"), QStringLiteral("name")), QStringLiteral("Tram Nord"));
    EXPECT_EQ(ini.readString(QStringLiteral("Main"), QStringLiteral("empty"), QStringLiteral("d")), QString());
    EXPECT_EQ(ini.readString(QStringLiteral("Main"), QStringLiteral("none"), QStringLiteral("d")), QStringLiteral("d"));
    EXPECT_EQ(ini.readString(QStringLiteral("None"), QStringLiteral("Name"), QStringLiteral("d")), QStringLiteral("d"));
    // Only the first section of a name counts.
    EXPECT_EQ(ini.readString(QStringLiteral("main"), QStringLiteral("Other"), QStringLiteral("d")),
              QStringLiteral("d"));
    EXPECT_EQ(ini.readInteger(QStringLiteral("Main"), QStringLiteral("Count"), -1), 12);
    EXPECT_EQ(ini.readInteger(QStringLiteral("Main"), QStringLiteral("Hex"), -1), 31);
    EXPECT_EQ(ini.readInteger(QStringLiteral("Main"), QStringLiteral("Bad"), -1), -1);
    EXPECT_EQ(ini.readInteger(QStringLiteral("Main"), QStringLiteral("empty"), -1), -1);
    EXPECT_EQ(ini.readInteger(QStringLiteral("Main"), QStringLiteral("none"), 7), 7);
    EXPECT_TRUE(ini.sectionExists(QStringLiteral("mAIN")));
    EXPECT_FALSE(ini.sectionExists(QStringLiteral("Mai")));
    EXPECT_EQ(ini.sections(), (QStringList{QStringLiteral("Main"), QStringLiteral("main")}));
    EXPECT_EQ(ini.keys(QStringLiteral("main")),
              (QStringList{QStringLiteral("Name"), QStringLiteral("empty"), QStringLiteral("Count"),
                           QStringLiteral("Hex"), QStringLiteral("Bad"), QStringLiteral("name")}));
    EXPECT_TRUE(ini.keys(QStringLiteral("none")).isEmpty());

    // Erasing takes every section of the name; lines before the first section stay.
    ini.eraseSection(QStringLiteral("MAIN"));
    EXPECT_TRUE(ini.sections().isEmpty());
    EXPECT_EQ(ini.toText(), QStringLiteral("; written by hand\r\n"));
}

TEST(IniFile, WritesChangeOnlyWhatTheyMustAndAddNoBlankLines)
{
    const QString text = QStringLiteral("[a]\r\n"
                                        "x = 1\r\n"
                                        "; note\r\n"
                                        "y=2\r\n"
                                        "\r\n"
                                        "[b]\r\n"
                                        "z=3\r\n");
    IniFile ini;
    ini.fromText(text);
    EXPECT_EQ(ini.toText(), text); // untouched lines keep their spacing
    EXPECT_EQ(ini.readString(QStringLiteral("a"), QStringLiteral("x")), QStringLiteral("1"));

    ini.writeString(QStringLiteral("A"), QStringLiteral("Y"), QStringLiteral("20")); // keeps the key's place and name
    ini.writeString(QStringLiteral("a"), QStringLiteral("w"), QStringLiteral("4"));  // before the blank line
    ini.writeString(QStringLiteral("b"), QStringLiteral("v"), QString());
    ini.writeString(QStringLiteral("c"), QStringLiteral("u"), QStringLiteral("5"));
    EXPECT_EQ(ini.toText(), QStringLiteral("[a]\r\n"
                                           "x = 1\r\n"
                                           "; note\r\n"
                                           "y=20\r\n"
                                           "w=4\r\n"
                                           "\r\n"
                                           "[b]\r\n"
                                           "z=3\r\n"
                                           "v=\r\n"
                                           "[c]\r\n"
                                           "u=5\r\n"));
    EXPECT_EQ(ini.readString(QStringLiteral("a"), QStringLiteral("y")), QStringLiteral("20"));
    EXPECT_EQ(ini.readString(QStringLiteral("b"), QStringLiteral("v"), QStringLiteral("d")), QString());

    ini.deleteKey(QStringLiteral("a"), QStringLiteral("X"));
    ini.deleteKey(QStringLiteral("a"), QStringLiteral("none"));
    ini.deleteKey(QStringLiteral("none"), QStringLiteral("x"));
    ini.eraseSection(QStringLiteral("b"));
    ini.eraseSection(QStringLiteral("none"));
    EXPECT_EQ(ini.toText(), QStringLiteral("[a]\r\n; note\r\ny=20\r\nw=4\r\n\r\n[c]\r\nu=5\r\n"));
}

TEST(IniFile, SavesWindows1252WithCrLfAndReplacesTheFileWhole)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString name = dir.filePath(QStringLiteral("distances.ini"));

    IniFile missing(name); // no file yet: empty, and saving creates it
    EXPECT_TRUE(missing.sections().isEmpty());
    missing.writeString(QStringLiteral("Straße"), QStringLiteral("Grün"), QStringLiteral("€5"));
    ASSERT_TRUE(missing.save());
    EXPECT_EQ(readFile(name), QByteArray("[Stra\xDF") + "e]\r\nGr\xFCn=\x80" + "5\r\n");

    ASSERT_TRUE(writeFile(name, "[1]\ndistance1=1,2,3\n[2]\rdistance1=4"));
    IniFile ini(name);
    EXPECT_EQ(ini.readString(QStringLiteral("2"), QStringLiteral("distance1")), QStringLiteral("4"));
    ini.eraseSection(QStringLiteral("1"));
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(readFile(name), QByteArray("[2]\r\ndistance1=4\r\n"));

    ini.eraseSection(QStringLiteral("2"));
    ASSERT_TRUE(ini.save(name));
    EXPECT_EQ(readFile(name), QByteArray());

    IniFile other;
    EXPECT_FALSE(other.load(dir.filePath(QStringLiteral("none.ini"))));
    EXPECT_TRUE(other.sections().isEmpty());
    EXPECT_FALSE(other.save(dir.filePath(QStringLiteral("no/such/folder.ini"))));
    EXPECT_FALSE(IniFile().save());
}

} // namespace
