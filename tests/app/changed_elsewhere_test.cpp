// Another copy of the program, or any other program, changes the open project: a save over a
// file changed since this copy read or wrote it is refused, and nothing of either copy is lost.

#include "project_actions_sample.h"

#include "data/db_distances.h"
#include "data/db_timetables.h"
#include "data/project_change.h"
#include "data/timetable_files.h"
#include "linemap/linemap_export.h"
#include "platform/file_stamps.h"
#include "query/query.h"

#include <csignal>
#include <functional>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// What another copy of the program (or any other program) does to a file of the open project.
enum class Elsewhere { Rewritten, RewrittenSameSize, RewrittenInPlace, Removed, Created };

struct ElsewhereRow {
    const char *action;
    const char *file;
    Elsewhere how;
    // The window still holds what the user put in (empty: the action has no input of its own).
    bool (*inputKept)() = nullptr;
};

const ProjectAction &actionNamed(const char *name)
{
    for (const ProjectAction &a : projectActions())
        if (qstrcmp(a.name, name) == 0)
            return a;
    throw std::logic_error(std::string("no action ") + name);
}

bool saveShown(QWidget *window)
{
    return !control(window, "btSave")->isHidden();
}

const std::vector<ElsewhereRow> &elsewhereRows()
{
    static const std::vector<ElsewhereRow> rows = {
        // A file the action only read: its save relies on it all the same.
        {"LineStopRemoved", "stations.ptf", Elsewhere::Removed},
        {"TimetableSave", "daygroups.ptf", Elsewhere::Rewritten,
         [] { return tripCells(timetable().sgTimeTable, 1).startsWith(QLatin1String("05:31")); }},
        {"StationAdd", "lines.ptf", Elsewhere::RewrittenSameSize,
         [] {
             return saveShown(fmEditStations) &&
                    control<QLineEdit>(fmEditStations, "leStationName")->text() == QLatin1String("Bergweg");
         }},
        {"PlanCourseSave", "line_stations.ptf", Elsewhere::RewrittenInPlace},
        {"LineDelete", "intervals.ptf", Elsewhere::Removed},
        // Written after three plan and station files, which go back.
        {"StationDelete", "line_stations.ptf", Elsewhere::Rewritten},
        {"StationDelete", "stations.ptf", Elsewhere::Removed},
        {"LineDelete", "lines.ptf", Elsewhere::RewrittenSameSize},
        {"LineStopRemoved", "line_stations.ptf", Elsewhere::Rewritten,
         [] {
             return !control(fmEditLineStations, "gbLineAssign")->isHidden() &&
                    !listed(fmEditLineStations, "lbLineStations", schillerstrasse);
         }},
        {"TimetableSave", "ttc_1.ptf", Elsewhere::Rewritten,
         [] { return tripCells(timetable().sgTimeTable, 1).startsWith(QLatin1String("05:31")); }},
        {"TimetableSave", "tt_1.ptf", Elsewhere::RewrittenSameSize,
         [] { return tripCells(timetable().sgTimeTable, 1).startsWith(QLatin1String("05:31")); }},
        {"TimetableDelete", "line_connections.ptf", Elsewhere::Removed},
        // An editor that writes the file in place, keeping its size: only its time tells.
        {"TimetableDelete", "ttc_2.ptf", Elsewhere::RewrittenInPlace},
        {"StationAdd", "stations.ptf", Elsewhere::RewrittenSameSize,
         [] {
             return saveShown(fmEditStations) &&
                    control<QLineEdit>(fmEditStations, "leStationName")->text() == QLatin1String("Bergweg");
         }},
        // Missing when the project was opened, made by the other copy since.
        {"StationAdd", "newstations.ptf", Elsewhere::Created,
         [] {
             return saveShown(fmEditStations) &&
                    control<QLineEdit>(fmEditStations, "leStationName")->text() == QLatin1String("Bergweg");
         }},
        {"LineAddWithOwnColour", "line_graphic.ptf", Elsewhere::Rewritten,
         [] {
             return saveShown(fmEditLines) &&
                    control<QLineEdit>(fmEditLines, "leLineName")->text() == QLatin1String("Bus 20");
         }},
        {"LineColourBackToStandard", "line_graphic.ptf", Elsewhere::Removed, [] { return saveShown(fmEditLines); }},
        {"ProjectDayGroups", "daygroups.ptf", Elsewhere::Rewritten,
         [] {
             return saveShown(fmEditProject) &&
                    control<QLineEdit>(fmEditProject, "leDayGroupText")->text().endsWith(QLatin1String("Werktags"));
         }},
        {"ProjectDayGroups", "Musterstadt.ppr", Elsewhere::RewrittenSameSize, [] { return saveShown(fmEditProject); }},
        {"PlanNew", "line_map_prefs.ptf", Elsewhere::Rewritten,
         [] { return !control(fmEditLineNetworkPlans, "gbLineMapEdit")->isHidden(); }},
        {"PlanCourseSave", "line_map_line_sections.ptf", Elsewhere::Rewritten,
         [] { return fmEditLineMapLines->State.LineMode; }},
        {"Repair", "stations.ptf", Elsewhere::Rewritten},
    };
    return rows;
}

