// A tiny import thread run through the framework against a reference Solvo
// database: commit points, rollback of a failed stretch, a stop.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "app/formaty_procesu.h"
#include "app/komunikaty_okna.h"
#include "importcore/fpp_cs.h"
#include "importcore/import_cache.h"
#include "importcore/konwencje_importu.h"
#include "importcore/przebieg_importu.h"
#include "platform/firebird/query.h"
#include "platform/firebird/stored_proc.h"
#include "platform/text/win1250.h"
#include "platform/window/message_loop.h"
#include "targetdb/dm_zq.h"
#include "tests/support/recording_channel.h"
#include "tests/support/solvo_test_db.h"

namespace {

using testing_support::RecordingChannel;
using testing_support::SolvoTestDb;

// The source rows, read from the Solvo database itself.
class TZrodloFirebird : public TZrodloWierszy {
 public:
  explicit TZrodloFirebird(fb::Database& baza)
      : transakcja_(&baza, fb::EndAction::Rollback), zapytanie_(&baza, &transakcja_) {
    transakcja_.params = {"read_committed", "rec_version", "nowait"};
  }
  void UstawTekst(const std::string& sql) override {
    if (text::Trim(sql) != text::Trim(zapytanie_.SqlText())) zapytanie_.SetSqlText(sql);
  }
  void Otworz() override { zapytanie_.Open(); }
  int PobierzWszystkie() override { return zapytanie_.FetchAll(); }
  bool Koniec() const override { return zapytanie_.Eof(); }
  void Nastepny() override { zapytanie_.Next(); }
  void Zamknij() noexcept override { zapytanie_.Close(); }
  int Id() const { return zapytanie_.FieldByName("ID").AsInteger(); }

 private:
  fb::Transaction transakcja_;
  fb::Query zapytanie_;
};

class TWatekTestowy : public TFppCS {
 public:
  TWatekTestowy(TDMZQ& dmzq, std::unique_ptr<TKanalHosta> kanal)
      : TFppCS(550, 203, std::move(kanal)),
        dmzq_(dmzq),
        zrodlo_(dmzq.BazaDanych),
        procedura_(&dmzq.BazaDanych, &dmzq.Transaction, "SP_TEST_IMPORT") {}

  std::function<void(int wiersz)> przyWierszu;
  TImportCache cache;
  int dodanych = 0;
  bool doKonca = false;

  void Execute() override {
    StartTick = LicznikTaktow();
    int wiersz = 0;
    TPrzebiegCalejBazy p;
    p.liniaStartu = "Rozpoczynam import testowy...";
    p.tekstZapytania = "SELECT ID FROM ZRODLO ORDER BY ID";
    p.naglowekKolumn = "AKCJA ID IDSOLVO";
    p.naglowekWyjatku = "TT Wyjątek(1)";
    p.jednostkaTempa = "wierszy";
    p.wiersz = [&] {
      ++wiersz;
      if (przyWierszu) przyWierszu(wiersz);
      procedura_.Params(2).SetInteger(zrodlo_.Id());
      procedura_.ExecProc();
      const int id = procedura_.Params(0).AsInteger();
      if (procedura_.Params(1).AsInteger() == 0) ++dodanych;
      if (LogSzczegolowy()) LogujSzczegolowo("TT DOD: " + TekstKolumn({std::to_string(id)}));
      cache.Dodaj(TImportCache::kTowary, zrodlo_.Id(), id);
    };
    p.kluczWiersza = [&] { return "wiersz " + std::to_string(zrodlo_.Id()); };
    p.podsumowanie = [&] {
      Loguj("  Nowych: " + std::to_string(dodanych));
      cache.UstawSortowanie(TImportCache::kTowary, true);
    };
    doKonca = WykonajPrzebieg(*this, dmzq_.Transaction, zrodlo_, p);
  }

 private:
  TDMZQ& dmzq_;
  TZrodloFirebird zrodlo_;
  fb::StoredProc procedura_;
};

class PrzebiegTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UstawFormatyProcesu();
    db_ = SolvoTestDb::Create("przebieg");
    db_->Execute({
        "CREATE TABLE ZRODLO (ID INTEGER NOT NULL PRIMARY KEY)",
        "CREATE TABLE CEL (ID INTEGER NOT NULL PRIMARY KEY)",
        "CREATE TABLE USTAWIENIA (BLAD_PRZY INTEGER)",
        "CREATE EXCEPTION E_TEST 'awaria testowa'",
        "CREATE PROCEDURE SP_TEST_IMPORT (AID INTEGER) RETURNS (OID INTEGER, OAKCJA INTEGER) AS "
        "BEGIN IF (EXISTS (SELECT 1 FROM USTAWIENIA WHERE BLAD_PRZY = :AID)) THEN EXCEPTION "
        "E_TEST; "
        "INSERT INTO CEL (ID) VALUES (:AID); OID = :AID + 100000; OAKCJA = 0; END",
        "EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN WHILE (I <= 4500) DO BEGIN "
        "INSERT INTO ZRODLO (ID) VALUES (:I); I = I + 1; END END",
    });
    dmzq_ = std::make_unique<TDMZQ>(TNazwaBazy{"localhost:", db_->Directory() + "/", "crm.fdb"});
    dmzq_->DataModuleCreate();
    auto kanal = std::make_unique<RecordingChannel>();
    kanal_ = kanal.get();
    watek_ = std::make_unique<TWatekTestowy>(*dmzq_, std::move(kanal));
    watek_->Opcje.Katalog1 = db_->Directory();
  }

  void Uruchom() {
    win::MessageLoop petla;
    watek_->Resume(petla, [&] { petla.Quit(); });
    petla.Run();
  }
  int Zatwierdzone() { return std::stoi(db_->Scalar("SELECT COUNT(*) FROM CEL")); }
  std::vector<std::string> Linie() { return kanal_->Texts(WM_LOG_LINIA); }
  bool JestLinia(const std::string& poczatek) {
    for (const auto& l : Linie())
      if (l.rfind(poczatek, 0) == 0) return true;
    return false;
  }

  std::unique_ptr<SolvoTestDb> db_;
  std::unique_ptr<TDMZQ> dmzq_;
  RecordingChannel* kanal_ = nullptr;
  std::unique_ptr<TWatekTestowy> watek_;
};

