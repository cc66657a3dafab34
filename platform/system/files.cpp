#include "platform/system/files.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace sys {

namespace {

class DirectoryHandle {
 public:
  explicit DirectoryHandle(const std::string& path) : dir_(opendir(path.c_str())) {}
  ~DirectoryHandle() {
    if (dir_ != nullptr) closedir(dir_);
  }
  DirectoryHandle(const DirectoryHandle&) = delete;
  DirectoryHandle& operator=(const DirectoryHandle&) = delete;

  DIR* get() const { return dir_; }

 private:
  DIR* dir_;
};

}  // namespace

bool IsExistingNonDirectory(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) == 0) return !S_ISDIR(info.st_mode);
  switch (errno) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
      return false;
    default:
      return ListedAsNonDirectory(path);
  }
}

bool ListedAsNonDirectory(const std::string& path) {
  const std::string::size_type slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty()) return false;
  const std::string parent = slash == std::string::npos ? std::string(".")
                             : slash == 0               ? std::string("/")
                                                        : path.substr(0, slash);

  DirectoryHandle dir(parent);
  if (dir.get() == nullptr) return false;
  while (const dirent* entry = readdir(dir.get())) {
    if (name != entry->d_name) continue;
    if (entry->d_type != DT_UNKNOWN) return entry->d_type != DT_DIR;
    struct stat info {};
    // The entry is listed, so it exists; when even lstat is refused its type
    // stays unknown and it counts as a file.
    if (lstat((parent + "/" + name).c_str(), &info) != 0) return true;
    return !S_ISDIR(info.st_mode);
  }
  return false;
}

std::string ExecutablePath() {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return {};
    if (static_cast<std::size_t>(length) < buffer.size()) {
      return std::string(buffer.data(), static_cast<std::size_t>(length));
    }
    // readlink truncates silently; a full buffer may mean a longer path.
    buffer.resize(buffer.size() * 2);
  }
}

std::string DirectoryOf(const std::string& path) {
  const std::string::size_type slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace sys
