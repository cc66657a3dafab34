// A value travelling to or from the Firebird server: a statement parameter, a
// procedure parameter or a field of a fetched row.
//
// Setters store the program's value; the conversion to the server's declared
// type happens when the statement executes. Getters convert what the server
// sent: NULL reads as 0, as empty text or as date-time 0.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/time/datetime.h"

namespace fb {

class Value {
 public:
  enum class Kind { Null, Integer, Float, Text, DateTime };

  explicit Value(std::string name = {}) : name_(std::move(name)) {}

  const std::string& Name() const { return name_; }
  Kind GetKind() const { return kind_; }
  bool IsNull() const { return kind_ == Kind::Null; }

  void Clear() { kind_ = Kind::Null; }
  void SetInteger(std::int64_t v) {
    kind_ = Kind::Integer;
    int_ = v;
  }
  void SetFloat(double v) {
    kind_ = Kind::Float;
    float_ = v;
  }
  void SetDateTime(dt::DateTime v) {
    kind_ = Kind::DateTime;
    float_ = v;
  }
  // UTF-8 text. A text parameter declared as a blob is sent as a text blob.
  void SetString(std::string_view v) {
    kind_ = Kind::Text;
    text_.assign(v);
  }

  // Takes other's content; this value keeps its own name.
  void AssignFrom(const Value& other) {
    kind_ = other.kind_;
    int_ = other.int_;
    float_ = other.float_;
    text_ = other.text_;
  }

  // Conversions for reading. Text that is not a number raises FirebirdError.
  std::int32_t AsInteger() const;
  std::int64_t AsInt64() const;
  double AsFloat() const;
  dt::DateTime AsDateTime() const;
  // Numbers print with the process-wide number format, date-times with the
  // process-wide date and time formats.
  std::string AsString() const;

 private:
  std::string name_;
  Kind kind_ = Kind::Null;
  std::int64_t int_ = 0;
  double float_ = 0;
  std::string text_;
};

}  // namespace fb
