#include "app/edit_timetable_model.h"

#include "app/timetable_cells.h"
#include "data/prj_params.h"
#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>

using Answer = DialogService::Answer;

namespace {

// Trips and stops are counted from 1 as the user sees them: trip t is grid column t + 1,
// stop s is grid row s + 1.
class TimeTableModelTest : public ::testing::Test
{
protected:
    void SetUp() override { setStations({"Market", "Church", "Station Road", "Harbour"}); }
    void TearDown() override { PrjParams.MaxDriveMinutes = 720; }

    void setStations(const QStringList &names)
    {
        m.sgTimeTable.setRowCount(TimeTableModel::FirstStopRow + int(names.size()));
        for (int i = 0; i < names.size(); ++i)
            m.sgTimeTable.setCell(1, TimeTableModel::FirstStopRow + i, names[i]);
    }
    void put(int trip, int stop, const QString &text) { m.sgTimeTable.setCell(trip + 1, stop + 1, text); }
    QString at(int trip, int stop) const { return m.sgTimeTable.cell(trip + 1, stop + 1); }
    void setTrip(int t, const QString &cells) { setTripCells(m.sgTimeTable, t, cells); }
    QString trip(int t) const { return tripCells(m.sgTimeTable, t); }
    QString markers() const
    {
        QString s;
        for (int r = TimeTableModel::FirstStopRow; r < m.sgTimeTable.rowCount(); ++r)
            s += m.sgTimeTable.cell(0, r);
        return s;
    }
    void goTo(int t, int stop)
    {
        // As the window's move into the cell would: a pending fill is consumed by it.
        m.sgTimeTable.setCurrent(t + 1, stop + 1);
        m.OldCellSaved = false;
        m.FillDone = false;
    }
    // Types the text into the cell as the user does (the first key, then the whole text).
    void typeOnly(int t, int stop, const QString &text)
    {
        goTo(t, stop);
        m.KeyPress(text.isEmpty() ? QChar(8) : text[0]);
        put(t, stop, text);
    }
    // ... and interprets it, as leaving the cell does.
    bool type(int t, int stop, const QString &text)
    {
        typeOnly(t, stop, text);
        return m.InterpretCell();
    }
    // The text a typed entry leaves in its cell.
    QString typed(int t, int stop, const QString &text)
    {
        type(t, stop, text);
        return at(t, stop);
    }

    ScriptedDialogs d;
    TimeTableModel m;
};

} // namespace

TEST(TimeTableTexts, FormatParseAndClassify)
{
    QStringList texts;
    for (int minutes : {0, 1439, 1440, 2879, 1500, 1450, -5, -1440})
        texts << MinutesToTime(minutes);
    EXPECT_EQ(texts.join('|'), "00:00|23:59|00:00|23:59|01:00|00:10||");
    EXPECT_EQ(TimeTableModel::FormatTime(24, 0), QString());
    EXPECT_EQ(TimeTableModel::FormatTime(3, 60), QString());

    EXPECT_EQ(TimeTableModel::TimeToMinutes("7:5"), 425);
    EXPECT_EQ(TimeTableModel::TimeToMinutes("23:59"), 1439);
    for (const char *bad : {":30", "12:", "1:", "24:00", "12:60", "ab:cd", "1230", "99999999999999999999:00"})
        EXPECT_EQ(TimeTableModel::TimeToMinutes(bad), -1) << bad;

    EXPECT_EQ(TimeTableModel::StringToInterval(" 15 Min "), 15);
    EXPECT_EQ(TimeTableModel::StringToInterval("x Min"), -1);
    EXPECT_EQ(TimeTableModel::StringToInterval("15"), -1);

    // 3 empty, 2 interval, 1 time, 0 invalid.
    QString states;
    for (const char *text : {"", "     ", "15 Min", "0 Min", "15 min", "15Min", " Min",
                             "123456789012345678901234567890 Min", "07:05", "Market"})
        states += QString::number(TimeTableModel::GetTimeStringState(text));
    EXPECT_EQ(states, "3322000010");
}

