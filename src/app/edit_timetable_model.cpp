#include "app/edit_timetable_model.h"

#include "data/common_helpers.h"
#include "data/prj_params.h"
#include "platform/dialog_service.h"
#include "platform/numbers.h"

namespace {

const QString MinSuffix = QStringLiteral("Min");

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// A whole number with an optional sign and nothing else, blanks included. Typed and loaded
// texts can be of any length, so a number that does not fit in an int is simply no number.
bool parseInt(const QString &Text, int &Value)
{
    if (Text.isEmpty() || Text.front().isSpace() || Text.back().isSpace())
        return false;
    return parseInteger(Text, Value);
}

int intOrMinusOne(const QString &Text)
{
    int v;
    return parseInt(Text, v) ? v : -1;
}

bool allDigits(const QString &Text)
{
    for (QChar c : Text)
        if (!isDigit(c))
            return false;
    return !Text.isEmpty();
}

QString intervalText(int Minutes)
{
    return QString::number(Minutes) + QLatin1Char(' ') + MinSuffix;
}

} // namespace

TimeTableModel::TimeTableModel() : sgTimeTable(ColCount, FirstStopRow + 1)
{
    sgTimeTable.setFixedCols(2);
    sgTimeTable.setFixedRows(2);
    sgTimeTable.setDefaultColWidth(48);
    sgTimeTable.setDefaultRowHeight(18);
    sgTimeTable.setColWidth(0, 20);
    sgTimeTable.setColWidth(1, 140);
    for (int c = FirstTripCol; c < ColCount; ++c)
        sgTimeTable.setCell(c, 0, QString::number(c - 1));
    sgTimeTable.setCell(1, 1, QStringLiteral("Stations"));
    sgTimeTable.setCurrent(FirstTripCol, FirstStopRow);
}

void TimeTableModel::EditOn()
{
    TimeTableModified = true;
    if (SaveButtonVisible)
        SaveButtonVisible(true);
}

void TimeTableModel::EditOff()
{
    TimeTableModified = false;
    if (SaveButtonVisible)
        SaveButtonVisible(false);
}

QString TimeTableModel::FormatTime(int Hour, int Minute)
{
    return HourMinuteText(Hour, Minute);
}

bool TimeTableModel::ParseTime(const QString &Text, int &Hour, int &Minute)
{
    const qsizetype p = Text.indexOf(QLatin1Char(':')); // 0-based
    if (p < 1 || p + 1 >= Text.size() || Text.size() < 3)
        return false;
    Hour = intOrMinusOne(Text.left(p));
    Minute = intOrMinusOne(Text.mid(p + 1));
    return Hour >= 0 && Hour <= 23 && Minute >= 0 && Minute <= 59;
}

int TimeTableModel::TimeToMinutes(const QString &Text)
{
    int hour, minute;
    if (!ParseTime(Text, hour, minute))
        return -1;
    return hour * 60 + minute;
}

int TimeTableModel::StringToInterval(const QString &Text)
{
    const QString t = Text.trimmed();
    if (!t.endsWith(MinSuffix) || t.size() < 4)
        return -1;
    return intOrMinusOne(t.left(t.size() - 4));
}

TimeTableModel::CellState TimeTableModel::GetTimeStringState(const QString &Text)
{
    const QString t = Text.trimmed();
    if (t.isEmpty())
        return StateEmpty;
    if (t.size() >= 5 && t.endsWith(MinSuffix) && t[t.size() - 4] == QLatin1Char(' ')) {
        int minutes;
        if (parseInt(t.left(t.size() - 4), minutes) && minutes >= 0)
            return StateInterval;
    }
    int hour, minute;
    return ParseTime(t, hour, minute) ? StateTime : StateInvalid;
}

TimeTableModel::CellState TimeTableModel::GetCellState(int Col, int Row) const
{
    return GetTimeStringState(sgTimeTable.cell(Col, Row));
}

// Columns Col-1 down to 1: the station column takes part, so a trip cell with nothing but
// the station to its left sees an invalid text there.
int TimeTableModel::FindPrevCellInRow(int Col, int Row, int &FoundCol) const
{
    for (int c = Col - 1; c >= 1; --c) {
        const int state = GetCellState(c, Row);
        if (state != StateEmpty) {
            FoundCol = c;
            return state;
        }
    }
    FoundCol = -1;
    return StateEmpty;
}

bool TimeTableModel::FindPrevTimeInColumn(int Col, int Row, int &Hour, int &Minute) const
{
    for (int r = Row - 1; r >= FirstStopRow; --r)
        if (ParseTime(sgTimeTable.cell(Col, r).trimmed(), Hour, Minute))
            return true;
    return false;
}

