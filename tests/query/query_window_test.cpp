#include "app/query.h"

#include "support/app_environment.h"
#include "support/window_controls.h"
#include "app/edit_timetable_model.h"
#include "data/main_globals.h"
#include "query_project.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimeEdit>
#include <QTimer>

namespace {

// The started program's windows over a project the test writes.
class QueryWindow : public QueryProject
{
protected:
    void SetUp() override
    {
        QueryProject::SetUp();
        CreateForms();
        SetEnglishCaptions();
        m_created = dm1;
        dm1 = &m_module;
        resetSettings();
    }
    void TearDown() override
    {
        closeQueryShowing();
        dm1 = m_created;
        DestroyForms();
        dm1 = &m_module;
        QueryProject::TearDown();
    }

    template <class T> T *control(const char *name) { return namedControl<T>(fmQuery, name); }
    static QStringList items(QComboBox *list)
    {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->itemText(i);
        return texts;
    }
    // Shows the dialog modally, runs the steps while it is open, then closes it.
    void whileShown(const std::function<void()> &steps)
    {
        QTimer::singleShot(0, fmQuery, [&] {
            steps();
            fmQuery->reject();
        });
        fmQuery->exec();
    }
    static void leave(QComboBox *list)
    {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(list, &out);
    }

    Tdm1 *m_created = nullptr;
};

TEST_F(QueryWindow, ListsLimitsAndAQuery)
{
    addStations({"Market", "Harbour", "Station Road", "Zoo", "Depot"});
    const int line4 = addLine("Line 4", {"Market", "Station Road", "Zoo"});
    const int line7 = addLine("Line 7", {"Zoo", "Harbour"});
    addTimetable(line4, 1, 1, {"Market", "Station Road", "Zoo"}, regularTrips(3, 480, 15, 6, 15));
    addTimetable(line7, 1, 1, {"Zoo", "Harbour"}, regularTrips(2, 485, 10, 8, 6));
    stopClock();

    EXPECT_EQ(fmQuery->windowTitle(), "Korvalin Pro - Timetable Information");
    EXPECT_EQ(fmQuery->maximumSize(), QSize(780, 580));
    EXPECT_EQ(control<QLabel>("lStart")->text(), "Start:");
    EXPECT_EQ(control<QLabel>("lMaxTime")->text(), "Maximum search-depth");
    EXPECT_EQ(control<QPushButton>("btStartQuery")->text(), "Start query");
    auto *pages = control<QTabWidget>("pcQuery");
    EXPECT_EQ(pages->tabText(pages->indexOf(control<QWidget>("tsQuery"))), "Timetable Information");
    auto *start = control<QComboBox>("cbStartStation");
    auto *target = control<QComboBox>("cbZielStation");
    auto *day = control<QComboBox>("cbDayGroup");
    auto *transfers = control<QComboBox>("cbMaxTransfers");
    auto *depth = control<QComboBox>("cbSearchDepth");
    auto *connections = control<QComboBox>("cbMaxConnections");
    auto *searchTime = control<QComboBox>("cbMaxSearchTime");
    EXPECT_EQ(transfers->currentText(), "3");
    EXPECT_EQ(depth->currentText(), "10");
    EXPECT_FALSE(depth->isEditable());
    EXPECT_EQ(connections->currentText(), "10");
    EXPECT_EQ(items(searchTime).size(), 13);
    EXPECT_EQ(searchTime->currentText(), "1 Minute");
    EXPECT_EQ(MaxSearchTime, 60);

    whileShown([&] {
        // Served stations in name order; the depot has no line.
        EXPECT_EQ(items(start), (QStringList{"Harbour", "Market", "Station Road", "Zoo"}));
        EXPECT_EQ(items(target), items(start));
        EXPECT_EQ(start->currentText(), "Harbour");
        EXPECT_EQ(target->currentText(), "Market");
        EXPECT_EQ(items(day), (QStringList{"Mo-Fr", "Sa", "So"}));
        EXPECT_EQ(day->currentIndex(), 0);

        // Typed text keeps the last valid selection.
        start->setCurrentIndex(1);
        start->setEditText(QStringLiteral("Mark"));
        leave(start);
        EXPECT_EQ(start->currentText(), "Market");
        target->setCurrentIndex(0);
        transfers->setEditText(QStringLiteral("12"));
        EXPECT_EQ(MaxTransfers, 3);
        connections->setCurrentIndex(1);
        EXPECT_EQ(MaxConnections, 2);
        searchTime->setCurrentIndex(12);
        EXPECT_EQ(MaxSearchTime, 2147483647);
        searchTime->setCurrentIndex(0);
        EXPECT_EQ(MaxSearchTime, 1);
        searchTime->setCurrentIndex(4);
        depth->setCurrentIndex(4);
        EXPECT_EQ(SearchDepth, 20);

        control<QTimeEdit>("dtpStartTime")->setTime(QTime(8, 5));
        control<QPushButton>("btStartQuery")->click();
        EXPECT_EQ(control<QPlainTextEdit>("mZeiten")->toPlainText(), R"(Suchzeit: 00:00:00
Connections::

Arrival in 56 minutes
Line 4: Market to Zoo, departure: 08:15 arrival: 08:45
Line 7: Zoo to Harbour, departure: 08:55 arrival: 09:01

Arrival in 66 minutes
Line 4: Market to Zoo, departure: 08:15 arrival: 08:45
Line 7: Zoo to Harbour, departure: 09:05 arrival: 09:11)");
    });
}

TEST_F(QueryWindow, ATypedStationNameIsTheStationAsked)
{
    addStations({"Market", "Harbour", "Zoo"});
    const int line7 = addLine("Line 7", {"Market", "Zoo", "Harbour"});
    addTimetable(line7, 1, 1, {"Market", "Zoo", "Harbour"}, regularTrips(3, 485, 10, 8, 6));
    stopClock();
    auto *start = control<QComboBox>("cbStartStation");
    auto *target = control<QComboBox>("cbZielStation");
    whileShown([&] {
        ASSERT_EQ(start->currentText(), "Harbour");
        // Typed in full and left with Tab or a click on the start button: that station is asked for.
        start->setEditText(QStringLiteral("Market"));
        leave(start);
        EXPECT_EQ(start->currentIndex(), 1);
        EXPECT_EQ(start->currentText(), "Market");
        target->setEditText(QStringLiteral(" zoo "));
        leave(target);
        EXPECT_EQ(target->currentIndex(), 2);
        EXPECT_EQ(target->currentText(), "Zoo");
        // A name that is not listed gives way to the station chosen before.
        target->setEditText(QStringLiteral("Zoological Garden"));
        leave(target);
        EXPECT_EQ(target->currentText(), "Zoo");

        control<QTimeEdit>("dtpStartTime")->setTime(QTime(8, 0));
        control<QPushButton>("btStartQuery")->click();
        EXPECT_TRUE(control<QPlainTextEdit>("mZeiten")->toPlainText().contains(
            "Line 7: Market to Zoo, departure: 08:05 arrival: 08:11"))
            << control<QPlainTextEdit>("mZeiten")->toPlainText().toStdString();
    });
}

TEST_F(QueryWindow, StationListsOfSmallProjects)
{
    addStations({"Alone", "Other"});
    auto *start = control<QComboBox>("cbStartStation");
    auto *target = control<QComboBox>("cbZielStation");
    whileShown([&] {
        EXPECT_EQ(start->count(), 0);
        EXPECT_EQ(target->count(), 0);
        control<QPushButton>("btStartQuery")->click();
        EXPECT_EQ(control<QPlainTextEdit>("mZeiten")->toPlainText(), "Suchzeit: 00:00:00\nConnections::");
    });
    stopClock();
    addLine("Loop", {"Alone", "Alone"});
    whileShown([&] {
        EXPECT_EQ(start->currentText(), "Alone");
        EXPECT_EQ(target->currentText(), "Alone");
    });
}

// The start and target lists sort as the editors' lists do, not by character code.
TEST_F(QueryWindow, StationListsInNameOrder)
{
    addStations({"E", "b", "Zentrum", "Übersicht", "a", "C"});
    addLine("L", {"E", "b", "Zentrum", "Übersicht", "a", "C"});
    whileShown([&] {
        EXPECT_EQ(items(control<QComboBox>("cbStartStation")),
                  (QStringList{"a", "b", "C", "E", "Übersicht", "Zentrum"}));
        EXPECT_EQ(items(control<QComboBox>("cbZielStation")),
                  (QStringList{"a", "b", "C", "E", "Übersicht", "Zentrum"}));
    });
}

// The result text stays while the same project is shown again, and goes with its project.
TEST_F(QueryWindow, ResultTextBelongsToItsProject)
{
    addStations({"A", "B"});
    const int line = addLine("L", {"A", "B"});
    addTimetable(line, 1, 1, {"A", "B"}, regularTrips(2, 480, 10, 3, 5));
    stopClock();
    ProjectFileName = path(QStringLiteral("first.ppr"));
    auto *text = control<QPlainTextEdit>("mZeiten");
    whileShown([&] {
        control<QTimeEdit>("dtpStartTime")->setTime(QTime(8, 0));
        control<QPushButton>("btStartQuery")->click();
    });
    const QString found = text->toPlainText();
    EXPECT_TRUE(found.contains("L: A to B")) << found.toStdString();
    whileShown([&] { EXPECT_EQ(text->toPlainText(), found); });
    ProjectFileName = path(QStringLiteral("second.ppr"));
    whileShown([&] { EXPECT_EQ(text->toPlainText(), QString()); });
    ProjectFileName.clear();
}

// A timetable with a line that does not read: the dialog names it in one box and answers from
// the other line; a damaged distances.ini is named when the dialog opens.
TEST_F(QueryWindow, TellsEachDamagedFileOnce)
{
    addStations({"A", "B", "C"});
    const int line1 = addLine("L1", {"A", "B", "C"});
    const int line2 = addLine("L2", {"A", "C"});
    addTimetable(line1, 1, 1, {"A", "B", "C"}, regularTrips(3, 480, 10, 3, 5));
    addTimetable(line2, 1, 1, {"A", "C"}, regularTrips(2, 490, 30, 2, 20));
    stopClock();
    QByteArray trips = bytes("tt_1.ptf");
    trips.insert(trips.lastIndexOf('\n', trips.size() - 3) + 1, "9,\"never closed,\r\n");
    writeFileBytes(path("tt_1.ptf"), trips);
    writeFileBytes(path("distances.ini"), bytes("distances.ini") + "[x]\r\n");
    auto *text = control<QPlainTextEdit>("mZeiten");
    whileShown([&] {
        EXPECT_EQ(m_dialogs.messages, QStringList{"Error by load INI-File: " + path("distances.ini") + " (line 7)"});
        m_dialogs.messages.clear();
        control<QComboBox>("cbZielStation")->setCurrentText("C");
        control<QTimeEdit>("dtpStartTime")->setTime(QTime(8, 0));
        control<QPushButton>("btStartQuery")->click();
        control<QPushButton>("btStartQuery")->click();
    });
    EXPECT_EQ(m_dialogs.messages, QStringList{"Error by load PTF-File: " + path("tt_1.ptf") + " (line 7)"});
    EXPECT_TRUE(text->toPlainText().contains("L2: A to C")) << text->toPlainText().toStdString();
    EXPECT_FALSE(text->toPlainText().contains("L1:")) << text->toPlainText().toStdString();
}

} // namespace

