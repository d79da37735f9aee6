#include "linemap/linemap_render_stations.h"

#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>
#include <vector>

#include "data/data_module_1.h"
#include "data/db_func.h"
#include "linemap/draw_geometry.h"
#include "linemap/linemap_canvas.h"
#include "linemap/linemap_render.h"
#include "linemap/plan_style_rules.h"
#include "linemap/plan_tables.h"
#include "linemap/style_preview.h"
#include "platform/table.h"

namespace {

quint64 sectionKey(int LineID, int SectionID)
{
    return (quint64(quint32(LineID)) << 32) | quint32(SectionID);
}

// Stored bytes from a file may hold any number; one that no byte holds becomes 255, which no
// table knows, instead of wrapping round onto a valid value.
std::uint8_t toByte(int v)
{
    return v < 0 || v > 255 ? std::uint8_t(255) : std::uint8_t(v);
}

// The name-placement columns that the station and transfer-name rows share.
struct PlacementColumns
{
    explicit PlacementColumns(const Table &t)
        : position(Column(t, "Position")), offsetX(Column(t, "OffsetX")), offsetY(Column(t, "OffsetY")),
          textDirection(Column(t, "TextDirection")), rotation(Column(t, "Rotation"))
    {
    }
    TStationDirectionPrefs read(const TableRow &t) const
    {
        TStationDirectionPrefs p;
        p.Position = toByte(IntAt(t, position));
        p.OffsetX = IntAt(t, offsetX);
        p.OffsetY = IntAt(t, offsetY);
        p.TextDirection = toByte(IntAt(t, textDirection));
        p.Rotation = IntAt(t, rotation);
        return p;
    }
    int position, offsetX, offsetY, textDirection, rotation;
};

struct Placement
{
    int lineID, sectionID, stationID, x, y;
};

std::vector<Placement> readPlacements(const TLineMapEditorState &State)
{
    std::vector<Placement> rows;
    const bool leaveOutEdited = State.LineMode || State.StationMode;
    Table &table = dm1->cdsLineMapStations;
    const int cLine = Column(table, "LineID"), cSection = Column(table, "LineSectionID"),
              cStation = Column(table, "StationID"), cX = Column(table, "XPos"), cY = Column(table, "YPos");
    ReadRows(table, QStringLiteral("idxStationID"), [&](const TableRow &t) {
        const Placement p{IntAt(t, cLine), IntAt(t, cSection), IntAt(t, cStation), IntAt(t, cX), IntAt(t, cY)};
        if (!leaveOutEdited || p.lineID != State.CurrentLineID)
            rows.push_back(p);
    });
    return rows;
}

// A name font as the painter holds it, with its colour and its metrics on the painter's
// picture. Made once per drawing: a QFont made afresh for every name looks its font engine up
// again each time.
struct NameFont
{
    QFont font;
    QPen pen;
    QFontMetrics metrics;
    int ascent;
    int height;
};

NameFont makeNameFont(QPainter &Canvas, const FontValue &Value)
{
    Canvas.setFont(PlanFont(Value));
    const QFontMetrics metrics = PlanFontMetrics(Canvas);
    return {Canvas.font(), PlanPen(Value.color, 1), metrics, metrics.ascent(), metrics.height()};
}

enum NameKind { StationName = 0, TransferName = 1 };

// The painter of one drawing and its two name fonts (station and transfer names), each made
// when first used and set on the painter only when the other one was set before.
class NamePainter
{
public:
    NamePainter(QPainter &Canvas, const TLineMapPrefs &Prefs) : canvas(Canvas), m_prefs(Prefs) {}

    // Sets the painter up for a name: its font, the font's colour, no brush, no background.
    const NameFont &select(NameKind Kind)
    {
        std::optional<NameFont> &font = m_fonts[Kind];
        if (!font)
            font = makeNameFont(canvas, Kind == StationName ? m_prefs.StationFont : m_prefs.MultiStationFont);
        else if (m_selected != Kind)
            canvas.setFont(font->font);
        m_selected = Kind;
        canvas.setPen(font->pen);
        canvas.setBrush(Qt::NoBrush);
        canvas.setBackgroundMode(Qt::TransparentMode);
        return *font;
    }
    // A text's extent as PlanTextExtent gives it: advance width by font height.
    static QSize extent(const NameFont &Font, const QString &Text)
    {
        return QSize(Font.metrics.horizontalAdvance(Text), Font.height);
    }
    void write(const NameFont &Font, QPoint P, int Angle, const QString &Text)
    {
        TextOutAngle(canvas, P.x(), P.y(), Angle, Text, Font.ascent);
    }

