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
#include <QCoreApplication>
#include <functional>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>

namespace {

// The program started, a project with two lines and one plan of 400 by 300 pixels on a raster
// of 20, the plan list showing it selected and the drawing editor opened on it.
class LineMapEditor : public PlanEditorWindow
{
protected:
    void SetUp() override
    {
        PlanEditorWindow::SetUp();
        CreateEmptyLines();
        CreateEmptyLineGraphic();
        ASSERT_EQ(AddLine(QStringLiteral("U1")), 1);
        ASSERT_EQ(AddLine(QStringLiteral("Bus 7")), 2);
        TLineMapPrefs prefs = centrePrefs();
        prefs.VehicleColor = 0x00FF00;
        openCentre(prefs);
    }

    void press(std::initializer_list<int> angles)
    {
        for (int a : angles)
            click(QStringLiteral("bbDir%1").arg(a).toLatin1().constData());
    }
    void editLine(const QString &name)
    {
        choose("lbLines", name);
        click("bbEditLine");
    }
    // Every file of the project folder with its contents.
    QMap<QString, QByteArray> folder()
    {
        QMap<QString, QByteArray> files;
        const QDir dir(m_dir.path());
        for (const QString &f : dir.entryList(QDir::Files))
            files.insert(f, bytes(f));
        for (const QString &f : QDir(m_dir.filePath(QStringLiteral("images"))).entryList(QDir::Files))
            files.insert(QStringLiteral("images/") + f, bytes(QStringLiteral("images/") + f));
        return files;
    }
    // A U-turn from (40, 40): right 3, down 2, left 1.
    void drawCourse()
    {
        fmEditLineMapLines->iPreviewMouseDown(43, 43);
        click("bbLineDrawOnOff");
        press({90, 90, 90, 180, 180, 270});
        click("bbLineDrawOnOff");
    }
};

TEST_F(LineMapEditor, OpensThePlanIdle)
{
    EXPECT_EQ(fmEditLineMapLines->windowTitle(), "line map editor");
    EXPECT_EQ(items("lbLines"), QStringList({"Bus 7", "U1"}));
    EXPECT_EQ(page(), "tsEmptyPrefs");
    EXPECT_FALSE(ed<QTabWidget>("pcPrefs")->tabBar()->isVisible());
    EXPECT_FALSE(ed<QWidget>("gbShow")->isVisible());
    EXPECT_EQ(ed<QLabel>("iPreview")->pixmap().size(), QSize(400, 300));
    EXPECT_EQ(ed<QPushButton>("bbSaveLine")->text(), "Save changes");
    EXPECT_EQ(ed<QComboBox>("cbMultiStationPosition")->count(), 12);
    EXPECT_EQ(ed<QComboBox>("cbMultiStationAlign")->itemText(1), "Center");
    // Idle, the window closes.
    fmEditLineMapLines->close();
    EXPECT_FALSE(fmEditLineMapLines->isVisible());
}

TEST_F(LineMapEditor, DrawsAndSavesACourse)
{
    editLine("U1");
    EXPECT_EQ(page(), "tsLinePrefs");
    EXPECT_FALSE(ed<QListWidget>("lbLines")->isEnabled());
    EXPECT_TRUE(ed<QWidget>("gbShow")->isVisible());
    EXPECT_EQ(ed<QLabel>("lLineName")->text(), "Line: U1");
    EXPECT_FALSE(ed<QPushButton>("bbEditLine")->isVisible());
    EXPECT_EQ(fmEditLineMapLines->State.LineColor, 0x0000FFu); // the plan's own line colour

    // Inside a mode the window stays open, whether closed by the title bar or Escape.
    fmEditLineMapLines->close();
    EXPECT_TRUE(fmEditLineMapLines->isVisible());
    fmEditLineMapLines->reject();
    EXPECT_TRUE(fmEditLineMapLines->isVisible());

    fmEditLineMapLines->iPreviewMouseDown(43, 43);
    click("bbLineDrawOnOff");
    EXPECT_EQ(ed<QPushButton>("bbLineDrawOnOff")->text(), "Draw end");
    EXPECT_FALSE(ed<QPushButton>("bbSaveLine")->isVisible());
    press({90, 90, 90, 180, 180, 270});
    click("bbLineDrawOnOff");
    EXPECT_TRUE(ed<QPushButton>("bbSaveLine")->isVisible());
    EXPECT_EQ(items("lbLineSections1"),
              QStringList({"1 | 40/40 => 100/40 (90°)", "1 | 100/40 => 100/80 (180°)", "1 | 100/80 => 80/80 (270°)"}));
    // The drawn line stands in the picture in the plan's line width.
    EXPECT_EQ(fmEditLineMapLines->State.Picture.pixel(70, 40) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(fmEditLineMapLines->State.Picture.pixel(80, 86) & 0xFFFFFF, 0u); // the cursor at the end

    click("bbSaveLine");
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join("; ").toStdString();
    EXPECT_EQ(page(), "tsEmptyPrefs");
    EXPECT_TRUE(ed<QListWidget>("lbLines")->isEnabled());
    EXPECT_TRUE(items("lbLineSections1").isEmpty());
    EXPECT_NE(bytes("line_map_lines.ptf"), "<missing>");
    EXPECT_TRUE(bytes("line_map_line_sections.ptf").contains("1,1,3,1,0,100,80,80,80,270,"));
    EXPECT_NE(bytes("line_map_line_intersections.ptf"), "<missing>");
    EXPECT_TRUE(QFileInfo(m_dir.filePath("images/line_map_1.jpg")).size() > 0);
    // Saved and idle again: the line is drawn among the other lines, without the cursor.
    EXPECT_EQ(fmEditLineMapLines->State.Picture.pixel(70, 40) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(fmEditLineMapLines->State.Picture.pixel(80, 86) & 0xFFFFFF, 0xFFFFFFu);

    // Entering again shows the stored course.
    editLine("U1");
    EXPECT_EQ(items("lbLineSections1").size(), 3);
    click("bbCancelLine");
    fmEditLineMapLines->close();
    EXPECT_FALSE(fmEditLineMapLines->isVisible());
}

TEST_F(LineMapEditor, DeleteAllThenCancelChangesNothingOnDisk)
{
    editLine("U1");
    drawCourse();
    click("bbSaveLine");
    const auto before = folder();
    ASSERT_TRUE(before.contains("line_map_line_sections.ptf"));

    editLine("U1");
    click("bbDeleteAllSections");
    EXPECT_TRUE(items("lbLineSections1").isEmpty());
    EXPECT_TRUE(fmEditLineMapLines->State.Sections.empty());
    click("bbCancelLine");
    EXPECT_EQ(folder(), before);
    EXPECT_EQ(page(), "tsEmptyPrefs");
    editLine("U1");
    EXPECT_EQ(items("lbLineSections1").size(), 3);
    click("bbCancelLine");
}

TEST_F(LineMapEditor, ControlsStayInPlaceWhenDrawingHidesTheSaveButtons)
{
    editLine("U1");
    const auto where = [this](const char *name) {
        QCoreApplication::processEvents(); // the layout follows a hidden control on the next pass
        QWidget *w = ed<QWidget>(name);
        return QRect(w->mapTo(fmEditLineMapLines, QPoint(0, 0)), w->size());
    };
    const QRect dir = where("bbDir0"), onOff = where("bbLineDrawOnOff"), list = where("lbLineSections1");
    click("bbLineDrawOnOff");
    ASSERT_FALSE(ed<QWidget>("bbSaveLine")->isVisible());
    EXPECT_EQ(where("bbDir0"), dir);
    EXPECT_EQ(where("bbLineDrawOnOff"), onOff); // pressed again to end the section
    EXPECT_EQ(where("lbLineSections1"), list);
    click("bbLineDrawOnOff");
    click("bbCancelLine");
}

TEST_F(LineMapEditor, StoppedSaveKeepsTheModeAndTheCourse)
{
    editLine("U1");
    drawCourse();
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("line_map_line_sections.ptf"));
    takeFolderAsItIs();
    click("bbSaveLine");
    EXPECT_TRUE(messagesWithReasons(m_dialogs.messages,
                                    QStringList({"Error saving the file " + m_dir.filePath("line_map_line_sections.ptf")})));
    EXPECT_EQ(page(), "tsLinePrefs");
    EXPECT_EQ(items("lbLineSections1").size(), 3);
    EXPECT_EQ(fmEditLineMapLines->State.Sections.size(), 3u);
    EXPECT_FALSE(QFileInfo::exists(m_dir.filePath("images/line_map_1.jpg")));
    fmEditLineMapLines->close();
    EXPECT_TRUE(fmEditLineMapLines->isVisible());

    // The second save stores the course: the line is not taken off the plan.
    ASSERT_TRUE(QDir(m_dir.path()).rmdir("line_map_line_sections.ptf"));
    takeFolderAsItIs();
    click("bbSaveLine");
    EXPECT_EQ(page(), "tsEmptyPrefs");
    EXPECT_TRUE(bytes("line_map_lines.ptf").contains("1,1,"));
    EXPECT_TRUE(bytes("line_map_line_sections.ptf").contains("1,1,3,1,0,100,80,80,80,270,"));
    EXPECT_TRUE(QFileInfo::exists(m_dir.filePath("images/line_map_1.jpg")));
}

TEST_F(LineMapEditor, ClicksLandInsideThePlanAndMoveTheCursor)
{
    editLine("Bus 7");
    TLineMapEditorState &s = fmEditLineMapLines->State;
    const QImage clean = [&] {
        TLineMapEditorState copy = s;
        Redraw(copy);
        return copy.Picture;
    }();
    fmEditLineMapLines->iPreviewMouseDown(0, 0);
    EXPECT_EQ(QString("%1/%2").arg(s.CursorX).arg(s.CursorY), "0/0");
    fmEditLineMapLines->iPreviewMouseDown(399, 299);
    EXPECT_EQ(QString("%1/%2").arg(s.CursorX).arg(s.CursorY), "400/300");
    fmEditLineMapLines->iPreviewMouseDown(3 + 40 + 9, 3 + 60);
    EXPECT_EQ(QString("%1/%2").arg(s.CursorX).arg(s.CursorY), "40/60");
    // Moving without drawing: the step list gives the step.
    ed<QListWidget>("lbStepSize1")->setCurrentRow(2);
    EXPECT_EQ(s.StepSize, 5);
    press({90});
    EXPECT_EQ(QString("%1/%2").arg(s.CursorX).arg(s.CursorY), "140/60");
    // The cursor is the only mark on the picture: erasing it leaves the plain plan.
    EraseCursor(s);
    EXPECT_EQ(s.Picture, clean);
    DrawCursor(s);

    // The station page's pad is wired to the same handlers; outside station mode nothing moves
    // it but the line-mode cursor.
    click("BitBtn4");
    EXPECT_EQ(s.CursorX, 240);
    // The view toggles redraw with the cursor kept.
    ed<QCheckBox>("cbShowRaster")->click();
    EXPECT_TRUE(s.ShowRaster);
    EraseCursor(s);
    TLineMapEditorState raster = s;
    Redraw(raster);
    EXPECT_EQ(s.Picture, raster.Picture);
    DrawCursor(s);
    click("bbCancelLine");
    EXPECT_FALSE(s.ShowRaster);
    EXPECT_TRUE(ed<QCheckBox>("cbShowRaster")->isChecked()); // read again at the next entry
}

TEST_F(LineMapEditor, StoredColoursComeBackAndAreSavedUnchanged)
{
    appendRows(dm1->cdsLineMapLines,
               {"LineMapID", "LineID", "DefaultColor", "ColorRed", "ColorGreen", "ColorBlue", "DefaultWidth", "DrawWidth",
                "VehicleDefaultColor", "VehicleColorRed", "VehicleColorGreen", "VehicleColorBlue"},
               {{1, 2, false, 0, 128, 0, false, 6, false, 10, 20, 30}});
    appendRows(dm1->cdsLineMapLineSections,
               {"LineMapID", "LineID", "SectionID", "GroupID", "LineDirection", "StartX", "StartY", "EndX", "EndY",
                "Degree"},
               {{1, 2, 1, 1, 0, 0, 100, 200, 100, 90}});
    editLine("Bus 7");
    TLineMapEditorState &s = fmEditLineMapLines->State;
    EXPECT_FALSE(ed<QCheckBox>("cbLineDefaultColor")->isChecked());
    EXPECT_FALSE(ed<QCheckBox>("cbLineDefaultWidth")->isChecked());
    EXPECT_FALSE(ed<QCheckBox>("cbVehicleDefaultColor")->isChecked());
    EXPECT_TRUE(ed<QWidget>("cobLineColor")->isEnabled());
    EXPECT_TRUE(ed<QWidget>("cobVehicleColor")->isEnabled());
    EXPECT_EQ(s.LineColor, 0x008000u);
    EXPECT_EQ(s.LineWidth, 6);
    EXPECT_EQ(s.VehicleColor, 0x1E140Au);
    EXPECT_EQ(items("lbLineSections1"), QStringList({"1 | 0/100 => 200/100 (90°)"}));
    EXPECT_FALSE(ed<QWidget>("gbLinePrefsLineProperties")->isVisible());
    // The stored course is drawn in the line's own colour and width.
    EXPECT_EQ(s.Picture.pixel(150, 102) & 0xFFFFFF, 0x008000u);

    click("bbSaveLine");
    EXPECT_TRUE(bytes("line_map_lines.ptf").contains("1,2,false,0,128,0,false,6,false,10,20,30,"))
        << bytes("line_map_lines.ptf").toStdString();

    // Ticking the default colour takes the plan's line colour and locks the box.
    editLine("Bus 7");
    ed<QCheckBox>("cbLineDefaultColor")->click();
    EXPECT_EQ(s.LineColor, 0x0000FFu);
    EXPECT_FALSE(ed<QWidget>("cobLineColor")->isEnabled());
    ed<QCheckBox>("cbVehicleDefaultColor")->click();
    EXPECT_EQ(s.VehicleColor, 0x00FF00u);
    click("bbSaveLine");
    EXPECT_TRUE(bytes("line_map_lines.ptf").contains("1,2,true,255,0,0,false,6,true,0,255,0,"))
        << bytes("line_map_lines.ptf").toStdString();
}

} // namespace

namespace {

// A plan larger than any window: 2000 by 1500 pixels on a raster of 20, with line U1 stopping
// at A, B and C.
class LargePlanEditor : public PlanEditorWindow
{
protected:
    void SetUp() override
    {
        PlanEditorWindow::SetUp();
        addStationsAndU1({"A", "B", "C"});
        ASSERT_FALSE(HasFatalFailure());
        appendRows(dm1->cdsLineStations, {"LineID", "LineStationNumber", "StationID"},
                   {{1, 1, 1}, {1, 2, 2}, {1, 3, 3}});
        TLineMapPrefs prefs = centrePrefs();
        prefs.Width = 2000;
        prefs.Height = 1500;
        openCentre(prefs);
    }

