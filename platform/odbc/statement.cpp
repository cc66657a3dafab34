#include "platform/odbc/statement.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/odbc/utf16.h"
#include "platform/time/datetime.h"

namespace odbc::detail {
namespace {

// Character columns up to this size are bound; longer ones (and long types)
// are read in chunks. SQL Server's longest non-max types are varchar(8000)
// and nvarchar(4000).
constexpr SQLULEN kMaxBoundChars = 8000;
// Rows per fetch, and a cap on the row array for wide rows.
constexpr std::size_t kBlockRows = 256;
constexpr std::size_t kMaxBlockBytes = 4 << 20;
// Text longer than this many UTF-16 units is sent as a long parameter.
constexpr std::size_t kMaxShortParamUnits = 4000;
constexpr std::size_t kChunkUnits = 2048;

std::size_t AlignUp(std::size_t n) { return (n + 7) & ~std::size_t{7}; }

// How a reported SQL type is fetched: its kind, C type and buffer size
// (0: not bindable, read with SQLGetData).
void Classify(SQLSMALLINT sqlType, SQLULEN size, Column& c) {
  switch (sqlType) {
    case SQL_BIT:
      c.kind = ValueKind::Integer;
      c.cType = SQL_C_BIT;
      c.valueBytes = sizeof(unsigned char);
      return;
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
      c.kind = ValueKind::Integer;
      c.cType = SQL_C_SBIGINT;
      c.valueBytes = sizeof(SQLBIGINT);
      return;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
      c.kind = ValueKind::Float;
      c.cType = SQL_C_DOUBLE;
      c.valueBytes = sizeof(SQLDOUBLE);
      return;
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIMESTAMP:
    case SQL_DATE:
    case SQL_TIMESTAMP:
      c.kind = ValueKind::DateTime;
      c.cType = SQL_C_TYPE_TIMESTAMP;
      c.valueBytes = sizeof(SQL_TIMESTAMP_STRUCT);
      return;
    case SQL_TYPE_TIME:
    case SQL_TIME:
      c.kind = ValueKind::DateTime;
      c.cType = SQL_C_TYPE_TIME;
      c.valueBytes = sizeof(SQL_TIME_STRUCT);
      return;
    case SQL_GUID:
      size = 36;
      [[fallthrough]];
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
      c.kind = ValueKind::Text;
      c.cType = SQL_C_WCHAR;
      c.valueBytes = size > 0 && size <= kMaxBoundChars ? (size + 1) * sizeof(SQLWCHAR) : 0;
      return;
    default:
      // Long text, binary and driver-specific types arrive as text.
      c.kind = ValueKind::Text;
      c.cType = SQL_C_WCHAR;
      c.valueBytes = 0;
      return;
  }
}

dt::DateTime FromTimestamp(const SQL_TIMESTAMP_STRUCT& t) {
  const auto ms = static_cast<int>((t.fraction + 500'000) / 1'000'000);
  return dt::EncodeDateTime(t.year, t.month, t.day, t.hour, t.minute, t.second, ms);
}

dt::DateTime FromTime(const SQL_TIME_STRUCT& t) {
  return dt::EncodeTime(t.hour, t.minute, t.second);
}

SQL_TIMESTAMP_STRUCT ToTimestamp(dt::DateTime v) {
  const dt::CalendarDate d = dt::DecodeDate(v);
  const dt::ClockTime t = dt::DecodeTime(v);
  SQL_TIMESTAMP_STRUCT ts{};
  ts.year = static_cast<SQLSMALLINT>(d.year);
  ts.month = static_cast<SQLUSMALLINT>(d.month);
  ts.day = static_cast<SQLUSMALLINT>(d.day);
  ts.hour = static_cast<SQLUSMALLINT>(t.hour);
  ts.minute = static_cast<SQLUSMALLINT>(t.minute);
  ts.second = static_cast<SQLUSMALLINT>(t.second);
  ts.fraction = static_cast<SQLUINTEGER>(t.millisecond) * 1'000'000u;
  return ts;
}

Error TruncatedText(const Column& c) {
  return Error("Text in column " + c.name + " is longer than its declared size of " +
               std::to_string(c.declaredSize) + " characters");
}

}  // namespace

Statement::Statement(SQLHDBC connection, std::string_view sql)
    : statement_(SQL_HANDLE_STMT, connection) {
  std::vector<SQLWCHAR> text = ToUtf16z(sql);
  Check(SQLPrepareW(statement_.Get(), text.data(), SQL_NTS), statement_);
}

void Statement::Bind(SQLUSMALLINT number, const Param* param, ParamSlot& slot) {
  SQLSMALLINT cType = SQL_C_WCHAR;
  SQLSMALLINT sqlType = SQL_WVARCHAR;
  SQLULEN size = 1;
  SQLSMALLINT digits = 0;
  SQLPOINTER value = nullptr;
  SQLLEN length = 0;
  const ValueKind kind = param ? param->Kind() : ValueKind::Null;
  slot.indicator = 0;
  switch (kind) {
    case ValueKind::Null:
      slot.text.assign(1, 0);
      value = slot.text.data();
      slot.indicator = SQL_NULL_DATA;
      break;
    case ValueKind::Integer:
      // An int parameter keeps SQL Server from widening an int column.
      if (param->IntegerValue() >= std::numeric_limits<SQLINTEGER>::min() &&
          param->IntegerValue() <= std::numeric_limits<SQLINTEGER>::max()) {
        slot.int32 = static_cast<SQLINTEGER>(param->IntegerValue());
        cType = SQL_C_SLONG;
        sqlType = SQL_INTEGER;
        size = 10;
        value = &slot.int32;
      } else {
        slot.int64 = param->IntegerValue();
        cType = SQL_C_SBIGINT;
        sqlType = SQL_BIGINT;
        size = 19;
        value = &slot.int64;
      }
      break;
    case ValueKind::Float:
      slot.real = param->FloatValue();
      cType = SQL_C_DOUBLE;
      sqlType = SQL_DOUBLE;
      size = 15;
      value = &slot.real;
      break;
    case ValueKind::DateTime:
      slot.timestamp = ToTimestamp(param->FloatValue());
      cType = SQL_C_TYPE_TIMESTAMP;
      sqlType = SQL_TYPE_TIMESTAMP;
      // Milliseconds: SQL Server's datetime refuses a finer binding.
      size = 23;
      digits = 3;
      value = &slot.timestamp;
      break;
    case ValueKind::Text: {
      slot.text.clear();
      AppendUtf16(param->TextValue(), slot.text);
      const std::size_t units = slot.text.size();
      slot.text.push_back(0);
      // One declared size for every short text keeps the server's plan for
      // the prepared statement valid whatever the length.
      size = kMaxShortParamUnits;
      if (units > kMaxShortParamUnits) {
        sqlType = SQL_WLONGVARCHAR;
        size = units;
      }
      value = slot.text.data();
      length = static_cast<SQLLEN>(slot.text.size() * sizeof(SQLWCHAR));
      slot.indicator = static_cast<SQLLEN>(units * sizeof(SQLWCHAR));
      break;
    }
  }
  Check(SQLBindParameter(statement_.Get(), number, SQL_PARAM_INPUT, cType, sqlType, size, digits,
                         value, length, &slot.indicator),
        statement_);
}

void Statement::Execute(const std::vector<const Param*>& markers) {
  CloseCursor();
  slots_.resize(markers.size());
  for (std::size_t i = 0; i < markers.size(); ++i)
    Bind(static_cast<SQLUSMALLINT>(i + 1), markers[i], slots_[i]);
  Check(SQLExecute(statement_.Get()), statement_);
  if (!described_) DescribeAndBind();
}

void Statement::DescribeAndBind() {
  SQLSMALLINT count = 0;
  Check(SQLNumResultCols(statement_.Get(), &count), statement_);
  columns_.assign(static_cast<std::size_t>(count), Column{});
  std::vector<SQLWCHAR> name(128);
  for (SQLUSMALLINT i = 0; i < count; ++i) {
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT sqlType = 0;
    SQLULEN size = 0;
    SQLSMALLINT digits = 0;
    SQLSMALLINT nullable = 0;
    for (;;) {
      Check(SQLDescribeColW(statement_.Get(), i + 1, name.data(),
                            static_cast<SQLSMALLINT>(name.size()), &nameLength, &sqlType, &size,
                            &digits, &nullable),
            statement_);
      if (static_cast<std::size_t>(nameLength) < name.size()) break;
      name.resize(static_cast<std::size_t>(nameLength) + 1);
    }
    Column& c = columns_[i];
    c.name = ToUtf8(name.data(), static_cast<std::size_t>(nameLength));
    c.declaredSize = size;
    Classify(sqlType, size, c);
  }

  // SQLGetData is portable only for the columns after the last bound one.
  firstUnbound_ = columns_.size();
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    if (columns_[i].valueBytes == 0) {
      firstUnbound_ = i;
      break;
    }
  }
  rowBytes_ = 0;
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    Column& c = columns_[i];
    c.bound = i < firstUnbound_;
    if (!c.bound) continue;
    c.valueOffset = rowBytes_;
    c.indicatorOffset = AlignUp(rowBytes_ + c.valueBytes);
    rowBytes_ = AlignUp(c.indicatorOffset + sizeof(SQLLEN));
  }
  described_ = true;
  if (columns_.empty()) return;

