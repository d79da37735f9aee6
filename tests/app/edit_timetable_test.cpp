#include "app/edit_timetable.h"

#include "support/app_environment.h"
#include "support/file_size_limit.h"
#include "support/window_controls.h"
#include "app/edit_timetable_grid.h"
#include "app/timetable_cells.h"
#include "app/timetable_project.h"
#include "data/db_func.h"
#include "web/web_copy.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <map>

namespace {

const QString StopRowNames = QStringLiteral("\"StationID\",\"DayGroupID\",\"Direction\",\"Position\",\n");

// The editor right after start-up, on the test project, shown as the timetable button does.
class TimeTableWindow : public StartedInProjectFolder
{
protected:
    void SetUp() override
    {
        StartedInProjectFolder::SetUp();
        fillTimeTableProject(*dm1);
        w = fmEditTimeTable;
        grid = w->findChild<TimeTableGridView *>(QStringLiteral("sgTimeTable"));
        ASSERT_NE(grid, nullptr);
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    }
    void TearDown() override
    {
        w->btCancelClick();
        w->hide();
        StartedInProjectFolder::TearDown();
    }

    template <class T = QWidget> T *control(const char *name) { return namedControl<T>(w, name); }
    bool shown(const char *name) { return !control(name)->isHidden(); }
    void click(const char *name) { control<QAbstractButton>(name)->click(); }
    void choose(const QString &line, const QString &days, const QString &direction)
    {
        control<QComboBox>("cbLines")->setCurrentText(line);
        control<QComboBox>("cbDays")->setCurrentText(days);
        control<QComboBox>("cbDirection")->setCurrentText(direction);
        click("btTimeTableEdit");
    }
    // Keys go to whatever has the focus, as the user's do.
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), k, mods);
    }
    // Types each entry into the grid and ends it with Enter.
    void typeEntries(const QStringList &entries)
    {
        for (const QString &e : entries) {
            QTest::keyClicks(grid, e);
            QTest::keyClick(grid, Qt::Key_Return);
        }
    }
    StringGrid &cells() { return w->model().sgTimeTable; }
    QString trip(int t) { return tripCells(cells(), t); }
    void clickCell(int col, int row)
    {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->cellRect(col, row).center());
    }
    bool editMode() { return shown("pTimeTableEdit") && !shown("btClose"); }

    ScriptedDialogs dialogs;
    TfmEditTimeTable *w = nullptr;
    TimeTableGridView *grid = nullptr;
};

TEST_F(TimeTableWindow, ControlsAndTexts)
{
    for (const char *name : {"pLineChoice", "lLinie", "lDays", "lDirection", "cbLines", "cbDays", "cbDirection",
                             "btTimeTableEdit", "pTimeTableEdit", "bbWebCopy", "sbPaste", "sbTimeTableDelete",
                             "btSave", "btCancel", "btClose", "sbCopyMode", "sgTimeTable"})
        control(name);
    EXPECT_EQ(w->objectName(), "fmEditTimeTable");
    EXPECT_EQ(w->windowTitle(), "Edit Timetable");
    EXPECT_EQ(control<QAbstractButton>("sbPaste")->text(), "Paste Clipboard");
    EXPECT_EQ(control<QAbstractButton>("sbCopyMode")->text(), "Copy mode");
    EXPECT_FALSE(shown("sbCopyMode"));
    EXPECT_FALSE(control("sbCopyMode")->isEnabled());
    EXPECT_FALSE(shown("pTimeTableEdit"));
    EXPECT_FALSE(shown("btSave"));
    EXPECT_EQ(control<QComboBox>("cbLines")->count(), 2);
    EXPECT_EQ(control<QComboBox>("cbDays")->currentText(), "Saturday");
    EXPECT_EQ(control<QComboBox>("cbDirection")->currentText(), "1");
    EXPECT_TRUE(shown("btTimeTableEdit"));
}

