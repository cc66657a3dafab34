#include "importcore/import_cache.h"

#include <gtest/gtest.h>

namespace {

TEST(TImportCache, EmptyOrAbsentKeyIsNotFoundWithMinusOne) {
  TImportCache cache;
  std::int32_t id = 5;
  EXPECT_FALSE(cache.Znajdz(TImportCache::kTowary, 1, id));
  EXPECT_EQ(id, -1);
  cache.Dodaj(TImportCache::kTowary, 2, 20);
  id = 5;
  EXPECT_FALSE(cache.Znajdz(TImportCache::kTowary, 1, id));
  EXPECT_EQ(id, -1);
  EXPECT_FALSE(cache.Znajdz(TImportCache::kKontrahenci, 2, id));  // lists are separate
}

TEST(TImportCache, SortedListKeepsTheFirstValueOfAKey) {
  TImportCache cache;
  cache.UstawSortowanie(TImportCache::kKontrahenci, true);
  cache.Dodaj(TImportCache::kKontrahenci, 7, 100);
  cache.Dodaj(TImportCache::kKontrahenci, 7, 200);
  std::int32_t id = 0;
  EXPECT_TRUE(cache.Znajdz(TImportCache::kKontrahenci, 7, id));
  EXPECT_EQ(id, 100);
  EXPECT_EQ(cache.Rozmiar(TImportCache::kKontrahenci), 1u);
}

TEST(TImportCache, KeysInTextOrderAreFoundInBothModes) {
  const std::int64_t klucze[] = {9, 10, 100, -1, 0, 123456789012};
  for (bool sortujPrzedDodaniem : {false, true}) {
    TImportCache cache;
    if (sortujPrzedDodaniem) cache.UstawSortowanie(TImportCache::kFakHead, true);
    std::int32_t wartosc = 1;
    for (std::int64_t k : klucze) cache.Dodaj(TImportCache::kFakHead, k, wartosc++);
    cache.UstawSortowanie(TImportCache::kFakHead, true);
    wartosc = 1;
    for (std::int64_t k : klucze) {
      std::int32_t id = 0;
      EXPECT_TRUE(cache.Znajdz(TImportCache::kFakHead, k, id)) << k;
      EXPECT_EQ(id, wartosc++) << k;
    }
    std::int32_t id = 0;
    EXPECT_FALSE(cache.Znajdz(TImportCache::kFakHead, 99, id));
  }
}

TEST(TImportCache, UnsortedListAppendsDuplicatesAndFindsTheFirst) {
  TImportCache cache;
  cache.Dodaj(TImportCache::kMagazyny, 3, 30);
  cache.Dodaj(TImportCache::kMagazyny, 3, 31);
  EXPECT_EQ(cache.Rozmiar(TImportCache::kMagazyny), 2u);
  std::int32_t id = 0;
  EXPECT_TRUE(cache.Znajdz(TImportCache::kMagazyny, 3, id));
  EXPECT_EQ(id, 30);
  cache.UstawSortowanie(TImportCache::kMagazyny, true);
  EXPECT_TRUE(cache.Znajdz(TImportCache::kMagazyny, 3, id));
  EXPECT_EQ(id, 30);
  // Back to unsorted: the order stays as sorted, adds append again.
  cache.UstawSortowanie(TImportCache::kMagazyny, false);
  EXPECT_FALSE(cache.Posortowana(TImportCache::kMagazyny));
  cache.Dodaj(TImportCache::kMagazyny, 1, 10);
  EXPECT_TRUE(cache.Znajdz(TImportCache::kMagazyny, 1, id));
  EXPECT_EQ(id, 10);
}

}  // namespace
