// The control window: the importer's only window and its command post. The
// host finds it by its caption and drives it with INI, START, TERMINATE,
// TERMINATED and KONIEC; outside debug mode it closes the program at the
// first idle tick with no import thread. Main thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/opcje_gimp.h"
#include "platform/window/message_loop.h"
#include "platform/window/messages.h"
#include "targetdb/dm_zq.h"

class TDMImportSubiekt;
class TThSubiektImp;

class TZQSubiektGTMain {
 public:
  static constexpr int kOkresTimeraIdle = 10000;

  // The creation handler: process formats, debug mode, the database name
  // parts, visibility and caption.
  explicit TZQSubiektGTMain(win::MessageLoop& petla);
  ~TZQSubiektGTMain();
  TZQSubiektGTMain(const TZQSubiektGTMain&) = delete;
  TZQSubiektGTMain& operator=(const TZQSubiektGTMain&) = delete;

  // The modules created after the window; the window then starts receiving
  // messages under its caption.
  void Podlacz(TDMZQ& dmzq, TDMImportSubiekt& dmImport);

  const std::string& Caption() const { return caption_; }
  const TNazwaBazy& NazwaBazy() const { return nazwaBazy_; }
  bool TrybDebug() const { return trybDebug_; }
  bool Visible() const { return visible_; }
  void Pokaz(bool widoczne) { visible_ = widoczne; }

  // In debug mode one line "hh:nn:ss:zzz text" in the memo; otherwise nothing.
  void LogujOkno(const std::string& tekst);
  const std::vector<std::string>& Memo() const { return memo_; }

  // The message handlers; each returns the message's result.
  std::int64_t Obsluz(const win::Message& m);
  void INI(std::int64_t wParam, std::int64_t lParam);
  std::int64_t START(std::int64_t wParam, std::int64_t lParam);
  void TERMINATE();
  void TERMINATED();
  void KONIEC();

  // Closes the window unless an import thread is registered; closing ends
  // the message loop, and with it the program.
  void Zamknij();
  bool Zamkniete() const { return zamkniete_; }

  TOpcjeGImp Opcje;

 private:
  void TimerIdleTimer();
  void DodajDoMemo(const std::string& linia);
  void ZapiszCzasyUruchomienia(TThSubiektImp& watek);
  void WyzerujUruchomienie();
  void PoZakonczeniuWatku(TThSubiektImp* watek);

  win::MessageLoop& petla_;
  win::MessageLoop::TimerId timerIdle_ = 0;
  bool trybDebug_ = false;
  bool visible_ = false;
  bool zamkniete_ = false;
  std::string caption_;
  TNazwaBazy nazwaBazy_;
  std::vector<std::string> memo_;
  std::unique_ptr<win::Window> okno_;
  // The thread of the last START; cleared by TERMINATED.
  std::unique_ptr<TThSubiektImp> WatekImportu;
  // Threads the host has let go of while they still ran; freed at their end.
  std::vector<std::unique_ptr<TThSubiektImp>> watkiKonczace_;
  // KONIEC that arrived while the thread still worked on the shared
  // connection; its update waits for the thread's end.
  bool koniecOczekuje_ = false;
  TDMZQ* dmzq_ = nullptr;
  TDMImportSubiekt* dmImport_ = nullptr;
};