// The earlier trips, nearest first; in each the rows from Row upwards.
bool TimeTableModel::FindPrevTime(int Col, int Row, int &Hour, int &Minute) const
{
    for (int c = Col - 1; c >= FirstTripCol; --c)
        for (int r = Row; r >= FirstStopRow; --r)
            if (ParseTime(sgTimeTable.cell(c, r).trimmed(), Hour, Minute))
                return true;
    return false;
}

bool TimeTableModel::FindPrevTimeInRow(int Col, int Row, int &Hour, int &Minute) const
{
    for (int c = Col - 1; c >= FirstTripCol; --c)
        if (ParseTime(sgTimeTable.cell(c, Row).trimmed(), Hour, Minute))
            return true;
    return false;
}

bool TimeTableModel::ValidateTime(int Col, int Row, int Hour, int Minute) const
{
    if (Hour < 0 || Hour > 23 || Minute < 0 || Minute > 59)
        return false;
    const int newTime = Hour * 60 + Minute;
    if (GetCellState(Col - 1, Row) == StateInterval) {
        // The time closes the interval block: it must lie a whole number of intervals after
        // the time that opens it. A 0-minute interval can close nothing.
        int h, m;
        if (Col < 3 || !FindPrevTimeInRow(Col - 1, Row, h, m))
            return false;
        const int interval = StringToInterval(sgTimeTable.cell(Col - 1, Row));
        const int diff = newTime - (h * 60 + m);
        if (interval <= 0 || diff <= 0 || diff % interval != 0)
            return false;
    }
    int h, m;
    if (FindPrevTimeInColumn(Col, Row, h, m)) {
        int drive = newTime - (h * 60 + m);
        if (drive < 0)
            drive += 1440;
        if (drive > PrjParams.MaxDriveMinutes)
            return false;
    }
    return true;
}

// An interval of 0 minutes is refused: no time could follow it.
bool TimeTableModel::CanEnterInterval(int Col, int Row, int Minutes) const
{
    if (Minutes < 1 || Minutes > 1439 || Col < FirstTripCol)
        return false;
    int found;
    const int state = FindPrevCellInRow(Col, Row, found);
    return state == StateTime || state == StateEmpty;
}

void TimeTableModel::FillInterval(int Col, int Row, int Minutes)
{
    if (Col < FirstTripCol)
        return;
    for (int r = Row; r <= lastRow(); ++r) {
        int found;
        sgTimeTable.setCell(Col, r, FindPrevCellInRow(Col, r, found) == StateTime ? intervalText(Minutes) : QString());
    }
}

bool TimeTableModel::CheckCellAbove(int Col, int Row) const
{
    if (Row - 1 < FirstStopRow)
        return false;
    const int state = GetCellState(Col, Row - 1);
    return state == StateTime || state == StateEmpty;
}

bool TimeTableModel::FindIntervalAbove(int Col, int Row) const
{
    return Row - 1 >= FirstStopRow && GetCellState(Col, Row - 1) == StateInterval;
}

bool TimeTableModel::CopyTripShifted(int Col, int Row, QStringList &List, int SourceCol) const
{
    if (Row < FirstStopRow || Row > lastRow() || Col < FirstTripCol || Col > lastCol() || SourceCol < FirstTripCol ||
        SourceCol > lastCol() || SourceCol == Col)
        return false;

    bool intervalAbove = false;
    bool timeAbove = false;
    bool offsetFound = false;
    int offset = 0;
    for (int r = Row - 1; r >= FirstStopRow; --r) {
        const int source = TimeToMinutes(sgTimeTable.cell(SourceCol, r).trimmed());
        if (source < 0) {
            if (GetCellState(SourceCol, r) == StateInterval)
                intervalAbove = true;
            continue;
        }
        timeAbove = true;
        const int current = TimeToMinutes(sgTimeTable.cell(Col, r).trimmed());
        if (current < 0)
            continue;
        offset = current - source;
        if (offset < 0)
            return false;
        offsetFound = true;
        break;
    }

    for (int r = Row; r <= lastRow(); ++r) {
        const QString text = sgTimeTable.cell(SourceCol, r);
        switch (GetTimeStringState(text)) {
        case StateTime: {
            if (!offsetFound || intervalAbove)
                return false;
            const int shifted = TimeToMinutes(text.trimmed()) + offset;
            List << FormatTime((shifted / 60) % 24, shifted % 60);
            break;
        }
        case StateInterval:
            if (timeAbove)
                return false;
            List << text;
            break;
        case StateEmpty:
            List << text;
            break;
        default:
            return false;
        }
    }
    return true;
}

