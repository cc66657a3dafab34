// Whole runs through solvo-host and the importer, as an administrator starts
// them: a Subiekt GT stand-in, a Solvo database, a configuration, and the
// host's transcript.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>

#include "platform/firebird/query.h"
#include "tests/support/host_run.h"
#include "tests/support/solvo_test_db.h"
#include "tests/support/subiekt_test_db.h"

namespace {

using testing_support::HostRun;
using testing_support::RunHost;
using testing_support::SolvoTestDb;
using testing_support::SubiektTestDb;

std::string TestName() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }

class ImportRunTest : public ::testing::Test {
 protected:
  void SetUp() override { solvo_ = SolvoTestDb::Create(TestName()); }

  std::string LogDir() const { return solvo_->Directory() + "/log/"; }
  // Configuration 5 reading `dsn`, with extra columns set by `ustawienia`.
  void Configure(const std::string& dsn, const std::string& ustawienia = "") {
    solvo_->Execute(
        {"INSERT INTO KONFIMPORT (IDKONFIMPORT, IDODDZIALU, IDOPERATORA, SERWER, "
         "LOGIN, HASLO, OPCJE, OPCJEIMPORTU, OPCJEAKTUALIZACJI, KATALOG1, "
         "OKRESANALIZY, WERSJAZRODLA) VALUES (5, 1, 1, '" +
         dsn + "', 'subiekt', 'subiekt', 0, 0, 0, '" + LogDir() + "', 12, 1)"});
    if (!ustawienia.empty())
      solvo_->Execute({"UPDATE KONFIMPORT SET " + ustawienia + " WHERE IDKONFIMPORT = 5"});
  }
  HostRun Run(const std::string& extra = "--config 5") {
    return RunHost(solvo_->Directory() + "/run",
                   "--db '" + solvo_->ConnectString() + "' --session 3 " + extra);
  }
  static std::int64_t EndParam(const HostRun& run) {
    const auto koniec = run.Named("WM_IMPORT_KONIEC");
    return koniec.size() == 1 ? koniec[0]->wParam : -1;
  }

  std::unique_ptr<SolvoTestDb> solvo_;
};

TEST_F(ImportRunTest, ConfigurationWithoutARowIsStartErrorOneWithAnEmptyText) {
  const HostRun run = Run("--config 77");
  EXPECT_EQ(run.exitCode, 1) << run.out;
  ASSERT_EQ(run.Named("START_RESULT").size(), 1u) << run.out;
  EXPECT_EQ(run.Named("START_RESULT")[0]->result, 0);
  const auto lines = run.LogLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "Występił problem z połączenie z bazą Subiekt'a ()");
  EXPECT_EQ(lines[1], " ");  // the empty start error text
  EXPECT_TRUE(run.HasLogLine("IMPORT PRZERWANY!"));
  EXPECT_EQ(EndParam(run), 1);
  EXPECT_EQ(solvo_->Scalar("SELECT COUNT(*) FROM BLOKADY"), "0");
}

TEST_F(ImportRunTest, UnknownDataSourceIsStartErrorOneWithoutRunTimesOrLock) {
  Configure("nie_ma_takiego_zrodla");
  const HostRun run = Run();
  EXPECT_EQ(run.exitCode, 1) << run.out;
  const auto lines = run.LogLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "Występił problem z połączenie z bazą Subiekt'a (nie_ma_takiego_zrodla)");
  EXPECT_NE(lines[1].find("nie_ma_takiego_zrodla"), std::string::npos) << lines[1];
  EXPECT_EQ(EndParam(run), 1);
  EXPECT_EQ(solvo_->Scalar("SELECT COUNT(*) FROM KONFIMPORT WHERE DATAOSTATNIEGO IS NOT NULL"),
            "0");
  EXPECT_EQ(solvo_->Scalar("SELECT COUNT(*) FROM BLOKADY"), "0");
}

class ImportWithSourceTest : public ImportRunTest {
 protected:
  void SetUp() override {
    ImportRunTest::SetUp();
    subiekt_ = SubiektTestDb::Create("e2e");
  }
  std::unique_ptr<SubiektTestDb> subiekt_;
};