// A new line's timetable, from the choice to the saved files, by keyboard alone: direction 2
// lists the stations from the last, and 23:50 and 00:10 are stored as 1430 and 1450.
TEST_F(TimeTableWindow, NewTimeTableByKeyboardAlone)
{
    EXPECT_EQ(QApplication::focusWidget(), control("cbLines"));
    key(Qt::Key_Tab);
    key(Qt::Key_Down); // Weekdays
    key(Qt::Key_Tab);
    key(Qt::Key_Down); // direction 2
    key(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), control("btTimeTableEdit"));
    key(Qt::Key_Space);
    ASSERT_TRUE(editMode());
    EXPECT_EQ(QApplication::focusWidget(), grid);
    EXPECT_EQ(cells().col(), 2);
    EXPECT_EQ(cells().row(), 2);
    EXPECT_EQ(cells().cell(1, 2) + "|" + cells().cell(1, 3) + "|" + cells().cell(1, 4), "Harbour|Church|Market");

    typeEntries({"2350", "10"});
    EXPECT_EQ(trip(1), "23:50|00:10|");
    EXPECT_TRUE(shown("btSave"));
    key(Qt::Key_Tab, Qt::ControlModifier); // out of the grid, to the buttons
    EXPECT_EQ(QApplication::focusWidget(), control("bbWebCopy"));
    key(Qt::Key_Tab);
    key(Qt::Key_Tab);
    key(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), control("btSave"));
    key(Qt::Key_Space);
    EXPECT_FALSE(editMode());
    EXPECT_EQ(QApplication::focusWidget(), control("cbLines"));
    EXPECT_TRUE(dialogs.messages.isEmpty());

    EXPECT_EQ(projectText("tt_1.ptf"), Header + "\"ID\",\"1\",\"2\",\"3\",\n1,1430,1450,-1,\n4);\n");
    EXPECT_EQ(projectText("ttc_1.ptf"), Header + StopRowNames + "1,1,2,3,\n2,1,2,2,\n3,1,2,1,\n4);\n");
    EXPECT_EQ(projectText("intervals.ptf"), Header + "\"ID\",\"Interval\",\n2);\n");
    EXPECT_EQ(projectText("line_connections.ptf"),
              Header + "\"ID\",\"LineID\",\"DayGroupID\",\"Direction\",\n1,1,1,2,\n4);\n");
    const QString distances = projectText("distances.ini");
    EXPECT_EQ(distances, "[1]\ndistance1=3,20,2,9999,1\nnewcross=3,2\n");
    ASSERT_TRUE(BuildDistances(1)); // the section equals the one rebuilt from the saved files
    EXPECT_EQ(projectText("distances.ini"), distances);
}

