#include "app/zq_subiekt_gt_main.h"

#include <cstdio>

#include "app/formaty_procesu.h"
#include "app/pliki.h"
#include "app/przelaczniki.h"
#include "platform/system/files.h"
#include "platform/time/formats.h"

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

TZQSubiektGTMain::~TZQSubiektGTMain() { petla_.KillTimer(timerIdle_); }

void TZQSubiektGTMain::Podlacz(TDMZQ& dmzq, TDMImportSubiekt& dmImport) {
  dmzq_ = &dmzq;
  dmImport_ = &dmImport;
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

void TZQSubiektGTMain::TimerIdleTimer() {
  if (!trybDebug_) Zamknij();
}

void TZQSubiektGTMain::Zamknij() {
  if (WatekImportu != nullptr || zamkniete_) return;
  zamkniete_ = true;
  petla_.KillTimer(timerIdle_);
  petla_.Quit();
}
