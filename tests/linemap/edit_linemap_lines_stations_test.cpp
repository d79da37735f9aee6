#include "linemap/edit_linemap_lines.h"

#include "support/app_environment.h"
#include "support/file_size_limit.h"
#include "data/data_module_1.h"
#include "data/db_func.h"
#include "linemap/edit_line_network_plans.h"
#include "linemap/line_course.h"
#include "linemap/linemap_render.h"
#include "plan_editor_fixture.h"
#include "support/project_folder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The program started; a project with stations A to D, line U1 stopping at A, B, B, C and
// line Bus 7 without stops; one plan of 400 by 300 pixels on a raster of 20 opened in the
// drawing editor, where U1's course has been drawn and saved: right from (40, 40) to
// (100, 40), down to (100, 80), left to (80, 80).
class StationModes : public PlanEditorWindow
{
protected:
    void SetUp() override
    {
        PlanEditorWindow::SetUp();
        addStationsAndU1({"A", "B", "C", "D"});
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_EQ(AddLine(QStringLiteral("Bus 7")), 2);
        stops(1, {1, 2, 2, 3});
        TLineMapPrefs prefs = centrePrefs();
        prefs.LineTextPosStart = true;
        prefs.LineTextPosEnd = false;
        prefs.LineTextPosOther = true;
        prefs.LineTextColor = 0x00FF00;
        prefs.LineTextBackgroundColor = 0xFF0000;
        prefs.WE.Position = 1;
        prefs.WE.OffsetX = 2;
        prefs.NWSE.Rotation = 0;
        prefs.MultiStationPosition = 1;
        prefs.MultiStationOffsetX = 3;
        openCentre(prefs);
        if (HasFatalFailure())
            return;

        choose("lbLines", "U1");
        click("bbEditLine");
        fmEditLineMapLines->iPreviewMouseDown(43, 43);
        click("bbLineDrawOnOff");
        for (const char *b : {"bbDir90", "bbDir90", "bbDir90", "bbDir180", "bbDir180", "bbDir270"})
            click(b);
        click("bbLineDrawOnOff");
        click("bbSaveLine");
        ASSERT_TRUE(m_dialogs.messages.isEmpty());
        ASSERT_EQ(page(), "tsEmptyPrefs");
    }

    void stops(int line, QList<int> ids)
    {
        QList<QVariantList> rows;
        for (int i = 0; i < ids.size(); ++i)
            rows << QVariantList{line, i + 1, ids[i]};
        appendRows(dm1->cdsLineStations, {"LineID", "LineStationNumber", "StationID"}, rows);
    }
    void clearStops()
    {
        Table &t = dm1->cdsLineStations;
        t.open();
        t.setFiltered(false);
        while (!t.isEmpty()) {
            t.first();
            t.remove();
        }
    }
    QStringList comboItems(const char *box)
    {
        QStringList texts;
        QComboBox *w = ed<QComboBox>(box);
        for (int i = 0; i < w->count(); ++i)
            texts << w->itemText(i);
        return texts;
    }
    TLineStation stop(int i) { return fmEditLineMapLines->State.Stations.at(size_t(i)); }
    QPoint at(int i) { return {stop(i).XPos, stop(i).YPos}; }
    TLineMapEditorState &state() { return fmEditLineMapLines->State; }
    void enterStations(const QString &line = QStringLiteral("U1"))
    {
        choose("lbLines", line);
        click("bbEditStations");
    }
    QString override(int line, int type, int value)
    {
        Table &t = dm1->cdsLineMapIndividualStationPrefs;
        t.setIndexName(QStringLiteral("idxLineIDTypeValue"));
        if (!t.findKey({line, type, value}))
            return QStringLiteral("none");
        QStringList v;
        for (const char *f : {"Position", "OffsetX", "OffsetY", "TextDirection", "Rotation"})
            v << t.fieldByName(QLatin1String(f)).asString();
        return v.join(QLatin1Char(','));
    }
};

} // namespace

