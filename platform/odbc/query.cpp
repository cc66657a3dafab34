#include "platform/odbc/query.h"

#include <algorithm>

#include "platform/odbc/connection.h"
#include "platform/odbc/error.h"
#include "platform/odbc/statement.h"

namespace odbc {
namespace {

std::string JoinLines(auto begin, auto end) {
  std::string text;
  for (auto it = begin; it != end; ++it) {
    if (it != begin) text += '\n';
    text.append(*it);
  }
  return text;
}

}  // namespace

Query::Query(Connection* connection) : connection_(connection) {
  if (connection_) connection_->Register(this);
}

Query::~Query() {
  Close();
  statement_.reset();
  if (connection_) connection_->Unregister(this);
}

void Query::SetSql(std::initializer_list<std::string_view> lines) {
  SetSqlText(JoinLines(lines.begin(), lines.end()));
}

void Query::SetSql(const std::vector<std::string>& lines) {
  SetSqlText(JoinLines(lines.begin(), lines.end()));
}

void Query::SetSqlText(std::string_view text) {
  if (text == sql_) return;
  Close();
  statement_.reset();
  sql_.assign(text);
  parsed_ = false;
}

void Query::Parse() {
  if (parsed_) return;
  parsedSql_ = sql::ParseNamedParameters(sql_);
  // Plain '?' markers have no name and stay NULL.
  sql::BindByName(parsedSql_, params_, markers_);
  parsed_ = true;
}

Param& Query::ParamByName(std::string_view name) {
  Parse();
  for (auto& p : params_) {
    if (sql::SameName(p.Name(), name)) return p;
  }
  throw Error("Parameter " + std::string(name) + " not found");
}

std::size_t Query::ParamCount() {
  Parse();
  return params_.size();
}

void Query::Open() {
  Close();
  if (!connection_) throw Error("The query has no connection", "08003");
  Parse();
  if (!statement_) {
    statement_ = std::make_unique<detail::Statement>(connection_->Handle(), parsedSql_.text);
  }
  statement_->Execute(markers_);
  active_ = true;
  rows_.Reset(statement_->Columns().size());
  cursorDone_ = statement_->Columns().empty();
  ReadBlock();
  firstBlockHeld_ = true;
  eof_ = rows_.Rows() == 0;
}

void Query::ReadBlock() {
  if (cursorDone_) return;
  try {
    if (!statement_->FetchBlock(rows_)) {
      cursorDone_ = true;
      statement_->CloseCursor();
    }
  } catch (...) {
    Close();
    throw;
  }
}

void Query::Next() {
  if (eof_) return;
  if (++position_ < rows_.Rows()) return;
  if (cursorDone_) {
    eof_ = true;
    return;
  }
  // Walking without FetchAll: only the current block is kept.
  rows_.Clear();
  position_ = 0;
  firstBlockHeld_ = false;
  ReadBlock();
  eof_ = rows_.Rows() == 0;
}

void Query::First() {
  if (!active_) return;
  if (!firstBlockHeld_)
    throw Error("Cannot go back to the first row: the result has been read past it");
  position_ = 0;
  eof_ = rows_.Rows() == 0;
}

int Query::FetchAll() {
  while (active_ && !cursorDone_) ReadBlock();
  return RecordCount();
}

void Query::Close() noexcept {
  if (statement_ && !cursorDone_) statement_->CloseCursor();
  rows_.Clear();
  position_ = 0;
  firstBlockHeld_ = false;
  active_ = false;
  eof_ = true;
  cursorDone_ = true;
}

void Query::ConnectionClosing() noexcept {
  Close();
  statement_.reset();
}

void Query::ConnectionGone() noexcept {
  ConnectionClosing();
  connection_ = nullptr;
}

std::size_t Query::FieldCount() const { return statement_ ? statement_->Columns().size() : 0; }

std::size_t Query::ColumnIndex(std::string_view name) const {
  if (statement_) {
    const auto& columns = statement_->Columns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
      if (sql::SameName(columns[i].name, name)) return i;
    }
  }
  throw Error("Field " + std::string(name) + " not found");
}

const detail::Column& Query::ColumnAt(std::size_t column) const {
  // A Field kept across a change of the statement text may point nowhere.
  if (column >= FieldCount())
    throw Error("Field index " + std::to_string(column) + " out of range");
  return statement_->Columns()[column];
}

odbc::Field Query::FieldByName(std::string_view name) const {
  return odbc::Field(this, ColumnIndex(name));
}

odbc::Field Query::Field(std::size_t index) const {
  if (index >= FieldCount()) throw Error("Field index " + std::to_string(index) + " out of range");
  return odbc::Field(this, index);
}

}  // namespace odbc