// Typed as users do: full times, minutes only, "+N", intervals (IDs 2 and 3) and a copy;
// an empty trip between them is dropped and the rest renumbered; the "distance1" example.
TEST_F(TimeTableWindow, TypedTimetableIsSavedAsText)
{
    choose("Red", "Weekdays", "1");
    ASSERT_TRUE(editMode());
    typeEntries({"600", "5"}); // trip 1: 06:00, 06:05, no time at the third stop
    QTest::keyClick(grid, Qt::Key_Return); // to trip 2
    typeEntries({"610", "+4", "20"});
    QTest::keyClick(grid, Qt::Key_Tab); // trip 4; trip 3 stays empty
    QTest::keyClick(grid, Qt::Key_Up);
    QTest::keyClick(grid, Qt::Key_Up);
    typeEntries({"7.0"});
    dialogs.answers = {DialogService::Answer::No};
    typeEntries({"a10", "730"});
    typeEntries({"615", "=2"}); // trip 5: trip 2 five minutes later; Enter goes on in trip 6
    dialogs.answers = {DialogService::Answer::No};
    typeEntries({"15 min", "620", "630"});
    typeEntries({"6:50"}); // trip 7: no whole number of 15 minutes after 06:15
    EXPECT_EQ(dialogs.beeps, 1);
    EXPECT_EQ(trip(1), "06:00|06:05|");
    EXPECT_EQ(trip(2), "06:10|06:14|06:20");
    EXPECT_EQ(trip(3), "||");
    EXPECT_EQ(trip(4), "07:00|10 Min|07:30");
    EXPECT_EQ(trip(5), "06:15|06:19|06:25");
    EXPECT_EQ(trip(6), "15 Min|06:20|06:30");
    EXPECT_EQ(trip(7), "||");
    click("btSave");
    EXPECT_FALSE(editMode());
    EXPECT_EQ(projectText("tt_1.ptf"), Header + "\"ID\",\"1\",\"2\",\"3\",\n"
                                                "1,360,365,-1,\n2,370,374,380,\n3,420,-2,450,\n4,375,379,385,\n"
                                                "5,-3,380,390,\n4);\n");
    EXPECT_EQ(projectText("intervals.ptf"), Header + "\"ID\",\"Interval\",\n2,10,\n3,15,\n2);\n");
    EXPECT_EQ(projectText("distances.ini"), "[1]\ndistance1=1,4,2,6,3\ndistance2=1,3,30\nnewcross=1,2,3\n");

    // Reloaded as saved; the focus is in the grid at the first trip and stop.
    choose("Red", "Weekdays", "1");
    EXPECT_EQ(trip(3), "07:00|10 Min|07:30");
    EXPECT_EQ(QApplication::focusWidget(), grid);
}

// An entry typed after a copy is interpreted: it is never stored unchecked.
TEST_F(TimeTableWindow, TypingAfterACopyIsInterpreted)
{
    choose("Red", "Weekdays", "1");
    typeEntries({"600", "5", "10", "700"});
    QTest::keyClicks(grid, "=1");
    clickCell(4, 2); // the copy fills the trip; the cursor stays
    EXPECT_EQ(trip(2), "07:00|07:05|07:10");
    EXPECT_EQ(cells().col(), 3);
    EXPECT_EQ(dialogs.beeps, 1);
    QTest::keyClicks(grid, "junk");
    clickCell(4, 2);
    EXPECT_EQ(trip(2), "07:00|07:05|07:10");
    EXPECT_EQ(cells().col(), 3);
    EXPECT_EQ(dialogs.beeps, 2);
    QTest::keyClicks(grid, "6");
    clickCell(4, 2);
    EXPECT_EQ(trip(2), "07:00|07:06|07:10");
    EXPECT_EQ(cells().col(), 4);
}

// Arrow keys move out of a cell only from the text's edge; every move interprets.
TEST_F(TimeTableWindow, ArrowKeysAndRefusedEntries)
{
    choose("Red", "Weekdays", "1");
    QTest::keyClicks(grid, "615");
    QTest::keyClick(grid, Qt::Key_Left); // within the text
    QTest::keyClick(grid, Qt::Key_Backspace);
    EXPECT_EQ(cells().cell(2, 2), "65");
    QTest::keyClick(grid, Qt::Key_Right);
    QTest::keyClick(grid, Qt::Key_Right); // past the edge: leaves the cell, "65" is refused
    EXPECT_EQ(dialogs.beeps, 1);
    EXPECT_EQ(cells().cell(2, 2), "");
    EXPECT_EQ(cells().col(), 2);
    QTest::keyClicks(grid, "615");
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(cells().cell(2, 2), "06:15");
    QTest::keyClick(grid, Qt::Key_Delete);
    QTest::keyClicks(grid, "20");
    QTest::keyClick(grid, Qt::Key_PageDown);
    EXPECT_EQ(trip(1), "06:15|06:20|");
    EXPECT_EQ(cells().row(), 4);
    QTest::keyClick(grid, Qt::Key_Tab, Qt::ShiftModifier); // back past the first trip: previous row's end
    EXPECT_EQ(cells().row(), 3);
    EXPECT_EQ(cells().col(), cells().colCount() - 1);
}

