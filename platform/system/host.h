// Facts about the machine and the calling thread.
//
// All functions may be called from any thread.
#pragma once

#include <string>

namespace sys {

// The machine's host name; empty when it cannot be read.
std::string ComputerName();

// Blocks the calling thread for at least the given time; zero or less returns
// at once.
void SleepMilliseconds(int milliseconds);

}  // namespace sys
