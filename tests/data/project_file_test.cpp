#include "data/project_file.h"
#include "platform/file_change.h"

#include "data/db_func.h"
#include "platform/ansi.h"
#include "support/file_size_limit.h"
#include "support/project_folder.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QStringList kProjectNames{"DataStandard", "DataVersion", "PTFVersion",      "ProgName",
                                "ProgVersion",  "ProgType",    "MaxDriveMinutes", "LastSave"};
const QString kProjectRow = R"("Korvalin Pro","1.0","1.0","Korvalin Pro","0.0.0","Desktop",90,"2020-01-02 03:04:05")";

using ProjectFileCheck = ProjectFolder;

TEST_F(ProjectFileCheck, OnlyATableFileOfTheProjectHeaderWithARowIsAProjectFile)
{
    writePtf(path("p.ppr"), kProjectNames, {kProjectRow});
    EXPECT_TRUE(isProjectFile(path("p.ppr")));
    // Names in another case, and an older file without the last columns.
    writePtf(path("gross.ppr"), {"DATASTANDARD", "dataversion"}, {R"("Korvalin Pro","1.0")"});
    EXPECT_TRUE(isProjectFile(path("gross.ppr")));

    QStringList otherHeader = ptfLines(kProjectNames, {kProjectRow});
    otherHeader[0] = "/* Portable Table Format 2.0 */";
    ASSERT_TRUE(ansi::writeLines(path("kopf.ppr"), otherHeader));
    QStringList otherArray = ptfLines(kProjectNames, {kProjectRow});
    otherArray[1] = "tables.push(new Array(";
    ASSERT_TRUE(ansi::writeLines(path("array.ppr"), otherArray));
    QStringList cut = ptfLines(kProjectNames, {kProjectRow});
    cut.removeLast();
    ASSERT_TRUE(ansi::writeLines(path("cut.ppr"), cut));
    writePtf(path("leer.ppr"), kProjectNames, {});
    writePtf(path("stations.ptf"), {"ID", "Station"}, {R"(1,"Markt")"});
    writePtf(path("mehr.ppr"), kProjectNames + QStringList{"Extra"}, {kProjectRow + ",1"});
    // A names line of numbers instead of quoted names.
    QStringList numbers = ptfLines(kProjectNames, {kProjectRow});
    numbers[2] = "1,2,3,4,5,6,7,8,";
    ASSERT_TRUE(ansi::writeLines(path("zahlen.ppr"), numbers));
    ASSERT_TRUE(QDir().mkpath(path("ordner.ppr")));
    for (const char *name : {"kopf.ppr", "array.ppr", "cut.ppr", "leer.ppr", "stations.ptf", "mehr.ppr",
                             "zahlen.ppr", "ordner.ppr", "fehlt.ppr"})
        EXPECT_FALSE(isProjectFile(path(QString::fromLatin1(name)))) << name;
    // The check is silent: the open command tells the user in its own words.
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join('|').toStdString();
}

// The program folder's default files, and an open project whose tables and globals a new
// project must leave alone.
class NewProjectFiles : public ProjectFolder
{
protected:
    void SetUp() override
    {
        ProjectFolder::SetUp();
        ASSERT_TRUE(QDir().mkpath(path("program")));
        QStringList dayGroups;
        for (int i = 1; i <= 60; ++i)
            dayGroups << QStringLiteral(R"(%1,"Gruppe %1","1111100","Montag bis Freitag, Fahrplan %1")").arg(i);
        writeProgramDefaults(path("program"), dayGroups);
        writePtf(ProjectFileName, kProjectNames, {kProjectRow});
        LoadProjectFile(ProjectFileName);
    }
    void TearDown() override
    {
        DefaultProjectFile.clear();
        DefaultPrefsFile.clear();
        DefaultDayGroupsFile.clear();
        ProjectFolder::TearDown();
    }

    // A page writer that stands in for the loader page and counts its calls.
    ProjectPageWrite page(const QString &dir, bool ok = true)
    {
        const QString file = dir + "/webloader.htm";
        return {file, [this, file, ok] {
                    ++m_pageWrites;
                    // The change's journal is there while it runs; the project's files are asked for.
                    m_filesAtPage = QDir(QFileInfo(file).path()).entryList(QDir::Files, QDir::Name);
                    m_filesAtPage.removeAll(FileChange::journalName());
                    return ok && ansi::writeLines(file, {"<html>"});
                }};
    }

    // The open project as the fixture opened it.
    void expectOpenProjectUntouched()
    {
        EXPECT_EQ(ProjectDir, m_dir.path());
        EXPECT_EQ(ProjectFileName, path("city.ppr"));
        EXPECT_EQ(dumpRows(dm1->cdsProject, {"MaxDriveMinutes"}), "90");
        EXPECT_EQ(dumpRows(dm1->cdsPrefs, {"ProjectName"}), "");
    }

    int m_pageWrites = 0;
    QStringList m_filesAtPage;
};

