#include "project_actions.h"

#include "app/edit_lines.h"
#include "app/edit_linestations.h"
#include "app/edit_project.h"
#include "app/edit_stations.h"
#include "app/fehlerkorrektur.h"
#include "app/frame_color_choice.h"
#include "app/timetable_cells.h"
#include "app/timetable_io.h"
#include "data/db_func.h"
#include "data/main_globals.h"
#include "linemap/edit_line_network_plans.h"
#include "linemap/edit_linemap_lines.h"
#include "platform/ini_file.h"
#include "support/app_environment.h"
#include "support/killed_change.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <functional>
#include <set>

namespace {

const QString sampleDir = QStringLiteral(KORVALIN_RESOURCES_DIR "/../docs/handbook/sample");
const QString projectFileName = QStringLiteral("Musterstadt.ppr");

// ---------------------------------------------------------------- driving the windows

template <class T = QWidget> T *control(QWidget *window, const char *name)
{
    T *c = window->findChild<T *>(QLatin1String(name));
    if (!c)
        throw ActionSetupError(std::string("no control ") + name);
    return c;
}

// A hidden button is one no user could click.
void click(QWidget *window, const char *name)
{
    auto *button = control<QAbstractButton>(window, name);
    if (button->isHidden())
        throw ActionSetupError(std::string("hidden: ") + name);
    button->click();
}

void choose(QWidget *window, const char *list, const QString &text)
{
    auto *l = control<QListWidget>(window, list);
    const auto items = l->findItems(text, Qt::MatchExactly);
    if (items.size() != 1)
        throw ActionSetupError("not listed once: " + text.toStdString());
    l->setCurrentItem(items[0]);
    items[0]->setSelected(true);
}

bool listed(QWidget *window, const char *list, const QString &text)
{
    return !control<QListWidget>(window, list)->findItems(text, Qt::MatchExactly).isEmpty();
}

void type(QWidget *window, const char *edit, const QString &text)
{
    auto *e = control<QLineEdit>(window, edit);
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Delete);
    QTest::keyClicks(e, text);
}

void answerYes()
{
    actionDialogs()->answers = {DialogService::Answer::Yes};
}

// What the main window loads before it shows the plan list, and the station tables of the one
// plan as its drawing editor loads them.
void loadPlanTables()
{
    LoadSharedPlanTables();
    LoadLineMapStations(1);
    LoadLineMapIndividualStationPrefs(1);
    LoadLineMapIndividualMultiStationPrefs(1);
}

void openPlanList()
{
    loadPlanTables();
    fmEditLineNetworkPlans->show();
}

// The drawing editor on the plan "Netzplan".
void openDrawingEditor()
{
    openPlanList();
    choose(fmEditLineNetworkPlans, "lbMaps", QStringLiteral("Netzplan"));
    fmEditLineMapLines->show();
    if (fmEditLineMapLines->State.LineMapID != 1)
        throw ActionSetupError("the plan did not open");
}

TimeTableModel &timetable()
{
    static TimeTableModel model;
    return model;
}
TimeTableChoice &timetableChoice()
{
    static TimeTableChoice choice;
    return choice;
}

void loadTimetable(const char *line, const char *days, const char *direction)
{
    if (!LoadTimeTableGrid(timetable(), timetableChoice(), QLatin1String(line), QLatin1String(days),
                           QLatin1String(direction)))
        throw ActionSetupError("the timetable did not open");
}

const QString schillerstrasse = QStringLiteral(u"Schillerstra\u00dfe");

// ---------------------------------------------------------------- the actions

