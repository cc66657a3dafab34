#include "platform/time/datetime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>

namespace dt {
namespace {

testing::AssertionResult IsDate(DateTime value, int year, int month, int day) {
  const CalendarDate d = DecodeDate(value);
  if (d.year == year && d.month == month && d.day == day) return testing::AssertionSuccess();
  return testing::AssertionFailure()
         << value << " decodes to " << d.year << "-" << d.month << "-" << d.day;
}

TEST(DateTimeTest, KnownDayNumbers) {
  struct Case {
    int year, month, day;
    double value;
  };
  const Case cases[] = {
      {1899, 12, 30, 0},       {1899, 12, 31, 1},    {1900, 1, 1, 2},
      {1900, 2, 28, 60},       {1900, 3, 1, 61},  // 1900 is not a leap year
      {2000, 2, 29, 36585},    {2024, 2, 29, 45351}, {2026, 12, 11, 46367},
      {9999, 12, 31, 2958465}, {1899, 12, 29, -1},   {1, 1, 1, -693593},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(EncodeDate(c.year, c.month, c.day), c.value);
    EXPECT_TRUE(IsDate(c.value, c.year, c.month, c.day));
  }
}

TEST(DateTimeTest, TimeIsTheFractionOfTheDay) {
  EXPECT_EQ(EncodeTime(6, 0, 0), 0.25);
  EXPECT_EQ(EncodeTime(12, 0, 0), 0.5);
  EXPECT_EQ(EncodeTime(18, 0, 0), 0.75);
  EXPECT_DOUBLE_EQ(EncodeTime(0, 0, 1), 1.0 / 86400);
  EXPECT_DOUBLE_EQ(EncodeTime(0, 0, 0, 1), 1.0 / 86400000);
  EXPECT_DOUBLE_EQ(EncodeDateTime(2026, 12, 11, 6, 0, 0), 46367.25);
}

TEST(DateTimeTest, DateTimeRoundTripsToTheMillisecond) {
  struct Case {
    int year, month, day, hour, minute, second, ms;
  };
  const Case cases[] = {
      {2026, 12, 11, 13, 5, 7, 42}, {2026, 12, 11, 23, 59, 59, 999}, {2026, 1, 1, 0, 0, 0, 0},
      {1900, 1, 1, 0, 0, 0, 1},     {9999, 12, 31, 23, 59, 59, 999}, {2024, 2, 29, 12, 30, 0, 500},
  };
  for (const Case& c : cases) {
    const DateTime value = EncodeDateTime(c.year, c.month, c.day, c.hour, c.minute, c.second, c.ms);
    SCOPED_TRACE(value);
    EXPECT_TRUE(IsDate(value, c.year, c.month, c.day));
    const ClockTime t = DecodeTime(value);
    EXPECT_EQ(t.hour, c.hour);
    EXPECT_EQ(t.minute, c.minute);
    EXPECT_EQ(t.second, c.second);
    EXPECT_EQ(t.millisecond, c.ms);
  }
}

TEST(DateTimeTest, EveryDayOfAYearRoundTrips) {
  DateTime previous = EncodeDate(2023, 12, 31);
  for (int month = 1; month <= 12; ++month) {
    for (int day = 1; day <= 31; ++day) {
      const DateTime value = EncodeDate(2024, month, day);
      if (DecodeDate(value).month != month) break;  // past the month's end
      EXPECT_EQ(value, previous + 1) << month << "/" << day;
      EXPECT_TRUE(IsDate(value, 2024, month, day));
      previous = value;
    }
  }
  EXPECT_EQ(previous, EncodeDate(2024, 12, 31));
}

// Decoding rounds to the millisecond; a time that rounds to 24:00 is
// midnight of the next day.
TEST(DateTimeTest, DecodingRoundsToTheNearestMillisecond) {
  const DateTime justBeforeMidnight = EncodeDate(2026, 12, 31) + 0.9999999999;
  EXPECT_TRUE(IsDate(justBeforeMidnight, 2027, 1, 1));
  const ClockTime t = DecodeTime(justBeforeMidnight);
  EXPECT_EQ(t.hour + t.minute + t.second + t.millisecond, 0);

  const ClockTime almost = DecodeTime(EncodeTime(10, 0, 0, 0) - 0.4 / 86400000);
  EXPECT_EQ(almost.hour, 10);
  EXPECT_EQ(almost.millisecond, 0);
}

// Before day 0 the integer part is the day and the fraction still counts
// forward from midnight.
TEST(DateTimeTest, ValuesBeforeDayZero) {
  const DateTime value = EncodeDateTime(1899, 12, 29, 6, 0, 0);
  EXPECT_EQ(value, -1.25);
  EXPECT_TRUE(IsDate(value, 1899, 12, 29));
  EXPECT_EQ(DecodeTime(value).hour, 6);
}

TEST(DateTimeTest, NonsenseValuesDoNotCrash) {
  for (const double value : {std::nan(""), HUGE_VAL, -HUGE_VAL, 1e300, -1e300}) {
    DecodeDate(value);
    DecodeTime(value);
    FirstDayOfMonthBefore(value, 1);
  }
}

TEST(DateTimeTest, FirstDayOfMonthBefore) {
  struct Case {
    int year, month, day, back;
    int wantYear, wantMonth;
  };
  const Case cases[] = {
      {2026, 5, 15, 3, 2026, 2},     {2026, 5, 15, 0, 2026, 5},   {2026, 5, 1, 0, 2026, 5},
      {2026, 5, 31, 4, 2026, 1},     {2026, 1, 20, 1, 2025, 12},  {2026, 1, 20, 12, 2025, 1},
      {2026, 1, 20, 13, 2024, 12},   {2026, 3, 31, 1, 2026, 2},   {2026, 3, 10, 26, 2024, 1},
      {2026, 12, 11, 120, 2016, 12}, {2026, 11, 30, -2, 2027, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.year << "-" << c.month << "-" << c.day << " back " << c.back);
    const DateTime value = EncodeDateTime(c.year, c.month, c.day, 17, 45, 0);
    EXPECT_EQ(FirstDayOfMonthBefore(value, c.back), EncodeDate(c.wantYear, c.wantMonth, 1));
  }
}

TEST(DateTimeTest, NowIsTheLocalTime) {
  const std::time_t before = std::time(nullptr);
  const DateTime now = Now();
  const std::time_t after = std::time(nullptr);
  std::tm local{};
  localtime_r(&before, &local);
  const DateTime low = EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                      local.tm_hour, local.tm_min, local.tm_sec);
  localtime_r(&after, &local);
  const DateTime high = EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                       local.tm_hour, local.tm_min, local.tm_sec + 1);
  EXPECT_GE(now, low);
  EXPECT_LT(now, high);
}

}  // namespace
}  // namespace dt
