#include "platform/firebird/stored_proc.h"

#include "platform/firebird/error.h"
#include "platform/firebird/query.h"
#include "platform/sql/named_parameters.h"
#include "platform/text/win1250.h"

namespace fb {

StoredProc::StoredProc(Database* database, Transaction* transaction, std::string name)
    : Statement(database, transaction), name_(std::move(name)) {}

void StoredProc::SetName(std::string name) {
  if (name == name_) return;
  ReleaseServerObjects();
  name_ = std::move(name);
}

void StoredProc::ReleaseServerObjects() noexcept {
  Statement::ReleaseServerObjects();
  described_ = false;
}

void StoredProc::ReadParameterList() {
  Query list(GetDatabase(), GetTransaction());
  list.SetSql({"SELECT TRIM(RDB$PARAMETER_NAME) AS NAME, RDB$PARAMETER_TYPE AS KIND",
               "FROM RDB$PROCEDURE_PARAMETERS",
               "WHERE RDB$PROCEDURE_NAME = :NAME AND RDB$PACKAGE_NAME IS NULL",
               "ORDER BY RDB$PARAMETER_TYPE DESC, RDB$PARAMETER_NUMBER"});
  list.ParamByName("NAME").SetString(text::UpperAscii(name_));
  std::vector<Value> fresh;
  std::size_t outputs = 0;
  for (list.Open(); !list.Eof(); list.Next()) {
    fresh.emplace_back(list.FieldByName("NAME").AsString());
    if (list.FieldByName("KIND").AsInteger() == 1) ++outputs;
  }
  // Keep values already set when the list is read again after a reconnect.
  for (auto& v : fresh) {
    for (const auto& old : params_) {
      if (old.Name() == v.Name()) v.AssignFrom(old);
    }
  }
  params_ = std::move(fresh);
  outputCount_ = outputs;
  described_ = true;
}

void StoredProc::Prepare() {
  if (!described_) ReadParameterList();
  std::string sql = "EXECUTE PROCEDURE " + name_;
  for (std::size_t i = outputCount_; i < params_.size(); ++i)
    sql += (i == outputCount_ ? "(?" : ", ?");
  if (params_.size() > outputCount_) sql += ")";
  Statement::Prepare(sql);
  inputs_.clear();
  for (std::size_t i = outputCount_; i < params_.size(); ++i) inputs_.push_back(&params_[i]);
  outputs_.resize(outputCount_);
}

std::size_t StoredProc::ParamCount() {
  if (!described_) Prepare();
  return params_.size();
}

std::size_t StoredProc::OutputCount() {
  if (!described_) Prepare();
  return outputCount_;
}

Value& StoredProc::Params(std::size_t index) {
  if (!described_) Prepare();
  if (index >= params_.size())
    throw FirebirdError("Procedure " + name_ + " has no parameter " + std::to_string(index), -206);
  return params_[index];
}

Value& StoredProc::ParamByName(std::string_view name) {
  if (!described_) Prepare();
  for (auto& p : params_) {
    if (sql::SameName(p.Name(), name)) return p;
  }
  throw FirebirdError("Procedure " + name_ + " has no parameter " + std::string(name), -206);
}

void StoredProc::ExecProc() {
  if (!described_ || !Prepared()) Prepare();
  Run(inputs_, outputs_);
  for (std::size_t i = 0; i < outputCount_; ++i) params_[i].AssignFrom(outputs_[i]);
}

}  // namespace fb
