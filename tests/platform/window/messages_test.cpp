#include "platform/window/messages.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/window/wire.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kDidNotWait = 1s;

template <typename F>
Clock::duration Elapsed(F&& f) {
  const auto start = Clock::now();
  f();
  return Clock::now() - start;
}

// In a receiver's process: where Report() writes.
int g_reportFd = -1;

// Tells the test process what a receiver's handler saw, one line at a time.
void Report(const std::string& line) {
  const std::string withNewline = line + "\n";
  if (write(g_reportFd, withNewline.data(), withNewline.size()) < 0) _exit(3);
}

// A window served by a child process's message loop, so that every message
// crosses a process boundary. The child's stderr is kept for the test.
class Receiver {
 public:
  using Handler = std::function<std::int64_t(const win::Message&)>;

  Receiver(const std::string& caption, Handler handler) {
    int ready[2];
    int report[2];
    int errors[2];
    if (pipe2(ready, O_CLOEXEC) != 0 || pipe2(report, O_CLOEXEC) != 0 ||
        pipe2(errors, O_CLOEXEC) != 0) {
      throw std::system_error(errno, std::generic_category(), "pipe2");
    }
    pid_ = fork();
    if (pid_ < 0) throw std::system_error(errno, std::generic_category(), "fork");
    if (pid_ == 0) {
      close(ready[0]);
      close(report[0]);
      close(errors[0]);
      dup2(errors[1], STDERR_FILENO);
      g_reportFd = report[1];
      win::Handle handle = 0;
      try {
        win::MessageLoop loop;
        win::Window window(loop, caption, std::move(handler));
        handle = window.GetHandle();
        if (write(ready[1], &handle, sizeof handle) != sizeof handle) _exit(2);
        loop.Run();
      } catch (const std::exception& e) {
        std::fprintf(stderr, "receiver failed: %s\n", e.what());
        if (handle == 0 && write(ready[1], &handle, sizeof handle) < 0) _exit(2);
      }
      _exit(0);
    }
    close(ready[1]);
    close(report[1]);
    close(errors[1]);
    reportFd_ = report[0];
    errorsFd_ = errors[0];
    fcntl(errorsFd_, F_SETFL, O_NONBLOCK);
    if (read(ready[0], &handle_, sizeof handle_) != sizeof handle_) handle_ = 0;
    close(ready[0]);
  }
  ~Receiver() {
    Kill();
    close(reportFd_);
    close(errorsFd_);
  }
  Receiver(const Receiver&) = delete;
  Receiver& operator=(const Receiver&) = delete;

  win::Handle handle() const { return handle_; }

  // Ends the process the hard way: its window has no chance to clean up.
  void Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  // The next line the handler reported; "" when none came within `bound`.
  std::string NextReport(std::chrono::milliseconds bound = 10s) {
    const auto deadline = Clock::now() + bound;
    for (;;) {
      if (const auto newline = reports_.find('\n'); newline != std::string::npos) {
        std::string line = reports_.substr(0, newline);
        reports_.erase(0, newline + 1);
        return line;
      }
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      pollfd entry{reportFd_, POLLIN, 0};
      if (poll(&entry, 1, static_cast<int>(std::max<long long>(left.count(), 0))) <= 0) return "";
      char chunk[4096];
      const ssize_t n = read(reportFd_, chunk, sizeof chunk);
      if (n <= 0) return "";
      reports_.append(chunk, static_cast<std::size_t>(n));
    }
  }

  // What the child has written to stderr since the last call.
  std::string Errors() {
    std::string text;
    char chunk[4096];
    ssize_t n;
    while ((n = read(errorsFd_, chunk, sizeof chunk)) > 0)
      text.append(chunk, static_cast<std::size_t>(n));
    return text;
  }

 private:
  pid_t pid_ = -1;
  win::Handle handle_ = 0;
  int reportFd_ = -1;
  int errorsFd_ = -1;
  std::string reports_;
};

// Every test gets its own window directory, so that tests may run in parallel.
class MessagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "messages_test.XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    dir_ = root_ / "windows";
    setenv("SOLVO_WINDOWS_DIR", dir_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("SOLVO_WINDOWS_DIR");
    fs::remove_all(root_);
  }

  fs::path SocketPath(win::Handle handle) const {
    return dir_ / (std::to_string(handle) + ".sock");
  }
  fs::path CaptionPath(win::Handle handle) const {
    return dir_ / (std::to_string(handle) + ".caption");
  }

  // A connection to the window's socket that bypasses the layer.
  int RawConnect(win::Handle handle) const {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, SocketPath(handle).c_str(), sizeof address.sun_path - 1);
    EXPECT_EQ(connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    return fd;
  }

  fs::path root_;
  fs::path dir_;
};

