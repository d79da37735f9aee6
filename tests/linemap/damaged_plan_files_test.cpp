// Every file a plan is drawn from cut short, or with a line that does not read, in turn: the
// program opens it, reports it as damaged, no save writes over it, and the plan's image is not
// drawn without it.

#include "support/app_environment.h"
#include "support/window_controls.h"
#include "data/db_func.h"
#include "data/main_globals.h"
#include "data/plan_project.h"
#include "linemap/edit_line_network_plans.h"
#include "linemap/edit_linemap_lines.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

namespace {

// The saves of the plan windows, as bits: which of them write a file.
enum PlanSave : unsigned {
    NewSave = 1,
    EditSave = 2,
    CourseSave = 4,
    StationSave = 8,
    TransferSave = 16,
    LabelSave = 32,
    PlanDelete = 64,
};

struct DamageCase {
    const char *name;
    const char *file;
    unsigned writers; // the saves that write the file
    bool perPlan;     // one of plan 1's own files, read when the drawing editor opens it
    bool master = false; // a project table, read when the project is opened
};

void PrintTo(const DamageCase &c, std::ostream *os)
{
    *os << c.file;
}

const DamageCase kCases[] = {
    {"PlanList", "line_maps.ptf", NewSave, false},
    {"PlanSettings", "line_map_prefs.ptf", NewSave | EditSave | PlanDelete, false},
    {"PlanLines", "line_map_lines.ptf", CourseSave | PlanDelete, false},
    {"Courses", "line_map_line_sections.ptf", CourseSave | PlanDelete, false},
    {"Junctions", "line_map_line_intersections.ptf", CourseSave | PlanDelete, false},
    {"LabelVisibility", "line_map_line_text_visible.ptf", LabelSave | PlanDelete, false},
    {"LabelColours", "line_map_line_text_color.ptf", LabelSave | PlanDelete, false},
    {"LabelOffsets", "line_map_line_text_offset.ptf", LabelSave | PlanDelete, false},
    {"StationPositions", "lms_1.ptf", CourseSave | StationSave, true},
    {"NamePlacements", "lmisp_1.ptf", CourseSave | StationSave, true},
    {"TransferNames", "lmimsp_1.ptf", StationSave | TransferSave, true},
    // The picture's station and line names and its colours; no plan window writes these.
    {"StationNames", "stations.ptf", 0, false, true},
    {"LineNames", "lines.ptf", 0, false, true},
    {"LineColours", "line_graphic.ptf", 0, false, true},
    {"Preferences", "prefs.ptf", 0, false, true},
};

// The sample project of two plans, with a settings file of its own, opened from the main
// window's plan button.
class DamagedPlanFile : public PlanProject, public ::testing::WithParamInterface<DamageCase>
{
protected:
    void SetUp() override
    {
        PlanProject::SetUp();
        if (HasFatalFailure())
            return;
        CreateForms();
        SetEnglishCaptions();
        loadMasterTables();
        DefaultLineMapPrefsFile = QStringLiteral(KORVALIN_RESOURCES_DIR "/line_map_prefs.ptf");
        TLineMapPrefs prefs;
        ASSERT_TRUE(LoadLineMapPrefs(DefaultLineMapPrefsFile));
        ASSERT_TRUE(ReadLineMapPrefs(1, prefs));
        prefs.Width = 200;
        prefs.Height = 200;
        prefs.LineRasterWidth = 10;
        CreateEmptyLineMapPrefs();
        ASSERT_TRUE(AddLineMapPrefs(1, prefs));
        ASSERT_TRUE(AddLineMapPrefs(2, prefs));
        ASSERT_TRUE(m_dialogs.messages.isEmpty());
        m_file = path(QLatin1String(GetParam().file));
        if (GetParam().master) {
            ASSERT_TRUE(QFile::copy(KORVALIN_RESOURCES_DIR "/default_prefs.ptf", path("prefs.ptf")));
            LoadPrefs(path("prefs.ptf"));
            ASSERT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join('\n').toStdString();
        }
        m_cut =
            m_lineLeftOut ? leaveOutALine(QLatin1String(GetParam().file)) : cutShort(QLatin1String(GetParam().file));
        // The project opened again with the file cut short.
        if (GetParam().master) {
            loadMasterTables();
            LoadPrefs(path("prefs.ptf"));
        }
    }
    void TearDown() override
    {
        DestroyForms();
        PlanProject::TearDown();
    }