TEST_F(TimeTableModelTest, TypedTimes)
{
    for (const auto &[entry, result] :
         {std::pair{"7:5", "07:50"}, {"705", "07:05"}, {"12.3", "12:30"}, {"930", "09:30"}, {"0:30", "00:30"}})
        EXPECT_EQ(typed(1, 1, entry), result) << entry;

    // Minutes alone and "+N" build on the time above, else on an earlier trip.
    put(1, 1, "06:55");
    EXPECT_EQ(typed(1, 2, "7"), "07:07");
    EXPECT_EQ(typed(1, 2, "55"), "06:55");
    EXPECT_EQ(typed(2, 2, "55"), "07:55");
    put(1, 1, "23:55");
    EXPECT_EQ(typed(1, 2, "+10"), "00:05");
    EXPECT_EQ(typed(1, 2, ""), QString());
}

TEST_F(TimeTableModelTest, RefusedEntriesGetTheirOldTextBack)
{
    put(1, 2, "08:00");
    for (const char *bad :
         {"7:", "1:2:3", "1234:5", "2500", "7a5", "x", "5", "+", "+1440", "+5", "60", "123456789012345678901234567890",
          "+123456789012345678901234567890", "12:3456789012345678901234567890", "+4294967306"}) {
        EXPECT_FALSE(type(1, 1, bad)) << bad;
        EXPECT_EQ(at(1, 1), QString()) << bad;
    }
    // Without a key stroke in the cell its text stays as it is.
    goTo(1, 1);
    put(1, 1, "junk");
    EXPECT_FALSE(m.InterpretCell());
    EXPECT_EQ(at(1, 1), "junk");
}

TEST_F(TimeTableModelTest, DriveTimeLimitAndTimesAfterAnInterval)
{
    put(1, 1, "06:00");
    PrjParams.MaxDriveMinutes = 420;
    EXPECT_FALSE(type(1, 2, "14:00"));
    EXPECT_TRUE(type(1, 2, "13:00"));
    PrjParams.MaxDriveMinutes = 720;
    EXPECT_TRUE(type(1, 2, "14:00"));
    put(1, 1, "23:50"); // over midnight: 20 minutes
    PrjParams.MaxDriveMinutes = 19;
    EXPECT_FALSE(type(1, 2, "0:10"));
    PrjParams.MaxDriveMinutes = 20;
    EXPECT_TRUE(type(1, 2, "0:10"));

    // Right of an interval: a whole number of intervals after the time that opens it.
    put(2, 1, "10 Min");
    put(1, 1, "06:00");
    EXPECT_TRUE(type(3, 1, "640"));
    EXPECT_FALSE(type(3, 1, "645"));
    EXPECT_FALSE(type(3, 1, "600"));
    put(2, 1, "0 Min"); // as an old file may hold
    EXPECT_FALSE(type(3, 1, "640"));
}

TEST_F(TimeTableModelTest, IntervalEntries)
{
    put(1, 4, "06:00");
    EXPECT_EQ(typed(2, 4, "a15"), "15 Min");
    EXPECT_EQ(typed(2, 4, "15 min"), "15 Min");
    EXPECT_EQ(typed(2, 4, "A 1439"), "1439 Min");
    for (const char *bad : {"a0", "0 min", "a1440", "a-5", "ax", "a123456789012345678901234567890", "a4294967311"})
        EXPECT_FALSE(type(2, 4, bad)) << bad;
    EXPECT_FALSE(type(1, 4, "a15"));    // the first trip has only the station to its left
    EXPECT_FALSE(type(3, 3, "a15"));    // nothing but the station to the left
    EXPECT_TRUE(d.questions.isEmpty()); // no question in the last row

    // Elsewhere the question; No keeps the interval to this cell.
    put(1, 1, "06:00");
    d.answers = {Answer::No};
    EXPECT_TRUE(type(2, 1, "a10"));
    EXPECT_EQ(trip(2), "10 Min|||1439 Min");
    EXPECT_EQ(d.questions, QStringList{"Apply to all further stations?"});

    // Yes fills every row with a time to its left; Enter then goes on to the next trip
    // without a beep, and the fill is not interpreted again.
    put(1, 2, "06:05");
    put(2, 3, "junk");
    typeOnly(2, 1, "a10");
    d.answers = {Answer::Yes};
    EXPECT_FALSE(m.KeyPress(QChar(13)));
    EXPECT_EQ(trip(2), "10 Min|10 Min||10 Min");
    EXPECT_EQ(m.sgTimeTable.col(), 4);
    EXPECT_EQ(m.sgTimeTable.row(), TimeTableModel::FirstStopRow);
    EXPECT_FALSE(m.FillDone);
    EXPECT_FALSE(m.EnterPressed);
    EXPECT_EQ(d.beeps, 0);
}

