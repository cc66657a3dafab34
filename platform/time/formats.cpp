#include "platform/time/formats.h"

#include <charconv>
#include <cmath>
#include <stdexcept>
#include <system_error>
#include <utility>

namespace formats {
namespace {

constexpr std::string_view kShortMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::string_view kLongMonthNames[] = {"January",   "February", "March",    "April",
                                                "May",       "June",     "July",     "August",
                                                "September", "October",  "November", "December"};
constexpr std::string_view kShortDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::string_view kLongDayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                              "Thursday", "Friday", "Saturday"};

constexpr char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
constexpr bool IsLetter(char c) { return Upper(c) >= 'A' && Upper(c) <= 'Z'; }
constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool IsQuote(char c) { return c == '"' || c == '\''; }

void AppendNumber(std::string& out, std::int64_t value, int minDigits) {
  char buf[24];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value < 0 ? -value : value);
  if (value < 0) out.push_back('-');
  for (auto n = static_cast<int>(end - buf); n < minDigits; ++n) out.push_back('0');
  out.append(buf, end);
}

// The text quoted from position `i` (an unclosed quote runs to the end) and
// the position after it.
struct Quoted {
  std::string_view text;
  std::size_t next;
};

Quoted ReadQuoted(std::string_view s, std::size_t i) {
  const std::size_t close = s.find(s[i], i + 1);
  if (close == std::string_view::npos) return {s.substr(i + 1), s.size()};
  return {s.substr(i + 1, close - i - 1), close + 1};
}

// ---------------------------------------------------------------------------
// Dates and times out.

class DateTimeWriter {
 public:
  DateTimeWriter(dt::DateTime value, const FormatSettings& settings)
      : settings_(settings), date_(dt::DecodeDate(value)), time_(dt::DecodeTime(value)) {
    // Day 0, 30 December 1899, was a Saturday.
    const auto day = static_cast<std::int64_t>(dt::EncodeDate(date_.year, date_.month, date_.day));
    dayOfWeek_ = static_cast<int>(((day + 6) % 7 + 7) % 7);
  }

  // Picture formats may refer to the settings' formats (c, ddddd, t); one
  // level of that is followed, so a format naming itself cannot loop.
  void Append(std::string_view pattern, int level = 0) {
    if (level > 1) return;
    char last = ' ';
    for (std::size_t i = 0; i < pattern.size();) {
      const char c = pattern[i];
      if (IsQuote(c)) {
        const Quoted quoted = ReadQuoted(pattern, i);
        out_.append(quoted.text);
        i = quoted.next;
        continue;
      }
      std::size_t count = 1;
      char token = Upper(c);
      if (IsLetter(c)) {
        while (i + count < pattern.size() && Upper(pattern[i + count]) == token) ++count;
        if (token == 'M' && last == 'H') token = 'N';
        last = token;
      }
      const int n = static_cast<int>(count);
      switch (token) {
        case 'Y':
          if (n <= 2) {
            AppendNumber(out_, (date_.year % 100 + 100) % 100, 2);
          } else {
            AppendNumber(out_, date_.year, 4);
          }
          break;
        case 'M':
          if (n <= 2) {
            AppendNumber(out_, date_.month, n);
          } else {
            out_.append((n == 3 ? kShortMonthNames : kLongMonthNames)[date_.month - 1]);
          }
          break;
        case 'D':
          if (n <= 2) {
            AppendNumber(out_, date_.day, n);
          } else if (n <= 4) {
            out_.append((n == 3 ? kShortDayNames : kLongDayNames)[dayOfWeek_]);
          } else {
            Append(n == 5 ? settings_.shortDateFormat : settings_.longDateFormat, level + 1);
          }
          break;
        case 'H':
          AppendNumber(out_, time_.hour, n >= 2 ? 2 : 1);
          break;
        case 'N':
          AppendNumber(out_, time_.minute, n >= 2 ? 2 : 1);
          break;
        case 'S':
          AppendNumber(out_, time_.second, n >= 2 ? 2 : 1);
          break;
        case 'Z':
          AppendNumber(out_, time_.millisecond, n >= 2 ? 3 : 1);
          break;
        case 'C':
          Append(settings_.shortDateFormat, level + 1);
          if (time_.hour != 0 || time_.minute != 0 || time_.second != 0) {
            out_.push_back(' ');
            Append(settings_.longTimeFormat, level + 1);
          }
          break;
        case 'T':
          Append(n == 1 ? settings_.shortTimeFormat : settings_.longTimeFormat, level + 1);
          break;
        case '/':
          out_.push_back(settings_.dateSeparator);
          break;
        case ':':
          out_.push_back(settings_.timeSeparator);
          break;
        default:
          out_.append(pattern.substr(i, count));
          break;
      }
      i += count;
    }
  }

