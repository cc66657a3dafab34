// A stand-in importer for the host's end-to-end tests. It takes the importer's
// switches, creates its window under the caption the host searches for, and on
// START plays back a short scripted run. Every message it receives goes, one
// line each, to the file named by FAKE_IMPORTER_RECORD (its command line
// first), so the tests can check what the host sent.
//
// FAKE_IMPORTER_MODE selects the ending:
//   (unset)      the run finishes: WM_IMPORT_KONIEC 0
//   stopped      the run fails: WM_IMPORT_KONIEC 1
//   crash        the process exits in the middle of the run
//   until_stop   waits for WM_TERMINATE, then WM_IMPORT_KONIEC 1
//   never_ends   ignores WM_TERMINATE
//   start_fails  START reports its failure with WM_IMPORT_KONIEC 1 from
//                inside its handler, then answers -1
#include <unistd.h>

#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

#include "app/komunikaty_okna.h"
#include "platform/window/message_loop.h"
#include "platform/window/messages.h"

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string Switch(int argc, char** argv, const std::string& name) {
  const std::string prefix = "-" + name + "=";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.starts_with(prefix)) return arg.substr(prefix.size());
  }
  return {};
}

class Record {
 public:
  explicit Record(const std::string& path) : out_(path, std::ios::app) {}
  void Line(const std::string& line) {
    std::lock_guard lock(mutex_);
    out_ << line << std::endl;
  }

 private:
  std::mutex mutex_;
  std::ofstream out_;
};

class FakeImporter {
 public:
  FakeImporter(win::MessageLoop& loop, Record& record, std::string mode)
      : loop_(loop), record_(record), mode_(std::move(mode)) {}
  ~FakeImporter() {
    if (worker_.joinable()) worker_.join();
  }

  std::int64_t OnMessage(const win::Message& m) {
    const char* name = NazwaKomunikatu(m.msg);
    record_.Line(std::string(name != nullptr ? name : "?") + " " + std::to_string(m.wParam) + " " +
                 std::to_string(m.lParam));
    switch (m.msg) {
      case WM_START:
        host_ = static_cast<win::Handle>(m.lParam);
        if (mode_ == "start_fails") {
          win::SendMessage(host_, WM_IMPORT_KONIEC, 1, 0);
          return -1;
        }
        worker_ = std::thread([this] { Play(); });
        return 41;
      case WM_TERMINATE: {
        std::lock_guard lock(mutex_);
        terminated_ = true;
        stop_.notify_all();
        return 0;
      }
      case WM_KONIEC:
        loop_.Quit();
        return 0;
      default:
        return 0;
    }
  }

 private:
  void Play() {
    win::SendTextMessage(host_, WM_LOG_LINIA, "Czas rozpoczęcia importu: zażółć gęślą jaźń");
    win::PostMessage(host_, WM_ETAP, 502, 0);
    win::SendMessage(host_, WM_POSTEP, 1, 10);
    win::PostMessage(host_, WM_POSTEP, 2, 5);
    win::PostMessage(host_, WM_POSTEP, 2, 10);
    win::SendTextMessage(host_, WM_LOG_ODRZUT, "Towar \"Ćma\" bez nazwy");
    if (mode_ == "crash") std::_Exit(3);
    if (mode_ == "until_stop" || mode_ == "never_ends") {
      win::SendTextMessage(host_, WM_LOG_LINIA, "czekam");
      std::unique_lock lock(mutex_);
      stop_.wait(lock, [this] { return terminated_ && mode_ == "until_stop"; });
    }
    const bool stopped = mode_ != "";
    if (stopped) {
      win::SendTextMessage(host_, WM_BLAD, "Wyjątek\r\n\tŁącze");
    } else {
      win::SendTextMessage(host_, WM_LOG_LINIA, "Cały import zakończony pomyślnie!");
    }
    // Like the importer's end handler, the end message leaves from the main
    // thread, which then waits on the host.
    loop_.Post([this, stopped] { win::SendMessage(host_, WM_IMPORT_KONIEC, stopped ? 1 : 0, 0); });
  }

  win::MessageLoop& loop_;
  Record& record_;
  const std::string mode_;
  win::Handle host_ = 0;
  std::thread worker_;
  std::mutex mutex_;
  std::condition_variable stop_;
  bool terminated_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  Record record(Environment("FAKE_IMPORTER_RECORD"));
  std::string commandLine;
  for (int i = 1; i < argc; ++i) commandLine += std::string(i > 1 ? " " : "") + argv[i];
  record.Line(commandLine);

  char self[PATH_MAX];
  if (realpath(argv[0], self) == nullptr) return 9;
  win::MessageLoop loop;
  FakeImporter importer(loop, record, Environment("FAKE_IMPORTER_MODE"));
  win::Window window(loop, std::string(self) + "#" + Switch(argc, argv, "ID"),
                     [&importer](const win::Message& m) { return importer.OnMessage(m); });
  loop.Run();
  return 0;
}
