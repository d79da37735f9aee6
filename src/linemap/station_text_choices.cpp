#include "linemap/station_text_choices.h"

#include <iterator>

#include "data/db_linemap.h"
#include "linemap/linemap_records.h"
#include "linemap/plan_style_rules.h"

namespace {

constexpr int kAny = 1000; // not compared when a stored row is shown

struct Choice
{
    const char *text;
    int position;
    int textDirection;
    int rotation;
};

// Horizontal sections: side, alignment and rotation all count, except the rotation of a
// centred name.
const Choice kWE[] = {
    {"above, left aligned, horizontal", 0, 0, 0},   {"above, left aligned, diagonal", 0, 0, 45},
    {"above, left aligned, vertical", 0, 0, 90},    {"above, center", 0, 1, kAny},
    {"above, right aligned, horizontal", 0, 2, 0},  {"above, right aligned, diagonal", 0, 2, -45},
    {"above, right aligned, vertical", 0, 2, -90},  {"below, left aligned, horizontal", 1, 0, 0},
    {"below, left aligned, diagonal", 1, 0, -45},   {"below, left aligned, vertical", 1, 0, -90},
    {"below, center", 1, 1, kAny},                  {"below, right aligned, horizontal", 1, 2, 0},
    {"below, right aligned, diagonal", 1, 2, 45},   {"below, right aligned, vertical", 1, 2, 90},
};
// Vertical sections: the alignment is not used.
const Choice kNS[] = {
    {"left to line, horizontal", 0, kAny, 0},      {"left to line, diagonal up", 0, kAny, -45},
    {"left to line, diagonal down", 0, kAny, 45},  {"right of line, horizontal", 1, kAny, 0},
    {"right of line, diagonal up", 1, kAny, 45},   {"right of line, diagonal down", 1, kAny, -45},
};
// Diagonal sections: only the side.
const Choice kDiagonal[] = {
    {"above the line", 0, kAny, kAny},
    {"below line", 1, kAny, kAny},
};

struct ChoiceTable
{
    const Choice *items = nullptr;
    int count = 0;
};

ChoiceTable tableOf(int Degree)
{
    switch (DirectionClassOf(Degree)) {
    case dcWE: return {kWE, int(std::size(kWE))};
    case dcNS: return {kNS, int(std::size(kNS))};
    case dcNWSE:
    case dcSWNE: return {kDiagonal, int(std::size(kDiagonal))};
    default: return {};
    }
}

} // namespace

QStringList StationTextPositionItems(int Degree)
{
    const ChoiceTable t = tableOf(Degree);
    QStringList items;
    for (int i = 0; i < t.count; ++i)
        items << QString::fromLatin1(t.items[i].text);
    return items;
}

bool StationTextChoiceValues(int Degree, int Item, int &Position, int &TextDirection, int &Rotation)
{
    const ChoiceTable t = tableOf(Degree);
    if (Item < 0 || Item >= t.count)
        return false;
    const Choice &c = t.items[Item];
    Position = c.position;
    // Columns the class does not use are stored as 0, as the plan defaults hold them.
    TextDirection = c.textDirection == kAny ? 0 : c.textDirection;
    Rotation = c.rotation == kAny ? 0 : c.rotation;
    return true;
}

int StationTextChoiceIndex(int Degree, int Position, int TextDirection, int Rotation)
{
    const ChoiceTable t = tableOf(Degree);
    for (int i = 0; i < t.count; ++i) {
        const Choice &c = t.items[i];
        if (c.position != Position)
            continue;
        if (c.textDirection != kAny && c.textDirection != TextDirection)
            continue;
        if (c.rotation != kAny && c.rotation != Rotation)
            continue;
        return i;
    }
    return -1;
}

int MultiStationForcedAlign(int Position)
{
    switch (Position) {
    case 0: case 1: case 2: case 6: case 9: return 0;
    case 3: case 4: case 5: case 8: case 11: return 2;
    default: return -1;
    }
}

QStringList MultiStationDirectionItems(int Position, int Align)
{
    if (Position < 0 || Position > 11)
        return {};
    // The plan list's transfer rules hold the item lists; ask them with a record of these values.
    TLineMapPrefs probe;
    probe.MultiStationPosition = std::uint8_t(Position);
    probe.MultiStationAlign = std::uint8_t(Align >= 0 && Align <= 2 ? Align : 0);
    return MultiStationView(probe).DirectionItems;
}

int MultiStationDirectionIndex(int Position, int Rotation)
{
    if (Position < 0 || Position > 11)
        return -1;
    switch (Rotation) {
    case 0: return 0;
    case -90: return Position == 7 || Position == 10 ? -1 : 2; // those two lists hold two items
    case -45: return Position <= 2 ? 2 : 1;
    case 45: return Position >= 3 && Position <= 5 ? 2 : 1;
    case 90:
        if (Position == 7 || Position == 10)
            return 1;
        return Position == 6 || Position == 8 || Position == 9 || Position == 11 ? 2 : -1;
    default: return -1;
    }
}
