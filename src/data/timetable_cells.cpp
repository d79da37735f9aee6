#include "data/timetable_cells.h"

QString HourMinuteText(int Hour, int Minute)
{
    if (Hour < 0 || Hour > 23 || Minute < 0 || Minute > 59)
        return QString();
    return QStringLiteral("%1:%2").arg(Hour, 2, 10, QLatin1Char('0')).arg(Minute, 2, 10, QLatin1Char('0'));
}

QString MinutesToTime(int Minutes)
{
    if (Minutes < 0) // -1440 would otherwise come out as 00:00
        return QString();
    const int rest = Minutes % 1440;
    return HourMinuteText(rest / 60, rest % 60);
}