  std::size_t rows = 1;
  if (firstUnbound_ == columns_.size())
    rows = std::clamp<std::size_t>(kMaxBlockBytes / rowBytes_, 1, kBlockRows);
  const SQLHSTMT h = statement_.Get();
  if (rowBytes_ > 0) {
    Check(SQLSetStmtAttr(h, SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(rowBytes_), 0),
          statement_);
  }
  Check(SQLSetStmtAttr(h, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(rows), 0),
        statement_);
  // A driver may lower the array size (01S02); use what it kept.
  arraySize_ = rows;
  Check(SQLGetStmtAttr(h, SQL_ATTR_ROW_ARRAY_SIZE, &arraySize_, 0, nullptr), statement_);
  if (arraySize_ == 0 || arraySize_ > rows) throw Error("The driver did not accept a row array");
  rowStatus_.assign(arraySize_, SQL_ROW_NOROW);
  Check(SQLSetStmtAttr(h, SQL_ATTR_ROW_STATUS_PTR, rowStatus_.data(), 0), statement_);
  Check(SQLSetStmtAttr(h, SQL_ATTR_ROWS_FETCHED_PTR, &rowsFetched_, 0), statement_);
  rowArray_.assign(std::max<std::size_t>(arraySize_ * rowBytes_ / sizeof(std::uint64_t), 1), 0);
  auto* base = reinterpret_cast<unsigned char*>(rowArray_.data());
  for (std::size_t i = 0; i < firstUnbound_; ++i) {
    Column& c = columns_[i];
    Check(SQLBindCol(h, static_cast<SQLUSMALLINT>(i + 1), c.cType, base + c.valueOffset,
                     static_cast<SQLLEN>(c.valueBytes),
                     reinterpret_cast<SQLLEN*>(base + c.indicatorOffset)),
          statement_);
  }
}

bool Statement::FetchBlock(RowStore& store) {
  if (columns_.empty()) return false;
  rowsFetched_ = 0;
  const SQLRETURN rc = SQLFetch(statement_.Get());
  if (rc == SQL_NO_DATA) return false;
  Check(rc, statement_);
  const auto* base = reinterpret_cast<const unsigned char*>(rowArray_.data());
  for (SQLULEN r = 0; r < rowsFetched_; ++r) {
    if (rowStatus_[r] == SQL_ROW_ERROR) throw DiagnosticError(SQL_HANDLE_STMT, statement_.Get());
    if (rowStatus_[r] == SQL_ROW_NOROW) continue;
    store.AddRow();
    ReadBound(base + r * rowBytes_, store);
    if (firstUnbound_ < columns_.size()) ReadUnbound(store);
  }
  return rowsFetched_ > 0;
}

void Statement::ReadBound(const unsigned char* row, RowStore& store) const {
  for (std::size_t i = 0; i < firstUnbound_; ++i) {
    const Column& c = columns_[i];
    SQLLEN indicator = 0;
    std::memcpy(&indicator, row + c.indicatorOffset, sizeof indicator);
    if (indicator == SQL_NULL_DATA) continue;
    const unsigned char* value = row + c.valueOffset;
    switch (c.cType) {
      case SQL_C_BIT:
        store.SetInteger(i, *value != 0 ? 1 : 0);
        break;
      case SQL_C_SBIGINT: {
        SQLBIGINT v = 0;
        std::memcpy(&v, value, sizeof v);
        store.SetInteger(i, v);
        break;
      }
      case SQL_C_DOUBLE: {
        SQLDOUBLE v = 0;
        std::memcpy(&v, value, sizeof v);
        store.SetFloat(i, v);
        break;
      }
      case SQL_C_TYPE_TIMESTAMP: {
        SQL_TIMESTAMP_STRUCT v;
        std::memcpy(&v, value, sizeof v);
        store.SetFloat(i, FromTimestamp(v));
        break;
      }
      case SQL_C_TYPE_TIME: {
        SQL_TIME_STRUCT v;
        std::memcpy(&v, value, sizeof v);
        store.SetFloat(i, FromTime(v));
        break;
      }
      default: {
        // The driver leaves room for the terminator: a full buffer means cut.
        if (indicator == SQL_NO_TOTAL ||
            static_cast<std::size_t>(indicator) > c.valueBytes - sizeof(SQLWCHAR))
          throw TruncatedText(c);
        AppendUtf8(reinterpret_cast<const SQLWCHAR*>(value),
                   static_cast<std::size_t>(indicator) / sizeof(SQLWCHAR), store.BeginText(i));
        store.EndText(i);
        break;
      }
    }
  }
}

void Statement::ReadUnbound(RowStore& store) {
  const SQLHSTMT h = statement_.Get();
  for (std::size_t i = firstUnbound_; i < columns_.size(); ++i) {
    const Column& c = columns_[i];
    const auto number = static_cast<SQLUSMALLINT>(i + 1);
    SQLLEN indicator = 0;
    switch (c.cType) {
      case SQL_C_BIT: {
        unsigned char v = 0;
        Check(SQLGetData(h, number, c.cType, &v, sizeof v, &indicator), statement_);
        if (indicator != SQL_NULL_DATA) store.SetInteger(i, v != 0 ? 1 : 0);
        break;
      }
      case SQL_C_SBIGINT: {
        SQLBIGINT v = 0;
        Check(SQLGetData(h, number, c.cType, &v, sizeof v, &indicator), statement_);
        if (indicator != SQL_NULL_DATA) store.SetInteger(i, v);
        break;
      }
      case SQL_C_DOUBLE: {
        SQLDOUBLE v = 0;
        Check(SQLGetData(h, number, c.cType, &v, sizeof v, &indicator), statement_);
        if (indicator != SQL_NULL_DATA) store.SetFloat(i, v);
        break;
      }
      case SQL_C_TYPE_TIMESTAMP: {
        SQL_TIMESTAMP_STRUCT v{};
        Check(SQLGetData(h, number, c.cType, &v, sizeof v, &indicator), statement_);
        if (indicator != SQL_NULL_DATA) store.SetFloat(i, FromTimestamp(v));
        break;
      }
      case SQL_C_TYPE_TIME: {
        SQL_TIME_STRUCT v{};
        Check(SQLGetData(h, number, c.cType, &v, sizeof v, &indicator), statement_);
        if (indicator != SQL_NULL_DATA) store.SetFloat(i, FromTime(v));
        break;
      }
      default:
        ReadLongText(number, i, store);
        break;
    }
  }
}

void Statement::ReadLongText(SQLUSMALLINT number, std::size_t column, RowStore& store) {
  chunk_.resize(kChunkUnits);
  longText_.clear();
  const auto chunkBytes = static_cast<SQLLEN>(chunk_.size() * sizeof(SQLWCHAR));
  for (;;) {
    SQLLEN indicator = 0;
    const SQLRETURN rc =
        SQLGetData(statement_.Get(), number, SQL_C_WCHAR, chunk_.data(), chunkBytes, &indicator);
    if (rc == SQL_NO_DATA) break;
    Check(rc, statement_);
    if (indicator == SQL_NULL_DATA) return;
    // A full chunk (or an unknown total) means more is to come; the last
    // unit of a full chunk is the terminator.
    const bool more = indicator == SQL_NO_TOTAL || indicator >= chunkBytes;
    const std::size_t units =
        more ? chunk_.size() - 1 : static_cast<std::size_t>(indicator) / sizeof(SQLWCHAR);
    longText_.insert(longText_.end(), chunk_.begin(), chunk_.begin() + static_cast<long>(units));
    if (!more) break;
  }
  AppendUtf8(longText_.data(), longText_.size(), store.BeginText(column));
  store.EndText(column);
}

void Statement::CloseCursor() noexcept { SQLFreeStmt(statement_.Get(), SQL_CLOSE); }

}  // namespace odbc::detail
