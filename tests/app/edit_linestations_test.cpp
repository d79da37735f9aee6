#include "app/edit_linestations.h"

#include "app/edit_lines.h"
#include "app/edit_project.h"
#include "app/edit_stations.h"

#include "support/editor_test_support.h"
#include "support/file_size_limit.h"
#include "data/db_func.h"
#include "widgets/editor_lists.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <functional>

namespace {

class LineStationsEditor : public EditorProject
{
protected:
    void SetUp() override
    {
        EditorProject::SetUp();
        for (const char *name : {"Dorf", "Au", "Markt", "Zoo"})
            ASSERT_NE(AddStation(name), -1);
        ASSERT_EQ(AddLine("U1"), 1);
        ASSERT_EQ(AddLine("bus 2"), 2);
        w = fmEditLineStations;
        w->show();
    }
    void TearDown() override
    {
        w->hide();
        EditorProject::TearDown();
    }
    void press(const QString &name) { EditorProject::press(w, name); }
    QListWidget *lines() { return child<QListWidget>(w, "lbLines"); }
    QListWidget *stations() { return child<QListWidget>(w, "lbStations"); }
    QListWidget *stops() { return child<QListWidget>(w, "lbLineStations"); }
    void edit(const QString &line)
    {
        lines()->setCurrentItem(lines()->findItems(line, Qt::MatchExactly).value(0));
        press("btStationEdit");
    }
    void pick(const QStringList &names)
    {
        stations()->clearSelection();
        for (const QString &n : names)
            stations()->findItems(n, Qt::MatchExactly).value(0)->setSelected(true);
        press("btStationToLine");
    }
    bool editing() { return shown(w, "gbLineAssign") && !shown(w, "btClose"); }

    TfmEditLineStations *w = nullptr;
};

} // namespace

TEST_F(LineStationsEditor, AssignsInsertsAfterTheSelectedStopAndReorders)
{
    EXPECT_EQ(texts(lines()), QStringList({"bus 2", "U1"}));
    EXPECT_EQ(texts(stations()), QStringList({"Au", "Dorf", "Markt", "Zoo"}));
    edit("U1");
    EXPECT_TRUE(editing());
    EXPECT_EQ(child<QLabel>(w, "lLineName")->text(), "Line U1");
    EXPECT_FALSE(shown(w, "btSave"));
    press("btSelectAllStations");
    EXPECT_FALSE(shown(w, "btSave"));
    press("btStationToLine");
    EXPECT_TRUE(shown(w, "btSave"));
    EXPECT_EQ(texts(stops()), QStringList({"Au", "Dorf", "Markt", "Zoo"}));

    // Stations 2 and 4 of the list with the third stop selected: fourth and fifth stops.
    stops()->setCurrentRow(2);
    pick({"Dorf", "Zoo"});
    EXPECT_EQ(texts(stops()), QStringList({"Au", "Dorf", "Markt", "Dorf", "Zoo", "Zoo"}));
    EXPECT_EQ(stops()->currentRow(), 4);

    stops()->setCurrentRow(0);
    press("btStationUp"); // the first stays first
    press("btStationDown");
    EXPECT_EQ(texts(stops()), QStringList({"Dorf", "Au", "Markt", "Dorf", "Zoo", "Zoo"}));
    EXPECT_EQ(stops()->currentRow(), 1);
    stops()->setCurrentRow(5);
    press("btDeleteStation");
    EXPECT_EQ(stops()->currentRow(), 4);
    stops()->clearSelection();
    press("btDeleteStation"); // no stop selected: nothing removed
    EXPECT_EQ(texts(stops()), QStringList({"Dorf", "Au", "Markt", "Dorf", "Zoo"}));

    press("btSave");
    EXPECT_FALSE(editing());
    EXPECT_EQ(rows("line_stations.ptf"), QStringList({"1,1,1,", "1,2,2,", "1,3,3,", "1,4,1,", "1,5,4,"}));
    EXPECT_TRUE(workButtonShown("sbEditTimeTable"));
    EXPECT_TRUE(workButtonShown("sbEditLineNetworkPlans"));

    // A changed list of a line that has stations replaces its rows.
    edit("U1");
    EXPECT_EQ(texts(stops()), QStringList({"Dorf", "Au", "Markt", "Dorf", "Zoo"}));
    stops()->setCurrentRow(0);
    press("btDeleteStation");
    press("btSave");
    EXPECT_EQ(rows("line_stations.ptf"), QStringList({"1,1,2,", "1,2,3,", "1,3,1,", "1,4,4,"}));

    // Emptying the list deletes the line's stations.
    edit("U1");
    while (stops()->count() > 0) {
        stops()->setCurrentRow(0);
        press("btDeleteStation");
    }
    press("btSave");
    EXPECT_EQ(rows("line_stations.ptf"), QStringList());
    EXPECT_TRUE(d.messages.isEmpty()) << d.messages.join('|').toStdString();
}