TEST_F(ImportWithSourceTest, FullImportWithEveryOptionOffImportsTheWarehouses) {
  Configure(subiekt_->Dsn());
  const HostRun run = Run("--config 5 --op 550");
  EXPECT_EQ(run.exitCode, 0) << run.out;
  EXPECT_GT(run.Named("START_RESULT").at(0)->result, 0);  // the lock id
  EXPECT_TRUE(run.HasLogLine("  Połączenie testowe OK."));
  EXPECT_TRUE(run.HasLogLine("  Ustawienia (5/3/" +
                             std::to_string(run.Named("START_RESULT").at(0)->result) + "/1):"));
  EXPECT_TRUE(run.HasLogLine("Pobrano informację o 5 magazynach"));
  EXPECT_EQ(run.LogLines().back(), "Cały import zakończony pomyślnie!");
  EXPECT_TRUE(run.Named("WM_ETAP").empty());
  EXPECT_EQ(EndParam(run), 0);
  EXPECT_EQ(solvo_->Scalar("SELECT LIST(INFOSTRING, '|') FROM (SELECT INFOSTRING FROM SLOWNIK "
                           "WHERE IDTYPU = 18 ORDER BY ID)"),
            "MAG|MAG2|MAG 3|MAG'4|SKLEP");
  EXPECT_EQ(solvo_->Scalar("SELECT COUNT(*) FROM KONFIMPORT WHERE DATAOSTATNIEGO IS NOT NULL "
                           "AND DATANASTEPNEGO IS NOT NULL AND DATAURUCHOMIENA IS NOT NULL"),
            "1");
  EXPECT_EQ(solvo_->Scalar("SELECT COUNT(*) FROM BLOKADY WHERE TYPOBIEKTU = 105 AND "
                           "IDOBIEKTU = 5 AND IDSESJI = 3"),
            "1");
  // No detailed log: a finished run leaves no log file behind.
  EXPECT_TRUE(!std::filesystem::exists(LogDir()) || std::filesystem::is_empty(LogDir()));
}

TEST_F(ImportWithSourceTest, ChosenWarehousesRestrictTheRun) {
  struct Case {
    const char* magazynDef;
    const char* summary;
  };
  const Case cases[] = {
      {"MAG, \"MAG 3\", NIEMA", "Pobrano informację o 2 magazynach"},
      {"MAG'4", "Pobrano informację o 1 magazynie"},
      {"x') OR ('1'='1", "Pobrano informację o 0 magazynach"},
  };
  Configure(subiekt_->Dsn());
  for (const Case& c : cases) {
    std::string quoted;
    for (const char* p = c.magazynDef; *p; ++p)
      quoted += *p == '\'' ? std::string("''") : std::string(1, *p);
    solvo_->Execute({"UPDATE KONFIMPORT SET MAGAZYNDEF = '" + quoted + "'"});
    solvo_->Execute({"DELETE FROM BLOKADY"});
    const HostRun run = Run();
    EXPECT_EQ(run.exitCode, 0) << c.magazynDef << run.out;
    EXPECT_TRUE(run.HasLogLine(c.summary)) << c.magazynDef;
  }
}

TEST_F(ImportWithSourceTest, RefusedLockReportsAnotherImport) {
  Configure(subiekt_->Dsn());
  solvo_->Execute(
      {"INSERT INTO BLOKADY (IDBLOKADY, TYPOBIEKTU, IDOBIEKTU, IDSESJI) "
       "VALUES (GEN_ID(GEN_BLOKADY, 1), 105, 5, 99)"});
  const HostRun run = Run();
  EXPECT_EQ(run.exitCode, 1) << run.out;
  EXPECT_EQ(run.Named("START_RESULT").at(0)->result, 0);
  EXPECT_EQ(run.LogLines().at(0), "Jest uruchomiony inny import. Proszę spróbować za chwilę.");
  EXPECT_EQ(run.Named("WM_INNY_IMPORT").size(), 1u);
  EXPECT_EQ(EndParam(run), 1);
  // The run times were written before the lock was asked for.
  EXPECT_EQ(solvo_->Scalar("SELECT COUNT(*) FROM KONFIMPORT WHERE DATAOSTATNIEGO IS NOT NULL"),
            "1");
}

TEST_F(ImportWithSourceTest, FailedConnectionTestStopsTheRun) {
  SubiektTestDb::AddDataSource("bez_tabel_" + std::to_string(getpid()), "postgres");
  Configure("bez_tabel_" + std::to_string(getpid()));
  const HostRun run = Run();
  EXPECT_EQ(run.exitCode, 1) << run.out;
  bool bladPolaczenia = false;
  for (const auto& l : run.LogLines())
    bladPolaczenia |= l.rfind("  Błąd podczas połączenia: \r\n  Błąd systemowy: ", 0) == 0;
  EXPECT_TRUE(bladPolaczenia);
  EXPECT_TRUE(run.HasLogLine("IMPORT PRZERWANY!"));
  EXPECT_EQ(EndParam(run), 1);
}

