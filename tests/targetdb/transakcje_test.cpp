// The transaction helpers and the run lock on a real Solvo database.
#include "targetdb/transakcje.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "platform/firebird/query.h"
#include "platform/firebird/stored_proc.h"
#include "targetdb/dm_zq.h"
#include "tests/support/solvo_test_db.h"

namespace {

using testing_support::SolvoTestDb;

class SolvoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = SolvoTestDb::Create("transakcje");
    dmzq_ = std::make_unique<TDMZQ>(TNazwaBazy{"localhost:", db_->Directory() + "/", "crm.fdb"});
    dmzq_->DataModuleCreate();
  }
  void Insert(int id) {
    fb::Query q(&dmzq_->BazaDanych, &dmzq_->Transaction);
    q.SetSql({"INSERT INTO OPERATOR (IDOPERATORA) VALUES (:ID)"});
    q.ParamByName("ID").SetInteger(id);
    q.ExecSQL();
  }
  std::string Operators() {
    return db_->Scalar(
        "SELECT LIST(IDOPERATORA) FROM (SELECT IDOPERATORA FROM OPERATOR ORDER BY 1)");
  }
  std::unique_ptr<SolvoTestDb> db_;
  std::unique_ptr<TDMZQ> dmzq_;
};

TEST_F(SolvoTest, SecondStartKeepsTheFirstTransactionAndCommitTakesAllWork) {
  StartujTransakcje(dmzq_->Transaction);
  Insert(1);
  StartujTransakcje(dmzq_->Transaction);
  Insert(2);
  ZatwierdzTransakcje(dmzq_->Transaction);
  EXPECT_FALSE(dmzq_->Transaction.Active());
  EXPECT_EQ(Operators(), "1,2");
}

TEST_F(SolvoTest, CommitAndRollbackOfAnInactiveTransactionDoNothing) {
  ASSERT_FALSE(dmzq_->Transaction.Active());
  EXPECT_NO_THROW(ZatwierdzTransakcje(dmzq_->Transaction));
  EXPECT_NO_THROW(WycofajTransakcje(dmzq_->Transaction));
  EXPECT_FALSE(dmzq_->Transaction.Active());
}

TEST_F(SolvoTest, RollbackEndsWorkSinceTheStart) {
  StartujTransakcje(dmzq_->Transaction);
  Insert(1);
  WycofajTransakcje(dmzq_->Transaction);
  EXPECT_EQ(Operators(), "");
}

TEST_F(SolvoTest, ProcedureWithoutStartRunsAndWaitsForTheCommit) {
  fb::StoredProc sp(&dmzq_->BazaDanych, &dmzq_->Transaction, "SP_ZALOZBLOKADE");
  sp.ParamByName("ATYPOBIEKTU").SetInteger(1);
  sp.ParamByName("AIDOBIEKTU").SetInteger(2);
  sp.ParamByName("AIDSESJI").SetInteger(3);
  sp.ExecProc();
  EXPECT_TRUE(dmzq_->Transaction.Active());
  EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM BLOKADY"), "0");
  ZatwierdzTransakcje(dmzq_->Transaction);
  EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM BLOKADY"), "1");
}

TEST_F(SolvoTest, LockIsGrantedWithTheProceduresIdAndRefusedToAnotherSession) {
  db_->Execute({"SET GENERATOR GEN_BLOKADY TO 56"});
  int id = -1;
  EXPECT_TRUE(dmzq_->ZalozBlokade(105, 5, 1, id));
  EXPECT_EQ(id, 57);
  EXPECT_FALSE(dmzq_->T_BLOKADY.Active());

  id = -1;
  EXPECT_FALSE(dmzq_->ZalozBlokade(105, 5, 2, id));
  EXPECT_EQ(id, 0);  // the refusal is an answer, committed like any other
  EXPECT_FALSE(dmzq_->T_BLOKADY.Active());
  EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM BLOKADY"), "1");
}

TEST_F(SolvoTest, MissingLockProcedureIsARefusal) {
  db_->Execute({"DROP PROCEDURE SP_ZALOZBLOKADE"});
  int id = -1;
  EXPECT_FALSE(dmzq_->ZalozBlokade(105, 5, 1, id));
  EXPECT_EQ(id, -1);  // written only when the procedure ran to its end
  EXPECT_FALSE(dmzq_->T_BLOKADY.Active());
}

TEST_F(SolvoTest, LockHeldByAnUncommittedTransactionIsRefusedAtOnce) {
  fb::Transaction other(&db_->Admin(), fb::EndAction::Rollback);
  other.params = {"read_committed", "rec_version", "nowait"};
  fb::StoredProc sp(&db_->Admin(), &other, "SP_ZALOZBLOKADE");
  sp.ParamByName("ATYPOBIEKTU").SetInteger(105);
  sp.ParamByName("AIDOBIEKTU").SetInteger(5);
  sp.ParamByName("AIDSESJI").SetInteger(9);
  sp.ExecProc();
  int id = -1;
  EXPECT_FALSE(dmzq_->ZalozBlokade(105, 5, 1, id));
  other.Rollback();
}

}  // namespace
