#include "platform/time/formats.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>

namespace formats {
namespace {

// Day-first dates with dots and a decimal comma, as the program runs.
FormatSettings ProgramSettings() {
  FormatSettings s;
  s.shortDateFormat = "dd/mm/yyyy";
  s.longDateFormat = "dd/mm/yyyy";
  s.shortTimeFormat = "hh:mm:ss";
  s.longTimeFormat = "hh:mm:ss";
  s.dateSeparator = '.';
  s.timeSeparator = ':';
  s.decimalSeparator = ',';
  s.thousandSeparator = '.';
  s.currencyDecimals = 2;
  return s;
}

class FormatsTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = ProcessFormats();
    ProcessFormats() = ProgramSettings();
  }
  void TearDown() override { ProcessFormats() = saved_; }

  const dt::DateTime sample_ = dt::EncodeDateTime(2026, 12, 11, 13, 5, 7, 42);

 private:
  FormatSettings saved_;
};

TEST_F(FormatsTest, DateTimeToStrOmitsTheTimeAtMidnight) {
  const dt::DateTime day = dt::EncodeDate(2026, 12, 11);
  EXPECT_EQ(DateTimeToStr(sample_), "11.12.2026 13:05:07");
  EXPECT_EQ(DateTimeToStr(day), "11.12.2026");
  EXPECT_EQ(DateTimeToStr(day + dt::EncodeTime(0, 0, 1)), "11.12.2026 00:00:01");
  // Only hours, minutes and seconds count, as in the classic function.
  EXPECT_EQ(DateTimeToStr(day + dt::EncodeTime(0, 0, 0, 500)), "11.12.2026");
  EXPECT_EQ(DateToStr(sample_), "11.12.2026");
  EXPECT_EQ(TimeToStr(sample_), "13:05:07");
  EXPECT_EQ(TimeToStr(day), "00:00:00");
}

TEST_F(FormatsTest, FormatDateTimeTokens) {
  struct Case {
    std::string_view pattern;
    std::string_view text;
  };
  const Case cases[] = {
      {"hh:nn:ss:zzz", "13:05:07:042"},
      {"yyyy-mm-dd_hh.nn", "2026-12-11_13.05"},
      {"yyyy-mm-dd hh:nn:ss", "2026-12-11 13:05:07"},
      {"d/m/yy", "11.12.26"},
      {"y yyy", "26 2026"},
      {"h:n:s.z", "13:5:7.42"},
      {"HH:NN:SS", "13:05:07"},
      {"dddd d mmmm yyyy", "Friday 11 December 2026"},
      {"ddd, d mmm", "Fri, 11 Dec"},
      {"ddddd", "11.12.2026"},
      {"c", "11.12.2026 13:05:07"},
      {"tt", "13:05:07"},
      {"'Date:' yyyy", "Date: 2026"},
      {"\"yyyy\"=yyyy", "yyyy=2026"},
      {"'unclosed yyyy", "unclosed yyyy"},
      {"[dd]", "[11]"},
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatDateTime(c.pattern, sample_), c.text) << c.pattern;
  }
}

// "mm" is the minute when the letter token before it is an hour, however many
// separators or quoted characters lie between; otherwise it is the month.
TEST_F(FormatsTest, MonthOrMinute) {
  const dt::DateTime value = dt::EncodeDateTime(2026, 3, 11, 13, 45, 7);
  struct Case {
    std::string_view pattern;
    std::string_view text;
  };
  const Case cases[] = {
      {"hh:mm", "13:45"},
      {"h:m", "13:45"},
      {"HH:MM:SS", "13:45:07"},
      {"hh'h'mm", "13h45"},
      {"hh mm", "13 45"},
      {"mm/dd hh:mm", "03.11 13:45"},
      {"hh:nn dd/mm", "13:45 11.03"},
      {"hhmm", "1345"},
      {"mm", "03"},
      {"hh:ss mm", "13:07 03"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatDateTime(c.pattern, value), c.text) << c.pattern;
  }
}

TEST_F(FormatsTest, FunctionsReadTheProcessWideSettings) {
  ProcessFormats() = FormatSettings{};
  EXPECT_EQ(DateTimeToStr(sample_), "12/11/2026 13:05:07");
  EXPECT_EQ(FloatToStr(1234.5), "1234.5");
  ProcessFormats().decimalSeparator = ',';
  EXPECT_EQ(FloatToStr(1234.5), "1234,5");
  // Explicit settings win over the process-wide ones.
  EXPECT_EQ(DateToStr(sample_, ProgramSettings()), "11.12.2026");
}

TEST_F(FormatsTest, FormatsThatReferToThemselvesStop) {
  FormatSettings s = ProgramSettings();
  s.shortDateFormat = "c";
  s.longTimeFormat = "tt";
  EXPECT_NO_THROW(DateTimeToStr(sample_, s));
}

