#include "app/przelaczniki.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(Przelaczniki, JestPrzelacznikIWartoscPrzelacznika) {
  const struct {
    std::vector<std::string> argumenty;
    const char* nazwa;
    bool jest;
    const char* wartosc;
  } przypadki[] = {
      {{"-WROTKA", "-ID=17"}, "wrotka", true, ""},
      {{"-ID=17", "-wrotka=x"}, "wrotka", true, "x"},
      {{"-wrotkax", "-ID=17"}, "wrotka", false, ""},
      {{"wrotka", "--wrotka", "-wrotka x"}, "wrotka", false, ""},
      {{"-DBPATH=C:\\a=b\\"}, "DBPATH", true, "C:\\a=b\\"},
      {{"-DBHOST=pierwszy", "-DBHOST=drugi"}, "DBHOST", true, "pierwszy"},
      {{"-DBHOSTX=y"}, "DBHOST", false, ""},
      {{"-DBHOSTX=y", "-dbhost=Serwer"}, "DBHOST", true, "Serwer"},
      {{"-SHOW"}, "SHOW", true, ""},
      {{"-SHOW", "-SHOW=1"}, "show", true, "1"},
      {{"-ID="}, "ID", true, ""},
      {{"-Ścieżka=Zażółć"}, "ŚCIEŻKA", true, "Zażółć"},
      {{"-ŻÓŁW"}, "żółw", true, ""},
      {{"-zolw"}, "żółw", false, ""},
      {{}, "wrotka", false, ""},
  };
  for (const auto& p : przypadki) {
    UstawArgumenty(p.argumenty);
    const std::string opis = std::string(p.nazwa) + " w " + testing::PrintToString(p.argumenty);
    EXPECT_EQ(JestPrzelacznik(p.nazwa), p.jest) << opis;
    EXPECT_EQ(WartoscPrzelacznika(p.nazwa), p.wartosc) << opis;
  }
}

TEST(Przelaczniki, NazwaProgramuNieJestArgumentem) {
  char program[] = "-wrotka";
  char id[] = "-ID=5";
  char* argv[] = {program, id, nullptr};

  UstawArgumenty(2, argv);
  EXPECT_EQ(LiczbaArgumentow(), 1);
  EXPECT_FALSE(JestPrzelacznik("wrotka"));
  EXPECT_EQ(WartoscPrzelacznika("ID"), "5");

  UstawArgumenty(1, argv);
  EXPECT_EQ(LiczbaArgumentow(), 0);
  EXPECT_FALSE(JestPrzelacznik("ID"));
}

}  // namespace