TEST_F(TimeTableModelTest, CopyEntries)
{
    // "=" (or "s") copies the cell above when it is a time, an interval or empty.
    EXPECT_FALSE(type(1, 1, "="));
    put(1, 1, "07:10");
    EXPECT_EQ(typed(1, 2, "="), "07:10");
    put(1, 2, "5 Min");
    EXPECT_EQ(typed(1, 3, "s"), "5 Min");
    put(1, 3, "junk");
    EXPECT_FALSE(type(1, 4, "S"));
    EXPECT_EQ(at(1, 4), QString());

    // "=N" copies trip N shifted by the difference at the nearest row where both have times.
    setTrip(2, "06:00|06:10|06:50|   ");
    put(3, 1, "06:20");
    typeOnly(3, 2, "=2");
    EXPECT_FALSE(m.KeyPress(QChar(13))); // a fill confirmed with Enter goes on in the next trip
    EXPECT_EQ(trip(3), "06:20|06:30|07:10|   ");
    EXPECT_EQ(m.sgTimeTable.col(), 5);
    EXPECT_EQ(d.beeps, 0);

    // Refused, leaving the cell empty: a negative shift, a trip number that names no trip.
    put(4, 1, "05:50");
    for (const char *bad :
         {"=2", "=0", "=-1", "=4", "=511", "=600", "= x", "=123456789012345678901234567890", "=4294967302"}) {
        EXPECT_FALSE(type(4, 2, bad)) << bad;
        EXPECT_EQ(at(4, 2), QString()) << bad;
        EXPECT_FALSE(m.FillDone) << bad;
    }

    // Where the source trip has no times above, its intervals and empty cells are copied,
    put(5, 3, "07:00");
    put(6, 3, "20 Min");
    EXPECT_FALSE(type(7, 3, "=6"));
    EXPECT_TRUE(m.FillDone);
    EXPECT_EQ(trip(7), "||20 Min|");
    // but a time there needs a time of both trips above it.
    EXPECT_FALSE(type(8, 3, "=5"));
    EXPECT_EQ(trip(8), "|||");
}

