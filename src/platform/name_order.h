#pragma once

#include <QString>

// The alphabetical order of names in every list the user reads (the editors' lists, the plan
// list, the start and target stations): letter case does not count, and a letter with an
// umlaut or accent stands beside its base letter ("ß" as "ss"). Names equal in that sense
// keep a fixed order by their exact text.
int CompareNames(const QString &a, const QString &b);
inline bool NameLess(const QString &a, const QString &b)
{
    return CompareNames(a, b) < 0;
}
