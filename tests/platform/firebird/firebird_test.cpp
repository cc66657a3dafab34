// The Firebird access layer against the real server and a reference database.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>

#include "platform/firebird/database.h"
#include "platform/firebird/error.h"
#include "platform/firebird/query.h"
#include "platform/firebird/stored_proc.h"
#include "platform/firebird/transaction.h"
#include "platform/time/datetime.h"
#include "tests/support/solvo_test_db.h"

namespace {

using testing_support::SolvoTestDb;
using testing_support::SysdbaPassword;

class FirebirdTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    db_ = SolvoTestDb::Create("firebird").release();
    db_->Execute({
        "CREATE TABLE PROBA (ID INTEGER NOT NULL, NAZWA VARCHAR(20), KWOTA NUMERIC(15,2), "
        "ILOSC NUMERIC(9,3), KIEDY DATE, OPIS BLOB SUB_TYPE TEXT)",
        "CREATE PROCEDURE SP_PROBA (AID INTEGER, ANAZWA VARCHAR(20), AOPIS BLOB SUB_TYPE TEXT, "
        "AKIEDY DATE) RETURNS (OWYNIK INTEGER, ODLUGOSC INTEGER) AS BEGIN "
        "INSERT INTO PROBA (ID, NAZWA, OPIS, KIEDY) VALUES (:AID, :ANAZWA, :AOPIS, :AKIEDY); "
        "OWYNIK = :AID * 10; ODLUGOSC = CHAR_LENGTH(:AOPIS); END",
    });
  }
  static void TearDownTestSuite() {
    delete db_;
    db_ = nullptr;
  }

  void SetUp() override {
    db_->Execute({"DELETE FROM PROBA"});
    database_.databaseName = db_->ConnectString();
    database_.params = {"user_name=sysdba", "password=" + SysdbaPassword(), "lc_ctype=WIN1250"};
    transaction_.params = {"read_committed", "rec_version", "nowait"};
  }

  std::string Count() { return db_->Scalar("SELECT COUNT(*) FROM PROBA"); }

  static SolvoTestDb* db_;
  fb::Database database_;
  fb::Transaction transaction_{&database_, fb::EndAction::Commit};
};

SolvoTestDb* FirebirdTest::db_ = nullptr;

TEST_F(FirebirdTest, WrongPasswordGivesTheServersMessageWithoutThePassword) {
  database_.params = {"user_name=sysdba", "password=NotThePassword123", "lc_ctype=WIN1250"};
  try {
    database_.Open();
    FAIL() << "connected with a wrong password";
  } catch (const fb::FirebirdError& e) {
    EXPECT_NE(std::string(e.what()).find("password"), std::string::npos) << e.what();
    EXPECT_EQ(std::string(e.what()).find("NotThePassword123"), std::string::npos);
    EXPECT_NE(e.SqlCode(), 0);
  }
  EXPECT_FALSE(database_.Connected());
}

TEST_F(FirebirdTest, ConnectHandlersRunAroundTheAttachAndAFailingTestKeepsIt) {
  std::vector<std::string> calls;
  database_.databaseName = "wrong";
  database_.beforeConnect = [&](fb::Database& d) {
    calls.push_back("before");
    d.databaseName = db_->ConnectString();
  };
  database_.afterConnect = [&](fb::Database&) {
    calls.push_back("after");
    throw fb::FirebirdError("test failed");
  };
  EXPECT_THROW(database_.Open(), fb::FirebirdError);
  EXPECT_TRUE(database_.Connected());
  database_.Open();  // already connected: no second attach, no second test
  EXPECT_EQ(calls, (std::vector<std::string>{"before", "after"}));
}

TEST_F(FirebirdTest, StatementStartsAnInactiveTransactionWhichStaysOpenUntilCommit) {
  database_.Open();
  fb::Query insert(&database_, &transaction_);
  insert.SetSql({"INSERT INTO PROBA (ID) VALUES (:ID)"});
  insert.ParamByName("ID").SetInteger(1);
  ASSERT_FALSE(transaction_.Active());
  insert.ExecSQL();
  EXPECT_TRUE(transaction_.Active());
  EXPECT_EQ(Count(), "0");  // not visible to others yet
  transaction_.Commit();
  EXPECT_FALSE(transaction_.Active());
  EXPECT_EQ(Count(), "1");
}

