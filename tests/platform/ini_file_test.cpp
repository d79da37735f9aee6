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

TEST(IniFile, ReadsNamesWithoutCaseAndValuesWithDefaults)
{
    IniFile ini;
    ini.fromText("; written by hand\n[Main]\n  Name = Tram Nord  \nempty=\nCount=12\nHex=0x1F\nBad=12a\n"
                 "name=second\n[main]\nOther=1\n");
    EXPECT_EQ(ini.readString("MAIN", "name"), "Tram Nord"); // the first key of a name counts
    EXPECT_EQ(ini.readString("Main", "empty", "d"), "");
    EXPECT_EQ(ini.readString("Main", "none", "d"), "d");
    EXPECT_EQ(ini.readString("None", "Name", "d"), "d");
    EXPECT_EQ(ini.readString("main", "Other", "d"), "d"); // and the first section of a name
    for (const auto &[key, value] : {std::pair{"Count", 12}, {"Hex", 31}, {"Bad", -1}, {"empty", -1}, {"none", -1}})
        EXPECT_EQ(ini.readInteger("Main", key, -1), value) << key;
    EXPECT_TRUE(ini.sectionExists("mAIN"));
    EXPECT_FALSE(ini.sectionExists("Mai"));
    EXPECT_EQ(ini.sections(), (QStringList{"Main", "main"}));
    EXPECT_EQ(ini.keys("main"), (QStringList{"Name", "empty", "Count", "Hex", "Bad", "name"}));

    // Erasing takes every section of the name; lines before the first section stay.
    ini.eraseSection("MAIN");
    EXPECT_EQ(ini.toText(), "; written by hand\r\n");
}

TEST(IniFile, WritesChangeOnlyWhatTheyMustAndAddNoBlankLines)
{
    const QString text = "[a]\r\nx = 1\r\n; note\r\ny=2\r\n\r\n[b]\r\nz=3\r\n";
    IniFile ini;
    ini.fromText(text);
    EXPECT_EQ(ini.toText(), text); // untouched lines keep their spacing

    ini.writeString("A", "Y", "20"); // keeps the key's place and name
    ini.writeString("a", "w", "4");  // before the blank line
    ini.writeString("b", "v", "");
    ini.writeString("c", "u", "5");
    EXPECT_EQ(ini.toText(), "[a]\r\nx = 1\r\n; note\r\ny=20\r\nw=4\r\n\r\n[b]\r\nz=3\r\nv=\r\n[c]\r\nu=5\r\n");

    // A section erased and written again (as a distances build does) stands at the end with
    // only the keys written since.
    ini.deleteKey("a", "X");
    ini.deleteKey("a", "none");
    ini.deleteKey("none", "x");
    ini.eraseSection("b");
    ini.eraseSection("none");
    ini.writeString("b", "v", "9");
    EXPECT_EQ(ini.toText(), "[a]\r\n; note\r\ny=20\r\nw=4\r\n\r\n[c]\r\nu=5\r\n[b]\r\nv=9\r\n");
}

TEST(IniFile, SavesWindows1252WithCrLfAndReplacesTheFileWhole)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString name = dir.filePath("distances.ini");

    IniFile missing(name); // no file yet: empty, and saving creates it, the section first
    EXPECT_TRUE(missing.sections().isEmpty());
    missing.writeString("Straße", "Grün", "€5");
    ASSERT_TRUE(missing.save());
    EXPECT_EQ(readFile(name), QByteArray("[Stra\xDF") + "e]\r\nGr\xFCn=\x80" + "5\r\n");

    // Any line end is read; the whole file is written anew with CR LF.
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[1]\ndistance1=1,2,3\n[2]\rdistance1=4");
    f.close();
    IniFile ini(name);
    EXPECT_EQ(ini.readString("2", "distance1"), "4");
    ini.eraseSection("1");
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(readFile(name), QByteArray("[2]\r\ndistance1=4\r\n"));
    ini.eraseSection("2");
    ASSERT_TRUE(ini.save(name));
    EXPECT_EQ(readFile(name), QByteArray());

    // A value the code page cannot hold is refused, the file kept, not written with a "?".
    ini.writeString("3", "newcross", "Łódź");
    EXPECT_FALSE(ini.save(name));
    EXPECT_EQ(readFile(name), QByteArray());

    IniFile other;
    EXPECT_FALSE(other.load(dir.filePath("none.ini")));
    EXPECT_FALSE(other.save(dir.filePath("no/such/folder.ini")));
    EXPECT_FALSE(IniFile().save());
}

} // namespace

#include "support/file_size_limit.h"

namespace {

// On a full disk the save fails with the system's reason and the old file stays whole.
TEST(IniFile, AFullDiskFailsTheSaveAndKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString name = dir.filePath("distances.ini");
    IniFile ini;
    ini.writeString("1", "distance1", "1,2,3");
    ASSERT_TRUE(ini.save(name));
    const QByteArray old = readFile(name);
    const QStringList before = folderEntries(dir.path());

    for (int section = 2; section < 400; ++section)
        ini.writeString(QString::number(section), "distance1", QString(20, QLatin1Char('7')));
    EXPECT_TRUE(failedForFileSize(writeOnFullDisk(1024, [&] { return ini.save(name); })));
    EXPECT_EQ(readFile(name), old);
    EXPECT_EQ(folderEntries(dir.path()), before);
}

} // namespace
