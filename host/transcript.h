// The run transcript: every message the host window receives, one JSON object
// a line, for tests and acceptance checks to read back. The line format is
// fixed: keys in the order shown, a space after ':' and ',', text as UTF-8.
//
//   {"name": "START_RESULT", "result": 17}
//   {"msg": 1034, "name": "WM_LOG_LINIA", "wParam": 49152, "lParam": 5, "text": "Start"}
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/window/messages.h"

namespace host {

// The text as a JSON string literal with its quotes. Only what JSON requires
// is escaped; bytes that are not valid UTF-8 become U+FFFD so that every line
// stays readable JSON.
std::string JsonString(std::string_view text);

// One line, without the newline. "text" only when the message carries one;
// an unknown message number is named "UNKNOWN".
std::string MessageLine(const win::Message& message);
// START's result; null when START got no answer.
std::string StartResultLine(std::optional<std::int64_t> result);

// Appends lines to a file, flushing each one so that a killed run still
// leaves every line written so far. Main thread only.
class Transcript {
 public:
  // Creates or truncates the file. Raises std::system_error when it cannot.
  explicit Transcript(const std::string& path);

  void Write(const std::string& line);

 private:
  struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::unique_ptr<std::FILE, Closer> file_;
};

}  // namespace host
