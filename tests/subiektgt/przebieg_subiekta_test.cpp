// The phase fixture itself, and the warehouse phase called directly.
#include "app/komunikaty_okna.h"
#include "tests/support/phase_fixture.h"

namespace {

using testing_support::PhaseTest;

TEST_F(PhaseTest, WarehousePhaseFillsTheCacheAndTheSelection) {
  watek->ImportujMagazyny();
  EXPECT_FALSE(watek->Przerwany());
  EXPECT_EQ(watek->WybraneMagazyny, (std::vector<std::int32_t>{1, 2, 3, 4, 5}));
  EXPECT_TRUE(watek->Cache.Posortowana(TImportCache::kMagazyny));
  std::int32_t id = 0;
  EXPECT_TRUE(watek->Cache.Znajdz(TImportCache::kMagazyny, 3, id));
  EXPECT_EQ(solvo->Scalar("SELECT INFOSTRING FROM SLOWNIK WHERE ID = " + std::to_string(id)),
            "MAG 3");
  // A second run finds the same entries.
  NowyWatek();
  watek->ImportujMagazyny();
  EXPECT_EQ(solvo->Scalar("SELECT COUNT(*) FROM SLOWNIK"), "5");
}

}  // namespace
