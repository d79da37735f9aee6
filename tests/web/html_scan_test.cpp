#include "web/html_scan.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include <algorithm>
#include <ctime>
#include <utility>

namespace {

struct Tag {
    bool found = false;
    QString name;
    int start = 0;
    int end = 0;
};

Tag scan(const QString &text, int start = 1)
{
    Tag t;
    t.found = ScanNextTag(text, start, t.name, t.start, t.end);
    return t;
}

QStringList attributes(const QString &tag)
{
    QStringList list;
    ParseTagAttributes(tag, list);
    return list;
}

QStringList row(const StringGrid &g, int r)
{
    QStringList cells;
    for (int c = 0; c < g.colCount(); ++c)
        cells << g.cell(c, r);
    return cells;
}

} // namespace

TEST(ScanNextTag, FindsTheNextTagWithItsPositions)
{
    const Tag t = scan(QStringLiteral("ab<TD class=x>c"));
    ASSERT_TRUE(t.found);
    EXPECT_EQ(t.name, "td");
    EXPECT_EQ(t.start, 3);
    EXPECT_EQ(t.end, 14);
    const Tag plain = scan(QStringLiteral("<b>x</b>"), 2);
    ASSERT_TRUE(plain.found);
    EXPECT_EQ(plain.name, "/b");
    EXPECT_EQ(plain.start, 5);
}

namespace {

// A text with a comment and the first tag found in it ("" for none) with its start.
struct CommentCase {
    const char *name;
    const char *text;
    const char *tag;
    int start;
};
void PrintTo(const CommentCase &c, std::ostream *out) { *out << c.name; }

class CommentInAPage : public ::testing::TestWithParam<CommentCase>
{
};

} // namespace

// A comment is skipped up to the next "-->", whatever ">" or "->" stands in it before; only
// an opening followed by a blank or ">" opens one.
TEST_P(CommentInAPage, IsSkippedUpToItsClosing)
{
    const CommentCase &c = GetParam();
    const Tag t = scan(QString::fromLatin1(c.text));
    EXPECT_EQ(t.found, *c.tag != 0);
    EXPECT_EQ(t.name, QString::fromLatin1(c.tag));
    EXPECT_EQ(t.start, c.start);
}

INSTANTIATE_TEST_SUITE_P(
    ScanNextTag, CommentInAPage,
    ::testing::Values(CommentCase{"OpenedWithABlank", "<!-- <td> --><tr>", "tr", 14},
                      CommentCase{"OpenedWithGreaterThan", "<!--><td>--><th>", "th", 13},
                      CommentCase{"GluedToItsTextIsATag", "<!--x--><tr>", "!--x--", 1},
                      CommentCase{"ArrowInside", "<!-- a -> <td> --><tr>", "tr", 19},
                      CommentCase{"ArrowGluedToAWord", "<!-- a-><td> --><tr>", "tr", 17},
                      CommentCase{"GreaterThanInside", "<!-- a > <td> --><tr>", "tr", 18},
                      CommentCase{"DashAndLetterBeforeGreaterThan", "<!-- -x> <td> --><tr>", "tr", 18},
                      CommentCase{"ClosedWithThreeDashes", "<!-- a ---><tr>", "tr", 12},
                      CommentCase{"OnlyAnArrowNeverCloses", "<!-- a -> <td> -> <tr>", "", 0}),
    [](const ::testing::TestParamInfo<CommentCase> &info) { return std::string(info.param.name); });

TEST(ScanNextTag, QuotesOutsideTagsHideTagsAndEmptyOrOpenTagsAreNone)
{
    EXPECT_EQ(scan(QStringLiteral("\"<td>\"<tr>")).name, "tr");
    EXPECT_FALSE(scan(QStringLiteral("a < b and c")).found);
    EXPECT_FALSE(scan(QStringLiteral("<td class=x")).found);
    EXPECT_FALSE(scan(QStringLiteral("<td")).found);
    EXPECT_FALSE(scan(QStringLiteral("<>")).found);
    EXPECT_FALSE(scan(QString()).found);
    // Inside a tag a ">" in a quoted value ends the tag.
    EXPECT_EQ(scan(QStringLiteral("<a title=\"x>y\">")).end, 12);
}

