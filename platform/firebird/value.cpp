#include "platform/firebird/value.h"

#include <cmath>
#include <stdexcept>

#include "platform/firebird/error.h"
#include "platform/sql/named_parameters.h"
#include "platform/text/win1250.h"
#include "platform/time/formats.h"

namespace fb {
namespace {

// Text sent where a number is expected: either decimal separator is taken,
// so that "12.5" and "12,5" both read as twelve and a half.
double ParseNumber(const std::string& name, const std::string& text) {
  const std::optional<double> v = sql::ParseDecimal(text);
  if (!v)
    throw FirebirdError(
        "'" + text + "' is not a valid number" + (name.empty() ? "" : " for " + name), -413);
  return *v;
}

// Halves away from zero, as the server converts a number to an integer.
std::int64_t RoundToInteger(double v) {
  const double r = std::round(v);
  if (!(std::fabs(r) < 9.2e18)) throw FirebirdError("Integer overflow", -802);
  return static_cast<std::int64_t>(r);
}

}  // namespace

std::int64_t Value::AsInt64() const {
  switch (kind_) {
    case Kind::Null:
      return 0;
    case Kind::Integer:
      return int_;
    case Kind::Float:
    case Kind::DateTime:
      return RoundToInteger(float_);
    case Kind::Text:
      return RoundToInteger(ParseNumber(name_, text_));
  }
  return 0;
}

std::int32_t Value::AsInteger() const {
  const std::int64_t v = AsInt64();
  if (v < INT32_MIN || v > INT32_MAX)
    throw FirebirdError("Integer overflow" + (name_.empty() ? "" : " in " + name_), -802);
  return static_cast<std::int32_t>(v);
}

double Value::AsFloat() const {
  switch (kind_) {
    case Kind::Null:
      return 0;
    case Kind::Integer:
      return static_cast<double>(int_);
    case Kind::Float:
    case Kind::DateTime:
      return float_;
    case Kind::Text:
      return ParseNumber(name_, text_);
  }
  return 0;
}

dt::DateTime Value::AsDateTime() const {
  switch (kind_) {
    case Kind::Null:
      return 0;
    case Kind::Integer:
      return static_cast<double>(int_);
    case Kind::Float:
    case Kind::DateTime:
      return float_;
    case Kind::Text:
      try {
        return formats::StrToDateTime(text_);
      } catch (const std::exception& e) {
        throw FirebirdError(e.what(), -413);
      }
  }
  return 0;
}

std::string Value::AsString() const {
  switch (kind_) {
    case Kind::Null:
      return {};
    case Kind::Integer:
      return formats::IntToStr(int_);
    case Kind::Float:
      return formats::FloatToStr(float_);
    case Kind::DateTime:
      return formats::DateTimeToStr(float_);
    case Kind::Text:
      return text_;
  }
  return {};
}

}  // namespace fb
