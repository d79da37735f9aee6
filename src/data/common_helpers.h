#pragma once

#include "platform/string_grid.h"

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Small routines shared by the windows and the table code. None keeps state and none
// touches a widget: a window's key handler hands its key (and, where needed, its text and
// caret) to a filter and applies the result to its own control.

// The editable state of a one-line edit field, as a key filter sees it.
struct EditField {
    QString text;
    int cursorPosition = 0;
    int selectionStart = 0;
    int selectionLength = 0; // 0 = nothing selected

    bool hasSelectedText() const { return selectionLength > 0; }
};

// Key filters. Each lets the key through unchanged, changes it, or sets it to the null
// character (the key is dropped). Backspace (character 8) always passes.

// Enter asks for the next control (FocusNext) and is dropped; every other key passes.
void EnterToNextControl(const std::function<void()> &FocusNext, QChar &Key);
// Digits only.
void DigitKeyFilter(QChar &Key);
// Digits and one decimal comma; a typed point becomes the comma.
void DecimalKeyFilter(const QString &Text, QChar &Key);
// Digits and A to F; a to f become upper case.
void HexKeyFilter(QChar &Key);
// Digits and one leading minus. Text is the field's text as the key arrives; Edit is the
// field itself or nullptr when the control is not an edit field (then caret and selection
// are not touched). A minus puts the caret at the start, so it lands in front; a digit is
// never entered in front of a leading minus. A selection is removed before a digit or
// backspace: the caret then stands where the selection began, and a backspace has done
// its work with that and is dropped (it would otherwise delete one character more).
void IntegerKeyFilter(const QString &Text, EditField *Edit, QChar &Key);

// The index of the first element equal to Value, -1 when there is none.
int IntArrayIndexOf(const QList<int> &Array, int Value);
// Sorts ascending in place.
void SortIntArray(QList<int> &Array);

// Appends every piece between separators to List (which is not cleared), empty pieces
// included, and the piece after the last separator only when it is not empty. Returns the
// number of pieces appended: "a;;b" gives 3, "a;b;" gives 2, "" gives 0.
int SplitString(const QString &Text, QStringList &List, QChar Separator);
// The text with its first character in upper case.
QString UpperFirst(const QString &Text);

// String grids: the fixed rows and columns are never emptied by ClearGridCells; the
// insert and delete routines move whole rows (all columns) or whole columns (all rows).
// An index outside the grid changes nothing.
void ClearGridCells(StringGrid &Grid);
void GridInsertRow(StringGrid &Grid, int Index);
void GridInsertCol(StringGrid &Grid, int Index);
void GridDeleteRow(StringGrid &Grid, int Index);
void GridDeleteCol(StringGrid &Grid, int Index);

// The least common multiple of two positive integers. Throws std::range_error when it
// does not fit in an int and std::invalid_argument when an argument is 0 or negative.
int LeastCommonMultiple(int A, int B);

// True when every character of the text can be stored in the project's files
// (Windows-1252, and no control character such as a line break or a tab). Otherwise shows
// one message naming the characters that cannot be stored and returns false. Every field that takes a name or text the user types calls
// it before anything is stored, so no character is ever silently replaced.
bool CheckAnsiText(const QString &text);