TEST_F(LineStationsEditor, NewStationsListAndClosingDropsTheEdit)
{
    ASSERT_TRUE(AddNewStation(4));
    ASSERT_TRUE(AddNewStation(1));
    child<QRadioButton>(w, "rbNewStations")->click();
    EXPECT_EQ(texts(stations()), QStringList({"Dorf", "Zoo"}));
    child<QRadioButton>(w, "rbAllStations")->click();
    EXPECT_EQ(stations()->count(), 4);

    edit("bus 2");
    pick({"Markt"});
    w->close(); // as Cancel: nothing written
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(rows("line_stations.ptf"), QStringList{"<missing>"});
    w->show();
    EXPECT_FALSE(editing());
}

TEST_F(LineStationsEditor, FailedSavesAreReportedAndKeepEditMode)
{
    ASSERT_TRUE(QDir().mkpath(file("line_stations.ptf")));
    takeFolderAsItIs();
    edit("U1");
    pick({"Au", "Zoo"});
    press("btSave");
    EXPECT_TRUE(messagesWithReasons(d.messages, QStringList{"Error saving the file line_stations.ptf"}));
    EXPECT_TRUE(editing());
    press("btCancel");
    // Nothing of the failed save stays in memory.
    edit("U1");
    EXPECT_EQ(texts(stops()), QStringList());
    press("btCancel");

    // The second case: a line that has stations.
    ASSERT_TRUE(QDir().rmdir(file("line_stations.ptf")));
    takeFolderAsItIs();
    edit("U1");
    pick({"Au", "Zoo"});
    press("btSave");
    ASSERT_TRUE(QFile::remove(file("line_stations.ptf")));
    ASSERT_TRUE(QDir().mkpath(file("line_stations.ptf")));
    takeFolderAsItIs();
    d.messages.clear();
    edit("U1");
    EXPECT_EQ(texts(stops()), QStringList({"Au", "Zoo"}));
    pick({"Markt"});
    press("btSave");
    EXPECT_TRUE(messagesWithReasons(d.messages, QStringList{"Error saving the file line_stations.ptf"}));
    EXPECT_TRUE(editing());
    press("btCancel");
    edit("U1");
    EXPECT_EQ(texts(stops()), QStringList({"Au", "Zoo"}));
}

TEST_F(LineStationsEditor, AnUnchangedListOfALineWithTimetablesStillUpdatesThem)
{
    ASSERT_TRUE(SetLineStations(1, {"Au", "Zoo"}));
    ASSERT_NE(AddLineConnection(1, 1, 1), -1);
    // The timetable files cannot be written: only the timetable update would notice.
    ASSERT_TRUE(QDir().mkpath(file("ttc_1.ptf")));
    const QByteArray before = fileBytes(file("line_stations.ptf"));
    edit("U1");
    stops()->setCurrentRow(0);
    press("btStationUp"); // changes nothing, but the list can be saved
    press("btSave");
    // One message for the failed save: the file that stopped it before any write.
    ASSERT_EQ(d.messages.size(), 1) << d.messages.join('|').toStdString();
    EXPECT_EQ(d.messages[0], "The file " + file("ttc_1.ptf") + " is damaged and was left unchanged.");
    EXPECT_EQ(fileBytes(file("line_stations.ptf")), before);
}