TEST(ParseTagAttributes, NamesAndValuesLowerCasedWithoutQuotes)
{
    EXPECT_EQ(attributes(QStringLiteral("<TD class=\"A\">")), QStringList({"tagname=td", "class=a"}));
    EXPECT_EQ(attributes(QStringLiteral("<td nowrap>")), QStringList({"tagname=td", "nowrap"}));
    EXPECT_EQ(attributes(QStringLiteral("<td nowrap width=5 title='a b=c' x = \"Y\">")),
              QStringList({"tagname=td", "nowrap", "width=5", "title=a b=c", "x=y"}));
    EXPECT_EQ(attributes(QStringLiteral("<td a b>")), QStringList({"tagname=td", "a", "b"}));
    EXPECT_EQ(attributes(QStringLiteral("<td a=\"open>")), QStringList({"tagname=td", "open"}));
    EXPECT_EQ(attributes(QStringLiteral("<TR>")), QStringList({"tagname=tr"}));
    EXPECT_TRUE(attributes(QStringLiteral("<>")).isEmpty());
    EXPECT_TRUE(attributes(QStringLiteral("<")).isEmpty());
    EXPECT_TRUE(attributes(QString()).isEmpty());
}

TEST(ReadAndExtract, PositionsAfterTheTag)
{
    QStringList list;
    int next = 0;
    EXPECT_EQ(ReadNextTag(QStringLiteral("x<td a=1>y"), 1, list, next), 2);
    EXPECT_EQ(next, 10);
    EXPECT_EQ(list, QStringList({"tagname=td", "a=1"}));
    EXPECT_EQ(ReadNextTag(QStringLiteral("no tags"), 1, list, next), 0);

    QString inner;
    EXPECT_EQ(ExtractNextTag(QStringLiteral("ab< b >c"), 1, inner, next), 3);
    EXPECT_EQ(inner, "b");
    EXPECT_EQ(next, 8);
    EXPECT_EQ(ExtractNextTag(QStringLiteral("a<b"), 1, inner, next), 0);
}

TEST(FindElement, FirstClosingTagEndsTheElement)
{
    const QString text = QStringLiteral("x<table><table>a</table>b</TABLE>");
    int after = 0;
    EXPECT_EQ(FindElement(text, 1, QStringLiteral("TABLE"), after), 2);
    EXPECT_EQ(after, 25);
    EXPECT_EQ(FindElement(QStringLiteral("<table>open"), 1, QStringLiteral("table"), after), 0);
    EXPECT_EQ(FindElement(QStringLiteral("</table>"), 1, QStringLiteral("table"), after), 0);
    int end = 0, start = 0;
    EXPECT_TRUE(FindTag(text, 3, QStringLiteral("table"), end, start));
    EXPECT_EQ(start, 9);
}

TEST(StripTags, RemovesTagsAndKeepsTheText)
{
    EXPECT_EQ(StripTags(QStringLiteral("a<b>1</b> <i>2")), "a1 2");
    EXPECT_EQ(StripTags(QStringLiteral("a < b")), "a < b");
    EXPECT_EQ(StripTags(QStringLiteral("a > b <x> c")), "a > b  c");
    EXPECT_EQ(StripTags(QStringLiteral("<<a>>")), ">");
    EXPECT_EQ(StripTags(QStringLiteral("&nbsp;<br>")), "&nbsp;");
}

