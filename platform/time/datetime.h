// A date-time in the program is a double: whole days since 30 December 1899
// plus the fraction of the day (06:00 = 0.25). Such a value also serves as a
// length of time in days. This header is the one place that converts between
// that count and calendar fields or the system clock.
//
// All functions may be called from any thread.
#pragma once

#include <cstdint>

namespace dt {

using DateTime = double;

struct CalendarDate {
  int year = 1899;
  int month = 12;
  int day = 30;
};

struct ClockTime {
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

// Calendar fields (proleptic Gregorian) to the day count; no range checks
// beyond what the arithmetic needs.
DateTime EncodeDate(int year, int month, int day);
DateTime EncodeTime(int hour, int minute, int second, int millisecond = 0);
DateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                        int millisecond = 0);

// The day count back to calendar fields. The time is rounded to the nearest
// millisecond.
CalendarDate DecodeDate(DateTime value);
ClockTime DecodeTime(DateTime value);

// The current local time, with milliseconds.
DateTime Now();

// Milliseconds from an arbitrary fixed point (a monotonic clock), for elapsed
// times.
std::uint64_t TickCount();

// The first day of the month that lies `monthsBack` months before the month of
// `value` (0: the first day of value's own month).
DateTime FirstDayOfMonthBefore(DateTime value, int monthsBack);

}  // namespace dt
