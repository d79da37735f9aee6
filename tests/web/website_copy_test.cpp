#include "web/website_copy.h"

#include "platform/ansi.h"
#include "support/file_size_limit.h"
#include "support/project_folder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

void writeFile(const QString &name, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(name).absolutePath());
    writeFileBytes(name, bytes);
}

QStringList targets(const QVector<WebsiteFile> &files)
{
    QStringList names;
    for (const WebsiteFile &f : files)
        names << f.Target;
    return names;
}

// A project folder and a program folder with a template, in a temporary folder.
class WebsiteCopy : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        ProjectDir = tmp.path() + QStringLiteral("/Projekt Süd");
        ProgramDir = tmp.path() + QStringLiteral("/prog/");
        writeFile(ProjectDir + "/stations.ptf", "stations");
        writeFile(ProjectDir + "/lines.ptf", "lines");
        writeFile(ProjectDir + "/netz.ppr", "project");
        writeFile(ProjectDir + "/distances.ini", "not copied");
        writeFile(ProjectDir + "/images/line_map_1.jpg", "jpeg");
        writeFile(ProgramDir + "KorvalinView/index.htm", "index");
        writeFile(ProgramDir + "KorvalinView/korvalin.js", "script");
        writeFile(ProgramDir + "KorvalinView/korvalin.css", "style");
        writeFile(ProgramDir + "KorvalinView/readme.txt", "not copied");
        target = tmp.path() + QStringLiteral("/web site");
    }

    KeptFolderGlobals kept;
    QTemporaryDir tmp;
    ScriptedDialogs dialogs;
    QString target;
};

} // namespace

TEST_F(WebsiteCopy, SourcesInTheirOrderAndMissingSourcesAddNothing)
{
    EXPECT_EQ(targets(WebsiteFiles(ProjectDir, ProgramDir + "KorvalinView", true, true)),
              QStringList({"lines.ptf", "stations.ptf", "images/line_map_1.jpg", "netz.ppr", "index.htm",
                           "korvalin.js", "korvalin.css"}));
    EXPECT_EQ(targets(WebsiteFiles(ProjectDir, ProgramDir + "KorvalinView", false, true)),
              QStringList({"index.htm", "korvalin.js", "korvalin.css"}));
    QDir(ProjectDir + "/images").removeRecursively();
    EXPECT_EQ(targets(WebsiteFiles(ProjectDir, ProgramDir + "KorvalinView", true, false)),
              QStringList({"lines.ptf", "stations.ptf", "netz.ppr"}));
}

TEST_F(WebsiteCopy, CreatesTheFolderAfterAskingAndCopiesSideBySide)
{
    dialogs.answers = {DialogService::Answer::Yes};
    EXPECT_EQ(CopyWebsite(target, true, true), 7);
    EXPECT_EQ(dialogs.questions.size(), 1);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join("|").toStdString();
    EXPECT_EQ(fileBytes(target + "/stations.ptf"), "stations");
    EXPECT_EQ(fileBytes(target + "/images/line_map_1.jpg"), "jpeg");
    EXPECT_EQ(fileBytes(target + "/index.htm"), "index");
    EXPECT_FALSE(QFile::exists(target + "/distances.ini"));
    EXPECT_FALSE(QFile::exists(target + "/readme.txt"));
}

TEST_F(WebsiteCopy, OnlyTheHtmlFilesWhenOnlyTheirBoxIsChecked)
{
    QDir().mkpath(target);
    EXPECT_EQ(CopyWebsite(target, false, true), 3);
    EXPECT_TRUE(dialogs.questions.isEmpty());
    EXPECT_EQ(QDir(target).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
              QStringList({"index.htm", "korvalin.css", "korvalin.js"}));
}

TEST_F(WebsiteCopy, BlankRelativeOrUncheckedGivesNoCopy)
{
    EXPECT_EQ(CopyWebsite(QStringLiteral("   "), true, true), 0);
    EXPECT_EQ(CopyWebsite(QString(), true, true), 0);
    EXPECT_EQ(CopyWebsite(QStringLiteral("relative/site"), true, true), 0);
    EXPECT_EQ(dialogs.messages, QStringList(3, QStringLiteral("Bitte Verzeichnis auswählen!")));
    EXPECT_FALSE(QDir(QStringLiteral("relative")).exists());
    EXPECT_EQ(CopyWebsite(target, false, false), 0);
    EXPECT_EQ(dialogs.messages.size(), 3);
    EXPECT_FALSE(QFileInfo::exists(target));
}