    QPainter &canvas;

private:
    const TLineMapPrefs &m_prefs;
    std::optional<NameFont> m_fonts[2];
    int m_selected = -1;
};

void symbolPenAndBrush(QPainter &Canvas)
{
    SetPlanPen(Canvas, 0x000000, 1);
    SetPlanBrush(Canvas, 0xFFFFFF);
}

// The station name of State.StationTextPrefs at the origin its placement gives for a station
// at P; a placement outside the tables writes it at P.
void writeStationName(NamePainter &Names, const TLineMapEditorState &State, QPoint P)
{
    const NameFont &font = Names.select(StationName);
    const TStationTextPrefs &t = State.StationTextPrefs;
    // Measuring a name shapes it as writing it does again; most placements need only its height.
    const int width = StationNameNeedsWidth(DirectionClassOf(t.Degree), t.Position, t.TextDirection)
                          ? font.metrics.horizontalAdvance(t.StationName)
                          : 0;
    StationTextOrigin(t, State.Prefs.LineDrawWidth, width, font.height, P);
    Names.write(font, P, t.Rotation, t.StationName);
}

void drawStation(NamePainter &Names, const TLineMapEditorState &State)
{
    const TStationTextPrefs &t = State.StationTextPrefs;
    DrawStationSymbol(Names.canvas, State.Prefs, t.X, t.Y);
    writeStationName(Names, State, QPoint(t.X, t.Y));
}

void drawNamedStation(NamePainter &Names, TLineMapEditorState &State, const TStationDrawLookup &Lookup, int X,
                      int Y, int StationID, int SectionID, int LineID)
{
    LoadStationTextPrefs(State, Lookup, X, Y, StationID, SectionID, LineID);
    drawStation(Names, State);
}

void drawParallelMultiStation(NamePainter &Names, TLineMapEditorState &State, const TStationDrawLookup &Lookup,
                              int MinX, int MaxX, int MinY, int MaxY, int Degree, int LineID, int SectionID,
                              int StationID);
void drawGeneralMultiStation(NamePainter &Names, const TLineMapEditorState &State, const TStationDrawLookup &Lookup,
                             int MinX, int MaxX, int MinY, int MaxY, int StationID, const QString &Name);

} // namespace

bool TStationDrawLookup::DegreeOf(int LineID, int SectionID, int &Degree) const
{
    const auto found = SectionDegree.constFind(sectionKey(LineID, SectionID));
    if (found == SectionDegree.constEnd())
        return false;
    Degree = found.value();
    return true;
}

TStationDrawLookup ReadStationDrawLookup(int LineMapID)
{
    TStationDrawLookup look;
    {
        Table &table = dm1->cdsLineMapLineSections;
        const int cMap = Column(table, "LineMapID"), cLine = Column(table, "LineID"),
                  cSection = Column(table, "SectionID"), cDegree = Column(table, "Degree");
        ReadRows(table, QStringLiteral("idxMapLineSection"), [&](const TableRow &t) {
            if (IntAt(t, cMap) == LineMapID) {
                const quint64 key = sectionKey(IntAt(t, cLine), IntAt(t, cSection));
                if (!look.SectionDegree.contains(key))
                    look.SectionDegree.insert(key, IntAt(t, cDegree));
            }
        });
    }
    {
        Table &table = dm1->cdsStations;
        const int cID = Column(table, "ID"), cName = Column(table, "Station");
        ReadRows(table, QString(), [&](const TableRow &t) {
            const int id = IntAt(t, cID);
            if (!look.StationNames.contains(id))
                look.StationNames.insert(id, t.field(cName).asString());
        });
    }
    {
        Table &table = dm1->cdsLineMapIndividualStationPrefs;
        const int cLine = Column(table, "LineID"), cType = Column(table, "IDType"), cValue = Column(table, "IDValue");
        const PlacementColumns placement(table);
        ReadRows(table, QStringLiteral("idxLineIDTypeValue"), [&](const TableRow &t) {
            look.Overrides.emplace(std::make_tuple(IntAt(t, cLine), IntAt(t, cType), IntAt(t, cValue)),
                                   placement.read(t));
        });
    }
    {
        Table &table = dm1->cdsLineMapIndividualMultiStationPrefs;
        const int cStation = Column(table, "StationID");
        const PlacementColumns placement(table);
        ReadRows(table, QStringLiteral("idxStationID"), [&](const TableRow &t) {
            const int id = IntAt(t, cStation);
            if (!look.MultiOverrides.contains(id))
                look.MultiOverrides.insert(id, placement.read(t));
        });
    }
    return look;
}

