// Reading a KONFIMPORT row into the run settings.
#include "app/konfiguracja.h"

#include <gtest/gtest.h>

#include <memory>

#include "app/formaty_procesu.h"
#include "platform/firebird/query.h"
#include "platform/time/datetime.h"
#include "subiektgt/dm_import_subiekt.h"
#include "targetdb/dm_zq.h"
#include "tests/support/solvo_test_db.h"

namespace {

using testing_support::SolvoTestDb;

class KonfiguracjaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UstawFormatyProcesu();
    db_ = SolvoTestDb::Create("konfiguracja");
    dmzq_ = std::make_unique<TDMZQ>(TNazwaBazy{"localhost:", db_->Directory() + "/", "crm.fdb"});
    dmImport_ = std::make_unique<TDMImportSubiekt>(dmzq_->BazaDanych);
    query_ = std::make_unique<fb::Query>(&dmzq_->BazaDanych, &dmImport_->T);
    dmzq_->DataModuleCreate();
  }
  TOpcjeGImp Wczytaj(int id) {
    TOpcjeGImp opcje;
    opcje.IdKonfImport = id;
    WczytajKonfiguracje(*query_, opcje);
    return opcje;
  }
  std::unique_ptr<SolvoTestDb> db_;
  std::unique_ptr<TDMZQ> dmzq_;
  std::unique_ptr<TDMImportSubiekt> dmImport_;
  std::unique_ptr<fb::Query> query_;
};

TEST_F(KonfiguracjaTest, ReadsEveryColumnTheImportUses) {
  db_->Execute({
      "INSERT INTO KONFIMPORT (IDKONFIMPORT, IDODDZIALU, SERWER, SCIEZKA, LOGIN, HASLO, OPCJE, "
      "OPCJEIMPORTU, OPCJEAKTUALIZACJI, NAZWASKROTKON, KATALOG1, KATALOG2, DATANASTEPNEGO, "
      "INTERWALAUTOIMP, DATAOSTATNIEGO, IDOPERATORA, OKRESANALIZY, WERSJAZRODLA, MAGAZYNDEF) "
      "VALUES (7, 3, 'subiekt_demo', '  C:\\Sub\\  ', 'sa', 'tajne', 1, 0, 0, 'DETAL', "
      "'/var/log/imp/', 'k2', '2026-12-01 08:30:00', '1899-12-30 06:00:00', "
      "'2026-11-30 23:59:59', 4, 3, 2, ' MAG1, MAG2 ')",
  });
  const TOpcjeGImp o = Wczytaj(7);
  EXPECT_TRUE(o.KonfiguracjaWczytana);
  EXPECT_EQ(o.IdOddzialu, 3);
  EXPECT_EQ(o.Serwer, "subiekt_demo");
  EXPECT_EQ(o.Sciezka, "C:\\Sub\\");
  EXPECT_TRUE(o.JestSciezka);
  EXPECT_EQ(o.Login, "sa");
  EXPECT_EQ(o.Haslo, "tajne");
  EXPECT_TRUE(o.LogSzczegolowy);
  EXPECT_EQ(o.NazwaSkrotKon, "DETAL");
  EXPECT_EQ(o.Katalog1, "/var/log/imp/");
  EXPECT_EQ(o.Katalog2, "k2");
  EXPECT_NEAR(o.DataNastepnego, dt::EncodeDateTime(2026, 12, 1, 8, 30, 0), 1e-8);
  EXPECT_NEAR(o.InterwalAutoImp, 0.25, 1e-9);  // six hours as a length of time
  EXPECT_NEAR(o.DataOstatniego, dt::EncodeDateTime(2026, 11, 30, 23, 59, 59), 1e-8);
  EXPECT_EQ(o.IdOperatora, 4);
  EXPECT_EQ(o.OkresAnalizy, 3);
  EXPECT_EQ(o.WersjaZrodla, 2);
  EXPECT_EQ(o.MagazynDef, " MAG1, MAG2 ");
}

TEST_F(KonfiguracjaTest, NullColumnsReadAsZeroAndEmpty) {
  db_->Execute({"INSERT INTO KONFIMPORT (IDKONFIMPORT) VALUES (8)"});
  const TOpcjeGImp o = Wczytaj(8);
  EXPECT_TRUE(o.KonfiguracjaWczytana);
  EXPECT_EQ(o.OkresAnalizy, 0);
  EXPECT_EQ(o.InterwalAutoImp, 0.0);
  EXPECT_EQ(o.DataNastepnego, 0.0);
  EXPECT_EQ(o.Serwer, "");
  EXPECT_FALSE(o.JestSciezka);
  EXPECT_EQ(o.MagazynDef, "");
}

TEST_F(KonfiguracjaTest, MissingRowChangesNothing) {
  TOpcjeGImp o;
  o.IdKonfImport = 99;
  o.Serwer = "bez zmian";
  WczytajKonfiguracje(*query_, o);
  EXPECT_FALSE(o.KonfiguracjaWczytana);
  EXPECT_EQ(o.Serwer, "bez zmian");
}

