// An executable stored procedure. Its parameter list is read once from the
// system tables: outputs first, then inputs, each in declared order, so that
// Params(i) addresses a parameter by its position in that list. Selectable
// procedures are run through a Query instead. Same thread rules as Database.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/firebird/statement.h"

namespace fb {

class StoredProc : public Statement {
 public:
  StoredProc(Database* database, Transaction* transaction, std::string name = {});

  void SetName(std::string name);
  const std::string& Name() const { return name_; }

  // Reads the parameter list and prepares the call; done by the first
  // Params, ParamByName or ExecProc.
  void Prepare();
  std::size_t ParamCount();
  std::size_t OutputCount();
  Value& Params(std::size_t index);
  Value& ParamByName(std::string_view name);

  // Runs the procedure with the inputs as set; the outputs are then read
  // through Params or ParamByName.
  void ExecProc();

  void ReleaseServerObjects() noexcept override;

 private:
  void ReadParameterList();

  std::string name_;
  bool described_ = false;
  std::size_t outputCount_ = 0;
  std::vector<Value> params_;  // outputs, then inputs
  std::vector<const Value*> inputs_;
  std::vector<Value> outputs_;
};

}  // namespace fb
