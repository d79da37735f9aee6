#include "linemap/line_course.h"

#include <QPainter>

#include <algorithm>
#include <cstdlib>

#include "linemap/draw_geometry.h"
#include "linemap/linemap_canvas.h"
#include "linemap/linemap_render.h"

namespace {

int sign(PlanInt v)
{
    return (v > 0) - (v < 0);
}

// A Degree read from a file may be any number; the sum is formed in 64 bits.
int opposite(int angle)
{
    return int((PlanInt(angle) + 180) % 360);
}

// Whether the step from the cursor reaches or passes the target point: on x when the step moves
// on x, else (or when that fails) on y.
bool stepReaches(const TLineMapEditorState &s, int dx, int dy, int targetX, int targetY)
{
    if (dx != 0 && std::llabs(PlanInt(targetX) - s.CursorX) <= std::llabs(dx))
        return true;
    return dy != 0 && std::llabs(PlanInt(targetY) - s.CursorY) <= std::llabs(dy);
}

// Cuts a step that reaches the target so that the cursor lands on it.
void cutStep(const TLineMapEditorState &s, int &dx, int &dy, int targetX, int targetY)
{
    dx = ClampToInt(std::min(std::llabs(dx), sign(dx) * std::llabs(PlanInt(targetX) - s.CursorX)));
    dy = ClampToInt(std::min(std::llabs(dy), sign(dy) * std::llabs(PlanInt(targetY) - s.CursorY)));
}

// A cursor on a point of a stored course near the end of the range stays within it.
void moveBy(TLineMapEditorState &s, int dx, int dy)
{
    s.CursorX = ClampToInt(PlanInt(s.CursorX) + dx);
    s.CursorY = ClampToInt(PlanInt(s.CursorY) + dy);
}

bool cursorAt(const TLineMapEditorState &s, int x, int y)
{
    return s.CursorX == x && s.CursorY == y;
}

// The last section when it belongs to the group being drawn.
bool hasLastOfGroup(const TLineMapEditorState &s)
{
    return !s.Sections.empty() && s.Sections.back().GroupID == s.CurrentGroupID;
}

// The last section of the group becomes the running section again.
void popLastOfGroup(TLineMapEditorState &s)
{
    const TLineSection &last = s.Sections.back();
    s.SectionStartX = last.StartX;
    s.SectionStartY = last.StartY;
    s.Degree = std::int16_t(last.Degree);
    s.Sections.pop_back();
}

bool inGroup(const TLineMapEditorState &s, int index)
{
    return index >= 0 && index < int(s.Sections.size()) && s.Sections[index].GroupID == s.CurrentGroupID;
}

// The station cursor goes over onto section index (the one before or after the current one).
void switchToSection(TLineMapEditorState &s, int index)
{
    const TLineSection &sec = s.Sections[index];
    s.CurrentSectionIndex = index;
    s.SectionStartX = sec.StartX;
    s.SectionStartY = sec.StartY;
    s.Degree = std::int16_t(sec.Degree);
}

// Paints the cross cursor with an inverting pen; the two strokes cross in the middle, so the
// centre pixels are inverted twice, as every second stroke over them restores them again.
void paintCursor(TLineMapEditorState &s)
{
    if (s.Picture.isNull())
        return;
    if (s.Picture.format() != QImage::Format_RGB32)
        s.Picture = s.Picture.convertToFormat(QImage::Format_RGB32);
    QPainter canvas(&s.Picture);
    BeginPlanPainter(canvas);
    canvas.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    SetPlanPen(canvas, 0, 3);
    const PlanInt x = s.CursorX;
    const PlanInt y = s.CursorY;
    PlanLine(canvas, x - 8, y, x + 8, y);
    PlanLine(canvas, x, y - 8, x, y + 8);
}

} // namespace

void DirectionStep(const TLineMapEditorState &State, int Angle, int &dx, int &dy)
{
    const PlanInt s = PlanInt(RasterWidth(State.Prefs)) * State.StepSize;
    dx = ClampToInt(s * AngleDirX(Angle, 0));
    dy = ClampToInt(s * AngleDirY(Angle, 0));
}

void ClipStep(const TLineMapEditorState &State, int &dx, int &dy)
{
    // In 64 bits: a cursor put on a stored point far outside the plan makes steps of any size.
    const PlanInt r = RasterWidth(State.Prefs);
    const PlanInt width = State.Prefs.Width;
    const PlanInt height = State.Prefs.Height;
    const PlanInt x = State.CursorX;
    const PlanInt y = State.CursorY;
    PlanInt sx = dx;
    PlanInt sy = dy;
    if (x + sx < 0) {
        sx = -x;
        sy = sign(sy) * std::llabs(sx);
    }
    if (x + sx > width) {
        sx = (width / r) * r - x;
        sy = sign(sy) * std::llabs(sx);
    }
    if (y + sy < 0) {
        sy = -y;
        sx = sign(sx) * std::llabs(sy);
    }
    if (y + sy > height) {
        sy = (height / r) * r - y;
        sx = sign(sx) * std::llabs(sy);
    }
    dx = ClampToInt(sx);
    dy = ClampToInt(sy);
}

