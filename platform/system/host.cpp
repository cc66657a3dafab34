#include "platform/system/host.h"

#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstring>
#include <thread>

namespace sys {

std::string ComputerName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (gethostname(name, sizeof name - 1) != 0) return {};
  // A name longer than the buffer may come back without its terminator.
  return std::string(name, strnlen(name, sizeof name - 1));
}

void SleepMilliseconds(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace sys