TEST_F(StationModes, EnterPlaceMoveAlongABendDistributeAndSave)
{
    enterStations();
    EXPECT_EQ(page(), "tsStationPrefs");
    EXPECT_EQ(items("lbStations"), QStringList({"A", "B", "C"}));
    EXPECT_EQ(items("lbLineSections2"), QStringList({"1", "2", "3"}));
    EXPECT_EQ(state().TotalLength, 120);
    EXPECT_TRUE(ed<QRadioButton>("rbStationOff")->isChecked());
    EXPECT_FALSE(ed<QWidget>("tcIndividualProperties")->isVisible());
    EXPECT_FALSE(ed<QListWidget>("lbLines")->isEnabled());

    // B is unplaced: choosing it selects no section; "On" then takes the first section.
    ed<QListWidget>("lbStations")->setCurrentRow(1);
    EXPECT_EQ(ed<QListWidget>("lbLineSections2")->currentRow(), -1);
    click("rbStationOn");
    EXPECT_TRUE(stop(1).On);
    EXPECT_EQ(stop(1).LineSectionID, 1);
    EXPECT_EQ(at(1), QPoint(60, 40));
    EXPECT_TRUE(ed<QWidget>("tcIndividualProperties")->isVisible());

    // Along the course: to the end of section 1, no further that way, then down the bend.
    click("BitBtn4");
    click("BitBtn4");
    EXPECT_EQ(at(1), QPoint(100, 40));
    click("BitBtn4");
    EXPECT_EQ(at(1), QPoint(100, 40));
    click("BitBtn6");
    EXPECT_EQ(at(1), QPoint(100, 60));
    EXPECT_EQ(stop(1).LineSectionID, 2);
    EXPECT_EQ(ed<QListWidget>("lbLineSections2")->currentRow(), 1);

    m_dialogs.answers = {ScriptedDialogs::Answer::No};
    click("bbStationsArrange");
    EXPECT_EQ(m_dialogs.questions, QStringList({"change direction?"}));
    EXPECT_EQ(at(0), QPoint(40, 40));
    EXPECT_EQ(at(1), QPoint(100, 60)); // placed before: kept
    EXPECT_EQ(at(2), QPoint(80, 80));
    EXPECT_EQ(stop(2).LineSectionID, 3);
    EXPECT_EQ(state().CurrentStationIndex, 0); // the first stop placed by the run
    EXPECT_EQ(ed<QListWidget>("lbStations")->currentRow(), 0);
    EXPECT_TRUE(state().StationMoveCursor);

    click("bbSaveStation");
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join("; ").toStdString();
    EXPECT_EQ(page(), "tsEmptyPrefs");
    EXPECT_TRUE(ed<QListWidget>("lbLines")->isEnabled());
    EXPECT_FALSE(state().StationMode);
    EXPECT_EQ(state().CurrentLineID, -1);
    EXPECT_TRUE(bytes("lms_1.ptf").contains("1,1,1,40,40,"));
    EXPECT_TRUE(bytes("lms_1.ptf").contains("1,2,2,100,60,"));
    EXPECT_NE(bytes("lmisp_1.ptf"), "<missing>");
    EXPECT_NE(bytes("lmimsp_1.ptf"), "<missing>");
    EXPECT_GT(QFileInfo(m_dir.filePath("images/line_map_1.jpg")).size(), 0);
    // The saved stations are drawn in the idle picture: B's symbol on the vertical section.
    EXPECT_EQ(state().Picture.pixel(97, 60) & 0xFFFFFF, 0u);

    enterStations();
    EXPECT_EQ(at(2), QPoint(80, 80));
    EXPECT_TRUE(ed<QRadioButton>("rbStationOn")->isChecked()); // A, current, is placed
    click("bbCancelStations");
}

// The section list and the stop list act on every click, also on the item already selected,
// and follow the keyboard as well.
TEST_F(StationModes, ClicksOnListItemsActEveryTime)
{
    enterStations();
    auto clickRow = [&](const char *name, int row) {
        QListWidget *list = ed<QListWidget>(name);
        ASSERT_GT(list->count(), row);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    };
    clickRow("lbStations", 1);
    EXPECT_EQ(state().CurrentStationIndex, 1);
    click("rbStationOn");
    ASSERT_EQ(at(1), QPoint(60, 40));
    ASSERT_EQ(ed<QListWidget>("lbLineSections2")->currentRow(), 0);

    // Moved off the middle, a click on the selected section puts it back there.
    click("BitBtn4");
    ASSERT_EQ(at(1), QPoint(80, 40));
    clickRow("lbLineSections2", 0);
    EXPECT_EQ(at(1), QPoint(60, 40));
    EXPECT_EQ(QPoint(state().CursorX, state().CursorY), QPoint(60, 40));
    // Again, and once more for the same item: each click acts.
    click("BitBtn8");
    ASSERT_EQ(at(1), QPoint(40, 40));
    clickRow("lbLineSections2", 0);
    EXPECT_EQ(at(1), QPoint(60, 40));

    // Another section by click, then by the keyboard.
    clickRow("lbLineSections2", 2);
    EXPECT_EQ(stop(1).LineSectionID, 3);
    EXPECT_EQ(at(1), QPoint(100, 80)); // one raster step long: its middle falls on its start
    QTest::keyClick(ed<QListWidget>("lbLineSections2"), Qt::Key_Up);
    EXPECT_EQ(stop(1).LineSectionID, 2);
    EXPECT_EQ(at(1), QPoint(100, 60));

    clickRow("lbStepSize2", 2);
    EXPECT_EQ(state().StepSize, 5);

    // A click on the current stop keeps it where it stands, with its cursor.
    clickRow("lbStations", 1);
    EXPECT_EQ(state().CurrentStationIndex, 1);
    EXPECT_EQ(at(1), QPoint(100, 60));
    EXPECT_TRUE(state().StationMoveCursor);
    clickRow("lbStations", 0);
    EXPECT_EQ(state().CurrentStationIndex, 0);
    EXPECT_FALSE(state().StationMoveCursor); // A is not placed
    click("bbCancelStations");
}

