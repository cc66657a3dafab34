// The thread base's reports to the host and its log files, without a thread.
#include "importcore/fpp_cs.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "app/formaty_procesu.h"
#include "app/komunikaty_okna.h"
#include "tests/support/recording_channel.h"

namespace {

using testing_support::RecordingChannel;

class TWatekBezPracy : public TFppCS {
 public:
  explicit TWatekBezPracy(RecordingChannel*& kanal) : TFppCS(550, 203, Nagrywajacy(kanal)) {}
  void Execute() override {}

 private:
  static std::unique_ptr<TKanalHosta> Nagrywajacy(RecordingChannel*& kanal) {
    auto k = std::make_unique<RecordingChannel>();
    kanal = k.get();
    return k;
  }
};

class FppCSTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UstawFormatyProcesu();
    katalog_ = "/tmp/fppcs-test-" + std::to_string(getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::create_directories(katalog_);
    watek_.Opcje.Katalog1 = katalog_;
    watek_.IdOddzialu = 7;
  }
  void TearDown() override { std::filesystem::remove_all(katalog_); }

  std::vector<std::string> Pliki() const {
    std::vector<std::string> nazwy;
    for (const auto& e : std::filesystem::directory_iterator(katalog_))
      nazwy.push_back(e.path().filename().string());
    std::sort(nazwy.begin(), nazwy.end());
    return nazwy;
  }
  std::string Tresc(const std::string& nazwa) const {
    std::ifstream in(katalog_ + "/" + nazwa);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  RecordingChannel* kanal_ = nullptr;
  TWatekBezPracy watek_{kanal_};
  std::string katalog_;
};

std::vector<std::int64_t> PostedPositions(const RecordingChannel& kanal) {
  std::vector<std::int64_t> pozycje;
  for (const auto& m : kanal.Only(WM_POSTEP)) {
    if (m.wParam == 2) pozycje.push_back(m.lParam);
  }
  return pozycje;
}

TEST_F(FppCSTest, ProgressPostsAboutFiveHundredStepsAndTheLast) {
  struct Case {
    int maksimum;
    std::size_t posted;
    std::int64_t first;
    std::int64_t last;
  };
  for (const Case& c :
       {Case{1000, 500, 2, 1000}, Case{1001, 501, 2, 1001}, Case{499, 499, 1, 499}}) {
    RecordingChannel* kanal = nullptr;
    TWatekBezPracy w(kanal);
    w.PostepStart(0, c.maksimum);
    for (int i = 0; i < c.maksimum; ++i) w.PostepKrok();
    const auto starts = kanal->Only(WM_POSTEP);
    EXPECT_EQ(starts.front().wParam, 1);
    EXPECT_EQ(starts.front().lParam, c.maksimum);
    EXPECT_FALSE(starts.front().posted);  // the maximum waits for the host
    const auto pozycje = PostedPositions(*kanal);
    EXPECT_EQ(pozycje.size(), c.posted) << c.maksimum;
    EXPECT_EQ(pozycje.front(), c.first);
    EXPECT_EQ(pozycje.back(), c.last);
    EXPECT_TRUE(kanal->Only(WM_POSTEP).back().posted);
  }
}

TEST_F(FppCSTest, ProgressWithMaximumZeroSendsNothingAndKeepsTheStep) {
  watek_.PostepStart(0, 1000);
  watek_.PostepStart(0, 0);
  EXPECT_EQ(kanal_->Messages().size(), 1u);
  EXPECT_EQ(watek_.PostepKrokCo, 2);
  EXPECT_EQ(watek_.PostepMaksimum, 1000);
}

TEST_F(FppCSTest, HostGetsAtMost255CharactersTheLogKeepsAll) {
  std::string dlugi;
  for (int i = 0; i < 300; ++i) dlugi += "ą";
  watek_.Loguj(dlugi);
  watek_.Loguj("");
  watek_.ZglosBlad(dlugi);
  watek_.LogujOdrzut(dlugi);
  const auto linie = kanal_->Texts(WM_LOG_LINIA);
  ASSERT_EQ(linie.size(), 2u);
  EXPECT_EQ(linie[0], dlugi.substr(0, 255 * 2));  // two bytes a letter
  EXPECT_EQ(linie[1], " ");
  EXPECT_EQ(kanal_->Texts(WM_BLAD)[0], dlugi.substr(0, 510));
  EXPECT_EQ(kanal_->Texts(WM_LOG_ODRZUT)[0], dlugi.substr(0, 510));
  EXPECT_EQ(watek_.BuforLogu[0], dlugi);
  EXPECT_EQ(watek_.BuforLogu[1], "");
  EXPECT_EQ(watek_.BuforLogu.size(), 3u);  // errors are not logged
}

TEST_F(FppCSTest, RejectTextGoesToTheHostOncePerRun) {
  watek_.LogujOdrzut("Brak kontrahenta");
  watek_.LogujOdrzut("Brak kontrahenta");
  watek_.LogujOdrzut("brak kontrahenta");  // the comparison is exact
  EXPECT_EQ(kanal_->Texts(WM_LOG_ODRZUT),
            (std::vector<std::string>{"Brak kontrahenta", "brak kontrahenta"}));
  EXPECT_EQ(
      std::count(watek_.BuforLogu.begin(), watek_.BuforLogu.end(), "ODRZUT: Brak kontrahenta"), 2);
}

TEST_F(FppCSTest, DetailedLinesOnlyWithTheDetailedLog) {
  watek_.LogujSzczegolowo("TW DOD: \"a\"");
  watek_.Opcje.LogSzczegolowy = true;
  watek_.LogujSzczegolowo("TW STA: \"b\"");
  watek_.LogujDoPliku("tylko w pliku");
  EXPECT_EQ(watek_.BuforLogu, (std::vector<std::string>{"TW STA: \"b\"", "tylko w pliku"}));
  EXPECT_TRUE(kanal_->Messages().empty());
}

TEST_F(FppCSTest, LogFileNamesCarryPrefixAndBranch) {
  struct Case {
    int typ;
    int oddzial;
    const char* prefiks;
    const char* oddzialTekst;
  };
  const Case cases[] = {{203, 7, "subiektGT_", "ODDZIAL#7_"},
                        {203, 0, "subiektGT_", "ODDZIAL#0_"},
                        {203, -1, "subiektGT_", ""},
                        {2, 1, "do_bufora_", "ODDZIAL#1_"},
                        {999, 1, "nieznany_", "ODDZIAL#1_"}};
  for (const Case& c : cases) {
    watek_.TypProgramu = c.typ;
    watek_.IdOddzialu = c.oddzial;
    EXPECT_EQ(watek_.PrefiksLogu(), c.prefiks);
    EXPECT_EQ(watek_.CzescOddzialu(), c.oddzialTekst);
  }
}

TEST_F(FppCSTest, WorkingLogIsWrittenAndRemovedAtAFinishedEnd) {
  watek_.Loguj("pierwsza");
  watek_.ZapiszLog(true);
  EXPECT_EQ(Pliki(), (std::vector<std::string>{"subiektGT_ODDZIAL#7_PRACUJE.log"}));
  EXPECT_EQ(Tresc("subiektGT_ODDZIAL#7_PRACUJE.log").rfind("pierwsza\nCzas pracy importu: ", 0),
            0u);
  watek_.ZakonczImport();
  EXPECT_TRUE(Pliki().empty());  // no detailed log: nothing is left
  const auto koniec = kanal_->Only(WM_IMPORT_KONIEC);
  ASSERT_EQ(koniec.size(), 1u);
  EXPECT_EQ(koniec[0].wParam, 0);
}

TEST_F(FppCSTest, StoppedRunKeepsTheWorkingLogEndingWithTheAbortBlock) {
  watek_.ZapiszLog(true);
  watek_.Terminate();
  watek_.Loguj("po przerwaniu");
  watek_.ZapiszLog(true);
  watek_.ZakonczImport();
  ASSERT_EQ(Pliki(), (std::vector<std::string>{"subiektGT_ODDZIAL#7_PRACUJE.log"}));
  EXPECT_EQ(kanal_->Only(WM_IMPORT_KONIEC)[0].wParam, 1);
}

TEST_F(FppCSTest, DetailedLogLeavesTheDatedFinalLog) {
  watek_.Opcje.LogSzczegolowy = true;
  watek_.Terminate();
  watek_.ZakonczImport();
  const auto pliki = Pliki();
  ASSERT_EQ(pliki.size(), 1u);
  EXPECT_EQ(pliki[0].rfind("subiektGT_ODDZIAL#7_20", 0), 0u) << pliki[0];
  EXPECT_EQ(pliki[0].size(), std::string("subiektGT_ODDZIAL#7_2026-12-11_13.05.log").size());
  EXPECT_EQ(Tresc(pliki[0]), "\nIMPORT PRZERWANY!\n\n");
}

TEST_F(FppCSTest, TraceFileFollowsTheEndWhenItsMarkerExists) {
  std::ofstream(katalog_ + "/debug_import.txt") << "";
  watek_.ZakonczImport();
  const std::string slad = Tresc("debug_import.log");
  for (const char* krok :
       {"Koniec sc 1", "Koniec sc 2", "Koniec sc 3", "Koniec sc 4", "Koniec sc 5"})
    EXPECT_NE(slad.find(std::string(" ") + krok + "\n"), std::string::npos) << krok;
}

TEST_F(FppCSTest, FailedLogSaveIsReportedAndTheHostStillHearsTheEnd) {
  std::ofstream(katalog_ + "/plik") << "x";
  watek_.Opcje.Katalog1 = katalog_ + "/plik/";  // a file where a directory should be
  watek_.Opcje.LogSzczegolowy = true;
  watek_.Loguj("linia");
  watek_.ZakonczImport();
  const auto bledy = kanal_->Texts(WM_BLAD);
  ASSERT_EQ(bledy.size(), 1u);
  EXPECT_EQ(bledy[0].rfind("Podczas pracy wystąpił wyjątek: \r\n", 0), 0u);
  EXPECT_NE(bledy[0].find("\r\nFileError"), std::string::npos) << bledy[0];
  const auto koniec = kanal_->Only(WM_IMPORT_KONIEC);
  ASSERT_EQ(koniec.size(), 1u);
  EXPECT_EQ(koniec[0].wParam, 1);
  EXPECT_TRUE(watek_.BuforLogu.empty());
}

}  // namespace
