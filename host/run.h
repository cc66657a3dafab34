// One import run driven the way the Solvo host drives it: start the importer,
// find its window, INI, START, show what it reports, and on the end message
// TERMINATED and KONIEC. Ctrl-C or SIGTERM asks the importer to stop; a
// second one kills it.
#pragma once

#include "host/command_line.h"

namespace host {

inline constexpr int kExitFinished = 0;
inline constexpr int kExitStopped = 1;  // stopped, failed or crashed
inline constexpr int kExitNotStarted = 2;

// Runs to the end and returns the exit status above. Main thread only; installs
// handlers for SIGINT and SIGTERM.
int RunImport(const RunOptions& options);

}  // namespace host