TEST_F(StationModes, DistributeReversedAndCancelRestores)
{
    enterStations();
    m_dialogs.answers = {ScriptedDialogs::Answer::Yes};
    click("bbStationsArrange");
    EXPECT_EQ(at(2), QPoint(40, 40)); // the last stop at the start
    EXPECT_EQ(at(0), QPoint(80, 80));
    EXPECT_EQ(state().CurrentStationIndex, 2);
    click("bbCancelStations");
    EXPECT_EQ(page(), "tsEmptyPrefs");
    EXPECT_EQ(dm1->cdsLineMapStations.recordCount(), 0);
    EXPECT_EQ(bytes("lms_1.ptf"), "<missing>");
    enterStations();
    EXPECT_FALSE(stop(0).On);
    click("bbCancelStations");
}

TEST_F(StationModes, HideAllAndOff)
{
    enterStations();
    m_dialogs.answers = {ScriptedDialogs::Answer::No};
    click("bbStationsArrange");
    click("rbStationOff");
    EXPECT_FALSE(stop(0).On);
    EXPECT_EQ(stop(0).XPos, -1);
    EXPECT_FALSE(ed<QWidget>("tcIndividualProperties")->isVisible());
    click("bbStationsDeleteAll");
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(stop(i).On);
    click("bbSaveStation");
    EXPECT_FALSE(bytes("lms_1.ptf").contains("1,"));
}

TEST_F(StationModes, MovingAStopShowsItAtItsNewPointOnly)
{
    enterStations();
    ed<QListWidget>("lbStations")->setCurrentRow(1);
    click("rbStationOn");
    ASSERT_EQ(at(1), QPoint(60, 40));
    const QImage before = state().Picture;
    click("BitBtn4");
    ASSERT_EQ(at(1), QPoint(80, 40));
    // What the editor shows is the plan with B at its new point and the cursor on it, as a
    // whole redraw paints it: no symbol or name left behind at (60, 40).
    TLineMapEditorState fresh = state();
    Redraw(fresh);
    DrawCursor(fresh);
    EXPECT_TRUE(state().Picture == fresh.Picture);
    EXPECT_FALSE(state().Picture == before);
    click("bbCancelStations");
}

TEST_F(StationModes, DistributingWithEveryStopPlacedKeepsTheCurrentStopMovable)
{
    enterStations();
    m_dialogs.answers = {ScriptedDialogs::Answer::No, ScriptedDialogs::Answer::No};
    click("bbStationsArrange");
    ASSERT_EQ(state().CurrentStationIndex, 0);
    ASSERT_EQ(at(0), QPoint(40, 40));
    click("bbStationsArrange"); // every stop is placed: nothing moves
    EXPECT_EQ(m_dialogs.questions.size(), 2);
    EXPECT_EQ(at(0), QPoint(40, 40));
    EXPECT_TRUE(state().StationMoveCursor);
    click("BitBtn4");
    EXPECT_EQ(at(0), QPoint(60, 40));
    ed<QListWidget>("lbLineSections2")->setCurrentRow(1);
    EXPECT_EQ(stop(0).LineSectionID, 2);
    click("bbCancelStations");
}

TEST_F(StationModes, ModesNeedTheLinesPlanRow)
{
    for (const char *button : {"bbEditStations", "bbEditLineText"}) {
        choose("lbLines", "Bus 7");
        click(button);
        EXPECT_EQ(m_dialogs.messages, QStringList({"Line has not been created"})) << button;
        m_dialogs.messages.clear();
        EXPECT_EQ(page(), "tsEmptyPrefs");
        EXPECT_FALSE(state().StationMode);
        EXPECT_EQ(state().CurrentLineID, -1);
        EXPECT_TRUE(ed<QListWidget>("lbLines")->isEnabled());
    }
    // Without a transfer station the transfer mode is not entered, silently.
    click("bbEditMultiStations");
    EXPECT_EQ(page(), "tsEmptyPrefs");
    EXPECT_TRUE(m_dialogs.messages.isEmpty());
}