void LoadStationTextPrefs(TLineMapEditorState &State, const TStationDrawLookup &Lookup, int X, int Y, int StationID,
                          int SectionID, int LineID)
{
    TStationTextPrefs &p = State.StationTextPrefs;
    p.X = X;
    p.Y = Y;
    int degree = 90; // a placement without its section row is named as on a horizontal section
    Lookup.DegreeOf(LineID, SectionID, degree);
    p.Degree = degree;
    const int cls = DirectionClassOf(degree);
    p.StationName = Lookup.StationNames.value(StationID);

    const TStationDirectionPrefs *found = nullptr;
    for (const auto &key : {std::make_tuple(LineID, 0, StationID), std::make_tuple(LineID, 1, SectionID),
                            std::make_tuple(LineID, 2, cls)}) {
        const auto it = Lookup.Overrides.find(key);
        if (it != Lookup.Overrides.end()) {
            found = &it->second;
            break;
        }
    }
    const TStationDirectionPrefs &use = found ? *found : StationPrefs(State.Prefs, cls < 0 ? dcWE : cls);
    p.Position = use.Position;
    p.OffsetX = use.OffsetX;
    p.OffsetY = use.OffsetY;
    p.TextDirection = use.TextDirection;
    p.Rotation = use.Rotation;
}

void LoadStationTextPrefs(TLineMapEditorState &State, int X, int Y, int StationID, int SectionID, int LineID)
{
    LoadStationTextPrefs(State, ReadStationDrawLookup(State.LineMapID), X, Y, StationID, SectionID, LineID);
}

bool StationTextOrigin(const TStationTextPrefs &Text, int LineDrawWidth, int W, int H, QPoint &P)
{
    const int cls = DirectionClassOf(Text.Degree);
    if (cls < 0 || Text.Position > 1 || (cls == dcWE && Text.TextDirection > 2))
        return false;
    P = StationNameOrigin(cls, Text.Position, Text.TextDirection, Text.Rotation, Text.OffsetX, Text.OffsetY, Text.X,
                          Text.Y, W, H, LineDrawWidth, false);
    return true;
}

void ComputeStationTextOrigin(QPainter &Canvas, const TLineMapEditorState &State, QPoint &P)
{
    NamePainter names(Canvas, State.Prefs);
    const QSize extent = NamePainter::extent(names.select(StationName), State.StationTextPrefs.StationName);
    StationTextOrigin(State.StationTextPrefs, State.Prefs.LineDrawWidth, extent.width(), extent.height(), P);
}

void DrawStationSymbol(QPainter &Canvas, const TLineMapPrefs &Prefs, int X, int Y)
{
    const PlanInt d = std::max(Prefs.LineDrawWidth, 6);
    const PlanInt x = X;
    const PlanInt y = Y;
    symbolPenAndBrush(Canvas);
    PlanEllipse(Canvas, x - d / 2, y - d / 2, x + (d + 1) / 2, y + (d + 1) / 2);
}

void DrawStation(QPainter &Canvas, TLineMapEditorState &State)
{
    NamePainter names(Canvas, State.Prefs);
    drawStation(names, State);
}