// A marker click ends the pending entry first and keeps the cursor on its stop row.
TEST_F(TimeTableWindow, MarkerClickEndsTheEntry)
{
    choose("Red", "Weekdays", "1");
    typeEntries({"600"});
    QTest::keyClicks(grid, "7:5"); // pending in the Church row
    dialogs.answers = {DialogService::Answer::No};
    clickCell(0, 2); // a second Market row above
    EXPECT_EQ(cells().cell(0, 2) + cells().cell(0, 3) + cells().cell(0, 4), "--+");
    EXPECT_EQ(trip(1), "|06:00|07:50|");
    EXPECT_EQ(cells().row(), 4);
    clickCell(0, 2);
    EXPECT_EQ(trip(1), "06:00|07:50|");
    EXPECT_EQ(cells().row(), 3);

    // A refused entry refuses the click.
    QTest::keyClicks(grid, "x");
    clickCell(0, 2);
    EXPECT_EQ(cells().rowCount(), 5);
    EXPECT_EQ(dialogs.beeps, 1);
}

TEST_F(TimeTableWindow, DraggingATripNumberMovesTheTrip)
{
    choose("Red", "Weekdays", "1");
    typeEntries({"600", "5", "10", "700", "5", "10"});
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, grid->cellRect(2, 0).center());
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, grid->cellRect(4, 0).center());
    EXPECT_EQ(trip(1), "07:00|07:05|07:10");
    EXPECT_EQ(trip(3), "06:00|06:05|06:10");
    EXPECT_EQ(cells().cell(4, 0), "3");
}

// Even stop rows on their colour, the double line under a doubled station, invalid cells red.
TEST_F(TimeTableWindow, Drawing)
{
    appendRows(dm1->cdsLineStations, {"LineID", "LineStationNumber", "StationID"}, {{1, 4, 3}});
    choose("Red", "Weekdays", "1");
    cells().setCell(3, 3, "xxxxxxxx");
    grid->refresh();
    const QImage image = grid->viewport()->grab().toImage();
    const QRect even = grid->cellRect(4, 2);
    EXPECT_EQ(QColor(image.pixel(even.center())), QColor(255, 251, 240));
    const QRect odd = grid->cellRect(4, 3);
    EXPECT_EQ(QColor(image.pixel(odd.center())), QColor(Qt::white));
    const QRect doubled = grid->cellRect(4, 4); // Harbour twice: rows 4 and 5
    EXPECT_NE(QColor(image.pixel(doubled.center().x(), doubled.bottom() - 2)), QColor(255, 251, 240));
    bool red = false;
    const QRect invalid = grid->cellRect(3, 3);
    for (int x = invalid.left(); x <= invalid.right(); ++x)
        for (int y = invalid.top(); y <= invalid.bottom(); ++y)
            red = red || (QColor(image.pixel(x, y)).red() > 200 && QColor(image.pixel(x, y)).green() < 80);
    EXPECT_TRUE(red);
}

// A failed save keeps the grid and the save button; Cancel leaves without writing.
TEST_F(TimeTableWindow, FailedSaveStaysInEditMode)
{
    choose("Red", "Weekdays", "1");
    typeEntries({"600", "5"});
    blockFile("tt_1.ptf");
    click("btSave");
    EXPECT_TRUE(messagesWithReasons(dialogs.messages, QStringList({"Error saving the timetable file tt_1.ptf"})));
    EXPECT_TRUE(editMode());
    EXPECT_TRUE(shown("btSave"));
    EXPECT_EQ(trip(1), "06:00|06:05|");
    unblockFile("tt_1.ptf");
    click("btSave");
    EXPECT_FALSE(editMode());
    EXPECT_EQ(projectText("line_connections.ptf"), Header + "\"ID\",\"LineID\",\"DayGroupID\",\"Direction\",\n1,1,1,1,\n4);\n");

    choose("Red", "Weekdays", "1");
    typeEntries({"700"});
    click("btCancel");
    EXPECT_FALSE(editMode());
    EXPECT_TRUE(projectText("tt_1.ptf").contains("\n1,360,365,-1,\n"));
}