void PrintTo(const ElsewhereRow &row, std::ostream *os)
{
    *os << row.action << ", " << row.file;
}

std::string elsewhereRowName(const ::testing::TestParamInfo<ElsewhereRow> &info)
{
    std::string name = std::string(info.param.action) + "_" + info.param.file;
    for (char &c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

// Another copy's save of the file: its bytes written anew and renamed into place, as every copy
// of the program writes.
void saveElsewhere(const QString &path, const QByteArray &bytes)
{
    writeFileBytes(path + QStringLiteral(".other"), bytes);
    ASSERT_TRUE(::rename(QFile::encodeName(path + QStringLiteral(".other")).constData(),
                         QFile::encodeName(path).constData()) == 0);
}

void changeElsewhere(const QString &path, Elsewhere how)
{
    switch (how) {
    case Elsewhere::Rewritten:
        // A blank line at the end: a table file that still reads whole.
        saveElsewhere(path, fileBytes(path) + "\r\n");
        break;
    case Elsewhere::RewrittenSameSize:
        saveElsewhere(path, fileBytes(path));
        break;
    case Elsewhere::RewrittenInPlace: {
        const QByteArray bytes = fileBytes(path);
        writeFileBytes(path, bytes);
        const timespec later[2] = {{0, UTIME_OMIT}, {::time(nullptr) + 2, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), later, 0), 0);
        break;
    }
    case Elsewhere::Removed:
        ASSERT_TRUE(QFile::remove(path));
        break;
    case Elsewhere::Created:
        saveElsewhere(path, fileBytes(sampleDir + QLatin1Char('/') + QFileInfo(path).fileName()));
        break;
    }
}

class ChangedByAnotherCopy : public ProjectActions, public ::testing::WithParamInterface<ElsewhereRow>
{
};

} // namespace

// A file of the project changed on disk after the program read it, before the final click: the
// action is refused with one message that names the file and says the project was changed
// elsewhere; every file is as the other copy left it, and the tables, lists and the window's
// input are as before the click.
TEST_P(ChangedByAnotherCopy, TheSaveIsRefusedAndNothingOfEitherCopyIsLost)
{
    const ElsewhereRow &row = GetParam();
    const ProjectAction &action = actionNamed(row.action);
    const QString fileName = QLatin1String(row.file);
    freshCopy(action);
    ASSERT_FALSE(HasFatalFailure());
    const QString path = m_dir + QLatin1Char('/') + fileName;
    if (row.how == Elsewhere::Created) {
        ASSERT_TRUE(QFile::remove(path));
    }
    ASSERT_TRUE(open());
    ActionRun run;
    action.prepare();
    run.memoryBefore = memorySnapshot();
    changeElsewhere(path, row.how);
    ASSERT_FALSE(HasFatalFailure());
    const FolderFiles left = files();
    run.result = action.commit();
    run.messages = m_dialogs.messages;
    run.memoryAfter = memorySnapshot();
    if (action.reread) {
        action.reread();
        run.memoryReread = memorySnapshot();
    }
    EXPECT_FALSE(run.result);
    ASSERT_EQ(run.messages.size(), 1) << joined(run.messages).toStdString();
    EXPECT_TRUE(run.messages[0].contains(fileName)) << run.messages[0].toStdString();
    EXPECT_TRUE(run.messages[0].contains(QLatin1String("changed elsewhere"))) << run.messages[0].toStdString();
    EXPECT_EQ(differingFiles(files(), left), QStringList());
    EXPECT_TRUE(memoryTakenBack(action, run));
    if (row.inputKept) {
        EXPECT_TRUE(row.inputKept());
    }
}