std::int64_t Sum(const win::Message& m) { return m.wParam + m.lParam; }

TEST_F(MessagesTest, DirectoryIsCreatedPrivateAndRefusedWhenNotADirectory) {
  const struct {
    const char* name;
    std::function<void(const fs::path&)> prepare;
    bool accepted;
  } cases[] = {
      {"missing", [](const fs::path&) {}, true},
      {"missing/with/parents", [](const fs::path&) {}, true},
      {"loose",
       [](const fs::path& p) {
         fs::create_directory(p);
         chmod(p.c_str(), 0755);
       },
       true},
      {"strict",
       [](const fs::path& p) {
         fs::create_directory(p);
         chmod(p.c_str(), 0500);
       },
       true},
      {"symlink",
       [](const fs::path& p) {
         fs::create_directory(p.string() + ".target");
         chmod((p.string() + ".target").c_str(), 0700);
         fs::create_directory_symlink(p.string() + ".target", p);
       },
       false},
      {"file", [](const fs::path& p) { std::ofstream(p) << "x"; }, false},
  };
  for (const auto& c : cases) {
    const fs::path path = root_ / c.name;
    c.prepare(path);
    setenv("SOLVO_WINDOWS_DIR", (path.string() + "/").c_str(), 1);
    if (c.accepted) {
      EXPECT_EQ(win::WindowDirectory(), path.string()) << c.name;
      struct stat info;
      ASSERT_EQ(lstat(path.c_str(), &info), 0) << c.name;
      EXPECT_TRUE(S_ISDIR(info.st_mode)) << c.name;
      EXPECT_EQ(info.st_mode & 07777, 0700u) << c.name;
    } else {
      EXPECT_THROW(win::WindowDirectory(), std::system_error) << c.name;
      win::MessageLoop loop;
      EXPECT_THROW(win::Window(loop, "x", Sum), std::system_error) << c.name;
      EXPECT_EQ(win::FindWindow("x"), 0) << c.name;
    }
  }
}

TEST_F(MessagesTest, DirectoryFollowsTheEnvironment) {
  setenv("XDG_RUNTIME_DIR", root_.c_str(), 1);
  EXPECT_EQ(win::WindowDirectory(), dir_.string());
  unsetenv("SOLVO_WINDOWS_DIR");
  EXPECT_EQ(win::WindowDirectory(), (root_ / "solvo-windows").string());
  unsetenv("XDG_RUNTIME_DIR");
}