void DrawCurrentLineStations(QPainter &Canvas, TLineMapEditorState &State)
{
    if (State.Stations.empty())
        return;
    const TStationDrawLookup look = ReadStationDrawLookup(State.LineMapID);
    NamePainter names(Canvas, State.Prefs);
    for (const TLineStation &stop : State.Stations)
        if (stop.On)
            drawNamedStation(names, State, look, stop.XPos, stop.YPos, stop.StationID, stop.LineSectionID,
                             State.CurrentLineID);
}

void DrawStations(QPainter &Canvas, TLineMapEditorState &State)
{
    const std::vector<Placement> rows = readPlacements(State);
    if (rows.empty())
        return;
    const TStationDrawLookup look = ReadStationDrawLookup(State.LineMapID);
    const TLineMapPrefs &prefs = State.Prefs;
    NamePainter names(Canvas, prefs);

    if (!State.ShowMultiStations) {
        // One name per station, the further placements as bare symbols.
        for (size_t i = 0; i < rows.size(); ++i) {
            const Placement &r = rows[i];
            if (i == 0 || rows[i - 1].stationID != r.stationID)
                drawNamedStation(names, State, look, r.x, r.y, r.stationID, r.sectionID, r.lineID);
            else
                DrawStationSymbol(Canvas, prefs, r.x, r.y);
        }
        return;
    }

    size_t begin = 0;
    while (begin < rows.size()) {
        const int id = rows[begin].stationID;
        const Placement &head = rows[begin];
        int minX = head.x, maxX = head.x, minY = head.y, maxY = head.y;
        int count = 1;
        bool parallel = prefs.MultiStationRoundParallel;
        const Placement *chosen = &head;
        int previousDegree = -1;
        bool previousKnown = look.DegreeOf(head.lineID, head.sectionID, previousDegree);
        size_t end = begin + 1;
        for (; end < rows.size() && rows[end].stationID == id; ++end) {
            const Placement &r = rows[end];
            minX = std::min(minX, r.x);
            maxX = std::max(maxX, r.x);
            minY = std::min(minY, r.y);
            maxY = std::max(maxY, r.y);
            ++count;
            int degree = -1;
            const bool known = look.DegreeOf(r.lineID, r.sectionID, degree);
            if (parallel) {
                // A placement whose section is missing, or whose section runs in none of the
                // eight directions (a damaged file), has no direction to be parallel in.
                if (!known || !previousKnown || DirectionClassOf(degree) < 0 || DirectionClassOf(previousDegree) < 0)
                    parallel = false;
                else if (degree % 180 != previousDegree % 180)
                    parallel = false;
                else if (previousDegree % 90 == 0 && minY != maxY && minX != maxX)
                    parallel = false;
                else if (previousDegree % 90 == 45)
                    parallel = PlanInt(maxX) - minX == PlanInt(maxY) - minY;
                else
                    parallel = true;
            }
            if (!parallel) {
                chosen = &r;
            } else {
                const int cls = DirectionClassOf(previousDegree);
                const int side = StationPrefs(prefs, cls < 0 ? dcWE : cls).Position;
                if (cls == dcNS) {
                    if ((side == 0 && r.x == minX) || (side == 1 && r.x == maxX))
                        chosen = &r;
                } else if ((side == 0 && r.y == minY) || (side == 1 && r.y == maxY)) {
                    chosen = &r;
                }
            }
            previousDegree = degree;
            previousKnown = known;
        }

        const Placement &last = rows[end - 1];
        const QString name = look.StationNames.value(id);
        if (count == 1) {
            if (State.ShowStations)
                drawNamedStation(names, State, look, minX, minY, id, chosen->sectionID, chosen->lineID);
        } else if (minX == maxX && minY == maxY) {
            if (prefs.MultiStationRoundSelfPos && prefs.MultiStationTextInheritSelfPos)
                drawNamedStation(names, State, look, minX, minY, id, chosen->sectionID, chosen->lineID);
            else
                drawGeneralMultiStation(names, State, look, minX, maxX, minY, maxY, id, name);
        } else if (parallel) {
            int degree = -1;
            look.DegreeOf(last.lineID, last.sectionID, degree);
            drawParallelMultiStation(names, State, look, minX, maxX, minY, maxY, degree, chosen->lineID,
                                     chosen->sectionID, id);
        } else {
            drawGeneralMultiStation(names, State, look, minX, maxX, minY, maxY, id, name);
        }
        begin = end;
    }
}

