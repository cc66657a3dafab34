// The Solvo connection: password read through the bootstrap account, the
// administrator login, the connection test and the registrations.
#include <gtest/gtest.h>

#include <memory>

#include "platform/firebird/error.h"
#include "targetdb/dm_zq.h"
#include "targetdb/init_connection.h"
#include "targetdb/pass_dm.h"
#include "tests/support/solvo_test_db.h"

namespace {

using testing_support::SolvoTestDb;
using testing_support::SysdbaPassword;

std::string Dir(const SolvoTestDb& db) { return db.Directory() + "/"; }

TEST(NazwaBazy, BootstrapConnectionAddsTheColonTheMainOneDoesNot) {
  struct Case {
    const char* host;
    const char* bootstrap;
  };
  const Case cases[] = {
      {"srv:", "srv:C:\\Data\\crm.fdb"},
      {"srv", "srv:C:\\Data\\crm.fdb"},
      {"", ":C:\\Data\\crm.fdb"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TPassDM::NazwaBazy(c.host, "C:\\Data\\crm.fdb"), c.bootstrap) << c.host;
  }
}

TEST(NazwaBazy, MainConnectionIsThePlainConcatenation) {
  TDMZQ dmzq({"srv", "C:\\Data\\", "crm.fdb"});
  dmzq.BazaDanych.beforeConnect(dmzq.BazaDanych);
  EXPECT_EQ(dmzq.BazaDanych.databaseName, "srvC:\\Data\\crm.fdb");
}

TEST(InitConnection, QuotesAndCutsEveryText) {
  const std::string longName(100, 'a');
  EXPECT_EQ(TekstInitConnection("1.0.0.1", "O'Brien", longName),
            "SELECT ORESULT, OMESSAGE FROM SP_INITCONNECTION('1.0.0.1','O''Brien','" +
                std::string(80, 'a') + "',0)");
  EXPECT_EQ(TekstInitConnection("", "ąęśćżźółń", "x"),
            "SELECT ORESULT, OMESSAGE FROM SP_INITCONNECTION('','ąęśćżźółń','x',0)");
}

class PasswordTest : public ::testing::Test {
 protected:
  void SetUp() override { db_ = SolvoTestDb::Create("haslo"); }
  // Replaces the stored administrator password; nullptr stores NULL.
  void StorePassword(const char* value) {
    db_->Execute({"DELETE FROM PARAMETRY WHERE NAME = 'C_KNF_SYSDBA_PASSWORD'"});
    if (value) {
      db_->Execute({std::string("INSERT INTO PARAMETRY (NAME, IDREPKOPIE, WARTSTRING) VALUES "
                                "('C_KNF_SYSDBA_PASSWORD', GEN_ID(BAZA_NR, 0), '") +
                    value + "')"});
    }
  }
  std::string ReadPassword(const std::string& host = "localhost:") {
    TPassDM pass;
    pass.PobierzHasloSysdba(host, db_->Path());
    return pass.HasloSysdba();
  }
  std::unique_ptr<SolvoTestDb> db_;
};

TEST_F(PasswordTest, ReadsTheStoredPasswordWithOrWithoutTheHostsColon) {
  EXPECT_EQ(ReadPassword("localhost:"), SysdbaPassword());
  EXPECT_EQ(ReadPassword("localhost"), SysdbaPassword());
}

TEST_F(PasswordTest, MissingNullOrBlankValueMeansTheFactoryDefault) {
  StorePassword(nullptr);
  EXPECT_EQ(ReadPassword(), "brickwall");
  StorePassword("   ");
  EXPECT_EQ(ReadPassword(), "brickwall");
  db_->Execute({"DELETE FROM PARAMETRY"});
  EXPECT_EQ(ReadPassword(), "brickwall");
}

TEST_F(PasswordTest, BlanksAroundAValueAreKept) {
  StorePassword("  sekret ");
  EXPECT_EQ(ReadPassword(), "  sekret ");
}

TEST_F(PasswordTest, OnlyTheCurrentDatabaseCopyCounts) {
  db_->Execute({"UPDATE PARAMETRY SET IDREPKOPIE = 2 WHERE NAME = 'C_KNF_SYSDBA_PASSWORD'"});
  EXPECT_EQ(ReadPassword(), "brickwall");
}

TEST_F(PasswordTest, UnreachableDatabaseLeavesThePasswordEmpty) {
  TPassDM pass;
  pass.PobierzHasloSysdba("localhost:", db_->Directory() + "/nie-ma.fdb");
  EXPECT_EQ(pass.HasloSysdba(), "");
}

TEST_F(PasswordTest, ConnectsAsAdministratorAndRegistersBothConnections) {
  TDMZQ dmzq({"localhost:", Dir(*db_), "crm.fdb"});
  dmzq.DataModuleCreate();
  EXPECT_TRUE(dmzq.BazaDanych.Connected());
  EXPECT_EQ(db_->Scalar("SELECT LIST(TRIM(UZYTKOWNIK) || ' ' || APLIKACJA, '|') FROM "
                        "(SELECT UZYTKOWNIK, APLIKACJA FROM POLACZENIA ORDER BY IDPOLACZENIA)"),
            "PLANER SOLVO ZQ - CONFIG|SYSDBA SOLVO ZQ - DATA");
  // The version registered is the program file's; a test program has none.
  EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM POLACZENIA WHERE COALESCE(WERSJA, '') = ''"), "2");
}

TEST_F(PasswordTest, WrongStoredPasswordReachesTheServersMessageButNotThePassword) {
  StorePassword("ZleHaslo42");
  TPassDM pass;
  TDMZQ dmzq({"localhost:", Dir(*db_), "crm.fdb"}, pass);
  try {
    dmzq.DataModuleCreate();
    FAIL() << "connected with a wrong password";
  } catch (const fb::FirebirdError& e) {
    const std::string message = e.what();
    EXPECT_NE(message.find("password"), std::string::npos) << message;
    EXPECT_EQ(message.find("ZleHaslo42"), std::string::npos);
    EXPECT_EQ(message.find("tubemx7093"), std::string::npos);
  }
  EXPECT_FALSE(dmzq.BazaDanych.Connected());
}

TEST_F(PasswordTest, FailingConnectionTestCountsAsAFailedOpen) {
  db_->Execute({"DROP TABLE OPERATOR"});
  TDMZQ dmzq({"localhost:", Dir(*db_), "crm.fdb"});
  EXPECT_THROW(dmzq.DataModuleCreate(), fb::FirebirdError);
}

}  // namespace