namespace {

enum class DistancesState { Present, Missing, Damaged, MissingWithoutTimetables };

struct DistancesRow {
    const char *name;
    DistancesState state;
};

void PrintTo(const DistancesRow &row, std::ostream *os)
{
    *os << row.name;
}

class QueryWindowDistances : public QueryWindow, public ::testing::WithParamInterface<DistancesRow>
{
};

} // namespace

// distances.ini as the dialog finds it: a missing or damaged one is named once when the dialog
// opens, not again by the queries of that showing, and again at the next showing. A project
// without timetables has no such file to lack.
TEST_P(QueryWindowDistances, ToldOncePerShowing)
{
    const DistancesState state = GetParam().state;
    addStations({"A", "B"});
    const int line = addLine("L", {"A", "B"});
    if (state != DistancesState::MissingWithoutTimetables)
        addTimetable(line, 1, 1, {"A", "B"}, regularTrips(2, 480, 10, 3, 5));
    stopClock();
    const QString file = path("distances.ini");
    QStringList told;
    switch (state) {
    case DistancesState::Present:
        break;
    case DistancesState::Missing:
        ASSERT_TRUE(QFile::remove(file));
        told << "INI-File " + file + " not found";
        break;
    case DistancesState::Damaged: {
        const QByteArray kept = bytes("distances.ini");
        writeFileBytes(file, kept + "[x]\r\n");
        told << QStringLiteral("Error by load INI-File: %1 (line %2)").arg(file).arg(kept.count('\n') + 1);
        break;
    }
    case DistancesState::MissingWithoutTimetables:
        ASSERT_FALSE(QFileInfo::exists(file));
        break;
    }
    for (int showing = 1; showing <= 2; ++showing) {
        m_dialogs.messages.clear();
        whileShown([&] {
            EXPECT_EQ(m_dialogs.messages, told) << "showing " << showing;
            control<QComboBox>("cbZielStation")->setCurrentText("B");
            control<QTimeEdit>("dtpStartTime")->setTime(QTime(8, 0));
            control<QPushButton>("btStartQuery")->click();
            control<QPushButton>("btStartQuery")->click();
        });
        EXPECT_EQ(m_dialogs.messages, told) << "showing " << showing;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, QueryWindowDistances,
                         ::testing::Values(DistancesRow{"Present", DistancesState::Present},
                                           DistancesRow{"Missing", DistancesState::Missing},
                                           DistancesRow{"Damaged", DistancesState::Damaged},
                                           DistancesRow{"MissingWithoutTimetables",
                                                        DistancesState::MissingWithoutTimetables}),
                         [](const ::testing::TestParamInfo<DistancesRow> &info) {
                             return std::string(info.param.name);
                         });