TEST(HTMLTableToGrid, RowsAndCellsAsThePageHasThem)
{
    StringGrid grid(3, 3);
    grid.setCell(0, 0, "old");
    const QString html = QStringLiteral("<table><tr><td>1</td><td><b>2</b></td></tr><tr><th>x</th></tr></table>");
    ASSERT_TRUE(HTMLTableToGrid(html, grid, {}));
    ASSERT_EQ(grid.rowCount(), 2);
    ASSERT_EQ(grid.colCount(), 2);
    EXPECT_EQ(row(grid, 0), QStringList({"1", "2"}));
    EXPECT_EQ(row(grid, 1), QStringList({"x", ""}));

    // A cell commented out stays out, also when the comment holds an arrow.
    const QString commented =
        QStringLiteral("<table><tr><td>1</td><!-- Bus -> Bahn <td>x</td> --><td>2</td></tr></table>");
    ASSERT_TRUE(HTMLTableToGrid(commented, grid, {}));
    ASSERT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(row(grid, 0), QStringList({"1", "2"}));
}

TEST(HTMLTableToGrid, EmptyRowsStayCellsOutsideRowsAreIgnoredAndTextIsNotTrimmed)
{
    StringGrid grid(0, 0);
    const QString html =
        QStringLiteral("<td>out</td><tr></tr><tr><td colspan=2> a &amp; b </td><td>c</td></tr></table>");
    ASSERT_TRUE(HTMLTableToGrid(html, grid, {}));
    ASSERT_EQ(grid.rowCount(), 2);
    EXPECT_EQ(row(grid, 0), QStringList({"", ""}));
    EXPECT_EQ(row(grid, 1), QStringList({" a &amp; b ", "c"}));
}

TEST(HTMLTableToGrid, AutoWidthTakesTheWidestTextOfAColumn)
{
    StringGrid grid(0, 0);
    grid.setDefaultColWidth(32);
    const auto width = [](const QString &s) { return int(s.size()) * 10; };
    ASSERT_TRUE(HTMLTableToGrid(QStringLiteral("<tr><td>ab</td><td>abcdefgh</td></tr><tr><td>abcde</td></tr>"), grid,
                                width));
    EXPECT_EQ(grid.colWidth(0), 50);
    EXPECT_EQ(grid.colWidth(1), 80);
}

TEST(HTMLTableToGrid, ATableBeyondTheBoundLeavesTheGridAsItWas)
{
    StringGrid grid(2, 1);
    grid.setCell(1, 0, "kept");
    QString html;
    html.reserve(2100000);
    html += QStringLiteral("<tr><td>1</td><td>2</td></tr>");
    for (int i = 0; i < 1000001; ++i)
        html += QStringLiteral("<tr>");
    EXPECT_FALSE(HTMLTableToGrid(html, grid, {}));
    EXPECT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.cell(1, 0), "kept");
}

// Random, truncated and mutated HTML: every routine must return, in time about linear in
// the input.
TEST(HtmlScanFuzz, AnyInputEndsWithoutCrashOrHang)
{
    const QString pieces[] = {"<", ">", "<td>", "</td>", "<tr>", "</tr>", "<table>", "</table>", "<!--", "-->",
                              "\"", "'", " ", "=", "<th class=\"a\">", "x", QString(QChar(0)), "<!-- ", "<<", "<b"};
    auto *rng = QRandomGenerator::global();
    for (int round = 0; round < 300; ++round) {
        QString text;
        const int n = int(rng->bounded(400));
        for (int i = 0; i < n; ++i)
            text += pieces[rng->bounded(int(std::size(pieces)))];
        text.truncate(int(rng->bounded(text.size() + 1)));
        StringGrid grid(0, 0);
        HTMLTableToGrid(text, grid, [](const QString &s) { return int(s.size()); });
        StripTags(text);
        QStringList list;
        int next = 0;
        int pos = 1;
        while (int start = ReadNextTag(text, pos, list, next)) {
            ASSERT_GT(next, start);
            pos = next;
        }
        int after = 0;
        FindElement(text, 1, QStringLiteral("table"), after);
        ParseTagAttributes(text, list);
    }
}

