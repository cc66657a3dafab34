#include "platform/sql/named_parameters.h"

#include <gtest/gtest.h>

namespace sql {
namespace {

TEST(ParseNamedParameters, RepeatedNameSharesOneParameterWithEveryPosition) {
  const ParsedSql p =
      ParseNamedParameters("SELECT * FROM T WHERE A = :INFOSTRING OR B = :Id OR C = :infostring");
  EXPECT_EQ(p.text, "SELECT * FROM T WHERE A = ? OR B = ? OR C = ?");
  ASSERT_EQ(p.parameters.size(), 2u);
  EXPECT_EQ(p.parameters[0].name, "INFOSTRING");
  EXPECT_EQ(p.parameters[0].positions, (std::vector<unsigned>{0, 2}));
  EXPECT_EQ(p.parameters[1].name, "Id");
  EXPECT_EQ(p.parameters[1].positions, (std::vector<unsigned>{1}));
}

TEST(ParseNamedParameters, LeavesLiteralsIdentifiersAndCommentsAlone) {
  struct Case {
    const char* sql;
    const char* text;
    std::size_t count;
  };
  const Case cases[] = {
      {"SELECT ':NOPE', 'it''s :x' FROM T WHERE A = :A",
       "SELECT ':NOPE', 'it''s :x' FROM T WHERE A = ?", 1},
      {"SELECT \":COL\" FROM T", "SELECT \":COL\" FROM T", 0},
      {"SELECT 1 -- :C\nFROM T WHERE X = :X", "SELECT 1 -- :C\nFROM T WHERE X = ?", 1},
      {"SELECT /* :C */ 1 FROM T", "SELECT /* :C */ 1 FROM T", 0},
      {"SELECT 1 FROM T WHERE A = ? AND B = :B", "SELECT 1 FROM T WHERE A = ? AND B = ?", 1},
      {"SELECT CAST(X AS TIME) FROM T WHERE Y = :1", "SELECT CAST(X AS TIME) FROM T WHERE Y = :1",
       0},
      {"SELECT X::int FROM T WHERE Y = :Y::date", "SELECT X::int FROM T WHERE Y = ?::date", 1},
  };
  for (const Case& c : cases) {
    const ParsedSql p = ParseNamedParameters(c.sql);
    EXPECT_EQ(p.text, c.text) << c.sql;
    EXPECT_EQ(p.parameters.size(), c.count) << c.sql;
  }
}

TEST(ParseNamedParameters, CountsPlainMarkersInPositions) {
  const ParsedSql p = ParseNamedParameters("UPDATE T SET A = ? WHERE B = :B");
  ASSERT_EQ(p.parameters.size(), 1u);
  EXPECT_EQ(p.parameters[0].positions, (std::vector<unsigned>{1}));
}

TEST(SameName, IgnoresAsciiCaseOnly) {
  EXPECT_TRUE(SameName("aIdKonfImport", "AIDKONFIMPORT"));
  EXPECT_FALSE(SameName("AID", "AIDX"));
}

}  // namespace
}  // namespace sql
