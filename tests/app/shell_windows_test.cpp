#include "app/Main.h"
#include "support/app_environment.h"
#include "app/fehlerkorrektur.h"
#include "app/showinfo.h"
#include "data/main_globals.h"
#include "platform/file_stamps.h"
#include "platform/ini_file.h"
#include "support/file_size_limit.h"
#include "support/project_folder.h"

#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>

#include <map>

namespace {

const QString sampleDir = QStringLiteral(KORVALIN_RESOURCES_DIR "/../docs/handbook/sample");

class ShellWindows : public StartedProgram
{
protected:
    void SetUp() override
    {
        StartedProgram::SetUp();
        ASSERT_TRUE(m_dir.isValid());
    }

    // Copies the handbook's sample project (five timetables) and opens it.
    void openSample()
    {
        for (const QString &name : QDir(sampleDir).entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(sampleDir + "/" + name, m_dir.filePath(name))) << name.toStdString();
        fmMain->LoadProject(m_dir.filePath("Musterstadt.ppr"));
        ASSERT_EQ(ProjectFileName, m_dir.filePath("Musterstadt.ppr"));
        m_dialogs.messages.clear();
    }

    void clickRepair() { fmFehlerkorrektur->findChild<QPushButton *>("Button1")->click(); }

    QTemporaryDir m_dir;
    ScriptedDialogs m_dialogs;
};

} // namespace

TEST_F(ShellWindows, AboutBoxShowsTheVersionLine)
{
    ProgVersion = "0.0.0";
    AboutBox->FormShow();
    EXPECT_EQ(AboutBox->findChild<QLabel *>("lVersion")->text(), "Version 0.0.0");
    EXPECT_EQ(AboutBox->findChild<QLabel *>("lProductName")->text(), ProductTitle);
    EXPECT_EQ(AboutBox->windowTitle(), "Info");
    EXPECT_FALSE(AboutBox->findChild<QLabel *>("ProgramIcon")->pixmap().isNull());
}

TEST_F(ShellWindows, RepairIsOfferedInTheProjectMenuOnceAProjectIsOpen)
{
    auto *menu = fmMain->findChild<QMenu *>("MIProject");
    ASSERT_NE(menu, nullptr);
    QStringList items;
    for (QAction *action : menu->actions())
        items << action->text();
    EXPECT_TRUE(items.contains("Projektdateien aktualisieren...")) << items.join(", ").toStdString();
    EXPECT_FALSE(menu->isEnabled());
    openSample();
    EXPECT_TRUE(menu->isEnabled());
}

TEST_F(ShellWindows, RepairWithoutProjectWritesNothing)
{
    clickRepair();
    EXPECT_EQ(m_dialogs.messages, QStringList{"No project loaded"});
}

TEST_F(ShellWindows, RepairRebuildsEverySectionAndCleansStationsAndLines)
{
    openSample();
    QFile::remove(m_dir.filePath("distances.ini"));
    clickRepair();
    EXPECT_EQ(m_dialogs.messages,
              (QStringList{"Datei distances.ini wurde neu erstellt",
                           "Leere bzw. gelöschte Stationen aus Datei stations.ptf wurden entfernt",
                           "Leere bzw. gelöschte Linien aus Datei lines.ptf wurden entfernt"}));
    IniFile ini(m_dir.filePath("distances.ini"));
    for (const char *section : {"1", "2", "3", "4", "5"})
        EXPECT_FALSE(ini.readString(section, "distance1").isEmpty()) << section;
}

TEST_F(ShellWindows, RepairReportsFailedConnectionsOnceWithoutTheSuccessText)
{
    openSample();
    ASSERT_TRUE(QFile::remove(m_dir.filePath("tt_3.ptf")));
    clickRepair();
    ASSERT_EQ(m_dialogs.messages.size(), 3) << m_dialogs.messages.join("\n").toStdString();
    const QString report = m_dialogs.messages[0];
    EXPECT_FALSE(report.contains("Datei distances.ini wurde neu erstellt"));
    EXPECT_TRUE(report.contains("lcid = 3")) << report.toStdString();
    EXPECT_TRUE(report.contains("tt_3.ptf")) << report.toStdString();
    EXPECT_FALSE(report.contains("lcid = 1")) << report.toStdString();
    IniFile ini(m_dir.filePath("distances.ini"));
    EXPECT_FALSE(ini.readString("1", "distance1").isEmpty());
}

