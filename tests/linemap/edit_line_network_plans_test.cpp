#include "linemap/edit_line_network_plans.h"
#include "linemap/linemap_open.h"
#include "linemap/linemap_records.h"
#include "linemap/plan_style_rules.h"

#include "support/app_environment.h"
#include "support/file_size_limit.h"
#include "data/data_module_1.h"
#include "data/db_func.h"
#include "data/main_globals.h"
#include "platform/ansi.h"
#include "platform/color_box.h"
#include "support/project_folder.h"
#include "shared_plan_tables.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <QLabel>
#include <QTabWidget>
#include <QTest>

#include "linemap/linemap_export.h"

namespace {

class PlanList : public StartedInProjectFolder
{
protected:
    void SetUp() override
    {
        StartedInProjectFolder::SetUp();
        ProjectFileName = ProjectDir + "/netz.ppr";
        DefaultLineMapPrefsFile = QStringLiteral(KORVALIN_RESOURCES_DIR "/line_map_prefs.ptf");
        loadSharedTables();
        w = fmEditLineNetworkPlans;
    }
    void TearDown() override
    {
        if (w->isVisible() && btClose()->isHidden())
            w->btCancelClick();
        w->close();
        StartedInProjectFolder::TearDown();
    }

    // What the main window does before it shows the list.
    void loadSharedTables()
    {
        const QString prefs = ProjectDir + "/line_map_prefs.ptf";
        LoadLineMapPrefs(QFileInfo::exists(prefs) ? prefs : DefaultLineMapPrefsFile);
        CreateEmptyLineMaps();
        if (QFileInfo::exists(ProjectDir + "/line_maps.ptf"))
            LoadLineMaps();
        CreateEmptySharedPlanTables();
    }

    template <typename T> T *get(const char *name) { return w->findChild<T *>(QString::fromLatin1(name)); }
    QListWidget *lbMaps() { return get<QListWidget>("lbMaps"); }
    QLineEdit *edit(const char *name) { return get<QLineEdit>(name); }
    QPushButton *btClose() { return get<QPushButton>("btClose"); }
    QPushButton *btSave() { return get<QPushButton>("btSave"); }
    bool settingsOpen() { return !get<QWidget>("gbLineMapEdit")->isHidden(); }

    QStringList listed()
    {
        QStringList names;
        for (int i = 0; i < lbMaps()->count(); ++i)
            names << lbMaps()->item(i)->text();
        return names;
    }
    void select(const QString &name)
    {
        const auto items = lbMaps()->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1);
        lbMaps()->setCurrentItem(items.first());
        items.first()->setSelected(true);
    }
    void showList()
    {
        w->show();
        QApplication::processEvents();
    }
    // Adds a plan through New and Save.
    void newPlan(const QString &name)
    {
        w->btNewLineMapClick();
        edit("eMapName")->setText(name);
        w->eMapNameExit();
        w->btSaveClick();
    }
    // The drawing editor is modal: close it as soon as it runs.
    void closeNextModal(bool *seen)
    {
        QTimer::singleShot(0, [seen] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (dialog) {
                *seen = true;
                dialog->reject();
            }
        });
    }

    ScriptedDialogs d;
    TfmEditLineNetworkPlans *w = nullptr;
};

} // namespace

TEST_F(PlanList, EmptyProjectNewSaveAndCommandsWithoutSelection)
{
    showList();
    EXPECT_EQ(w->windowTitle(), "Edit line maps");
    EXPECT_TRUE(listed().isEmpty());
    w->btLineMapEditClick();
    w->btLineMapDeleteClick();
    w->bbLineMapWorkClick();
    EXPECT_FALSE(settingsOpen());
    EXPECT_TRUE(d.questions.isEmpty());

    w->btNewLineMapClick();
    EXPECT_TRUE(settingsOpen());
    EXPECT_EQ(edit("eMapName")->text(), "Map 1");
    EXPECT_TRUE(btSave()->isHidden());
    EXPECT_TRUE(btClose()->isHidden());
    EXPECT_FALSE(lbMaps()->isEnabled());
    // The window cannot be closed while the settings box is open.
    w->reject();
    EXPECT_TRUE(w->isVisible());

    w->btSaveClick();
    EXPECT_FALSE(settingsOpen());
    EXPECT_EQ(listed(), QStringList{"Map 1"});
    EXPECT_EQ(GetLineMapIDByName("Map 1"), 1);
    EXPECT_TRUE(QFileInfo::exists(ProjectDir + "/line_maps.ptf"));
    EXPECT_TRUE(QFileInfo::exists(ProjectDir + "/line_map_prefs.ptf"));
    EXPECT_TRUE(d.messages.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(ProjectDir + "/images")); // a new plan exports nothing
}

