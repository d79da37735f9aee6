#pragma once

// The main window with a program folder of defaults and project A, for the tests of File > New
// and File > Open; the window's controls are found by name.

#include "app/Main.h"
#include "data/data_module_1.h"
#include "data/main_globals.h"
#include "data/prj_params.h"
#include "support/app_environment.h"
#include "support/project_folder.h"
#include "support/scripted_dialogs.h"
#include "support/window_controls.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

template <class T = QWidget> T *control(const QString &name)
{
    return namedControl<T>(fmMain, name);
}
inline const auto click = [](const QString &name) { control<QToolButton>(name)->click(); };
inline const auto shown = [](const QString &name) { return !control(name)->isHidden(); };

inline const QStringList allWorkButtons{"sbEditProject",    "sbEditStations",  "sbEditLines",
                                        "sbAssignStations", "sbEditTimeTable", "sbEditLineNetworkPlans"};

// The work buttons that are shown, top to bottom.
inline QStringList shownWorkButtons()
{
    QStringList result;
    for (const QString &name : allWorkButtons) {
        if (shown(name))
            result << name;
    }
    return result;
}

inline QStringList column(Table &table, const QString &field)
{
    const QString rows = dumpRows(table, {field});
    return rows.isEmpty() ? QStringList() : rows.split(" | ");
}

inline QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files, QDir::Name);
}

// Presses OK on the next modal window as soon as it runs; remembers which window it was.
inline void acceptNextModal(QString *windowName = nullptr)
{
    QTimer::singleShot(0, [windowName] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        if (windowName)
            *windowName = dialog->objectName();
        dialog->accept();
    });
}

class ProjectCommands : public StartedProgram
{
protected:
    void SetUp() override
    {
        StartedProgram::SetUp();
        ASSERT_TRUE(m_dir.isValid());
        const QString program = path("program");
        ASSERT_TRUE(QDir().mkpath(program));
        writeProgramDefaults(program, {R"(1,"Mo-Fr","12345","Werktags")", R"(2,"Sa","6","Samstag")"});
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    QString makeFolder(const QString &name)
    {
        const QString dir = path(name);
        EXPECT_TRUE(QDir().mkpath(dir));
        return dir;
    }

    // Project A: stations, lines and line stations, MaxDriveMinutes 90.
    QString makeProjectA()
    {
        const QString dir = makeFolder("A");
        writeProjectFile(dir + "/a.ppr", 90);
        writePtf(dir + "/prefs.ptf", kPrefsNames, {R"("a.ppr",10,20,30)"});
        writePtf(dir + "/daygroups.ptf", kDayGroupNames, {R"(1,"Sonntag","7","So")"});
        writePtf(dir + "/stations.ptf", {"ID", "Station"}, {R"(1,"Nordbahnhof")", R"(2,"Markt")"});
        writePtf(dir + "/lines.ptf", {"ID", "Line"}, {R"(1,"Linie 4")"});
        writePtf(dir + "/line_stations.ptf", kLineStationNames, {"1,1,1", "1,2,2"});
        return dir + "/a.ppr";
    }

    void openProject(const QString &fileName)
    {
        d.fileNames.push_back(fileName);
        click("sbOpen");
    }

    void newProject(const QString &fileName, QString *notice = nullptr)
    {
        d.fileNames.push_back(fileName);
        acceptNextModal(notice);
        click("sbNew");
    }

    // The state of project A as it was opened.
    void expectProjectAOpen(const QString &a)
    {
        EXPECT_EQ(ProjectFileName, a);
        EXPECT_EQ(ProjectDir, ExtractProjectDir(a));
        EXPECT_EQ(fmMain->windowTitle(), "Korvalin Pro:  " + a);
        EXPECT_EQ(PrjParams.MaxDriveMinutes, 90);
        EXPECT_EQ(column(dm1->cdsStations, "Station"), QStringList({"Nordbahnhof", "Markt"}));
        EXPECT_EQ(column(dm1->cdsDayGroups, "Group"), QStringList{"Sonntag"});
        EXPECT_EQ(shownWorkButtons(), allWorkButtons);
    }

    const QStringList kPrefsNames{"ProjectName", "LineColorRed", "LineColorGreen", "LineColorBlue"};
    const QStringList kDayGroupNames{"ID", "Group", "Days", "Text"};
    const QStringList kLineStationNames{"LineID", "LineStationNumber", "StationID"};
    QTemporaryDir m_dir;
    ScriptedDialogs d;
};