TEST_F(MessagesTest, SendWaitsForTheHandlersResult) {
  Receiver receiver("Receiver", [](const win::Message& m) {
    std::this_thread::sleep_for(50ms);
    Report(std::to_string(m.msg) + (m.posted ? " posted" : " sent") + (m.text ? " with text" : ""));
    return Sum(m);
  });
  ASSERT_NE(receiver.handle(), 0);
  const struct {
    std::uint32_t msg;
    std::int64_t wParam;
    std::int64_t lParam;
  } cases[] = {
      {0x402, 1, 2},
      {0x403, 550, -7},
      {0xFFFF'FFFF, 0x7FFF'FFFF'FFFF'FFFE, 1},
      {0, -0x1'0000'0000, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(win::SendMessage(receiver.handle(), c.msg, c.wParam, c.lParam), c.wParam + c.lParam);
    // Reported before the handler returned: there without waiting.
    EXPECT_EQ(receiver.NextReport(0ms), std::to_string(c.msg) + " sent");
  }
}

TEST_F(MessagesTest, TextArrivesUnderItsAtomWithItsLengthInCharacters) {
  Receiver receiver("Receiver", [](const win::Message& m) {
    const bool stored = m.text && win::GetAtomText(m.wParam) == m.text;
    win::DeleteAtom(m.wParam);
    const bool deleted = !win::GetAtomText(m.wParam);
    Report(std::to_string(m.wParam) + " " + std::to_string(m.lParam) + " " +
           (stored ? "stored" : "missing") + " " + (deleted ? "deleted" : "kept") + " " +
           std::to_string(std::hash<std::string>{}(m.text.value_or("<none>"))));
    return m.lParam;
  });
  ASSERT_NE(receiver.handle(), 0);
  std::string polishLine;
  for (int i = 0; i < 255; ++i) polishLine += "ą";
  std::string biggest;
  while (biggest.size() < win::wire::kMaxTextBytes) biggest += "ż";
  const struct {
    const char* name;
    std::string text;
    std::int64_t characters;
  } cases[] = {
      {"polish", "Zażółć gęślą jaźń", 17},
      {"empty", "", 0},
      {"255 two-byte characters", polishLine, 255},
      {"line break", "jeden\r\ndwa", 10},
      {"euro and emoji", "€ 😀", 3},
      {"largest", biggest, 512 * 1024},
  };
  std::int64_t previousAtom = -1;
  for (const auto& c : cases) {
    EXPECT_EQ(win::SendTextMessage(receiver.handle(), 0x40A, c.text), c.characters) << c.name;
    std::istringstream line(receiver.NextReport());
    std::int64_t atom = 0;
    std::int64_t characters = 0;
    std::string stored;
    std::string deleted;
    std::size_t hash = 0;
    line >> atom >> characters >> stored >> deleted >> hash;
    EXPECT_GE(atom, 0xC000) << c.name;
    EXPECT_LE(atom, 0xFFFF) << c.name;
    EXPECT_NE(atom, previousAtom) << c.name;
    EXPECT_EQ(characters, c.characters) << c.name;
    EXPECT_EQ(stored, "stored") << c.name;
    EXPECT_EQ(deleted, "deleted") << c.name;
    EXPECT_EQ(hash, std::hash<std::string>{}(c.text)) << c.name;
    previousAtom = atom;
  }
  EXPECT_EQ(win::SendTextMessage(receiver.handle(), 0x40A, biggest + "x"), std::nullopt);
  EXPECT_EQ(receiver.NextReport(200ms), "");
}

TEST_F(MessagesTest, PostReturnsWithoutWaitingForTheHandler) {
  Receiver receiver("Receiver", [](const win::Message& m) {
    if (m.msg == 1) std::this_thread::sleep_for(3s);
    Report(std::to_string(m.msg) + (m.posted ? " posted" : " sent"));
    return std::int64_t{42};
  });
  ASSERT_NE(receiver.handle(), 0);
  bool posted = false;
  EXPECT_LT(Elapsed([&] { posted = win::PostMessage(receiver.handle(), 1, 0, 0); }), kDidNotWait);
  EXPECT_TRUE(posted);
  EXPECT_EQ(win::SendMessage(receiver.handle(), 2, 0, 0), 42);
  EXPECT_EQ(receiver.NextReport(), "1 posted");
  EXPECT_EQ(receiver.NextReport(), "2 sent");
}

// Message 1 is a post (wParam: its number in its thread's sequence, lParam:
// the thread); message 2 is a send that asks how many of its thread's posts
// have arrived, in order, before it.
TEST_F(MessagesTest, PostsAndSendsFromOneThreadArriveInOrder) {
  auto seen = std::make_shared<std::map<std::int64_t, std::int64_t>>();
  Receiver receiver("Receiver", [seen](const win::Message& m) -> std::int64_t {
    std::int64_t& next = (*seen)[m.lParam];
    if (m.msg == 2) return next;
    if (!m.posted || m.wParam != next) next = -1'000'000;  // out of order: never recovers
    ++next;
    return 0;
  });
  ASSERT_NE(receiver.handle(), 0);

  const auto postThenSend = [&](std::int64_t thread, int posts) {
    for (int i = 0; i < posts; ++i) {
      if (!win::PostMessage(receiver.handle(), 1, i, thread)) return std::optional<std::int64_t>();
    }
    return win::SendMessage(receiver.handle(), 2, 0, thread, 30s);
  };
  EXPECT_EQ(postThenSend(0, 1000), 1000);

  constexpr int kThreads = 4;
  std::optional<std::int64_t> results[kThreads];
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] { results[t] = postThenSend(t + 1, 300); });
  }
  for (auto& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(results[t], 300) << "thread " << t;
}

TEST_F(MessagesTest, SendsFromManyThreadsGetTheirOwnResults) {
  Receiver receiver("Receiver", [](const win::Message& m) { return m.wParam * 3; });
  ASSERT_NE(receiver.handle(), 0);
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 50; ++i) {
        const std::int64_t w = t * 1000 + i;
        if (win::SendMessage(receiver.handle(), 1, w, 0, 30s) != w * 3) ++wrong;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong, 0);
}

