#include "importcore/odmiana.h"

#include <gtest/gtest.h>

namespace {

TEST(Odmiana, ChoosesTheFormByTheLastDigits) {
  struct Case {
    std::int64_t liczba;
    const char* wynik;
  };
  const Case pliki[] = {{1, "1 plik"},     {-2, "-2 pliki"},   {13, "13 plików"}, {22, "22 pliki"},
                        {104, "104 pliki"}, {112, "112 plików"}, {0, "0 plików"},  {-1, "-1 plik"},
                        {5, "5 plików"},   {11, "11 plików"}};
  for (const Case& c : pliki) EXPECT_EQ(Odmiana(c.liczba, "plik", "pliki", "plików", true), c.wynik);
  EXPECT_EQ(Odmiana(3, "plik", "pliki", "plików", false), "pliki");
}

TEST(Odmiana, EmptyFormsFallBack) {
  for (std::int64_t n : {2, 3, 4, 22, 104, 0, 5, 12, 13, 14, 112})
    EXPECT_EQ(Odmiana(n, "magazynie", "magazynach", "", true), std::to_string(n) + " magazynach");
  EXPECT_EQ(Odmiana(1, "magazynie", "magazynach", "", true), "1 magazynie");
  EXPECT_EQ(Odmiana(5, "raz", "", "", false), "raz");
}

}  // namespace
