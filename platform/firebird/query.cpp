#include "platform/firebird/query.h"

#include "platform/firebird/error.h"

namespace fb {
namespace {

const Value& NullValue() {
  static const Value kNull;
  return kNull;
}

std::string JoinLines(auto begin, auto end) {
  std::string text;
  for (auto it = begin; it != end; ++it) {
    if (it != begin) text += '\n';
    text.append(*it);
  }
  return text;
}

}  // namespace

Query::Query(Database* database, Transaction* transaction) : Statement(database, transaction) {}

void Query::SetSql(std::initializer_list<std::string_view> lines) {
  SetSqlText(JoinLines(lines.begin(), lines.end()));
}

void Query::SetSql(const std::vector<std::string>& lines) {
  SetSqlText(JoinLines(lines.begin(), lines.end()));
}

void Query::SetSqlText(std::string_view text) {
  if (text == sql_) return;
  Close();
  Unprepare();
  sql_.assign(text);
  parsed_ = false;
}

void Query::SetParamCheck(bool check) {
  if (check == paramCheck_) return;
  Close();
  Unprepare();
  paramCheck_ = check;
  parsed_ = false;
}

void Query::Parse() {
  if (parsed_) return;
  if (paramCheck_) {
    parsedSql_ = sql::ParseNamedParameters(sql_);
  } else {
    parsedSql_ = sql::ParsedSql{sql_, {}};
  }
  sql::BindByName(parsedSql_, params_, bound_);
  parsed_ = true;
}

Value& Query::ParamByName(std::string_view name) {
  Parse();
  for (auto& p : params_) {
    if (sql::SameName(p.Name(), name)) return p;
  }
  throw FirebirdError("Parameter " + std::string(name) + " not found", -206);
}

void Query::Prepare() {
  Parse();
  Statement::Prepare(parsedSql_.text);
}

void Query::Execute() {
  Close();
  Prepare();
  rows_.emplace_back(OutputColumns().size());
  Run(bound_, rows_.front());
}

void Query::Open() {
  Execute();
  active_ = true;
  if (!HasCursor()) {
    // Selectable only in name: a statement without a cursor gives its one
    // output row, if it has outputs.
    eof_ = OutputColumns().empty();
    if (eof_) rows_.clear();
    fetchedAll_ = true;
    return;
  }
  eof_ = !Fetch(rows_.front());
  if (eof_) rows_.clear();
}

bool Query::Eof() const { return eof_; }

void Query::Next() {
  if (eof_) return;
  if (fetchedAll_) {
    eof_ = ++position_ >= rows_.size();
    return;
  }
  eof_ = !Fetch(rows_.front());
  if (eof_) rows_.clear();
}

int Query::FetchAll() {
  if (active_ && !fetchedAll_ && !eof_) {
    std::vector<Value> row(OutputColumns().size());
    while (Fetch(row)) rows_.push_back(row);
  }
  fetchedAll_ = true;
  return RecordCount();
}

void Query::Close() noexcept {
  CloseCursor();
  rows_.clear();
  position_ = 0;
  active_ = false;
  eof_ = true;
  fetchedAll_ = false;
}

void Query::ExecSQL() {
  Execute();
  fetchedAll_ = true;
  eof_ = OutputColumns().empty();
  if (eof_) rows_.clear();
}

void Query::ReleaseServerObjects() noexcept {
  Close();
  Statement::ReleaseServerObjects();
}

const Value& Query::Field(std::size_t index) const {
  if (index >= OutputColumns().size())
    throw FirebirdError("Field index " + std::to_string(index) + " out of range", -206);
  if (position_ >= rows_.size()) return NullValue();
  return rows_[position_][index];
}

const Value& Query::FieldByName(std::string_view name) const {
  const auto& columns = OutputColumns();
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (sql::SameName(columns[i].name, name)) return Field(i);
  }
  throw FirebirdError("Field " + std::string(name) + " not found", -206);
}

}  // namespace fb