TEST_F(MessagesTest, VanishedReceiverFailsAtOnceAndFindWindowRemovesIt) {
  Receiver receiver("Vanishing", Sum);
  const win::Handle handle = receiver.handle();
  ASSERT_NE(handle, 0);
  EXPECT_EQ(win::FindWindow("Vanishing"), handle);
  receiver.Kill();
  ASSERT_TRUE(fs::exists(SocketPath(handle)));
  ASSERT_TRUE(fs::exists(CaptionPath(handle)));

  std::optional<std::int64_t> result = 0;
  bool posted = true;
  EXPECT_LT(Elapsed([&] {
              result = win::SendMessage(handle, 1, 1, 1, 60s);
              posted = win::PostMessage(handle, 1, 1, 1);
            }),
            kDidNotWait);
  EXPECT_EQ(result, std::nullopt);
  EXPECT_FALSE(posted);

  EXPECT_EQ(win::FindWindow("Vanishing"), 0);
  EXPECT_FALSE(fs::exists(SocketPath(handle)));
  EXPECT_FALSE(fs::exists(CaptionPath(handle)));
}

TEST_F(MessagesTest, ReceiverThatDoesNotAnswerTimesOut) {
  Receiver receiver("Stuck", [](const win::Message&) {
    std::this_thread::sleep_for(60s);
    return std::int64_t{1};
  });
  ASSERT_NE(receiver.handle(), 0);
  std::optional<std::int64_t> result = 0;
  EXPECT_LT(Elapsed([&] { result = win::SendMessage(receiver.handle(), 1, 0, 0, 300ms); }), 5s);
  EXPECT_EQ(result, std::nullopt);
  // Its queue still takes posts.
  EXPECT_TRUE(win::PostMessage(receiver.handle(), 1, 0, 0));
}

