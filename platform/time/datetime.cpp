#include "platform/time/datetime.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace dt {
namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;

// Day number of a proleptic Gregorian date, counted from 1 January 1970
// (H. Hinnant's civil-date algorithms); exact for any year.
constexpr std::int64_t DaysFromCivil(std::int64_t y, std::int64_t m, std::int64_t d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

constexpr std::int64_t kEpoch = DaysFromCivil(1899, 12, 30);

CalendarDate CivilFromDays(std::int64_t days) {
  const std::int64_t z = days + kEpoch + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const std::int64_t m = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
  return {static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

// A value as its day number and the milliseconds into that day. Before day 0
// the fraction still counts forward from midnight (-1.25 is 29 December 1899,
// 06:00), so the day is the integer part, not the floor. A time that rounds to
// 24:00 belongs to the next day.
struct DayAndMs {
  std::int64_t day;
  std::int64_t ms;
};

DayAndMs Split(DateTime value) {
  // Far beyond any calendar in use; keeps the integer conversions defined.
  constexpr double kLimit = 1e9;
  if (!(std::fabs(value) < kLimit)) return {0, 0};
  const double whole = std::trunc(value);
  DayAndMs r{static_cast<std::int64_t>(whole),
             std::llround(std::fabs(value - whole) * static_cast<double>(kMsPerDay))};
  if (r.ms >= kMsPerDay) {
    r.ms -= kMsPerDay;
    ++r.day;
  }
  return r;
}

}  // namespace

DateTime EncodeDate(int year, int month, int day) {
  return static_cast<DateTime>(DaysFromCivil(year, month, day) - kEpoch);
}

DateTime EncodeTime(int hour, int minute, int second, int millisecond) {
  const std::int64_t ms = ((std::int64_t{hour} * 60 + minute) * 60 + second) * 1000 + millisecond;
  return static_cast<double>(ms) / static_cast<double>(kMsPerDay);
}

DateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                        int millisecond) {
  const DateTime date = EncodeDate(year, month, day);
  const DateTime time = EncodeTime(hour, minute, second, millisecond);
  return date < 0 ? date - time : date + time;
}

CalendarDate DecodeDate(DateTime value) { return CivilFromDays(Split(value).day); }

ClockTime DecodeTime(DateTime value) {
  std::int64_t ms = Split(value).ms;
  ClockTime t;
  t.millisecond = static_cast<int>(ms % 1000);
  ms /= 1000;
  t.second = static_cast<int>(ms % 60);
  ms /= 60;
  t.minute = static_cast<int>(ms % 60);
  t.hour = static_cast<int>(ms / 60);
  return t;
}

DateTime Now() {
  const auto now = std::chrono::system_clock::now();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch());
  const std::time_t seconds =
      static_cast<std::time_t>(std::chrono::floor<std::chrono::seconds>(ms).count());
  std::tm local{};
  localtime_r(&seconds, &local);
  const int millisecond = static_cast<int>(ms.count() - std::int64_t{seconds} * 1000);
  return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                        local.tm_min, local.tm_sec, millisecond);
}

std::uint64_t TickCount() {
  const auto since = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

DateTime FirstDayOfMonthBefore(DateTime value, int monthsBack) {
  const CalendarDate date = DecodeDate(value);
  // Months counted from January of year 0; floor division keeps this right
  // when going back past year 0.
  const std::int64_t months = std::int64_t{date.year} * 12 + (date.month - 1) - monthsBack;
  const std::int64_t year = months >= 0 ? months / 12 : (months - 11) / 12;
  const int month = static_cast<int>(months - year * 12) + 1;
  return EncodeDate(static_cast<int>(year), month, 1);
}

}  // namespace dt
