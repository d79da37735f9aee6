#pragma once

#include <QString>

// The texts of timetable times, shared by the timetable editor and the connection search.

// "hh:mm" for an hour 0..23 and a minute 0..59; the empty text for anything else.
QString HourMinuteText(int Hour, int Minute);

// The text of a minute count: the remainder modulo 1440 as "hh:mm"; a negative count gives
// the empty text, 1500 gives "01:00". The connection search writes its times with it.
QString MinutesToTime(int Minutes);