TEST_F(MessagesTest, BadFramesAreDiscardedAndTheWindowKeepsAnswering) {
  // The raw frames carry wParam 5, whose handling takes long enough for their
  // sender to be gone when the result is written.
  Receiver receiver("Receiver", [](const win::Message& m) {
    if (m.wParam == 5) std::this_thread::sleep_for(200ms);
    return m.wParam * 2;
  });
  ASSERT_NE(receiver.handle(), 0);
  const std::string good = win::wire::EncodeFrame({win::wire::Kind::kSend, 1, 5, 0, "tekst"});
  const auto patched = [&good](std::size_t at, std::string bytes) {
    std::string frame = good;
    frame.replace(at, bytes.size(), bytes);
    return frame;
  };
  const struct {
    const char* name;
    std::string bytes;
    bool stall;          // keeps the connection open without sending the rest
    const char* logged;  // nullptr: handled without complaint
  } cases[] = {
      {"garbage", "this is not a frame, not at all", false, "bad magic"},
      {"nothing", "", false, "connection closed after 0 bytes"},
      {"half a header", good.substr(0, 10), false, "connection closed after 10 bytes"},
      {"half a text", good.substr(0, good.size() - 2), false, "connection closed after 33 bytes"},
      {"newer version", patched(4, "\x07"), false, "unsupported version 7"},
      {"unknown kind", patched(5, "\x09"), false, "unknown kind 9"},
      {"oversized", patched(26, std::string("\0\0\x20\0", 4)), false, "over the limit"},
      {"stalled", good.substr(0, 20), true, "no whole frame"},
      {"sender gone before the result", good, false, nullptr},
  };
  for (const auto& c : cases) {
    const int raw = RawConnect(receiver.handle());
    ASSERT_EQ(send(raw, c.bytes.data(), c.bytes.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(c.bytes.size()))
        << c.name;
    if (!c.stall) close(raw);
    std::optional<std::int64_t> result;
    EXPECT_LT(Elapsed([&] { result = win::SendMessage(receiver.handle(), 1, 21, 0, 10s); }), 5s)
        << c.name;
    EXPECT_EQ(result, 42) << c.name;
    if (c.stall) close(raw);
    const std::string errors = receiver.Errors();
    if (c.logged == nullptr) {
      EXPECT_EQ(errors, "") << c.name;
    } else {
      const std::string prefix =
          "window " + std::to_string(receiver.handle()) + ": discarded frame: ";
      EXPECT_EQ(errors.rfind(prefix, 0), 0u) << c.name << ": " << errors;
      EXPECT_NE(errors.find(c.logged), std::string::npos) << c.name << ": " << errors;
      EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << c.name << ": " << errors;
    }
  }
}

TEST_F(MessagesTest, HandlerThatThrowsGivesZeroAndIsLogged) {
  Receiver receiver("Receiver", [](const win::Message& m) -> std::int64_t {
    if (m.msg == 1) throw std::runtime_error("boom");
    return 7;
  });
  ASSERT_NE(receiver.handle(), 0);
  EXPECT_EQ(win::SendMessage(receiver.handle(), 1, 0, 0), 0);
  EXPECT_EQ(win::SendMessage(receiver.handle(), 2, 0, 0), 7);
  EXPECT_EQ(receiver.Errors(),
            "window " + std::to_string(receiver.handle()) + ": handler failed: boom\n");
}

TEST_F(MessagesTest, MissingWindowsFailAtOnce) {
  win::MessageLoop loop;
  win::Window window(loop, "Present", Sum);
  // A caption without a socket: published by hand, as a window would.
  const win::Handle socketless = window.GetHandle() == 1234 ? 4321 : 1234;
  std::ofstream(CaptionPath(socketless)) << getpid() << "\nSocketless";

  for (const win::Handle handle : {0, -1, 77, socketless}) {
    std::optional<std::int64_t> result = 0;
    bool posted = true;
    EXPECT_LT(Elapsed([&] {
                result = win::SendMessage(handle, 1, 0, 0, 60s);
                posted = win::PostMessage(handle, 1, 0, 0);
              }),
              kDidNotWait)
        << handle;
    EXPECT_EQ(result, std::nullopt) << handle;
    EXPECT_FALSE(posted) << handle;
  }
}

TEST_F(MessagesTest, SendFromTheWindowsOwnThreadIsHandledAfterWhatWasQueued) {
  win::MessageLoop loop;
  std::vector<std::uint32_t> handled;
  win::Window window(loop, "Self", [&](const win::Message& m) {
    handled.push_back(m.msg);
    return std::int64_t{m.msg * 10};
  });
  std::optional<std::int64_t> result;
  loop.Post([&] {
    EXPECT_TRUE(win::PostMessage(window.GetHandle(), 1, 0, 0));
    result = win::SendMessage(window.GetHandle(), 2, 0, 0, 5s);
    loop.Quit();
  });
  loop.SetTimer(10'000, [&] { loop.Quit(); });
  loop.Run();
  EXPECT_EQ(result, 20);
  EXPECT_EQ(handled, (std::vector<std::uint32_t>{1, 2}));
}

TEST_F(MessagesTest, WindowPublishesItsCaptionAndRemovesEverythingWhenDestroyed) {
  win::MessageLoop loop;
  win::Handle handle = 0;
  {
    win::Window window(loop, "Zażółć\nokno", Sum);
    handle = window.GetHandle();
    EXPECT_GT(handle, 0);
    EXPECT_EQ(window.Caption(), "Zażółć\nokno");
    std::ifstream file(CaptionPath(handle));
    std::stringstream content;
    content << file.rdbuf();
    EXPECT_EQ(content.str(), std::to_string(getpid()) + "\nZażółć\nokno");
    EXPECT_TRUE(fs::is_socket(SocketPath(handle)));
    EXPECT_EQ(win::FindWindow("Zażółć\nokno"), handle);
  }
  EXPECT_TRUE(fs::is_empty(dir_));
  EXPECT_EQ(win::FindWindow("Zażółć\nokno"), 0);
  EXPECT_EQ(win::SendMessage(handle, 1, 0, 0, 1s), std::nullopt);
  EXPECT_FALSE(win::PostMessage(handle, 1, 0, 0));
}

TEST_F(MessagesTest, FindWindowComparesCaptionsExactlyAndSkipsTheDead) {
  // A window left by a process that has gone, under the same caption as a live one.
  const pid_t dead = fork();
  if (dead == 0) _exit(0);
  ASSERT_GT(dead, 0);
  waitpid(dead, nullptr, 0);
  const win::Handle stale = 999;
  std::filesystem::create_directories(dir_);
  std::ofstream(CaptionPath(stale)) << dead << "\nImporter";
  std::ofstream(SocketPath(stale)) << "";

  win::MessageLoop loop;
  win::Window importer(loop, "Importer", Sum);
  win::Window second(loop, "Importer 2", Sum);
  win::Window polish(loop, "Łódź", Sum);
  const struct {
    const char* caption;
    win::Handle expected;
  } cases[] = {
      {"Importer", importer.GetHandle()},
      {"Importer 2", second.GetHandle()},
      {"Łódź", polish.GetHandle()},
      {"importer", 0},
      {"Importer ", 0},
      {"Lodz", 0},
      {"", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(win::FindWindow(c.caption), c.expected) << c.caption;
  EXPECT_FALSE(fs::exists(CaptionPath(stale)));
  EXPECT_FALSE(fs::exists(SocketPath(stale)));
}

}  // namespace