TEST_F(StationModes, LineWithoutStopsOrSections)
{
    AddLineMapStation(1, 1, 1, 40, 40); // a stored placement of A on U1
    clearStops();
    enterStations();
    EXPECT_TRUE(items("lbStations").isEmpty());
    EXPECT_EQ(state().CurrentStationIndex, -1);
    EXPECT_FALSE(ed<QWidget>("tcIndividualProperties")->isVisible());
    click("rbStationOn");
    EXPECT_TRUE(ed<QRadioButton>("rbStationOff")->isChecked());
    click("bbStationsArrange"); // no question: nothing to distribute
    click("BitBtn4");
    EXPECT_TRUE(m_dialogs.questions.isEmpty());
    click("bbCancelStations");

    // A line whose course has no section rows (a file made elsewhere).
    stops(1, {1, 2});
    DeleteLineMapLineSectionsOfLine(1);
    enterStations();
    EXPECT_EQ(items("lbStations"), QStringList({"A", "B"}));
    EXPECT_FALSE(stop(0).On); // its stored row has no section to stand on
    click("rbStationOn");
    EXPECT_FALSE(stop(0).On);
    click("bbStationsArrange");
    EXPECT_TRUE(m_dialogs.questions.isEmpty());
    click("bbCancelStations");
}

TEST_F(StationModes, StationTwiceOnTheLineKeepsBothPlacements)
{
    clearStops();
    stops(1, {1, 2, 1});
    enterStations();
    ASSERT_EQ(items("lbStations"), QStringList({"A", "B", "A"}));
    m_dialogs.answers = {ScriptedDialogs::Answer::No};
    click("bbStationsArrange");
    const QPoint first = at(0), third = at(2);
    ASSERT_NE(first, third);
    click("bbSaveStation");
    enterStations();
    EXPECT_EQ(at(0), first);
    EXPECT_EQ(at(2), third);
    click("bbSaveStation");
    enterStations();
    EXPECT_EQ(at(0), first);
    EXPECT_EQ(at(2), third);
    click("bbCancelStations");
}

TEST_F(StationModes, FailedSaveOrExportKeepsTheModeAndWritesNothing)
{
    enterStations();
    m_dialogs.answers = {ScriptedDialogs::Answer::No};
    click("bbStationsArrange");
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("lms_1.ptf"));
    ASSERT_TRUE(QFile::remove(m_dir.filePath("images/line_map_1.jpg"))); // exported by the course save
    takeFolderAsItIs();
    click("bbSaveStation");
    // Nothing is taken as saved: the mode stays with its placements, no image is written.
    EXPECT_TRUE(messagesWithReasons(m_dialogs.messages, QStringList{"Error saving the file " + m_dir.path() + "/lms_1.ptf"}));
    EXPECT_EQ(page(), "tsStationPrefs");
    EXPECT_FALSE(QFileInfo::exists(m_dir.filePath("images/line_map_1.jpg")));

    // The image is part of the save: when it cannot be written, the placements are not written
    // either, and the mode stays for another try.
    ASSERT_TRUE(QDir(m_dir.filePath("lms_1.ptf")).removeRecursively());
    ASSERT_TRUE(QDir(m_dir.path()).mkpath("images/line_map_1.jpg"));
    takeFolderAsItIs();
    m_dialogs.messages.clear();
    click("bbSaveStation");
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_TRUE(m_dialogs.messages[0].startsWith("Error saving the file ")); // the image
    EXPECT_EQ(bytes("lms_1.ptf"), "<missing>");
    EXPECT_EQ(page(), "tsStationPrefs");

    // Writable again, the same save writes both and leaves the mode; the window can be closed.
    ASSERT_TRUE(QDir(m_dir.filePath("images/line_map_1.jpg")).removeRecursively());
    takeFolderAsItIs();
    m_dialogs.messages.clear();
    click("bbSaveStation");
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join('|').toStdString();
    EXPECT_NE(bytes("lms_1.ptf"), "<missing>");
    EXPECT_TRUE(QFileInfo(m_dir.filePath("images/line_map_1.jpg")).isFile());
    EXPECT_EQ(page(), "tsEmptyPrefs");
    EXPECT_TRUE(ed<QListWidget>("lbLines")->isEnabled());
    fmEditLineMapLines->close();
    EXPECT_FALSE(fmEditLineMapLines->isVisible());
}

