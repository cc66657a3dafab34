// Plain text files: whole-file replacement and line appends. Any thread.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace sys {

// A file that could not be written; the message names the file and the
// system's reason.
class FileError : public std::runtime_error {
 public:
  FileError(const std::string& message, int error) : std::runtime_error(message), error_(error) {}
  int Errno() const noexcept { return error_; }
  static const char* ClassName() noexcept { return "FileError"; }

 private:
  int error_;
};

// Writes the lines, each followed by '\n', as the file's whole new content.
// The old content is replaced only once the new one is complete on disk, so a
// failed write leaves it as it was. Raises FileError.
void ReplaceTextFile(const std::string& path, const std::vector<std::string>& lines);

// Appends one line and '\n', creating the file when missing. False on any
// failure; never raises.
bool AppendLine(const std::string& path, const std::string& line) noexcept;

// Removes the file; false when it could not (absent included).
bool RemoveFile(const std::string& path) noexcept;

}  // namespace sys