TEST_F(ImportWithSourceTest, ErrorWhilePreparingTheRunIsReportedAndStopsIt) {
  Configure(subiekt_->Dsn(), "NAZWASKROTKON = 'DETAL'");
  // The receipts-customer query orders by ARC: without it, it fails.
  solvo_->Execute({"ALTER TABLE KONTRAHENT DROP ARC"});
  const HostRun run = Run();
  EXPECT_EQ(run.exitCode, 1) << run.out;
  const auto bledy = run.Named("WM_BLAD");
  ASSERT_EQ(bledy.size(), 1u) << run.out;
  EXPECT_EQ(bledy[0]->text->rfind("Podczas pracy wystąpił wyjątek: \r\n", 0), 0u);
  EXPECT_NE(bledy[0]->text->find("\r\nFirebirdError"), std::string::npos);
  EXPECT_FALSE(run.HasLogLine("Cały import zakończony pomyślnie!"));
  EXPECT_EQ(EndParam(run), 1);
}

TEST_F(ImportWithSourceTest, DetailedLogLeavesTheFinalLogWithEveryWarehouse) {
  Configure(subiekt_->Dsn(), "OPCJE = 1");
  const HostRun run = Run();
  ASSERT_EQ(run.exitCode, 0) << run.out;
  std::vector<std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(LogDir()))
    files.push_back(e.path().filename().string());
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].rfind("subiektGT_ODDZIAL#1_", 0), 0u) << files[0];
  std::ifstream in(LogDir() + files[0]);
  const std::string log((std::istreambuf_iterator<char>(in)), {});
  EXPECT_NE(log.find("MAG_ID MAG_SYMBOL MAG_NAZWA IDSOLVO\n\"1\" \"MAG\" "), std::string::npos)
      << log;
}

// The summary line of a phase ("  Nowych: 3, starych: 4, ...") as its
// numbers, by their labels (the words before a number's colon, back to the
// previous comma).
std::map<std::string, int> Liczniki(const HostRun& run, const std::string& poczatekFazy) {
  const auto lines = run.LogLines();
  auto it = std::find(lines.begin(), lines.end(), poczatekFazy);
  for (; it != lines.end(); ++it) {
    if (it->rfind("  Nowych: ", 0) != 0) continue;
    std::map<std::string, int> liczniki;
    static const std::regex para("([^,:]+): ([0-9]+)");
    for (std::sregex_iterator m(it->begin(), it->end(), para), end; m != end; ++m) {
      std::string nazwa = (*m)[1];
      nazwa.erase(0, nazwa.find_first_not_of(' '));
      liczniki[nazwa] = std::stoi((*m)[2]);
    }
    return liczniki;
  }
  ADD_FAILURE() << "no summary after " << poczatekFazy;
  return {};
}

bool MaLinieTempa(const HostRun& run, const std::string& jednostka) {
  const std::regex tempo(" +[0-9]+ " + jednostka + "/s");
  for (const auto& line : run.LogLines()) {
    if (std::regex_match(line, tempo)) return true;
  }
  return false;
}