TEST_F(ShellWindows, FailedStationSaveIsReportedInTheRepairsWords)
{
    openSample();
    ASSERT_TRUE(QFile::remove(m_dir.filePath("stations.ptf")));
    ASSERT_TRUE(QDir().mkpath(m_dir.filePath("stations.ptf")));
    // The folder is this copy's own doing: the save fails on it, not on a change made elsewhere.
    FileStamps::noteWritten(m_dir.filePath("stations.ptf"));
    clickRepair();
    EXPECT_TRUE(m_dialogs.messages.join("\n").contains("Fehler beim Korigieren der Datei stations.ptf: "))
        << m_dialogs.messages.join("\n").toStdString();
}

// Without the line connections every section would seem stale: the repair leaves distances.ini
// as it is, names the damaged file and reports no success.
TEST_F(ShellWindows, RepairWithDamagedLineConnectionsKeepsTheDistances)
{
    for (const QString &name : QDir(sampleDir).entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(sampleDir + "/" + name, m_dir.filePath(name)));
    QByteArray cut = fileBytes(m_dir.filePath("line_connections.ptf"));
    cut.truncate(cut.size() / 2);
    writeFileBytes(m_dir.filePath("line_connections.ptf"), cut);
    const QByteArray distances = fileBytes(m_dir.filePath("distances.ini"));
    fmMain->LoadProject(m_dir.filePath("Musterstadt.ppr"));
    ASSERT_EQ(ProjectFileName, m_dir.filePath("Musterstadt.ppr"));
    m_dialogs.messages.clear();
    clickRepair();
    const QString all = m_dialogs.messages.join("\n");
    EXPECT_TRUE(m_dialogs.messages.contains("The file " + m_dir.filePath("line_connections.ptf") +
                                            " is damaged and was left unchanged."))
        << all.toStdString();
    EXPECT_FALSE(all.contains("wurde neu erstellt")) << all.toStdString();
    EXPECT_EQ(fileBytes(m_dir.filePath("distances.ini")), distances);
    EXPECT_EQ(fileBytes(m_dir.filePath("line_connections.ptf")), cut);
}

// On a full disk the repair reports the failed write with the system's reason, never success,
// and every file keeps its bytes.
TEST_F(ShellWindows, RepairOnAFullDiskReportsTheFailureAndKeepsEveryFile)
{
    openSample();
    QFile::remove(m_dir.filePath("distances.ini"));
    IniFile old;
    old.writeString("1", "distance1", "stale");
    ASSERT_TRUE(old.save(m_dir.filePath("distances.ini")));
    std::map<QString, QByteArray> before;
    for (const QString &name : folderEntries(m_dir.path()))
        before[name] = fileBytes(m_dir.filePath(name));
    const LimitedWrite w = writeWithFileSizeLimit(32, [&](QString &reason) {
        clickRepair();
        reason = m_dialogs.messages.join("\n");
        return true;
    });
    ASSERT_TRUE(w.ran);
    EXPECT_FALSE(w.reason.contains("wurde neu erstellt")) << w.reason.toStdString();
    EXPECT_FALSE(w.reason.contains("wurden entfernt")) << w.reason.toStdString();
    for (const char *file : {"distances.ini", "stations.ptf", "lines.ptf"}) {
        const QString text =
            QString(file) == "distances.ini" ? "Fehler beim Schreiben der Datei " : "Fehler beim Korigieren der Datei ";
        EXPECT_TRUE(w.reason.contains(text + file + ": " + fileTooLargeText())) << w.reason.toStdString();
    }
    EXPECT_EQ(folderEntries(m_dir.path()).size(), int(before.size()));
    for (const auto &[name, bytes] : before)
        EXPECT_EQ(fileBytes(m_dir.filePath(name)), bytes) << name.toStdString();
}