TEST(HtmlScanFuzz, MutatedTimetablePagesStillGiveAGridOrNone)
{
    const QString page = QStringLiteral(
        "<html><body><!-- Fahrplan --><p class=\"x\">Linie 1</p><table border='1'>"
        "<tr><th>Halt</th><th nowrap>1</th></tr><tr><td>Nord</td><td><b>08:00</b></td></tr>"
        "<tr><td>S\u00fcd</td><td>08:05</td></tr></table></body></html>");
    const QString inserts[] = {"<", ">", "\"", "'", "<!--", "-->", QString(QChar(0)), " ", "</td>", "<tr>"};
    auto *rng = QRandomGenerator::global();
    for (int round = 0; round < 2000; ++round) {
        QString text = page;
        const int edits = 1 + int(rng->bounded(6));
        for (int e = 0; e < edits; ++e) {
            const int at = int(rng->bounded(text.size() + 1));
            switch (rng->bounded(3)) {
            case 0:
                text.remove(at, int(rng->bounded(8)));
                break;
            case 1:
                text.insert(at, inserts[rng->bounded(int(std::size(inserts)))]);
                break;
            default:
                text.truncate(at);
                break;
            }
        }
        StringGrid grid(0, 0);
        ASSERT_TRUE(HTMLTableToGrid(text, grid, [](const QString &s) { return int(s.size()); }));
        EXPECT_LE(qint64(grid.rowCount()) * grid.colCount(), 64);
        QString inner;
        int next = 0;
        int pos = 1;
        while (ExtractNextTag(text, pos, inner, next) != 0) {
            ASSERT_GT(next, pos);
            pos = next;
        }
        EXPECT_LE(StripTags(text).size(), text.size());
    }
}

// Every routine takes time about linear in its input: each input is timed at two sizes, a
// quarter and the whole, by the processor time of this thread, so other work on the machine
// does not count. Linear work grows about four times, work that grows with the square of the
// input sixteen times.
TEST(HtmlScanFuzz, HugeInputsTakeLinearTime)
{
    const auto timed = [](const QString &text) {
        timespec from{}, to{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &from);
        StringGrid grid(0, 0);
        HTMLTableToGrid(text, grid, {});
        StripTags(text);
        QStringList list;
        ParseTagAttributes(text, list);
        int after = 0;
        FindElement(text, 1, QStringLiteral("table"), after);
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &to);
        return std::max<qint64>((to.tv_sec - from.tv_sec) * 1'000'000'000LL + to.tv_nsec - from.tv_nsec, 5'000'000);
    };
    // A layout cell that holds a whole page, a huge tag, deep nesting, an open comment,
    // an open quote and "<" without ">"; n is the size at which each is timed whole.
    using Input = QString (*)(int);
    const std::pair<const char *, Input> inputs[] = {
        {"layout cell",
         [](int n) {
             return QStringLiteral("<table><tr><td>") + QStringLiteral("<span>x</span>").repeated(n / 10) +
                    QStringLiteral("</td></tr></table>");
         }},
        {"huge tag", [](int n) { return QStringLiteral("<td ") + QString(n, QLatin1Char('a')) + QStringLiteral(">"); }},
        {"deep nesting", [](int n) { return QStringLiteral("<tr><td>").repeated(n / 10); }},
        {"open comment", [](int n) { return QStringLiteral("<!-- ") + QStringLiteral("<td>").repeated(n / 5); }},
        {"open quote", [](int n) { return QStringLiteral("\"") + QStringLiteral("<td>").repeated(n / 5); }},
        {"no closing bracket", [](int n) { return QStringLiteral("<").repeated(n); }},
        {"open attribute", [](int n) { return QStringLiteral("<a b='").repeated(n / 10); }},
    };
    constexpr int n = 1'000'000;
    // The fastest of three runs: a run that shared the caches with other work does not count.
    const auto fastest = [&](const QString &text) { return std::min({timed(text), timed(text), timed(text)}); };
    for (const auto &[name, input] : inputs) {
        const qint64 quarter = fastest(input(n / 4));
        const qint64 whole = fastest(input(n));
        EXPECT_LT(whole, 10 * quarter) << name << ": " << quarter / 1000 << " us, then " << whole / 1000 << " us";
    }
}