TEST_F(StationModes, NamePanelOverridesPerTab)
{
    enterStations();
    m_dialogs.answers = {ScriptedDialogs::Answer::No};
    click("bbStationsArrange"); // A current on section 1 (horizontal)
    QTabBar *tabs = ed<QTabBar>("tcIndividualPropertiesTabs");
    EXPECT_EQ(tabs->tabText(2), "Sections of same alignment");
    ASSERT_EQ(tabs->currentIndex(), 0);
    EXPECT_TRUE(ed<QCheckBox>("cbStationDefaultProperties")->isChecked());
    EXPECT_FALSE(ed<QWidget>("cbStationTextPosition")->isVisible());

    click("cbStationDefaultProperties"); // unticked: an override from the plan's WE default
    EXPECT_EQ(override(1, 0, 1), "1,2,0,0,0");
    EXPECT_EQ(comboItems("cbStationTextPosition").size(), 14);
    EXPECT_EQ(ed<QComboBox>("cbStationTextPosition")->currentIndex(), 7); // below, left aligned
    EXPECT_EQ(ed<QLineEdit>("eStationTextDistanceH")->text(), "2");

    ed<QComboBox>("cbStationTextPosition")->setCurrentIndex(11);
    fmEditLineMapLines->cbStationTextPositionChange();
    EXPECT_EQ(override(1, 0, 1), "1,2,0,2,0");
    EXPECT_EQ(ed<QComboBox>("cbStationTextPosition")->currentIndex(), 11);

    // A typed offset is stored for the tab that is left.
    QLineEdit *h = ed<QLineEdit>("eStationTextDistanceH");
    h->setText("7");
    h->setModified(true);
    tabs->setCurrentIndex(1);
    EXPECT_EQ(override(1, 0, 1), "1,7,0,2,0");
    EXPECT_EQ(override(1, 1, 1), "none");
    EXPECT_TRUE(ed<QCheckBox>("cbStationDefaultProperties")->isChecked());

    tabs->setCurrentIndex(2);
    click("cbStationDefaultProperties");
    EXPECT_EQ(override(1, 2, 0), "1,2,0,0,0"); // the class of a horizontal section
    click("cbStationDefaultProperties");
    EXPECT_EQ(override(1, 2, 0), "none");

    // Emptying an offset shows the stored value again; a text that is no integer stores nothing.
    tabs->setCurrentIndex(0);
    h->setText("");
    fmEditLineMapLines->eStationTextDistanceHExit();
    EXPECT_EQ(h->text(), "7");
    h->setText("12x");
    fmEditLineMapLines->eStationTextDistanceHExit();
    EXPECT_EQ(m_dialogs.messages, QStringList({"'12x' is not a valid integer value"}));
    EXPECT_EQ(override(1, 0, 1), "1,7,0,2,0");
    h->setText("99999999999");
    fmEditLineMapLines->eStationTextDistanceHExit();
    EXPECT_EQ(override(1, 0, 1), "1,7,0,2,0");

    click("cbStationDefaultProperties"); // ticked: removed
    EXPECT_EQ(override(1, 0, 1), "none");
    click("cbStationDefaultProperties");
    click("bbSaveStation");
    EXPECT_TRUE(bytes("lmisp_1.ptf").contains("1,0,1,1,2,0,0,0,"));
}

TEST_F(StationModes, NamePanelOnAVerticalSectionAndCancelDropsOverrides)
{
    enterStations();
    ed<QListWidget>("lbStations")->setCurrentRow(0);
    ed<QListWidget>("lbLineSections2")->setCurrentRow(1);
    click("rbStationOn");
    EXPECT_EQ(state().Degree, 180);
    ed<QTabBar>("tcIndividualPropertiesTabs")->setCurrentIndex(1);
    click("cbStationDefaultProperties");
    EXPECT_EQ(comboItems("cbStationTextPosition").value(4), "right of line, diagonal up");
    ed<QComboBox>("cbStationTextPosition")->setCurrentIndex(4);
    fmEditLineMapLines->cbStationTextPositionChange();
    EXPECT_EQ(override(1, 1, 2), "1,0,0,0,45");
    ed<QComboBox>("cbStationTextPosition")->setCurrentIndex(1);
    fmEditLineMapLines->cbStationTextPositionChange();
    EXPECT_EQ(override(1, 1, 2), "0,0,0,0,-45");
    click("bbCancelStations");
    EXPECT_EQ(override(1, 1, 2), "none");
}

TEST_F(StationModes, PanelsThatShowAndHideMoveNoOtherControl)
{
    const auto where = [this](const char *name) {
        QCoreApplication::processEvents(); // the layout follows a hidden control on the next pass
        QWidget *w = ed<QWidget>(name);
        return QRect(w->mapTo(fmEditLineMapLines, QPoint(0, 0)), w->size());
    };
    // Station page: the name panel appears when a stop is placed, its controls with an override.
    enterStations();
    const QRect pad = where("BitBtn2"), steps = where("lbStepSize2"), save = where("bbSaveStation");
    click("rbStationOn");
    ASSERT_TRUE(ed<QWidget>("tcIndividualProperties")->isVisible());
    EXPECT_EQ(where("BitBtn2"), pad);
    QTabBar *tabs = ed<QTabBar>("tcIndividualPropertiesTabs");
    for (int i = 0; i < tabs->count(); ++i) // each tab's caption whole, none behind scroll arrows
        EXPECT_LT(tabs->tabRect(i).right(), tabs->width()) << tabs->tabText(i).toStdString();
    EXPECT_EQ(where("lbStepSize2"), steps);
    const QRect useDefault = where("cbStationDefaultProperties");
    click("cbStationDefaultProperties");
    ASSERT_TRUE(ed<QWidget>("cbStationTextPosition")->isVisible());
    EXPECT_EQ(where("cbStationDefaultProperties"), useDefault);
    EXPECT_EQ(where("bbSaveStation"), save);
    click("bbCancelStations");

    // Transfer page: the override's controls under its check box.
    AddLineMapStation(1, 1, 2, 60, 40);
    AddLineMapStation(1, 3, 2, 80, 80);
    click("bbEditMultiStations");
    ASSERT_EQ(page(), "tsMultiStationPrefs");
    const QRect multiDefault = where("cbMultiStationDefaultProperties"), list = where("lbMultiStations");
    click("cbMultiStationDefaultProperties");
    ASSERT_TRUE(ed<QWidget>("cbMultiStationPosition")->isVisible());
    EXPECT_EQ(where("cbMultiStationDefaultProperties"), multiDefault);
    EXPECT_EQ(where("lbMultiStations"), list);
    click("bbCancelMultiStations");

    // Label page: the own colour boxes appear when the line's colour is not used.
    choose("lbLines", "U1");
    click("bbEditLineText");
    ASSERT_EQ(page(), "tsLineTextPrefs");
    click("cbLineTextColorDefaultProperties");
    const bool shown = ed<QWidget>("cobLineTextColor")->isVisible();
    const QRect position = where("cbLineTextPosition");
    click("cbLineTextDefaultLineColor");
    ASSERT_NE(ed<QWidget>("cobLineTextColor")->isVisible(), shown);
    EXPECT_EQ(where("cbLineTextPosition"), position);
    click("btCancelLineText");
}