// The time an entry without its own hour builds on: above in the same trip, else in the
// earlier trips.
bool TimeTableModel::findReferenceTime(int Col, int Row, int &Hour, int &Minute, bool &FromEarlierTrip) const
{
    FromEarlierTrip = false;
    if (FindPrevTimeInColumn(Col, Row, Hour, Minute))
        return true;
    FromEarlierTrip = true;
    return FindPrevTime(Col, Row, Hour, Minute);
}

std::optional<QString> TimeTableModel::interpretInterval(int Col, int Row, const QString &Text)
{
    const bool prefixed = Text[0] == QLatin1Char('a') || Text[0] == QLatin1Char('A');
    const QString number = prefixed ? Text.mid(1).trimmed() : Text.left(Text.size() - 3).trimmed();
    const int minutes = intOrMinusOne(number);
    if (!CanEnterInterval(Col, Row, minutes))
        return std::nullopt;
    if (Row < lastRow() && dialogs().askYesNo(QStringLiteral("Apply to all further stations?"))) {
        FillInterval(Col, Row, minutes);
        if (EnterPressed && Col < lastCol())
            FillDone = true;
    }
    return intervalText(minutes);
}

std::optional<QString> TimeTableModel::interpretCopy(int Col, int Row, const QString &Text)
{
    if (Text.size() == 1) {
        if (CheckCellAbove(Col, Row) || FindIntervalAbove(Col, Row))
            return sgTimeTable.cell(Col, Row - 1);
        return std::nullopt;
    }
    int trip = 0;
    QStringList lines;
    // Trip N stands in column N + 1; a number naming no trip column is no source.
    if (!parseInt(Text.mid(1).trimmed(), trip) || trip < 1 || trip + 1 > lastCol() ||
        !CopyTripShifted(Col, Row, lines, trip + 1))
        return std::nullopt;
    for (int i = 0; i < lines.size(); ++i)
        sgTimeTable.setCell(Col, Row + i, lines[i]);
    FillDone = true;
    return lines.value(0);
}

std::optional<QString> TimeTableModel::interpretAdd(int Col, int Row, const QString &Text) const
{
    int add = -1;
    int hour = 0, minute = 0;
    bool earlier = false;
    if (!parseInt(Text.mid(1).trimmed(), add) || add < 0 || add > 1439 ||
        !findReferenceTime(Col, Row, hour, minute, earlier))
        return std::nullopt;
    const int newMinute = (minute + add) % 60;
    const int newHour = (hour + (minute + add) / 60) % 24;
    if (!ValidateTime(Col, Row, newHour, newMinute))
        return std::nullopt;
    return FormatTime(newHour, newMinute);
}

// "930", "9:30", "9.3" (09:30), "12:45"; the separator stands after one or two digits.
std::optional<QString> TimeTableModel::interpretFullTime(int Col, int Row, const QString &Text) const
{
    QString digits = Text;
    qsizetype p = Text.indexOf(QLatin1Char(':')) + 1; // 1-based, 0 = none
    if (p == 0)
        p = Text.indexOf(QLatin1Char('.')) + 1;
    if (p > 0) {
        if (p == 1 || p > 3 || p == Text.size())
            return std::nullopt;
        digits = p == 2 ? QLatin1Char('0') + Text.left(1) + Text.mid(2) : Text.left(2) + Text.mid(3);
        if (digits.size() == 3)
            digits += QLatin1Char('0');
    }
    int v = 0;
    if (!allDigits(digits) || !parseInt(digits, v) || !ValidateTime(Col, Row, v / 100, v % 100))
        return std::nullopt;
    return FormatTime(v / 100, v % 100);
}

std::optional<QString> TimeTableModel::interpretMinutes(int Col, int Row, const QString &Text) const
{
    int m = -1;
    int hour = 0, minute = 0;
    bool earlier = false;
    if (!parseInt(Text, m) || m < 0 || m > 59 || !findReferenceTime(Col, Row, hour, minute, earlier))
        return std::nullopt;
    if (m < minute || (m == minute && earlier))
        hour = (hour + 1) % 24;
    if (!ValidateTime(Col, Row, hour, m))
        return std::nullopt;
    return FormatTime(hour, m);
}