void StepInDirection(TLineMapEditorState &State, int Angle)
{
    if (State.DrawingOn) {
        DrawInDirection(State, Angle);
    } else if (State.StationMoveCursor) {
        MoveAlongLine(State, Angle);
        const int i = State.CurrentStationIndex;
        if (State.StationMode && i >= 0 && i < int(State.Stations.size())) {
            TLineStation &stop = State.Stations[i];
            stop.LineSectionID = State.CurrentSectionIndex + 1;
            stop.XPos = State.CursorX;
            stop.YPos = State.CursorY;
        }
    } else if (State.LineMode) {
        MoveCursor(State, Angle);
    }
}

void MoveCursor(TLineMapEditorState &State, int Angle)
{
    EraseCursor(State);
    int dx = 0;
    int dy = 0;
    DirectionStep(State, Angle, dx, dy);
    State.CursorX = ClampToInt(std::clamp<PlanInt>(PlanInt(State.CursorX) + dx, 0, std::max(0, State.Prefs.Width)));
    State.CursorY = ClampToInt(std::clamp<PlanInt>(PlanInt(State.CursorY) + dy, 0, std::max(0, State.Prefs.Height)));
    DrawCursor(State);
}

void DrawInDirection(TLineMapEditorState &State, int Angle)
{
    TLineMapEditorState &s = State;
    EraseCursor(s);
    int dx = 0;
    int dy = 0;
    DirectionStep(s, Angle, dx, dy);
    ClipStep(s, dx, dy);
    const bool runningEmpty = cursorAt(s, s.SectionStartX, s.SectionStartY);

    if (s.Degree == -1) {
        s.SectionStartX = s.CursorX;
        s.SectionStartY = s.CursorY;
        moveBy(s, dx, dy);
        DrawSegment(s);
        s.Degree = std::int16_t(Angle);
    } else if (Angle == s.Degree) {
        moveBy(s, dx, dy);
        DrawSegment(s);
    } else if (s.Degree == opposite(Angle)) {
        if (runningEmpty) {
            if (hasLastOfGroup(s))
                popLastOfGroup(s);
        } else if (stepReaches(s, dx, dy, s.SectionStartX, s.SectionStartY)) {
            cutStep(s, dx, dy, s.SectionStartX, s.SectionStartY);
            if (hasLastOfGroup(s))
                popLastOfGroup(s);
        }
        moveBy(s, dx, dy);
        Redraw(s);
        DrawSegment(s);
    } else if (runningEmpty) {
        const bool last = hasLastOfGroup(s);
        if (last && Angle == s.Sections.back().Degree) {
            popLastOfGroup(s); // the turn goes on along that section
            moveBy(s, dx, dy);
            Redraw(s);
            DrawSegment(s);
        } else if (last && Angle == opposite(s.Sections.back().Degree)) {
            popLastOfGroup(s); // back along it with its own direction, not cut at its start
            moveBy(s, dx, dy);
            Redraw(s);
            DrawSegment(s);
        } else {
            s.Degree = std::int16_t(Angle);
            s.SectionStartX = s.CursorX;
            s.SectionStartY = s.CursorY;
            moveBy(s, dx, dy);
            DrawSegment(s);
        }
    } else {
        AppendSection(s);
        s.SectionStartX = s.CursorX;
        s.SectionStartY = s.CursorY;
        moveBy(s, dx, dy);
        DrawSegment(s);
        s.Degree = std::int16_t(Angle);
    }
    DrawCursor(s);
}

void MoveAlongLine(TLineMapEditorState &State, int Angle)
{
    TLineMapEditorState &s = State;
    const int c = s.CurrentSectionIndex;
    if (c < 0 || c >= int(s.Sections.size()))
        return; // no section to move along
    EraseCursor(s);
    int dx = 0;
    int dy = 0;
    DirectionStep(s, Angle, dx, dy);
    ClipStep(s, dx, dy);
    const TLineSection sec = s.Sections[c];
    const bool hasPrev = inGroup(s, c - 1);
    const bool hasNext = inGroup(s, c + 1);
    const bool atStart = cursorAt(s, s.SectionStartX, s.SectionStartY);
    const bool atEnd = cursorAt(s, sec.EndX, sec.EndY);

    if (Angle == s.Degree) {
        if (!atEnd) {
            if (stepReaches(s, dx, dy, sec.EndX, sec.EndY))
                cutStep(s, dx, dy, sec.EndX, sec.EndY);
            moveBy(s, dx, dy);
        }
    } else if (s.Degree == opposite(Angle)) {
        if (atStart) {
            if (hasPrev)
                switchToSection(s, c - 1);
        } else {
            if (stepReaches(s, dx, dy, s.SectionStartX, s.SectionStartY)) {
                cutStep(s, dx, dy, s.SectionStartX, s.SectionStartY);
                if (hasPrev)
                    switchToSection(s, c - 1);
            }
            moveBy(s, dx, dy);
        }
    } else if (atStart && hasPrev) {
        const TLineSection &prev = s.Sections[c - 1];
        if (Angle == opposite(prev.Degree)) {
            switchToSection(s, c - 1);
            moveBy(s, dx, dy);
        }
    } else if (atEnd && hasNext && Angle == s.Sections[c + 1].Degree) {
        switchToSection(s, c + 1);
        const TLineSection &next = s.Sections[c + 1];
        if (stepReaches(s, dx, dy, next.EndX, next.EndY))
            cutStep(s, dx, dy, next.EndX, next.EndY);
        moveBy(s, dx, dy);
    }
    DrawCursor(s);
}