TEST_F(PlanList, ProposedNameThatExistsAndCancel)
{
    showList();
    newPlan("Zentrum");
    newPlan("Map 4");
    newPlan("Außenbezirke");
    newPlan("innenstadt");
    EXPECT_EQ(listed(), QStringList({"Außenbezirke", "innenstadt", "Map 4", "Zentrum"}));
    w->btNewLineMapClick();
    EXPECT_EQ(edit("eMapName")->text(), "Map 5");
    edit("eMapName")->setText("map 4");
    w->eMapNameExit();
    w->btSaveClick();
    EXPECT_EQ(d.messages, QStringList{"Linemap already exists"});
    EXPECT_TRUE(settingsOpen());
    EXPECT_EQ(edit("eMapName")->text(), "map 4");

    const QByteArray before = fileBytes(ProjectDir + "/line_maps.ptf");
    w->btCancelClick();
    EXPECT_FALSE(settingsOpen());
    EXPECT_FALSE(btClose()->isHidden());
    EXPECT_EQ(listed().size(), 4);
    EXPECT_EQ(fileBytes(ProjectDir + "/line_maps.ptf"), before);

    // The next showing lists what the table holds, in name order.
    w->close();
    EXPECT_TRUE(listed().isEmpty());
    showList();
    EXPECT_EQ(listed(), QStringList({"Außenbezirke", "innenstadt", "Map 4", "Zentrum"}));
}

// A name with a control character is refused by Save, also when the field's own check has not
// run; no file is written and the settings stay open.
TEST_F(PlanList, NamesWithControlCharactersAreRefused)
{
    showList();
    newPlan("Netz");
    const QByteArray before = fileBytes(ProjectDir + "/line_maps.ptf");
    w->btNewLineMapClick();
    edit("eMapName")->setText(QString::fromUtf8("Nord\nSüd"));
    w->btSaveClick();
    ASSERT_EQ(d.messages.size(), 1);
    EXPECT_TRUE(d.messages[0].contains("line break")) << d.messages[0].toStdString();
    EXPECT_TRUE(settingsOpen());
    w->btCancelClick();
    select("Netz");
    w->btLineMapEditClick();
    edit("eMapName")->setText("Netz\tOst");
    w->btSaveClick();
    ASSERT_EQ(d.messages.size(), 2);
    EXPECT_TRUE(d.messages[1].contains("tab")) << d.messages[1].toStdString();
    w->btCancelClick();
    EXPECT_EQ(listed(), QStringList{"Netz"});
    EXPECT_EQ(fileBytes(ProjectDir + "/line_maps.ptf"), before);
}

TEST_F(PlanList, EditSavesSettingsRenamesAndOpensTheEditor)
{
    showList();
    newPlan("Netz");
    newPlan("Stadt");
    select("Netz");
    w->btLineMapEditClick();
    EXPECT_EQ(edit("eMapName")->text(), "Netz");
    edit("eMapWidth")->setText("640");
    w->eMapWidthExit();
    EXPECT_FALSE(btSave()->isHidden());

    // A name that exists: the rename is refused and nothing changes.
    edit("eMapName")->setText("Stadt");
    w->eMapNameExit();
    w->btSaveClick();
    EXPECT_EQ(d.messages, QStringList{"Error changing the mapname Netz in Stadt"});
    EXPECT_TRUE(settingsOpen());
    EXPECT_EQ(listed(), QStringList({"Netz", "Stadt"}));

    edit("eMapName")->setText("Netz Nord");
    w->eMapNameExit();
    bool editorShown = false;
    closeNextModal(&editorShown);
    w->btSaveClick();
    EXPECT_TRUE(editorShown);
    EXPECT_FALSE(settingsOpen());
    EXPECT_EQ(listed(), QStringList({"Netz Nord", "Stadt"}));
    EXPECT_EQ(w->SelectedLineMapName(), "Netz Nord");
    TLineMapPrefs stored;
    ASSERT_TRUE(ReadLineMapPrefs(GetLineMapIDByName("Netz Nord"), stored));
    EXPECT_EQ(stored.Width, 640);
    // The drawing editor exported the plan image when it closed.
    EXPECT_TRUE(QFileInfo::exists(ProjectDir + "/images/line_map_1.jpg"));
}