void DrawParallelMultiStation(QPainter &Canvas, TLineMapEditorState &State, const TStationDrawLookup &Lookup,
                              int MinX, int MaxX, int MinY, int MaxY, int Degree, int LineID, int SectionID,
                              int StationID, const QString &Name)
{
    Q_UNUSED(Name); // the name comes with the placement's name setting
    NamePainter names(Canvas, State.Prefs);
    drawParallelMultiStation(names, State, Lookup, MinX, MaxX, MinY, MaxY, Degree, LineID, SectionID, StationID);
}

namespace {

void drawParallelMultiStation(NamePainter &Names, TLineMapEditorState &State, const TStationDrawLookup &Lookup,
                              int RowMinX, int RowMaxX, int RowMinY, int RowMaxY, int Degree, int LineID,
                              int SectionID, int StationID)
{
    QPainter &Canvas = Names.canvas;
    const TLineMapPrefs &prefs = State.Prefs;
    // The row's ends and the symbol size come from the files: all in 64 bits.
    const PlanInt MinX = RowMinX, MaxX = RowMaxX, MinY = RowMinY, MaxY = RowMaxY;
    const PlanInt d = std::max(prefs.LineDrawWidth, 6);
    const PlanInt a = d / 2;
    const PlanInt b = (d + 1) / 2;
    const PlanInt k = Rnd(std::sqrt((d / 2.0) * (d / 2.0) / 2));
    auto circle = [&](PlanInt x, PlanInt y) {
        symbolPenAndBrush(Canvas);
        PlanEllipse(Canvas, x - a, y - a, x + b, y + b);
    };
    auto polygon = [&](std::initializer_list<std::pair<PlanInt, PlanInt>> points) {
        SetPlanPen(Canvas, 0xFFFFFF, 1);
        SetPlanBrush(Canvas, 0xFFFFFF);
        PlanPolygon(Canvas, points);
    };
    QPoint namePoint;
    switch (DirectionClassOf(Degree)) {
    case dcNS: {
        const PlanInt y = MinY;
        circle(MinX, y);
        circle(MaxX, y);
        SetPlanPen(Canvas, 0x000000, 1);
        PlanLine(Canvas, MinX, y - a, MaxX, y - a);
        PlanLine(Canvas, MinX, y + b - 1, MaxX, y + b - 1);
        SetPlanPen(Canvas, 0xFFFFFF, 1);
        SetPlanBrush(Canvas, 0xFFFFFF);
        PlanRectangle(Canvas, MinX - 1, y - a + 1, MaxX + 1, y + b - 1);
        namePoint = StationPrefs(prefs, dcNS).Position == 0 ? QPoint(RowMinX, RowMinY) : QPoint(RowMaxX, RowMinY);
        break;
    }
    case dcWE: {
        const PlanInt x = MinX;
        circle(x, MinY);
        circle(x, MaxY);
        SetPlanPen(Canvas, 0x000000, 1);
        PlanLine(Canvas, x - a, MinY, x - a, MaxY);
        PlanLine(Canvas, x + b - 1, MinY, x + b - 1, MaxY);
        SetPlanPen(Canvas, 0xFFFFFF, 1);
        SetPlanBrush(Canvas, 0xFFFFFF);
        PlanRectangle(Canvas, x - a + 1, MinY - 1, x + b - 1, MaxY + 1);
        namePoint = StationPrefs(prefs, dcWE).Position == 0 ? QPoint(RowMinX, RowMinY) : QPoint(RowMinX, RowMaxY);
        break;
    }
    case dcNWSE:
        circle(MinX, MaxY);
        circle(MaxX, MinY);
        polygon({{MinX - k, MaxY - k}, {MaxX - k, MinY - k}, {MaxX + k - 1, MinY + k - 1}, {MinX + k - 1, MaxY + k - 1}});
        SetPlanPen(Canvas, 0x000000, 1);
        PlanLine(Canvas, MinX - k, MaxY - k, MaxX - k + 1, MinY - k - 1);
        PlanLine(Canvas, MinX + k - 1, MaxY + k - 1, MaxX + k, MinY + k - 2);
        namePoint = StationPrefs(prefs, dcNWSE).Position == 0 ? QPoint(RowMaxX, RowMinY) : QPoint(RowMinX, RowMaxY);
        break;
    case dcSWNE:
        circle(MinX, MinY);
        circle(MaxX, MaxY);
        polygon({{MinX + k - 1, MinY - k + 1}, {MaxX + k - 2, MaxY - k}, {MaxX - k, MaxY + k - 2}, {MinX - k + 1, MinY + k - 1}});
        SetPlanPen(Canvas, 0x000000, 1);
        PlanLine(Canvas, MinX + k - 1, MinY - k, MaxX + k - 1, MaxY - k);
        PlanLine(Canvas, MinX - k + 1, MinY + k, MaxX - k + 1, MaxY + k);
        namePoint = StationPrefs(prefs, dcSWNE).Position == 0 ? QPoint(RowMinX, RowMinY) : QPoint(RowMaxX, RowMaxY);
        break;
    default:
        return; // not a direction a parallel row is made of
    }
    LoadStationTextPrefs(State, Lookup, namePoint.x(), namePoint.y(), StationID, SectionID, LineID);
    writeStationName(Names, State, namePoint);
}

} // namespace

