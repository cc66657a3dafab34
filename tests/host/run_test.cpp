// solvo-host against the fake importer: the exit status, the transcript it
// writes and what the importer receives from it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

std::vector<std::string> ReadLines(const fs::path& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool Contains(const std::vector<std::string>& lines, const std::string& wanted) {
  for (const std::string& line : lines) {
    if (line.find(wanted) != std::string::npos) return true;
  }
  return false;
}

std::size_t CodePoints(const std::string& utf8) {
  std::size_t count = 0;
  for (const char c : utf8) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

// A text message's transcript line; its atom number is the layer's choice.
std::string TextLine(int msg, const std::string& name, const std::string& text,
                     const std::string& json) {
  return "{\"msg\": " + std::to_string(msg) + ", \"name\": \"" + name +
         "\", \"wParam\": ATOM, \"lParam\": " + std::to_string(CodePoints(text)) +
         ", \"text\": " + json + "}";
}

std::vector<std::string> WithAtomsMasked(std::vector<std::string> lines) {
  static const std::regex atom(R"("wParam": \d+(, "lParam": \d+, "text": ))");
  for (std::string& line : lines) line = std::regex_replace(line, atom, "\"wParam\": ATOM$1");
  return lines;
}

const std::string kStartResult = R"({"name": "START_RESULT", "result": 41})";

// START's result is written when START returns, which the importer's first
// reports may overtake: it is checked on its own and taken out. A missing
// result leaves a marker that fails the comparison.
std::vector<std::string> WithoutStartResult(std::vector<std::string> lines) {
  const auto found = std::find(lines.begin(), lines.end(), kStartResult);
  if (found == lines.end()) return {"no START_RESULT line"};
  lines.erase(found);
  return lines;
}
const std::vector<std::string> kScriptedStart = {
    TextLine(1034, "WM_LOG_LINIA", "Czas rozpoczęcia importu: zażółć gęślą jaźń",
             R"("Czas rozpoczęcia importu: zażółć gęślą jaźń")"),
    R"({"msg": 1127, "name": "WM_ETAP", "wParam": 502, "lParam": 0})",
    R"({"msg": 1126, "name": "WM_POSTEP", "wParam": 1, "lParam": 10})",
    R"({"msg": 1126, "name": "WM_POSTEP", "wParam": 2, "lParam": 5})",
    R"({"msg": 1126, "name": "WM_POSTEP", "wParam": 2, "lParam": 10})",
    TextLine(1035, "WM_LOG_ODRZUT", "Towar \"Ćma\" bez nazwy", R"("Towar \"Ćma\" bez nazwy")"),
};
const std::string kWaiting = TextLine(1034, "WM_LOG_LINIA", "czekam", R"("czekam")");
const std::string kFailure =
    TextLine(1130, "WM_BLAD", "Wyjątek\r\n\tŁącze", R"("Wyjątek\r\n\tŁącze")");

class HostRun : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/solvo-host-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    // Each test has windows of its own, so tests may run side by side.
    setenv("SOLVO_WINDOWS_DIR", (dir_ / "windows").c_str(), 1);
    setenv("FAKE_IMPORTER_RECORD", record().c_str(), 1);
    unsetenv("FAKE_IMPORTER_MODE");
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path transcript() const { return dir_ / "transcript.jsonl"; }
  fs::path record() const { return dir_ / "record.txt"; }
  fs::path output() const { return dir_ / "output.txt"; }

  // solvo-host run with the fake importer, its stdout and stderr into output().
  pid_t Start(const std::string& mode, std::vector<std::string> extra = {},
              const std::string& importer = FAKE_IMPORTER_PATH) {
    if (!mode.empty()) setenv("FAKE_IMPORTER_MODE", mode.c_str(), 1);
    std::vector<std::string> args = {SOLVO_HOST_PATH, "run",
                                     "--db",          "localhost:/tmp/demo/crm.fdb",
                                     "--config",      "7",
                                     "--session",     "3",
                                     "--transcript",  transcript().string(),
                                     "--importer",    importer};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output().c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    EXPECT_EQ(error, 0) << "cannot start " << argv[0];
    return pid;
  }

  // The exit status; a host still running after a minute is killed and fails
  // the test rather than hang it.
  int Wait(pid_t pid) {
    int status = 0;
    for (int i = 0; i < 600; ++i) {
      if (waitpid(pid, &status, WNOHANG) == pid) {
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    ADD_FAILURE() << "solvo-host did not end; its output:\n" << ReadAll(output());
    return -1;
  }

  int Run(const std::string& mode, std::vector<std::string> extra = {}) {
    return Wait(Start(mode, std::move(extra)));
  }

  // Waits, bounded, for a state the host reaches at its own pace.
  void AwaitLine(const fs::path& file, const std::string& wanted) {
    for (int i = 0; i < 400; ++i) {
      if (Contains(WithAtomsMasked(ReadLines(file)), wanted)) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    FAIL() << "no line \"" << wanted << "\" in " << file << "; output:\n" << ReadAll(output());
  }

  fs::path dir_;
};

TEST_F(HostRun, DrivesARunToItsEnd) {
  const struct {
    const char* mode;
    std::vector<std::string> extra;
    const char* operation;
    int exitCode;
    std::string lastText;
    int endParam;
  } cases[] = {
      {"",
       {},
       "550",
       0,
       TextLine(1034, "WM_LOG_LINIA", "Cały import zakończony pomyślnie!",
                R"("Cały import zakończony pomyślnie!")"),
       0},
      {"stopped", {"--op", "503"}, "503", 1, kFailure, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("mode \"") + c.mode + "\"");
    fs::remove(record());
    EXPECT_EQ(Run(c.mode, c.extra), c.exitCode) << ReadAll(output());

    std::vector<std::string> expected(kScriptedStart.begin(), kScriptedStart.end());
    expected.push_back(c.lastText);
    expected.push_back(R"({"msg": 1125, "name": "WM_IMPORT_KONIEC", "wParam": )" +
                       std::to_string(c.endParam) + R"(, "lParam": 0})");
    EXPECT_EQ(WithoutStartResult(WithAtomsMasked(ReadLines(transcript()))), expected);

    const std::vector<std::string> received = ReadLines(record());
    ASSERT_EQ(received.size(), 5u) << ReadAll(record());
    EXPECT_TRUE(std::regex_match(
        received[0], std::regex("-wrotka -ID=[0-9]+ -DBHOST=localhost: -DBPATH=/tmp/demo/ "
                                "-DBFILE=crm\\.fdb")))
        << received[0];
    EXPECT_EQ(received[1], "WM_INI 3 7");
    EXPECT_TRUE(std::regex_match(
        received[2], std::regex(std::string("WM_START ") + c.operation + " [1-9][0-9]*")))
        << received[2];
    EXPECT_EQ(received[3], "WM_TERMINATED 0 0");
    EXPECT_EQ(received[4], "WM_KONIEC 0 0");

    // Piped output: the importer's lines, whole, without a bar redrawn in place.
    const std::string shown = ReadAll(output());
    EXPECT_NE(shown.find("Czas rozpoczęcia importu: zażółć gęślą jaźń\n"), std::string::npos);
    EXPECT_NE(shown.find("ODRZUT: Towar \"Ćma\" bez nazwy\n"), std::string::npos);
    EXPECT_NE(shown.find("== Towary ==\n"), std::string::npos);
    EXPECT_EQ(shown.find('\033'), std::string::npos) << shown;
    EXPECT_EQ(shown.find("\r["), std::string::npos) << shown;
  }
}

TEST_F(HostRun, ACrashedImporterIsAFailedRun) {
  EXPECT_EQ(Run("crash"), 1);

  const std::vector<std::string> expected(kScriptedStart.begin(), kScriptedStart.end());
  EXPECT_EQ(WithoutStartResult(WithAtomsMasked(ReadLines(transcript()))), expected);
  EXPECT_FALSE(Contains(ReadLines(record()), "WM_KONIEC"));
  EXPECT_NE(ReadAll(output()).find("exited with status 3"), std::string::npos) << ReadAll(output());
}

TEST_F(HostRun, StartThatFailsEndsTheRunWhileStartIsPending) {
  EXPECT_EQ(Run("start_fails"), 1) << ReadAll(output());

  // The end message arrives, and is answered, before START returns.
  EXPECT_EQ(ReadLines(transcript()),
            (std::vector<std::string>{
                R"({"msg": 1125, "name": "WM_IMPORT_KONIEC", "wParam": 1, "lParam": 0})",
                R"({"name": "START_RESULT", "result": -1})"}));
  const std::vector<std::string> received = ReadLines(record());
  ASSERT_EQ(received.size(), 5u) << ReadAll(record());
  EXPECT_EQ(received[3], "WM_TERMINATED 0 0");
  EXPECT_EQ(received[4], "WM_KONIEC 0 0");
}

TEST_F(HostRun, AnImporterThatDoesNotComeUpIsNotStarted) {
  const fs::path notExecutable = dir_ / "not-executable";
  std::ofstream(notExecutable) << "#!/bin/sh\n";
  for (const std::string& importer :
       {(dir_ / "missing").string(), notExecutable.string(), std::string("/bin/true")}) {
    SCOPED_TRACE(importer);
    EXPECT_EQ(Wait(Start("", {}, importer)), 2) << ReadAll(output());
    EXPECT_FALSE(Contains(ReadLines(transcript()), "START_RESULT"));
  }
}

TEST_F(HostRun, InterruptAsksTheImporterToStop) {
  const pid_t host = Start("until_stop");
  AwaitLine(transcript(), kWaiting);
  kill(host, SIGINT);
  EXPECT_EQ(Wait(host), 1) << ReadAll(output());

  const std::vector<std::string> received = ReadLines(record());
  ASSERT_GE(received.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(received.end() - 3, received.end()),
            (std::vector<std::string>{"WM_TERMINATE 0 0", "WM_TERMINATED 0 0", "WM_KONIEC 0 0"}));
  const std::vector<std::string> lines = WithAtomsMasked(ReadLines(transcript()));
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], kFailure);
  EXPECT_EQ(lines.back(), R"({"msg": 1125, "name": "WM_IMPORT_KONIEC", "wParam": 1, "lParam": 0})");
}

TEST_F(HostRun, SecondInterruptKillsAnImporterThatDoesNotStop) {
  const pid_t host = Start("never_ends");
  AwaitLine(transcript(), kWaiting);
  kill(host, SIGTERM);
  AwaitLine(record(), "WM_TERMINATE 0 0");
  kill(host, SIGINT);
  EXPECT_EQ(Wait(host), 1) << ReadAll(output());
  EXPECT_FALSE(Contains(ReadLines(transcript()), "WM_IMPORT_KONIEC"));
}

}  // namespace
