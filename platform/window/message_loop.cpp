#include "platform/window/message_loop.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <stdexcept>
#include <system_error>

namespace win {

MessageLoop::MessageLoop() {
  wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wakeFd_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
}

MessageLoop::~MessageLoop() { close(wakeFd_); }

MessageLoop::TimerId MessageLoop::SetTimer(int periodMs, std::function<void()> onTick) {
  const auto period = std::chrono::milliseconds(std::max(1, periodMs));
  timers_.push_back(Timer{nextTimerId_, period, Clock::now() + period, std::move(onTick)});
  return nextTimerId_++;
}

void MessageLoop::KillTimer(TimerId id) {
  std::erase_if(timers_, [id](const Timer& t) { return t.id == id; });
}

void MessageLoop::WatchFd(int fd, std::function<void()> onReadable) {
  UnwatchFd(fd);
  watches_.push_back(Watch{fd, nextWatchSerial_++, std::move(onReadable)});
}

void MessageLoop::UnwatchFd(int fd) {
  std::erase_if(watches_, [fd](const Watch& w) { return w.fd == fd; });
}

void MessageLoop::Post(std::function<void()> task) {
  {
    std::lock_guard lock(postedMutex_);
    posted_.push_back(std::move(task));
  }
  const std::uint64_t one = 1;
  // A full counter still wakes the loop, so a failed write loses nothing.
  [[maybe_unused]] const ssize_t written = write(wakeFd_, &one, sizeof one);
}

int MessageLoop::MillisecondsToNextTimer() const {
  if (timers_.empty()) return -1;
  Clock::time_point next = timers_.front().due;
  for (const Timer& t : timers_) next = std::min(next, t.due);
  const auto wait = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now()).count();
  return static_cast<int>(std::clamp<long long>(wait, 0, 60'000));
}

void MessageLoop::RunDueTimers() {
  const Clock::time_point now = Clock::now();
  std::vector<TimerId> due;
  for (const Timer& t : timers_) {
    if (t.due <= now) due.push_back(t.id);
  }
  for (TimerId id : due) {
    // A tick may kill timers, its own included: look each one up again.
    auto it =
        std::find_if(timers_.begin(), timers_.end(), [id](const Timer& t) { return t.id == id; });
    if (it == timers_.end() || quit_) continue;
    it->due = now + it->period;
    std::function<void()> tick = it->onTick;
    tick();
  }
}

void MessageLoop::RunPostedTasks() {
  std::vector<std::function<void()>> tasks;
  {
    std::lock_guard lock(postedMutex_);
    tasks.swap(posted_);
  }
  for (std::size_t i = 0; i < tasks.size(); ++i) {
    if (quit_) {
      // Keep what a quit left unrun for a later Run().
      std::lock_guard lock(postedMutex_);
      posted_.insert(posted_.begin(),
                     std::make_move_iterator(tasks.begin() + static_cast<std::ptrdiff_t>(i)),
                     std::make_move_iterator(tasks.end()));
      const std::uint64_t one = 1;
      [[maybe_unused]] const ssize_t written = write(wakeFd_, &one, sizeof one);
      break;
    }
    tasks[i]();
  }
}

void MessageLoop::RunReadyWatches(const std::vector<std::uint64_t>& readySerials) {
  for (std::uint64_t serial : readySerials) {
    // A callback may unwatch others, or close an fd and watch a new one under
    // the same number: only a watch that existed at the poll is called.
    auto it = std::find_if(watches_.begin(), watches_.end(),
                           [serial](const Watch& w) { return w.serial == serial; });
    if (it == watches_.end() || quit_) continue;
    std::function<void()> callback = it->onReadable;
    callback();
  }
}

void MessageLoop::Run() {
  quit_ = false;
  std::vector<pollfd> fds;
  std::vector<std::uint64_t> serials;
  std::vector<std::uint64_t> ready;
  while (!quit_) {
    fds.assign(1, pollfd{wakeFd_, POLLIN, 0});
    serials.clear();
    for (const Watch& w : watches_) {
      fds.push_back(pollfd{w.fd, POLLIN, 0});
      serials.push_back(w.serial);
    }
    const int count = poll(fds.data(), fds.size(), MillisecondsToNextTimer());
    if (count < 0 && errno != EINTR)
      throw std::system_error(errno, std::generic_category(), "poll");
    if (count > 0) {
      if (fds[0].revents != 0) {
        std::uint64_t wakes;
        [[maybe_unused]] const ssize_t got = read(wakeFd_, &wakes, sizeof wakes);
        RunPostedTasks();
      }
      ready.clear();
      for (std::size_t i = 1; i < fds.size(); ++i) {
        if (fds[i].revents != 0) ready.push_back(serials[i - 1]);
      }
      RunReadyWatches(ready);
    }
    if (!quit_) RunDueTimers();
  }
}

}  // namespace win
