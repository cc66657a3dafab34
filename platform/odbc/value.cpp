#include "platform/odbc/value.h"

#include <cmath>
#include <limits>
#include <stdexcept>

#include "platform/odbc/error.h"
#include "platform/odbc/query.h"
#include "platform/odbc/statement.h"
#include "platform/sql/named_parameters.h"
#include "platform/text/win1250.h"
#include "platform/time/formats.h"

namespace odbc {
namespace {

// Text read as a number takes either decimal separator, so that "12.5" and
// "12,5" both read as twelve and a half.
double ParseNumber(const std::string& field, std::string_view text) {
  const std::optional<double> v = sql::ParseDecimal(text);
  if (!v) throw Error("'" + std::string(text) + "' is not a valid number for " + field);
  return *v;
}

std::int64_t ToInteger(const std::string& field, double v) {
  const double r = std::nearbyint(v);
  if (!(std::fabs(r) < 9.2e18)) throw Error("Integer overflow in " + field);
  return static_cast<std::int64_t>(r);
}

}  // namespace

const std::string& Field::Name() const { return query_->ColumnAt(column_).name; }

ValueKind Field::Kind() const { return query_->ColumnAt(column_).kind; }

bool Field::IsNull() const {
  query_->ColumnAt(column_);
  return !query_->HasRow() || query_->rows_.IsNull(query_->position_, column_);
}

std::int64_t Field::AsInt64() const {
  if (IsNull()) return 0;
  const detail::RowStore& rows = query_->rows_;
  const std::size_t row = query_->position_;
  switch (Kind()) {
    case ValueKind::Integer:
      return rows.Integer(row, column_);
    case ValueKind::Float:
    case ValueKind::DateTime:
      return ToInteger(Name(), rows.Float(row, column_));
    case ValueKind::Text:
      return ToInteger(Name(), ParseNumber(Name(), rows.Text(row, column_)));
    case ValueKind::Null:
      break;
  }
  return 0;
}

std::int32_t Field::AsInteger() const {
  const std::int64_t v = AsInt64();
  if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
    throw Error("Integer overflow in " + Name());
  return static_cast<std::int32_t>(v);
}

double Field::AsFloat() const {
  if (IsNull()) return 0;
  const detail::RowStore& rows = query_->rows_;
  const std::size_t row = query_->position_;
  switch (Kind()) {
    case ValueKind::Integer:
      return static_cast<double>(rows.Integer(row, column_));
    case ValueKind::Float:
    case ValueKind::DateTime:
      return rows.Float(row, column_);
    case ValueKind::Text:
      return ParseNumber(Name(), rows.Text(row, column_));
    case ValueKind::Null:
      break;
  }
  return 0;
}

dt::DateTime Field::AsDateTime() const {
  if (IsNull()) return 0;
  if (Kind() != ValueKind::Text) return AsFloat();
  const std::string_view text = query_->rows_.Text(query_->position_, column_);
  try {
    return formats::StrToDateTime(text);
  } catch (const std::exception& e) {
    throw Error(std::string(e.what()) + " in " + Name());
  }
}

std::string Field::AsString() const {
  if (IsNull()) return {};
  const detail::RowStore& rows = query_->rows_;
  const std::size_t row = query_->position_;
  switch (Kind()) {
    case ValueKind::Integer:
      return formats::IntToStr(rows.Integer(row, column_));
    case ValueKind::Float:
      return formats::FloatToStr(rows.Float(row, column_));
    case ValueKind::DateTime:
      return formats::DateTimeToStr(rows.Float(row, column_));
    case ValueKind::Text:
      return std::string(rows.Text(row, column_));
    case ValueKind::Null:
      break;
  }
  return {};
}

}  // namespace odbc