TEST_F(KonfiguracjaTest, OptionBitsOfTheRowAreDecoded) {
  // Import bits 1-13 and 21; update bits 0-2, 5, 10-12, 14-16.
  db_->Execute(
      {"INSERT INTO KONFIMPORT (IDKONFIMPORT, OPCJE, OPCJEIMPORTU, OPCJEAKTUALIZACJI) "
       "VALUES (9, 2, 2113534, 121895)"});
  const TOpcjeGImp o = Wczytaj(9);
  EXPECT_FALSE(o.LogSzczegolowy);  // OPCJE bit 1 has no effect
  EXPECT_EQ(o.OpcjeImportu, 2113534);
  EXPECT_EQ(o.OpcjeAktualizacji, 121895);
  for (bool flaga :
       {o.AnalizaTowarow, o.AnalizaKontrahentow, o.ImportKontaktow, o.ImportSprzedazy,
        o.ImportZakupu, o.ImportZamowien, o.KontrahenciManager, o.ImportMagazynowych,
        o.KontrahenciWszystkieDane, o.KontrahenciDaneTeleadr, o.KontrahenciLimitKredytu,
        o.FakturyOperatorNazwa, o.KontaktyWszystkieDane, o.KontaktyDaneTeleadr,
        o.KontrahenciNipRegon, o.KontaktyStanowisko, o.KontaktyNipPesel, o.TowaryWszystkieDane})
    EXPECT_TRUE(flaga);
  for (int v : {o.SzukacNipSkrot, o.SzukacNip, o.SzukacSkrot, o.SzukacNazwa, o.SzukacFaktKlucz,
                o.NieDodajNowego})
    EXPECT_EQ(v, 1);
}

struct Bit {
  int maska;  // 0 OPCJE, 1 OPCJEIMPORTU, 2 OPCJEAKTUALIZACJI
  int bit;
  bool TOpcjeGImp::*flaga;
};

TEST(DekodujOpcje, EachBitSetsItsOwnFlagOnly) {
  const Bit bity[] = {
      {0, 0, &TOpcjeGImp::LogSzczegolowy},         {1, 1, &TOpcjeGImp::AnalizaTowarow},
      {1, 2, &TOpcjeGImp::AnalizaKontrahentow},    {1, 3, &TOpcjeGImp::ImportKontaktow},
      {1, 4, &TOpcjeGImp::ImportSprzedazy},        {1, 5, &TOpcjeGImp::ImportZakupu},
      {1, 6, &TOpcjeGImp::ImportZamowien},         {1, 7, &TOpcjeGImp::KontrahenciManager},
      {1, 21, &TOpcjeGImp::ImportMagazynowych},    {2, 0, &TOpcjeGImp::KontrahenciWszystkieDane},
      {2, 1, &TOpcjeGImp::KontrahenciDaneTeleadr}, {2, 2, &TOpcjeGImp::KontrahenciLimitKredytu},
      {2, 5, &TOpcjeGImp::FakturyOperatorNazwa},   {2, 10, &TOpcjeGImp::KontaktyWszystkieDane},
      {2, 11, &TOpcjeGImp::KontaktyDaneTeleadr},   {2, 12, &TOpcjeGImp::KontrahenciNipRegon},
      {2, 14, &TOpcjeGImp::KontaktyStanowisko},    {2, 15, &TOpcjeGImp::KontaktyNipPesel},
      {2, 16, &TOpcjeGImp::TowaryWszystkieDane},
  };
  for (const Bit& b : bity) {
    int maski[3] = {0, 0, 0};
    maski[b.maska] = 1 << b.bit;
    TOpcjeGImp o;
    DekodujOpcje(maski[0], maski[1], maski[2], o);
    for (const Bit& inny : bity) {
      EXPECT_EQ(o.*inny.flaga, &inny == &b) << "mask " << b.maska << " bit " << b.bit;
    }
  }
}

TEST(DekodujOpcje, MatchingBitsGiveZeroOrOne) {
  TOpcjeGImp o;
  DekodujOpcje(0, (1 << 8) | (1 << 11) | (1 << 13), 0, o);
  EXPECT_EQ(o.SzukacNipSkrot, 1);
  EXPECT_EQ(o.SzukacNip, 0);
  EXPECT_EQ(o.SzukacSkrot, 0);
  EXPECT_EQ(o.SzukacNazwa, 1);
  EXPECT_EQ(o.SzukacFaktKlucz, 0);
  EXPECT_EQ(o.NieDodajNowego, 1);
}

TEST(PoczatekOkresuAnalizy, CountsWholeMonthsBackFromTheCurrentOne) {
  TOpcjeGImp o;
  o.OkresAnalizy = 3;
  EXPECT_EQ(PoczatekOkresuAnalizy(o, dt::EncodeDateTime(2026, 5, 15, 10, 0, 0)),
            dt::EncodeDate(2026, 2, 1));
  o.OkresAnalizy = 0;
  EXPECT_EQ(PoczatekOkresuAnalizy(o, dt::EncodeDateTime(2026, 5, 15, 10, 0, 0)),
            dt::EncodeDate(2026, 5, 1));
}

}  // namespace