INSTANTIATE_TEST_SUITE_P(Sample, ChangedByAnotherCopy, ::testing::ValuesIn(elsewhereRows()), elsewhereRowName);

namespace {

class OwnSavesInARow : public ProjectActions, public ::testing::WithParamInterface<bool>
{
protected:
    void TearDown() override
    {
        FileChange::setHardLinks(true);
        ProjectActions::TearDown();
    }
};

// Runs the action in this process under a file-size limit, as on a full disk: lines.ptf with a new
// line fits, and the change's journal with it; line_graphic.ptf, its copy and its journal line do not.
bool onAFullDisk(const std::function<bool()> &action)
{
    rlimit before{};
    getrlimit(RLIMIT_FSIZE, &before);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small{205, before.rlim_max};
    setrlimit(RLIMIT_FSIZE, &small);
    const bool result = action();
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, handler);
    return result;
}

} // namespace

// The program's own saves follow one another without the project being opened again, also after
// a save that failed and was undone: none is taken for another copy's change.
TEST_P(OwnSavesInARow, NoneIsRefused)
{
    FileChange::setHardLinks(GetParam());
    freshCopy(actionNamed("StationAdd"));
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(open());
    auto make = [](const char *name) {
        const ProjectAction &a = actionNamed(name);
        a.prepare();
        return a.commit();
    };
    EXPECT_TRUE(make("StationAdd")) << joined(m_dialogs.messages).toStdString();
    const ProjectAction &line = actionNamed("LineAddWithOwnColour");
    line.prepare();
    EXPECT_FALSE(onAFullDisk(line.commit));
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_TRUE(m_dialogs.messages[0].contains(QLatin1String("line_graphic.ptf"))) << m_dialogs.messages[0].toStdString();
    EXPECT_FALSE(m_dialogs.messages[0].contains(QLatin1String("changed elsewhere")));
    // The window still holds the line: the same click saves it now.
    EXPECT_TRUE(line.commit()) << joined(m_dialogs.messages).toStdString();
    for (const char *name : {"LineColourBackToStandard", "StationDelete", "LineStopRemoved", "TimetableSave",
                             "ProjectDayGroups", "PlanNew"})
        EXPECT_TRUE(make(name)) << name << ": " << joined(m_dialogs.messages).toStdString();
    EXPECT_EQ(m_dialogs.messages.size(), 1) << joined(m_dialogs.messages).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Sample, OwnSavesInARow, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return std::string(info.param ? "HardLinks" : "Copies");
                         });

namespace {

// A second copy of the program: a child forked with the project open, which makes the steps it is
// told to one at a time and answers with each step's result and the messages it showed.
class OtherCopy
{
public:
    explicit OtherCopy(std::vector<std::function<bool()>> steps)
    {
        if (::pipe(m_to) != 0 || ::pipe(m_from) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(m_to[1]);
            ::close(m_from[0]);
            for (int step = 0; ::read(m_to[0], &step, sizeof step) == sizeof step && step >= 0;) {
                const qsizetype shown = actionDialogs()->messages.size();
                bool ok = false;
                try {
                    ok = steps[size_t(step)]();
                } catch (const std::exception &) {
                }
                const QByteArray out =
                    QByteArray(ok ? "1" : "0") + actionDialogs()->messages.mid(shown).join(QLatin1Char('|')).toUtf8();
                const quint32 size = quint32(out.size());
                if (!sendAll(&size, sizeof size) || !sendAll(out.constData(), out.size()))
                    break;
            }
            std::_Exit(0);
        }
        ::close(m_to[0]);
        ::close(m_from[1]);
    }
    ~OtherCopy()
    {
        if (m_pid <= 0)
            return;
        const int stop = -1;
        (void)!::write(m_to[1], &stop, sizeof stop);
        ::close(m_to[1]);
        ::close(m_from[0]);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
    }

