#include "importcore/fpp_cs.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "app/komunikaty_okna.h"
#include "importcore/bledy.h"
#include "platform/system/files.h"
#include "platform/system/text_file.h"
#include "platform/text/win1250.h"
#include "platform/time/datetime.h"
#include "platform/time/formats.h"

namespace {

// Texts longer than this do not fit a host atom.
constexpr std::size_t kMaksDlugoscAtomu = 255;

std::string DoAtomu(const std::string& tekst) {
  if (tekst.empty()) return " ";  // an empty atom cannot travel
  return text::FirstChars(tekst, kMaksDlugoscAtomu);
}

struct TPrefiks {
  int typ;
  const char* prefiks;
};

constexpr TPrefiks kPrefiksyLogu[] = {
    {1, "do_bufora_"},  {2, "do_bufora_"},  {10, "z_bufora_"},   {100, "fakt_"},  {200, "optima_"},
    {201, "symfonia_"}, {202, "subiekt5_"}, {203, "subiektGT_"}, {204, "WFMAG_"}, {205, "FPPCS_"},
    {206, "FPP_"},      {207, "XL_"},       {208, "RaksSQL_"},   {209, "Enova_"},
};

std::string DwieCyfry(std::uint32_t n) {
  char bufor[16];
  std::snprintf(bufor, sizeof bufor, "%2.2u", n);
  return bufor;
}

}  // namespace

std::uint32_t LicznikTaktow() { return static_cast<std::uint32_t>(dt::TickCount()); }

TFppCS::TFppCS(int kodOperacji, int typProgramu, std::unique_ptr<TKanalHosta> kanal)
    : KodOperacji(kodOperacji), TypProgramu(typProgramu), kanal_(std::move(kanal)) {}

TFppCS::~TFppCS() {
  przerwany_ = true;
  if (watek_.joinable()) watek_.join();
}

void TFppCS::Resume(win::MessageLoop& petla, std::function<void()> poZakonczeniu) {
  petla_ = &petla;
  poZakonczeniu_ = std::move(poZakonczeniu);
  watek_ = std::thread([this] { Watek(); });
}

void TFppCS::Watek() {
  // One step below normal priority: the import must not slow the machine's
  // interactive work.
  const auto tid = static_cast<id_t>(syscall(SYS_gettid));
  setpriority(PRIO_PROCESS, tid, getpriority(PRIO_PROCESS, tid) + 1);
  try {
    Execute();
  } catch (const std::exception& e) {
    // Execute handles its own errors; this is the last line of defence.
    ZglosBlad("Podczas pracy wystąpił wyjątek: \r\n" + std::string(e.what()) + "\r\n" +
              NazwaKlasyBledu(e));
    Terminate();
  }
  petla_->Post([this] {
    if (watek_.joinable()) watek_.join();
    ZakonczImport();
    if (poZakonczeniu_) poZakonczeniu_();
  });
}

void TFppCS::Loguj(const std::string& tekst) {
  BuforLogu.push_back(tekst);
  kanal_->WyslijTekst(WM_LOG_LINIA, DoAtomu(tekst));
}

void TFppCS::LogujOdrzut(const std::string& tekst) {
  BuforLogu.push_back("ODRZUT: " + tekst);
  if (!ListaOdrzutow.insert(tekst).second) return;
  kanal_->WyslijTekst(WM_LOG_ODRZUT, DoAtomu(tekst));
}

void TFppCS::LogujDoPliku(const std::string& tekst) { BuforLogu.push_back(tekst); }

void TFppCS::LogujSzczegolowo(const std::string& tekst) {
  if (Opcje.LogSzczegolowy) BuforLogu.push_back(tekst);
}

void TFppCS::ZglosBlad(const std::string& tekst) { kanal_->WyslijTekst(WM_BLAD, DoAtomu(tekst)); }

void TFppCS::PostepStart(int pozycja, int maksimum) {
  if (maksimum == 0) return;
  PostepPozycja = pozycja;
  PostepMaksimum = maksimum;
  PostepKrokCo = maksimum / 500;
  kanal_->Wyslij(WM_POSTEP, 1, maksimum);
}