  std::string Take() { return std::move(out_); }

 private:
  const FormatSettings& settings_;
  dt::CalendarDate date_;
  dt::ClockTime time_;
  int dayOfWeek_ = 0;
  std::string out_;
};

// ---------------------------------------------------------------------------
// Dates and times in.

class Scanner {
 public:
  explicit Scanner(std::string_view s) : s_(s) {}

  void SkipBlanks() {
    while (pos_ < s_.size() && s_[pos_] == ' ') ++pos_;
  }
  bool AtEnd() const { return pos_ == s_.size(); }
  std::size_t Position() const { return pos_; }
  void Rewind(std::size_t pos) { pos_ = pos; }

  bool Char(char c) {
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }

  // An unsigned decimal number of 1 to 9 digits; `digits` receives its length.
  bool Number(int& value, int& digits) {
    std::size_t end = pos_;
    while (end < s_.size() && IsDigit(s_[end])) ++end;
    if (end == pos_ || end - pos_ > 9) return false;
    value = 0;
    for (std::size_t i = pos_; i < end; ++i) value = value * 10 + (s_[i] - '0');
    digits = static_cast<int>(end - pos_);
    pos_ = end;
    return true;
  }
  bool Number(int& value) {
    int digits = 0;
    return Number(value, digits);
  }

 private:
  std::string_view s_;
  std::size_t pos_ = 0;
};

enum class DateOrder { kDayMonthYear, kMonthDayYear, kYearMonthDay };

DateOrder OrderOf(std::string_view format) {
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (IsQuote(format[i])) {
      i = ReadQuoted(format, i).next - 1;
      continue;
    }
    switch (Upper(format[i])) {
      case 'D':
        return DateOrder::kDayMonthYear;
      case 'Y':
        return DateOrder::kYearMonthDay;
      case 'M':
        return DateOrder::kMonthDayYear;
      default:
        break;
    }
  }
  return DateOrder::kMonthDayYear;
}

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

// Where the day, the month and the year stand among the numbers of a date,
// by DateOrder.
struct FieldPositions {
  int day, month, year;
};
constexpr FieldPositions kFieldPositions[] = {{0, 1, 2}, {1, 0, 2}, {2, 1, 0}};

bool ScanDate(Scanner& in, const FormatSettings& settings, dt::DateTime& result) {
  int numbers[3] = {};
  int lengths[3] = {};
  if (!in.Number(numbers[0], lengths[0]) || !in.Char(settings.dateSeparator) ||
      !in.Number(numbers[1], lengths[1])) {
    return false;
  }
  const DateOrder order = OrderOf(settings.shortDateFormat);
  const int currentYear = dt::DecodeDate(dt::Now()).year;
  int year = currentYear;
  int day = 0;
  int month = 0;
  if (in.Char(settings.dateSeparator)) {
    if (!in.Number(numbers[2], lengths[2])) return false;
    const FieldPositions& at = kFieldPositions[static_cast<int>(order)];
    day = numbers[at.day];
    month = numbers[at.month];
    year = numbers[at.year];
    if (lengths[at.year] <= 2) {
      const int windowStart = currentYear - 50;
      year += windowStart / 100 * 100;
      if (year < windowStart) year += 100;
    }
  } else {
    // Day and month only: the year's place is dropped from the order.
    const bool dayFirst = order == DateOrder::kDayMonthYear;
    day = numbers[dayFirst ? 0 : 1];
    month = numbers[dayFirst ? 1 : 0];
  }
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month)) {
    return false;
  }
  result = dt::EncodeDate(year, month, day);
  return true;
}