    // False also when the copy did not answer.
    bool run(int step, QString &messages)
    {
        messages = QStringLiteral("<no answer>");
        quint32 size = 0;
        if (m_pid <= 0 || ::write(m_to[1], &step, sizeof step) != sizeof step || !receiveAll(&size, sizeof size))
            return false;
        QByteArray in(qsizetype(size), '\0');
        if (!receiveAll(in.data(), in.size()) || in.isEmpty())
            return false;
        messages = QString::fromUtf8(in.mid(1));
        return in[0] == '1';
    }

private:
    bool sendAll(const void *data, qsizetype size)
    {
        for (auto *p = static_cast<const char *>(data); size > 0;) {
            const ssize_t n = ::write(m_from[1], p, size_t(size));
            if (n <= 0)
                return false;
            p += n;
            size -= n;
        }
        return true;
    }
    bool receiveAll(void *data, qsizetype size)
    {
        for (auto *p = static_cast<char *>(data); size > 0;) {
            const ssize_t n = ::read(m_from[0], p, size_t(size));
            if (n <= 0)
                return false;
            p += n;
            size -= n;
        }
        return true;
    }

    pid_t m_pid = -1;
    int m_to[2] = {-1, -1};
    int m_from[2] = {-1, -1};
};

bool addStation(const QString &name)
{
    fmEditStations->show();
    click(fmEditStations, "btNewStation");
    type(fmEditStations, "leStationName", name);
    click(fmEditStations, "btSave");
    return !control(fmEditStations, "btClose")->isHidden() && listed(fmEditStations, "lbStations", name);
}

} // namespace

// Two copies of the program on one project save in turn. A save over a file the other copy
// changed is refused and told; opened again, the project shows the other copy's work and takes
// this copy's save as well. No station is lost, none deleted comes back.
TEST_F(ProjectActions, TwoCopiesSavingInTurnLoseNoStation)
{
    freshCopy(actionNamed("StationAdd"));
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(open());
    const QString stations = m_dir + QStringLiteral("/stations.ptf");
    auto holds = [&](const char *name) { return fileBytes(stations).contains('"' + QByteArray(name) + '"'); };
    ASSERT_TRUE(holds("Rathaus"));
    OtherCopy other({[] { return addStation(QStringLiteral("Bergweg")); },
                     [] {
                         const ProjectAction &d = actionNamed("StationDelete");
                         d.prepare();
                         return d.commit();
                     }});
    QString told;
    ASSERT_TRUE(other.run(0, told)) << told.toStdString();
    ASSERT_TRUE(holds("Bergweg"));

    // This copy still holds the stations as it read them: its add is refused, Bergweg stays.
    const FolderFiles left = files();
    EXPECT_FALSE(addStation(QStringLiteral("Talweg")));
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_TRUE(m_dialogs.messages[0].contains(QLatin1String("stations.ptf: the project was changed elsewhere")))
        << m_dialogs.messages[0].toStdString();
    EXPECT_EQ(differingFiles(files(), left), QStringList());
    EXPECT_EQ(control<QLineEdit>(fmEditStations, "leStationName")->text(), QStringLiteral("Talweg"));

    // Opened again, it shows the other copy's station and saves its own beside it.
    click(fmEditStations, "btCancel");
    fmEditStations->hide();
    ASSERT_TRUE(open());
    EXPECT_TRUE(addStation(QStringLiteral("Talweg"))) << joined(m_dialogs.messages).toStdString();
    EXPECT_TRUE(listed(fmEditStations, "lbStations", QStringLiteral("Bergweg")));
    EXPECT_TRUE(holds("Bergweg") && holds("Talweg") && holds("Rathaus"));

    // The other copy, which has not opened it again, deletes a station: refused, nothing changes.
    const FolderFiles both = files();
    EXPECT_FALSE(other.run(1, told));
    EXPECT_TRUE(told.contains(QLatin1String("changed elsewhere"))) << told.toStdString();
    EXPECT_EQ(differingFiles(files(), both), QStringList());
    EXPECT_TRUE(holds("Bergweg") && holds("Talweg") && holds("Rathaus"));
}

