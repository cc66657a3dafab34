#include <gtest/gtest.h>

#include "importcore/konwencje_importu.h"
#include "platform/firebird/error.h"

namespace {

TEST(Tempo, RoundsHalvesToEven) {
  struct Case {
    std::int64_t wiersze, ms, tempo;
  };
  const Case cases[] = {
      {5, 2000, 2},  // 2.5 -> 2
      {7, 2000, 4},  // 3.5 -> 4
      {1, 3, 333},   // 333.33
      {2, 3, 667},   // 666.67
      {0, 10, 0},    // an empty pass shows 0
      {4500, 1, 4500000}, {10, 0, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Tempo(c.wiersze, c.ms), c.tempo) << c.wiersze << "/" << c.ms;
  EXPECT_EQ(LiniaTempa("  ", 5, 2000, "towarów"), "  2 towarów/s");
  EXPECT_EQ(LiniaTempa(" ", 7, 2000, "kontrahentów"), " 4 kontrahentów/s");
}

TEST(TekstKolumn, QuotesEachValueWithSingleBlanks) {
  EXPECT_EQ(TekstKolumn({"DOD", "Łódź", ""}), "\"DOD\" \"Łódź\" \"\"");
  EXPECT_EQ(TekstKolumn({}), "");
}

TEST(TekstWyjatku, CarriesTheCodeAndTheMessage) {
  EXPECT_EQ(TekstWyjatku("TW Wyjątek(1)", fb::FirebirdError("Table unknown", -204)),
            "TW Wyjątek(1): -204 - Table unknown");
  EXPECT_EQ(TekstWyjatku("Wyjątek", std::runtime_error("bad")), "Wyjątek: 0 - bad");
}

}  // namespace
