// The importer as the host starts it: a real process against a reference
// Solvo database.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

#include "tests/support/solvo_test_db.h"

namespace {

using testing_support::SolvoTestDb;
using testing_support::SysdbaPassword;

struct ImporterRun {
  int exitCode = -1;
  double seconds = 0;
  std::string err;
};

// Runs the importer with the arguments (already shell-quoted) and collects
// its standard error.
ImporterRun RunImporter(const std::string& arguments, const std::string& errFile) {
  const auto start = std::chrono::steady_clock::now();
  const std::string command = "timeout 60 '" + std::string(IMPORTER_PATH) + "' " + arguments +
                              " 2>'" + errFile + "' </dev/null";
  const int status = std::system(command.c_str());
  ImporterRun run;
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream in(errFile);
  std::stringstream text;
  text << in.rdbuf();
  run.err = text.str();
  return run;
}

TEST(ProgramStart, WithoutTheLaunchSwitchEndsAtOnceAndSilently) {
  const std::string err = "/tmp/importer-start-" + std::to_string(getpid()) + ".err";
  for (const char* args : {"", "-wrotka", "-wrotkax -ID=5", "-ID=5 -DBHOST=localhost:"}) {
    const ImporterRun run = RunImporter(args, err);
    EXPECT_EQ(run.exitCode, 0) << args;
    EXPECT_LT(run.seconds, 5) << args;
    EXPECT_EQ(run.err, "") << args;
  }
  std::remove(err.c_str());
}

TEST(ProgramStart, ConnectsRegistersAndClosesItselfWhenNobodyTalksToIt) {
  const auto db = SolvoTestDb::Create("start", true);
  const std::string err = db->Directory() + "/importer.err";
  const ImporterRun run = RunImporter(
      "-wrotka -ID=5 -DBHOST=localhost: -DBPATH='" + db->Directory() + "/' -DBFILE=crm.fdb", err);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_GE(run.seconds, 9);  // the first idle tick closes it
  EXPECT_LT(run.seconds, 30);
  EXPECT_EQ(db->Scalar("SELECT LIST(APLIKACJA || ' ' || WERSJA, '|') FROM "
                       "(SELECT APLIKACJA, WERSJA FROM POLACZENIA ORDER BY IDPOLACZENIA)"),
            "SOLVO ZQ - CONFIG " PROJECT_VERSION "|SOLVO ZQ - DATA " PROJECT_VERSION);
}

TEST(ProgramStart, UnreachableDatabaseIsReportedAndStartUpGoesOn) {
  const auto db = SolvoTestDb::Create("brak", true);
  const std::string err = db->Directory() + "/importer.err";
  const ImporterRun run = RunImporter(
      "-wrotka -ID=5 -DBHOST=localhost: -DBPATH='" + db->Directory() + "/' -DBFILE=nie-ma.fdb",
      err);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err.rfind("Import z Subiekt GT: ", 0), 0u) << run.err;
  EXPECT_EQ(run.err.find(SysdbaPassword()), std::string::npos);
  EXPECT_EQ(run.err.find("tubemx7093"), std::string::npos);
  EXPECT_GE(run.seconds, 9);
}

}  // namespace