namespace {

// A file the program reads, whether on demand, only as text or found missing: what it saw is
// stamped, so that a save resting on it is refused once another copy changed or created it.
struct ReadRow {
    const char *name;
    const char *file;
    bool present;
    std::function<void(const QString &path)> read;
};

void PrintTo(const ReadRow &row, std::ostream *os)
{
    *os << row.name;
}

const std::vector<ReadRow> &readRows()
{
    static const std::vector<ReadRow> rows = {
        {"DistancesReadByTheSearch", "distances.ini", true, [](const QString &) { LoadDistances(); }},
        {"DistancesMissingWhenASectionGoes", "distances.ini", false,
         [](const QString &) { EXPECT_TRUE(EraseDistancesSection(1)); }},
        {"StopRowsMissingWhenAStationGoes", "ttc_1.ptf", false,
         [](const QString &) { EXPECT_TRUE(DeleteStationFromTimeTables(1, 1)); }},
        {"TripsMissing", "tt_1.ptf", false, [](const QString &) { EXPECT_FALSE(LoadTimeTable(1)); }},
        {"PlanStationsMissing", "lms_1.ptf", false, [](const QString &) { EXPECT_TRUE(LoadLineMapStations(1)); }},
        {"PlanLinesMissing", "line_map_lines.ptf", false,
         [](const QString &) { EXPECT_TRUE(LoadOrCreateLineMapLines()); }},
        {"NewStationsMissing", "newstations.ptf", false, [](const QString &) { LoadNewStations(); }},
        {"PlanBackgroundJpeg", "background.jpg", true, [](const QString &path) { ReadJpegFile(path); }},
        {"PlanBackgroundBitmap", "background.bmp", true, [](const QString &path) { ReadPictureFile(path, "BMP"); }},
    };
    return rows;
}

// A project folder of which nothing was seen before the row, nor after it.
class FreshStamps : public ProjectFolder
{
protected:
    void SetUp() override
    {
        ProjectFolder::SetUp();
        FileStamps::forgetAll();
    }
    void TearDown() override
    {
        FileStamps::forgetAll();
        ProjectFolder::TearDown();
    }
};

class StampedWhenRead : public FreshStamps, public ::testing::WithParamInterface<ReadRow>
{
};

} // namespace

TEST_P(StampedWhenRead, AnotherCopysChangeAfterTheReadIsSeen)
{
    const ReadRow &row = GetParam();
    const QString file = path(QLatin1String(row.file));
    if (row.present)
        writeFileBytes(file, "[1]\r\ndistance1=1,5,2\r\n");
    row.read(file);
    ASSERT_EQ(QFileInfo::exists(file), row.present);
    EXPECT_EQ(FileStamps::firstChangedUnder(ProjectDir), QString());
    saveElsewhere(file, row.present ? fileBytes(file) + "\r\n" : QByteArray("made by another copy\r\n"));
    EXPECT_EQ(FileStamps::firstChangedUnder(ProjectDir), QDir::cleanPath(file));
}

INSTANTIATE_TEST_SUITE_P(OnDemand, StampedWhenRead, ::testing::ValuesIn(readRows()),
                         [](const ::testing::TestParamInfo<ReadRow> &info) { return std::string(info.param.name); });

