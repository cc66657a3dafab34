#include "app/zq_subiekt_gt_main.h"

#include <cstdio>
#include <cstdlib>

#include "app/formaty_procesu.h"
#include "app/konfiguracja.h"
#include "app/komunikaty_okna.h"
#include "app/pliki.h"
#include "app/przelaczniki.h"
#include "importcore/kanal_hosta.h"
#include "platform/system/files.h"
#include "platform/time/formats.h"
#include "subiektgt/dm_import_subiekt.h"
#include "subiektgt/th_subiekt_imp.h"
#include "targetdb/transakcje.h"

namespace {

// The kind of object the run lock is taken on: an import configuration.
constexpr int kTypObiektuKonfiguracjaImportu = 105;

}  // namespace

TZQSubiektGTMain::TZQSubiektGTMain(win::MessageLoop& petla) : petla_(petla) {
  UstawFormatyProcesu();
  trybDebug_ = PlikIstnieje("debug_import.txt");
  nazwaBazy_.DBHOST = WartoscPrzelacznika("DBHOST");
  nazwaBazy_.DBPATH = WartoscPrzelacznika("DBPATH");
  nazwaBazy_.DBFILE = WartoscPrzelacznika("DBFILE");
  visible_ = trybDebug_ && WartoscPrzelacznika("SHOW") == "1";
  caption_ = sys::ExecutablePath() + "#" + WartoscPrzelacznika("ID");
  timerIdle_ = petla_.SetTimer(kOkresTimeraIdle, [this] { TimerIdleTimer(); });
}

TZQSubiektGTMain::~TZQSubiektGTMain() {
  petla_.KillTimer(timerIdle_);
  okno_.reset();
}

void TZQSubiektGTMain::Podlacz(TDMZQ& dmzq, TDMImportSubiekt& dmImport) {
  dmzq_ = &dmzq;
  dmImport_ = &dmImport;
  okno_ = std::make_unique<win::Window>(petla_, caption_,
                                        [this](const win::Message& m) { return Obsluz(m); });
}

void TZQSubiektGTMain::DodajDoMemo(const std::string& linia) {
  memo_.push_back(linia);
  // A shown window's memo is the terminal the program runs in.
  if (visible_) {
    std::fputs((linia + "\n").c_str(), stdout);
    std::fflush(stdout);
  }
}

void TZQSubiektGTMain::LogujOkno(const std::string& tekst) {
  if (!trybDebug_) return;
  DodajDoMemo(formats::FormatDateTime("hh:nn:ss:zzz", dt::Now()) + " " + tekst);
}

std::int64_t TZQSubiektGTMain::Obsluz(const win::Message& m) {
  switch (m.msg) {
    case WM_INI:
      INI(m.wParam, m.lParam);
      return 0;
    case WM_START:
      return START(m.wParam, m.lParam);
    case WM_TERMINATE:
      TERMINATE();
      return 0;
    case WM_TERMINATED:
      TERMINATED();
      return 0;
    case WM_KONIEC:
      KONIEC();
      return 0;
    default:
      std::fprintf(stderr, "%s: ignored unknown message 0x%X\n", caption_.c_str(), m.msg);
      return 0;
  }
}

void TZQSubiektGTMain::INI(std::int64_t wParam, std::int64_t lParam) {
  LogujOkno("INI");
  Opcje.IdKonfImport = static_cast<std::int32_t>(std::llabs(lParam));
  Opcje.IdSesji = static_cast<std::int32_t>(wParam);
}

std::int64_t TZQSubiektGTMain::START(std::int64_t wParam, std::int64_t lParam) {
  LogujOkno("START");
  std::int64_t wynik = -1;
  if (WatekImportu) {
    // One import per window: the host must wait for the end of the last one.
    LogujOkno("START ERROR import już trwa");
    return wynik;
  }
  const auto oknoHosta = static_cast<win::Handle>(lParam);
  try {
    WatekImportu = std::make_unique<TThSubiektImp>(
        static_cast<int>(wParam), std::make_unique<TKanalOknaHosta>(oknoHosta), *dmzq_,
        *dmImport_);
    TThSubiektImp& watek = *WatekImportu;
    if (watek.KodBleduStartu == 0) WczytajKonfiguracje(dmImport_->IBQ_KONFIMPORT, Opcje);
    if (watek.KodBleduStartu == 0) {
      std::string tekst;
      if (!dmImport_->PolaczZSubiektem(Opcje, tekst,
                                       [this](const std::string& t) { LogujOkno(t); })) {
        watek.KodBleduStartu = 1;
        watek.TekstBleduStartu = tekst;
        watek.Terminate();
      }
    }
    Opcje.CzasStartu = dt::Now();
    if (watek.KodBleduStartu == 0) ZapiszCzasyUruchomienia(watek);
    if (watek.KodBleduStartu == 0) {
      if (!dmzq_->ZalozBlokade(kTypObiektuKonfiguracjaImportu, Opcje.IdKonfImport, Opcje.IdSesji,
                               Opcje.IdBlokady)) {
        LogujOkno("TRWA INNY IMPORT #2");
        watek.KodBleduStartu = 3;
        watek.TekstBleduStartu.clear();
        watek.Terminate();
      }
    }
    wynik = Opcje.IdBlokady;
    watek.IdOddzialu = Opcje.IdOddzialu;
    watek.Opcje = Opcje;
    LogujOkno(watek.KodBleduStartu == 0 ? std::string("START OK")
                                        : "START ERROR " + std::to_string(watek.KodBleduStartu) +
                                              " " + watek.TekstBleduStartu);
    TThSubiektImp* wskaznik = &watek;
    watek.Resume(petla_, [this, wskaznik] { PoZakonczeniuWatku(wskaznik); });
  } catch (const std::exception& e) {
    LogujOkno("START ERROR");
    LogujOkno(e.what());
    win::SendMessage(oknoHosta, WM_IMPORT_KONIEC, 1, 0);
    wynik = -1;
  }
  return wynik;
}

