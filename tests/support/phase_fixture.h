// A fixture for the Subiekt GT phases: a reference Solvo database and a
// Subiekt GT stand-in, both connected as at START, and an import thread
// object whose phases the test calls directly on its own thread (no thread
// is started). What the phase sends to the host is recorded; the helpers
// below read it back and look at the Solvo side, for every phase's tests.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "app/formaty_procesu.h"
#include "app/komunikaty_okna.h"
#include "subiektgt/dm_import_subiekt.h"
#include "subiektgt/th_subiekt_imp.h"
#include "targetdb/dm_zq.h"
#include "targetdb/transakcje.h"
#include "tests/support/recording_channel.h"
#include "tests/support/solvo_test_db.h"
#include "tests/support/subiekt_test_db.h"

namespace testing_support {

class PhaseTest : public ::testing::Test {
 protected:
  // Subiekt GT stand-in scale; override in a derived fixture's constructor.
  int scale_ = 1;

  void SetUp() override {
    UstawFormatyProcesu();
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    solvo = SolvoTestDb::Create(name);
    subiekt = SubiektTestDb::Create("phase", scale_);
    dmzq = std::make_unique<TDMZQ>(TNazwaBazy{"localhost:", solvo->Directory() + "/", "crm.fdb"});
    dmzq->DataModuleCreate();
    dmImport = std::make_unique<TDMImportSubiekt>(dmzq->BazaDanych);
    NowyWatek();
  }

  // A fresh import thread object (a new run: empty cache and counters), with
  // settings `opcje` copied in as START would. Connects the source.
  void NowyWatek() { NowyWatek(DomyslneOpcje()); }
  void NowyWatek(const TOpcjeGImp& opcje) {
    auto k = std::make_unique<RecordingChannel>();
    kanal = k.get();
    watek = std::make_unique<TThSubiektImp>(550, std::move(k), *dmzq, *dmImport);
    watek->Opcje = opcje;
    watek->IdOddzialu = opcje.IdOddzialu;
    std::string blad;
    ASSERT_TRUE(dmImport->PolaczZSubiektem(watek->Opcje, blad, {})) << blad;
  }

  TOpcjeGImp DomyslneOpcje() const {
    TOpcjeGImp o;
    o.KonfiguracjaWczytana = true;
    o.IdKonfImport = 5;
    o.IdOddzialu = 1;
    o.IdOperatora = 1;
    o.WersjaZrodla = 1;
    o.OkresAnalizy = 12;
    o.Serwer = subiekt ? subiekt->Dsn() : "";
    o.Login = "subiekt";
    o.Haslo = "subiekt";
    o.Katalog1 = solvo ? solvo->Directory() + "/log/" : "/tmp/";
    return o;
  }

  // A new run with these settings, its cache modes set as the run sequence
  // sets them.
  void Nowy(const TOpcjeGImp& opcje) {
    NowyWatek(opcje);
    watek->UstawCache();
  }

  // A single import runs in its caller's transaction; the test is the caller.
  void Zatwierdz() { ZatwierdzTransakcje(dmzq->Transaction); }

  // The log lines the phase sent to the host.
  std::vector<std::string> Linie() const { return kanal->Texts(WM_LOG_LINIA); }

  // The lines of the detailed log that start with `prefiks` (a tag such as
  // "KH DOD: "), in order.
  std::vector<std::string> Szczegoly(const std::string& prefiks) const {
    std::vector<std::string> wynik;
    for (const std::string& l : watek->BuforLogu)
      if (l.rfind(prefiks, 0) == 0) wynik.push_back(l);
    return wynik;
  }

  // A column, or an expression over `alias` and I (the link), of the record
  // of the Solvo table `tabela` that IMPEKSP links, as table `idTabeli` of
  // Subiekt GT (system 5), to the source id `idOut`; "" when there is none.
  std::string KolumnaPowiazanego(const std::string& tabela, const std::string& alias, int idTabeli,
                                 int idOut, const std::string& wyrazenie) {
    return solvo->Scalar(
        "SELECT " + wyrazenie + " FROM " + tabela + " " + alias + " JOIN IMPEKSP I ON I.IDLICZ = " +
        alias + ".ID WHERE I.IDSYSTEMOUT = 5 AND I.IDTABELI = " + std::to_string(idTabeli) +
        " AND I.IDOUT = '" + std::to_string(idOut) + "'");
  }

  // The number of rows of a Solvo table, as text; a WHERE may follow the
  // table's name.
  std::string Liczba(const std::string& tabelaIWarunek) {
    return solvo->Scalar("SELECT COUNT(*) FROM " + tabelaIWarunek);
  }

  // `s` as an SQL string literal.
  static std::string Sql(const std::string& s) {
    std::string wynik = "'";
    for (char c : s) {
      wynik += c;
      if (c == '\'') wynik += '\'';
    }
    return wynik + "'";
  }

  // The phase stopped on one error sent to the host, a text that matches
  // `wzor` and names `przyczyna`; the detailed log ends with `ostatnia` (what
  // was being handled) and the transaction was rolled back.
  void OczekujPrzerwania(const std::string& wzor, const std::string& przyczyna,
                         const std::string& ostatnia) {
    EXPECT_TRUE(watek->Przerwany());
    const auto bledy = kanal->Texts(WM_BLAD);
    ASSERT_EQ(bledy.size(), 1u);
    EXPECT_TRUE(std::regex_match(bledy[0], std::regex(wzor))) << bledy[0];
    EXPECT_THAT(bledy[0], testing::HasSubstr(przyczyna));
    EXPECT_EQ(watek->BuforLogu.back(), ostatnia);
    EXPECT_FALSE(dmzq->Transaction.Active());
  }

  // `wywolanie` answers `id` again with nothing sent to the host, nothing logged
  // and no transaction left open: the cache alone answered.
  void OczekujOdpowiedziZCache(const std::function<int()>& wywolanie, int id) {
    const auto wiadomosci = kanal->Messages().size();
    const auto linieLogu = watek->BuforLogu.size();
    EXPECT_EQ(wywolanie(), id);
    EXPECT_EQ(kanal->Messages().size(), wiadomosci);
    EXPECT_EQ(watek->BuforLogu.size(), linieLogu);
    EXPECT_FALSE(dmzq->Transaction.Active());
  }

  std::unique_ptr<SolvoTestDb> solvo;
  std::unique_ptr<SubiektTestDb> subiekt;
  std::unique_ptr<TDMZQ> dmzq;
  std::unique_ptr<TDMImportSubiekt> dmImport;
  RecordingChannel* kanal = nullptr;
  std::unique_ptr<TThSubiektImp> watek;
};

}  // namespace testing_support