TEST_F(TimeTableWindow, DeleteAndReload)
{
    choose("Red", "Weekdays", "1");
    click("sbTimeTableDelete"); // never saved: nothing written
    EXPECT_FALSE(editMode());
    EXPECT_TRUE(QDir(ProjectDir).entryList(QDir::Files).isEmpty());

    choose("Red", "Weekdays", "1");
    typeEntries({"600", "5"});
    click("btSave");
    choose("Red", "Weekdays", "1");
    EXPECT_EQ(trip(1), "06:00|06:05|     ");
    click("sbTimeTableDelete");
    EXPECT_FALSE(editMode());
    EXPECT_EQ(QApplication::focusWidget(), control("cbLines"));
    EXPECT_FALSE(QFile::exists(ProjectDir + "/tt_1.ptf"));
    EXPECT_EQ(projectText("ttc_1.ptf"), Header + StopRowNames + "4);\n");
    EXPECT_FALSE(projectText("distances.ini").contains("[1]"));
    choose("Red", "Weekdays", "1");
    EXPECT_EQ(trip(1), "||");
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

// The web-copy window beside the editor, its selection pasted into the grid.
TEST_F(TimeTableWindow, WebCopyAndPaste)
{
    choose("Red", "Weekdays", "1");
    click("bbWebCopy");
    EXPECT_TRUE(fmWebCopy->isVisible());
    EXPECT_TRUE(fmWebCopy->isWindow());
    fmWebCopy->sgWorkGrid.setColCount(3);
    fmWebCopy->sgWorkGrid.setRowCount(3);
    fmWebCopy->sgWorkGrid.setCell(1, 0, "06:00");
    fmWebCopy->sgWorkGrid.setCell(1, 1, "06:05 ");
    fmWebCopy->sgWorkGrid.setCell(2, 0, "07:00");
    fmWebCopy->sgWorkGrid.setCell(2, 1, "07:05");
    fmWebCopy->sgWorkGrid.setSelection({1, 0, 2, 1});
    click("sbPaste");
    EXPECT_EQ(trip(1), "06:00|06:05|");
    EXPECT_EQ(trip(2), "07:00|07:05|");
    EXPECT_EQ(cells().col(), 4);
    EXPECT_TRUE(shown("btSave"));
    EXPECT_EQ(QApplication::focusWidget(), grid);
    click("btCancel");
    w->close();
    EXPECT_FALSE(fmWebCopy->isVisible());
}

// In edit mode the window closes by no means; in choice mode the web-copy window goes with it.
TEST_F(TimeTableWindow, ClosingOnlyInChoiceMode)
{
    choose("Red", "Weekdays", "1");
    click("bbWebCopy");
    key(Qt::Key_Escape);
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(w->close());
    w->reject();
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(fmWebCopy->isVisible());
    click("btCancel");
    click("btClose");
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(fmWebCopy->isVisible());
}

// Records whether a window was told that a modal window blocks its input.
class BlockWatch : public QObject
{
public:
    bool blocked = false;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::WindowBlocked)
            blocked = true;
        else if (event->type() == QEvent::WindowUnblocked)
            blocked = false;
        return false;
    }
};

// While the editor runs modally, the web-copy window beside it still takes input.
TEST_F(TimeTableWindow, WebCopyTakesInputWhileTheEditorIsModal)
{
    w->hide();
    BlockWatch webCopy, mainWindow;
    fmWebCopy->installEventFilter(&webCopy);
    fmMain->installEventFilter(&mainWindow);
    fmMain->show();
    bool checked = false;
    QTimer::singleShot(0, w, [&] {
        choose("Red", "Weekdays", "1");
        click("bbWebCopy");
        QApplication::processEvents();
        EXPECT_TRUE(fmWebCopy->isVisible());
        EXPECT_FALSE(webCopy.blocked);
        EXPECT_TRUE(mainWindow.blocked);
        click("btCancel");
        click("btClose");
        checked = true;
    });
    w->exec();
    EXPECT_TRUE(checked);
    EXPECT_FALSE(fmWebCopy->isVisible());
    fmMain->hide();
}

