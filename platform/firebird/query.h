// An SQL statement with named parameters (:NAME) and, for a select, a result
// that can be walked row by row or fetched whole.
//
// The statement is prepared at first use and reused while its text stays the
// same; changing the text releases the old prepared form. Same thread rules
// as Database.
#pragma once

#include <deque>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/firebird/statement.h"
#include "platform/sql/named_parameters.h"

namespace fb {

class Query : public Statement {
 public:
  Query(Database* database, Transaction* transaction);

  // The statement text, as lines joined by line breaks.
  void SetSql(std::initializer_list<std::string_view> lines);
  void SetSql(const std::vector<std::string>& lines);
  void SetSqlText(std::string_view text);
  const std::string& SqlText() const { return sql_; }
  // When false the text is sent as written, without looking for :NAME.
  void SetParamCheck(bool check);

  // The named parameter; setting it sets every appearance of the name.
  // Raises FirebirdError for a name the text does not have.
  Value& ParamByName(std::string_view name);
  std::size_t ParamCount() const { return params_.size(); }

  void Prepare();
  // Runs a select and reads its first row (Eof() when there is none).
  void Open();
  bool Active() const { return active_; }
  bool Eof() const;
  void Next();
  // Reads every remaining row into memory and returns the record count; the
  // rows can then be walked with Next() after the cursor has gone.
  int FetchAll();
  int RecordCount() const { return static_cast<int>(rows_.size()); }
  void Close() noexcept;
  // Runs a statement without a result set; an EXECUTE PROCEDURE fills its
  // outputs into the fields.
  void ExecSQL();

  // Field of the current row, by name without regard to case; raises
  // FirebirdError for an unknown name.
  const Value& FieldByName(std::string_view name) const;
  const Value& Field(std::size_t index) const;
  std::size_t FieldCount() const { return OutputColumns().size(); }

  void ReleaseServerObjects() noexcept override;

 private:
  void Parse();
  void Execute();

  std::string sql_;
  bool paramCheck_ = true;
  bool parsed_ = false;
  sql::ParsedSql parsedSql_;
  std::vector<Value> params_;
  std::vector<const Value*> bound_;
  // Rows read ahead of the current one by FetchAll.
  std::deque<std::vector<Value>> rows_;
  std::vector<Value> current_;
  std::size_t position_ = 0;
  bool active_ = false;
  bool eof_ = true;
  bool fetchedAll_ = false;
};

}  // namespace fb
