#pragma once
// Date-times as the system stores them: days since 1899-12-30 00:00 local time as a double, the
// fraction being the time of day.

#include <QDateTime>

using TDateTime = double;

// The current local date-time.
TDateTime Now();
// Converts a local QDateTime; an invalid one gives 0.0.
TDateTime QDateTimeToDateTime(const QDateTime& value);
// Splits a date-time into its calendar date and its time of day, rounded to the millisecond. The
// value is a wall-clock reading, so no time zone is involved and a clock change cannot shift it.
void DecodeDateTime(TDateTime value, QDate& date, QTime& time);
// Builds a date-time from calendar fields; false when the date or time is impossible
// (years 1 to 9999 only).
bool TryEncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                       TDateTime& result);
