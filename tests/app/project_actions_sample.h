#pragma once

// The user's actions on the handbook's sample project as a user makes them in the windows, and
// the fixture that opens a fresh copy of the sample for each run.

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
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <algorithm>

inline const QString sampleDir = QStringLiteral(KORVALIN_RESOURCES_DIR "/../docs/handbook/sample");
inline const QString projectFileName = QStringLiteral("Musterstadt.ppr");

// ---------------------------------------------------------------- driving the windows

template <class T = QWidget> inline T *control(QWidget *window, const char *name)
{
    T *c = window->findChild<T *>(QLatin1String(name));
    if (!c)
        throw ActionSetupError(std::string("no control ") + name);
    return c;
}

// A hidden button is one no user could click.
inline void click(QWidget *window, const char *name)
{
    auto *button = control<QAbstractButton>(window, name);
    if (button->isHidden())
        throw ActionSetupError(std::string("hidden: ") + name);
    button->click();
}

inline void choose(QWidget *window, const char *list, const QString &text)
{
    auto *l = control<QListWidget>(window, list);
    const auto items = l->findItems(text, Qt::MatchExactly);
    if (items.size() != 1)
        throw ActionSetupError("not listed once: " + text.toStdString());
    l->setCurrentItem(items[0]);
    items[0]->setSelected(true);
}

inline bool listed(QWidget *window, const char *list, const QString &text)
{
    return !control<QListWidget>(window, list)->findItems(text, Qt::MatchExactly).isEmpty();
}

inline void type(QWidget *window, const char *edit, const QString &text)
{
    auto *e = control<QLineEdit>(window, edit);
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Delete);
    QTest::keyClicks(e, text);
}

inline void answerYes()
{
    actionDialogs()->answers = {DialogService::Answer::Yes};
}

// What the main window loads before it shows the plan list, and the station tables of the one
// plan as its drawing editor loads them.
inline void loadPlanTables()
{
    LoadSharedPlanTables();
    LoadLineMapStations(1);
    LoadLineMapIndividualStationPrefs(1);
    LoadLineMapIndividualMultiStationPrefs(1);
}

inline void openPlanList()
{
    loadPlanTables();
    fmEditLineNetworkPlans->show();
}

// The drawing editor on the plan "Netzplan".
inline void openDrawingEditor()
{
    openPlanList();
    choose(fmEditLineNetworkPlans, "lbMaps", QStringLiteral("Netzplan"));
    fmEditLineMapLines->show();
    if (fmEditLineMapLines->State.LineMapID != 1)
        throw ActionSetupError("the plan did not open");
}

inline TimeTableModel &timetable()
{
    static TimeTableModel model;
    return model;
}
inline TimeTableChoice &timetableChoice()
{
    static TimeTableChoice choice;
    return choice;
}

inline void loadTimetable(const char *line, const char *days, const char *direction)
{
    if (!LoadTimeTableGrid(timetable(), timetableChoice(), QLatin1String(line), QLatin1String(days),
                           QLatin1String(direction)))
        throw ActionSetupError("the timetable did not open");
}

inline const QString schillerstrasse = QStringLiteral(u"Schillerstra\u00dfe");

// ---------------------------------------------------------------- the actions

inline const std::vector<ProjectAction> &projectActions()
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

// A table file of the sample's plan written as the program writes it: its header, its field
// names, its rows and its closing line.
inline void writeTableFile(const QString &path, const QByteArray &fields, const QByteArray &rows)
{
    writeFileBytes(path, "/* Portable Table Format 1.0 */\r\nporTables[porTables.length] = new Array(\r\n" + fields +
                             "\r\n" + rows + QByteArray::number(fields.count(',')) + ");\r\n");
}

// The sample draws no name placement and no line label of its own: the plan gets one for line 2,
// so that the files its station and label saves write back are there to be damaged.
inline void arrangePlanOverrides(const QString &dir)
{
    writeTableFile(dir + QStringLiteral("/lmisp_1.ptf"),
                   R"("LineID","IDType","IDValue","Position","OffsetX","OffsetY","TextDirection","Rotation",)",
                   "2,0,4,1,0,0,0,0,\r\n");
    writeTableFile(dir + QStringLiteral("/line_map_line_text_visible.ptf"),
                   R"("LineMapID","LineID","Start","End","Other",)", "1,2,true,false,false,\r\n");
    writeTableFile(dir + QStringLiteral("/line_map_line_text_color.ptf"),
                   R"("LineMapID","LineID","DefaultColor","ColorRed","ColorGreen","ColorBlue",)"
                   R"("DefaultBackgroundColor","BackgroundColorRed","BackgroundColorGreen","BackgroundColorBlue",)",
                   "1,2,false,255,0,0,true,0,0,0,\r\n");
    writeTableFile(dir + QStringLiteral("/line_map_line_text_offset.ptf"),
                   R"("LineMapID","LineID","Position","SectionID","X","Y",)", "1,2,1,1,5,5,\r\n");
}

// The drawing editor left its mode: the save went through.
inline bool drawingModeLeft()
{
    return control<QTabWidget>(fmEditLineMapLines, "pcPrefs")->currentWidget() ==
           control(fmEditLineMapLines, "tsEmptyPrefs");
}