TEST_F(ImportWithSourceTest, FullImportOfTheMasterDataAndItsRerun) {
  Configure(subiekt_->Dsn(), "OPCJEIMPORTU = 14");  // products, customers, contact persons
  const HostRun first = Run("--config 5 --op 550");
  ASSERT_EQ(first.exitCode, 0) << first.out;
  EXPECT_EQ(first.LogLines().back(), "Cały import zakończony pomyślnie!");
  std::vector<std::int64_t> etapy;
  for (const auto* e : first.Named("WM_ETAP")) etapy.push_back(e->wParam);
  EXPECT_EQ(etapy, (std::vector<std::int64_t>{502, 503, 504}));
  EXPECT_TRUE(first.HasLogLine("Pobrano informację o 5 magazynach"));
  EXPECT_TRUE(MaLinieTempa(first, "towarów"));
  EXPECT_TRUE(MaLinieTempa(first, "kontrahentów"));
  EXPECT_TRUE(MaLinieTempa(first, "pozycji"));

  const std::string towary = "Rozpoczynam import towarów...";
  const std::string kontrahenci = "Rozpoczynam import kontrahentów...";
  const std::string kontakty = "Rozpoczynam import osób kontaktowych...";
  const auto tw = Liczniki(first, towary);
  const auto kh = Liczniki(first, kontrahenci);
  const auto ko = Liczniki(first, kontakty);
  // Everything is new in an empty Solvo, and it all landed there.
  EXPECT_EQ(tw.at("Nowych"), 100);
  EXPECT_EQ(tw.at("starych") + tw.at("zaktualizowanych"), 0);
  EXPECT_EQ(std::to_string(tw.at("Nowych")), solvo_->Scalar("SELECT COUNT(*) FROM TOWARY"));
  EXPECT_GT(kh.at("Nowych"), 0);
  EXPECT_EQ(kh.at("starych") + kh.at("zaktualizowanych"), 0);
  EXPECT_EQ(std::to_string(kh.at("Nowych")), solvo_->Scalar("SELECT COUNT(*) FROM KONTRAHENT"));
  EXPECT_GT(ko.at("Nowych"), 0);
  EXPECT_EQ(std::to_string(ko.at("Nowych")), solvo_->Scalar("SELECT COUNT(*) FROM KONTAKTY"));

  solvo_->Execute({"DELETE FROM BLOKADY"});
  const HostRun rerun = Run("--config 5 --op 550");
  ASSERT_EQ(rerun.exitCode, 0) << rerun.out;
  EXPECT_EQ(rerun.LogLines().back(), "Cały import zakończony pomyślnie!");
  const auto tw2 = Liczniki(rerun, towary);
  const auto kh2 = Liczniki(rerun, kontrahenci);
  const auto ko2 = Liczniki(rerun, kontakty);
  EXPECT_EQ(tw2.at("Nowych") + tw2.at("zaktualizowanych"), 0);
  EXPECT_EQ(tw2.at("starych"), tw.at("Nowych"));
  EXPECT_EQ(kh2.at("Nowych") + kh2.at("zaktualizowanych"), 0);
  EXPECT_EQ(kh2.at("starych"), kh.at("Nowych"));
  // Refused customers stay refused, for the same reasons.
  EXPECT_EQ(kh2.at("wiele rekordów odpowiadających"), kh.at("wiele rekordów odpowiadających"));
  EXPECT_EQ(kh2.at("powtórzony kod kontrahenta"), kh.at("powtórzony kod kontrahenta"));
  EXPECT_EQ(ko2.at("Nowych") + ko2.at("zaktualizowanych"), 0);
  EXPECT_EQ(ko2.at("starych"), ko.at("Nowych"));
  EXPECT_EQ(std::to_string(tw.at("Nowych")), solvo_->Scalar("SELECT COUNT(*) FROM TOWARY"));
}

TEST_F(ImportWithSourceTest, CtrlCInTheHostStopsTheRunAndLeavesTheWorkingLog) {
  // Product 50 was imported before and has changed since: its update waits
  // on a lock the test holds, so the products phase is surely still running
  // when the host is told to stop.
  solvo_->Execute({"INSERT INTO TOWARY (ID, NAZWA) VALUES (900001, 'stara nazwa')",
                   "INSERT INTO IMPEKSP (IDIMPEKSP, IDLICZ, IDTABELI, IDOUT, IDSYSTEMOUT, "
                   "WERSJAZRODLA) VALUES (GEN_ID(IDIMPEKSP_ID, 1), 900001, 42, '50', 5, 1)"});
  fb::Transaction blokada(&solvo_->Admin(), fb::EndAction::Rollback);
  fb::Query zajmij(&solvo_->Admin(), &blokada);
  zajmij.SetSql({"UPDATE TOWARY SET NAZWA = 'zajęta' WHERE ID = 900001"});
  zajmij.ExecSQL();
  Configure(subiekt_->Dsn(), "OPCJEIMPORTU = 6");  // products and customers on
  const HostRun run = testing_support::RunHostInterrupted(
      solvo_->Directory() + "/run",
      "--db '" + solvo_->ConnectString() + "' --session 3 --config 5 --op 550",
      "\"name\": \"WM_ETAP\", \"wParam\": 502", [&blokada] {
        // The posted TERMINATE needs a moment to reach the importer.
        usleep(500'000);
        blokada.Rollback();
      });
  EXPECT_EQ(run.exitCode, 1) << run.out;
  EXPECT_TRUE(run.HasLogLine("IMPORT PRZERWANY!"));
  EXPECT_FALSE(run.HasLogLine("Cały import zakończony pomyślnie!"));
  // The products phase stopped; the code of the next enabled phase is still
  // announced, and that phase does not run.
  const auto etapy = run.Named("WM_ETAP");
  ASSERT_EQ(etapy.size(), 2u) << run.out;
  EXPECT_EQ(etapy[0]->wParam, 502);
  EXPECT_EQ(etapy[1]->wParam, 503);
  for (const auto& line : run.LogLines()) EXPECT_NE(line, "Rozpoczynam import kontrahentów...");
  EXPECT_EQ(EndParam(run), 1);
  // An interrupted run leaves its working log for the administrator.
  const std::string pracuje = LogDir() + "subiektGT_ODDZIAL#1_PRACUJE.log";
  ASSERT_TRUE(std::filesystem::exists(pracuje));
  std::ifstream in(pracuje);
  const std::string log((std::istreambuf_iterator<char>(in)), {});
  EXPECT_NE(log.find("Czas pracy importu: "), std::string::npos) << log;
}

}  // namespace