TEST_F(WebsiteCopy, AnsweringNoCopiesNothingAndShowsNoError)
{
    dialogs.answers = {DialogService::Answer::No};
    EXPECT_EQ(CopyWebsite(target, true, true), 0);
    EXPECT_FALSE(QFileInfo::exists(target));

    QDir().mkpath(target);
    writeFile(target + "/index.htm", "older");
    dialogs.answers = {DialogService::Answer::No};
    EXPECT_EQ(CopyWebsite(target, true, true), 0);
    EXPECT_EQ(fileBytes(target + "/index.htm"), "older");
    EXPECT_FALSE(QFile::exists(target + "/stations.ptf"));
    EXPECT_TRUE(dialogs.messages.isEmpty());

    dialogs.answers = {DialogService::Answer::Yes};
    EXPECT_EQ(CopyWebsite(target, true, true), 7);
    EXPECT_EQ(fileBytes(target + "/index.htm"), "index");
}

TEST_F(WebsiteCopy, TheProjectFolderAsTargetKeepsEveryTableFile)
{
    EXPECT_EQ(CopyWebsite(ProjectDir, true, true), 3);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join("|").toStdString();
    EXPECT_EQ(fileBytes(ProjectDir + "/stations.ptf"), "stations");
    EXPECT_EQ(fileBytes(ProjectDir + "/netz.ppr"), "project");
    EXPECT_EQ(fileBytes(ProjectDir + "/images/line_map_1.jpg"), "jpeg");
    EXPECT_EQ(fileBytes(ProjectDir + "/index.htm"), "index");
}

TEST_F(WebsiteCopy, FilesThatCannotBeCopiedAreCountedAndTheRestStays)
{
    QDir().mkpath(target + "/stations.ptf"); // a folder stands where a file is to go
    QDir().mkpath(target + "/index.htm");
    dialogs.answers = {DialogService::Answer::Yes};
    EXPECT_EQ(CopyWebsite(target, true, true), 5);
    EXPECT_TRUE(messagesWithReasons(dialogs.messages, QStringList({"Fehler beim Kopieren (2)"})));
    EXPECT_EQ(fileBytes(target + "/lines.ptf"), "lines");
}

// A full disk: a file too big for it is not copied and counted; the website's older file stays
// byte for byte, no temporary file is left, and the files that fit are copied.
TEST_F(WebsiteCopy, AFullDiskKeepsTheOlderFileOfTheWebsite)
{
    writeFile(ProjectDir + "/stations.ptf", QByteArray(64 * 1024, 's'));
    QDir().mkpath(target);
    writeFile(target + "/stations.ptf", "older stations");
    writeFile(target + "/lines.ptf", "older lines");
    dialogs.answers = {DialogService::Answer::Yes};
    const LimitedWrite w = writeWithFileSizeLimit(4096, [&](QString &reason) {
        const int copied = CopyWebsite(target, true, false);
        reason = QString::number(copied) + "|" + dialogs.messages.join("|") + "|" + ansi::lastWriteError();
        return copied == 4;
    });
    ASSERT_TRUE(w.ran);
    EXPECT_FALSE(w.result);
    EXPECT_TRUE(w.reason.startsWith("3|Fehler beim Kopieren (1): ")) << w.reason.toStdString();
    EXPECT_TRUE(w.reason.contains(fileTooLargeText(), Qt::CaseInsensitive)) << w.reason.toStdString();
    EXPECT_EQ(fileBytes(target + "/stations.ptf"), "older stations");
    EXPECT_EQ(fileBytes(target + "/lines.ptf"), "lines");
    EXPECT_EQ(folderEntries(target), QStringList({"images", "lines.ptf", "netz.ppr", "stations.ptf"}));
}

#include "support/special_files.h"

namespace {

class WebsiteCopyNoRegularFile : public WebsiteCopy, public ::testing::WithParamInterface<SpecialFile>
{
};

} // namespace

// A pipe or a device link among the project's table files is listed with them, but never
// opened: it is counted as a file that could not be copied, and the others are copied.
TEST_P(WebsiteCopyNoRegularFile, IsCountedAsNotCopied)
{
    ASSERT_TRUE(makeSpecialFile(GetParam(), ProjectDir + "/plan.ptf"));
    dialogs.answers = {DialogService::Answer::Yes};
    EXPECT_EQ(CopyWebsite(target, true, true), 7);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith("Fehler beim Kopieren (1): ")) << dialogs.messages[0].toStdString();
    EXPECT_FALSE(QFileInfo::exists(target + "/plan.ptf"));
    EXPECT_EQ(fileBytes(target + "/stations.ptf"), "stations");
}

// A folder of that name is no file of the listing at all.
INSTANTIATE_TEST_SUITE_P(EachKind, WebsiteCopyNoRegularFile,
                         ::testing::Values(SpecialFile::Pipe, SpecialFile::LinkToDevice), specialFileName);
