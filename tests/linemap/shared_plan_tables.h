#pragma once

#include "data/db_func.h"

// The six tables all plans of a project share, created empty: the plan lines, their sections
// and junctions, and the label visibility, colours and offsets.
inline void CreateEmptySharedPlanTables()
{
    CreateEmptyLineMapLines();
    CreateEmptyLineMapLineSections();
    CreateEmptyLineMapLineConnections();
    CreateEmptyLineMapLineTextVisible();
    CreateEmptyLineMapLineTextColor();
    CreateEmptyLineMapLineTextOffset();
}
