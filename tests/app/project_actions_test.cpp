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
        m_openMessages = m_dialogs.messages;
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
    QStringList m_openMessages; // shown while the project opened
    FolderFiles m_before;
    FolderFiles m_after;
    QStringList m_changed;
    int m_steps = 0;
};

class EveryAction : public ProjectActions, public ::testing::WithParamInterface<ProjectAction>
{
};

// The line's station change writes the plan files before it reads the line's timetables: a
// damaged one is taken back, but found only after a write.
bool findsDamageAfterAWrite(const ProjectAction &action)
{
    return std::string(action.name) == "LineStopRemoved";
}

} // namespace

// A damaged input stops the action before it writes anything (before its change makes a step on
// the disk), or the action does without it: the damaged file keeps its bytes (a file of an item
// the action deletes goes with it), every other file is as before or as the action writes it on
// the intact project, and an action that failed leaves every file, table and list as it was. distances.ini is not cut: an INI file has
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
            EXPECT_TRUE(run.steps == 0 || findsDamageAfterAWrite(action))
                << "the damaged input was found after the first write";
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