const std::vector<ProjectAction> &projectActions()
{
    static const std::vector<ProjectAction> actions = {
        {"StationDelete",
         {"lms_1.ptf", "lmimsp_1.ptf", "stations.ptf", "line_stations.ptf", "tt_1.ptf", "tt_2.ptf", "tt_3.ptf",
          "tt_4.ptf", "ttc_1.ptf", "ttc_2.ptf", "distances.ini"},
         [] {
             fmEditStations->show();
             choose(fmEditStations, "lbStations", QStringLiteral("Rathaus"));
             answerYes();
         },
         [] {
             click(fmEditStations, "btStationDelete");
             return !listed(fmEditStations, "lbStations", QStringLiteral("Rathaus"));
         }},
        {"LineDelete",
         {"line_map_lines.ptf", "line_map_line_sections.ptf", "lms_1.ptf", "lines.ptf", "line_stations.ptf",
          "line_connections.ptf", "tt_3.ptf", "tt_4.ptf", "ttc_2.ptf", "distances.ini", "line_graphic.ptf"},
         [] {
             fmEditLines->show();
             choose(fmEditLines, "lbLines", QStringLiteral("2"));
             answerYes();
         },
         [] {
             click(fmEditLines, "btLineDelete");
             return !listed(fmEditLines, "lbLines", QStringLiteral("2"));
         }},
        {"LineStopRemoved",
         {"lms_1.ptf", "tt_1.ptf", "tt_2.ptf", "ttc_1.ptf", "distances.ini", "line_stations.ptf"},
         [] {
             fmEditLineStations->show();
             choose(fmEditLineStations, "lbLines", QStringLiteral("1"));
             click(fmEditLineStations, "btStationEdit");
             choose(fmEditLineStations, "lbLineStations", schillerstrasse);
             click(fmEditLineStations, "btDeleteStation");
         },
         [] {
             click(fmEditLineStations, "btSave");
             return control(fmEditLineStations, "gbLineAssign")->isHidden();
         }},
        {"TimetableSave",
         {"intervals.ptf", "tt_1.ptf", "ttc_1.ptf", "distances.ini"},
         [] {
             loadTimetable("1", "Mo-Fr", "1");
             setTripCells(timetable().sgTimeTable, 1, QStringLiteral("05:31"));
             setTripCells(timetable().sgTimeTable, 4, QStringLiteral("15 Min|15 Min|15 Min|15 Min|15 Min"));
         },
         [] { return SaveTimeTableGrid(timetable(), timetableChoice()) == TimeTableSaveResult::Saved; }},
        {"TimetableDelete",
         {"line_connections.ptf", "ttc_2.ptf", "tt_4.ptf", "distances.ini"},
         [] { loadTimetable("2", "Mo-Fr", "2"); },
         [] { return DeleteTimeTableOfGrid(timetableChoice()); }},
        {"StationAdd",
         {"stations.ptf", "newstations.ptf"},
         [] {
             fmEditStations->show();
             click(fmEditStations, "btNewStation");
             type(fmEditStations, "leStationName", QStringLiteral("Bergweg"));
             auto *remember = control<QCheckBox>(fmEditStations, "cbStationNewLine");
             if (!remember->isChecked())
                 remember->click();
         },
         [] {
             click(fmEditStations, "btSave");
             return !control(fmEditStations, "btClose")->isHidden() &&
                    listed(fmEditStations, "lbStations", QStringLiteral("Bergweg"));
         }},
        {"LineAddWithOwnColour",
         {"lines.ptf", "line_graphic.ptf"},
         [] {
             fmEditLines->show();
             click(fmEditLines, "btNewLine");
             type(fmEditLines, "leLineName", QStringLiteral("Bus 20"));
             click(fmEditLines, "cbStandardColor");
             type(fmEditLines, "eHexColor", QStringLiteral("3366CC"));
             control<TFrameColorChoice>(fmEditLines, "fLineColorChoice")->eHexColorExit();
         },
         [] {
             click(fmEditLines, "btSave");
             return !control(fmEditLines, "btClose")->isHidden();
         }},
        {"LineColourBackToStandard",
         {"line_graphic.ptf"},
         [] {
             fmEditLines->show();
             choose(fmEditLines, "lbLines", QStringLiteral("1"));
             click(fmEditLines, "btLineEdit");
             click(fmEditLines, "cbStandardColor");
         },
         [] {
             click(fmEditLines, "btSave");
             return !control(fmEditLines, "btClose")->isHidden();
         }},
        {"ProjectDayGroups",
         {"prefs.ptf", "Musterstadt.ppr", "daygroups.ptf", "webloader.htm"},
         [] {
             fmEditProject->show();
             type(fmEditProject, "leDayGroupText", QStringLiteral("Werktags"));
             control<QListWidget>(fmEditProject, "lbDays")->item(5)->setSelected(true);
         },
         [] {
             click(fmEditProject, "btSave");
             return control(fmEditProject, "btSave")->isHidden();
         }},
        {"PlanNew",
         {"line_maps.ptf", "line_map_prefs.ptf"},
         [] {
             openPlanList();
             fmEditLineNetworkPlans->btNewLineMapClick();
         },
         [] {
             fmEditLineNetworkPlans->btSaveClick();
             return control(fmEditLineNetworkPlans, "gbLineMapEdit")->isHidden() &&
                    listed(fmEditLineNetworkPlans, "lbMaps", QStringLiteral("Map 2"));
         },
         nullptr,
         // The template's rows stand in for the project's settings until the save reads these.
         "cdsLineMapPrefs",
         [] { LoadLineMapPrefs(ProjectDir + QStringLiteral("/line_map_prefs.ptf")); }},
        {"PlanCourseSave",
         {"line_map_lines.ptf", "line_map_line_sections.ptf", "line_map_line_intersections.ptf",
          "images/line_map_1.jpg"},
         [] {
             openDrawingEditor();
             choose(fmEditLineMapLines, "lbLines", QStringLiteral("1"));
             click(fmEditLineMapLines, "bbEditLine");
             fmEditLineMapLines->iPreviewMouseDown(461, 261);
             click(fmEditLineMapLines, "bbLineDrawOnOff");
             click(fmEditLineMapLines, "bbDir90");
             click(fmEditLineMapLines, "bbDir90");
             click(fmEditLineMapLines, "bbLineDrawOnOff");
         },
         [] {
             click(fmEditLineMapLines, "bbSaveLine");
             return !fmEditLineMapLines->State.LineMode;
         }},
        {"Repair",
         {"distances.ini", "stations.ptf", "lines.ptf"},
         [] {},
         [] {
             const qsizetype shown = actionDialogs()->messages.size();
             click(fmFehlerkorrektur, "Button1");
             const QStringList m = actionDialogs()->messages.mid(shown);
             // Done also when it names the timetables it could not read, and rebuilt the others.
             return !m.filter(QStringLiteral("neu erstellt")).isEmpty() &&
                    m.filter(QRegularExpression(QStringLiteral("^Fehler"))).isEmpty();
         },
         [](const QString &dir) {
             // Sections that no longer fit the timetables, as the repair is there to mend.
             writeFileBytes(dir + QStringLiteral("/distances.ini"), "[1]\r\ndistance1=stale\r\n");
         },
         nullptr,
         nullptr,
         // A timetable it cannot read keeps its old section.
         "distances.ini"},
    };
    return actions;
}

