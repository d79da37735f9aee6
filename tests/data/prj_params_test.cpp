#include "data/prj_params.h"

#include "data/db_func.h"
#include "support/project_folder.h"
#include "support/file_size_limit.h"

#include <QDateTime>

namespace {

const QStringList kProjectNames{"DataStandard", "DataVersion", "PTFVersion",      "ProgName",
                                "ProgVersion",  "ProgType",    "MaxDriveMinutes", "LastSave"};
const QString kDefaultProject = KORVALIN_RESOURCES_DIR "/default_project_pro.ppr";

class ProjectFileTest : public ProjectFolder
{
protected:
    void SetUp() override
    {
        ProjectFolder::SetUp();
        ProjectFileName = path("Tram 2024.ppr");
    }
    void TearDown() override
    {
        PrjParams.MaxDriveMinutes = 720;
        ProductTitle.clear();
        ProgVersion.clear();
        ProgType.clear();
        ProjectFolder::TearDown();
    }

    QString first(Table &t, const QString &field) { return dumpRows(t, {field}).section(" | ", 0, 0); }
};

TEST(PrjParams, StartsWithTwelveHours)
{
    EXPECT_EQ(TPrjParams().MaxDriveMinutes, 720);
}

TEST_F(ProjectFileTest, LoadingTheProjectFileSetsTheDriveLimit)
{
    writePtf(path("a.ppr"), kProjectNames, {R"("Korvalin Pro","1.0","1.0","Korvalin Pro","0.0.0","x",90,"")"});
    LoadProjectFile(path("a.ppr"));
    EXPECT_EQ(PrjParams.MaxDriveMinutes, 90);
    EXPECT_FALSE(m_module.cdsProject.active());

    // A missing file keeps the row loaded before, and so the limit.
    LoadProjectFile(path("missing.ppr"));
    EXPECT_EQ(PrjParams.MaxDriveMinutes, 90);
    EXPECT_EQ(m_dialogs.messages, QStringList{"Project-File " + path("missing.ppr") + " not found"});

    // A value that is no number neither crashes nor keeps a stale limit.
    writePtf(path("b.ppr"), kProjectNames, {R"("K","1.0","1.0","K","0.0.0","x","lots","")"});
    EXPECT_NO_THROW(LoadProjectFile(path("b.ppr")));
    EXPECT_EQ(PrjParams.MaxDriveMinutes, 0);

    LoadProjectFile(kDefaultProject);
    EXPECT_EQ(PrjParams.MaxDriveMinutes, 720);
}

TEST_F(ProjectFileTest, SavingFillsTheHeaderAndKeepsTheLimit)
{
    EXPECT_EQ(FormatLastSave(QDateTime(QDate(2024, 3, 5), QTime(7, 4, 9))), "2024-03-05 07:04:09");

    ProductTitle = "Korvalin Pro";
    ProgVersion = "0.0.0";
    ProgType = "Pro";
    LoadProjectFile(kDefaultProject);
    Table &t = m_module.cdsProject;
    t.open();
    t.first();
    t.edit();
    t.fieldByName("MaxDriveMinutes").setInteger(95);
    t.fieldByName("DataVersion").setString("0.1");
    t.post();
    t.close();

    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    ASSERT_TRUE(SaveProjectFile());
    EXPECT_TRUE(m_dialogs.messages.isEmpty());

    LoadProjectFile(ProjectFileName);
    EXPECT_EQ(PrjParams.MaxDriveMinutes, 95);
    EXPECT_EQ(dumpRows(t, {"DataStandard", "DataVersion", "PTFVersion", "ProgName", "ProgVersion", "ProgType"}),
              "Korvalin Pro,1.0,1.0,Korvalin Pro,0.0.0,Pro");
    const QDateTime lastSave = QDateTime::fromString(first(t, "LastSave"), "yyyy-MM-dd HH:mm:ss");
    ASSERT_TRUE(lastSave.isValid()) << first(t, "LastSave").toStdString();
    EXPECT_GE(lastSave, before.addMSecs(-before.time().msec()));

    ProjectFileName = path("no/such/folder.ppr");
    EXPECT_FALSE(SaveProjectFile());
    EXPECT_TRUE(messagesWithReasons(m_dialogs.messages, QStringList{"Error saving the project file " + ProjectFileName}));
}

TEST_F(ProjectFileTest, PreferencesTakeTheProjectFilesName)
{
    // The program folder's defaults have no ProjectName column.
    LoadPrefs(KORVALIN_RESOURCES_DIR "/default_prefs.ptf");
    EXPECT_EQ(dumpRows(m_module.cdsPrefs, {"ProjectName"}), "Tram 2024.ppr");
    ASSERT_TRUE(SavePrefs());

    // A file with its own name keeps it.
    writePtf(path("own.ptf"), {"ProjectName", "LineColorRed", "LineColorGreen", "LineColorBlue"},
             {R"("Tramways",1,2,3)"});
    LoadPrefs(path("own.ptf"));
    EXPECT_EQ(dumpRows(m_module.cdsPrefs, {"ProjectName", "LineColorBlue"}), "Tramways,3");

    // The project name follows the file name, whatever the separators.
    for (const auto &[file, name] : {std::pair{"D:\\p\\Tram 2024.ppr", "Tram 2024.ppr"}, {"C:city.ppr", "city.ppr"}}) {
        ProjectFileName = file;
        SetPrefsProjectName();
        EXPECT_EQ(dumpRows(m_module.cdsPrefs, {"ProjectName"}), name);
    }

    // The saved defaults read back with the name they were saved with.
    LoadPrefs(path("prefs.ptf"));
    EXPECT_EQ(dumpRows(m_module.cdsPrefs, {"ProjectName", "LineColorGreen"}), "Tram 2024.ppr,102");
    EXPECT_TRUE(m_dialogs.messages.isEmpty());

    LoadPrefs(path("missing.ptf"));
    EXPECT_EQ(m_dialogs.messages, QStringList{"Preferences file (prefs.ptf) not found"});
}

} // namespace
