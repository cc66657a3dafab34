#include "host/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace host {

void PrintTo(const DbName& db, std::ostream* os) {
  *os << '{' << testing::PrintToString(db.host) << ", " << testing::PrintToString(db.path) << ", "
      << testing::PrintToString(db.file) << '}';
}

namespace {

TEST(SplitDbName, CutsLikeTheHost) {
  const struct {
    const char* db;
    DbName expected;
  } cases[] = {
      {"localhost:/tmp/demo/crm.fdb", {"localhost:", "/tmp/demo/", "crm.fdb"}},
      {"/tmp/demo/crm.fdb", {"", "/tmp/demo/", "crm.fdb"}},
      {"crm.fdb", {"", "", "crm.fdb"}},
      {"serwer:crm", {"serwer:", "", "crm"}},
      {"C:\\Solvo\\Dane\\crm.fdb", {"", "C:\\Solvo\\Dane\\", "crm.fdb"}},
      {"d:/dane/crm.fdb", {"", "d:/dane/", "crm.fdb"}},
      {"serwer/3051:C:\\Solvo\\crm.fdb", {"serwer/3051:", "C:\\Solvo\\", "crm.fdb"}},
      {"[::1]:/srv/crm.fdb", {"[::1]:", "/srv/", "crm.fdb"}},
      {"host:/dir:x/baza.fdb", {"host:", "/dir:x/", "baza.fdb"}},
      {"host:/katalog/", {"host:", "/katalog/", ""}},
  };
  for (const auto& c : cases) {
    const DbName got = SplitDbName(c.db);
    EXPECT_EQ(got.host, c.expected.host) << c.db;
    EXPECT_EQ(got.path, c.expected.path) << c.db;
    EXPECT_EQ(got.file, c.expected.file) << c.db;
    EXPECT_EQ(got.host + got.path + got.file, c.db) << "the parts join back: " << c.db;
  }
}

TEST(ParseCommandLine, RunWithDefaultsAndWithEveryOption) {
  const Command defaults = ParseCommandLine({"run", "--db", "/d/crm.fdb", "--config", "5"});
  ASSERT_EQ(defaults.kind, Command::Kind::kRun);
  EXPECT_EQ(defaults.run.db, (DbName{"", "/d/", "crm.fdb"}));
  EXPECT_EQ(defaults.run.config, 5);
  EXPECT_EQ(defaults.run.session, 1);
  EXPECT_EQ(defaults.run.operation, 550);
  EXPECT_EQ(defaults.run.transcript, "");
  EXPECT_EQ(defaults.run.importer, "");

  const Command all =
      ParseCommandLine({"run", "--config=-7", "--db=srv:/d/c.fdb", "--session", "3", "--op", "502",
                        "--transcript", "t.jsonl", "--importer", "/opt/imp"});
  EXPECT_EQ(all.run.db, (DbName{"srv:", "/d/", "c.fdb"}));
  EXPECT_EQ(all.run.config, -7);
  EXPECT_EQ(all.run.session, 3);
  EXPECT_EQ(all.run.operation, 502);
  EXPECT_EQ(all.run.transcript, "t.jsonl");
  EXPECT_EQ(all.run.importer, "/opt/imp");
}

TEST(ParseCommandLine, HelpWinsAnywhere) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--help"}, {"-h"}, {"run", "--help"}, {"run", "--db", "x", "--bogus", "--help"}}) {
    EXPECT_EQ(ParseCommandLine(args).kind, Command::Kind::kHelp) << testing::PrintToString(args);
  }
}

TEST(ParseCommandLine, RefusesWhatCannotBeRun) {
  const struct {
    std::vector<std::string> args;
    const char* says;
  } cases[] = {
      {{}, "no command"},
      {{"start"}, "unknown command \"start\""},
      {{"run", "--config", "5"}, "--db is required"},
      {{"run", "--db", "h:/d/c.fdb"}, "--config is required"},
      {{"run", "--db", "h:/d/c.fdb", "--config"}, "--config needs a value"},
      {{"run", "--db", "h:/d/c.fdb", "--config", "abc"}, "--config needs a 32-bit integer"},
      {{"run", "--db", "h:/d/c.fdb", "--config", "5x"}, "--config needs a 32-bit integer"},
      {{"run", "--db", "h:/d/c.fdb", "--config", "4294967296"}, "32-bit integer"},
      {{"run", "--db", "h:/d/c.fdb", "--config", "5", "--op", ""}, "--op needs a 32-bit"},
      {{"run", "--db", "h:/d/", "--config", "5"}, "does not name a database file"},
      {{"run", "--db", "", "--config", "5"}, "does not name a database file"},
      {{"run", "--db", "a", "--db", "b", "--config", "5"}, "--db given twice"},
      {{"run", "--db", "a", "--config", "5", "--verbose"}, "unknown option \"--verbose\""},
      {{"run", "--db", "a", "--config", "5", "extra"}, "unexpected argument \"extra\""},
      {{"run", "--db", "a", "--config", "5", "--transcript="}, "--transcript needs a file"},
      {{"run", "--db", "a", "--config", "5", "--importer="}, "--importer needs a path"},
  };
  for (const auto& c : cases) {
    try {
      ParseCommandLine(c.args);
      ADD_FAILURE() << "accepted " << testing::PrintToString(c.args);
    } catch (const UsageError& e) {
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos)
          << testing::PrintToString(c.args) << " said: " << e.what();
    }
  }
}

}  // namespace
}  // namespace host
