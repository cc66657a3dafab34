// Records what a pass sends to a Solvo procedure: the procedure is replaced,
// in a database kept for the purpose, by one with the same parameters that
// stores each call's inputs in a table, in the order of the calls. The bare
// loop then replays exactly those calls.
#pragma once

#include <string>
#include <vector>

#include "platform/firebird/database.h"

namespace bench {

struct ProcedureParameter {
  std::string name;
  std::string type;  // as a declaration writes it: "VARCHAR(80)", "INTEGER"
};

struct ProcedureParameters {
  std::vector<ProcedureParameter> inputs;
  std::vector<ProcedureParameter> outputs;
};

// The parameters as the system tables hold them, each list in declared order.
ProcedureParameters ReadProcedureParameters(fb::Database& db, const std::string& procedure);

// Replaces `procedure` by its recorder; its outputs stay NULL.
void InstallRecorder(fb::Database& db, const std::string& procedure);

// The select that reads the recorded inputs back, in call order.
std::string RecordedCallsSelect(fb::Database& db, const std::string& procedure);

}  // namespace bench
