#include "data/prj_params.h"

#include "data/data_module_1.h"
#include "data/db_func.h"
#include "data/main_globals.h"
#include "platform/ansi.h"
#include "support/scripted_dialogs.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

namespace {

constexpr char kHeader[] = "/* Portable Table Format 1.0 */\nporTables[porTables.length] = new Array(\n";
constexpr char kProjectNames[] = "\"DataStandard\",\"DataVersion\",\"PTFVersion\",\"ProgName\",\"ProgVersion\","
                                 "\"ProgType\",\"MaxDriveMinutes\",\"LastSave\",\n";

class ProjectFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_module = std::make_unique<Tdm1>();
        dm1 = m_module.get();
        ProjectDir = m_dir.path();
        ProjectFileName = m_dir.filePath(QStringLiteral("Tram 2024.ppr"));
        m_savedLimit = PrjParams.MaxDriveMinutes;
    }
    void TearDown() override
    {
        PrjParams.MaxDriveMinutes = m_savedLimit;
        dm1 = nullptr;
        ProjectDir.clear();
        ProjectFileName.clear();
    }

    QString path(const QString &file) const { return m_dir.filePath(file); }

    void writePtf(const QString &file, const QString &body) const
    {
        ASSERT_TRUE(ansi::writeLines(path(file), ansi::splitLines(QLatin1String(kHeader) + body)));
    }

    QString value(Table &t, const QString &field)
    {
        t.open();
        t.first();
        const QString v = t.fieldByName(field).isNull() ? QStringLiteral("null") : t.fieldByName(field).asString();
        t.close();
        return v;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<Tdm1> m_module;
    ScriptedDialogs m_dialogs;
    int m_savedLimit = 0;
};

TEST(PrjParams, StartsWithTwelveHours)
{
    EXPECT_EQ(TPrjParams().MaxDriveMinutes, 720);
}

TEST_F(ProjectFileTest, LoadingTheProjectFileSetsTheDriveLimit)
{
    writePtf(QStringLiteral("a.ppr"), QLatin1String(kProjectNames) +
                                          QStringLiteral("\"Korvalin Pro\",\"1.0\",\"1.0\",\"Korvalin Pro\",\"0.0.0\","
                                                         "\"x\",90,\"2024-01-01 10:00:00\",\n8);"));
    LoadProjectFile(path(QStringLiteral("a.ppr")));
    EXPECT_EQ(PrjParams.MaxDriveMinutes, 90);
    EXPECT_FALSE(dm1->cdsProject.active());

    // A missing file keeps the row loaded before, and so the limit.
    LoadProjectFile(path(QStringLiteral("missing.ppr")));
    EXPECT_EQ(PrjParams.MaxDriveMinutes, 90);
    EXPECT_EQ(m_dialogs.messages,
              QStringList{QStringLiteral("Project-File ") + path(QStringLiteral("missing.ppr")) +
                          QStringLiteral(" not found")});

    // A value that is no number neither crashes nor keeps a stale limit.
    writePtf(QStringLiteral("b.ppr"), QLatin1String(kProjectNames) +
                                          QStringLiteral("\"K\",\"1.0\",\"1.0\",\"K\",\"0.0.0\",\"x\",\"lots\",\"\",\n8);"));
    EXPECT_NO_THROW(LoadProjectFile(path(QStringLiteral("b.ppr"))));
    EXPECT_EQ(PrjParams.MaxDriveMinutes, 0);

    // The program folder's default project brings the twelve hours back.
    LoadProjectFile(QStringLiteral(KORVALIN_RESOURCES_DIR "/default_project_pro.ppr"));
    EXPECT_EQ(PrjParams.MaxDriveMinutes, 720);
    EXPECT_EQ(value(dm1->cdsProject, QStringLiteral("DataStandard")), QStringLiteral("Korvalin Pro"));
}