TEST_F(FormatsTest, StrToDateReadsTheShortDateOrder) {
  EXPECT_EQ(StrToDate("11.12.2026"), dt::EncodeDate(2026, 12, 11));
  EXPECT_EQ(StrToDate("  1.2.2026 "), dt::EncodeDate(2026, 2, 1));
  EXPECT_EQ(StrToDate("29.02.2024"), dt::EncodeDate(2024, 2, 29));
  EXPECT_EQ(StrToDate("11.12.26"), dt::EncodeDate(2026, 12, 11));
  const int thisYear = dt::DecodeDate(dt::Now()).year;
  EXPECT_EQ(StrToDate("11.12"), dt::EncodeDate(thisYear, 12, 11));

  FormatSettings ymd = ProgramSettings();
  ymd.shortDateFormat = "yyyy/mm/dd";
  ymd.dateSeparator = '-';
  EXPECT_EQ(StrToDate("2026-12-11", ymd), dt::EncodeDate(2026, 12, 11));
  FormatSettings mdy = ProgramSettings();
  mdy.shortDateFormat = "'Day' m/d/yyyy";  // quoted letters do not decide the order
  EXPECT_EQ(StrToDate("12.11.2026", mdy), dt::EncodeDate(2026, 12, 11));
}

TEST_F(FormatsTest, StrToDateRejectsBadText) {
  for (const std::string_view text :
       {"", "  ", "abc", "31.02.2026", "29.02.2025", "0.1.2026", "13.13.2026", "11/12/2026",
        "11.12.2026x", "11..2026", "11.12.", "11", "-1.12.2026", "11.12.2026 13:05",
        "11.12.1234567890"}) {
    EXPECT_THROW(StrToDate(text), std::invalid_argument) << text;
  }
  try {
    StrToDate("31.02.2026");
    FAIL();
  } catch (const std::invalid_argument& e) {
    EXPECT_THAT(e.what(), testing::HasSubstr("'31.02.2026'"));
    EXPECT_THAT(e.what(), testing::HasSubstr("date"));
  }
}

TEST_F(FormatsTest, StrToDateTime) {
  const dt::DateTime day = dt::EncodeDate(2026, 12, 11);
  struct Case {
    std::string_view text;
    dt::DateTime value;
  };
  const Case cases[] = {
      {"11.12.2026 13:05:07", day + dt::EncodeTime(13, 5, 7)},
      {"11.12.2026   13:05", day + dt::EncodeTime(13, 5, 0)},
      {"11.12.2026 13:05:07,042", day + dt::EncodeTime(13, 5, 7, 42)},
      {"11.12.2026", day},
      {" 13:05:07 ", dt::EncodeTime(13, 5, 7)},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(StrToDateTime(c.text), c.value) << c.text;
  }
  EXPECT_DOUBLE_EQ(StrToTime("23:59:59"), dt::EncodeTime(23, 59, 59));
  const dt::DateTime back = StrToDateTime(DateTimeToStr(sample_));
  EXPECT_EQ(DateTimeToStr(back), DateTimeToStr(sample_));
}

TEST_F(FormatsTest, StrToDateTimeRejectsBadText) {
  for (const std::string_view text :
       {"", "11.12.2026 25:00", "11.12.2026 13:60", "11.12.2026 13:05:60", "11.12.202613:05",
        "11.12.2026 13", "11.12.2026 13:05:07 x", "11.12.2026 13:05:07,1234", "24:00"}) {
    EXPECT_THROW(StrToDateTime(text), std::invalid_argument) << text;
  }
  EXPECT_THROW(StrToTime("11.12.2026"), std::invalid_argument);
}

TEST_F(FormatsTest, FloatToStr) {
  struct Case {
    double value;
    std::string_view text;
  };
  const Case cases[] = {
      {1234.5, "1234,5"},
      {0.1, "0,1"},
      {1e20, "1E20"},
      {-2.5, "-2,5"},
      {0, "0"},
      {-0.0, "0"},
      {100, "100"},
      {0.1 + 0.2, "0,3"},
      {1.0 / 3, "0,333333333333333"},
      {2.0 / 3, "0,666666666666667"},
      {123456789.123456789, "123456789,123457"},
      {999999999999999, "999999999999999"},
      {1e15, "1E15"},
      {-1.5e16, "-1,5E16"},
      {0.00001, "0,00001"},
      {0.000001, "1E-6"},
      {-1.25e-7, "-1,25E-7"},
      {std::nan(""), "NAN"},
      {HUGE_VAL, "INF"},
      {-HUGE_VAL, "-INF"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FloatToStr(c.value), c.text) << c.value;
  }
}