bool TimeTableModel::InterpretCell()
{
    if (FillDone) {
        FillDone = false;
        return true;
    }
    const int col = sgTimeTable.col();
    const int row = sgTimeTable.row();
    const QString text = sgTimeTable.cell(col, row).trimmed();
    const QChar first = text.isEmpty() ? QChar() : text[0];

    std::optional<QString> result;
    if (text.isEmpty())
        result = QString();
    else if (first == QLatin1Char('a') || first == QLatin1Char('A') ||
             (text.size() >= 4 && text.right(3).compare(QLatin1String("min"), Qt::CaseInsensitive) == 0))
        result = interpretInterval(col, row, text);
    else if (first == QLatin1Char('=') || first == QLatin1Char('S') || first == QLatin1Char('s'))
        result = interpretCopy(col, row, text);
    else if (first == QLatin1Char('+'))
        result = interpretAdd(col, row, text);
    else if (!isDigit(first))
        result = std::nullopt;
    else if (text.size() >= 3)
        result = interpretFullTime(col, row, text);
    else
        result = interpretMinutes(col, row, text);

    if (FillDone) {
        // The entry wrote its cells itself; a refused entry typed into the cell next brings
        // back what the fill wrote, not the text from before the fill.
        OldCellText = sgTimeTable.cell(col, row);
        return false;
    }
    if (result)
        sgTimeTable.setCell(col, row, *result);
    else if (OldCellSaved)
        sgTimeTable.setCell(col, row, OldCellText);
    return result.has_value();
}

bool TimeTableModel::KeyPress(QChar Key)
{
    EnterPressed = Key == QChar(13);
    if (EnterPressed) {
        const int col = sgTimeTable.col();
        const int row = sgTimeTable.row();
        if (row < lastRow())
            SelectCell(col, row + 1);
        else if (col < lastCol())
            SelectCell(col + 1, FirstStopRow);
        EditOn();
        return false;
    }
    if (!OldCellSaved) {
        OldCellText = sgTimeTable.cell(sgTimeTable.col(), sgTimeTable.row());
        OldCellSaved = true;
    }
    // The key changes the cell's text: what the user types now is an entry of its own, not
    // the fill that was written into the cell before.
    FillDone = false;
    EditOn();
    return true;
}

void TimeTableModel::DeleteKeyDown()
{
    OldCellText = sgTimeTable.cell(sgTimeTable.col(), sgTimeTable.row());
    OldCellSaved = true;
    FillDone = false;
    EditOn();
}

bool TimeTableModel::SelectCell(int Col, int Row)
{
    if (Col == sgTimeTable.col() && Row == sgTimeTable.row())
        return true;
    if (InterpretCell()) {
        OldCellSaved = false;
        sgTimeTable.setCurrent(Col, Row);
        return true;
    }
    if (EnterPressed && FillDone) {
        // A fill confirmed with Enter goes on in the next trip; that move skips the
        // interpretation of the filled cell.
        EnterPressed = false;
        if (sgTimeTable.col() < lastCol())
            SelectCell(sgTimeTable.col() + 1, FirstStopRow);
        return false;
    }
    dialogs().beep();
    return false;
}

// Only a typed entry is interpreted: a cell the check before saving marked stays as it is,
// so the user can still save it anyway.
bool TimeTableModel::EndEntry()
{
    if (!OldCellSaved && !FillDone)
        return true;
    if (InterpretCell() || FillDone) {
        FillDone = false;
        OldCellSaved = false;
        EnterPressed = false;
        return true;
    }
    dialogs().beep();
    return false;
}

// Both changes of the stop rows show the save button, as every other edit does: the rows
// are saved with the trips.
void TimeTableModel::MarkerClick(int Row)
{
    if (Row < FirstStopRow || Row > lastRow())
        return;
    const QString marker = sgTimeTable.cell(0, Row);
    const int curRow = sgTimeTable.row();
    if (marker == QLatin1String("+")) {
        GridInsertRow(sgTimeTable, Row);
        sgTimeTable.setCell(0, Row, QStringLiteral("-"));
        sgTimeTable.setCell(0, Row + 1, QStringLiteral("-"));
        sgTimeTable.setCell(1, Row, sgTimeTable.cell(1, Row + 1));
        if (curRow >= Row)
            sgTimeTable.setCurrent(sgTimeTable.col(), curRow + 1);
        if (dialogs().askYesNoCancel(QStringLiteral("Insert same values?")) == DialogService::Answer::Yes)
            for (int c = FirstTripCol; c < sgTimeTable.colCount(); ++c)
                sgTimeTable.setCell(c, Row, sgTimeTable.cell(c, Row + 1));
        EditOn();
    } else if (marker == QLatin1String("-") && lastRow() > FirstStopRow) {
        const QString station = sgTimeTable.cell(1, Row);
        if (Row - 1 >= FirstStopRow && sgTimeTable.cell(1, Row - 1) == station)
            sgTimeTable.setCell(0, Row - 1, QStringLiteral("+"));
        else if (Row + 1 <= lastRow() && sgTimeTable.cell(1, Row + 1) == station)
            sgTimeTable.setCell(0, Row + 1, QStringLiteral("+"));
        GridDeleteRow(sgTimeTable, Row);
        if (curRow > Row || curRow > lastRow())
            sgTimeTable.setCurrent(sgTimeTable.col(), curRow - 1);
        EditOn();
    }
}