void AppendSection(TLineMapEditorState &State)
{
    TLineSection sec;
    sec.GroupID = State.CurrentGroupID;
    sec.StartX = State.SectionStartX;
    sec.StartY = State.SectionStartY;
    sec.EndX = State.CursorX;
    sec.EndY = State.CursorY;
    sec.Degree = State.Degree;
    State.Sections.push_back(sec);
}

void SplitSection(TLineSectionArray &Sections, int Index, int X, int Y)
{
    if (Index < 0 || Index >= int(Sections.size()))
        return;
    TLineSection part = Sections[Index];
    part.StartX = X;
    part.StartY = Y;
    part.GroupID = Sections[Index].GroupID + 1;
    part.Length = 0;
    Sections[Index].EndX = X;
    Sections[Index].EndY = Y;
    for (std::size_t i = Index + 1; i < Sections.size(); ++i)
        ++Sections[i].GroupID;
    Sections.insert(Sections.begin() + Index + 1, part);
}

void SelectSection(TLineMapEditorState &State, int Index)
{
    if (Index < 0 || Index >= int(State.Sections.size()))
        return;
    const TLineSection &sec = State.Sections[Index];
    const PlanInt r = RasterWidth(State.Prefs);
    State.CurrentSectionIndex = Index;
    PlanInt d = ((std::llabs(PlanInt(sec.StartX) - sec.EndX) / r) / 2) * r;
    if (d == 0)
        d = ((std::llabs(PlanInt(sec.StartY) - sec.EndY) / r) / 2) * r;
    // The middle of a section lies between its ends, so it fits an int whatever the ends are.
    auto towards = [d](int from, int to) {
        return from == to ? from : ClampToInt(from > to ? from - d : from + d);
    };
    State.CursorX = towards(sec.StartX, sec.EndX);
    State.CursorY = towards(sec.StartY, sec.EndY);
    State.SectionStartX = sec.StartX;
    State.SectionStartY = sec.StartY;
    State.Degree = std::int16_t(sec.Degree);
    State.CurrentGroupID = sec.GroupID;
}

QString SectionListItem(const TLineSection &Section)
{
    return QStringLiteral("%1 | %2/%3 => %4/%5 (%6\u00B0)")
        .arg(Section.GroupID)
        .arg(Section.StartX)
        .arg(Section.StartY)
        .arg(Section.EndX)
        .arg(Section.EndY)
        .arg(Section.Degree);
}

QStringList SectionListItems(const TLineSectionArray &Sections)
{
    QStringList items;
    items.reserve(int(Sections.size()));
    for (const TLineSection &sec : Sections)
        items << SectionListItem(sec);
    return items;
}

void DrawSegment(TLineMapEditorState &State)
{
    if (State.Picture.isNull())
        return;
    QPainter canvas(&State.Picture);
    BeginPlanPainter(canvas);
    SetPlanPen(canvas, State.LineColor, State.Prefs.LineDrawWidth);
    PlanLine(canvas, State.SectionStartX, State.SectionStartY, State.CursorX, State.CursorY);
}

void DrawCursor(TLineMapEditorState &State)
{
    paintCursor(State);
}

void EraseCursor(TLineMapEditorState &State)
{
    paintCursor(State);
}

void StationCursorOn(TLineMapEditorState &State)
{
    State.StationMoveCursor = true;
    DrawCursor(State);
}

void StationCursorOff(TLineMapEditorState &State)
{
    State.StationMoveCursor = false;
    EraseCursor(State);
}

void SnapClickToRaster(const TLineMapEditorState &State, int X, int Y, int &RasterX, int &RasterY)
{
    const int r = RasterWidth(State.Prefs);
    // Integer division rounds toward zero, so clicks near the top or left edge can snap below
    // zero with a small raster; the plan's last raster point bounds the other side.
    auto snap = [r](int v, int size) {
        const PlanInt p = ((PlanInt(v) - 3) + r / 2) / r * r;
        return int(std::clamp<PlanInt>(p, 0, std::max(0, size / r * r)));
    };
    RasterX = snap(X, State.Prefs.Width);
    RasterY = snap(Y, State.Prefs.Height);
}