TEST_F(PlanList, DeleteAsksAndWorksWithoutWrittenCourses)
{
    showList();
    newPlan("Netz");
    newPlan("Stadt");
    // A cancelled New leaves the template's rows in memory; Delete must not write them.
    w->btNewLineMapClick();
    w->btCancelClick();

    select("Netz");
    d.answers = {DialogService::Answer::No};
    w->btLineMapDeleteClick();
    EXPECT_EQ(d.questions, QStringList{"Do you really want delete the linemap Netz"});
    EXPECT_EQ(listed(), QStringList({"Netz", "Stadt"}));

    d.answers = {DialogService::Answer::Yes};
    w->btLineMapDeleteClick();
    EXPECT_EQ(listed(), QStringList{"Stadt"});
    EXPECT_TRUE(d.messages.isEmpty()) << d.messages.join("\n").toStdString();
    EXPECT_EQ(GetLineMapIDByName("Netz"), -1);
    CreateEmptyLineMapPrefs();
    ASSERT_TRUE(LoadLineMapPrefs(ProjectDir + "/line_map_prefs.ptf"));
    TLineMapPrefs p;
    EXPECT_FALSE(ReadLineMapPrefs(1, p));
    EXPECT_TRUE(ReadLineMapPrefs(2, p));
    EXPECT_EQ(dm1->cdsLineMapPrefs.recordCount(), 1);
}

// After a rename the renamed plan is the selected one; after a delete none is, so the next Edit
// or Delete cannot act on a plan the user did not choose.
TEST_F(PlanList, RenameSelectsTheRenamedPlanAndDeleteLeavesNoneSelected)
{
    showList();
    newPlan("Alpha");
    newPlan("Beta");
    newPlan("Gamma");
    auto clickPlan = [&](const QString &name) {
        QListWidgetItem *item = lbMaps()->findItems(name, Qt::MatchExactly).value(0);
        ASSERT_NE(item, nullptr);
        QTest::mouseClick(lbMaps()->viewport(), Qt::LeftButton, {}, lbMaps()->visualItemRect(item).center());
    };

    clickPlan("Alpha");
    ASSERT_EQ(w->SelectedLineMapName(), "Alpha");
    w->btLineMapEditClick();
    edit("eMapName")->setText("Zeta");
    w->eMapNameExit();
    bool editorShown = false;
    closeNextModal(&editorShown);
    w->btSaveClick();
    EXPECT_TRUE(editorShown);
    EXPECT_EQ(listed(), QStringList({"Beta", "Gamma", "Zeta"}));
    EXPECT_EQ(w->SelectedLineMapName(), "Zeta");
    EXPECT_EQ(lbMaps()->selectedItems().size(), 1);

    clickPlan("Beta");
    d.answers = {DialogService::Answer::Yes};
    w->btLineMapDeleteClick();
    EXPECT_EQ(listed(), QStringList({"Gamma", "Zeta"}));
    EXPECT_EQ(w->SelectedLineMapName(), "");
    EXPECT_TRUE(lbMaps()->selectedItems().isEmpty());
    // Nothing is chosen: Edit opens nothing and Delete asks nothing.
    w->btLineMapEditClick();
    EXPECT_FALSE(settingsOpen());
    w->btLineMapDeleteClick();
    EXPECT_EQ(d.questions.size(), 1);
    EXPECT_EQ(listed(), QStringList({"Gamma", "Zeta"}));
}