TEST_F(FormatsTest, FormatFloat) {
  struct Case {
    std::string_view pattern;
    double value;
    std::string_view text;
  };
  const Case cases[] = {
      {"0", 1234.4, "1234"},
      {"0.00", 1234.5, "1234,50"},
      {"#,##0.00", 1234567.891, "1.234.567,89"},
      {"#,##0.00", 999.995, "1.000,00"},
      {"#,##0.00", -1234.5, "-1.234,50"},
      {"#,##0.00", 0, "0,00"},
      {"#,##0", 123, "123"},
      {"#,##0", 123456, "123.456"},
      {"#,##0", 1234567, "1.234.567"},
      {"000", 7, "007"},
      {"000", 12345, "12345"},
      {"#", 0, ""},
      {"#.##", 0.5, ",5"},
      {"0.##", 5, "5"},
      {"0.##", 5.1, "5,1"},
      {"0.0#", 5.125, "5,13"},
      {"0.00 'zł'", 12.5, "12,50 zł"},
      {"[0]", 3, "[3]"},
      {"0", 1e16, "10000000000000000"},
      {"0.00", 1e-10, "0,00"},
      {"", 1234.5, "1234,5"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatFloat(c.pattern, c.value), c.text) << c.pattern << " " << c.value;
  }
}

// Half away from zero, applied to the value as FloatToStr shows it, so that
// 1.005 (stored as 1.00499999...) still rounds up.
TEST_F(FormatsTest, FormatFloatRoundsHalfAwayFromZero) {
  struct Case {
    std::string_view pattern;
    double value;
    std::string_view text;
  };
  const Case cases[] = {
      {"0", 0.5, "1"},           {"0", 1.5, "2"},
      {"0", 2.5, "3"},           {"0", -2.5, "-3"},
      {"0", 2.4999, "2"},        {"0.00", 0.125, "0,13"},
      {"0.00", -0.125, "-0,13"}, {"0.00", 1.005, "1,01"},
      {"0.00", 2.675, "2,68"},   {"0.00", 1.0049, "1,00"},
      {"0.0", 0.05, "0,1"},      {"0.0", 0.04, "0,0"},
      {"0", 9.5, "10"},          {"0.00", 99.999, "100,00"},
      {"0.00", -0.004, "0,00"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatFloat(c.pattern, c.value), c.text) << c.pattern << " " << c.value;
  }
}

TEST_F(FormatsTest, FormatFloatSections) {
  const std::string_view pattern = "0.00;(0.00);'zero'";
  EXPECT_EQ(FormatFloat(pattern, 3), "3,00");
  EXPECT_EQ(FormatFloat(pattern, -3), "(3,00)");
  EXPECT_EQ(FormatFloat(pattern, 0), "zero");
  EXPECT_EQ(FormatFloat(pattern, -0.001), "zero");  // zero after rounding
  EXPECT_EQ(FormatFloat("0;;", -3), "-3");          // empty negative section
  EXPECT_EQ(FormatFloat("0.0;-0.0", 0), "0,0");     // no zero section
  EXPECT_EQ(FormatFloat("'a;b' 0", 1), "a;b 1");    // ";" inside quotes
}

TEST_F(FormatsTest, StrToFloat) {
  struct Case {
    std::string_view text;
    double value;
  };
  const Case cases[] = {
      {"1234,5", 1234.5}, {" -0,25 ", -0.25}, {"+3", 3}, {"1,5E3", 1500},        {"1e-2", 0.01},
      {",5", 0.5},        {"7,", 7},          {"0", 0},  {"-1,25E-7", -1.25e-7},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(StrToFloat(c.text), c.value) << c.text;
  }
  for (const double value : {1234.5, 0.1, 1e20, -1.25e-7, 123456789.123457, 2.0 / 3}) {
    const std::string text = FloatToStr(value);
    EXPECT_EQ(FloatToStr(StrToFloat(text)), text);
  }
}

TEST_F(FormatsTest, StrToFloatRejectsBadText) {
  for (const std::string_view text : {"", " ", "1.234,5", "1.5", "1,2,3", "abc", "1e", "1e+", "12a",
                                      "--1", "+-1", "1 000", "inf", "nan", ",", "-", "1e400"}) {
    EXPECT_THROW(StrToFloat(text), std::invalid_argument) << text;
  }
  try {
    StrToFloat("12a");
    FAIL();
  } catch (const std::invalid_argument& e) {
    EXPECT_THAT(e.what(), testing::HasSubstr("'12a'"));
  }
}

TEST_F(FormatsTest, IntToStr) {
  EXPECT_EQ(IntToStr(0), "0");
  EXPECT_EQ(IntToStr(-42), "-42");
  EXPECT_EQ(IntToStr(1234567), "1234567");
  EXPECT_EQ(IntToStr(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
}

}  // namespace
}  // namespace formats