TEST_F(StationModes, TransferStationMode)
{
    // B on U1 and on Bus 7; C once, but with an override row.
    AddLineMapStation(1, 1, 2, 60, 40);
    AddLineMapStation(2, 1, 2, 60, 100);
    AddLineMapStation(1, 3, 3, 80, 80);
    AddMultiStationPrefs(3, 6, 0, 0, 0, 90);
    click("bbEditMultiStations");
    EXPECT_EQ(page(), "tsMultiStationPrefs");
    EXPECT_EQ(items("lbMultiStations"), QStringList({"B", "C"}));
    EXPECT_TRUE(ed<QCheckBox>("cbMultiStationDefaultProperties")->isChecked());
    EXPECT_FALSE(ed<QWidget>("cbMultiStationPosition")->isVisible());

    click("cbMultiStationDefaultProperties");
    EXPECT_EQ(ed<QComboBox>("cbMultiStationPosition")->currentIndex(), 1);
    EXPECT_EQ(ed<QLineEdit>("eMultiStationTextDistanceH")->text(), "3");

    QComboBox *position = ed<QComboBox>("cbMultiStationPosition");
    position->setCurrentIndex(4);
    fmEditLineMapLines->cbMultiStationPositionChange();
    EXPECT_EQ(ed<QComboBox>("cbMultiStationAlign")->currentText(), "Right");
    EXPECT_FALSE(ed<QComboBox>("cbMultiStationAlign")->isEnabled());

    position->setCurrentIndex(3);
    fmEditLineMapLines->cbMultiStationPositionChange();
    ed<QComboBox>("cbMultiStationDirection")->setCurrentIndex(1); // "diagonal up"
    fmEditLineMapLines->cbMultiStationDirectionChange();
    EXPECT_EQ(GetMultiStationTextDirection(2), 2);
    EXPECT_EQ(ed<QComboBox>("cbMultiStationDirection")->currentText(), "diagonal up");

    position->setCurrentIndex(7);
    fmEditLineMapLines->cbMultiStationPositionChange();
    EXPECT_TRUE(ed<QComboBox>("cbMultiStationAlign")->isEnabled());
    ed<QComboBox>("cbMultiStationAlign")->setCurrentIndex(1);
    fmEditLineMapLines->cbMultiStationAlignChange();
    EXPECT_EQ(comboItems("cbMultiStationDirection"), QStringList({"horizontal", "vertical"}));
    ed<QComboBox>("cbMultiStationDirection")->setCurrentIndex(1);
    fmEditLineMapLines->cbMultiStationDirectionChange();
    EXPECT_EQ(ed<QComboBox>("cbMultiStationDirection")->currentText(), "vertical");

    // The stored rotation of the other station is shown again.
    ed<QListWidget>("lbMultiStations")->setCurrentRow(1);
    EXPECT_FALSE(ed<QCheckBox>("cbMultiStationDefaultProperties")->isChecked());
    EXPECT_EQ(ed<QComboBox>("cbMultiStationPosition")->currentText(), "Top Left");
    EXPECT_EQ(ed<QComboBox>("cbMultiStationDirection")->currentText(), "vertical");

    QLineEdit *v = ed<QLineEdit>("eMultiStationTextDistanceV");
    v->setText("-4");
    fmEditLineMapLines->eMultiStationTextDistanceVExit();
    EXPECT_EQ(GetMultiStationOffsetY(3), -4);
    v->setText(" ");
    fmEditLineMapLines->eMultiStationTextDistanceVExit();
    EXPECT_EQ(v->text(), "-4");

    click("bbCancelMultiStations");
    EXPECT_EQ(page(), "tsEmptyPrefs");
    EXPECT_EQ(dm1->cdsLineMapIndividualMultiStationPrefs.recordCount(), 0); // no file: nothing stored

    AddMultiStationPrefs(3, 6, 0, 0, 0, 90);
    click("bbEditMultiStations");
    click("bbSaveMultiStations");
    EXPECT_TRUE(bytes("lmimsp_1.ptf").contains("3,6,0,0,0,90,"));
    EXPECT_EQ(page(), "tsEmptyPrefs");
    EXPECT_GT(QFileInfo(m_dir.filePath("images/line_map_1.jpg")).size(), 0);
}

