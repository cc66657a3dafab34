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
  for (auto& task : tasks) {
    if (quit_) break;
    task();
  }
}

void MessageLoop::Run() {
  quit_ = false;
  while (!quit_) {
    pollfd fd{wakeFd_, POLLIN, 0};
    const int ready = poll(&fd, 1, MillisecondsToNextTimer());
    if (ready < 0 && errno != EINTR)
      throw std::system_error(errno, std::generic_category(), "poll");
    if (ready > 0) {
      std::uint64_t count;
      [[maybe_unused]] const ssize_t got = read(wakeFd_, &count, sizeof count);
      RunPostedTasks();
    }
    if (!quit_) RunDueTimers();
  }
}

}  // namespace win