QPoint MultiStationTextOrigin(int Position, int Align, int Rotation, int OffsetX, int OffsetY, PlanInt Left,
                              PlanInt Top, PlanInt Right, PlanInt Bottom, int W, int H)
{
    // The box may span the whole range (placements at its two ends) and the offsets too: the
    // origin is formed in 64 bits and held within int at the end.
    const PlanInt cx = Left + (Right - Left) / 2;
    const PlanInt cy = Bottom - (Bottom - Top) / 2;
    const PlanInt A = Rnd(std::sqrt(double(H) * H / 2));
    const PlanInt B = Rnd(std::sqrt(double(W) * W / 2));
    const double de = DiagonalExcess(H);
    const PlanInt E = Rnd(std::sqrt(de * de / 2) / 2);
    PlanInt x = Right + 1;
    PlanInt y = Top;
    switch (Position) {
    case 0:
        if (Rotation == -45)
            x += A;
        break;
    case 1:
        y = cy - H / 2;
        if (Rotation == 45) {
            y += E;
        } else if (Rotation == -45) {
            x += A;
            y += E;
        }
        break;
    case 2:
        y = Bottom - H;
        if (Rotation == 45) {
            y = Bottom - A;
        } else if (Rotation == -45) {
            x += A;
            y = Bottom - A;
        }
        break;
    case 3:
        x = Left - 1 - W;
        if (Rotation == 45) {
            x = Left - 1 - A - B;
            y = Top + B;
        } else if (Rotation == -45) {
            x = Left - 1 - B;
            y = Top - B;
        }
        break;
    case 4:
        x = Left - 1 - W;
        y = cy - H / 2;
        if (Rotation == 45) {
            x = Left - 1 - A - B;
            y += B + E;
        } else if (Rotation == -45) {
            x = Left - 1 - B;
            y = y - B + E;
        }
        break;
    case 5:
        x = Left - 1 - W;
        y = Bottom - H;
        if (Rotation == 45) {
            x = Left - 1 - A - B;
            y = Bottom - A + B;
        } else if (Rotation == -45) {
            x = Left - 1 - B;
            y = Bottom - A - B;
        }
        break;
    case 6:
        x = Left;
        y = Top - 1 - H;
        if (Rotation == 45)
            y = Top - 1 - A;
        else if (Rotation == 90)
            y = Top - 1;
        break;
    case 7:
        x = cx;
        y = Top - 1 - H;
        if (Align == 0 && Rotation == 45) {
            y = Top - 1 - A;
        } else if (Align == 1 && Rotation == 0) {
            x = cx - W / 2;
        } else if (Align == 1 && Rotation == 90) {
            x = cx - H / 2;
            y = Top - 1;
        } else if (Align == 2 && Rotation == 0) {
            x = cx - W;
        } else if (Align == 2 && Rotation == -45) {
            x = cx - B;
            y = Top - 1 - A - B;
        }
        break;
    case 8:
        x = Right - W;
        y = Top - 1 - H;
        if (Rotation == -45) {
            x = Right - B;
            y = Top - 1 - A - B;
        } else if (Rotation == -90) {
            x = Right;
            y = Top - 1 - W;
        }
        break;
    case 9:
        x = Left;
        y = Bottom + 1;
        if (Rotation == -45)
            x += A;
        else if (Rotation == -90)
            x += H;
        break;
    case 10:
        x = cx;
        y = Bottom + 1;
        if (Align == 0 && Rotation == -45) {
            x += A;
        } else if (Align == 1 && Rotation == 0) {
            x = cx - W / 2;
        } else if (Align == 1 && Rotation == 90) {
            x = cx - H / 2;
            y += W;
        } else if (Align == 2 && Rotation == 0) {
            x = cx - W;
        } else if (Align == 2 && Rotation == 45) {
            x = cx - A - B;
            y += B;
        }
        break;
    case 11:
        x = Right - W;
        y = Bottom + 1;
        if (Rotation == 45) {
            x = Right - A - B;
            y += B;
        } else if (Rotation == 90) {
            x = Right - H;
            y += W;
        }
        break;
    default:
        break; // a position no table knows keeps the base beside the box's top right
    }
    return ClampedPoint(x + OffsetX, y + OffsetY);
}