void TimeTableModel::SetMarkers()
{
    for (int r = FirstStopRow; r <= lastRow(); ++r) {
        const QString station = sgTimeTable.cell(1, r);
        const bool twice = (r + 1 <= lastRow() && sgTimeTable.cell(1, r + 1) == station) ||
                           (r - 1 >= FirstStopRow && sgTimeTable.cell(1, r - 1) == station);
        sgTimeTable.setCell(0, r, twice ? QStringLiteral("-") : QStringLiteral("+"));
    }
}

void TimeTableModel::MoveTripColumn(int From, int To)
{
    if (From < FirstTripCol || To < FirstTripCol || From > lastCol() || To > lastCol() || From == To)
        return;
    QStringList moved;
    for (int r = 0; r < sgTimeTable.rowCount(); ++r)
        moved << sgTimeTable.cell(From, r);
    const int step = From < To ? 1 : -1;
    for (int c = From; c != To; c += step)
        for (int r = 0; r < sgTimeTable.rowCount(); ++r)
            sgTimeTable.setCell(c, r, sgTimeTable.cell(c + step, r));
    for (int r = 0; r < sgTimeTable.rowCount(); ++r)
        sgTimeTable.setCell(To, r, moved[r]);
    for (int c = FirstTripCol; c < sgTimeTable.colCount(); ++c)
        sgTimeTable.setCell(c, 0, QString::number(c - 1));
    EditOn();
}

TimeTableModel::CheckResult TimeTableModel::CheckTimeTable()
{
    CheckResult result;
    QList<int> pairStarts;
    for (int r = FirstStopRow + 1; r <= lastRow(); ++r)
        if (sgTimeTable.cell(1, r) == sgTimeTable.cell(1, r - 1))
            pairStarts << r - 1;

    auto filled = [this](int c, int r) {
        const int state = GetCellState(c, r);
        return state == StateTime || state == StateInterval;
    };
    auto markError = [this, &result](int c, int r) {
        sgTimeTable.setCell(c, r, sgTimeTable.cell(c, r).replace(QLatin1Char(':'), QLatin1Char('*')));
        ++result.errors;
    };
    auto move = [this, &result](int c, int from, int to) {
        sgTimeTable.setCell(c, to, sgTimeTable.cell(c, from));
        sgTimeTable.setCell(c, from, QString());
        ++result.corrections;
    };
    auto clear = [this, &result](int c, int r) {
        sgTimeTable.setCell(c, r, QString());
        ++result.corrections;
    };

    for (int c = FirstTripCol; c <= lastCol(); ++c) {
        int first = -1;
        int last = -1;
        for (int r = FirstStopRow; r <= lastRow(); ++r) {
            if (GetCellState(c, r) == StateInvalid)
                ++result.errors;
            if (filled(c, r)) {
                if (first < 0)
                    first = r;
                last = r;
            }
        }
        if (first < 0)
            continue;
        if (first == last) {
            markError(c, first); // a trip that stops only once
            continue;
        }
        for (int d : pairStarts) {
            if (d < first || d >= last)
                continue;
            const QString upper = sgTimeTable.cell(c, d);
            const QString lower = sgTimeTable.cell(c, d + 1);
            if (d == first) {
                if (!filled(c, d + 1))
                    move(c, d, d + 1);
                else if (upper != lower)
                    markError(c, d);
                else
                    clear(c, d);
            } else if (d + 1 == last) {
                if (!filled(c, d))
                    move(c, d + 1, d);
                else if (upper != lower)
                    markError(c, d + 1);
                else
                    clear(c, d + 1);
            } else if (filled(c, d) && GetCellState(c, d + 1) == StateEmpty) {
                sgTimeTable.setCell(c, d + 1, sgTimeTable.cell(c, d));
                ++result.corrections;
            } else if (GetCellState(c, d) == StateEmpty && filled(c, d + 1)) {
                sgTimeTable.setCell(c, d, sgTimeTable.cell(c, d + 1));
                ++result.corrections;
            }
        }
    }
    return result;
}
