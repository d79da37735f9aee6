#include "linemap/linemap_render_labels.h"

#include <QHash>
#include <QPainter>

#include "data/data_module_1.h"
#include "linemap/draw_geometry.h"
#include "linemap/linemap_canvas.h"
#include "linemap/linemap_render.h"
#include "linemap/plan_tables.h"
#include "platform/table.h"

namespace {

struct Ends
{
    bool any = false;
    int startX = 0, startY = 0, startDegree = -1;
    int endX = 0, endY = 0, endDegree = -1;
};
struct Visible
{
    bool start, end;
};
struct Colors
{
    bool defaultColor;
    std::uint32_t color;
    bool defaultBackground;
    std::uint32_t background;
};

// Everything the labels of one plan need, read once per drawing.
struct LabelTables
{
    QHash<int, Ends> course; // LineID -> first and last section of its stored course
    QHash<int, Visible> visible;
    QHash<int, Colors> colors;
    QHash<int, QPoint> startOffset;
    QHash<int, QPoint> endOffset;
    QHash<int, QString> names;
};

LabelTables readLabelTables(int LineMapID)
{
    LabelTables l;
    {
        Table &table = dm1->cdsLineMapLineSections;
        const int cMap = Column(table, "LineMapID"), cLine = Column(table, "LineID"), cSX = Column(table, "StartX"),
                  cSY = Column(table, "StartY"), cEX = Column(table, "EndX"), cEY = Column(table, "EndY"),
                  cDegree = Column(table, "Degree");
        ReadRows(table, QStringLiteral("idxMapLineSection"), [&](const TableRow &t) {
            if (IntAt(t, cMap) != LineMapID)
                return;
            Ends &e = l.course[IntAt(t, cLine)];
            if (!e.any) {
                e.any = true;
                e.startX = IntAt(t, cSX);
                e.startY = IntAt(t, cSY);
                e.startDegree = IntAt(t, cDegree);
            }
            e.endX = IntAt(t, cEX);
            e.endY = IntAt(t, cEY);
            e.endDegree = IntAt(t, cDegree);
        });
    }
    {
        Table &table = dm1->cdsLineMapLineTextVisible;
        const int cMap = Column(table, "LineMapID"), cLine = Column(table, "LineID"), cStart = Column(table, "Start"),
                  cEnd = Column(table, "End");
        ReadRows(table, QStringLiteral("idxMapLine"), [&](const TableRow &t) {
            if (IntAt(t, cMap) == LineMapID && !l.visible.contains(IntAt(t, cLine)))
                l.visible.insert(IntAt(t, cLine), {BoolAt(t, cStart), BoolAt(t, cEnd)});
        });
    }
    {
        Table &table = dm1->cdsLineMapLineTextColor;
        const int cMap = Column(table, "LineMapID"), cLine = Column(table, "LineID"),
                  cDefault = Column(table, "DefaultColor"), cR = Column(table, "ColorRed"),
                  cG = Column(table, "ColorGreen"), cB = Column(table, "ColorBlue"),
                  cDefaultBack = Column(table, "DefaultBackgroundColor"), cBR = Column(table, "BackgroundColorRed"),
                  cBG = Column(table, "BackgroundColorGreen"), cBB = Column(table, "BackgroundColorBlue");
        ReadRows(table, QStringLiteral("idxMapLine"), [&](const TableRow &t) {
            if (IntAt(t, cMap) == LineMapID && !l.colors.contains(IntAt(t, cLine)))
                l.colors.insert(IntAt(t, cLine),
                                {BoolAt(t, cDefault), PlanRgb(IntAt(t, cR), IntAt(t, cG), IntAt(t, cB)),
                                 BoolAt(t, cDefaultBack), PlanRgb(IntAt(t, cBR), IntAt(t, cBG), IntAt(t, cBB))});
        });
    }
    {
        Table &table = dm1->cdsLineMapLineTextOffset;
        const int cMap = Column(table, "LineMapID"), cLine = Column(table, "LineID"),
                  cPosition = Column(table, "Position"), cX = Column(table, "X"), cY = Column(table, "Y");
        ReadRows(table, QStringLiteral("idxMapLinePosition"), [&](const TableRow &t) {
            if (IntAt(t, cMap) != LineMapID)
                return;
            // Only the start (1) and end (2) rows move a label; a row of another Position (a
            // damaged file) is no offset of either.
            const int position = IntAt(t, cPosition);
            if (position != 1 && position != 2)
                return;
            QHash<int, QPoint> &offsets = position == 1 ? l.startOffset : l.endOffset;
            if (!offsets.contains(IntAt(t, cLine)))
                offsets.insert(IntAt(t, cLine), QPoint(IntAt(t, cX), IntAt(t, cY)));
        });
    }
    {
        Table &table = dm1->cdsLines;
        const int cID = Column(table, "ID"), cName = Column(table, "Line");
        ReadRows(table, QString(), [&](const TableRow &t) {
            if (!l.names.contains(IntAt(t, cID)))
                l.names.insert(IntAt(t, cID), t.field(cName).asString());
        });
    }
    return l;
}

// Labels are measured and written with the label font's metrics, taken once per drawing.
void drawLabelsOfLine(QPainter &Canvas, const TLineMapEditorState &State, const LabelTables &l,
                      const QFontMetrics &Metrics, int LineID)
{
    const TLineMapPrefs &prefs = State.Prefs;
    const auto visible = l.visible.constFind(LineID);
    const bool start = visible != l.visible.constEnd() ? visible->start : prefs.LineTextPosStart;
    const bool end = visible != l.visible.constEnd() ? visible->end : prefs.LineTextPosEnd;
    if (!start && !end)
        return;
    // A line stored without sections (made elsewhere) has no ends to label.
    const auto course = l.course.constFind(LineID);
    if (course == l.course.constEnd() || !course->any)
        return;

    std::uint32_t text;
    std::uint32_t background;
    const auto colors = l.colors.constFind(LineID);
    if (colors != l.colors.constEnd()) {
        text = colors->defaultColor ? GetLineColor(prefs, LineID) : colors->color;
        background = colors->defaultBackground ? GetLineColor(prefs, LineID) : colors->background;
    } else {
        text = prefs.LineTextDefaultColor ? GetLineColor(prefs, LineID) : std::uint32_t(prefs.LineTextColor);
        background = prefs.LineTextDefaultBackgroundColor ? GetLineColor(prefs, LineID)
                                                          : std::uint32_t(prefs.LineTextBackgroundColor);
    }
    const QString label = QStringLiteral(" ") + l.names.value(LineID) + QStringLiteral(" ");
    const QSize extent(Metrics.horizontalAdvance(label), Metrics.height());
    const int D = prefs.LineTextDistance;

    auto write = [&](bool atEnd, QPoint anchor, int degree) {
        const QPoint c = LineTextCorner(atEnd, degree, anchor, extent.width(), extent.height(), D);
        Canvas.setPen(Qt::NoPen);
        SetPlanBrush(Canvas, background);
        PlanFillRect(Canvas, c.x(), c.y(), PlanInt(c.x()) + extent.width(), PlanInt(c.y()) + extent.height());
        SetPlanPen(Canvas, text, 1);
        TextOutAngle(Canvas, c.x(), c.y(), 0, label, Metrics.ascent());
    };
    // The anchor is a stored point plus a stored offset, either of them anywhere in the range.
    auto anchor = [](int x, int y, QPoint offset) {
        return ClampedPoint(PlanInt(x) + offset.x(), PlanInt(y) + offset.y());
    };
    if (start)
        write(false, anchor(course->startX, course->startY, l.startOffset.value(LineID)), course->startDegree);
    if (end)
        write(true, anchor(course->endX, course->endY, l.endOffset.value(LineID)), course->endDegree);
}

// The canvas font keeps its name and style; only its size becomes the label size.
void labelFontSize(QPainter &Canvas, const TLineMapPrefs &Prefs)
{
    QFont font = Canvas.font();
    font.setPointSize(PlanFont(Prefs.LineTextFont).pointSize());
    font.setStyleStrategy(QFont::NoAntialias);
    Canvas.setFont(font);
}

} // namespace

