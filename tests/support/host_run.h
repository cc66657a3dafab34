// Runs a whole import the way a person does: solvo-host starts the importer
// against a Solvo database and drives it; the test reads the transcript.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

struct TranscriptEntry {
  std::string name;
  std::int64_t msg = 0;
  std::int64_t wParam = 0;
  std::int64_t lParam = 0;
  std::int64_t result = 0;  // START_RESULT only
  std::optional<std::string> text;
};

struct HostRun {
  int exitCode = -1;
  std::vector<TranscriptEntry> transcript;
  std::string out;  // solvo-host's standard output and error

  // The texts of the log lines, in order.
  std::vector<std::string> LogLines() const;
  bool HasLogLine(const std::string& line) const;
  std::vector<const TranscriptEntry*> Named(const std::string& name) const;
};

// `arguments` follow "solvo-host run" (already shell-quoted); the run gets a
// window directory and a transcript of its own under `workDir`.
HostRun RunHost(const std::string& workDir, const std::string& arguments);

// The same, but once the transcript holds `trigger` the host gets Ctrl-C
// (SIGINT), as a person stopping the run would. `afterInterrupt` runs once
// the host has said it is stopping the import (it has posted TERMINATE).
HostRun RunHostInterrupted(const std::string& workDir, const std::string& arguments,
                           const std::string& trigger,
                           const std::function<void()>& afterInterrupt = {});

// One transcript line parsed (only the keys the transcript writes).
TranscriptEntry ParseTranscriptLine(const std::string& line);

}  // namespace testing_support