TEST_F(TimeTableModelTest, EditingRhythm)
{
    bool saveShown = false;
    m.SaveButtonVisible = [&](bool shown) { saveShown = shown; };
    put(1, 1, "06:00");
    typeOnly(1, 2, "x");
    EXPECT_TRUE(saveShown);
    EXPECT_TRUE(m.TimeTableModified);
    m.KeyPress(QLatin1Char('y')); // the first key stroke's text is kept
    EXPECT_EQ(m.OldCellText, QString());

    // A refused entry keeps the cursor in the cell with a beep.
    EXPECT_FALSE(m.SelectCell(2, 5));
    EXPECT_EQ(m.sgTimeTable.row(), 3);
    EXPECT_EQ(d.beeps, 1);
    EXPECT_EQ(at(1, 2), QString());

    put(1, 2, "10");
    EXPECT_TRUE(m.SelectCell(2, 5));
    EXPECT_EQ(at(1, 2), "06:10");
    EXPECT_FALSE(m.OldCellSaved);

    // Enter in the last row goes to the next trip; in the last row of the last trip it stays.
    EXPECT_FALSE(m.KeyPress(QChar(13)));
    EXPECT_EQ(m.sgTimeTable.col(), 3);
    EXPECT_EQ(m.sgTimeTable.row(), 2);
    m.sgTimeTable.setCurrent(511, 5);
    m.KeyPress(QChar(13));
    EXPECT_EQ(m.sgTimeTable.col(), 511);
    EXPECT_EQ(m.sgTimeTable.row(), 5);

    goTo(1, 1);
    m.DeleteKeyDown();
    EXPECT_TRUE(m.OldCellSaved);
    EXPECT_EQ(m.OldCellText, "06:00");
    m.EditOff();
    EXPECT_FALSE(saveShown);

    // Moving a trip column renumbers the trips and counts as an edit.
    put(2, 1, "07:00");
    put(3, 1, "08:00");
    m.MoveTripColumn(2, 4);
    EXPECT_EQ(at(1, 1) + at(2, 1) + at(3, 1), "07:0008:0006:00");
    EXPECT_EQ(m.sgTimeTable.cell(2, 0) + m.sgTimeTable.cell(3, 0) + m.sgTimeTable.cell(4, 0), "123");
    EXPECT_TRUE(saveShown);
}

TEST_F(TimeTableModelTest, MarkerColumn)
{
    setStations({"Market", "Church", "Church", "Harbour"});
    m.SetMarkers();
    EXPECT_EQ(markers(), "+--+");

    // "+" inserts a row of the same station above; No leaves its trip cells empty.
    put(1, 4, "06:30");
    d.answers = {Answer::No};
    m.MarkerClick(4 + 1);
    EXPECT_EQ(markers(), "+----");
    EXPECT_EQ(m.sgTimeTable.cell(1, 5), "Harbour");
    EXPECT_EQ(m.sgTimeTable.cell(1, 6), "Harbour");
    EXPECT_EQ(trip(1), "||||06:30");
    EXPECT_EQ(d.questions, QStringList{"Insert same values?"});
    EXPECT_TRUE(m.TimeTableModified);

    d.answers = {Answer::Yes};
    m.MarkerClick(1 + 1);
    put(1, 2, "06:00");
    // "-" deletes the row; its partner below or above becomes "+".
    m.MarkerClick(1 + 1);
    EXPECT_EQ(markers(), "+----");
    EXPECT_EQ(trip(1), "06:00||||06:30");
    m.MarkerClick(3 + 1);
    EXPECT_EQ(markers(), "++--");
    EXPECT_EQ(m.sgTimeTable.cell(1, 3), "Church");

    // Yes copies the clicked row's cells into the new row.
    d.answers = {Answer::Yes};
    m.MarkerClick(1 + 1);
    EXPECT_EQ(trip(1), "06:00|06:00|||06:30");
}

TEST_F(TimeTableModelTest, CheckTimeTable)
{
    setStations({"Market", "Church", "Church", "Harbour", "Harbour"});
    setTrip(1, "|06:00|||");                // a single time
    setTrip(2, "|07:00|||07:10");           // starts at Church's arrival, ends at Harbour's departure
    setTrip(3, "|08:00|08:00|08:10|08:11"); // Church rows equal at the start, Harbour's differ at the end
    setTrip(4, "09:00||09:05|09:15|bad");   // passes Church with only the departure; an invalid cell

    const TimeTableModel::CheckResult result = m.CheckTimeTable();
    EXPECT_EQ(trip(1), "|06*00|||");
    EXPECT_EQ(trip(2), "||07:00|07:10|");
    EXPECT_EQ(trip(3), "||08:00|08:10|08*11");
    EXPECT_EQ(trip(4), "09:00|09:05|09:05|09:15|bad");
    EXPECT_EQ(result.errors, 3);      // single time, differing end, "bad"
    EXPECT_EQ(result.corrections, 4); // trip 2 start and end, trip 3 start, trip 4 inside
}