QPoint LineTextCorner(bool AtEnd, int Degree, QPoint P, int W, int H, int D)
{
    const PlanInt Dd = Rnd(D / 1.414);
    const PlanInt x = P.x();
    const PlanInt y = P.y();
    // The end label continues the course forwards, the start label backwards: the start's
    // table is the end's turned by 180 degrees.
    const int forward = AtEnd ? Degree : (Degree >= 0 && Degree < 360 && Degree % 45 == 0 ? (Degree + 180) % 360 : -1);
    switch (forward) {
    case 0: return ClampedPoint(x - W / 2, y - (H + PlanInt(D)));
    case 45: return ClampedPoint(x + Dd, y - (H + Dd));
    case 90: return ClampedPoint(x + D, y - H / 2);
    case 135: return ClampedPoint(x + Dd, y + Dd);
    case 180: return ClampedPoint(x - W / 2, y + D);
    case 225: return ClampedPoint(x - (W + Dd), y + Dd);
    case 270: return ClampedPoint(x - (W + PlanInt(D)), y - H / 2);
    case 315: return ClampedPoint(x - (W + Dd), y - (H + Dd));
    default: return P;
    }
}

void DrawLineTexts(QPainter &Canvas, TLineMapEditorState &State)
{
    labelFontSize(Canvas, State.Prefs);
    const LabelTables l = readLabelTables(State.LineMapID);
    QList<int> lines;
    Table &table = dm1->cdsLineMapLines;
    const int cMap = Column(table, "LineMapID"), cLine = Column(table, "LineID");
    ReadRows(table, QStringLiteral("idxMapLine"), [&](const TableRow &t) {
        if (IntAt(t, cMap) == State.LineMapID && IntAt(t, cLine) != State.CurrentLineID)
            lines << IntAt(t, cLine);
    });
    const QFontMetrics metrics = PlanFontMetrics(Canvas);
    for (int lineID : lines)
        drawLabelsOfLine(Canvas, State, l, metrics, lineID);
}

void DrawCurrentLineText(QPainter &Canvas, TLineMapEditorState &State)
{
    // The edited line's labels take the label size too, so they look alike in every state.
    labelFontSize(Canvas, State.Prefs);
    drawLabelsOfLine(Canvas, State, readLabelTables(State.LineMapID), PlanFontMetrics(Canvas), State.CurrentLineID);
}
