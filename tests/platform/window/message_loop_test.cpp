#include "platform/window/message_loop.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Stops a loop that a broken test would leave running.
void Guard(win::MessageLoop& loop) {
  loop.SetTimer(10'000, [&loop] {
    ADD_FAILURE() << "loop still running after 10 s";
    loop.Quit();
  });
}

class Pipe {
 public:
  Pipe() { EXPECT_EQ(pipe(fds_), 0); }
  ~Pipe() {
    close(fds_[0]);
    close(fds_[1]);
  }
  int readEnd() const { return fds_[0]; }
  void Put() const { ASSERT_EQ(write(fds_[1], "x", 1), 1); }
  void Take() const {
    char c;
    ASSERT_EQ(read(fds_[0], &c, 1), 1);
  }

 private:
  int fds_[2] = {-1, -1};
};

TEST(MessageLoopTest, TimersTickUntilKilled) {
  win::MessageLoop loop;
  Guard(loop);
  int fast = 0;
  int once = 0;
  win::MessageLoop::TimerId onceId = 0;
  onceId = loop.SetTimer(5, [&] {
    ++once;
    loop.KillTimer(onceId);
  });
  loop.SetTimer(5, [&] {
    if (++fast == 5) loop.Quit();
  });
  loop.Run();
  EXPECT_EQ(fast, 5);
  EXPECT_EQ(once, 1);
}

TEST(MessageLoopTest, PostFromAnotherThreadRunsOnTheLoopThread) {
  win::MessageLoop loop;
  Guard(loop);
  std::vector<int> order;
  std::thread::id ranOn;
  std::thread poster([&] {
    for (int i = 0; i < 100; ++i) loop.Post([&order, i] { order.push_back(i); });
    loop.Post([&] {
      ranOn = std::this_thread::get_id();
      loop.Quit();
    });
  });
  loop.Run();
  poster.join();
  EXPECT_EQ(ranOn, std::this_thread::get_id());
  ASSERT_EQ(order.size(), 100u);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(order[i], i);
}

TEST(MessageLoopTest, QuitStopsRunBeforeTheRestOfTheBatch) {
  win::MessageLoop loop;
  Guard(loop);
  bool after = false;
  loop.Post([&] { loop.Quit(); });
  loop.Post([&] { after = true; });
  const auto start = Clock::now();
  loop.Run();
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  EXPECT_FALSE(after);
}

TEST(MessageLoopTest, WatchedFdCallsBackOnTheLoopThreadWhenReadable) {
  win::MessageLoop loop;
  Guard(loop);
  Pipe pipe;
  int calls = 0;
  std::thread::id ranOn;
  loop.WatchFd(pipe.readEnd(), [&] {
    pipe.Take();
    ranOn = std::this_thread::get_id();
    if (++calls == 3) loop.Quit();
  });
  std::thread writer([&] {
    for (int i = 0; i < 3; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      pipe.Put();
    }
  });
  loop.Run();
  writer.join();
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(MessageLoopTest, UnwatchedFdIsNotCalledEvenWhenAlreadyReady) {
  win::MessageLoop loop;
  Guard(loop);
  Pipe first;
  Pipe second;
  first.Put();
  second.Put();
  int calls = 0;
  // Both are ready in the same round; whichever runs first unwatches both.
  const auto callback = [&] {
    ++calls;
    loop.UnwatchFd(first.readEnd());
    loop.UnwatchFd(second.readEnd());
    loop.SetTimer(50, [&] { loop.Quit(); });
  };
  loop.WatchFd(first.readEnd(), callback);
  loop.WatchFd(second.readEnd(), callback);
  loop.Run();
  EXPECT_EQ(calls, 1);
}

TEST(MessageLoopTest, WatchingAgainReplacesTheCallback) {
  win::MessageLoop loop;
  Guard(loop);
  Pipe pipe;
  pipe.Put();
  int old = 0;
  int replacement = 0;
  loop.WatchFd(pipe.readEnd(), [&] { ++old; });
  loop.WatchFd(pipe.readEnd(), [&] {
    ++replacement;
    pipe.Take();
    loop.Quit();
  });
  loop.Run();
  EXPECT_EQ(old, 0);
  EXPECT_EQ(replacement, 1);
}

}  // namespace
