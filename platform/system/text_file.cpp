#include "platform/system/text_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace sys {
namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path, int error) {
  throw FileError(what + " " + path + ": " + std::strerror(error), error);
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

void ReplaceTextFile(const std::string& path, const std::vector<std::string>& lines) {
  std::string content;
  std::size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 1;
  content.reserve(size);
  for (const std::string& line : lines) {
    content += line;
    content += '\n';
  }
  const std::string temporary = path + ".tmp";
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) Fail("Cannot create", temporary, errno);
  if (!WriteAll(fd, content.data(), content.size()) || fsync(fd) != 0) {
    const int error = errno;
    close(fd);
    unlink(temporary.c_str());
    Fail("Cannot write", temporary, error);
  }
  if (close(fd) != 0) {
    const int error = errno;
    unlink(temporary.c_str());
    Fail("Cannot write", temporary, error);
  }
  if (rename(temporary.c_str(), path.c_str()) != 0) {
    const int error = errno;
    unlink(temporary.c_str());
    Fail("Cannot replace", path, error);
  }
}

bool AppendLine(const std::string& path, const std::string& line) noexcept {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  std::string text = line;
  text += '\n';
  const bool written = WriteAll(fd, text.data(), text.size());
  return close(fd) == 0 && written;
}

bool RemoveFile(const std::string& path) noexcept { return unlink(path.c_str()) == 0; }

}  // namespace sys
