// A fixture for the Subiekt GT phases: a reference Solvo database and a
// Subiekt GT stand-in, both connected as at START, and an import thread
// object whose phases the test calls directly on its own thread (no thread
// is started). What the phase sends to the host is recorded.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/formaty_procesu.h"
#include "subiektgt/dm_import_subiekt.h"
#include "subiektgt/th_subiekt_imp.h"
#include "targetdb/dm_zq.h"
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

  std::unique_ptr<SolvoTestDb> solvo;
  std::unique_ptr<SubiektTestDb> subiekt;
  std::unique_ptr<TDMZQ> dmzq;
  std::unique_ptr<TDMImportSubiekt> dmImport;
  RecordingChannel* kanal = nullptr;
  std::unique_ptr<TThSubiektImp> watek;
};

}  // namespace testing_support
