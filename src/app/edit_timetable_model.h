#pragma once

#include "data/timetable_cells.h"
#include "platform/string_grid.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The timetable editor's grid and its cell language, without the window: one stop row per
// grid row (from row 2), one trip per grid column (from column 2). Column 0 holds the
// marker of a station that stands twice, column 1 the station name.
//
// Cell texts: empty (no stop), "N Min" (trips every N minutes from the time to the left)
// or "hh:mm"; anything else is invalid. The window owns one model, shows sgTimeTable and
// hands its key presses, cell changes and marker clicks to it.
class TimeTableModel
{
public:
    static constexpr int ColCount = 512;
    static constexpr int FirstTripCol = 2;
    static constexpr int FirstStopRow = 2;

    // Results of GetTimeStringState / GetCellState.
    enum CellState { StateInvalid = 0, StateTime = 1, StateInterval = 2, StateEmpty = 3 };

    TimeTableModel();

    StringGrid sgTimeTable;

    bool TimeTableModified = false;
    QString OldCellText;       // the current cell's text before the first key stroke in it
    bool OldCellSaved = false; // OldCellText belongs to the current cell
    bool EnterPressed = false; // the last key in the grid was Enter
    bool FillDone = false;     // a multi-cell fill was just written: skip the next interpretation

    // Told whether the save button is to be shown.
    std::function<void(bool)> SaveButtonVisible;
    void EditOn();
    void EditOff();

    static QString FormatTime(int Hour, int Minute);
    static bool ParseTime(const QString &Text, int &Hour, int &Minute);
    static int TimeToMinutes(const QString &Text);
    static int StringToInterval(const QString &Text);
    static CellState GetTimeStringState(const QString &Text);
    CellState GetCellState(int Col, int Row) const;

    // Searches to the left and upwards; see the .cpp for the ranges.
    int FindPrevCellInRow(int Col, int Row, int &FoundCol) const;
    bool FindPrevTimeInColumn(int Col, int Row, int &Hour, int &Minute) const;
    bool FindPrevTime(int Col, int Row, int &Hour, int &Minute) const;
    bool FindPrevTimeInRow(int Col, int Row, int &Hour, int &Minute) const;

    bool ValidateTime(int Col, int Row, int Hour, int Minute) const;
    bool CanEnterInterval(int Col, int Row, int Minutes) const;
    void FillInterval(int Col, int Row, int Minutes);
    bool CheckCellAbove(int Col, int Row) const;
    bool FindIntervalAbove(int Col, int Row) const;
    bool CopyTripShifted(int Col, int Row, QStringList &List, int SourceCol) const;

    // Interprets the typed text of the current cell and writes the result into it.
    // False: the entry was refused (old text back) or a fill has just been written.
    bool InterpretCell();

    // Editing rhythm. KeyPress takes every character typed in the grid (Enter is '\r') and
    // returns false when the key is swallowed (Enter, which moves the cursor itself).
    bool KeyPress(QChar Key);
    void DeleteKeyDown();
    // The cursor is asked to leave the current cell for (Col, Row). The typed entry is
    // interpreted first; returns true when the cursor went there. Otherwise the current
    // cell of sgTimeTable tells where it stands: the same cell (after a beep) or the next
    // trip column after a fill confirmed with Enter.
    bool SelectCell(int Col, int Row);
    // Ends a typed entry in the current cell without moving, as leaving it would (before a
    // save, a paste or a marker click). False, after a beep, when the entry was refused.
    bool EndEntry();

    // Marker column: a click on column 0 of a stop row. The cursor stays on its stop row.
    void MarkerClick(int Row);
    // Markers after a load: "-" on both rows of a station that stands twice, else "+".
    void SetMarkers();
    // A trip column dragged from one place to another; the trip numbers follow the order.
    void MoveTripColumn(int From, int To);

    struct CheckResult {
        int errors = 0;
        int corrections = 0;
    };
    // The check before saving: marks what it cannot accept ("*" for ":") and corrects the
    // doubled stations at a trip's start, end and inside.
    CheckResult CheckTimeTable();

private:
    int lastRow() const { return sgTimeTable.rowCount() - 1; }
    int lastCol() const { return sgTimeTable.colCount() - 1; }
    bool findReferenceTime(int Col, int Row, int &Hour, int &Minute, bool &FromEarlierTrip) const;

    // One entry form each: the text the cell is to hold, or nothing for a refused entry. An
    // entry that writes several cells itself sets FillDone.
    std::optional<QString> interpretInterval(int Col, int Row, const QString &Text);
    std::optional<QString> interpretCopy(int Col, int Row, const QString &Text);
    std::optional<QString> interpretAdd(int Col, int Row, const QString &Text) const;
    std::optional<QString> interpretFullTime(int Col, int Row, const QString &Text) const;
    std::optional<QString> interpretMinutes(int Col, int Row, const QString &Text) const;
};
