#include "web/html_scan.h"

#include <algorithm>
#include <vector>

namespace {

constexpr QChar Blank = QLatin1Char(' ');
constexpr QChar Quote = QLatin1Char('"');
constexpr QChar Apostrophe = QLatin1Char('\'');
constexpr QChar Less = QLatin1Char('<');
constexpr QChar Greater = QLatin1Char('>');
constexpr QChar Equals = QLatin1Char('=');

// 0-based index range [from, to) of the text, lower-cased.
QString lowerPart(const QString &text, qsizetype from, qsizetype to)
{
    return text.mid(from, std::max<qsizetype>(0, to - from)).toLower();
}

} // namespace

bool ScanNextTag(const QString &Text, int Start, QString &Name, int &TagStart, int &TagEnd)
{
    enum { Outside = 0, Comment = 1, Quoted = 3, AfterLess = 4, InName = 5, AfterName = 6 };
    int state = Outside;
    qsizetype tagStart = 0;
    qsizetype nameStart = 0;
    const qsizetype n = Text.size();
    for (qsizetype i = std::max(1, Start) - 1; i < n; ++i) {
        const QChar c = Text[i];
        switch (state) {
        case Outside:
            if (c == Less) {
                tagStart = i;
                state = AfterLess;
            } else if (c == Quote) {
                state = Quoted;
            }
            break;
        case Quoted:
            if (c == Quote)
                state = Outside;
            break;
        case AfterLess:
            if (c == Greater)
                state = Outside; // "<>" is no tag
            else if (c != Blank && c != Quote && c != Apostrophe && c != Less) {
                nameStart = i;
                state = InName;
            }
            break;
        case InName:
            if (c == Blank || c == Greater) {
                const QString name = Text.mid(nameStart, i - nameStart);
                if (name == QLatin1String("!--")) {
                    state = Comment;
                    break;
                }
                Name = name.toLower();
                if (c == Blank) {
                    state = AfterName;
                    break;
                }
                TagStart = int(tagStart + 1);
                TagEnd = int(i + 1);
                return true;
            }
            break;
        case AfterName:
            if (c == Greater) {
                TagStart = int(tagStart + 1);
                TagEnd = int(i + 1);
                return true;
            }
            break;
        case Comment:
            if (c == Greater && i >= 2 && Text[i - 1] == QLatin1Char('-') && Text[i - 2] == QLatin1Char('-'))
                state = Outside;
            break;
        }
    }
    return false;
}

void ParseTagAttributes(const QString &TagText, QStringList &List)
{
    List.clear();
    enum { BeforeName, TagName, Between, AttrName, AfterAttrName, AfterEquals, Unquoted, SingleQuoted, DoubleQuoted };
    int state = BeforeName;
    qsizetype start = 0;
    QString pending;
    const qsizetype end = TagText.size() - 1; // the ">" (or whatever stands last) is not read
    for (qsizetype i = 1; i < end; ++i) {
        const QChar c = TagText[i];
        const bool plain = c != Blank && c != Quote && c != Apostrophe && c != Equals;
        switch (state) {
        case BeforeName:
            if (plain) {
                start = i;
                state = TagName;
            }
            break;
        case TagName:
            if (c == Blank) {
                List << QStringLiteral("tagname=") + lowerPart(TagText, start, i);
                state = Between;
            }
            break;
        case Between:
            if (plain) {
                start = i;
                state = AttrName;
            }
            break;
        case AttrName:
            if (c == Blank) {
                pending = lowerPart(TagText, start, i);
                state = AfterAttrName;
            } else if (c == Equals) {
                pending = lowerPart(TagText, start, i) + Equals;
                state = AfterEquals;
            }
            break;
        case AfterAttrName:
            if (c == Equals) {
                pending += Equals;
                state = AfterEquals;
            } else if (plain) {
                List << pending; // a bare attribute
                start = i;
                state = AttrName;
            }
            break;
        case AfterEquals:
            if (c == Quote) {
                start = i + 1;
                state = DoubleQuoted;
            } else if (c == Apostrophe) {
                start = i + 1;
                state = SingleQuoted;
            } else if (plain) {
                start = i;
                state = Unquoted;
            }
            break;
        case Unquoted:
            if (c == Blank) {
                List << pending + lowerPart(TagText, start, i);
                pending.clear();
                state = Between;
            }
            break;
        case SingleQuoted:
            if (c == Apostrophe) {
                List << pending + lowerPart(TagText, start, i);
                state = Between;
            }
            break;
        case DoubleQuoted:
            if (c == Quote) {
                List << pending + lowerPart(TagText, start, i);
                state = Between;
            }
            break;
        }
    }
    switch (state) {
    case TagName:
        List << QStringLiteral("tagname=") + lowerPart(TagText, start, end);
        break;
    case Unquoted:
        List << pending + lowerPart(TagText, start, end);
        break;
    case AttrName:
    case AfterAttrName:
    case AfterEquals:
    case SingleQuoted:
    case DoubleQuoted:
        List << lowerPart(TagText, start, end);
        break;
    default:
        break;
    }
}