TEST_F(NewProjectFiles, FourFilesGoIntoANewFolderAndThePageComesLast)
{
    const QString dir = path("neu/tief");
    QString failure;
    ASSERT_TRUE(writeNewProject(dir + "/Netz 2024.ppr", page(dir), failure)) << failure.toStdString();
    EXPECT_TRUE(failure.isEmpty());
    EXPECT_EQ(m_pageWrites, 1);
    EXPECT_EQ(m_filesAtPage, QStringList({"Netz 2024.ppr", "daygroups.ptf", "prefs.ptf"}));
    EXPECT_EQ(folderEntries(dir), QStringList({"Netz 2024.ppr", "daygroups.ptf", "prefs.ptf", "webloader.htm"}));
    EXPECT_TRUE(isProjectFile(dir + "/Netz 2024.ppr"));
    EXPECT_TRUE(ansi::decode(fileBytes(dir + "/prefs.ptf")).contains("\"Netz 2024.ppr\",0,0,255,"));
    EXPECT_EQ(fileBytes(dir + "/daygroups.ptf"), fileBytes(DefaultDayGroupsFile));
    expectOpenProjectUntouched();
    EXPECT_TRUE(folderHoldsProject(dir));
    EXPECT_FALSE(folderHoldsProject(path("neu")));
}

TEST_F(NewProjectFiles, APageThatCannotBeWrittenTakesBackEveryFile)
{
    const QString dir = path("leer");
    ASSERT_TRUE(QDir().mkpath(dir));
    QString failure;
    EXPECT_FALSE(writeNewProject(dir + "/p.ppr", page(dir, false), failure));
    // The page writer gave no reason, so none is named.
    EXPECT_EQ(failure, "Error saving the file " + dir + "/webloader.htm");
    EXPECT_EQ(m_filesAtPage, QStringList({"daygroups.ptf", "p.ppr", "prefs.ptf"}));
    // The folder was there before: it stays, empty.
    EXPECT_TRUE(QFileInfo(dir).isDir());
    EXPECT_TRUE(folderEntries(dir).isEmpty()) << folderEntries(dir).join(',').toStdString();
    expectOpenProjectUntouched();
}

TEST_F(NewProjectFiles, AFullDiskLeavesNoFileAndNoFolderMade)
{
    // The project file fits under the limit, the day groups do not.
    ASSERT_LT(QFileInfo(DefaultProjectFile).size(), 1024);
    ASSERT_GT(QFileInfo(DefaultDayGroupsFile).size(), 1024);
    const QString dir = path("voll/neu");
    const LimitedWrite w = writeWithFileSizeLimit(1024, [&](QString &reason) {
        return writeNewProject(dir + "/p.ppr", page(dir), reason);
    });
    ASSERT_TRUE(w.ran);
    EXPECT_FALSE(w.result);
    EXPECT_TRUE(w.reason.startsWith("Error saving the file " + dir + "/daygroups.ptf: ")) << w.reason.toStdString();
    EXPECT_TRUE(w.reason.contains(fileTooLargeText(), Qt::CaseInsensitive)) << w.reason.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path("voll")));
    EXPECT_EQ(folderEntries(m_dir.path()), QStringList({"city.ppr", "program"}));
    expectOpenProjectUntouched();
}

// Each default file missing in turn: the new project stops before anything is written, and the
// message names that file.
struct MissingDefault {
    const char *name;
    QString *defaultFile;
    const char *message;
};
// The row's name stands for it in the test list and in a failure.
void PrintTo(const MissingDefault &c, std::ostream *out) { *out << c.name; }

class NewProjectWithoutADefault : public NewProjectFiles, public ::testing::WithParamInterface<MissingDefault>
{
};

TEST_P(NewProjectWithoutADefault, StopsBeforeAnythingIsWritten)
{
    const QString dir = path("ohne");
    *GetParam().defaultFile = path("program/fehlt.ptf");
    QString failure;
    EXPECT_FALSE(writeNewProject(dir + "/p.ppr", page(dir), failure));
    EXPECT_EQ(failure, QString::fromLatin1(GetParam().message).arg(path("program/fehlt.ptf")));
    EXPECT_FALSE(QFileInfo::exists(dir));
    EXPECT_EQ(m_pageWrites, 0);
    expectOpenProjectUntouched();
}

INSTANTIATE_TEST_SUITE_P(EachFile, NewProjectWithoutADefault,
                         ::testing::Values(MissingDefault{"Project", &DefaultProjectFile, "Project-File %1 not found"},
                                           MissingDefault{"DayGroups", &DefaultDayGroupsFile,
                                                          "Daygroups-File %1 not found"},
                                           MissingDefault{"Prefs", &DefaultPrefsFile,
                                                          "Preferences file (%1) not found"}),
                         [](const ::testing::TestParamInfo<MissingDefault> &info) { return std::string(info.param.name); });

// A default project file without its header row would make a project that never opens.
TEST_F(NewProjectFiles, ADefaultProjectFileWithoutItsHeaderRowStopsIt)
{
    const QString dir = path("ohne");
    writePtf(DefaultProjectFile, kProjectNames, {});
    QString failure;
    EXPECT_FALSE(writeNewProject(dir + "/p.ppr", page(dir), failure));
    EXPECT_EQ(failure, "Project-File " + DefaultProjectFile + " not found");
    EXPECT_EQ(m_pageWrites, 0);
    expectOpenProjectUntouched();
}

} // namespace
