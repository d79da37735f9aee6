#include "project_actions_sample.h"

#include "support/power_cut.h"

#include <algorithm>
#include <set>

#include <sys/wait.h>

namespace {

class EveryAction : public ProjectActions, public ::testing::WithParamInterface<ProjectAction>
{
};

} // namespace

// A damaged input stops the action before it writes anything (before its change makes a step on
// the disk), or the action does without it: the damaged file keeps its bytes (a file of an item
// the action deletes goes with it), every other file is as before or as the action writes it on
// the intact project, and an action that failed leaves every file, table and list as it was.
// distances.ini is not cut: an INI file has no closing line, so one cut short cannot be told from
// a whole one.
TEST_P(EveryAction, ADamagedFileKeepsItsBytesAndEveryOtherIsAsBeforeOrAsIntact)
{
    const ProjectAction &action = GetParam();
    runIntact(action);
    ASSERT_FALSE(HasFatalFailure());
    for (const auto &[name, intact] : m_before) {
        if (!name.endsWith(QLatin1String(".ptf")) && !name.endsWith(QLatin1String(".ppr")))
            continue;
        SCOPED_TRACE(name.toStdString());
        freshCopy(action);
        ASSERT_FALSE(HasFatalFailure());
        const QString path = m_dir + QLatin1Char('/') + name;
        QByteArray cut = fileBytes(path);
        cut.chop(cut.size() - cut.lastIndexOf('\n', cut.size() - 3) - 1); // the closing line goes
        writeFileBytes(path, cut);
        const FolderFiles before = files();
        // A run that cannot be set up is one the program refused: a message named the file.
        const QString fileName = QFileInfo(name).fileName();
        if (!open()) {
            EXPECT_FALSE(m_openMessages.filter(fileName).isEmpty())
                << "the project did not open, and no message named the file: " << joined(m_openMessages).toStdString();
            continue;
        }
        const ActionRun run = runAction(action);
        ASSERT_TRUE(run.ran);
        if (!run.setupError.isEmpty()) {
            EXPECT_FALSE((m_openMessages + run.messages).filter(fileName).isEmpty())
                << "the window did not offer the action (" << run.setupError.toStdString()
                << "), and no message named the file: " << joined(m_openMessages + run.messages).toStdString();
            continue;
        }
        const FolderFiles now = files();
        if (m_after.count(name) || QFileInfo::exists(path)) {
            EXPECT_EQ(fileBytes(path), cut);
        }
        EXPECT_EQ(leftovers(now), QStringList());
        QStringList neither;
        for (const QString &other : differingFiles(without(now, name), without(before, name))) {
            const auto it = now.find(other);
            const auto intactIt = m_after.find(other);
            const bool asIntact = it == now.end() ? intactIt == m_after.end()
                                                  : intactIt != m_after.end() && intactIt->second == it->second;
            if (!asIntact && !(action.rebuiltInParts && other == QLatin1String(action.rebuiltInParts) &&
                               sectionsAsBeforeOrIntact(now, before, other)))
                neither << other;
        }
        EXPECT_EQ(neither, QStringList()) << "neither as before nor as on the intact project";
        if (run.result) {
            EXPECT_TRUE(m_after.count(name) == 0 || !m_changed.contains(name))
                << "told done without writing the damaged file";
            // Done without the damaged file, it did all the rest: no file it writes is left as before
            // (but a plan's image, which is not drawn from plan data that did not read).
            QStringList notDone;
            for (const QString &other : std::as_const(m_changed)) {
                const auto it = now.find(other);
                const auto beforeIt = before.find(other);
                const bool asBefore = it == now.end() ? beforeIt == before.end()
                                                      : beforeIt != before.end() && beforeIt->second == it->second;
                if (other != name && asBefore && !other.startsWith(QLatin1String("images/")) &&
                    !(action.rebuiltInParts && other == QLatin1String(action.rebuiltInParts)))
                    notDone << other;
            }
            EXPECT_EQ(notDone, QStringList()) << "told done, but these files are as before";
        } else {
            EXPECT_EQ(run.steps, 0) << "the damaged input was found after the first write";
            EXPECT_EQ(differingFiles(without(now, name), without(before, name)), QStringList())
                << "failed, but changed";
            EXPECT_TRUE(memoryTakenBack(action, run));
        }
        EXPECT_LE(run.messages.filter(fileName).size(), 1) << joined(run.messages).toStdString();
    }
}