std::string actionName(const ::testing::TestParamInfo<ProjectAction> &info)
{
    return info.param.name;
}

QString joined(const QStringList &list)
{
    return list.join(QStringLiteral(" | "));
}

// ---------------------------------------------------------------- the fixture

class ProjectActions : public StartedProgram
{
protected:
    void SetUp() override
    {
        StartedProgram::SetUp();
        ASSERT_TRUE(m_root.isValid());
        m_dir = m_root.filePath(QStringLiteral("Musterstadt"));
        DefaultLineMapPrefsFile = QStringLiteral(KORVALIN_RESOURCES_DIR "/line_map_prefs.ptf");
        actionDialogs() = &m_dialogs;
    }
    void TearDown() override
    {
        actionDialogs() = nullptr;
        StartedProgram::TearDown();
    }

    // A fresh copy of the sample in the one project folder of the test (the web loader page
    // names the folder, so every run of the test writes to the same one).
    void freshCopy(const ProjectAction &action)
    {
        ASSERT_TRUE(QDir(m_dir).removeRecursively() || !QFileInfo::exists(m_dir));
        QDirIterator it(sampleDir, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString from = it.next();
            const QString to = m_dir + QLatin1Char('/') + QDir(sampleDir).relativeFilePath(from);
            ASSERT_TRUE(QDir().mkpath(QFileInfo(to).absolutePath()));
            ASSERT_TRUE(QFile::copy(from, to)) << to.toStdString();
            QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        }
        if (action.arrange)
            action.arrange(m_dir);
    }
    // Opens the copy as the program does, and loads the plans as a look at them would, so that
    // every table an action may change holds its file's rows before it; false when the project
    // does not open.
    bool open()
    {
        ProjectFileName.clear();
        fmMain->LoadProject(m_dir + QLatin1Char('/') + projectFileName);
        const bool opened = ProjectFileName == m_dir + QLatin1Char('/') + projectFileName;
        if (opened)
            loadPlanTables();
        m_dialogs.messages.clear();
        return opened;
    }
    FolderFiles files() const { return folderFiles(m_dir); }

    // The action on an intact copy: the files before and after it, and its disk steps.
    void runIntact(const ProjectAction &action)
    {
        freshCopy(action);
        ASSERT_FALSE(HasFatalFailure());
        m_before = files();
        ASSERT_TRUE(open());
        const ActionRun run = runAction(action);
        ASSERT_TRUE(run.ran);
        ASSERT_EQ(run.setupError, QString());
        ASSERT_TRUE(run.result) << run.messages.join(QLatin1Char('\n')).toStdString();
        m_after = files();
        m_steps = run.steps;
        m_changed = differingFiles(m_before, m_after);
        ASSERT_FALSE(m_changed.isEmpty());
        EXPECT_EQ(leftovers(m_after), QStringList());
        // Each file it changes has its take-back row.
        QStringList declared;
        for (const char *file : action.writes)
            declared << QLatin1String(file);
        for (const QString &file : std::as_const(m_changed))
            EXPECT_TRUE(declared.contains(file)) << file.toStdString() << " of " << joined(m_changed).toStdString();
    }

