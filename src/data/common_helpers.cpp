#include "data/common_helpers.h"

#include "platform/ansi.h"
#include "platform/dialog_service.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <numeric>
#include <stdexcept>

namespace {

const QChar Backspace(8);
const QChar Enter(13);

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

void EnterToNextControl(const std::function<void()> &FocusNext, QChar &Key)
{
    if (Key != Enter)
        return;
    if (FocusNext)
        FocusNext();
    Key = QChar();
}

void DigitKeyFilter(QChar &Key)
{
    if (Key != Backspace && !isDigit(Key))
        Key = QChar();
}

void DecimalKeyFilter(const QString &Text, QChar &Key)
{
    if (Key == Backspace || isDigit(Key))
        return;
    if ((Key == QLatin1Char(',') || Key == QLatin1Char('.')) && !Text.contains(QLatin1Char(',')))
        Key = QLatin1Char(',');
    else
        Key = QChar();
}

void HexKeyFilter(QChar &Key)
{
    if (Key == Backspace || isDigit(Key) || (Key >= QLatin1Char('A') && Key <= QLatin1Char('F')))
        return;
    if (Key >= QLatin1Char('a') && Key <= QLatin1Char('f'))
        Key = Key.toUpper();
    else
        Key = QChar();
}

void IntegerKeyFilter(const QString &Text, EditField *Edit, QChar &Key)
{
    if (Key != Backspace && !isDigit(Key)) {
        if (Key == QLatin1Char('-') && !Text.contains(QLatin1Char('-'))) {
            if (Edit) {
                Edit->cursorPosition = 0;
                Edit->selectionStart = 0;
                Edit->selectionLength = 0;
            }
        } else {
            Key = QChar();
        }
        return;
    }
    if (!Edit)
        return;
    if (Edit->hasSelectedText()) {
        const int start = qBound(0, Edit->selectionStart, int(Edit->text.size()));
        Edit->text.remove(start, Edit->selectionLength);
        Edit->cursorPosition = start;
        Edit->selectionStart = start;
        Edit->selectionLength = 0;
        if (Key == Backspace) {
            Key = QChar();
            return;
        }
    }
    if (isDigit(Key) && Edit->text.startsWith(QLatin1Char('-')) && Edit->cursorPosition == 0)
        Edit->cursorPosition = 1;
}

int IntArrayIndexOf(const QList<int> &Array, int Value)
{
    return int(Array.indexOf(Value));
}

void SortIntArray(QList<int> &Array)
{
    std::sort(Array.begin(), Array.end());
}

int SplitString(const QString &Text, QStringList &List, QChar Separator)
{
    const QStringList pieces = Text.split(Separator);
    int count = 0;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        // Only the piece after the last separator is dropped when empty.
        if (i == pieces.size() - 1 && pieces[i].isEmpty())
            break;
        List << pieces[i];
        ++count;
    }
    return count;
}

QString UpperFirst(const QString &Text)
{
    if (Text.isEmpty())
        return Text;
    QString result = Text;
    result[0] = result[0].toUpper();
    return result;
}

void ClearGridCells(StringGrid &Grid)
{
    for (int r = Grid.fixedRows(); r < Grid.rowCount(); ++r)
        for (int c = Grid.fixedCols(); c < Grid.colCount(); ++c)
            Grid.setCell(c, r, QString());
}

void GridInsertRow(StringGrid &Grid, int Index)
{
    if (Index < 0 || Index > Grid.rowCount())
        return;
    Grid.setRowCount(Grid.rowCount() + 1);
    for (int r = Grid.rowCount() - 1; r > Index; --r)
        for (int c = 0; c < Grid.colCount(); ++c)
            Grid.setCell(c, r, Grid.cell(c, r - 1));
    for (int c = 0; c < Grid.colCount(); ++c)
        Grid.setCell(c, Index, QString());
}

void GridInsertCol(StringGrid &Grid, int Index)
{
    if (Index < 0 || Index > Grid.colCount())
        return;
    Grid.setColCount(Grid.colCount() + 1);
    for (int c = Grid.colCount() - 1; c > Index; --c)
        for (int r = 0; r < Grid.rowCount(); ++r)
            Grid.setCell(c, r, Grid.cell(c - 1, r));
    for (int r = 0; r < Grid.rowCount(); ++r)
        Grid.setCell(Index, r, QString());
}

void GridDeleteRow(StringGrid &Grid, int Index)
{
    if (Index < 0 || Index >= Grid.rowCount())
        return;
    for (int r = Index; r < Grid.rowCount() - 1; ++r)
        for (int c = 0; c < Grid.colCount(); ++c)
            Grid.setCell(c, r, Grid.cell(c, r + 1));
    Grid.setRowCount(Grid.rowCount() - 1);
}

void GridDeleteCol(StringGrid &Grid, int Index)
{
    if (Index < 0 || Index >= Grid.colCount())
        return;
    for (int c = Index; c < Grid.colCount() - 1; ++c)
        for (int r = 0; r < Grid.rowCount(); ++r)
            Grid.setCell(c, r, Grid.cell(c + 1, r));
    for (int r = 0; r < Grid.rowCount(); ++r)
        Grid.setCell(Grid.colCount() - 1, r, QString());
    Grid.setColCount(Grid.colCount() - 1);
}

int LeastCommonMultiple(int A, int B)
{
    if (A <= 0 || B <= 0)
        throw std::invalid_argument("LeastCommonMultiple needs two positive numbers");
    // The same number as adding the larger one until the smaller divides the sum, without
    // walking up to it step by step.
    const std::int64_t lcm = std::int64_t(A) / std::gcd(A, B) * B;
    if (lcm > std::numeric_limits<int>::max())
        throw std::range_error("LeastCommonMultiple out of range");
    return int(lcm);
}

bool CheckAnsiText(const QString &text)
{
    const QString bad = ansi::unencodable(text);
    QStringList characters; // shown in quotes, or by their code where they cannot be shown
    for (qsizetype i = 0; i < bad.size(); ++i) {
        const qsizetype len = bad[i].isHighSurrogate() && i + 1 < bad.size() ? 2 : 1;
        characters.append(QLatin1Char('"') + bad.mid(i, len) + QLatin1Char('"'));
        i += len - 1;
    }
    QStringList named; // the line break and the tab are called by their names
    for (const QString &control : ansi::controlCharacterNames(text)) {
        if (control.startsWith(QStringLiteral("U+")))
            characters.append(control);
        else
            named.append(QStringLiteral("a ") + control);
    }
    if (characters.isEmpty() && named.isEmpty())
        return true;
    QStringList items = characters + named;
    if (!characters.isEmpty())
        items[0] = (characters.size() == 1 ? QStringLiteral("the character ") : QStringLiteral("the characters ")) +
                   items[0];
    QString listed = items.constLast();
    if (items.size() > 1)
        listed = items.mid(0, items.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") + listed;
    listed[0] = listed[0].toUpper();
    dialogs().showMessage(listed + QStringLiteral(" cannot be stored in the project files."));
    return false;
}
