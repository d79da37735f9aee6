#include "linemap/linemap_render_labels.h"

#include <QHash>
#include <QPainter>

#include "data/data_module_1.h"
#include "linemap/linemap_canvas.h"
#include "linemap/linemap_render.h"
#include "platform/table.h"

namespace {

std::uint32_t rgb(int r, int g, int b)
{
    return std::uint32_t(r & 0xFF) | (std::uint32_t(g & 0xFF) << 8) | (std::uint32_t(b & 0xFF) << 16);
}

// Walks a table without disturbing the editor's index, filter and open state.
template <typename Visit>
void walkTable(Table &t, const QString &index, Visit visit)
{
    try {
        const QString oldIndex = t.indexName();
        const QString oldFilter = t.filter();
        const bool oldFiltered = t.filtered();
        const bool wasOpen = t.active();
        if (!wasOpen)
            t.open();
        t.setFiltered(false);
        t.setIndexName(index);
        for (t.first(); !t.eof(); t.next())
            visit(t);
        t.setFilter(oldFilter);
        t.setFiltered(oldFiltered);
        t.setIndexName(oldIndex);
        if (!wasOpen)
            t.close();
    } catch (const TableError &) {
    }
}

int field(Table &t, const char *name)
{
    return t.fieldByName(QLatin1String(name)).asInteger();
}

bool flag(Table &t, const char *name)
{
    return t.fieldByName(QLatin1String(name)).asBoolean();
}

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
    walkTable(dm1->cdsLineMapLineSections, QStringLiteral("idxMapLineSection"), [&](Table &t) {
        if (field(t, "LineMapID") != LineMapID)
            return;
        Ends &e = l.course[field(t, "LineID")];
        if (!e.any) {
            e.any = true;
            e.startX = field(t, "StartX");
            e.startY = field(t, "StartY");
            e.startDegree = field(t, "Degree");
        }
        e.endX = field(t, "EndX");
        e.endY = field(t, "EndY");
        e.endDegree = field(t, "Degree");
    });
    walkTable(dm1->cdsLineMapLineTextVisible, QStringLiteral("idxMapLine"), [&](Table &t) {
        if (field(t, "LineMapID") == LineMapID && !l.visible.contains(field(t, "LineID")))
            l.visible.insert(field(t, "LineID"), {flag(t, "Start"), flag(t, "End")});
    });
    walkTable(dm1->cdsLineMapLineTextColor, QStringLiteral("idxMapLine"), [&](Table &t) {
        if (field(t, "LineMapID") == LineMapID && !l.colors.contains(field(t, "LineID")))
            l.colors.insert(field(t, "LineID"),
                            {flag(t, "DefaultColor"), rgb(field(t, "ColorRed"), field(t, "ColorGreen"), field(t, "ColorBlue")),
                             flag(t, "DefaultBackgroundColor"),
                             rgb(field(t, "BackgroundColorRed"), field(t, "BackgroundColorGreen"),
                                 field(t, "BackgroundColorBlue"))});
    });
    walkTable(dm1->cdsLineMapLineTextOffset, QStringLiteral("idxMapLinePosition"), [&](Table &t) {
        if (field(t, "LineMapID") != LineMapID)
            return;
        QHash<int, QPoint> &offsets = field(t, "Position") == 1 ? l.startOffset : l.endOffset;
        if (field(t, "Position") <= 2 && !offsets.contains(field(t, "LineID")))
            offsets.insert(field(t, "LineID"), QPoint(field(t, "X"), field(t, "Y")));
    });
    walkTable(dm1->cdsLines, QString(), [&](Table &t) {
        if (!l.names.contains(field(t, "ID")))
            l.names.insert(field(t, "ID"), t.fieldByName(QStringLiteral("Line")).asString());
    });
    return l;
}

void drawLabelsOfLine(QPainter &Canvas, const TLineMapEditorState &State, const LabelTables &l, int LineID)
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
    const QSize extent = PlanTextExtent(Canvas.font(), label);
    const int D = prefs.LineTextDistance;

    auto write = [&](bool atEnd, QPoint anchor, int degree) {
        const QPoint c = LineTextCorner(atEnd, degree, anchor, extent.width(), extent.height(), D);
        Canvas.setPen(Qt::NoPen);
        SetPlanBrush(Canvas, background);
        PlanFillRect(Canvas, c.x(), c.y(), c.x() + extent.width(), c.y() + extent.height());
        SetPlanPen(Canvas, text, 1);
        PlanTextOut(Canvas, c.x(), c.y(), label);
    };
    if (start)
        write(false, QPoint(course->startX, course->startY) + l.startOffset.value(LineID), course->startDegree);
    if (end)
        write(true, QPoint(course->endX, course->endY) + l.endOffset.value(LineID), course->endDegree);
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
    const int Dd = Rnd(D / 1.414);
    const int x = P.x();
    const int y = P.y();
    // The end label continues the course forwards, the start label backwards: the start's
    // table is the end's turned by 180 degrees.
    const int forward = AtEnd ? Degree : (Degree >= 0 && Degree < 360 && Degree % 45 == 0 ? (Degree + 180) % 360 : -1);
    switch (forward) {
    case 0: return {x - W / 2, y - (H + D)};
    case 45: return {x + Dd, y - (H + Dd)};
    case 90: return {x + D, y - H / 2};
    case 135: return {x + Dd, y + Dd};
    case 180: return {x - W / 2, y + D};
    case 225: return {x - (W + Dd), y + Dd};
    case 270: return {x - (W + D), y - H / 2};
    case 315: return {x - (W + Dd), y - (H + Dd)};
    default: return P;
    }
}

void DrawLineTexts(QPainter &Canvas, TLineMapEditorState &State)
{
    labelFontSize(Canvas, State.Prefs);
    const LabelTables l = readLabelTables(State.LineMapID);
    QList<int> lines;
    walkTable(dm1->cdsLineMapLines, QStringLiteral("idxMapLine"), [&](Table &t) {
        if (field(t, "LineMapID") == State.LineMapID && field(t, "LineID") != State.CurrentLineID)
            lines << field(t, "LineID");
    });
    for (int lineID : lines)
        drawLabelsOfLine(Canvas, State, l, lineID);
}

void DrawCurrentLineText(QPainter &Canvas, TLineMapEditorState &State)
{
    // The edited line's labels take the label size too, so they look alike in every state.
    labelFontSize(Canvas, State.Prefs);
    drawLabelsOfLine(Canvas, State, readLabelTables(State.LineMapID), State.CurrentLineID);
}