bool ScanTime(Scanner& in, const FormatSettings& settings, dt::DateTime& result) {
  int hour = 0, minute = 0, second = 0, millisecond = 0;
  if (!in.Number(hour) || !in.Char(settings.timeSeparator) || !in.Number(minute)) return false;
  if (in.Char(settings.timeSeparator)) {
    if (!in.Number(second)) return false;
    if (in.Char(settings.decimalSeparator)) {
      int digits = 0;
      if (!in.Number(millisecond, digits) || digits > 3) return false;
    }
  }
  if (hour > 23 || minute > 59 || second > 59) return false;
  result = dt::EncodeTime(hour, minute, second, millisecond);
  return true;
}

[[noreturn]] void ThrowInvalid(std::string_view text, std::string_view what) {
  throw std::invalid_argument("'" + std::string(text) + "' is not a valid " + std::string(what));
}

// ---------------------------------------------------------------------------
// Numbers.

// A finite value as decimal digits: value = 0.digits * 10^exponent, no
// trailing zeros; zero has no digits.
struct Decimal {
  bool negative = false;
  std::string digits;
  int exponent = 0;
};

Decimal ToDecimal(double value) {
  Decimal d;
  d.negative = std::signbit(value);
  // to_chars, unlike printf, ignores the C locale: d.ddddddddddddddde±x.
  char buf[40];
  const auto [end, ec] =
      std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
  const std::string_view text(buf, static_cast<std::size_t>(end - buf));
  const std::size_t e = text.find('e');
  d.digits.push_back(text[0]);
  if (e > 1) d.digits.append(text.substr(2, e - 2));
  int exp = 0;
  std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(), exp);
  d.exponent = exp + 1;
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) d = Decimal{};
  return d;
}

// Rounds half away from zero to `decimals` digits after the point.
void RoundTo(Decimal& d, int decimals) {
  const int keep = d.exponent + decimals;
  if (keep >= static_cast<int>(d.digits.size())) return;
  if (keep < 0) {
    d = Decimal{};
    return;
  }
  const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
  d.digits.resize(static_cast<std::size_t>(keep));
  if (up) {
    while (!d.digits.empty() && d.digits.back() == '9') d.digits.pop_back();
    if (d.digits.empty()) {
      d.digits = "1";
      ++d.exponent;
    } else {
      ++d.digits.back();
    }
  }
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) d = Decimal{};
}

// Digits of the integer part ("" for less than one) and of the fraction.
std::string IntegerDigits(const Decimal& d) {
  if (d.exponent <= 0) return "";
  std::string s = d.digits.substr(0, static_cast<std::size_t>(d.exponent));
  s.resize(static_cast<std::size_t>(d.exponent), '0');
  return s;
}

std::string FractionDigits(const Decimal& d) {
  if (d.exponent >= static_cast<int>(d.digits.size())) return "";
  if (d.exponent >= 0) return d.digits.substr(static_cast<std::size_t>(d.exponent));
  return std::string(static_cast<std::size_t>(-d.exponent), '0') + d.digits;
}

// What a FormatFloat section asks for.
struct SectionShape {
  int integerPlaceholders = 0;
  int minIntegerDigits = 0;  // placeholders from the first integer '0' on
  int decimals = 0;          // placeholders after the point
  int minDecimals = 0;       // up to the last '0' after the point
  bool grouping = false;
};

SectionShape ShapeOf(std::string_view section) {
  SectionShape shape;
  bool afterPoint = false;
  bool zeroSeen = false;
  for (std::size_t i = 0; i < section.size(); ++i) {
    const char c = section[i];
    if (IsQuote(c)) {
      i = ReadQuoted(section, i).next - 1;
    } else if (c == '0' || c == '#') {
      if (afterPoint) {
        ++shape.decimals;
        if (c == '0') shape.minDecimals = shape.decimals;
      } else {
        ++shape.integerPlaceholders;
        zeroSeen = zeroSeen || c == '0';
        if (zeroSeen) ++shape.minIntegerDigits;
      }
    } else if (c == '.') {
      afterPoint = true;
    } else if (c == ',') {
      shape.grouping = true;
    }
  }
  return shape;
}

