#include "host/run.h"

#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "app/komunikaty_okna.h"
#include "host/display.h"
#include "host/importer_process.h"
#include "host/transcript.h"
#include "platform/system/files.h"
#include "platform/window/message_loop.h"
#include "platform/window/messages.h"

namespace host {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr seconds kFindWindowTimeout{10};
constexpr milliseconds kFindWindowRetry{50};
constexpr milliseconds kCheckPeriod{100};
constexpr milliseconds kFarewellTimeout{10'000};
constexpr seconds kExitTimeout{30};

// Counted by the signal handler, acted on by the loop's timer.
volatile sig_atomic_t g_interrupts = 0;

void OnInterrupt(int) {
  if (g_interrupts < 2) g_interrupts = g_interrupts + 1;
}

void InstallInterruptHandlers() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

int TerminalColumns() {
  if (!isatty(STDOUT_FILENO)) return 0;
  winsize size{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

void Fail(const std::string& message) { std::cerr << "solvo-host: " << message << std::endl; }

std::optional<std::string> RealPath(const std::string& path) {
  std::unique_ptr<char, decltype(&std::free)> resolved(realpath(path.c_str(), nullptr), &std::free);
  if (!resolved) return std::nullopt;
  return std::string(resolved.get());
}

class HostRun {
 public:
  HostRun(const RunOptions& options, std::string importer)
      : options_(options), importer_(std::move(importer)) {}

  int Run();
  bool Started() const { return started_; }

 private:
  void OnStartResult(std::optional<std::int64_t> result, const std::string& error);
  std::int64_t OnMessage(const win::Message& message);
  void OnImportEnd(std::int64_t result);
  void SayGoodbye();
  void Check();
  void CheckInterrupts();
  void CheckChild();
  void Quit(int exitCode);

  const RunOptions& options_;
  const std::string importer_;
  std::optional<Transcript> transcript_;
  Display display_{std::cout, std::cerr, TerminalColumns()};
  win::MessageLoop loop_;
  std::unique_ptr<ImporterProcess> process_;
  win::Handle importerWindow_ = 0;
  int interruptsHandled_ = 0;
  std::optional<std::int64_t> importResult_;       // WM_IMPORT_KONIEC's wParam
  std::optional<Clock::time_point> exitDeadline_;  // set once KONIEC went out
  int exitCode_ = kExitStopped;
  bool started_ = false;  // START went out
};

int HostRun::Run() {
  if (!options_.transcript.empty()) {
    try {
      transcript_.emplace(options_.transcript);
    } catch (const std::exception& e) {
      Fail(std::string("cannot write the transcript: ") + e.what());
      return kExitNotStarted;
    }
  }
  InstallInterruptHandlers();

  // The host window exists before START hands its handle over.
  const std::string id = std::to_string(getpid());
  std::unique_ptr<win::Window> window;
  try {
    window = std::make_unique<win::Window>(loop_, "solvo-host#" + id,
                                           [this](const win::Message& m) { return OnMessage(m); });
  } catch (const std::exception& e) {
    Fail(std::string("cannot create the host window: ") + e.what());
    return kExitNotStarted;
  }

  const DbName& db = options_.db;
  try {
    process_ = std::make_unique<ImporterProcess>(
        importer_, std::vector<std::string>{"-wrotka", "-ID=" + id, "-DBHOST=" + db.host,
                                            "-DBPATH=" + db.path, "-DBFILE=" + db.file});
  } catch (const std::exception& e) {
    Fail(e.what());
    return kExitNotStarted;
  }

  const std::string caption = importer_ + "#" + id;
  const Clock::time_point findDeadline = Clock::now() + kFindWindowTimeout;
  while ((importerWindow_ = win::FindWindow(caption)) == 0) {
    if (const auto status = process_->Poll()) {
      Fail("the importer " + status->Describe() + " before its window appeared");
      return kExitNotStarted;
    }
    if (g_interrupts > 0) {
      Fail("interrupted while waiting for the importer's window");
      return kExitStopped;
    }
    if (Clock::now() >= findDeadline) {
      Fail("no window \"" + caption + "\" appeared within " +
           std::to_string(kFindWindowTimeout.count()) + " s");
      return kExitNotStarted;
    }
    std::this_thread::sleep_for(kFindWindowRetry);
  }

  if (!win::SendMessage(importerWindow_, WM_INI, options_.session, options_.config)) {
    Fail("the importer's window did not answer WM_INI");
    return kExitNotStarted;
  }
  // START goes out from a thread of its own so that the host window answers
  // meanwhile: an importer whose START fails sends WM_IMPORT_KONIEC from
  // inside its START handler and waits for it.
  started_ = true;
  loop_.SetTimer(static_cast<int>(kCheckPeriod.count()), [this] { Check(); });
  const std::jthread starter([this, own = window->GetHandle()] {
    std::optional<std::int64_t> result;
    std::string error;
    try {
      result = win::SendMessage(importerWindow_, WM_START, options_.operation, own);
    } catch (const std::exception& e) {
      error = e.what();
    }
    loop_.Post([this, result, error] { OnStartResult(result, error); });
  });
  loop_.Run();
  return exitCode_;
}

void HostRun::OnStartResult(std::optional<std::int64_t> result, const std::string& error) {
  if (transcript_) transcript_->Write(StartResultLine(result));
  if (result) {
    display_.Line("WM_START: " + std::to_string(*result));
    return;
  }
  Fail("the importer's window did not answer WM_START" + (error.empty() ? "" : ": " + error));
  // An importer that has already ended its run still gets its farewell.
  if (!importResult_) Quit(kExitNotStarted);
}

std::int64_t HostRun::OnMessage(const win::Message& message) {
  if (transcript_) transcript_->Write(MessageLine(message));
  // The texts' atoms are the receiver's to delete.
  if (message.text) win::DeleteAtom(message.wParam);
  const std::string text = message.text.value_or("");

  switch (message.msg) {
    case WM_LOG_LINIA:
      display_.Line(text);
      break;
    case WM_LOG_ODRZUT:
      display_.Line("ODRZUT: " + text);
      break;
    case WM_BLAD:
      display_.Error("BŁĄD: " + text);
      break;
    case WM_ETAP:
      display_.Phase(message.wParam);
      break;
    case WM_POSTEP:
      if (message.wParam == 1) display_.ProgressMaximum(message.lParam);
      if (message.wParam == 2) display_.ProgressPosition(message.lParam);
      break;
    case WM_INNY_IMPORT:
      display_.Line("another import is running");
      break;
    case WM_IMPORT_KONIEC:
      OnImportEnd(message.wParam);
      break;
    default:
      break;
  }
  return 0;
}

void HostRun::OnImportEnd(std::int64_t result) {
  if (importResult_) return;
  importResult_ = result;
  display_.EndProgress();
  display_.Line(result == 0 ? "Import finished." : "Import stopped or failed.");
  // The importer waits for this handler's answer before it can take
  // TERMINATED and KONIEC, so they go out once the handler has returned.
  loop_.Post([this] { SayGoodbye(); });
}

void HostRun::SayGoodbye() {
  win::SendMessage(importerWindow_, WM_TERMINATED, 0, 0, kFarewellTimeout);
  win::SendMessage(importerWindow_, WM_KONIEC, 0, 0, kFarewellTimeout);
  exitDeadline_ = Clock::now() + kExitTimeout;
}

void HostRun::Check() {
  CheckInterrupts();
  CheckChild();
}

void HostRun::CheckInterrupts() {
  const int interrupts = g_interrupts;
  if (interrupts == interruptsHandled_) return;
  interruptsHandled_ = interrupts;
  if (interrupts == 1) {
    display_.Line("Stopping the import (interrupt again to kill the importer)...");
    // Posted, not sent: the importer's main thread may itself be waiting on
    // us with the end message.
    win::PostMessage(importerWindow_, WM_TERMINATE, 0, 0);
  } else {
    display_.Error("solvo-host: killing the importer");
    process_->Kill();
  }
}

void HostRun::CheckChild() {
  const std::optional<ExitStatus> status = process_->Poll();
  if (!importResult_) {
    if (!status) return;
    display_.EndProgress();
    Fail("the importer " + status->Describe() + " without WM_IMPORT_KONIEC");
    Quit(kExitStopped);
    return;
  }
  if (!exitDeadline_) return;
  if (!status) {
    if (Clock::now() < *exitDeadline_) return;
    Fail("the importer did not exit within " + std::to_string(kExitTimeout.count()) +
         " s of WM_KONIEC; killing it");
    process_->Kill();
  }
  Quit(*importResult_ == 0 ? kExitFinished : kExitStopped);
}

void HostRun::Quit(int exitCode) {
  exitCode_ = exitCode;
  loop_.Quit();
}

}  // namespace

int RunImport(const RunOptions& options) {
  const std::string importer = options.importer.empty()
                                   ? sys::DirectoryOf(sys::ExecutablePath()) + "subiektgt-import"
                                   : options.importer;
  // The importer's caption holds its own resolved path; so must the search.
  const std::optional<std::string> resolved = RealPath(importer);
  if (!resolved) {
    Fail("importer " + importer + ": " + std::strerror(errno));
    return kExitNotStarted;
  }
  HostRun run(options, *resolved);
  try {
    return run.Run();
  } catch (const std::exception& e) {
    // The message layer's own failures (its directory, the loop's poll).
    Fail(e.what());
    return run.Started() ? kExitStopped : kExitNotStarted;
  }
}

}  // namespace host
