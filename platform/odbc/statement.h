// Internal: one prepared ODBC statement with its parameter bindings and its
// bound result columns. The columns are described and bound once, after the
// first execution, and stay bound for every later execution of the same
// text. Fixed-size columns are fetched in blocks of rows; when a long text
// column is present, rows come one at a time and the columns from the first
// long one on are read with SQLGetData (a driver need not allow SQLGetData
// with a block cursor or before a bound column).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/odbc/diagnostics.h"
#include "platform/odbc/row_store.h"
#include "platform/odbc/value.h"

namespace odbc::detail {

struct Column {
  std::string name;
  ValueKind kind = ValueKind::Text;
  SQLSMALLINT cType = SQL_C_WCHAR;
  SQLULEN declaredSize = 0;
  bool bound = false;  // in the row array; otherwise read with SQLGetData
  std::size_t valueOffset = 0;
  std::size_t valueBytes = 0;
  std::size_t indicatorOffset = 0;
};

class Statement {
 public:
  Statement(SQLHDBC connection, std::string_view sql);

  // Binds markers[i] (nullptr: NULL) to the (i+1)-th '?' and runs the
  // statement, closing any cursor left open.
  void Execute(const std::vector<const Param*>& markers);
  // Empty for a statement without a result set.
  const std::vector<Column>& Columns() const { return columns_; }
  // Appends the next block of rows to `store`; false at the end of the data.
  bool FetchBlock(RowStore& store);
  void CloseCursor() noexcept;

 private:
  struct ParamSlot {
    SQLLEN indicator = 0;
    SQLINTEGER int32 = 0;
    SQLBIGINT int64 = 0;
    SQLDOUBLE real = 0;
    SQL_TIMESTAMP_STRUCT timestamp = {};
    std::vector<SQLWCHAR> text;
  };

  void Bind(SQLUSMALLINT number, const Param* param, ParamSlot& slot);
  void DescribeAndBind();
  void ReadBound(const unsigned char* row, RowStore& store) const;
  void ReadUnbound(RowStore& store);
  void ReadLongText(SQLUSMALLINT number, std::size_t column, RowStore& store);

  Handle statement_;
  std::vector<ParamSlot> slots_;
  bool described_ = false;
  std::vector<Column> columns_;
  std::size_t firstUnbound_ = 0;
  std::vector<std::uint64_t> rowArray_;  // 8-byte aligned row-wise buffer
  std::size_t rowBytes_ = 0;
  SQLULEN arraySize_ = 1;
  SQLULEN rowsFetched_ = 0;
  std::vector<SQLUSMALLINT> rowStatus_;
  std::vector<SQLWCHAR> chunk_;
  std::vector<SQLWCHAR> longText_;
};

}  // namespace odbc::detail