    // Every section of the INI file is as it was before or as the intact run writes it.
    bool sectionsAsBeforeOrIntact(const FolderFiles &now, const FolderFiles &before, const QString &name) const
    {
        auto ini = [&](const FolderFiles &state) {
            IniFile file;
            const auto it = state.find(name);
            if (it != state.end())
                file.fromText(QString::fromLatin1(it->second));
            return file;
        };
        const IniFile is = ini(now), was = ini(before), intact = ini(m_after);
        auto section = [](const IniFile &file, const QString &s) {
            QStringList lines;
            for (const QString &key : file.keys(s))
                lines << key + QLatin1Char('=') + file.readString(s, key);
            return lines;
        };
        for (const QString &s : is.sections()) {
            if (section(is, s) != section(intact, s) && section(is, s) != section(was, s))
                return false;
        }
        return true;
    }

    // Every timetable of the open project opens in the editor.
    void expectEveryTimetableOpens()
    {
        std::map<int, QString> dayGroups;
        Table &groups = dm1->cdsDayGroups;
        groups.open();
        for (groups.first(); !groups.eof(); groups.next())
            dayGroups[groups.fieldByName(QStringLiteral("ID")).asInteger()] =
                groups.fieldByName(QStringLiteral("Group")).asString();
        struct Connection {
            int line, dayGroup, direction;
        };
        std::vector<Connection> connections;
        Table &lc = dm1->cdsLineConnections;
        lc.open();
        for (lc.first(); !lc.eof(); lc.next()) {
            if (lc.fieldByName(QStringLiteral("LineID")).isNull())
                continue; // a deleted timetable's connection keeps its ID only
            connections.push_back({lc.fieldByName(QStringLiteral("LineID")).asInteger(),
                                   lc.fieldByName(QStringLiteral("DayGroupID")).asInteger(),
                                   lc.fieldByName(QStringLiteral("Direction")).asInteger()});
        }
        for (const Connection &c : connections) {
            TimeTableModel model;
            TimeTableChoice choice;
            m_dialogs.messages.clear();
            EXPECT_TRUE(LoadTimeTableGrid(model, choice, GetLineNameByID(c.line), dayGroups[c.dayGroup],
                                          QString::number(c.direction)))
                << "line " << c.line << " day group " << c.dayGroup << " direction " << c.direction << ": "
                << m_dialogs.messages.join(QLatin1Char('\n')).toStdString();
        }
    }

    QTemporaryDir m_root;
    QString m_dir;
    ScriptedDialogs m_dialogs;
    FolderFiles m_before;
    FolderFiles m_after;
    QStringList m_changed;
    int m_steps = 0;
};

class EveryAction : public ProjectActions, public ::testing::WithParamInterface<ProjectAction>
{
};

} // namespace

// A damaged input stops the action before it writes anything, or the action does without it:
// the damaged file keeps its bytes (a file of an item the action deletes goes with it), every
// other file is as before or as the action writes it on the intact project, and an action that
// failed leaves every file, table and list as it was. distances.ini is not cut: an INI file has
// no closing line, so one cut short cannot be told from a whole one.
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
        if (!open())
            continue; // not a project the program opens
        const ActionRun run = runAction(action);
        ASSERT_TRUE(run.ran);
        if (!run.setupError.isEmpty())
            continue; // the window does not offer the action on what it could read
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
        } else {
            EXPECT_EQ(differingFiles(without(now, name), without(before, name)), QStringList())
                << "failed, but changed";
            EXPECT_TRUE(memoryTakenBack(action, run));
        }
        const QString fileName = QFileInfo(name).fileName();
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

// ---------------------------------------------------------------- a second copy of the program

namespace {

// What another copy of the program (or any other program) does to a file of the open project.
enum class Elsewhere { Rewritten, RewrittenSameSize, Removed, Created };

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
// line fits, line_graphic.ptf and a copy of it do not.
bool onAFullDisk(const std::function<bool()> &action)
{
    rlimit before{};
    getrlimit(RLIMIT_FSIZE, &before);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small{150, before.rlim_max};
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
