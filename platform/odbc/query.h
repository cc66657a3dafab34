// A read-only SQL statement on an ODBC connection, with named parameters
// (:NAME) and a result that is walked row by row or fetched whole.
//
// The statement is prepared at the first Open and reused while its text
// stays the same: setting the same text again keeps it, a different text
// releases it. Rows are read from the driver in blocks and kept compactly
// in memory; FetchAll reads the rest of the result at once, so that its
// size is known before the walk. The cursor moves forward only.
//
// Same thread rules as Connection.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/odbc/row_store.h"
#include "platform/odbc/value.h"
#include "platform/sql/named_parameters.h"

namespace odbc {

class Connection;

namespace detail {
class Statement;
struct Column;
}  // namespace detail

class Query {
 public:
  explicit Query(Connection* connection);
  ~Query();
  Query(const Query&) = delete;
  Query& operator=(const Query&) = delete;

  Connection* GetConnection() const { return connection_; }

  // The statement text, as lines joined by line breaks.
  void SetSql(std::initializer_list<std::string_view> lines);
  void SetSql(const std::vector<std::string>& lines);
  void SetSqlText(std::string_view text);
  const std::string& SqlText() const { return sql_; }

  // The named parameter; its value goes to every appearance of the name.
  // Values persist across executions. Raises odbc::Error for a name the text
  // does not have.
  Param& ParamByName(std::string_view name);
  std::size_t ParamCount();

  // Runs the statement and reads its first block of rows; the first row is
  // current (Eof() when there is none). Raises odbc::Error.
  void Open();
  bool Active() const { return active_; }
  bool Eof() const { return eof_; }
  void Next();
  // Back to the first row, while it is still in memory (after FetchAll, or
  // before the walk has left the first block); raises odbc::Error otherwise.
  void First();
  // Reads every remaining row into memory and returns RecordCount(); right
  // after Open that is the number of rows of the whole result.
  int FetchAll();
  // The rows held in memory: the whole result after FetchAll.
  int RecordCount() const { return static_cast<int>(rows_.Rows()); }
  // Ends the result and frees its rows; the statement stays prepared.
  void Close() noexcept;

  // The column of the current row, by name without regard to ASCII case or
  // by 0-based position. Known once the query has been opened; raises
  // odbc::Error for an unknown name or position.
  odbc::Field FieldByName(std::string_view name) const;
  odbc::Field Field(std::size_t index) const;
  std::size_t FieldCount() const;

  // Called by the connection.
  void ConnectionClosing() noexcept;
  void ConnectionGone() noexcept;

 private:
  friend class odbc::Field;

  void Parse();
  void ReadBlock();
  std::size_t ColumnIndex(std::string_view name) const;
  const detail::Column& ColumnAt(std::size_t column) const;
  bool HasRow() const { return !eof_ && position_ < rows_.Rows(); }

  Connection* connection_;
  std::string sql_;
  bool parsed_ = false;
  sql::ParsedSql parsedSql_;
  std::vector<Param> params_;
  std::vector<const Param*> markers_;  // the parameter of each '?', in order
  std::unique_ptr<detail::Statement> statement_;
  detail::RowStore rows_;
  std::size_t position_ = 0;  // the current row within rows_
  bool firstBlockHeld_ = false;
  bool active_ = false;
  bool eof_ = true;
  bool cursorDone_ = true;  // the driver has no more rows
};

}  // namespace odbc