void TFppCS::PostepKrok() {
  ++PostepPozycja;
  if (PostepKrokCo == 0 || PostepPozycja % PostepKrokCo == 0 || PostepPozycja == PostepMaksimum)
    kanal_->Kolejkuj(WM_POSTEP, 2, PostepPozycja);
}

void TFppCS::OglosEtap(int kodEtapu) { kanal_->Kolejkuj(WM_ETAP, kodEtapu, 0); }

std::string TFppCS::PrefiksLogu() const {
  for (const TPrefiks& p : kPrefiksyLogu) {
    if (p.typ == TypProgramu) return p.prefiks;
  }
  return "nieznany_";
}

std::string TFppCS::CzescOddzialu() const {
  if (IdOddzialu < 0) return {};
  return "ODDZIAL#" + std::to_string(IdOddzialu) + "_";
}

std::string TFppCS::KatalogLogu() const {
  std::string katalog = Opcje.Katalog1;
  if (katalog.empty() || katalog.back() != '/') katalog += '/';
  return katalog;
}

void TFppCS::ZapiszLog(bool pracuje) {
  const std::int64_t uplynelo =
      static_cast<std::int64_t>(static_cast<std::uint32_t>(LicznikTaktow() - StartTick));
  const std::uint32_t ms = uplynelo > 0 ? static_cast<std::uint32_t>(uplynelo) : 0;
  if (pracuje) {
    Loguj("Czas pracy importu: " + DwieCyfry(ms / 3600000) + ":" + DwieCyfry(ms / 60000 % 60) +
          ":" + DwieCyfry(ms / 1000 % 60) + "." + std::to_string(ms % 1000));
    Loguj("");
  }
  const std::string nazwa =
      CzescOddzialu() +
      (pracuje ? std::string("PRACUJE") : formats::FormatDateTime("yyyy-mm-dd_hh.nn", dt::Now()));
  if (Opcje.LogSzczegolowy || pracuje) {
    // A log directory that does not exist yet is made rather than the log lost.
    std::error_code ignored;
    std::filesystem::create_directories(KatalogLogu(), ignored);
    sys::ReplaceTextFile(KatalogLogu() + PrefiksLogu() + nazwa + ".log", BuforLogu);
  }
}

void TFppCS::Sledz(const std::string& krok) {
  if (!sys::IsExistingNonDirectory(KatalogLogu() + "debug_import.txt")) return;
  sys::AppendLine(KatalogLogu() + "debug_import.log",
                  formats::DateTimeToStr(dt::Now()) + " " + krok);
}

void TFppCS::ZakonczImport() {
  bool koniecWyslany = false;
  try {
    Sledz("Koniec sc 1");
    if (Przerwany()) {
      Loguj("");
      Loguj("IMPORT PRZERWANY!");
      Loguj("");
    }
    ZapiszLog(false);
    Sledz("Koniec sc 2");
    if (!Przerwany())
      sys::RemoveFile(KatalogLogu() + PrefiksLogu() + CzescOddzialu() + "PRACUJE.log");
    Sledz("Koniec sc 3");
    kanal_->Wyslij(WM_IMPORT_KONIEC, Przerwany() ? 1 : 0, 0);
    koniecWyslany = true;
    Sledz("Koniec sc 4");
  } catch (const std::exception& e) {
    ZglosBlad("Podczas pracy wystąpił wyjątek: \r\n" + std::string(e.what()) + "\r\n" +
              NazwaKlasyBledu(e));
    // The host waits for the end of the run whatever went wrong; a run whose
    // end failed did not end cleanly.
    if (!koniecWyslany) kanal_->Wyslij(WM_IMPORT_KONIEC, 1, 0);
  }
  ListaOdrzutow.clear();
  BuforLogu.clear();
  BuforLogu.shrink_to_fit();
  Sledz("Koniec sc 5");
  zakonczony_ = true;
}
