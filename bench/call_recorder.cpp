#include "bench/call_recorder.h"

#include <stdexcept>

#include "platform/firebird/query.h"
#include "platform/firebird/transaction.h"

namespace bench {
namespace {

// The field types of RDB$FIELDS; a dialect 1 NUMERIC keeps its scale on an
// integer or a double.
std::string TypeText(int type, int subType, int scale, int charLength) {
  auto scaled = [&](int precision, const char* plain) {
    if (scale >= 0) return std::string(plain);
    return "NUMERIC(" + std::to_string(precision) + "," + std::to_string(-scale) + ")";
  };
  switch (type) {
    case 7:
      return scaled(4, "SMALLINT");
    case 8:
      return scaled(9, "INTEGER");
    case 16:
      return scaled(18, "BIGINT");
    case 27:
      return scaled(15, "DOUBLE PRECISION");
    case 10:
      return "FLOAT";
    case 12:
      return "DATE";
    case 13:
      return "TIME";
    case 35:
      return "TIMESTAMP";
    case 14:
      return "CHAR(" + std::to_string(charLength) + ")";
    case 37:
      return "VARCHAR(" + std::to_string(charLength) + ")";
    case 261:
      return "BLOB SUB_TYPE " + std::to_string(subType);
    default:
      throw std::runtime_error("field type " + std::to_string(type) + " is not supported");
  }
}

std::string Trimmed(const std::string& s) {
  const std::size_t end = s.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : s.substr(0, end + 1);
}

std::string TableOf(const std::string& procedure) { return "BW_" + procedure; }

std::string Declarations(const std::vector<ProcedureParameter>& list) {
  std::string text;
  for (const ProcedureParameter& p : list)
    text += (text.empty() ? "" : ", ") + p.name + " " + p.type;
  return text;
}

std::string Names(const std::vector<ProcedureParameter>& list, const std::string& prefix) {
  std::string text;
  for (const ProcedureParameter& p : list) text += (text.empty() ? "" : ", ") + prefix + p.name;
  return text;
}

void Execute(fb::Database& db, const std::string& statement) {
  fb::Transaction t(&db, fb::EndAction::Rollback);
  fb::Query q(&db, &t);
  q.SetParamCheck(false);
  q.SetSqlText(statement);
  q.ExecSQL();
  t.Commit();
}

}  // namespace

ProcedureParameters ReadProcedureParameters(fb::Database& db, const std::string& procedure) {
  fb::Transaction t(&db, fb::EndAction::Rollback);
  fb::Query q(&db, &t);
  q.SetSql({"SELECT P.RDB$PARAMETER_NAME, P.RDB$PARAMETER_TYPE, F.RDB$FIELD_TYPE,",
            "       F.RDB$FIELD_SUB_TYPE, F.RDB$FIELD_SCALE, F.RDB$CHARACTER_LENGTH",
            "  FROM RDB$PROCEDURE_PARAMETERS P",
            "  JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = P.RDB$FIELD_SOURCE",
            " WHERE P.RDB$PROCEDURE_NAME = :PROCEDURA",
            " ORDER BY P.RDB$PARAMETER_TYPE, P.RDB$PARAMETER_NUMBER"});
  q.ParamByName("PROCEDURA").SetString(procedure);
  ProcedureParameters result;
  for (q.Open(); !q.Eof(); q.Next()) {
    ProcedureParameter p{Trimmed(q.Field(0).AsString()),
                         TypeText(q.Field(2).AsInteger(), q.Field(3).AsInteger(),
                                  q.Field(4).AsInteger(), q.Field(5).AsInteger())};
    (q.Field(1).AsInteger() == 0 ? result.inputs : result.outputs).push_back(std::move(p));
  }
  if (result.inputs.empty()) throw std::runtime_error("no procedure " + procedure);
  return result;
}

void InstallRecorder(fb::Database& db, const std::string& procedure) {
  const ProcedureParameters p = ReadProcedureParameters(db, procedure);
  const std::string table = TableOf(procedure);
  Execute(db,
          "CREATE TABLE " + table + " (BW_NR INTEGER NOT NULL, " + Declarations(p.inputs) + ")");
  Execute(db, "CREATE GENERATOR G" + table);
  Execute(db, "CREATE OR ALTER PROCEDURE " + procedure + " (" + Declarations(p.inputs) +
                  ") RETURNS (" + Declarations(p.outputs) + ") AS BEGIN INSERT INTO " + table +
                  " (BW_NR, " + Names(p.inputs, "") + ") VALUES (GEN_ID(G" + table + ", 1), " +
                  Names(p.inputs, ":") + "); END");
}

std::string RecordedCallsSelect(fb::Database& db, const std::string& procedure) {
  const ProcedureParameters p = ReadProcedureParameters(db, procedure);
  return "SELECT " + Names(p.inputs, "") + " FROM " + TableOf(procedure) + " ORDER BY BW_NR";
}

}  // namespace bench