void DrawGeneralMultiStation(QPainter &Canvas, TLineMapEditorState &State, const TStationDrawLookup &Lookup,
                             int MinX, int MaxX, int MinY, int MaxY, int SectionID, int LineID, int StationID,
                             const QString &Name)
{
    Q_UNUSED(SectionID);
    Q_UNUSED(LineID);
    NamePainter names(Canvas, State.Prefs);
    drawGeneralMultiStation(names, State, Lookup, MinX, MaxX, MinY, MaxY, StationID, Name);
}

namespace {

void drawGeneralMultiStation(NamePainter &Names, const TLineMapEditorState &State, const TStationDrawLookup &Lookup,
                             int MinX, int MaxX, int MinY, int MaxY, int StationID, const QString &Name)
{
    QPainter &Canvas = Names.canvas;
    const TLineMapPrefs &prefs = State.Prefs;
    const PlanInt d = std::max(prefs.LineDrawWidth, 6);
    const PlanInt left = MinX - d / 2;
    const PlanInt top = MinY - d / 2;
    const PlanInt right = MaxX + (d + 1) / 2;
    const PlanInt bottom = MaxY + (d + 1) / 2;
    symbolPenAndBrush(Canvas);
    const bool onePoint = MinX == MaxX && MinY == MaxY;
    const bool circle = prefs.MultiStationRoundSelfPos && onePoint;
    if (circle)
        PlanEllipse(Canvas, left, top, right, bottom);
    else
        PlanRectangle(Canvas, left, top, right, bottom);
    const NameFont &font = Names.select(circle ? StationName : TransferName);
    const QSize extent = NamePainter::extent(font, Name);

    TStationDirectionPrefs setting;
    const auto found = Lookup.MultiOverrides.constFind(StationID);
    if (found != Lookup.MultiOverrides.constEnd()) {
        setting = found.value();
    } else {
        setting.Position = prefs.MultiStationPosition;
        setting.OffsetX = prefs.MultiStationOffsetX;
        setting.OffsetY = prefs.MultiStationOffsetY;
        setting.TextDirection = prefs.MultiStationAlign;
        setting.Rotation = prefs.MultiStationRotation;
    }
    const QPoint p = MultiStationTextOrigin(setting.Position, setting.TextDirection, setting.Rotation, setting.OffsetX,
                                            setting.OffsetY, left, top, right, bottom, extent.width(),
                                            extent.height());
    Names.write(font, p, setting.Rotation, Name);
}

} // namespace
