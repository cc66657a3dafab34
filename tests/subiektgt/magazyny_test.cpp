#include "subiektgt/magazyny.h"

#include <gtest/gtest.h>

namespace {

using Lista = std::vector<std::string>;

TEST(RozbijMagazynDef, SplitsAtCommasAndBlanksUnlessQuoted) {
  struct Case {
    const char* def;
    Lista symbole;
  };
  const Case cases[] = {
      {"", {}},
      {"   ", {}},
      {"A1, B2", {"A1", "B2"}},
      {"  MAG1, MAG2 ", {"MAG1", "MAG2"}},
      {"MAIN STORE", {"MAIN", "STORE"}},
      {"\"MAIN STORE\",MAG", {"MAIN STORE", "MAG"}},
      {"\"a,b\"\"c\"", {"a,b\"c"}},
      {"A,,B", {"A", "", "B"}},
      {"A,", {"A"}},
      {"O'Hara", {"O'Hara"}},
      {"\tA\nB", {"A", "B"}},
  };
  for (const Case& c : cases) EXPECT_EQ(RozbijMagazynDef(c.def), c.symbole) << c.def;
}

TEST(ZapytanieMagazynow, ListsEachSymbolQuotedOnItsOwnLine) {
  EXPECT_EQ(ZapytanieMagazynow({}),
            (Lista{"SELECT", "  MAG_ID, MAG_SYMBOL, MAG_NAZWA", "FROM DBO.SL_MAGAZYN",
                   "ORDER BY MAG_ID"}));
  EXPECT_EQ(ZapytanieMagazynow({"A1", "B2"}),
            (Lista{"SELECT", "  MAG_ID, MAG_SYMBOL, MAG_NAZWA", "FROM DBO.SL_MAGAZYN",
                   "WHERE MAG_SYMBOL IN (", "'A1',", "'B2'", ")", "ORDER BY MAG_ID"}));
  // A quote in a symbol cannot end the literal early.
  EXPECT_EQ(ZapytanieMagazynow({"X') OR 1=1 --"})[4], "'X'') OR 1=1 --'");
}

}  // namespace
