#include "targetdb/pass_dm.h"

#include "platform/text/win1250.h"
#include "targetdb/init_connection.h"

namespace {

// The bootstrap account's fixed credentials. The account can read the
// password parameter and register its connection, nothing else.
constexpr const char* kUzytkownikStartowy = "planer";
constexpr const char* kHasloStartowe = "tubemx7093";
// The server's factory-default administrator password.
constexpr const char* kHasloFabryczne = "brickwall";

}  // namespace

TPassDM::TPassDM() : IBT(&IBDB, fb::EndAction::Commit), IBQ(&IBDB, &IBT) {
  IBDB.sqlDialect = 1;
  IBDB.params = {std::string("user_name=") + kUzytkownikStartowy,
                 std::string("password=") + kHasloStartowe, "lc_ctype=WIN1250"};
  IBT.params = {"read_committed", "rec_version", "nowait"};
  IBQ.SetSql(
      {" SELECT    P.WARTSTRING  FROM PARAMETRY P  WHERE P.NAME = 'C_KNF_SYSDBA_PASSWORD'   "
       "AND P.IDREPKOPIE = GEN_ID(BAZA_NR, 0)"});
}

std::string TPassDM::NazwaBazy(const std::string& host, const std::string& sciezkaIPlik) {
  if (host.find(':') != std::string::npos) return host + sciezkaIPlik;
  return host + ":" + sciezkaIPlik;
}

void TPassDM::PobierzHasloSysdba(const std::string& host, const std::string& sciezkaIPlik) {
  if (!haslo_.empty()) return;
  try {
    IBDB.databaseName = NazwaBazy(host, sciezkaIPlik);
    IBDB.Open();
    InitConnection(IBDB, "SOLVO ZQ - CONFIG");
    IBQ.Open();
    if (!IBQ.Eof()) haslo_ = IBQ.FieldByName("WARTSTRING").AsString();
    // No row, NULL or blanks: the server still has its default password.
    if (text::Trim(haslo_).empty()) haslo_ = kHasloFabryczne;
    IBQ.Close();
    IBDB.Close();
  } catch (const std::exception&) {
    // Not reported here: the administrator login then fails with the
    // server's own message.
    haslo_.clear();
    IBQ.Close();
    IBDB.Close();
  }
}

TPassDM& PassDM() {
  static TPassDM instance;
  return instance;
}