    int namingTheFile(qsizetype from) const
    {
        int n = 0;
        for (qsizetype i = from; i < m_dialogs.messages.size(); ++i)
            n += m_dialogs.messages[i].contains(m_file) ? 1 : 0;
        return n;
    }
    // After a save: a save that writes the file is refused with one message naming it and does
    // not complete; the file keeps its bytes whatever ran.
    void after(PlanSave save, const char *name, qsizetype from, bool completed)
    {
        SCOPED_TRACE(name);
        if (GetParam().writers & save) {
            EXPECT_EQ(namingTheFile(from), 1) << m_dialogs.messages.mid(from).join('\n').toStdString();
            EXPECT_FALSE(completed);
        }
        EXPECT_EQ(bytes(QLatin1String(GetParam().file)), m_cut);
    }
    // A record line before the closing line that does not read (a name that lost its quotes):
    // the file loads but for it.
    QByteArray leaveOutALine(const QString &file)
    {
        QByteArray b = bytes(file);
        b.insert(b.lastIndexOf("\r\n", b.size() - 3) + 2, "1,Bahnhof West,\r\n");
        writeText(path(file), b);
        takeFolderAsItIs();
        return b;
    }
    int damagedReports() const
    {
        const QString report = QStringLiteral("Error by load PTF-File: ") + m_file;
        int n = 0;
        for (const QString &m : m_dialogs.messages)
            n += m == report || (m_lineLeftOut && m.startsWith(report + QStringLiteral(" (line "))) ? 1 : 0;
        return n;
    }
    void openPlansAndWork();

    template <typename T> static T *in(QWidget *w, const char *name) { return namedControl<T>(w, name); }
    static bool select(QListWidget *list, const QString &name)
    {
        const auto items = list->findItems(name, Qt::MatchExactly);
        if (items.isEmpty())
            return false;
        list->setCurrentItem(items.first());
        items.first()->setSelected(true);
        return true;
    }

    void workInList(TfmEditLineNetworkPlans *w);
    void workInEditor(TfmEditLineMapLines *e);