TEST_F(StationModes, LineLabelMode)
{
    choose("lbLines", "U1");
    click("bbEditLineText");
    EXPECT_EQ(page(), "tsLineTextPrefs");
    QCheckBox *visibleDefault = ed<QCheckBox>("cbLineTextVisibleDefaultProperties");
    EXPECT_TRUE(visibleDefault->isChecked());
    EXPECT_TRUE(ed<QCheckBox>("cbLineTextVisibleStart")->isChecked());
    EXPECT_FALSE(ed<QCheckBox>("cbLineTextVisibleStart")->isEnabled());

    click("cbLineTextVisibleDefaultProperties");
    EXPECT_EQ(dumpRows(dm1->cdsLineMapLineTextVisible, {"LineMapID", "LineID", "Start", "End", "Other"}),
              "1,1,True,False,True");
    EXPECT_TRUE(ed<QCheckBox>("cbLineTextVisibleEnd")->isEnabled());
    click("cbLineTextVisibleEnd");
    EXPECT_EQ(dumpRows(dm1->cdsLineMapLineTextVisible, {"End"}), "True");
    click("cbLineTextVisibleDefaultProperties");
    EXPECT_EQ(dm1->cdsLineMapLineTextVisible.recordCount(), 0);

    // Offsets of the end: a row with the number of sections.
    ed<QComboBox>("cbLineTextPosition")->setCurrentIndex(1);
    fmEditLineMapLines->cbLineTextPositionChange();
    EXPECT_TRUE(ed<QCheckBox>("cbLineTextNoChange")->isChecked());
    click("cbLineTextNoChange");
    EXPECT_EQ(dumpRows(dm1->cdsLineMapLineTextOffset, {"LineMapID", "LineID", "Position", "SectionID", "X", "Y"}),
              "1,1,2,3,0,0");
    QLineEdit *h = ed<QLineEdit>("eLineTextDistanceH");
    h->setText("15");
    fmEditLineMapLines->eLineTextDistanceHExit();
    h->setText("");
    fmEditLineMapLines->eLineTextDistanceHExit();
    EXPECT_EQ(h->text(), "15");
    h->setText("x");
    fmEditLineMapLines->eLineTextDistanceHExit();
    EXPECT_EQ(m_dialogs.messages, QStringList({"'x' is not a valid integer value"}));
    EXPECT_EQ(dumpRows(dm1->cdsLineMapLineTextOffset, {"X"}), "15");

    // Colours: without the line's colour row the colour boxes show the plan's colours and
    // cannot be changed, since a chosen colour would be stored nowhere.
    EXPECT_FALSE(ed<QWidget>("cobLineTextBackgroundColor")->isEnabled());
    EXPECT_FALSE(ed<QWidget>("cobLineTextColor")->isEnabled());
    // Ticking and unticking the background box shows the stored background colour.
    click("cbLineTextColorDefaultProperties");
    EXPECT_TRUE(ed<QWidget>("cobLineTextBackgroundColor")->isEnabled());
    EXPECT_TRUE(ed<QWidget>("cobLineTextColor")->isEnabled());
    EXPECT_EQ(dumpRows(dm1->cdsLineMapLineTextColor,
                       {"DefaultColor", "ColorGreen", "DefaultBackgroundColor", "BackgroundColorBlue"}),
              "False,255,False,255");
    click("cbLineTextDefaultLineBackgroundColor");
    EXPECT_FALSE(ed<QWidget>("cobLineTextBackgroundColor")->isVisible());
    click("cbLineTextDefaultLineBackgroundColor");
    EXPECT_TRUE(ed<QWidget>("cobLineTextBackgroundColor")->isVisible());
    EXPECT_EQ(ed<ColorBox>("cobLineTextBackgroundColor")->colorValue(), 0xFF0000u);
    ed<ColorBox>("cobLineTextBackgroundColor")->setColorValue(0x00FFFF);
    fmEditLineMapLines->cobLineTextBackgroundColorChange();
    EXPECT_EQ(dumpRows(dm1->cdsLineMapLineTextColor, {"BackgroundColorRed", "BackgroundColorBlue"}), "255,0");
    click("cbLineTextColorDefaultProperties");
    EXPECT_FALSE(ed<QWidget>("cobLineTextBackgroundColor")->isEnabled());
    click("cbLineTextColorDefaultProperties");

    click("btSaveLineText");
    EXPECT_EQ(page(), "tsEmptyPrefs");
    EXPECT_TRUE(bytes("line_map_line_text_offset.ptf").contains("1,1,2,3,15,0,"));
    EXPECT_NE(bytes("line_map_line_text_color.ptf"), "<missing>");

    // Cancel after edits restores the files' contents.
    choose("lbLines", "U1");
    click("bbEditLineText");
    ed<QComboBox>("cbLineTextPosition")->setCurrentIndex(1);
    fmEditLineMapLines->cbLineTextPositionChange();
    click("cbLineTextNoChange");
    EXPECT_EQ(dm1->cdsLineMapLineTextOffset.recordCount(), 0);
    click("btCancelLineText");
    EXPECT_EQ(dumpRows(dm1->cdsLineMapLineTextOffset, {"X"}), "15");
    EXPECT_EQ(m_dialogs.messages.size(), 1);
}