    QScrollArea *view() { return ed<QScrollArea>("sbPreview"); }
    // The part of the plan in view, in plan pixels.
    QRect shown()
    {
        const QWidget *picture = ed<QWidget>("iPreview");
        return QRect(picture->mapFrom(view()->viewport(), QPoint(0, 0)), view()->viewport()->size());
    }
    QPoint cursor() { return {fmEditLineMapLines->State.CursorX, fmEditLineMapLines->State.CursorY}; }
    // The plan holds at least half the window's width.
    void expectPlanHalf(const char *when)
    {
        EXPECT_GE(2 * view()->width(), fmEditLineMapLines->width()) << when;
    }
};

} // namespace

TEST_F(LargePlanEditor, ThePlanKeepsItsRoomAndTheCursorStaysInView)
{
    QWidget *panel = ed<QWidget>("pcPrefs");
    // At the opening size the idle panel holds only its button: 800 plan pixels in a row show,
    // or half of a screen too narrow for that (windows open wholly on their screen).
    const int screenWidth = fmEditLineMapLines->screen()->availableGeometry().width();
    EXPECT_GE(shown().width(), std::min(800, screenWidth / 2 - 10));
    EXPECT_LT(panel->width(), 200);
    expectPlanHalf("idle");

    // Line mode: the panel takes the room of the line page, the plan still at least half.
    choose("lbLines", "U1");
    click("bbEditLine");
    EXPECT_GE(panel->width(), ed<QWidget>("tsLinePrefs")->minimumSizeHint().width());
    expectPlanHalf("line mode");
    // Made as small as it goes, the window keeps half of it for the plan.
    fmEditLineMapLines->resize(200, 200);
    QCoreApplication::processEvents();
    expectPlanHalf("small");
    EXPECT_GE(shown().width(), 200);

    // A course drawn with the direction buttons far right and down: the cursor stays in view.
    choose("lbStepSize1", "10");
    fmEditLineMapLines->iPreviewMouseDown(43, 43);
    click("bbLineDrawOnOff");
    for (int i = 0; i < 8; ++i) {
        click("bbDir90");
        EXPECT_TRUE(shown().contains(cursor())) << "right " << i;
    }
    for (int i = 0; i < 6; ++i) {
        click("bbDir180");
        EXPECT_TRUE(shown().contains(cursor())) << "down " << i;
    }
    EXPECT_EQ(cursor(), QPoint(1640, 1240));
    click("bbLineDrawOnOff");
    click("bbSaveLine");
    ASSERT_EQ(page(), "tsEmptyPrefs");
    expectPlanHalf("idle again");

    // The distribution's question is asked with its two red names in view: the course starts
    // at (40, 40), far from where the view stands now.
    view()->horizontalScrollBar()->setValue(view()->horizontalScrollBar()->maximum());
    view()->verticalScrollBar()->setValue(view()->verticalScrollBar()->maximum());
    choose("lbLines", "U1");
    click("bbEditStations");
    ASSERT_EQ(page(), "tsStationPrefs");
    expectPlanHalf("station mode");
    view()->horizontalScrollBar()->setValue(view()->horizontalScrollBar()->maximum());
    view()->verticalScrollBar()->setValue(0);
    ASSERT_FALSE(shown().contains(QPoint(40, 40)));
    struct WatchingDialogs : ScriptedDialogs
    {
        std::function<void()> onQuestion;
        bool askYesNo(const QString &text) override
        {
            onQuestion();
            return ScriptedDialogs::askYesNo(text);
        }
    };
    bool startShown = false;
    {
        WatchingDialogs watching;
        watching.answers = {ScriptedDialogs::Answer::No};
        watching.onQuestion = [&] { startShown = shown().contains(QPoint(40, 40)); };
        click("bbStationsArrange");
        EXPECT_EQ(watching.questions, QStringList{"change direction?"});
    }
    setDialogService(&m_dialogs);
    EXPECT_TRUE(startShown);
    // The first stop placed has the cursor, in view.
    EXPECT_EQ(cursor(), QPoint(40, 40));
    EXPECT_TRUE(shown().contains(cursor()));
    click("bbCancelStations");
}