// On a full disk (file-size limits between the sizes of the files the action writes) the action
// writes all of them or none, and leaves no file of its change behind.
TEST_P(EveryAction, OnAFullDiskEveryFileIsAsBeforeOrAsTheWholeActionWritesIt)
{
    const ProjectAction &action = GetParam();
    runIntact(action);
    ASSERT_FALSE(HasFatalFailure());
    std::set<qint64> sizes;
    for (const QString &name : std::as_const(m_changed)) {
        const auto it = m_after.find(name);
        if (it != m_after.end())
            sizes.insert(it->second.size());
    }
    ASSERT_FALSE(sizes.empty());
    // Below the smallest, between neighbours, and just below the largest: at most four limits.
    std::vector<rlim_t> limits{rlim_t(*sizes.begin() / 2)};
    for (auto it = sizes.begin(); std::next(it) != sizes.end(); ++it)
        limits.push_back(rlim_t((*it + *std::next(it)) / 2));
    limits.push_back(rlim_t(*sizes.rbegin() - 1));
    std::sort(limits.begin(), limits.end());
    limits.erase(std::unique(limits.begin(), limits.end()), limits.end());
    while (limits.size() > 4)
        limits.erase(limits.begin() + qsizetype(limits.size() / 2));
    for (const rlim_t limit : limits) {
        SCOPED_TRACE("limit " + std::to_string(limit));
        freshCopy(action);
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(open());
        const ActionRun run = runAction(action, limit);
        ASSERT_TRUE(run.ran);
        ASSERT_EQ(run.setupError, QString());
        const FolderFiles now = files();
        EXPECT_EQ(leftovers(now), QStringList());
        if (run.result) {
            EXPECT_EQ(differingFiles(now, m_after), QStringList());
        } else {
            EXPECT_EQ(differingFiles(now, m_before), QStringList());
            EXPECT_TRUE(memoryTakenBack(action, run));
            EXPECT_FALSE(run.messages.isEmpty()) << "a failure told nothing";
        }
    }
}

// Killed at every step of its change (or at 30 spread over them), the action leaves a project
// that opens with all its files in one state, every timetable readable, no file of the change
// left over, and one message telling what was done.
TEST_P(EveryAction, KilledAtAnyStepTheReopenedProjectIsInOneState)
{
    const ProjectAction &action = GetParam();
    runIntact(action);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_GT(m_steps, 0);
    std::vector<int> steps;
    if (m_steps <= 40) {
        for (int k = 1; k <= m_steps; ++k)
            steps.push_back(k);
    } else {
        for (int i = 0; i < 30; ++i)
            steps.push_back(1 + int(qint64(i) * (m_steps - 1) / 29));
    }
    for (const int k : steps) {
        SCOPED_TRACE("killed at step " + std::to_string(k));
        freshCopy(action);
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(open());
        const KilledRun killed = runKilledAtStep(k, [&] {
            action.prepare();
            return action.commit();
        });
        ASSERT_EQ(killed, KilledRun::Killed);
        fmMain->LoadProject(m_dir + QLatin1Char('/') + projectFileName);
        ASSERT_EQ(ProjectFileName, m_dir + QLatin1Char('/') + projectFileName);
        EXPECT_LE(m_dialogs.messages.size(), 1) << joined(m_dialogs.messages).toStdString();
        const FolderFiles now = files();
        EXPECT_EQ(leftovers(now), QStringList());
        const QStringList fromBefore = differingFiles(now, m_before);
        const QStringList fromAfter = differingFiles(now, m_after);
        EXPECT_TRUE(fromBefore.isEmpty() || fromAfter.isEmpty())
            << "changed: " << joined(fromBefore).toStdString() << "; not yet: " << joined(fromAfter).toStdString();
        expectEveryTimetableOpens();
    }
    // One step more than the change has and the action finishes.
    freshCopy(action);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(open());
    EXPECT_EQ(runKilledAtStep(m_steps + 1,
                              [&] {
                                  action.prepare();
                                  return action.commit();
                              }),
              KilledRun::Finished);
}