TEST_F(StationModes, StoredValuesOutsideTheTablesShowNoSelection)
{
    AddLineMapStation(1, 1, 1, 60, 40);
    AddIndividualStationPrefs(1, 0, 1, 5, 0, 0, 9, 33); // side 5, alignment 9: no item
    AddMultiStationPrefs(3, 40, 0, 0, 7, 30);             // position 40: no item
    enterStations();
    EXPECT_TRUE(stop(0).On);
    EXPECT_FALSE(ed<QCheckBox>("cbStationDefaultProperties")->isChecked());
    EXPECT_EQ(ed<QComboBox>("cbStationTextPosition")->count(), 14);
    EXPECT_EQ(ed<QComboBox>("cbStationTextPosition")->currentIndex(), -1);
    EXPECT_FALSE(state().Picture.isNull());
    click("bbCancelStations");

    click("bbEditMultiStations");
    ASSERT_EQ(items("lbMultiStations"), QStringList({"C"}));
    EXPECT_EQ(ed<QComboBox>("cbMultiStationPosition")->currentIndex(), -1);
    EXPECT_EQ(ed<QComboBox>("cbMultiStationAlign")->currentIndex(), -1);
    EXPECT_EQ(ed<QComboBox>("cbMultiStationDirection")->currentIndex(), -1);
    click("bbCancelMultiStations");
}

TEST_F(StationModes, FailedTransferExportKeepsTheModeAndWritesNothing)
{
    AddLineMapStation(1, 1, 2, 60, 40);
    AddLineMapStation(2, 1, 2, 60, 100);
    click("bbEditMultiStations");
    const QByteArray before = bytes("lmimsp_1.ptf");
    ASSERT_TRUE(QFile::remove(m_dir.filePath("images/line_map_1.jpg")));
    ASSERT_TRUE(QDir(m_dir.path()).mkpath("images/line_map_1.jpg"));
    click("bbSaveMultiStations");
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_TRUE(m_dialogs.messages[0].startsWith("Error saving the file "));
    EXPECT_EQ(bytes("lmimsp_1.ptf"), before);
    EXPECT_EQ(page(), "tsMultiStationPrefs");
    // Cancel leaves the mode completely.
    click("bbCancelMultiStations");
    EXPECT_EQ(page(), "tsEmptyPrefs");
    EXPECT_TRUE(ed<QListWidget>("lbLines")->isEnabled());
    fmEditLineMapLines->close();
    EXPECT_FALSE(fmEditLineMapLines->isVisible());
}

TEST_F(StationModes, FailedLabelSaveKeepsTheModeAndItsChanges)
{
    choose("lbLines", "U1");
    click("bbEditLineText");
    click("cbLineTextVisibleDefaultProperties"); // a visibility row of the line
    const QByteArray image = bytes("images/line_map_1.jpg");
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("line_map_line_text_color.ptf"));
    click("btSaveLineText");
    EXPECT_TRUE(messagesWithReasons(m_dialogs.messages,
                                    QStringList{"Error saving the file " + m_dir.path() + "/line_map_line_text_color.ptf"}));
    EXPECT_EQ(page(), "tsLineTextPrefs");
    EXPECT_EQ(bytes("images/line_map_1.jpg"), image);
    EXPECT_EQ(dm1->cdsLineMapLineTextVisible.recordCount(), 1);

    // Writable again, the same save goes through and leaves the mode.
    ASSERT_TRUE(QDir(m_dir.path()).rmdir("line_map_line_text_color.ptf"));
    m_dialogs.messages.clear();
    click("btSaveLineText");
    EXPECT_TRUE(m_dialogs.messages.isEmpty());
    EXPECT_EQ(page(), "tsEmptyPrefs");
    EXPECT_NE(bytes("line_map_line_text_color.ptf"), "<missing>");
}
