#pragma once

#include "linemap/linemap_records.h"

// A section of a course as the tests write it: from (sx, sy) to (ex, ey), its Degree (-1 for
// none yet) and its group.
inline TLineSection sec(int sx, int sy, int ex, int ey, int degree = -1, int group = 1)
{
    TLineSection s;
    s.GroupID = group;
    s.StartX = sx;
    s.StartY = sy;
    s.EndX = ex;
    s.EndY = ey;
    s.Degree = degree;
    return s;
}