TEST_F(PrzebiegTest, CommitsAfterEvery2000RowsAndAtTheEnd) {
  std::vector<int> widzianeZatwierdzone;
  watek_->przyWierszu = [&](int wiersz) {
    if (wiersz == 2000 || wiersz == 2001 || wiersz == 4001)
      widzianeZatwierdzone.push_back(Zatwierdzone());
  };
  Uruchom();
  EXPECT_EQ(widzianeZatwierdzone, (std::vector<int>{0, 2000, 4000}));
  EXPECT_EQ(Zatwierdzone(), 4500);
  EXPECT_FALSE(dmzq_->Transaction.Active());
  EXPECT_TRUE(watek_->doKonca);
  EXPECT_TRUE(JestLinia("  Rekordów do analizy: 4500"));
  EXPECT_TRUE(JestLinia("  Nowych: 4500"));
  EXPECT_TRUE(watek_->cache.Posortowana(TImportCache::kTowary));
  std::int32_t id = 0;
  EXPECT_TRUE(watek_->cache.Znajdz(TImportCache::kTowary, 4500, id));
  EXPECT_EQ(id, 104500);
  EXPECT_LE(kanal_->Only(WM_POSTEP).size(), 502u);
  EXPECT_EQ(kanal_->Only(WM_IMPORT_KONIEC).at(0).wParam, 0);
}

TEST_F(PrzebiegTest, FailureRollsBackOnlyTheRowsSinceTheLastCommit) {
  db_->Execute({"INSERT INTO USTAWIENIA (BLAD_PRZY) VALUES (4100)"});
  Uruchom();
  EXPECT_EQ(Zatwierdzone(), 4000);
  EXPECT_FALSE(dmzq_->Transaction.Active());
  const auto bledy = kanal_->Texts(WM_BLAD);
  ASSERT_EQ(bledy.size(), 1u);
  EXPECT_EQ(bledy[0].rfind("TT Wyjątek(1): -836 - ", 0), 0u) << bledy[0];
  EXPECT_NE(bledy[0].find("awaria testowa"), std::string::npos);
  EXPECT_FALSE(JestLinia("  Nowych: "));
  EXPECT_TRUE(JestLinia("IMPORT PRZERWANY!"));
  EXPECT_FALSE(watek_->cache.Posortowana(TImportCache::kTowary));
  EXPECT_EQ(kanal_->Only(WM_IMPORT_KONIEC).at(0).wParam, 1);
}

TEST_F(PrzebiegTest, FailureKeyReachesTheDetailedLog) {
  db_->Execute({"INSERT INTO USTAWIENIA (BLAD_PRZY) VALUES (3)"});
  watek_->Opcje.LogSzczegolowy = true;
  std::vector<std::string> bufor;
  watek_->przyWierszu = [&](int wiersz) {
    if (wiersz == 3) bufor = watek_->BuforLogu;
  };
  Uruchom();
  // The final log file holds the whole run log.
  bool znaleziony = false;
  for (const auto& e : std::filesystem::directory_iterator(db_->Directory())) {
    if (e.path().extension() != ".log") continue;
    std::ifstream in(e.path());
    const std::string tresc(std::istreambuf_iterator<char>(in), {});
    EXPECT_NE(tresc.find("AKCJA ID IDSOLVO\nTT DOD: \"100001\"\nTT DOD: \"100002\"\nwiersz 3\n"),
              std::string::npos)
        << tresc;
    znaleziony = true;
  }
  EXPECT_TRUE(znaleziony);
}

TEST_F(PrzebiegTest, StopAfterTenRowsWritesNoSummaryAndCommitsNothing) {
  watek_->przyWierszu = [&](int wiersz) {
    if (wiersz == 10) watek_->Terminate();
  };
  Uruchom();
  EXPECT_EQ(Zatwierdzone(), 0);
  EXPECT_TRUE(dmzq_->Transaction.Active());  // the rows sent wait, uncommitted
  EXPECT_FALSE(JestLinia("  Nowych: "));
  for (const auto& l : Linie()) EXPECT_EQ(l.find("wierszy/s"), std::string::npos);
  EXPECT_EQ(kanal_->Only(WM_IMPORT_KONIEC).at(0).wParam, 1);
}

}  // namespace
