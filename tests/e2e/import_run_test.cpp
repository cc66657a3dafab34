// Whole runs through solvo-host and the importer, as an administrator starts
// them: a Solvo database, a configuration, the transcript of the host.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>

#include "tests/support/host_run.h"
#include "tests/support/solvo_test_db.h"

namespace {

using testing_support::HostRun;
using testing_support::RunHost;
using testing_support::SolvoTestDb;

class ImportRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = SolvoTestDb::Create(::testing::UnitTest::GetInstance()->current_test_info()->name(),
                              true);
  }
  HostRun Run(const std::string& extra) {
    return RunHost(db_->Directory() + "/run", "--db '" + db_->ConnectString() + "' " + extra);
  }
  std::unique_ptr<SolvoTestDb> db_;
};

TEST_F(ImportRunTest, ConfigurationWithoutARowIsStartErrorOneWithAnEmptyText) {
  const HostRun run = Run("--config 77 --session 3");
  EXPECT_EQ(run.exitCode, 1) << run.out;
  ASSERT_FALSE(run.transcript.empty()) << run.out;
  EXPECT_EQ(run.transcript.front().name, "START_RESULT");
  EXPECT_EQ(run.transcript.front().result, 0);
  const auto lines = run.LogLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "Występił problem z połączenie z bazą Subiekt'a ()");
  EXPECT_EQ(lines[1], " ");  // the empty start error text
  EXPECT_TRUE(run.HasLogLine("IMPORT PRZERWANY!"));
  const auto koniec = run.Named("WM_IMPORT_KONIEC");
  ASSERT_EQ(koniec.size(), 1u);
  EXPECT_EQ(koniec[0]->wParam, 1);
  EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM BLOKADY"), "0");
}

}  // namespace