TEST_F(ProjectFileTest, SavingFillsTheHeaderAndKeepsTheLimit)
{
    EXPECT_EQ(FormatLastSave(QDateTime(QDate(2024, 3, 5), QTime(7, 4, 9))), QStringLiteral("2024-03-05 07:04:09"));

    ProductTitle = QStringLiteral("Korvalin Pro");
    ProgVersion = QStringLiteral("0.0.0");
    ProgType = QStringLiteral("Pro");
    LoadProjectFile(QStringLiteral(KORVALIN_RESOURCES_DIR "/default_project_pro.ppr"));
    Table &t = dm1->cdsProject;
    t.open();
    t.first();
    t.edit();
    t.fieldByName(QStringLiteral("MaxDriveMinutes")).setInteger(95);
    t.fieldByName(QStringLiteral("DataVersion")).setString(QStringLiteral("0.1"));
    t.post();
    t.close();

    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    ASSERT_TRUE(SaveProjectFile());
    EXPECT_TRUE(m_dialogs.messages.isEmpty());

    LoadProjectFile(ProjectFileName);
    EXPECT_EQ(PrjParams.MaxDriveMinutes, 95);
    EXPECT_EQ(value(t, QStringLiteral("DataVersion")), QStringLiteral("1.0"));
    EXPECT_EQ(value(t, QStringLiteral("ProgName")), QStringLiteral("Korvalin Pro"));
    EXPECT_EQ(value(t, QStringLiteral("ProgType")), QStringLiteral("Pro"));
    const QString lastSave = value(t, QStringLiteral("LastSave"));
    ASSERT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$")).match(lastSave).hasMatch())
        << lastSave.toStdString();
    EXPECT_GE(QDateTime::fromString(lastSave, QStringLiteral("yyyy-MM-dd HH:mm:ss")),
              before.addMSecs(-before.time().msec()));

    ProjectFileName = path(QStringLiteral("no/such/folder.ppr"));
    EXPECT_FALSE(SaveProjectFile());
    EXPECT_EQ(m_dialogs.messages, QStringList{QStringLiteral("Error saving the project file ") + ProjectFileName});
    ProductTitle.clear();
    ProgVersion.clear();
    ProgType.clear();
}

TEST_F(ProjectFileTest, PreferencesTakeTheProjectFilesName)
{
    // The program folder's defaults have no ProjectName column.
    LoadPrefs(QStringLiteral(KORVALIN_RESOURCES_DIR "/default_prefs.ptf"));
    EXPECT_EQ(value(dm1->cdsPrefs, QStringLiteral("ProjectName")), QStringLiteral("Tram 2024.ppr"));
    EXPECT_EQ(dm1->cdsPrefs.rowCount(), 1);
    ASSERT_TRUE(SavePrefs());

    // A file with its own name keeps it.
    writePtf(QStringLiteral("own.ptf"), QStringLiteral("\"ProjectName\",\"LineColorRed\",\"LineColorGreen\","
                                                       "\"LineColorBlue\",\n\"Tramways\",1,2,3,\n4);"));
    LoadPrefs(path(QStringLiteral("own.ptf")));
    EXPECT_EQ(value(dm1->cdsPrefs, QStringLiteral("ProjectName")), QStringLiteral("Tramways"));
    EXPECT_EQ(value(dm1->cdsPrefs, QStringLiteral("LineColorBlue")), QStringLiteral("3"));

    // The project name follows the file name, whatever the separators.
    ProjectFileName = QStringLiteral("D:\\p\\Tram 2024.ppr");
    SetPrefsProjectName();
    EXPECT_EQ(value(dm1->cdsPrefs, QStringLiteral("ProjectName")), QStringLiteral("Tram 2024.ppr"));
    ProjectFileName = QStringLiteral("C:city.ppr");
    SetPrefsProjectName();
    EXPECT_EQ(value(dm1->cdsPrefs, QStringLiteral("ProjectName")), QStringLiteral("city.ppr"));
    EXPECT_EQ(dm1->cdsPrefs.rowCount(), 1);

    // The saved defaults read back with the name they were saved with.
    LoadPrefs(path(QStringLiteral("prefs.ptf")));
    EXPECT_EQ(value(dm1->cdsPrefs, QStringLiteral("ProjectName")), QStringLiteral("Tram 2024.ppr"));
    EXPECT_EQ(value(dm1->cdsPrefs, QStringLiteral("LineColorGreen")), QStringLiteral("102"));
    EXPECT_TRUE(m_dialogs.messages.isEmpty());

    LoadPrefs(path(QStringLiteral("missing.ptf")));
    EXPECT_EQ(m_dialogs.messages, QStringList{QStringLiteral("Preferences file (prefs.ptf) not found")});
}

} // namespace
