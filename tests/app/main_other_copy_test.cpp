#include "app/Main.h"

#include "data/project_change.h"
#include "platform/file_change.h"
#include "support/project_commands.h"

#include <QMenu>

#include <cstdlib>
#include <memory>
#include <ostream>
#include <utility>

#include <sys/wait.h>
#include <unistd.h>

// Another copy of the program changes the project while this one opens it, or makes a project
// there: this copy never shows a project that is half of one state and half of another.

namespace {

// Every file of the folder with its bytes, hidden ones (a journal) included.
QStringList folderBytes(const QString &dir)
{
    QStringList result;
    for (const QString &name : QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name))
        result << name + ": " + QString::fromLatin1(fileBytes(dir + "/" + name).toHex());
    return result;
}

// The rows of every table of the data module.
QStringList everyTable()
{
    QStringList result;
    for (Table *table : dm1->tables())
        result << dumpTable(*table);
    return result;
}

// A change that another copy of the program makes in the folder, in a process of its own: it
// writes the files (name and bytes) and commits at once or, held, only when it is let go.
class OtherCopysChange
{
public:
    OtherCopysChange(const QString &dir, const QList<std::pair<QString, QByteArray>> &files, bool held)
    {
        int ready[2];
        if (::pipe(ready) != 0 || ::pipe(m_go) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0) {
            FileChange change(dir);
            bool ok = true;
            for (const auto &[name, bytes] : files)
                ok = ok && change.write(dir + "/" + name, bytes);
            const char written = ok;
            (void)!::write(ready[1], &written, 1);
            char go = 0;
            if (held)
                (void)!::read(m_go[0], &go, 1);
            std::_Exit(ok && change.commit() ? 0 : 1);
        }
        char written = 0;
        m_started = m_pid > 0 && ::read(ready[0], &written, 1) == 1 && written;
        ::close(ready[0]);
        ::close(ready[1]);
        if (!held)
            finish();
    }
    ~OtherCopysChange() { finish(); }

    bool started() const { return m_started; }
    // Lets a held change go on and waits for its end; true when it committed.
    bool finish()
    {
        if (m_pid > 0) {
            const char go = 1;
            (void)!::write(m_go[1], &go, 1);
            ::close(m_go[0]);
            ::close(m_go[1]);
            int status = 0;
            m_committed = waitpid(m_pid, &status, 0) == m_pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
            m_pid = -1;
        }
        return m_committed;
    }

private:
    pid_t m_pid = -1;
    int m_go[2] = {-1, -1};
    bool m_started = false;
    bool m_committed = false;
};

const QString kBusyOpen = "Another copy of the program is changing the project right now; the project was not opened. "
                          "Open it again once that change is saved.";
const QString kChangedWhileRead =
    "Another copy of the program changed the project while it was being read and is not done yet; the project was "
    "not opened, and no project is open now. Open it again once that copy has saved its changes.";
const QString kNoDayGroups = "Daygroups-File daygroups.ptf not found";

template <class Row> class AnotherCopy : public ProjectCommands, public ::testing::WithParamInterface<Row>
{
protected:
    void SetUp() override
    {
        ProjectCommands::SetUp();
        m_wait = SetChangeWaitMs(100);
    }
    void TearDown() override
    {
        SetChangeWaitMs(m_wait);
        ProjectCommands::TearDown();
    }

    // The bytes of a table file as the program writes them.
    QByteArray ptfBytes(const QStringList &names, const QStringList &rows)
    {
        const QString file = path("staged.ptf");
        writePtf(file, names, rows);
        return fileBytes(file);
    }
    QByteArray projectBytes(int maxDriveMinutes)
    {
        const QString file = path("staged.ppr");
        writeProjectFile(file, maxDriveMinutes);
        return fileBytes(file);
    }

    void expectNoProjectOpen()
    {
        EXPECT_TRUE(ProjectFileName.isEmpty()) << ProjectFileName.toStdString();
        EXPECT_TRUE(ProjectDir.isEmpty());
        EXPECT_EQ(fmMain->windowTitle(), "Korvalin Pro");
        EXPECT_TRUE(shownWorkButtons().isEmpty());
        EXPECT_FALSE(control<QMenu>("MIProject")->isEnabled());
        for (const QString &rows : everyTable())
            EXPECT_TRUE(rows.isEmpty()) << rows.toStdString();
    }

private:
    qint64 m_wait = 0;
};

// File > Open and File > New in a folder where another copy's change still runs past the wait:
// one message, the open project stays as it was, and nothing is read or written.
struct BusyRow
{
    const char *name;
    bool open;
};

void PrintTo(const BusyRow &row, std::ostream *os)
{
    *os << row.name;
}

using WhileAnotherCopyChanges = AnotherCopy<BusyRow>;