    QString m_file;
    QByteArray m_cut;
    bool m_editorRan = false;
    bool m_lineLeftOut = false;
};

// The same with a line of the file that does not read: the table holds the other rows.
class PlanFileWithALineLeftOut : public DamagedPlanFile
{
protected:
    PlanFileWithALineLeftOut() { m_lineLeftOut = true; }
};

void DamagedPlanFile::workInList(TfmEditLineNetworkPlans *w)
{
    // The files the list reads are told as damaged when it opens (the project's own when the
    // project was opened).
    if (!GetParam().perPlan) {
        EXPECT_EQ(damagedReports(), 1);
    }
    auto settingsOpen = [&] { return !in<QWidget>(w, "gbLineMapEdit")->isHidden(); };
    QListWidget *maps = in<QListWidget>(w, "lbMaps");

    qsizetype from = m_dialogs.messages.size();
    w->btNewLineMapClick();
    in<QLineEdit>(w, "eMapName")->setText(QStringLiteral("Neu"));
    w->eMapNameExit();
    w->btSaveClick();
    after(NewSave, "New", from, !settingsOpen());
    if (settingsOpen())
        w->btCancelClick();

    if (select(maps, QStringLiteral("Netz"))) {
        w->btLineMapEditClick();
        from = m_dialogs.messages.size();
        // A save that goes through opens the drawing editor on the plan.
        QTimer::singleShot(0, [this] {
            if (auto *e = qobject_cast<TfmEditLineMapLines *>(QApplication::activeModalWidget()))
                workInEditor(e);
        });
        w->btSaveClick();
        after(EditSave, "Edit", from, !settingsOpen());
        if (settingsOpen())
            w->btCancelClick();
    }

    if (select(maps, QStringLiteral("Innen"))) {
        m_dialogs.answers = {ScriptedDialogs::Answer::Yes};
        from = m_dialogs.messages.size();
        w->btLineMapDeleteClick();
        const bool gone = maps->findItems(QStringLiteral("Innen"), Qt::MatchExactly).isEmpty();
        after(PlanDelete, "Delete", from, gone);
        // A refused delete keeps the plan listed, as the table and the file do.
        EXPECT_EQ(gone, GetLineMapIDByName(QStringLiteral("Innen")) < 0);
    }
    w->reject();
}

void DamagedPlanFile::workInEditor(TfmEditLineMapLines *e)
{
    m_editorRan = true;
    if (GetParam().perPlan) {
        EXPECT_EQ(damagedReports(), 1);
    }
    auto click = [&](const char *name) { in<QAbstractButton>(e, name)->click(); };
    auto page = [&] { return in<QTabWidget>(e, "pcPrefs")->currentWidget()->objectName(); };
    auto chooseL1 = [&] { select(in<QListWidget>(e, "lbLines"), QStringLiteral("L1")); };
    struct Mode {
        PlanSave save;
        const char *name, *enter, *pageName, *saveButton, *cancelButton;
    };
    const Mode modes[] = {
        {CourseSave, "Course", "bbEditLine", "tsLinePrefs", "bbSaveLine", "bbCancelLine"},
        {StationSave, "Stations", "bbEditStations", "tsStationPrefs", "bbSaveStation", "bbCancelStations"},
        {TransferSave, "Transfer", "bbEditMultiStations", "tsMultiStationPrefs", "bbSaveMultiStations",
         "bbCancelMultiStations"},
        {LabelSave, "Labels", "bbEditLineText", "tsLineTextPrefs", "btSaveLineText", "btCancelLineText"},
    };
    for (const Mode &m : modes) {
        chooseL1();
        click(m.enter);
        // A mode that needs the line's row is not entered without it; then its save cannot run.
        if (page() != QLatin1String(m.pageName)) {
            EXPECT_FALSE(GetParam().writers & m.save) << m.name;
            continue;
        }
        const qsizetype from = m_dialogs.messages.size();
        click(m.saveButton);
        const bool completed = page() != QLatin1String(m.pageName);
        after(m.save, m.name, from, completed);
        if (!completed)
            click(m.cancelButton);
    }
    e->reject();
}

} // namespace

void DamagedPlanFile::openPlansAndWork()
{
    const QByteArray image = bytes("images/line_map_1.jpg");
    bool listRan = false;
    QTimer::singleShot(0, [&] {
        auto *w = qobject_cast<TfmEditLineNetworkPlans *>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr);
        listRan = true;
        workInList(w);
    });
    auto *button = fmMain->findChild<QToolButton *>("sbEditLineNetworkPlans");
    ASSERT_NE(button, nullptr);
    button->setEnabled(true);
    button->click();
    EXPECT_TRUE(listRan);
    // The drawing editor ran its saves unless the plan list itself could not be saved.
    EXPECT_EQ(m_editorRan, !(GetParam().writers & (NewSave | EditSave)));
    EXPECT_EQ(bytes(QLatin1String(GetParam().file)), m_cut);
    // No plan image drawn without the rows of the damaged file.
    EXPECT_EQ(bytes("images/line_map_1.jpg"), image);
}

TEST_P(DamagedPlanFile, NoSaveWritesOverItAndEachRefusalIsToldOnce)
{
    openPlansAndWork();
}

TEST_P(PlanFileWithALineLeftOut, NoSaveWritesOverItAndEachRefusalIsToldOnce)
{
    openPlansAndWork();
}

std::string caseName(const ::testing::TestParamInfo<DamageCase> &info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(EveryPlanFile, DamagedPlanFile, ::testing::ValuesIn(kCases), caseName);
INSTANTIATE_TEST_SUITE_P(EveryPlanFile, PlanFileWithALineLeftOut, ::testing::ValuesIn(kCases), caseName);
