// The base of import threads: the run log with its log files, the reject
// list, progress, phase announcements and error reports to the host, and the
// end of a run.
//
// The thread is created suspended; Resume() starts Execute() on a thread of
// its own, one step below normal priority. When Execute() returns, the end
// handler ZakonczImport() is handed to the main thread's message loop. The
// reporting operations are for the import thread; ZakonczImport and the
// construction for the main thread; Terminate() and Przerwany() for any.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "app/opcje_gimp.h"
#include "importcore/kanal_hosta.h"
#include "platform/window/message_loop.h"

class TFppCS {
 public:
  TFppCS(int kodOperacji, int typProgramu, std::unique_ptr<TKanalHosta> kanal);
  virtual ~TFppCS();
  TFppCS(const TFppCS&) = delete;
  TFppCS& operator=(const TFppCS&) = delete;

  // The run itself; errors must not escape it.
  virtual void Execute() = 0;

  // Starts Execute(); the end handler then runs on `petla`'s thread,
  // followed by `poZakonczeniu` (may be empty).
  void Resume(win::MessageLoop& petla, std::function<void()> poZakonczeniu = {});
  // Asks the thread to stop; the phases test Przerwany() between records.
  void Terminate() { przerwany_ = true; }
  bool Przerwany() const { return przerwany_; }
  // True once Resume() has started the thread, and once the end handler
  // has run.
  bool Uruchomiony() const { return watek_.joinable() || zakonczony_; }
  bool Zakonczony() const { return zakonczony_; }

  // The run log and the messages to the host.
  void Loguj(const std::string& tekst);
  void LogujOdrzut(const std::string& tekst);
  void LogujDoPliku(const std::string& tekst);
  void LogujSzczegolowo(const std::string& tekst);
  bool LogSzczegolowy() const { return Opcje.LogSzczegolowy; }
  void ZglosBlad(const std::string& tekst);
  void PostepStart(int pozycja, int maksimum);
  void PostepKrok();
  void OglosEtap(int kodEtapu);
  // Saves the run log: the working log when `pracuje`, otherwise the dated
  // final log (only with the detailed log on). Raises sys::FileError.
  void ZapiszLog(bool pracuje);

  // The end of the run, on the main thread: abort block, final log, working
  // log removed, WM_IMPORT_KONIEC to the host.
  void ZakonczImport();

  // Log file names.
  std::string PrefiksLogu() const;
  std::string CzescOddzialu() const;
  std::string KatalogLogu() const;

  int IdOddzialu = 0;
  // Distinct reject texts already sent to the host in this run.
  std::unordered_set<std::string> ListaOdrzutow;
  std::vector<std::string> BuforLogu;
  int PostepPozycja = 0;
  int PostepMaksimum = 0;
  int PostepKrokCo = 0;
  int KodOperacji;
  int TypProgramu;
  TOpcjeGImp Opcje;
  std::uint32_t StartTick = 0;

 protected:
  TKanalHosta& Kanal() { return *kanal_; }

 private:
  void Watek();
  void Sledz(const std::string& krok);

  std::unique_ptr<TKanalHosta> kanal_;
  std::atomic<bool> przerwany_{false};
  std::atomic<bool> zakonczony_{false};
  std::thread watek_;
  win::MessageLoop* petla_ = nullptr;
  std::function<void()> poZakonczeniu_;
};

// Milliseconds since an arbitrary start, as the 32-bit tick counter the run
// times are measured with.
std::uint32_t LicznikTaktow();