int ReadNextTag(const QString &Text, int Start, QStringList &List, int &NextPos)
{
    QString name;
    int tagStart = 0;
    int tagEnd = 0;
    if (!ScanNextTag(Text, Start, name, tagStart, tagEnd))
        return 0;
    ParseTagAttributes(Text.mid(tagStart - 1, tagEnd - tagStart + 1), List);
    NextPos = tagEnd + 1;
    return tagStart;
}

int ExtractNextTag(const QString &Text, int Start, QString &Inner, int &NextPos)
{
    const qsizetype open = Text.indexOf(Less, std::max(1, Start) - 1);
    if (open < 0)
        return 0;
    const qsizetype close = Text.indexOf(Greater, open);
    if (close < 0)
        return 0;
    Inner = Text.mid(open + 1, close - open - 1).trimmed();
    NextPos = int(close + 2);
    return int(open + 1);
}

bool FindTag(const QString &Text, int Start, const QString &Name, int &TagEnd, int &TagStart)
{
    const QString wanted = Name.toLower();
    QString name;
    int tagStart = 0;
    int tagEnd = 0;
    int from = Start;
    while (ScanNextTag(Text, from, name, tagStart, tagEnd)) {
        if (name == wanted) {
            TagEnd = tagEnd;
            TagStart = tagStart;
            return true;
        }
        from = tagEnd + 1;
    }
    return false;
}

int FindElement(const QString &Text, int Start, const QString &Name, int &After)
{
    int openEnd = 0;
    int openStart = 0;
    if (!FindTag(Text, Start, Name, openEnd, openStart))
        return 0;
    int closeEnd = 0;
    int closeStart = 0;
    if (!FindTag(Text, openEnd + 1, QLatin1Char('/') + Name, closeEnd, closeStart))
        return 0;
    After = closeEnd + 1;
    return openStart;
}

// One pass gives what removing the first tag again and again gives: after a removal the
// next "<" is searched behind the removed one, since none stood before it.
QString StripTags(const QString &Text)
{
    QString result;
    result.reserve(Text.size());
    qsizetype from = 0;
    while (from < Text.size()) {
        const qsizetype open = Text.indexOf(Less, from);
        const qsizetype close = open < 0 ? -1 : Text.indexOf(Greater, open);
        if (close < 0)
            break;
        result += QStringView(Text).mid(from, open - from);
        from = close + 1;
    }
    result += QStringView(Text).mid(from);
    return result;
}

bool HTMLTableToGrid(const QString &TableText, StringGrid &Grid, const TextWidthFunction &TextWidth)
{
    // The cells are gathered first and handed to the grid once: growing the grid cell by
    // cell would copy it again for every new column.
    std::vector<std::vector<QString>> rows;
    int colCount = 0;
    int row = -1;
    int column = -1;
    bool inRow = false;
    bool inCell = false;
    int cellStart = 0;
    QStringList list;
    int pos = 1;
    for (;;) {
        int next = 0;
        const int tagStart = ReadNextTag(TableText, pos, list, next);
        if (tagStart == 0)
            break;
        pos = next;
        const QString name = list.value(0).section(Equals, 1);
        if (name == QLatin1String("tr")) {
            inRow = true;
            ++row;
            if (qint64(row + 1) * std::max(colCount, 1) > MaxTableGridCells)
                return false;
            rows.emplace_back();
            column = -1;
        } else if (name == QLatin1String("/tr")) {
            inRow = false;
        } else if ((name == QLatin1String("td") || name == QLatin1String("th")) && inRow) {
            inCell = true;
            cellStart = next;
        } else if ((name == QLatin1String("/td") || name == QLatin1String("/th")) && inCell) {
            inCell = false;
            ++column;
            if (column >= colCount) {
                colCount = column + 1;
                if (qint64(colCount) * std::max<qint64>(qint64(rows.size()), 1) > MaxTableGridCells)
                    return false;
            }
            auto &cells = rows[size_t(row)];
            if (cells.size() <= size_t(column))
                cells.resize(size_t(column) + 1);
            cells[size_t(column)] = StripTags(TableText.mid(cellStart - 1, std::max(0, tagStart - cellStart)));
        }
    }

    const int defaultWidth = Grid.defaultColWidth();
    Grid.setColCount(0);
    Grid.setRowCount(0);
    Grid.setColCount(colCount);
    Grid.setRowCount(int(rows.size()));
    std::vector<int> widths(size_t(colCount), defaultWidth);
    for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t c = 0; c < rows[r].size(); ++c) {
            const QString &text = rows[r][c];
            Grid.setCell(int(c), int(r), text);
            if (TextWidth && !text.isEmpty())
                widths[c] = std::max(widths[c], TextWidth(text));
        }
    }
    if (TextWidth) {
        for (int c = 0; c < colCount; ++c)
            Grid.setColWidth(c, widths[size_t(c)]);
    }
    return true;
}