void TZQSubiektGTMain::ZapiszCzasyUruchomienia(TThSubiektImp& watek) {
  fb::Transaction& T = dmImport_->T;
  fb::Query& IBQ = dmImport_->IBQ;
  try {
    StartujTransakcje(T);
    LogujOkno("CZAS SERWERA: " + formats::DateTimeToStr(Opcje.CzasStartu));
    const dt::DateTime teraz = dt::Now();
    dt::DateTime nastepny = Opcje.DataNastepnego;
    if (teraz > nastepny) nastepny = teraz;
    nastepny += Opcje.InterwalAutoImp;
    IBQ.Close();
    IBQ.SetSql({"UPDATE KONFIMPORT SET ", "  DATAOSTATNIEGO   = :aDATAOSTATNIEGO, ",
                "  DATANASTEPNEGO   = :aDATANASTEPNEGO, ", "  DATAURUCHOMIENA  = :aDATAURUCHOMIENA ",
                "WHERE IdKonfImport = :aIdKonfImport"});
    IBQ.ParamByName("aDATAOSTATNIEGO").SetDateTime(teraz);
    IBQ.ParamByName("aDATANASTEPNEGO").SetDateTime(nastepny);
    IBQ.ParamByName("aDATAURUCHOMIENA").SetDateTime(teraz);
    IBQ.ParamByName("aIdKonfImport").SetInteger(Opcje.IdKonfImport);
    IBQ.ExecSQL();
    ZatwierdzTransakcje(T);
    LogujOkno("CZAS SERWERA ZAPISANO DO BAZY DANYCH");
  } catch (const std::exception& e) {
    try {
      WycofajTransakcje(T);
    } catch (const std::exception&) {
    }
    LogujOkno("TRWA INNY IMPORT #1");
    watek.KodBleduStartu = 2;
    watek.TekstBleduStartu = e.what();
    watek.Terminate();
  }
}

void TZQSubiektGTMain::TERMINATE() {
  LogujOkno("TERMINATE");
  if (WatekImportu) WatekImportu->Terminate();
}

void TZQSubiektGTMain::TERMINATED() {
  LogujOkno("TERMINATED");
  if (!WatekImportu) return;
  // A thread that still works (or was never resumed) is let go of, not freed
  // under its own feet; it is freed at its end.
  if (!WatekImportu->Zakonczony() && WatekImportu->Uruchomiony())
    watkiKonczace_.push_back(std::move(WatekImportu));
  WatekImportu.reset();
}

void TZQSubiektGTMain::PoZakonczeniuWatku(TThSubiektImp* watek) {
  if (koniecOczekuje_) {
    koniecOczekuje_ = false;
    WyzerujUruchomienie();
  }
  std::erase_if(watkiKonczace_, [watek](const auto& w) { return w.get() == watek; });
}

void TZQSubiektGTMain::WyzerujUruchomienie() {
  fb::Transaction& T = dmImport_->T;
  fb::Query& IBQ = dmImport_->IBQ;
  try {
    StartujTransakcje(T);
    IBQ.Close();
    IBQ.SetSql({"UPDATE KONFIMPORT SET JESTURUCHOMIONY  = null ",
                "WHERE IdKonfImport = :aIdKonfImport"});
    IBQ.ParamByName("aIdKonfImport").SetInteger(Opcje.IdKonfImport);
    IBQ.ExecSQL();
    ZatwierdzTransakcje(T);
  } catch (const std::exception&) {
    try {
      WycofajTransakcje(T);
    } catch (const std::exception&) {
    }
  }
}

void TZQSubiektGTMain::KONIEC() {
  // The import thread shares the Solvo connection; while it works the
  // update waits for its end.
  if (WatekImportu && WatekImportu->Uruchomiony() && !WatekImportu->Zakonczony()) {
    koniecOczekuje_ = true;
  } else {
    WyzerujUruchomienie();
  }
  if (trybDebug_) DodajDoMemo("CLOSE");
  Zamknij();
}

void TZQSubiektGTMain::TimerIdleTimer() {
  if (!trybDebug_) Zamknij();
}

void TZQSubiektGTMain::Zamknij() {
  if (WatekImportu != nullptr || zamkniete_) return;
  zamkniete_ = true;
  petla_.KillTimer(timerIdle_);
  if (dmImport_) dmImport_->ZamknijSubiekta();
  petla_.Quit();
}