// The handbook's sample opened as the user opens it, with one of the files the editor reads
// cut short. Whatever the user then does in the editor, every file keeps its bytes and the
// damaged one is named.
struct DamagedFileCase {
    const char *name;
    const char *file;
    bool newOfLineOne; // a timetable of line 1 not stored yet may still be edited and saved
    bool otherLine;    // a timetable of another line may still be edited
};

void PrintTo(const DamagedFileCase &c, std::ostream *os)
{
    *os << c.file;
}

class DamagedTimeTableFile : public StartedProgram, public ::testing::WithParamInterface<DamagedFileCase>
{
protected:
    void SetUp() override
    {
        StartedProgram::SetUp();
        ASSERT_TRUE(m_dir.isValid());
        const QString sample = QStringLiteral(KORVALIN_RESOURCES_DIR "/../docs/handbook/sample");
        for (const QString &name : QDir(sample).entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(sample + "/" + name, m_dir.filePath(name)));
        const QString damaged = m_dir.filePath(GetParam().file);
        QByteArray half = fileBytes(damaged);
        half.truncate(half.size() / 2);
        writeFileBytes(damaged, half);
        for (const QString &name : QDir(m_dir.path()).entryList(QDir::Files))
            m_before[name] = fileBytes(m_dir.filePath(name));
        fmMain->LoadProject(m_dir.filePath("Musterstadt.ppr"));
        ASSERT_EQ(ProjectDir, m_dir.path());
        w = fmEditTimeTable;
        w->show();
    }
    void TearDown() override
    {
        w->btCancelClick();
        w->hide();
        StartedProgram::TearDown();
    }
    bool load(const QString &line, const QString &days, const QString &direction)
    {
        w->findChild<QComboBox *>("cbLines")->setCurrentText(line);
        w->findChild<QComboBox *>("cbDays")->setCurrentText(days);
        w->findChild<QComboBox *>("cbDirection")->setCurrentText(direction);
        w->findChild<QAbstractButton *>("btTimeTableEdit")->click();
        return !w->findChild<QWidget *>("pTimeTableEdit")->isHidden();
    }
    bool namesDamagedFile(const QStringList &messages) const
    {
        return std::any_of(messages.cbegin(), messages.cend(),
                           [](const QString &m) { return m.contains(QLatin1String(GetParam().file)); });
    }

    QTemporaryDir m_dir;
    ScriptedDialogs dialogs;
    TfmEditTimeTable *w = nullptr;
    std::map<QString, QByteArray> m_before;
};