TEST_F(FirebirdTest, ClosingTheConnectionAppliesEachTransactionsDefaultAction) {
  database_.Open();
  fb::Transaction rollback(&database_, fb::EndAction::Rollback);
  rollback.params = transaction_.params;
  fb::Query kept(&database_, &transaction_);
  fb::Query lost(&database_, &rollback);
  kept.SetSql({"INSERT INTO PROBA (ID) VALUES (1)"});
  lost.SetSql({"INSERT INTO PROBA (ID) VALUES (2)"});
  kept.ExecSQL();
  lost.ExecSQL();
  database_.Close();
  EXPECT_FALSE(transaction_.Active());
  EXPECT_FALSE(rollback.Active());
  EXPECT_EQ(db_->Scalar("SELECT LIST(ID) FROM PROBA"), "1");
}

TEST_F(FirebirdTest, RepeatedNamedParameterIsSetEverywhere) {
  db_->Execute({"INSERT INTO PROBA (ID, NAZWA) VALUES (1, 'a')",
                "INSERT INTO PROBA (ID, NAZWA) VALUES (2, 'b')",
                "INSERT INTO PROBA (ID, NAZWA) VALUES (3, 'c')"});
  database_.Open();
  fb::Query q(&database_, &transaction_);
  q.SetSql(
      {"SELECT ID FROM PROBA", "WHERE ID = :X OR ID = :X + 1 OR NAZWA = :x_TEXT", "ORDER BY ID"});
  q.ParamByName("x").SetInteger(1);
  q.ParamByName("X_TEXT").SetString("c");
  q.Open();
  EXPECT_EQ(q.FetchAll(), 3);
  std::string ids;
  for (; !q.Eof(); q.Next()) ids += q.FieldByName("id").AsString();
  EXPECT_EQ(ids, "123");
}

TEST_F(FirebirdTest, PolishLettersAndForeignCharactersCrossTheConnection) {
  database_.Open();
  fb::Query q(&database_, &transaction_);
  q.SetSql({"INSERT INTO PROBA (ID, NAZWA, OPIS) VALUES (:ID, :NAZWA, :OPIS)"});
  q.ParamByName("ID").SetInteger(1);
  q.ParamByName("NAZWA").SetString("Zażółć gęślą jaźń");
  q.ParamByName("OPIS").SetString("Łódź – 中 ✓");
  q.ExecSQL();
  transaction_.Commit();
  // The server upper-cases by the code page: it really holds Windows-1250.
  q.SetSql({"SELECT NAZWA, UPPER(NAZWA) AS DUZE, OPIS, OCTET_LENGTH(NAZWA) AS BAJTY FROM PROBA"});
  q.Open();
  EXPECT_EQ(q.FieldByName("NAZWA").AsString(), "Zażółć gęślą jaźń");
  EXPECT_EQ(q.FieldByName("DUZE").AsString(), "ZAŻÓŁĆ GĘŚLĄ JAŹŃ");
  EXPECT_EQ(q.FieldByName("BAJTY").AsInteger(), 17);
  EXPECT_EQ(q.FieldByName("OPIS").AsString(), "Łódź – ? ?");
}

TEST_F(FirebirdTest, PolishLettersInTheStatementTextItself) {
  database_.Open();
  fb::Query q(&database_, &transaction_);
  q.SetSql({"SELECT 'Łódź' AS MIASTO, OCTET_LENGTH('Łódź') AS BAJTY FROM RDB$DATABASE"});
  q.Open();
  EXPECT_EQ(q.FieldByName("MIASTO").AsString(), "Łódź");
  EXPECT_EQ(q.FieldByName("BAJTY").AsInteger(), 4);
}

TEST_F(FirebirdTest, OverlongTextFailsTheCallAndLosesNothingElse) {
  database_.Open();
  fb::Query q(&database_, &transaction_);
  q.SetSql({"INSERT INTO PROBA (ID, NAZWA) VALUES (:ID, :NAZWA)"});
  q.ParamByName("ID").SetInteger(1);
  q.ParamByName("NAZWA").SetString(std::string(21, 'x'));
  EXPECT_THROW(q.ExecSQL(), fb::FirebirdError);
  q.ParamByName("NAZWA").SetString(std::string(20, 'x'));
  q.ExecSQL();
  transaction_.Commit();
  EXPECT_EQ(Count(), "1");
}