TEST_F(PlanList, FailedWritesKeepTheBoxOpenAndTheListUnchanged)
{
    showList();
    newPlan("Netz");
    const QByteArray maps = fileBytes(ProjectDir + "/line_maps.ptf");

    // The settings file cannot be read (nor written): the new plan is not added at all.
    const QString prefs = ProjectDir + "/line_map_prefs.ptf";
    ASSERT_TRUE(QFile::remove(prefs));
    ASSERT_TRUE(QDir().mkpath(prefs));
    w->btNewLineMapClick();
    d.messages.clear();
    w->btSaveClick();
    EXPECT_EQ(d.messages, QStringList{"Error by load PTF-File: " + prefs});
    EXPECT_TRUE(settingsOpen());
    EXPECT_EQ(listed(), QStringList{"Netz"});
    EXPECT_EQ(GetLineMapIDByName("Map 2"), -1);
    EXPECT_EQ(fileBytes(ProjectDir + "/line_maps.ptf"), maps);
    w->btCancelClick();

    // An edited plan whose settings cannot be written opens no editor.
    QDir(prefs).removeRecursively();
    select("Netz");
    w->btLineMapEditClick();
    ASSERT_TRUE(QDir().mkpath(prefs));
    d.messages.clear();
    w->btSaveClick();
    EXPECT_EQ(d.messages, QStringList{"Error by load PTF-File: " + prefs});
    EXPECT_TRUE(settingsOpen());
    w->btCancelClick();
    QDir(prefs).removeRecursively();

    // The plan list file cannot be written.
    ASSERT_TRUE(QFile::remove(ProjectDir + "/line_maps.ptf"));
    ASSERT_TRUE(QDir().mkpath(ProjectDir + "/line_maps.ptf"));
    d.messages.clear();
    newPlan("Stadt");
    EXPECT_TRUE(messagesWithReasons(d.messages, QStringList{"Error saving the file " + ProjectDir + "/line_maps.ptf"}));
    EXPECT_TRUE(settingsOpen());
    EXPECT_EQ(listed(), QStringList{"Netz"});
}

TEST_F(PlanList, EditedPlanWithoutSettingsRowGetsOne)
{
    showList();
    newPlan("Netz");
    // The settings row is lost (a hand-edited file).
    CreateEmptyLineMapPrefs();
    ASSERT_TRUE(SaveLineMapPrefs());
    select("Netz");
    w->btLineMapEditClick();
    bool shown = false;
    closeNextModal(&shown);
    w->btSaveClick();
    EXPECT_TRUE(shown);
    TLineMapPrefs p;
    EXPECT_TRUE(ReadLineMapPrefs(GetLineMapIDByName("Netz"), p));
}