// A new user's first steps, each editor opened by its work button as the program does.
TEST_F(EditorProject, NewUserEntersStationsLinesAndTheirStops)
{
    const auto runModal = [](const std::function<void(QDialog *)> &steps) {
        QTimer::singleShot(0, [steps] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            steps(dialog);
            dialog->close();
        });
    };
    const auto press = [](QDialog *w, const QString &name) { w->findChild<QAbstractButton *>(name)->click(); };
    const auto type = [](QDialog *w, const QString &name, const QString &text) {
        auto *e = w->findChild<QLineEdit *>(name);
        e->selectAll();
        QTest::keyClicks(e, text);
    };

    runModal([&](QDialog *w) {
        for (const char *name : {"Hafen", "Rathaus"}) {
            press(w, "btNewStation");
            type(w, "leStationName", name);
            press(w, "btSave");
        }
    });
    fmMain->findChild<QToolButton *>("sbEditStations")->click();
    ASSERT_TRUE(workButtonShown("sbEditLines"));

    runModal([&](QDialog *w) {
        press(w, "btNewLine");
        type(w, "leLineName", "1");
        press(w, "btSave");
    });
    fmMain->findChild<QToolButton *>("sbEditLines")->click();
    ASSERT_TRUE(workButtonShown("sbAssignStations"));

    runModal([&](QDialog *w) {
        auto *lines = w->findChild<QListWidget *>("lbLines");
        lines->setCurrentRow(0);
        press(w, "btStationEdit");
        press(w, "btSelectAllStations");
        press(w, "btStationToLine");
        press(w, "btSave");
    });
    fmMain->findChild<QToolButton *>("sbAssignStations")->click();
    EXPECT_TRUE(workButtonShown("sbEditTimeTable"));
    EXPECT_EQ(rows("stations.ptf"), QStringList({R"(1,"Hafen",)", R"(2,"Rathaus",)"}));
    EXPECT_EQ(rows("lines.ptf"), QStringList{R"(1,"1",)"});
    EXPECT_EQ(rows("line_stations.ptf"), QStringList({"1,1,1,", "1,2,2,"}));
    EXPECT_TRUE(d.messages.isEmpty()) << d.messages.join('|').toStdString();
}

TEST_F(EditorProject, WindowsShowTheirEnglishTextsAndTheColourLabelsStayGerman)
{
    EXPECT_EQ(fmEditLineStations->windowTitle(), "Add stations to lines");
    EXPECT_EQ(child<QAbstractButton>(fmEditLineStations, "btStationUp")->text(), QString::fromUtf8("↑"));
    EXPECT_EQ(child<QLabel>(fmEditLines, "leLineNameLabel")->text(), "Name of line:");
    EXPECT_EQ(child<QLabel>(fmEditLines, "stLineEdit")->text(), "Linie bearbeiten");
    EXPECT_EQ(child<QLabel>(fmEditStations, "stStationEdit")->text(), "Station bearbeiten");
    EXPECT_EQ(child<QLabel>(fmEditStations, "leStationNameLabel")->text(), "Name of station");
    EXPECT_EQ(child<QLabel>(fmEditProject, "lbGreen")->text(), QString::fromUtf8("grün:"));
    EXPECT_EQ(fmEditProject->windowTitle(), "Project Options");
}

TEST_F(LineStationsEditor, DeletingAStopSelectsTheOneTakingItsPlaceOrTheNewLast)
{
    edit("U1");
    press("btSelectAllStations");
    press("btStationToLine");
    ASSERT_EQ(texts(stops()), QStringList({"Au", "Dorf", "Markt", "Zoo"}));
    const auto selectedStops = [this] {
        QStringList t;
        for (const QListWidgetItem *item : stops()->selectedItems())
            t << item->text();
        return t;
    };
    stops()->setCurrentRow(1);
    press("btDeleteStation");
    EXPECT_EQ(selectedStops(), QStringList{"Markt"});
    EXPECT_EQ(stops()->currentRow(), 1);
    stops()->setCurrentRow(2);
    press("btDeleteStation");
    EXPECT_EQ(selectedStops(), QStringList{"Markt"});
    press("btDeleteStation");
    press("btDeleteStation");
    EXPECT_EQ(stops()->count(), 0);
    EXPECT_TRUE(selectedStops().isEmpty());

    // The edited line stays the chosen one after Save and after Cancel.
    press("btCancel");
    EXPECT_EQ(SelectedListName(lines()), "U1");
    edit("U1");
    press("btStationToLine"); // the station list's selection stays
    press("btSave");
    EXPECT_EQ(SelectedListName(lines()), "U1");
}