TEST_P(DamagedTimeTableFile, NothingIsWrittenOverItAndTheUserIsToldWhichFile)
{
    // Opening the project names the damaged shared files already.
    const QStringList atOpening = dialogs.messages;
    if (QString(GetParam().file).startsWith("line_") || QString(GetParam().file).startsWith("int")) {
        EXPECT_TRUE(namesDamagedFile(atOpening)) << atOpening.join("\n").toStdString();
    }

    // The existing timetable of line 1 never opens as new nor from what could be read.
    dialogs.messages.clear();
    EXPECT_FALSE(load("1", "Mo-Fr", "1"));
    EXPECT_TRUE(namesDamagedFile(dialogs.messages)) << dialogs.messages.join("\n").toStdString();

    // A timetable of line 1 not stored yet.
    dialogs.messages.clear();
    const bool opened = load("1", "Sa", "1");
    EXPECT_EQ(opened, GetParam().newOfLineOne) << dialogs.messages.join("\n").toStdString();
    if (opened) {
        // Saved beside the damaged file, never over it.
        w->model().sgTimeTable.setCell(2, 2, "06:00");
        w->model().sgTimeTable.setCell(2, 3, "06:05");
        w->model().EditOn();
        w->findChild<QAbstractButton *>("btSave")->click();
        EXPECT_TRUE(w->findChild<QWidget *>("pTimeTableEdit")->isHidden());
        EXPECT_TRUE(QFile::exists(m_dir.filePath("tt_6.ptf")));
    } else {
        EXPECT_TRUE(namesDamagedFile(dialogs.messages)) << dialogs.messages.join("\n").toStdString();
    }

    // A line whose timetables are all in other files.
    dialogs.messages.clear();
    const bool otherLine = load("2", "Mo-Fr", "1");
    EXPECT_EQ(otherLine, GetParam().otherLine) << dialogs.messages.join("\n").toStdString();
    if (otherLine)
        w->btCancelClick();

    const QString damaged = GetParam().file;
    EXPECT_EQ(fileBytes(m_dir.filePath(damaged)), m_before[damaged]);
    if (!opened) {
        // Nothing at all was written.
        for (const auto &[name, bytes] : m_before)
            EXPECT_EQ(fileBytes(m_dir.filePath(name)), bytes) << name.toStdString();
        EXPECT_FALSE(QFile::exists(m_dir.filePath("tt_6.ptf")));
    } else {
        // The other timetables' files stay as they were.
        for (const char *kept : {"tt_2.ptf", "tt_3.ptf", "tt_4.ptf", "tt_5.ptf", "ttc_2.ptf", "ttc_3.ptf"})
            EXPECT_EQ(fileBytes(m_dir.filePath(kept)), m_before[kept]) << kept;
    }
}

INSTANTIATE_TEST_SUITE_P(SampleProject, DamagedTimeTableFile,
                         ::testing::Values(DamagedFileCase{"LineConnections", "line_connections.ptf", false, false},
                                           DamagedFileCase{"Intervals", "intervals.ptf", false, false},
                                           DamagedFileCase{"StopRows", "ttc_1.ptf", false, true},
                                           DamagedFileCase{"Trips", "tt_1.ptf", true, true}),
                         [](const ::testing::TestParamInfo<DamagedFileCase> &info) {
                             return std::string(info.param.name);
                         });

// The same damaged file while the user goes from day group to day group: only the timetable
// read from it names it, once; the other day groups' timetables open without a word of it.
class DamagedTimeTableAcrossDayGroups : public DamagedTimeTableFile
{
};

TEST_P(DamagedTimeTableAcrossDayGroups, IsToldOnceNotAtEachDayGroup)
{
    auto naming = [this] {
        return std::count_if(dialogs.messages.cbegin(), dialogs.messages.cend(),
                             [](const QString &m) { return m.contains(QLatin1String(GetParam().file)); });
    };
    dialogs.messages.clear();
    EXPECT_FALSE(load("1", "Mo-Fr", "1"));
    EXPECT_EQ(naming(), 1) << dialogs.messages.join("\n").toStdString();
    for (const char *days : {"Sa", "Su", "Mo-Fr"}) {
        const char *direction = qstrcmp(days, "Mo-Fr") == 0 ? "2" : "1";
        EXPECT_TRUE(load("1", days, direction)) << days << ": " << dialogs.messages.join("\n").toStdString();
        w->btCancelClick();
    }
    EXPECT_EQ(naming(), 1) << dialogs.messages.join("\n").toStdString();
}

INSTANTIATE_TEST_SUITE_P(SampleProject, DamagedTimeTableAcrossDayGroups,
                         ::testing::Values(DamagedFileCase{"Trips", "tt_1.ptf", true, true}),
                         [](const ::testing::TestParamInfo<DamagedFileCase> &info) {
                             return std::string(info.param.name);
                         });

} // namespace
