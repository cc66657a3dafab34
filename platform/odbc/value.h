// Values travelling to and from an ODBC data source: statement parameters
// (Param) and fields of the current row of a query (Field).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "platform/time/datetime.h"

namespace odbc {

class Query;

enum class ValueKind { Null, Integer, Float, Text, DateTime };

// A named statement parameter. It keeps its value between executions; Clear
// makes it NULL.
class Param {
 public:
  explicit Param(std::string name = {}) : name_(std::move(name)) {}

  const std::string& Name() const { return name_; }
  ValueKind Kind() const { return kind_; }
  bool IsNull() const { return kind_ == ValueKind::Null; }

  void Clear() { kind_ = ValueKind::Null; }
  void SetInteger(std::int64_t v) {
    kind_ = ValueKind::Integer;
    integer_ = v;
  }
  void SetFloat(double v) {
    kind_ = ValueKind::Float;
    float_ = v;
  }
  // UTF-8 text.
  void SetString(std::string_view v) {
    kind_ = ValueKind::Text;
    text_.assign(v);
  }
  // Sent as a timestamp to the millisecond.
  void SetDateTime(dt::DateTime v) {
    kind_ = ValueKind::DateTime;
    float_ = v;
  }

  std::int64_t IntegerValue() const { return integer_; }
  double FloatValue() const { return float_; }
  const std::string& TextValue() const { return text_; }

 private:
  std::string name_;
  ValueKind kind_ = ValueKind::Null;
  std::int64_t integer_ = 0;
  double float_ = 0;
  std::string text_;
};

// One column of a query, read from whatever row is current when a getter is
// called: a Field may be looked up once and read on every row. A field of a
// query without a current row reads as NULL.
//
// NULL reads as 0, as empty text or as date-time 0. Integers come from
// integer and bit columns (bit: 0 or 1), floats from decimal, numeric and
// floating columns, date-times from date, time and timestamp columns; other
// columns are text. Getters convert between the kinds: a float to an integer
// rounds half to even, text to a number accepts '.' or ',' as the decimal
// separator, and text that does not convert raises odbc::Error.
class Field {
 public:
  const std::string& Name() const;
  // The kind of the column (never Null).
  ValueKind Kind() const;
  bool IsNull() const;

  std::int32_t AsInteger() const;
  std::int64_t AsInt64() const;
  double AsFloat() const;
  // Numbers print with the process-wide number format, date-times with the
  // process-wide date and time formats.
  std::string AsString() const;
  dt::DateTime AsDateTime() const;

 private:
  friend class Query;
  Field(const Query* query, std::size_t column) : query_(query), column_(column) {}

  const Query* query_;
  std::size_t column_;
};

}  // namespace odbc