TEST_P(WhileAnotherCopyChanges, TheOpenProjectStaysAndNothingIsWritten)
{
    const QString a = makeProjectA();
    openProject(a);
    d.messages.clear();
    // B has no preferences file: reading it would write one.
    const QString dir = makeFolder("B");
    if (GetParam().open) {
        writeProjectFile(dir + "/b.ppr", 30);
        writePtf(dir + "/daygroups.ptf", kDayGroupNames, {R"(3,"Feiertag","7","F")"});
        writePtf(dir + "/stations.ptf", {"ID", "Station"}, {R"(7,"Hafen")"});
    }
    const QStringList tables = everyTable();
    const QStringList filesA = folderBytes(ExtractProjectDir(a));
    OtherCopysChange other(dir, {{"stations.ptf", ptfBytes({"ID", "Station"}, {R"(7,"Werft")"})}}, true);
    ASSERT_TRUE(other.started());
    const QStringList filesB = folderBytes(dir);

    if (GetParam().open)
        openProject(dir + "/b.ppr");
    else
        newProject(dir + "/netz.ppr");
    EXPECT_EQ(d.messages, QStringList{GetParam().open ? kBusyOpen
                                                      : "Another copy of the program is changing a project in the "
                                                        "folder " + dir + " right now; no new project was made. "
                                                        "Choose an empty folder for the new project."});
    expectProjectAOpen(a);
    EXPECT_EQ(everyTable(), tables);
    EXPECT_EQ(folderBytes(ExtractProjectDir(a)), filesA);
    EXPECT_EQ(folderBytes(dir), filesB);

    // Once the other copy has saved, the project opens whole.
    ASSERT_TRUE(other.finish());
    d.messages.clear();
    if (GetParam().open) {
        openProject(dir + "/b.ppr");
        EXPECT_EQ(column(dm1->cdsStations, "Station"), QStringList{"Werft"});
        EXPECT_EQ(column(dm1->cdsDayGroups, "Group"), QStringList{"Feiertag"});
        EXPECT_EQ(ProjectFileName, dir + "/b.ppr");
    }
    EXPECT_TRUE(d.messages.isEmpty()) << d.messages.join('|').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Rows, WhileAnotherCopyChanges,
                         ::testing::Values(BusyRow{"Open", true}, BusyRow{"New", false}),
                         [](const auto &info) { return std::string(info.param.name); });

// Another copy saves while the tables are read one after another: the day-group message of the
// reading (B has none) is the moment. The project shown is the whole new one, or none.
struct ReadingRow
{
    const char *name;
    int changes;          // how many readings a change meets
    bool held;            // the change still runs when the reading ends
    QStringList files;    // the files the change writes
    QStringList messages; // what opening tells, the day-group message of each reading included
    int maxDriveMinutes;  // of the project shown; 0: none is open
};

void PrintTo(const ReadingRow &row, std::ostream *os)
{
    *os << row.name;
}

using ChangeWhileReading = AnotherCopy<ReadingRow>;

TEST_P(ChangeWhileReading, TheProjectShownIsNeverAMix)
{
    const ReadingRow &row = GetParam();
    const QString a = makeProjectA();
    openProject(a);
    d.messages.clear();
    const QString dir = makeFolder("B");
    const QString b = dir + "/b.ppr";
    writeProjectFile(b, 30);
    writePtf(dir + "/prefs.ptf", kPrefsNames, {R"("b.ppr",1,2,3)"});
    writePtf(dir + "/stations.ptf", {"ID", "Station"}, {R"(7,"Hafen")"});

    std::unique_ptr<OtherCopysChange> other;
    int changes = 0;
    d.onMessage = [&](const QString &text) {
        if (text != kNoDayGroups || changes == row.changes)
            return;
        ++changes;
        QList<std::pair<QString, QByteArray>> files;
        for (const QString &name : row.files) {
            if (name == "b.ppr")
                files.append({name, projectBytes(30 * (changes + 1))});
            else if (name == "stations.ptf")
                files.append({name, ptfBytes({"ID", "Station"}, {QString(R"(7,"Werft %1")").arg(changes)})});
            else
                files.append({name, ptfBytes(kDayGroupNames, {R"(3,"Feiertag","7","F")"})});
        }
        other = std::make_unique<OtherCopysChange>(dir, files, row.held);
        ASSERT_TRUE(other->started());
    };
    openProject(b);
    d.onMessage = nullptr;
    EXPECT_EQ(d.messages, row.messages);
    if (row.maxDriveMinutes == 0) {
        expectNoProjectOpen();
    } else {
        EXPECT_EQ(ProjectFileName, b);
        EXPECT_EQ(fmMain->windowTitle(), "Korvalin Pro:  " + b);
        EXPECT_EQ(PrjParams.MaxDriveMinutes, row.maxDriveMinutes);
        EXPECT_EQ(column(dm1->cdsStations, "Station"), QStringList{"Werft 1"});
        EXPECT_EQ(column(dm1->cdsDayGroups, "Group"), QStringList{"Feiertag"});
        EXPECT_EQ(shownWorkButtons(), QStringList({"sbEditProject", "sbEditStations", "sbEditLines"}));
    }

    // Once the other copy has saved, the project opens as it left it.
    ASSERT_TRUE(other->finish());
    d.messages.clear();
    openProject(b);
    EXPECT_EQ(ProjectFileName, b);
    EXPECT_EQ(column(dm1->cdsStations, "Station"), QStringList{QString("Werft %1").arg(changes)});
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ChangeWhileReading,
    ::testing::Values(
        ReadingRow{"EndedBetweenTwoReads", 1, false, {"b.ppr", "daygroups.ptf", "stations.ptf"}, {kNoDayGroups}, 60},
        ReadingRow{"StillRunningWhenTheReadingEnds", 1, true, {"stations.ptf"}, {kNoDayGroups, kChangedWhileRead}, 0},
        ReadingRow{"AtEveryReading",
                   99,
                   false,
                   {"b.ppr", "stations.ptf"},
                   {kNoDayGroups, kNoDayGroups, kNoDayGroups, kChangedWhileRead},
                   0}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
