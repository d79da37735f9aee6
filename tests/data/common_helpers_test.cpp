#include "data/common_helpers.h"

#include "support/grid_rows.h"
#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// Each key after the filter, "_" for a dropped one.
QString filtered(const std::function<void(QChar &)> &filter, const char *keys)
{
    QString result;
    for (const char *key = keys; *key; ++key) {
        QChar k = QLatin1Char(*key);
        filter(k);
        result += k.isNull() ? QLatin1Char('_') : k;
    }
    return result;
}

// A grid whose cells hold their row and column; after the change, one line per row.
QString changed(int cols, int rows, void (*change)(StringGrid &, int), int index)
{
    StringGrid grid(cols, rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            grid.setCell(c, r, QString::number(r) + QString::number(c));
    change(grid, index);
    return gridRows(grid).join(QLatin1Char('\n'));
}

struct AnsiTextCase {
    const char *name;
    QString text;
    QString message; // empty: the text can be stored
};
void PrintTo(const AnsiTextCase &c, std::ostream *out) { *out << c.name; }

class AnsiTextCheck : public ::testing::TestWithParam<AnsiTextCase>
{
};

// One message names what cannot be stored, as a sentence: a control character cannot be shown in
// quotes, so the line break and the tab go by their names and the others by their codes.
TEST_P(AnsiTextCheck, NamesWhatCannotBeStoredInOneSentence)
{
    ScriptedDialogs dialogs;
    const AnsiTextCase &c = GetParam();
    EXPECT_EQ(CheckAnsiText(c.text), c.message.isEmpty());
    EXPECT_EQ(dialogs.messages, c.message.isEmpty() ? QStringList() : QStringList{c.message});
}

const QString kCannot = QStringLiteral(" cannot be stored in the project files.");

const AnsiTextCase kAnsiTextCases[] = {
    {"Empty", QString(), QString()},
    {"GermanLetters", QStringLiteral("Straße"), QString()},
    {"Windows1252Signs", QStringLiteral("€ Äpfel „Ö“"), QString()},
    // The blank and the characters from U+0080 are no control characters of a file.
    {"BlankAndNoBreakSpace", QStringLiteral("a b\u00a0c"), QString()},
    {"OneLetter", QStringLiteral("Łx"), QStringLiteral("The character \"Ł\"") + kCannot},
    {"TwoLetters", QStringLiteral("Łódź"), QStringLiteral("The characters \"Ł\" and \"ź\"") + kCannot},
    {"RepeatedLettersOnce", QStringLiteral("東京 東京 🚉"),
     QStringLiteral("The characters \"東\", \"京\" and \"🚉\"") + kCannot},
    {"LineBreak", QStringLiteral("Nord\nSüd"), QStringLiteral("A line break") + kCannot},
    {"CarriageReturnAndNewLine", QStringLiteral("Nord\r\nSüd"), QStringLiteral("A line break") + kCannot},
    {"Tab", QStringLiteral("a\tb"), QStringLiteral("A tab") + kCannot},
    {"LineBreakAndTab", QStringLiteral("a\r\nb\tc\nd"), QStringLiteral("A line break and a tab") + kCannot},
    {"OtherControls", QString(QChar(0)) + QStringLiteral("\x7f\x1f"),
     QStringLiteral("The characters U+0000, U+007F and U+001F") + kCannot},
    {"LetterAndTab", QStringLiteral("Łx\t"), QStringLiteral("The character \"Ł\" and a tab") + kCannot},
    {"LettersControlAndBreak", QStringLiteral("Łź\x01\n"),
     QStringLiteral("The characters \"Ł\", \"ź\", U+0001 and a line break") + kCannot},
};

INSTANTIATE_TEST_SUITE_P(Texts, AnsiTextCheck, ::testing::ValuesIn(kAnsiTextCases),
                         [](const ::testing::TestParamInfo<AnsiTextCase> &info) { return info.param.name; });

} // namespace

TEST(KeyFilters, SimpleFilters)
{
    int focusMoves = 0;
    EXPECT_EQ(filtered([&](QChar &k) { EnterToNextControl([&] { ++focusMoves; }, k); }, "\rx"), "_x");
    EXPECT_EQ(focusMoves, 1);
    EXPECT_EQ(filtered(DigitKeyFilter, "07-a\b"), "07__\b");
    // A point is entered as the decimal comma, and neither goes in a second time.
    EXPECT_EQ(filtered([](QChar &k) { DecimalKeyFilter("12", k); }, ".,5a"), ",,5_");
    EXPECT_EQ(filtered([](QChar &k) { DecimalKeyFilter("1,2", k); }, ".,5\b"), "__5\b");
    EXPECT_EQ(filtered(HexKeyFilter, "cF9g\b"), "CF9_\b");
}