INSTANTIATE_TEST_SUITE_P(Sample, EveryAction, ::testing::ValuesIn(projectActions()), actionName);

// ---------------------------------------------------------------- take-back rows

namespace {

struct FailedWrite {
    const ProjectAction *action;
    const char *file;
};

void PrintTo(const FailedWrite &row, std::ostream *os)
{
    *os << row.action->name << ", " << row.file;
}

std::vector<FailedWrite> failedWrites()
{
    std::vector<FailedWrite> rows;
    for (const ProjectAction &action : projectActions())
        for (const char *file : action.writes)
            rows.push_back({&action, file});
    return rows;
}

std::string failedWriteName(const ::testing::TestParamInfo<FailedWrite> &info)
{
    std::string name = std::string(info.param.action->name) + "_" + info.param.file;
    for (char &c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

class FailedWriteOfAnAction : public ProjectActions, public ::testing::WithParamInterface<FailedWrite>
{
};

} // namespace

// One file of the action cannot be written: every file, table and list is as before the final
// click, and the failure is told.
TEST_P(FailedWriteOfAnAction, TakesEveryFileTableAndListBack)
{
    const ProjectAction &action = *GetParam().action;
    freshCopy(action);
    ASSERT_FALSE(HasFatalFailure());
    const FolderFiles before = files();
    ASSERT_TRUE(open());
    const ActionRun run = runAction(action, RLIM_INFINITY, QLatin1String(GetParam().file));
    ASSERT_TRUE(run.ran);
    ASSERT_EQ(run.setupError, QString());
    EXPECT_FALSE(run.result);
    EXPECT_FALSE(run.messages.isEmpty()) << "a failure told nothing";
    const FolderFiles now = files();
    EXPECT_EQ(differingFiles(now, before), QStringList());
    EXPECT_EQ(leftovers(now), QStringList());
    EXPECT_TRUE(memoryTakenBack(action, run));
}

INSTANTIATE_TEST_SUITE_P(Sample, FailedWriteOfAnAction, ::testing::ValuesIn(failedWrites()), failedWriteName);

// ---------------------------------------------------------------- power cuts

namespace {

class PowerCutOfAnAction : public ProjectActions, public ::testing::WithParamInterface<ProjectAction>
{
};

std::vector<ProjectAction> powerCutActions()
{
    std::vector<ProjectAction> rows;
    for (const ProjectAction &action : projectActions()) {
        for (const char *name : {"StationDelete", "LineStopRemoved", "TimetableSave", "PlanCourseSave"})
            if (QLatin1String(action.name) == QLatin1String(name))
                rows.push_back(action);
    }
    return rows;
}

} // namespace

// The action's disk calls, recorded, cut off by a power cut after any of them with what was not
// yet synced lost in any way a POSIX file system may lose it: the project recovers to all its
// files before the action or all of them after it.
TEST_P(PowerCutOfAnAction, EveryStateRecoversToTheOldOrTheNewProject)
{
    const ProjectAction &action = GetParam();
    freshCopy(action);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(open());
    const QString record = m_root.filePath(QStringLiteral("calls"));
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        int code = 1;
        try {
            action.prepare();
            const power_cut::Files before = power_cut::filesUnder(m_dir);
            power_cut::Calls calls;
            bool done = false;
            {
                power_cut::Recorder recorder;
                done = action.commit();
                calls = recorder.calls;
            }
            QFile out(record);
            if (done && out.open(QIODevice::WriteOnly)) {
                QDataStream s(&out);
                s << QMap<QString, QByteArray>(before) << QMap<QString, QByteArray>(power_cut::filesUnder(m_dir));
                power_cut::save(s, calls);
                code = 0;
            }
        } catch (const std::exception &) {
        }
        std::_Exit(code);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    QFile in(record);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    QDataStream s(&in);
    QMap<QString, QByteArray> before, after;
    s >> before >> after;
    const power_cut::Calls calls = power_cut::load(s);
    ASSERT_EQ(s.status(), QDataStream::Ok);
    ASSERT_FALSE(calls.empty());
    power_cut::Replay replay(m_dir, before.toStdMap(), after.toStdMap(), calls);
    const QStringList failures = replay.failures();
    EXPECT_EQ(failures.size(), 0) << failures.mid(0, 8).join(QLatin1Char('\n')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Sample, PowerCutOfAnAction, ::testing::ValuesIn(powerCutActions()), actionName);


// ---------------------------------------------------------------- damaged inputs

namespace {

// The files each action reads at its final click, or whose table it writes back, with the damages
// after which the window still offers it. A table the editor lists (the stations, the lines, the
// stops of a line, the day groups) cut short lists nothing to act on; the timetable editor reads
// its timetable's files when it opens one, and a line's delete only removes them: none of these
// is an input of the click.
struct ActionInput {
    const char *file;
    bool cutShort = true;
};

const std::map<std::string, std::vector<ActionInput>> &actionInputs()
{
    static const std::map<std::string, std::vector<ActionInput>> inputs = {
        {"StationDelete",
         {{"newstations.ptf"}, {"line_stations.ptf", false}, {"line_connections.ptf"}, {"tt_1.ptf"}, {"tt_2.ptf"},
          {"tt_3.ptf"}, {"tt_4.ptf"}, {"ttc_1.ptf"}, {"ttc_2.ptf"}, {"line_maps.ptf"}, {"line_map_lines.ptf"},
          {"lms_1.ptf"}, {"lmimsp_1.ptf"}}},
        {"LineDelete",
         {{"line_stations.ptf"}, {"line_connections.ptf"}, {"line_graphic.ptf"}, {"line_maps.ptf"},
          {"line_map_lines.ptf"}, {"line_map_line_sections.ptf"}, {"lms_1.ptf"}, {"lmimsp_1.ptf"}}},
        {"LineStopRemoved",
         {{"line_stations.ptf", false}, {"line_connections.ptf"}, {"tt_1.ptf"}, {"tt_2.ptf"}, {"ttc_1.ptf"},
          {"line_maps.ptf"}, {"line_map_lines.ptf"}, {"lms_1.ptf"}}},
        {"StationAdd", {{"newstations.ptf"}}},
        {"LineAddWithOwnColour", {{"line_graphic.ptf"}}},
        {"LineColourBackToStandard", {{"line_graphic.ptf"}}},
        {"ProjectDayGroups", {{"prefs.ptf"}, {"daygroups.ptf", false}}},
        {"PlanNew", {{"line_maps.ptf"}, {"line_map_prefs.ptf"}}},
        {"PlanCourseSave", {{"line_map_lines.ptf"}, {"line_map_line_sections.ptf"}}},
        {"Repair", {{"stations.ptf", false}, {"lines.ptf", false}, {"line_connections.ptf"}}},
        {"StationRename", {{"stations.ptf", false}}},
        {"LineRename", {{"lines.ptf", false}, {"line_graphic.ptf"}}},
        {"PlanEdit", {{"line_maps.ptf", false}, {"line_map_prefs.ptf"}}},
        {"PlanDelete",
         {{"line_maps.ptf", false}, {"line_map_prefs.ptf"}, {"line_map_lines.ptf"}, {"line_map_line_sections.ptf"},
          {"line_map_line_text_visible.ptf"}, {"line_map_line_text_color.ptf"}, {"line_map_line_text_offset.ptf"}}},
        {"PlanStationSave", {{"lms_1.ptf"}, {"lmisp_1.ptf"}, {"lmimsp_1.ptf"}}},
        {"PlanTransferSave", {{"lmimsp_1.ptf"}}},
        {"PlanLabelSave",
         {{"line_map_line_text_visible.ptf"}, {"line_map_line_text_color.ptf"}, {"line_map_line_text_offset.ptf"}}},
    };
    return inputs;
}

enum class Damage { CutShort, LineUnread };

struct DamagedInput {
    const ProjectAction *action;
    const char *file;
    Damage damage;
};

void PrintTo(const DamagedInput &row, std::ostream *os)
{
    *os << row.action->name << ", " << row.file << (row.damage == Damage::CutShort ? ", cut short" : ", line unread");
}

std::vector<DamagedInput> damagedInputs()
{
    std::vector<DamagedInput> rows;
    std::vector<const ProjectAction *> actions;
    for (const auto *list : {&projectActions(), &checkedInputActions()})
        for (const ProjectAction &action : *list)
            actions.push_back(&action);
    for (const ProjectAction *a : actions) {
        const ProjectAction &action = *a;
        const auto it = actionInputs().find(action.name);
        if (it == actionInputs().end())
            continue;
        for (const ActionInput &input : it->second) {
            if (input.cutShort)
                rows.push_back({&action, input.file, Damage::CutShort});
            rows.push_back({&action, input.file, Damage::LineUnread});
        }
    }
    return rows;
}

std::string damagedInputName(const ::testing::TestParamInfo<DamagedInput> &info)
{
    std::string name = std::string(info.param.action->name) + "_" + info.param.file +
                       (info.param.damage == Damage::CutShort ? "_CutShort" : "_LineUnread");
    for (char &c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

// The file without its closing line, or with a record line that does not read (a text never
// closed) before it. Its ID is one no row of the sample has: the reader keeps the values before the
// text, and a repeated ID would refuse the whole table, so that no editor listed its other rows.
QByteArray damaged(QByteArray bytes, Damage damage)
{
    const qsizetype closing = bytes.lastIndexOf('\n', bytes.size() - 3) + 1;
    if (damage == Damage::CutShort)
        return bytes.left(closing);
    return bytes.insert(closing, "9999,\"never closed,\r\n");
}

class DamagedInputOfAnAction : public ProjectActions, public ::testing::WithParamInterface<DamagedInput>
{
};

} // namespace

// A damaged input stops the action with one message naming it, before anything is written: no
// file, journal or kept file has changed while the box is up, nor after it.
TEST_P(DamagedInputOfAnAction, StopsTheActionBeforeItsFirstWrite)
{
    const ProjectAction &action = *GetParam().action;
    const QString name = QLatin1String(GetParam().file);
    freshCopy(action);
    ASSERT_FALSE(HasFatalFailure());
    const QString path = m_dir + QLatin1Char('/') + name;
    ASSERT_TRUE(QFileInfo(path).isFile()) << "the sample has no " << name.toStdString();
    writeFileBytes(path, damaged(fileBytes(path), GetParam().damage));
    const FolderFiles before = files();
    ASSERT_TRUE(open()) << "the project did not open";
    const ActionRun run = runAction(action);
    ASSERT_TRUE(run.ran);
    ASSERT_EQ(run.setupError, QString()) << "the action was not offered";
    EXPECT_FALSE(run.result) << "done on a damaged input";
    ASSERT_EQ(run.messages.size(), 1) << joined(run.messages).toStdString();
    EXPECT_TRUE(run.messages[0].contains(name)) << run.messages[0].toStdString();
    EXPECT_EQ(run.changedWhenTold, QStringList{QString()}) << "changed while the box was up";
    EXPECT_EQ(differingFiles(files(), before), QStringList());
    EXPECT_TRUE(memoryTakenBack(action, run));
}

INSTANTIATE_TEST_SUITE_P(Sample, DamagedInputOfAnAction, ::testing::ValuesIn(damagedInputs()), damagedInputName);