TEST_F(FirebirdTest, ValuesOfEachTypeRoundTripAndNullsReadAsZero) {
  database_.Open();
  const dt::DateTime when = dt::EncodeDateTime(2026, 12, 11, 13, 5, 7);
  fb::Query q(&database_, &transaction_);
  q.SetSql({"INSERT INTO PROBA (ID, KWOTA, ILOSC, KIEDY) VALUES (:ID, :KWOTA, :ILOSC, :KIEDY)"});
  q.ParamByName("ID").SetInteger(1);
  q.ParamByName("KWOTA").SetFloat(1234.56);
  q.ParamByName("ILOSC").SetFloat(2.5);
  q.ParamByName("KIEDY").SetDateTime(when);
  q.ExecSQL();
  q.ParamByName("ID").SetInteger(2);
  for (const char* name : {"KWOTA", "ILOSC", "KIEDY"}) q.ParamByName(name).Clear();
  q.ExecSQL();
  q.SetSql({"SELECT * FROM PROBA ORDER BY ID"});
  q.Open();
  EXPECT_DOUBLE_EQ(q.FieldByName("KWOTA").AsFloat(), 1234.56);
  EXPECT_DOUBLE_EQ(q.FieldByName("ILOSC").AsFloat(), 2.5);
  EXPECT_NEAR(q.FieldByName("KIEDY").AsDateTime(), when, 1e-8);  // DATE keeps the time
  q.Next();
  EXPECT_EQ(q.FieldByName("KWOTA").AsFloat(), 0.0);
  EXPECT_EQ(q.FieldByName("KIEDY").AsDateTime(), 0.0);
  EXPECT_EQ(q.FieldByName("NAZWA").AsString(), "");
  EXPECT_THROW(q.FieldByName("NIEMA"), fb::FirebirdError);
}

TEST_F(FirebirdTest, StoredProcedureParametersComeOutputsFirstInDeclaredOrder) {
  database_.Open();
  fb::StoredProc sp(&database_, &transaction_, "SP_PROBA");
  ASSERT_EQ(sp.ParamCount(), 6u);
  EXPECT_EQ(sp.OutputCount(), 2u);
  const char* names[] = {"OWYNIK", "ODLUGOSC", "AID", "ANAZWA", "AOPIS", "AKIEDY"};
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(sp.Params(i).Name(), names[i]);

  std::string longText;  // sent as a blob, in segments
  for (int i = 0; i < 100000; ++i) longText += "ż";
  sp.Params(2).SetInteger(7);
  sp.Params(3).SetString("Kraków");
  sp.Params(4).SetString(longText);
  sp.Params(5).SetDateTime(dt::EncodeDate(2026, 1, 31));
  sp.ExecProc();
  EXPECT_EQ(sp.Params(0).AsInteger(), 70);
  EXPECT_EQ(sp.ParamByName("odlugosc").AsInteger(), 100000);
  sp.Params(2).SetInteger(8);
  sp.ExecProc();  // prepared once, run again
  EXPECT_EQ(sp.Params(0).AsInteger(), 80);
  transaction_.Commit();

  fb::Query q(&database_, &transaction_);
  q.SetSql({"SELECT OPIS, NAZWA FROM PROBA WHERE ID = 7"});
  q.Open();
  EXPECT_EQ(q.FieldByName("OPIS").AsString(), longText);
  EXPECT_EQ(q.FieldByName("NAZWA").AsString(), "Kraków");
}

TEST_F(FirebirdTest, MissingProcedureReportsTheServersError) {
  database_.Open();
  fb::StoredProc sp(&database_, &transaction_, "SP_NIE_MA_TAKIEJ");
  try {
    sp.ExecProc();
    FAIL() << "executed a missing procedure";
  } catch (const fb::FirebirdError& e) {
    EXPECT_EQ(e.SqlCode(), -204) << e.what();
  }
}

TEST_F(FirebirdTest, CommitClosesOpenCursorsButKeepsFetchedRows) {
  db_->Execute({"INSERT INTO PROBA (ID) VALUES (1)", "INSERT INTO PROBA (ID) VALUES (2)"});
  database_.Open();
  fb::Query q(&database_, &transaction_);
  q.SetSql({"SELECT ID FROM PROBA ORDER BY ID"});
  q.Open();
  q.FetchAll();
  transaction_.Commit();
  q.Next();
  EXPECT_EQ(q.FieldByName("ID").AsInteger(), 2);
}

TEST_F(FirebirdTest, BrokenConnectionReportsAnErrorAndCanBeClosed) {
  database_.Open();
  fb::Query q(&database_, &transaction_);
  q.SetSql({"SELECT ID FROM PROBA"});
  q.Open();
  // Another administrator session throws this attachment out.
  db_->Execute({"DELETE FROM MON$ATTACHMENTS WHERE MON$REMOTE_PID = " + std::to_string(::getpid()) +
                " AND MON$ATTACHMENT_ID <> CURRENT_CONNECTION"});
  fb::Query again(&database_, &transaction_);
  again.SetSql({"INSERT INTO PROBA (ID) VALUES (5)"});
  EXPECT_THROW(
      {
        again.ExecSQL();
        transaction_.Commit();
      },
      fb::FirebirdError);
  database_.Close();
  EXPECT_FALSE(database_.Connected());
}

}  // namespace