TEST(KeyFilters, IntegerKeyFilter)
{
    // The field after the key as "text|caret|key", the key "0" when dropped.
    auto field = [](const char *text, int caret, int selStart, int selLength, char key) {
        EditField edit{QString::fromLatin1(text), caret, selStart, selLength};
        QChar k = QLatin1Char(key);
        IntegerKeyFilter(edit.text, &edit, k);
        EXPECT_FALSE(edit.hasSelectedText());
        return QStringLiteral("%1|%2|%3").arg(edit.text).arg(edit.cursorPosition).arg(k.isNull() ? QChar('0') : k);
    };
    EXPECT_EQ(field("12", 2, 0, 0, '-'), "12|0|-");   // the minus goes in front
    EXPECT_EQ(field("-12", 3, 0, 0, '-'), "-12|3|0"); // only once
    EXPECT_EQ(field("-12", 3, 0, 0, 'x'), "-12|3|0");
    EXPECT_EQ(field("-12", 0, 0, 0, '5'), "-12|1|5");   // never in front of the minus
    EXPECT_EQ(field("-1234", 4, 2, 2, '9'), "-14|2|9"); // the selection goes first
    EXPECT_EQ(field("-12", 3, 0, 3, '4'), "|0|4");
    EXPECT_EQ(field("12345", 4, 1, 3, '\b'), "15|1|0"); // backspace deletes the selection only

    QChar key = QLatin1Char('-'); // not an edit field
    IntegerKeyFilter("3", nullptr, key);
    EXPECT_EQ(key, QLatin1Char('-'));
}

TEST(IntArraysAndStrings, IndexOfSortSplitAndUpperFirst)
{
    QList<int> values{5, 3, 9, 3, -1};
    EXPECT_EQ(IntArrayIndexOf(values, 3), 1);
    EXPECT_EQ(IntArrayIndexOf(values, 7), -1);
    SortIntArray(values);
    EXPECT_EQ(values, (QList<int>{-1, 3, 3, 5, 9}));

    // The list is appended to, not cleared.
    QStringList list{"kept"};
    EXPECT_EQ(SplitString(";5;6", list, QLatin1Char(';')), 3);
    EXPECT_EQ(list, (QStringList{"kept", "", "5", "6"}));
    for (const auto &[text, pieces] : {std::pair{"a;;b", 3}, {"a;b;", 2}, {"", 0}}) {
        QStringList l;
        EXPECT_EQ(SplitString(text, l, QLatin1Char(';')), pieces) << text;
        EXPECT_EQ(l.size(), pieces) << text;
    }

    EXPECT_EQ(UpperFirst("above"), "Above");
    EXPECT_EQ(UpperFirst(""), "");
}

TEST(StringGrids, ClearInsertDelete)
{
    EXPECT_EQ(changed(
                  3, 3, [](StringGrid &g, int) { ClearGridCells(g); }, 0),
              "00|01|02\n10||\n20||");
    EXPECT_EQ(changed(2, 3, GridInsertRow, 1), "00|01\n|\n10|11\n20|21");
    EXPECT_EQ(changed(2, 3, GridInsertRow, 3), "00|01\n10|11\n20|21\n|"); // after the last row
    EXPECT_EQ(changed(2, 3, GridDeleteRow, 1), "00|01\n20|21");
    EXPECT_EQ(changed(3, 2, GridInsertCol, 0), "|00|01|02\n|10|11|12");
    EXPECT_EQ(changed(5, 2, GridDeleteCol, 4), "00|01|02|03\n10|11|12|13");
    EXPECT_EQ(changed(5, 2, GridDeleteCol, 0), "01|02|03|04\n11|12|13|14");
    // An index outside the grid changes nothing.
    EXPECT_EQ(changed(2, 2, GridDeleteRow, 7), "00|01\n10|11");
    EXPECT_EQ(changed(2, 2, GridDeleteCol, -1), "00|01\n10|11");
}

namespace {

struct MultipleCase {
    int a, b, lcm;
};
void PrintTo(const MultipleCase &c, std::ostream *out) { *out << c.a << " and " << c.b; }

class LeastCommonMultipleOf : public ::testing::TestWithParam<MultipleCase>
{
};

} // namespace

TEST_P(LeastCommonMultipleOf, TwoPositiveNumbers)
{
    EXPECT_EQ(LeastCommonMultiple(GetParam().a, GetParam().b), GetParam().lcm);
}

INSTANTIATE_TEST_SUITE_P(Arithmetic, LeastCommonMultipleOf,
                         ::testing::Values(MultipleCase{4, 6, 12}, MultipleCase{6, 4, 12}, MultipleCase{5, 5, 5},
                                           MultipleCase{1, 7, 7}, MultipleCase{9998, 9997, 9998 * 9997}),
                         [](const ::testing::TestParamInfo<MultipleCase> &info) {
                             return std::to_string(info.param.a) + "_" + std::to_string(info.param.b);
                         });

TEST(Arithmetic, LeastCommonMultipleOutOfRange)
{
    EXPECT_THROW(LeastCommonMultiple(2147483647, 2147483646), std::range_error);
    EXPECT_THROW(LeastCommonMultiple(0, 5), std::invalid_argument);
    EXPECT_THROW(LeastCommonMultiple(5, -3), std::invalid_argument);
}
