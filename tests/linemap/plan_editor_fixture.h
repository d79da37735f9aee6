#pragma once

#include "support/app_environment.h"
#include "data/db_func.h"
#include "data/main_globals.h"
#include "linemap/edit_line_network_plans.h"
#include "linemap/edit_linemap_lines.h"
#include "shared_plan_tables.h"
#include "support/project_folder.h"
#include "support/scripted_dialogs.h"
#include "support/window_controls.h"

#include <QAbstractButton>
#include <QListWidget>
#include <QTabWidget>
#include <QTemporaryDir>

#include <initializer_list>

// The program started on a project in a temporary folder, for the drawing editor's window
// tests: the plan "Centre" (ID 1) is added with settings the test chooses, and the plan list,
// showing it selected, opens the drawing editor on it.
class PlanEditorWindow : public StartedInProjectFolder
{
protected:
    void TearDown() override
    {
        fmEditLineMapLines->hide();
        fmEditLineNetworkPlans->hide();
        StartedInProjectFolder::TearDown();
    }

    // 400 by 300 pixels on a raster of 20, lines 4 wide, white background, red lines.
    static TLineMapPrefs centrePrefs()
    {
        TLineMapPrefs prefs;
        prefs.Width = 400;
        prefs.Height = 300;
        prefs.LineRasterWidth = 20;
        prefs.LineDrawWidth = 4;
        prefs.BackgroundColor = 0xFFFFFF;
        prefs.LineColor = 0x0000FF;
        return prefs;
    }
    // The empty plan tables and the plan "Centre" with its settings row.
    static void addCentre(const TLineMapPrefs &prefs)
    {
        CreateEmptyLineMaps();
        CreateEmptyLineMapPrefs();
        CreateEmptySharedPlanTables();
        ASSERT_EQ(AddLineMap(QStringLiteral("Centre")), 1);
        ASSERT_TRUE(AddLineMapPrefs(1, prefs));
    }
    // Empty master tables with these stations (IDs from 1 in this order) and line U1 as line 1.
    static void addStationsAndU1(std::initializer_list<const char *> stations)
    {
        CreateEmptyStations();
        CreateEmptyLines();
        CreateEmptyLineStations();
        CreateEmptyLineGraphic();
        for (const char *name : stations)
            AddStation(QString::fromLatin1(name));
        ASSERT_EQ(AddLine(QStringLiteral("U1")), 1);
    }
    // The plan "Centre" with these settings, shown selected in the plan list and opened in the
    // drawing editor.
    void openCentre(const TLineMapPrefs &prefs)
    {
        addCentre(prefs);
        if (!HasFatalFailure())
            openEditor();
    }
    static void openEditor()
    {
        fmEditLineNetworkPlans->show();
        QListWidget *plans = child<QListWidget>(fmEditLineNetworkPlans, "lbMaps");
        ASSERT_NE(plans, nullptr);
        plans->setCurrentRow(0);
        fmEditLineMapLines->show();
        ASSERT_EQ(fmEditLineMapLines->State.LineMapID, 1);
    }

    template <typename T>
    static T *child(QWidget *window, const char *name)
    {
        return namedControl<T>(window, name);
    }
    template <typename T>
    T *ed(const char *name)
    {
        return child<T>(fmEditLineMapLines, name);
    }
    void click(const char *button) { ed<QAbstractButton>(button)->click(); }
    void choose(const char *list, const QString &text)
    {
        QListWidget *w = ed<QListWidget>(list);
        w->setCurrentItem(w->findItems(text, Qt::MatchExactly).value(0));
    }
    QStringList items(const char *list)
    {
        QStringList texts;
        QListWidget *w = ed<QListWidget>(list);
        for (int i = 0; i < w->count(); ++i)
            texts << w->item(i)->text();
        return texts;
    }
    QString page() { return ed<QTabWidget>("pcPrefs")->currentWidget()->objectName(); }
    QByteArray bytes(const QString &file) { return fileBytes(m_dir.filePath(file)); }

    ScriptedDialogs m_dialogs;
};