namespace {

// What a stamp holds and which stamps a step of the program renews or forgets.
struct StampRow {
    const char *name;
    std::function<void(const QString &dir)> steps;
};

void PrintTo(const StampRow &row, std::ostream *os)
{
    *os << row.name;
}

void setTimes(const QString &path, const struct stat &st)
{
    const timespec times[2] = {st.st_atim, st.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

const std::vector<StampRow> &stampRows()
{
    static const std::vector<StampRow> rows = {
        // Written in place, its time put back: only its size tells.
        {"RewrittenInPlaceWithItsTimeKept",
         [](const QString &dir) {
             const QString file = dir + QStringLiteral("/stations.ptf");
             writeFileBytes(file, "1,\"A\"\r\n");
             FileStamps::noteRead(file);
             struct stat before;
             ASSERT_EQ(::lstat(QFile::encodeName(file).constData(), &before), 0);
             writeFileBytes(file, "1,\"A\"\r\n2,\"B\"\r\n");
             setTimes(file, before);
             struct stat after;
             ASSERT_EQ(::lstat(QFile::encodeName(file).constData(), &after), 0);
             ASSERT_EQ(after.st_ino, before.st_ino);
             ASSERT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
             ASSERT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
             EXPECT_FALSE(FileStamps::unchanged(file));
             EXPECT_EQ(FileStamps::firstChangedUnder(dir), QDir::cleanPath(file));
         }},
        // Removed by the program itself, outside any change (a folder that is not the open
        // project's): its absence is its own, another copy's new file is not.
        {"RemovedByTheProgramOutsideAnyChange",
         [](const QString &) {
             const QTemporaryDir other;
             ASSERT_TRUE(other.isValid());
             const QString folder = other.path();
             const QString file = folder + QStringLiteral("/tt_1.ptf");
             writeFileBytes(file, "1,480\r\n");
             FileStamps::noteRead(file);
             ASSERT_TRUE(RemoveProjectFileInChange(file));
             ASSERT_FALSE(QFileInfo::exists(file));
             EXPECT_EQ(FileStamps::firstChangedUnder(folder), QString());
             saveElsewhere(file, "1,490\r\n");
             EXPECT_EQ(FileStamps::firstChangedUnder(folder), QDir::cleanPath(file));
         }},
        // A new project in a folder forgets what was seen there, not in a folder beside it whose
        // name begins alike.
        {"NewProjectBesideAnotherFolderOfLikeName",
         [](const QString &dir) {
             const QString proj = dir + QStringLiteral("/proj");
             const QString proj2 = dir + QStringLiteral("/proj2");
             ASSERT_TRUE(QDir().mkpath(proj) && QDir().mkpath(proj2));
             writeFileBytes(proj + QStringLiteral("/stations.ptf"), "1\r\n");
             writeFileBytes(proj2 + QStringLiteral("/stations.ptf"), "1\r\n");
             FileStamps::noteRead(proj + QStringLiteral("/stations.ptf"));
             FileStamps::noteRead(proj2 + QStringLiteral("/stations.ptf"));
             FileStamps::forgetUnder(proj);
             saveElsewhere(proj + QStringLiteral("/stations.ptf"), "2\r\n");
             saveElsewhere(proj2 + QStringLiteral("/stations.ptf"), "2\r\n");
             EXPECT_EQ(FileStamps::firstChangedUnder(proj), QString());
             EXPECT_EQ(FileStamps::firstChangedUnder(proj2), QDir::cleanPath(proj2 + QStringLiteral("/stations.ptf")));
         }},
    };
    return rows;
}

class FileStampSteps : public FreshStamps, public ::testing::WithParamInterface<StampRow>
{
};

} // namespace

TEST_P(FileStampSteps, TheStampTellsAnotherCopysChangeOnly)
{
    GetParam().steps(ProjectDir);
}

INSTANTIATE_TEST_SUITE_P(Platform, FileStampSteps, ::testing::ValuesIn(stampRows()),
                         [](const ::testing::TestParamInfo<StampRow> &info) { return std::string(info.param.name); });