// A plan whose settings row cannot be read shows the settings a new plan starts from (under its
// own name), never those of the plan shown before, and nothing is written.
TEST_F(PlanList, UnreadableSettingsRowShowsTheTemplateNotThePlanBefore)
{
    TLineMapPrefs fromTemplate;
    ASSERT_TRUE(ReadLineMapPrefs(1, fromTemplate));
    fromTemplate.Name = "Netz";
    showList();
    newPlan("Netz");
    TLineMapPrefs own;
    ASSERT_TRUE(ReadLineMapPrefs(1, own));
    own.Width = 560;
    own.LineRasterWidth = 35;
    own.StationFont.name = "Courier New";
    ASSERT_TRUE(UpdateLineMapPrefs(1, own));
    ASSERT_NE(own.Width, fromTemplate.Width);

    // The plan's own settings while its row can be read.
    select("Netz");
    w->btLineMapEditClick();
    EXPECT_EQ(w->LineMapPrefs().Width, 560);
    w->btCancelClick();
    TLineMapEditorState s;
    LineMapFormCreate(s);
    ASSERT_TRUE(LineMapOpenPrefs(s, "Netz"));
    EXPECT_EQ(s.Prefs.Width, 560);
    w->close();

    // The settings file cut inside its row, and the project opened again.
    const QString prefsFile = ProjectDir + "/line_map_prefs.ptf";
    QByteArray cut = fileBytes(prefsFile);
    const qsizetype row = cut.indexOf('\n', cut.indexOf("\"LineMapID\"")) + 1;
    ASSERT_GT(row, 0);
    cut.truncate(row + 20);
    writeFileBytes(prefsFile, cut);
    loadSharedTables();
    ASSERT_EQ(dm1->cdsLineMapPrefs.damagedFile(), prefsFile);
    auto folder = [] {
        QStringList files;
        for (QDirIterator it(ProjectDir, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
            const QString file = it.next();
            files << file + ":" + QString::fromLatin1(fileBytes(file).toBase64());
        }
        files.sort();
        return files;
    };
    const QStringList before = folder();

    showList();
    select("Netz");
    w->btLineMapEditClick();
    EXPECT_EQ(w->LineMapPrefs(), fromTemplate);
    EXPECT_EQ(edit("eMapWidth")->text(), QString::number(fromTemplate.Width));
    // The damaged file stays unread and marked, so the save is refused.
    EXPECT_EQ(dm1->cdsLineMapPrefs.damagedFile(), prefsFile);
    EXPECT_EQ(dm1->cdsLineMapPrefs.recordCount(), 0);
    bool editorShown = false;
    closeNextModal(&editorShown);
    w->btSaveClick();
    EXPECT_FALSE(editorShown);
    EXPECT_TRUE(settingsOpen());
    w->btCancelClick();
    w->close();

    // The drawing editor, still holding the plan's own settings from before.
    ASSERT_EQ(s.Prefs.Width, 560);
    EXPECT_FALSE(LineMapOpenPrefs(s, "Netz"));
    EXPECT_EQ(s.Prefs, fromTemplate);
    LineMapFormShow(s, "Netz");
    EXPECT_EQ(s.Picture.size(), QSize(fromTemplate.Width, fromTemplate.Height));
    // No image is exported from it.
    EXPECT_TRUE(LineMapDataDamaged(s));
    EXPECT_EQ(dm1->cdsLineMapPrefs.damagedFile(), prefsFile);

    // Without a readable template either, the settings are blank, not the plan's before.
    DefaultLineMapPrefsFile = ProjectDir + "/program/line_map_prefs.ptf";
    TLineMapPrefs blank;
    blank.Name = "Netz";
    EXPECT_FALSE(LineMapOpenPrefs(s, "Netz"));
    EXPECT_EQ(s.Prefs, blank);
    showList();
    select("Netz");
    w->btLineMapEditClick();
    EXPECT_EQ(w->LineMapPrefs(), blank);
    w->btCancelClick();

    EXPECT_EQ(folder(), before);
}

TEST_F(PlanList, OldTemplateOffsetsSurviveNewSaveEdit)
{
    // The template with the old offset column names.
    QStringList lines;
    ASSERT_TRUE(ansi::readLines(QStringLiteral(KORVALIN_RESOURCES_DIR "/line_map_prefs.ptf"), lines));
    const char *names[][2] = {{"StationWEOffsetX", "StationWELineDistanceH"}, {"StationWEOffsetY", "StationWELineDistanceV"},
                              {"StationNSOffsetX", "StationNSLineDistanceH"}, {"StationNSOffsetY", "StationNSLineDistanceV"},
                              {"StationNWSEOffsetX", "StationNWSELineDistanceH"},
                              {"StationNWSEOffsetY", "StationNWSELineDistanceV"},
                              {"StationSWNEOffsetX", "StationSWNELineDistanceH"},
                              {"StationSWNEOffsetY", "StationSWNELineDistanceV"},
                              {"MultiStationOffsetX", "MultiStationDistanceH"}, {"MultiStationOffsetY", "MultiStationDistanceV"}};
    for (auto &n : names)
        lines[2].replace(QString("\"%1\"").arg(n[0]), QString("\"%1\"").arg(n[1]));
    DefaultLineMapPrefsFile = ProjectDir + "/program/line_map_prefs.ptf";
    ASSERT_TRUE(QDir().mkpath(ProjectDir + "/program"));
    ASSERT_TRUE(ansi::writeLines(DefaultLineMapPrefsFile, lines));
    ASSERT_TRUE(lines[2].contains("\"StationWELineDistanceH\""));

    showList();
    w->btNewLineMapClick();
    const TLineMapPrefs fromTemplate = w->LineMapPrefs();
    w->btSaveClick();
    select("Map 1");
    w->btLineMapEditClick();
    const TLineMapPrefs edited = w->LineMapPrefs();
    for (int cls = 0; cls < 4; ++cls) {
        EXPECT_EQ(StationPrefs(edited, cls), StationPrefs(fromTemplate, cls)) << cls;
    }
    EXPECT_EQ(edited.MultiStationOffsetX, fromTemplate.MultiStationOffsetX);
    EXPECT_EQ(edited.MultiStationOffsetY, fromTemplate.MultiStationOffsetY);
    w->btCancelClick();

    // The drawing editor's opening reads the same offsets.
    TLineMapEditorState s;
    LineMapFormCreate(s);
    ASSERT_TRUE(LineMapOpenPrefs(s, "Map 1"));
    for (int cls = 0; cls < 4; ++cls)
        EXPECT_EQ(StationPrefs(s.Prefs, cls), StationPrefs(fromTemplate, cls)) << cls;

    // A plan without a row starts from the same offsets; that read leaves the template as it is.
    ASSERT_TRUE(ansi::writeLines(DefaultLineMapPrefsFile, lines));
    const QByteArray oldTemplate = fileBytes(DefaultLineMapPrefsFile);
    TLineMapPrefs withoutRow;
    EXPECT_FALSE(ReadLineMapPrefsOrDefault(99, withoutRow));
    for (int cls = 0; cls < 4; ++cls)
        EXPECT_EQ(StationPrefs(withoutRow, cls), StationPrefs(fromTemplate, cls)) << cls;
    EXPECT_EQ(withoutRow.MultiStationOffsetY, fromTemplate.MultiStationOffsetY);
    EXPECT_EQ(fileBytes(DefaultLineMapPrefsFile), oldTemplate);
}

TEST_F(PlanList, SettingsEditsFontsAndRaster)
{
    showList();
    w->btNewLineMapClick();
    const int raster = w->LineMapPrefs().LineRasterWidth;
    edit("eLineRasterWidth")->setText("0");
    w->eLineRasterWidthExit();
    EXPECT_EQ(w->LineMapPrefs().LineRasterWidth, raster);
    EXPECT_EQ(edit("eLineRasterWidth")->text(), QString::number(raster));
    EXPECT_EQ(d.beeps, 1);
    EXPECT_TRUE(btSave()->isHidden());
    edit("eLineRasterWidth")->setText("");
    w->eLineRasterWidthExit();
    EXPECT_EQ(edit("eLineRasterWidth")->text(), QString::number(raster));
    EXPECT_TRUE(btSave()->isHidden());

    // A cancelled font dialog still counts as an edit.
    d.fonts = {std::nullopt};
    w->sbStationFontClick();
    EXPECT_FALSE(btSave()->isHidden());
    FontValue chosen;
    chosen.name = "Liberation Serif";
    chosen.size = 11;
    chosen.underline = true;
    chosen.color = 0x0000FF;
    d.fonts = {chosen, chosen};
    w->sbLineTextFontClick();
    EXPECT_EQ(w->LineMapPrefs().LineTextFont.name, "Liberation Serif");
    EXPECT_FALSE(w->LineMapPrefs().LineTextFont.underline);
    w->sbStationFontClick();
    EXPECT_EQ(w->LineMapPrefs().StationFont, chosen);
    EXPECT_EQ(edit("eStationFont")->text(), "Liberation Serif");

    // The station page: WE above with OffsetY -8 shows 8; "below" keeps the number.
    w->bbLineNSClick();
    EXPECT_EQ(w->SelectedStationClass(), 1);
    EXPECT_TRUE(get<QComboBox>("cbStationAlign")->isHidden());
    EXPECT_EQ(get<QRadioButton>("rgStationPositionItem0")->text(), "Left");
    w->bbLineWEClick();
    edit("eStationTextDistanceV")->setText("8");
    w->eStationTextDistanceVExit();
    const int side = w->LineMapPrefs().WE.Position;
    EXPECT_EQ(w->LineMapPrefs().WE.OffsetY, side == 0 ? -8 : 8);
    w->rgStationPositionClick(1 - side);
    EXPECT_EQ(edit("eStationTextDistanceV")->text(), "8");
    EXPECT_EQ(w->LineMapPrefs().WE.OffsetY, side == 0 ? 8 : -8);
    w->cbStationAlignChange(1);
    EXPECT_TRUE(get<QComboBox>("cbStationDirection")->isHidden());

    // Transfer stations: "Left Top" forces "Right" and disables the alignment.
    w->cbMultiStationPositionChange(3);
    EXPECT_EQ(get<QComboBox>("cbMultiStationAlign")->currentText(), "Right");
    EXPECT_FALSE(get<QComboBox>("cbMultiStationAlign")->isEnabled());
    EXPECT_EQ(w->LineMapPrefs().MultiStationRotation, 0);

    // The colour boxes edit the record.
    get<ColorBox>("cobBackgroundColor")->colorChanged(0x00FF00);
    EXPECT_EQ(w->LineMapPrefs().BackgroundColor, 0x00FF00);
    EXPECT_EQ(w->PreviewImage().pixel(1, 2) & 0xFFFFFF, 0x00FF00u);
    w->btCancelClick();
}

// A typed station offset belongs to the class, position and page it was typed for, also when
// the next click goes to a class button, a position button or another page.
TEST_F(PlanList, TypedStationOffsetIsStoredBeforeTheNextSwitch)
{
    showList();
    w->activateWindow();
    QApplication::processEvents();
    w->btNewLineMapClick();
    QTabWidget *pages = get<QTabWidget>("PageControl1");
    auto clickTab = [&](int index) {
        QTest::mouseClick(pages->tabBar(), Qt::LeftButton, {}, pages->tabBar()->tabRect(index).center());
    };
    // Replaces the edit's text as a user does: a click into it, select the text, type.
    auto type = [&](const char *name, const QString &text) {
        QLineEdit *e = edit(name);
        QTest::mouseClick(e, Qt::LeftButton, {}, QPoint(5, e->height() / 2));
        ASSERT_TRUE(e->hasFocus()) << name;
        QTest::keyClick(e, Qt::Key_End);
        QTest::keyClick(e, Qt::Key_Home, Qt::ShiftModifier);
        QTest::keyClicks(e, text);
    };
    clickTab(2);
    ASSERT_EQ(pages->currentWidget()->objectName(), "tsStations");
    const TStationDirectionPrefs weBefore = w->LineMapPrefs().WE;
    const TStationDirectionPrefs nsBefore = w->LineMapPrefs().NS;

    // WE's vertical offset, then the NS button: WE keeps 12 on its side, the edit shows NS.
    type("eStationTextDistanceV", "12");
    QTest::mouseClick(get<QToolButton>("bbLineNS"), Qt::LeftButton);
    EXPECT_EQ(w->SelectedStationClass(), 1);
    EXPECT_EQ(w->LineMapPrefs().WE.OffsetY, weBefore.Position == 0 ? -12 : 12);
    EXPECT_EQ(w->LineMapPrefs().NS.OffsetY, nsBefore.OffsetY);
    EXPECT_EQ(edit("eStationTextDistanceV")->text(), QString::number(nsBefore.OffsetY));
    EXPECT_FALSE(btSave()->isHidden());
    // Back on WE the typed number is shown again.
    QTest::mouseClick(get<QToolButton>("bbLineWE"), Qt::LeftButton);
    EXPECT_EQ(edit("eStationTextDistanceV")->text(), "12");

    // NS's horizontal offset, then the other side: stored first, then carried to the other side.
    QTest::mouseClick(get<QToolButton>("bbLineNS"), Qt::LeftButton);
    type("eStationTextDistanceH", "7");
    const int side = w->LineMapPrefs().NS.Position;
    QRadioButton *other = get<QRadioButton>(side == 0 ? "rgStationPositionItem1" : "rgStationPositionItem0");
    QTest::mouseClick(other, Qt::LeftButton, {}, QPoint(8, other->height() / 2)); // on its round mark
    EXPECT_EQ(w->LineMapPrefs().NS.Position, 1 - side);
    EXPECT_EQ(w->LineMapPrefs().NS.OffsetX, side == 0 ? 7 : -7);
    EXPECT_EQ(edit("eStationTextDistanceH")->text(), "7");

    // NS's vertical offset, then another page.
    type("eStationTextDistanceV", "9");
    clickTab(0);
    EXPECT_EQ(pages->currentWidget()->objectName(), "tsGeneral");
    EXPECT_EQ(w->LineMapPrefs().NS.OffsetY, 9);
    EXPECT_EQ(w->SelectedStationClass(), 1);

    // A class button pressed while the edit keeps the focus (from the keyboard) stores it too.
    clickTab(2);
    type("eStationTextDistanceH", "4");
    get<QToolButton>("bbLineNWSE")->click();
    EXPECT_EQ(w->SelectedStationClass(), 2);
    EXPECT_EQ(w->LineMapPrefs().NS.OffsetX, side == 0 ? 4 : -4);
    w->btCancelClick();
}

TEST_F(PlanList, FailedExportAfterTheEditorIsReportedAndTheListFinishes)
{
    showList();
    newPlan("Netz");
    ASSERT_TRUE(QDir().mkpath(ProjectDir + "/images/line_map_1.jpg"));
    select("Netz");
    w->btLineMapEditClick();
    bool shown = false;
    closeNextModal(&shown);
    w->btSaveClick();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(messagesWithReasons(d.messages, QStringList{"Error saving the file " + ProjectDir + "/images/line_map_1.jpg"}));
    EXPECT_FALSE(settingsOpen());
    EXPECT_FALSE(btClose()->isHidden());
}

TEST_F(PlanList, FromTheMainWindowNewSaveEditSave)
{
    // Line maps: New, Save, then Edit, Save, which opens the drawing editor; closing it writes the image.
    bool editorShown = false;
    QStringList listedAfterNew;
    QTimer::singleShot(0, [&] {
        auto *list = qobject_cast<TfmEditLineNetworkPlans *>(QApplication::activeModalWidget());
        ASSERT_NE(list, nullptr);
        list->btNewLineMapClick();
        list->btSaveClick();
        listedAfterNew = listed();
        select("Map 1");
        list->btLineMapEditClick();
        closeNextModal(&editorShown);
        list->btSaveClick();
        list->reject();
    });
    auto *button = fmMain->findChild<QToolButton *>("sbEditLineNetworkPlans");
    ASSERT_NE(button, nullptr);
    button->setEnabled(true);
    button->click();
    EXPECT_EQ(listedAfterNew, QStringList{"Map 1"});
    EXPECT_TRUE(editorShown);
    EXPECT_TRUE(QFileInfo::exists(ProjectDir + "/images/line_map_1.jpg"));
    EXPECT_FALSE(w->isVisible());
}

TEST_F(PlanList, BackgroundImageChoiceAndEnglishTexts)
{
    auto *pages = get<QTabWidget>("PageControl1");
    EXPECT_EQ(pages->tabText(0), "Common");
    EXPECT_EQ(pages->tabText(3), "Transfer stations");
    EXPECT_EQ(get<QLabel>("lPreview")->text(), "Preview:");

    showList();
    w->btNewLineMapClick();
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(WriteJpegFile(picture, ProjectDir + "/back.JPG"));
    auto *shown = get<QLabel>("iBackgroundImage");

    d.fileNames = {ProjectDir + "/back.JPG"};
    w->sbBackgroundImageClick();
    EXPECT_EQ(w->LineMapPrefs().BackgroundImage, ProjectDir + "/back.JPG");
    EXPECT_FALSE(shown->pixmap().isNull());
    EXPECT_FALSE(btSave()->isHidden());

    // A metafile keeps its name without a picture; another kind is dropped.
    d.fileNames = {ProjectDir + "/plan.emf"};
    w->sbBackgroundImageClick();
    EXPECT_EQ(edit("eBackgroundImage")->text(), ProjectDir + "/plan.emf");
    EXPECT_TRUE(shown->pixmap().isNull());
    d.fileNames = {ProjectDir + "/plan.png"};
    w->sbBackgroundImageClick();
    EXPECT_TRUE(w->LineMapPrefs().BackgroundImage.isEmpty());
    EXPECT_TRUE(edit("eBackgroundImage")->text().isEmpty());
    // A cancelled dialog changes nothing but still counts as an edit.
    d.fileNames = {QString()};
    w->ClearModified();
    w->sbBackgroundImageClick();
    EXPECT_FALSE(btSave()->isHidden());
    w->btCancelClick();
}

TEST_F(PlanList, SettingsCaptionsAreShownWhole)
{
    showList();
    w->btNewLineMapClick();
    // Every check box and label of the settings pages is wide enough for its English caption
    // and stays inside its page.
    auto *pages = get<QTabWidget>("PageControl1");
    for (int p = 0; p < pages->count(); ++p) {
        QWidget *page = pages->widget(p);
        for (QWidget *c : page->findChildren<QWidget *>()) {
            if (!qobject_cast<QCheckBox *>(c) && !qobject_cast<QLabel *>(c))
                continue;
            if (c->objectName() == QLatin1String("iBackgroundImage") || c->isHidden())
                continue;
            EXPECT_GE(c->width(), c->sizeHint().width()) << c->objectName().toStdString();
            const QRect inPage(c->mapTo(page, QPoint(0, 0)), c->size());
            EXPECT_LE(inPage.right(), page->width()) << c->objectName().toStdString();
        }
    }
    w->btCancelClick();
}

TEST_F(PlanList, DrawingEditorOpeningSteps)
{
    showList();
    newPlan("Netz");
    w->close();
    TLineMapEditorState s;
    LineMapFormCreate(s);
    s.CurrentLineID = 7;
    s.StepSize = 5;
    s.LineMode = true;
    LineMapFormShow(s, "Netz");
    EXPECT_EQ(s.LineMapID, 1);
    EXPECT_EQ(s.Prefs.Name, "Netz");
    EXPECT_EQ(s.CurrentLineID, -1);
    EXPECT_EQ(s.StepSize, 1);
    EXPECT_FALSE(s.LineMode);
    EXPECT_EQ(s.Degree, -1);
    EXPECT_GT(s.Prefs.Width, 0);
    EXPECT_EQ(s.Picture.size(), QSize(s.Prefs.Width, s.Prefs.Height));
    EXPECT_TRUE(dm1->cdsLineMapStations.active());
    EXPECT_EQ(dm1->cdsLineMapStations.recordCount(), 0);
    EXPECT_TRUE(d.messages.isEmpty()) << d.messages.join("\n").toStdString();
}
