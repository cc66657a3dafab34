// The one place that turns dates, times and numbers into text and back, by
// the classic picture-string rules.
//
// The process-wide settings (ProcessFormats) are written once, on the main
// thread during start-up, before any other thread exists; afterwards every
// thread only reads them. Every function here is then safe from any thread.
// Each takes the settings as a last argument, defaulting to the process-wide
// ones.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/time/datetime.h"

namespace formats {

// Defaults are those of a neutral (invariant) locale.
struct FormatSettings {
  char dateSeparator = '/';
  char timeSeparator = ':';
  char decimalSeparator = '.';
  char thousandSeparator = ',';
  std::string shortDateFormat = "mm/dd/yyyy";
  std::string longDateFormat = "dddd, dd mmmm yyyy";
  std::string shortTimeFormat = "hh:nn";
  std::string longTimeFormat = "hh:nn:ss";
  int currencyDecimals = 2;
};

FormatSettings& ProcessFormats();

// Picture tokens (letters in either case):
//   yyyy year, yy (or y) two-digit year; m/mm month, mmm/mmmm English month
//   name; d/dd day, ddd/dddd English day name, ddddd short date format,
//   dddddd long date format; h/hh hour (24-hour clock); n/nn minute; s/ss
//   second; z millisecond, zzz three-digit millisecond; c short date format
//   plus, unless the time is 00:00:00, a blank and the long time format;
//   t short time format, tt long time format; / date separator; : time
//   separator; "..." and '...' copied literally; any other character copied.
//   An m token whose nearest preceding letter token is h is the minute
//   (separators and quoted text in between do not count), so "hh:mm" is
//   hour and minute while "dd/mm" is day and month.
std::string FormatDateTime(std::string_view pattern, dt::DateTime value,
                           const FormatSettings& settings = ProcessFormats());

// Short date format; long time format; "c" (the time omitted at 00:00:00).
std::string DateToStr(dt::DateTime value, const FormatSettings& settings = ProcessFormats());
std::string TimeToStr(dt::DateTime value, const FormatSettings& settings = ProcessFormats());
std::string DateTimeToStr(dt::DateTime value, const FormatSettings& settings = ProcessFormats());

// A date is two or three numbers joined by the date separator, in the order of
// the short date format (day, month, year for "dd/mm/yyyy"); two numbers take
// the current year, a year of one or two digits falls in the 100 years from 50
// years before the current year. A time is hour, minute and optionally second
// joined by the time separator, optionally followed by the decimal separator
// and up to three digits of milliseconds, read as a count (",42" is 42 ms). StrToDateTime accepts a
// date, a date and a time separated by blanks, or a time alone (on day 0). Leading and trailing
// blanks are ignored. Anything else, or a date or time that does not exist, throws
// std::invalid_argument naming the text.
dt::DateTime StrToDate(std::string_view text, const FormatSettings& settings = ProcessFormats());
dt::DateTime StrToTime(std::string_view text, const FormatSettings& settings = ProcessFormats());
dt::DateTime StrToDateTime(std::string_view text,
                           const FormatSettings& settings = ProcessFormats());

// At most 15 significant digits, trailing zeros dropped, no thousands
// separator. Fixed notation while the integer part has at most 15 digits and
// the magnitude is at least 0.00001, otherwise scientific ("1E20", "1,5E-6").
// NaN and infinities give "NAN", "INF", "-INF".
std::string FloatToStr(double value, const FormatSettings& settings = ProcessFormats());

// Picture: "0" a digit always shown, "#" a digit shown when significant, "."
// the decimal separator (first one only), "," anywhere turns on thousands
// grouping of the integer part, "..." and '...' copied literally, other
// characters copied. Up to three sections separated by ";": positive,
// negative (printed without its own minus sign), zero. The value is taken
// to 15 significant digits, as FloatToStr shows it, then rounded half away
// from zero to the picture's decimals (1.005 with "0.00" gives "1,01"). An
// empty picture gives FloatToStr. Exponent pictures are not supported.
std::string FormatFloat(std::string_view pattern, double value,
                        const FormatSettings& settings = ProcessFormats());

// Optional sign, digits with at most one decimal separator, optional exponent
// (E or e, optional sign, digits); leading and trailing blanks ignored. No
// thousands separators. Anything else throws std::invalid_argument.
double StrToFloat(std::string_view text, const FormatSettings& settings = ProcessFormats());

std::string IntToStr(std::int64_t value);

}  // namespace formats