std::string FormatSection(std::string_view section, const Decimal& value, bool minus,
                          const FormatSettings& settings) {
  const SectionShape shape = ShapeOf(section);
  std::string integer = IntegerDigits(value);
  if (static_cast<int>(integer.size()) < shape.minIntegerDigits) {
    integer.insert(0, static_cast<std::size_t>(shape.minIntegerDigits) - integer.size(), '0');
  }
  std::string fraction = FractionDigits(value);
  if (static_cast<int>(fraction.size()) < shape.minDecimals) {
    fraction.resize(static_cast<std::size_t>(shape.minDecimals), '0');
  }

  std::string out;
  out.reserve(section.size() + integer.size() + integer.size() / 3 + fraction.size() + 2);
  if (minus) out.push_back('-');
  const auto intCount = static_cast<int>(integer.size());
  auto emitInteger = [&](int index) {
    out.push_back(integer[static_cast<std::size_t>(index)]);
    const int right = intCount - 1 - index;
    if (shape.grouping && right > 0 && right % 3 == 0) out.push_back(settings.thousandSeparator);
  };
  int placeholder = 0;  // integer placeholders passed
  int fractionIndex = 0;
  bool afterPoint = false;
  for (std::size_t i = 0; i < section.size(); ++i) {
    const char c = section[i];
    if (IsQuote(c)) {
      const Quoted quoted = ReadQuoted(section, i);
      out.append(quoted.text);
      i = quoted.next - 1;
    } else if ((c == '0' || c == '#') && !afterPoint) {
      // The first placeholder also takes the digits the picture has no room
      // for; each placeholder then stands for one digit from the right end.
      const int digit = intCount - shape.integerPlaceholders + placeholder;
      if (placeholder == 0) {
        for (int k = 0; k < digit; ++k) emitInteger(k);
      }
      if (digit >= 0) emitInteger(digit);
      ++placeholder;
    } else if (c == '0' || c == '#') {
      if (fractionIndex < static_cast<int>(fraction.size())) {
        out.push_back(fraction[static_cast<std::size_t>(fractionIndex)]);
      }
      ++fractionIndex;
    } else if (c == '.') {
      if (!afterPoint && !fraction.empty()) out.push_back(settings.decimalSeparator);
      afterPoint = true;
    } else if (c != ',') {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace

FormatSettings& ProcessFormats() {
  static FormatSettings settings;
  return settings;
}

std::string FormatDateTime(std::string_view pattern, dt::DateTime value,
                           const FormatSettings& settings) {
  DateTimeWriter writer(value, settings);
  writer.Append(pattern);
  return writer.Take();
}

std::string DateToStr(dt::DateTime value, const FormatSettings& settings) {
  return FormatDateTime(settings.shortDateFormat, value, settings);
}

std::string TimeToStr(dt::DateTime value, const FormatSettings& settings) {
  return FormatDateTime(settings.longTimeFormat, value, settings);
}

std::string DateTimeToStr(dt::DateTime value, const FormatSettings& settings) {
  return FormatDateTime("c", value, settings);
}

dt::DateTime StrToDate(std::string_view text, const FormatSettings& settings) {
  Scanner in(text);
  dt::DateTime date;
  in.SkipBlanks();
  if (!ScanDate(in, settings, date)) ThrowInvalid(text, "date");
  in.SkipBlanks();
  if (!in.AtEnd()) ThrowInvalid(text, "date");
  return date;
}

dt::DateTime StrToTime(std::string_view text, const FormatSettings& settings) {
  Scanner in(text);
  dt::DateTime time;
  in.SkipBlanks();
  if (!ScanTime(in, settings, time)) ThrowInvalid(text, "time");
  in.SkipBlanks();
  if (!in.AtEnd()) ThrowInvalid(text, "time");
  return time;
}

dt::DateTime StrToDateTime(std::string_view text, const FormatSettings& settings) {
  Scanner in(text);
  in.SkipBlanks();
  const std::size_t start = in.Position();
  dt::DateTime date = 0;
  dt::DateTime time = 0;
  if (ScanDate(in, settings, date)) {
    const std::size_t afterDate = in.Position();
    in.SkipBlanks();
    if (!in.AtEnd() && (in.Position() == afterDate || !ScanTime(in, settings, time))) {
      ThrowInvalid(text, "date and time");
    }
  } else {
    in.Rewind(start);
    if (!ScanTime(in, settings, time)) ThrowInvalid(text, "date and time");
  }
  in.SkipBlanks();
  if (!in.AtEnd()) ThrowInvalid(text, "date and time");
  return date < 0 ? date - time : date + time;
}

std::string FloatToStr(double value, const FormatSettings& settings) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  const Decimal d = ToDecimal(value);
  if (d.digits.empty()) return "0";

  std::string out;
  if (d.negative) out.push_back('-');
  const auto count = static_cast<int>(d.digits.size());
  // 0.00001 is 0.1E-4: fixed down to exponent -4.
  if (d.exponent > 15 || d.exponent < -4) {
    out.push_back(d.digits[0]);
    if (count > 1) {
      out.push_back(settings.decimalSeparator);
      out.append(d.digits, 1);
    }
    out.push_back('E');
    AppendNumber(out, d.exponent - 1, 1);
    return out;
  }
  if (d.exponent <= 0) {
    out.push_back('0');
    out.push_back(settings.decimalSeparator);
    out.append(static_cast<std::size_t>(-d.exponent), '0');
    out.append(d.digits);
  } else if (d.exponent >= count) {
    out.append(d.digits);
    out.append(static_cast<std::size_t>(d.exponent - count), '0');
  } else {
    out.append(d.digits, 0, static_cast<std::size_t>(d.exponent));
    out.push_back(settings.decimalSeparator);
    out.append(d.digits, static_cast<std::size_t>(d.exponent));
  }
  return out;
}

std::string FormatFloat(std::string_view pattern, double value, const FormatSettings& settings) {
  if (pattern.empty() || !std::isfinite(value)) return FloatToStr(value, settings);

  std::string_view sections[3];
  int sectionCount = 0;
  std::size_t begin = 0;
  for (std::size_t i = 0; i <= pattern.size() && sectionCount < 3; ++i) {
    if (i < pattern.size() && IsQuote(pattern[i])) {
      i = ReadQuoted(pattern, i).next - 1;
    } else if (i == pattern.size() || pattern[i] == ';') {
      sections[sectionCount++] = pattern.substr(begin, i - begin);
      begin = i + 1;
    }
  }

  Decimal d = ToDecimal(value);
  std::string_view section = sections[0];
  bool minus = d.negative;
  if (d.negative && sectionCount > 1 && !sections[1].empty()) {
    section = sections[1];
    minus = false;
  }
  RoundTo(d, ShapeOf(section).decimals);
  // A value that rounds to zero is zero, whatever its sign: never "-0".
  if (d.digits.empty()) {
    minus = false;
    section = sectionCount > 2 && !sections[2].empty() ? sections[2] : sections[0];
  }
  return FormatSection(section, d, minus, settings);
}

double StrToFloat(std::string_view text, const FormatSettings& settings) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && text[begin] == ' ') ++begin;
  while (end > begin && text[end - 1] == ' ') --end;

  // Rewrite in the form from_chars reads: '.' for the point, no '+' sign.
  std::string plain;
  plain.reserve(end - begin);
  std::size_t i = begin;
  if (i < end && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') plain.push_back('-');
    ++i;
  }
  bool digits = false;
  bool point = false;
  for (; i < end; ++i) {
    const char c = text[i];
    if (IsDigit(c)) {
      digits = true;
      plain.push_back(c);
    } else if (c == settings.decimalSeparator && !point) {
      point = true;
      plain.push_back('.');
    } else {
      break;
    }
  }
  if (!digits) ThrowInvalid(text, "floating point value");
  if (i < end && (text[i] == 'E' || text[i] == 'e')) {
    plain.push_back('e');
    ++i;
    if (i < end && (text[i] == '+' || text[i] == '-')) plain.push_back(text[i++]);
    const std::size_t expBegin = i;
    while (i < end && IsDigit(text[i])) plain.push_back(text[i++]);
    if (i == expBegin) ThrowInvalid(text, "floating point value");
  }
  if (i != end) ThrowInvalid(text, "floating point value");

  double value = 0;
  const auto [ptr, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (ec != std::errc{} || ptr != plain.data() + plain.size()) {
    ThrowInvalid(text, "floating point value");
  }
  return value;
}

std::string IntToStr(std::int64_t value) { return std::to_string(value); }

}  // namespace formats
