#include "app/edit_timetable_model.h"

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
    void SetUp() override
    {
        PrjParams.MaxDriveMinutes = 720;
        setStations({"Market", "Church", "Station Road", "Harbour"});
    }
    void TearDown() override { PrjParams.MaxDriveMinutes = 720; }

    void setStations(const QStringList &names)
    {
        m.sgTimeTable.setRowCount(TimeTableModel::FirstStopRow + int(names.size()));
        for (int i = 0; i < names.size(); ++i)
            m.sgTimeTable.setCell(1, TimeTableModel::FirstStopRow + i, names[i]);
    }
    void put(int trip, int stop, const QString &text) { m.sgTimeTable.setCell(trip + 1, stop + 1, text); }
    QString at(int trip, int stop) const { return m.sgTimeTable.cell(trip + 1, stop + 1); }
    // The stop cells of a trip, separated by "|".
    QString trip(int t) const
    {
        QStringList cells;
        for (int r = TimeTableModel::FirstStopRow; r < m.sgTimeTable.rowCount(); ++r)
            cells << m.sgTimeTable.cell(t + 1, r);
        return cells.join(QLatin1Char('|'));
    }
    void goTo(int t, int stop)
    {
        // As the window's move into the cell would: a pending fill is consumed by it.
        m.sgTimeTable.setCurrent(t + 1, stop + 1);
        m.OldCellSaved = false;
        m.FillDone = false;
    }
    // Types the text into the cell as the user does and interprets it.
    bool type(int t, int stop, const QString &text)
    {
        goTo(t, stop);
        m.KeyPress(text.isEmpty() ? QChar(8) : text[0]);
        put(t, stop, text);
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

TEST(TimeTableTexts, FormatAndParse)
{
    EXPECT_EQ(MinutesToTime(0), QStringLiteral("00:00"));
    EXPECT_EQ(MinutesToTime(1439), QStringLiteral("23:59"));
    EXPECT_EQ(MinutesToTime(1440), QStringLiteral("00:00"));
    EXPECT_EQ(MinutesToTime(2879), QStringLiteral("23:59"));
    EXPECT_EQ(MinutesToTime(1500), QStringLiteral("01:00"));
    EXPECT_EQ(MinutesToTime(1450), QStringLiteral("00:10"));
    EXPECT_EQ(MinutesToTime(-5), QString());
    EXPECT_EQ(MinutesToTime(-1440), QString());
    EXPECT_EQ(TimeTableModel::MinutesToTime(65), QStringLiteral("01:05"));
    EXPECT_EQ(TimeTableModel::FormatTime(24, 0), QString());
    EXPECT_EQ(TimeTableModel::FormatTime(3, 60), QString());

    int h = 0, mi = 0;
    EXPECT_TRUE(TimeTableModel::ParseTime(QStringLiteral("7:5"), h, mi));
    EXPECT_EQ(h * 60 + mi, 425);
    for (const char *bad : {":30", "12:", "1:", "24:00", "12:60", "ab:cd", "1230", "99999999999999999999:00"})
        EXPECT_FALSE(TimeTableModel::ParseTime(QString::fromLatin1(bad), h, mi)) << bad;
    EXPECT_EQ(TimeTableModel::TimeToMinutes(QStringLiteral("23:59")), 1439);
    EXPECT_EQ(TimeTableModel::TimeToMinutes(QStringLiteral("x")), -1);

    EXPECT_EQ(TimeTableModel::StringToInterval(QStringLiteral(" 15 Min ")), 15);
    EXPECT_EQ(TimeTableModel::StringToInterval(QStringLiteral("x Min")), -1);
    EXPECT_EQ(TimeTableModel::StringToInterval(QStringLiteral("15")), -1);

    auto state = [](const char *text) { return TimeTableModel::GetTimeStringState(QString::fromLatin1(text)); };
    EXPECT_EQ(state(""), TimeTableModel::StateEmpty);
    EXPECT_EQ(state("     "), TimeTableModel::StateEmpty);
    EXPECT_EQ(state("15 Min"), TimeTableModel::StateInterval);
    EXPECT_EQ(state("0 Min"), TimeTableModel::StateInterval);
    EXPECT_EQ(state("15 min"), TimeTableModel::StateInvalid);
    EXPECT_EQ(state("15Min"), TimeTableModel::StateInvalid);
    EXPECT_EQ(state(" Min"), TimeTableModel::StateInvalid);
    EXPECT_EQ(state("123456789012345678901234567890 Min"), TimeTableModel::StateInvalid);
    EXPECT_EQ(state("07:05"), TimeTableModel::StateTime);
    EXPECT_EQ(state("Market"), TimeTableModel::StateInvalid);
}

TEST_F(TimeTableModelTest, TypedTimes)
{
    EXPECT_EQ(typed(1, 1, "7:5"), QStringLiteral("07:50"));
    EXPECT_EQ(typed(1, 1, "705"), QStringLiteral("07:05"));
    EXPECT_EQ(typed(1, 1, "12.3"), QStringLiteral("12:30"));
    EXPECT_EQ(typed(1, 1, "930"), QStringLiteral("09:30"));
    EXPECT_EQ(typed(1, 1, "0:30"), QStringLiteral("00:30"));

    put(1, 1, QStringLiteral("06:55"));
    EXPECT_EQ(typed(1, 2, "7"), QStringLiteral("07:07"));
    EXPECT_EQ(typed(1, 2, "55"), QStringLiteral("06:55"));
    EXPECT_EQ(typed(2, 2, "55"), QStringLiteral("07:55")); // reference from the earlier trip

    put(1, 1, QStringLiteral("23:55"));
    EXPECT_EQ(typed(1, 2, "+10"), QStringLiteral("00:05"));
    EXPECT_EQ(typed(1, 2, ""), QString());
}

TEST_F(TimeTableModelTest, RefusedEntriesGetTheirOldTextBack)
{
    put(1, 2, QStringLiteral("08:00"));
    for (const char *bad :
         {"7:", "1:2:3", "1234:5", "2500", "7a5", "x", "5", "+", "+1440", "+5", "60", "123456789012345678901234567890",
          "+123456789012345678901234567890", "12:3456789012345678901234567890"}) {
        EXPECT_FALSE(type(1, 1, QString::fromLatin1(bad))) << bad;
        EXPECT_EQ(at(1, 1), QString()) << bad;
    }
    // Without a key stroke in the cell its text stays as it is.
    goTo(1, 1);
    put(1, 1, QStringLiteral("junk"));
    EXPECT_FALSE(m.InterpretCell());
    EXPECT_EQ(at(1, 1), QStringLiteral("junk"));
}

TEST_F(TimeTableModelTest, DriveTimeLimit)
{
    put(1, 1, QStringLiteral("06:00"));
    PrjParams.MaxDriveMinutes = 420;
    EXPECT_FALSE(type(1, 2, "14:00"));
    EXPECT_TRUE(type(1, 2, "13:00"));
    PrjParams.MaxDriveMinutes = 720;
    EXPECT_TRUE(type(1, 2, "14:00"));

    put(1, 1, QStringLiteral("23:50"));
    PrjParams.MaxDriveMinutes = 19;
    EXPECT_FALSE(type(1, 2, "0:10"));
    PrjParams.MaxDriveMinutes = 20;
    EXPECT_TRUE(type(1, 2, "0:10"));
}

TEST_F(TimeTableModelTest, TimeAfterAnInterval)
{
    put(1, 1, QStringLiteral("06:00"));
    put(2, 1, QStringLiteral("10 Min"));
    EXPECT_TRUE(type(3, 1, "640"));
    EXPECT_FALSE(type(3, 1, "645"));
    EXPECT_FALSE(type(3, 1, "600"));

    // A 0-minute interval (as an old file may hold) admits no time after it.
    put(2, 1, QStringLiteral("0 Min"));
    EXPECT_FALSE(type(3, 1, "640"));
}

TEST_F(TimeTableModelTest, IntervalEntries)
{
    put(1, 4, QStringLiteral("06:00"));
    EXPECT_EQ(typed(2, 4, "a15"), QStringLiteral("15 Min"));
    EXPECT_EQ(typed(2, 4, "15 min"), QStringLiteral("15 Min"));
    EXPECT_EQ(typed(2, 4, "A 1439"), QStringLiteral("1439 Min"));
    for (const char *bad : {"a0", "0 min", "a1440", "a-5", "ax", "a123456789012345678901234567890"})
        EXPECT_FALSE(type(2, 4, QString::fromLatin1(bad))) << bad;
    EXPECT_FALSE(type(1, 4, "a15")); // the first trip has only the station to its left
    EXPECT_FALSE(type(3, 3, "a15")); // nothing but the station to the left
    EXPECT_TRUE(d.questions.isEmpty());

    // Not in the last row: the question; No keeps the fill to this cell.
    put(1, 1, QStringLiteral("06:00"));
    d.answers = {Answer::No};
    EXPECT_TRUE(type(2, 1, "a10"));
    EXPECT_EQ(trip(2), QStringLiteral("10 Min|||1439 Min"));
    EXPECT_EQ(d.questions, QStringList{QStringLiteral("Apply to all further stations?")});
}

TEST_F(TimeTableModelTest, IntervalAppliedToFurtherStationsWithEnter)
{
    put(1, 1, QStringLiteral("06:00"));
    put(1, 2, QStringLiteral("06:05"));
    put(1, 4, QStringLiteral("06:15"));
    put(2, 3, QStringLiteral("junk"));
    goTo(2, 1);
    m.KeyPress(QLatin1Char('a'));
    put(2, 1, QStringLiteral("a10"));
    d.answers = {Answer::Yes};
    EXPECT_FALSE(m.KeyPress(QChar(13)));
    EXPECT_EQ(trip(2), QStringLiteral("10 Min|10 Min||10 Min"));
    // The cursor went on to the next trip without a beep; the fill is not interpreted again.
    EXPECT_EQ(m.sgTimeTable.col(), 4);
    EXPECT_EQ(m.sgTimeTable.row(), TimeTableModel::FirstStopRow);
    EXPECT_FALSE(m.FillDone);
    EXPECT_FALSE(m.EnterPressed);
    EXPECT_EQ(d.beeps, 0);
}

TEST_F(TimeTableModelTest, CopyFromAbove)
{
    EXPECT_FALSE(type(1, 1, "="));
    put(1, 1, QStringLiteral("07:10"));
    EXPECT_EQ(typed(1, 2, "="), QStringLiteral("07:10"));
    put(1, 2, QStringLiteral("5 Min"));
    EXPECT_EQ(typed(1, 3, "s"), QStringLiteral("5 Min"));
    put(1, 3, QStringLiteral("junk"));
    EXPECT_FALSE(type(1, 4, "S"));
    EXPECT_EQ(at(1, 4), QString());
}

TEST_F(TimeTableModelTest, CopyTripShiftedByTheDifference)
{
    put(2, 1, QStringLiteral("06:00"));
    put(2, 2, QStringLiteral("06:10"));
    put(2, 3, QStringLiteral("06:50"));
    put(2, 4, QStringLiteral("   "));
    put(3, 1, QStringLiteral("06:20"));
    goTo(3, 2);
    m.KeyPress(QLatin1Char('='));
    put(3, 2, QStringLiteral("=2"));
    EXPECT_FALSE(m.KeyPress(QChar(13))); // a fill confirmed with Enter goes on in the next trip
    EXPECT_EQ(trip(3), QStringLiteral("06:20|06:30|07:10|   "));
    EXPECT_EQ(m.sgTimeTable.col(), 5);
    EXPECT_EQ(d.beeps, 0);

    // A later trip that starts earlier gives a negative shift: refused.
    put(4, 1, QStringLiteral("05:50"));
    EXPECT_FALSE(type(4, 2, "=2"));
    EXPECT_EQ(at(4, 2), QString());

    // Where the source trip has no times above, its intervals and empty cells are copied.
    put(5, 3, QStringLiteral("07:00"));
    put(6, 3, QStringLiteral("20 Min"));
    EXPECT_FALSE(type(7, 3, "=6"));
    EXPECT_EQ(trip(7), QStringLiteral("||20 Min|"));
    // but a time there needs a time of both trips above it.
    EXPECT_FALSE(type(8, 3, "=5"));
    EXPECT_EQ(trip(8), QStringLiteral("|||"));
}

TEST_F(TimeTableModelTest, CopyEntryNamingNoTrip)
{
    put(1, 1, QStringLiteral("06:00"));
    put(2, 1, QStringLiteral("06:20"));
    for (const char *bad : {"=0", "=-1", "=511", "=600", "=2", "= x", "=123456789012345678901234567890"}) {
        EXPECT_FALSE(type(2, 2, QString::fromLatin1(bad))) << bad;
        EXPECT_EQ(at(2, 2), QString()) << bad;
        EXPECT_FALSE(m.FillDone) << bad;
    }
    EXPECT_FALSE(type(2, 2, "=1")); // the one that names a trip fills
    EXPECT_TRUE(m.FillDone);
}

TEST_F(TimeTableModelTest, EditingRhythm)
{
    bool saveShown = false;
    m.SaveButtonVisible = [&](bool shown) { saveShown = shown; };
    put(1, 1, QStringLiteral("06:00"));
    goTo(1, 2);
    m.KeyPress(QLatin1Char('x'));
    EXPECT_TRUE(saveShown);
    EXPECT_TRUE(m.TimeTableModified);
    put(1, 2, QStringLiteral("x"));
    m.KeyPress(QLatin1Char('y')); // the first key stroke's text is kept
    EXPECT_EQ(m.OldCellText, QString());

    // A refused entry keeps the cursor in the cell with a beep.
    EXPECT_FALSE(m.SelectCell(1 + 1, 4 + 1));
    EXPECT_EQ(m.sgTimeTable.row(), 3);
    EXPECT_EQ(d.beeps, 1);
    EXPECT_EQ(at(1, 2), QString());

    put(1, 2, QStringLiteral("10"));
    EXPECT_TRUE(m.SelectCell(2, 5));
    EXPECT_EQ(at(1, 2), QStringLiteral("06:10"));
    EXPECT_FALSE(m.OldCellSaved);

    // Enter in the last row goes to the next trip; in the last row of the last trip it stays.
    EXPECT_FALSE(m.KeyPress(QChar(13)));
    EXPECT_EQ(m.sgTimeTable.col(), 3);
    EXPECT_EQ(m.sgTimeTable.row(), 2);
    m.sgTimeTable.setCurrent(511, 5);
    m.KeyPress(QChar(13));
    EXPECT_EQ(m.sgTimeTable.col(), 511);
    EXPECT_EQ(m.sgTimeTable.row(), 5);

    put(1, 1, QStringLiteral("06:00"));
    goTo(1, 1);
    m.DeleteKeyDown();
    EXPECT_TRUE(m.OldCellSaved);
    EXPECT_EQ(m.OldCellText, QStringLiteral("06:00"));
    m.EditOff();
    EXPECT_FALSE(saveShown);
    EXPECT_FALSE(m.TimeTableModified);
}

TEST_F(TimeTableModelTest, MarkerColumn)
{
    setStations({"Market", "Church", "Church", "Harbour"});
    m.SetMarkers();
    auto markers = [this] {
        QString s;
        for (int r = TimeTableModel::FirstStopRow; r < m.sgTimeTable.rowCount(); ++r)
            s += m.sgTimeTable.cell(0, r);
        return s;
    };
    EXPECT_EQ(markers(), QStringLiteral("+--+"));

    put(1, 4, QStringLiteral("06:30"));
    d.answers = {Answer::No};
    m.MarkerClick(4 + 1);
    EXPECT_EQ(markers(), QStringLiteral("+----"));
    EXPECT_EQ(m.sgTimeTable.cell(1, 5), QStringLiteral("Harbour"));
    EXPECT_EQ(m.sgTimeTable.cell(1, 6), QStringLiteral("Harbour"));
    EXPECT_EQ(trip(1), QStringLiteral("||||06:30"));
    EXPECT_EQ(d.questions, QStringList{QStringLiteral("Insert same values?")});
    EXPECT_TRUE(m.TimeTableModified);

    d.answers = {Answer::Yes};
    m.MarkerClick(1 + 1);
    EXPECT_EQ(trip(1), QStringLiteral("|||||06:30"));
    put(1, 2, QStringLiteral("06:00"));
    m.MarkerClick(1 + 1); // "-" on the first Market: the other becomes "+"
    EXPECT_EQ(markers(), QStringLiteral("+----"));
    EXPECT_EQ(trip(1), QStringLiteral("06:00||||06:30"));
    m.MarkerClick(3 + 1); // the second Church, whose partner stands above
    EXPECT_EQ(markers(), QStringLiteral("++--"));
    EXPECT_EQ(m.sgTimeTable.cell(1, 3), QStringLiteral("Church"));

    d.answers = {Answer::Yes};
    m.MarkerClick(1 + 1);
    EXPECT_EQ(trip(1), QStringLiteral("06:00|06:00|||06:30"));
}

TEST_F(TimeTableModelTest, MoveTripColumnRenumbers)
{
    put(1, 1, QStringLiteral("06:00"));
    put(2, 1, QStringLiteral("07:00"));
    put(3, 1, QStringLiteral("08:00"));
    m.MoveTripColumn(2, 4);
    EXPECT_EQ(at(1, 1) + at(2, 1) + at(3, 1), QStringLiteral("07:0008:0006:00"));
    EXPECT_EQ(m.sgTimeTable.cell(2, 0), QStringLiteral("1"));
    EXPECT_EQ(m.sgTimeTable.cell(4, 0), QStringLiteral("3"));
    EXPECT_TRUE(m.TimeTableModified);
}

TEST_F(TimeTableModelTest, CheckTimeTable)
{
    setStations({"Market", "Church", "Church", "Harbour", "Harbour"});
    // Trip 1: a single time.
    put(1, 2, QStringLiteral("06:00"));
    // Trip 2: starts on the arrival row of Church, ends on the departure row of Harbour.
    put(2, 2, QStringLiteral("07:00"));
    put(2, 5, QStringLiteral("07:10"));
    // Trip 3: both Church rows equal at the start, Harbour rows different at the end.
    put(3, 2, QStringLiteral("08:00"));
    put(3, 3, QStringLiteral("08:00"));
    put(3, 4, QStringLiteral("08:10"));
    put(3, 5, QStringLiteral("08:11"));
    // Trip 4: passes Church with only the departure, and holds an invalid cell.
    put(4, 1, QStringLiteral("09:00"));
    put(4, 3, QStringLiteral("09:05"));
    put(4, 4, QStringLiteral("09:15"));
    put(4, 5, QStringLiteral("bad"));

    const TimeTableModel::CheckResult result = m.CheckTimeTable();
    EXPECT_EQ(trip(1), QStringLiteral("|06*00|||"));
    EXPECT_EQ(trip(2), QStringLiteral("||07:00|07:10|"));
    EXPECT_EQ(trip(3), QStringLiteral("||08:00|08:10|08*11"));
    EXPECT_EQ(trip(4), QStringLiteral("09:00|09:05|09:05|09:15|bad"));
    EXPECT_EQ(result.errors, 3);      // single time, differing end, "bad"
    EXPECT_EQ(result.corrections, 4); // trip 2 start and end, trip 3 start, trip 4 inside
}
