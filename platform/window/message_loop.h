// The main thread's event loop: timers, watched file descriptors and tasks
// handed over from other threads, run one at a time on the thread that calls
// Run().
//
// Post() may be called from any thread; everything else only from the loop's
// own thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace win {

class MessageLoop {
 public:
  using TimerId = int;

  MessageLoop();
  ~MessageLoop();
  MessageLoop(const MessageLoop&) = delete;
  MessageLoop& operator=(const MessageLoop&) = delete;

  // Calls `onTick` every `periodMs` milliseconds, counted from now.
  TimerId SetTimer(int periodMs, std::function<void()> onTick);
  void KillTimer(TimerId id);

  // Calls `onReadable` whenever `fd` is readable, has hung up or failed, until
  // UnwatchFd(fd); a callback that does not consume what is there is called
  // again. Watching a watched fd replaces its callback. The loop never closes
  // the fd; unwatch it before closing it.
  void WatchFd(int fd, std::function<void()> onReadable);
  void UnwatchFd(int fd);

  // Queues `task` to run on the loop's thread; wakes the loop. Thread-safe.
  void Post(std::function<void()> task);

  // Runs timers, fd callbacks and tasks until Quit() is called.
  void Run();
  void Quit() { quit_ = true; }

 private:
  using Clock = std::chrono::steady_clock;
  struct Timer {
    TimerId id;
    std::chrono::milliseconds period;
    Clock::time_point due;
    std::function<void()> onTick;
  };

  struct Watch {
    int fd;
    std::uint64_t serial;  // tells a watch from a later one on a reused fd number
    std::function<void()> onReadable;
  };

  void RunDueTimers();
  void RunReadyWatches(const std::vector<std::uint64_t>& readySerials);
  void RunPostedTasks();
  int MillisecondsToNextTimer() const;

  int wakeFd_ = -1;
  bool quit_ = false;
  TimerId nextTimerId_ = 1;
  std::vector<Timer> timers_;
  std::uint64_t nextWatchSerial_ = 1;
  std::vector<Watch> watches_;
  std::mutex postedMutex_;
  std::vector<std::function<void()>> posted_;
};

}  // namespace win