// Actions that only the damaged-input rows drive: the renames, the plan list's Edit and Delete and
// the drawing editor's station, transfer-station and label saves.
inline const std::vector<ProjectAction> &checkedInputActions()
{
    static const std::vector<ProjectAction> actions = {
        {"StationRename",
         {"stations.ptf"},
         [] {
             fmEditStations->show();
             choose(fmEditStations, "lbStations", QStringLiteral("Rathaus"));
             click(fmEditStations, "btStationEdit");
             type(fmEditStations, "leStationName", QStringLiteral("Rathausplatz"));
         },
         [] {
             click(fmEditStations, "btSave");
             return !control(fmEditStations, "btClose")->isHidden() &&
                    listed(fmEditStations, "lbStations", QStringLiteral("Rathausplatz"));
         }},
        {"LineRename",
         {"lines.ptf", "line_graphic.ptf"},
         [] {
             fmEditLines->show();
             choose(fmEditLines, "lbLines", QStringLiteral("Bus 10"));
             click(fmEditLines, "btLineEdit");
             type(fmEditLines, "leLineName", QStringLiteral("Bus 11"));
         },
         [] {
             click(fmEditLines, "btSave");
             return !control(fmEditLines, "btClose")->isHidden() &&
                    listed(fmEditLines, "lbLines", QStringLiteral("Bus 11"));
         }},
        {"PlanEdit",
         {"line_maps.ptf", "line_map_prefs.ptf"},
         [] {
             openPlanList();
             choose(fmEditLineNetworkPlans, "lbMaps", QStringLiteral("Netzplan"));
             fmEditLineNetworkPlans->btLineMapEditClick();
             type(fmEditLineNetworkPlans, "eMapName", QStringLiteral("Stadtplan"));
             fmEditLineNetworkPlans->eMapNameExit();
             type(fmEditLineNetworkPlans, "eMapWidth", QStringLiteral("700"));
             fmEditLineNetworkPlans->eMapWidthExit();
         },
         [] {
             // A save that goes through opens the drawing editor on the plan: it is closed at once.
             QTimer::singleShot(0, [] {
                 if (QWidget *editor = QApplication::activeModalWidget())
                     editor->close();
             });
             fmEditLineNetworkPlans->btSaveClick();
             return control(fmEditLineNetworkPlans, "gbLineMapEdit")->isHidden() &&
                    listed(fmEditLineNetworkPlans, "lbMaps", QStringLiteral("Stadtplan"));
         },
         nullptr,
         // The save reads the settings anew from their file.
         "cdsLineMapPrefs",
         [] { LoadLineMapPrefs(ProjectDir + QStringLiteral("/line_map_prefs.ptf")); }},
        {"PlanDelete",
         {"lmimsp_1.ptf", "lmisp_1.ptf", "lms_1.ptf", "line_map_line_sections.ptf", "line_map_line_text_visible.ptf",
          "line_map_line_text_color.ptf", "line_map_line_text_offset.ptf", "line_map_lines.ptf", "line_map_prefs.ptf",
          "line_maps.ptf"},
         [] {
             openPlanList();
             choose(fmEditLineNetworkPlans, "lbMaps", QStringLiteral("Netzplan"));
             answerYes();
         },
         [] {
             fmEditLineNetworkPlans->btLineMapDeleteClick();
             return !listed(fmEditLineNetworkPlans, "lbMaps", QStringLiteral("Netzplan"));
         },
         &arrangePlanOverrides,
         // The delete reads the settings anew from their file.
         "cdsLineMapPrefs",
         [] { LoadLineMapPrefs(ProjectDir + QStringLiteral("/line_map_prefs.ptf")); }},
        {"PlanStationSave",
         {"lms_1.ptf", "lmisp_1.ptf", "lmimsp_1.ptf", "images/line_map_1.jpg"},
         [] {
             openDrawingEditor();
             choose(fmEditLineMapLines, "lbLines", QStringLiteral("1"));
             click(fmEditLineMapLines, "bbEditStations");
             click(fmEditLineMapLines, "cbStationDefaultProperties");
         },
         [] {
             click(fmEditLineMapLines, "bbSaveStation");
             return drawingModeLeft();
         },
         &arrangePlanOverrides},
        {"PlanTransferSave",
         {"lmimsp_1.ptf", "images/line_map_1.jpg"},
         [] {
             openDrawingEditor();
             click(fmEditLineMapLines, "bbEditMultiStations");
             click(fmEditLineMapLines, "cbMultiStationDefaultProperties");
         },
         [] {
             click(fmEditLineMapLines, "bbSaveMultiStations");
             return drawingModeLeft();
         }},
        {"PlanLabelSave",
         {"line_map_line_text_visible.ptf", "line_map_line_text_color.ptf", "line_map_line_text_offset.ptf",
          "images/line_map_1.jpg"},
         [] {
             openDrawingEditor();
             choose(fmEditLineMapLines, "lbLines", QStringLiteral("1"));
             click(fmEditLineMapLines, "bbEditLineText");
             click(fmEditLineMapLines, "cbLineTextVisibleDefaultProperties");
         },
         [] {
             click(fmEditLineMapLines, "btSaveLineText");
             return drawingModeLeft();
         },
         &arrangePlanOverrides},
    };
    return actions;
}

inline std::string actionName(const ::testing::TestParamInfo<ProjectAction> &info)
{
    return info.param.name;
}

inline QString joined(const QStringList &list)
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
