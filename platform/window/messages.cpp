#include "platform/window/messages.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/random.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "platform/window/wire.h"

namespace win {

namespace {

using Clock = std::chrono::steady_clock;

// How long a window waits for the rest of a frame once a peer has connected;
// a peer that stalls mid-frame must not hold up the window's thread for long.
constexpr auto kFrameBound = std::chrono::seconds(2);

// The range of the system's string atoms, which the receivers expect.
constexpr std::uint32_t kFirstAtom = 0xC000;
constexpr std::uint32_t kAtomCount = 0x4000;

constexpr const char* kSocketSuffix = ".sock";
constexpr const char* kCaptionSuffix = ".caption";

// More than any caption; a bigger file is not one of ours.
constexpr std::size_t kMaxCaptionFile = 1 << 16;

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;

  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }
  explicit operator bool() const { return fd_ >= 0; }

 private:
  int fd_;
};

std::system_error SystemError(int code, const std::string& what) {
  return std::system_error(code, std::generic_category(), what);
}

// One write per line, so that lines from several threads do not mix.
void LogLine(std::string line) {
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
}

std::string LogPrefix(Handle handle) { return "window " + std::to_string(handle) + ": "; }

std::string DirectoryPath() {
  std::string path;
  if (const char* own = std::getenv("SOLVO_WINDOWS_DIR"); own != nullptr && *own != '\0') {
    path = own;
  } else if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
             runtime != nullptr && *runtime != '\0') {
    path = std::string(runtime) + "/solvo-windows";
  } else {
    path = "/tmp/solvo-windows-" + std::to_string(getuid());
  }
  // A trailing slash would make lstat() follow a symbolic link.
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// Anyone who can enter the directory can talk to every window in it, so it
// must be this user's own and closed to everybody else.
void EnsurePrivateDirectory(const std::string& path) {
  if (mkdir(path.c_str(), 0700) != 0) {
    int error = errno;
    if (error == ENOENT) {
      std::error_code ignored;
      std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
      error = mkdir(path.c_str(), 0700) == 0 ? 0 : errno;
    }
    if (error != 0 && error != EEXIST) {
      throw SystemError(error, "cannot create the window directory " + path);
    }
  }
  struct stat info;
  if (lstat(path.c_str(), &info) != 0) {
    throw SystemError(errno, "cannot examine the window directory " + path);
  }
  if (!S_ISDIR(info.st_mode)) {
    throw SystemError(ENOTDIR, "the window directory " + path + " is not a directory");
  }
  if (info.st_uid != geteuid()) {
    throw SystemError(EPERM, "the window directory " + path + " belongs to another user");
  }
  // Also repairs a directory that a strict umask left without our own bits.
  if ((info.st_mode & 07777) != 0700 && chmod(path.c_str(), 0700) != 0) {
    throw SystemError(errno, "cannot make the window directory " + path + " private");
  }
}

std::string EntryPath(const std::string& directory, Handle handle, const char* suffix) {
  return directory + "/" + std::to_string(handle) + suffix;
}

bool FillAddress(const std::string& path, sockaddr_un& address) {
  address = {};
  if (path.size() >= sizeof address.sun_path) return false;
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.data(), path.size());
  return true;
}

// From the kernel on every call: a forked child must not draw its parent's
// handles.
Handle RandomHandle() {
  for (;;) {
    std::uint32_t bits = 0;
    if (getrandom(&bits, sizeof bits, 0) != static_cast<ssize_t>(sizeof bits)) continue;
    const auto handle = static_cast<Handle>(bits & 0x7FFF'FFFFu);
    if (handle != 0) return handle;
  }
}

int MillisecondsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
}

// True when the fd is ready (or has hung up or failed) before the deadline.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    pollfd entry{fd, events, 0};
    const int ready = poll(&entry, 1, MillisecondsLeft(deadline));
    if (ready > 0) return true;
    if (ready == 0 || errno != EINTR) return false;
  }
}

// Reads until `buffer` holds `size` bytes; on failure says why.
bool ReadUpTo(int fd, std::string& buffer, std::size_t size, Clock::time_point deadline,
              std::string& why) {
  std::size_t got = buffer.size();
  buffer.resize(size);
  while (got < size) {
    const ssize_t n = recv(fd, buffer.data() + got, size - got, MSG_DONTWAIT);
    if (n > 0) {
      got += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN && WaitFor(fd, POLLIN, deadline)) continue;
    if (n == 0) {
      why = "connection closed after " + std::to_string(got) + " bytes";
    } else if (errno == EAGAIN) {
      why = "no whole frame in time (" + std::to_string(got) + " bytes)";
    } else {
      why = std::string("read failed: ") + std::strerror(errno);
    }
    buffer.resize(got);
    return false;
  }
  return true;
}

bool WriteAll(int fd, std::string_view bytes, Clock::time_point deadline) {
  while (!bytes.empty()) {
    // MSG_NOSIGNAL: a peer that has gone is an error here, not a SIGPIPE.
    const ssize_t n = send(fd, bytes.data(), bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n >= 0) {
      bytes.remove_prefix(static_cast<std::size_t>(n));
      continue;
    }
    if (errno == EINTR) continue;
    if (errno != EAGAIN || !WaitFor(fd, POLLOUT, deadline)) return false;
  }
  return true;
}

// ---- Texts received in this process, by atom.

struct AtomTable {
  std::mutex mutex;
  std::unordered_map<std::int64_t, std::string> texts;
};

AtomTable& ReceivedAtoms() {
  static auto* table = new AtomTable;  // never destroyed: windows may outlive static destruction
  return *table;
}

std::int64_t NextAtom() {
  static std::atomic<std::uint32_t> issued{0};
  // 2^32 is a multiple of kAtomCount, so the counter's own wrap keeps the sequence.
  return kFirstAtom + issued.fetch_add(1, std::memory_order_relaxed) % kAtomCount;
}

std::int64_t CodePoints(std::string_view utf8) {
  return std::count_if(utf8.begin(), utf8.end(),
                       [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
}

// ---- Windows of this process, for messages sent from a window's own thread.

struct LocalWindow {
  std::thread::id owner;
  std::function<bool()> handleQueued;  // handles one queued connection; false when none is
  std::function<std::int64_t(const Message&)> call;
};

struct LocalWindows {
  std::mutex mutex;
  std::unordered_map<Handle, LocalWindow> windows;
};

LocalWindows& Locals() {
  static auto* locals = new LocalWindows;
  return *locals;
}

std::optional<LocalWindow> WindowOfThisThread(Handle handle) {
  LocalWindows& locals = Locals();
  std::lock_guard lock(locals.mutex);
  const auto it = locals.windows.find(handle);
  if (it == locals.windows.end() || it->second.owner != std::this_thread::get_id()) {
    return std::nullopt;
  }
  return it->second;
}

// Waiting on the socket would wait for this very thread. Each step looks the
// window up again, as a handler may destroy it.
std::optional<std::int64_t> SendOnOwnThread(Handle to, const Message& message) {
  for (;;) {
    const std::optional<LocalWindow> window = WindowOfThisThread(to);
    if (!window) return std::nullopt;
    if (!window->handleQueued()) break;
  }
  const std::optional<LocalWindow> window = WindowOfThisThread(to);
  if (!window) return std::nullopt;
  return window->call(message);
}

std::chrono::milliseconds SaneTimeout(std::chrono::milliseconds timeout) {
  // A zero SO_SNDTIMEO would mean "no limit"; a huge one would overflow the deadline.
  return std::clamp(timeout, std::chrono::milliseconds(1),
                    std::chrono::milliseconds(std::chrono::hours(24 * 365)));
}

// The socket path of the whole exchange: one connection per message.
std::optional<std::int64_t> Deliver(Handle to, const Message& message,
                                    std::chrono::milliseconds timeout) {
  if (to <= 0) return std::nullopt;
  if (!message.posted && WindowOfThisThread(to)) return SendOnOwnThread(to, message);

  std::string directory;
  try {
    directory = WindowDirectory();
  } catch (const std::system_error&) {
    return std::nullopt;
  }
  sockaddr_un address;
  if (!FillAddress(EntryPath(directory, to, kSocketSuffix), address)) return std::nullopt;
  const wire::Frame frame{message.posted ? wire::Kind::kPost : wire::Kind::kSend, message.msg,
                          message.wParam, message.lParam, message.text};
  const std::string bytes = wire::EncodeFrame(frame);

  // A post never waits, not even for room in a full queue: connect() fails
  // with EAGAIN then. A send waits for room within its timeout, which
  // SO_SNDTIMEO puts on connect().
  timeout = SaneTimeout(timeout);
  const Clock::time_point deadline = message.posted ? Clock::now() : Clock::now() + timeout;
  Fd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | (message.posted ? SOCK_NONBLOCK : 0), 0));
  if (!fd) return std::nullopt;
  if (!message.posted) {
    timeval limit{};
    limit.tv_sec = static_cast<time_t>(timeout.count() / 1000);
    limit.tv_usec = static_cast<suseconds_t>(timeout.count() % 1000 * 1000);
    if (setsockopt(fd.get(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit) != 0) {
      return std::nullopt;
    }
  }
  while (connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    if (errno != EINTR || Clock::now() >= deadline) return std::nullopt;
  }
  // The window takes connections one at a time in the order they were made,
  // and waits for each one's whole frame: messages from one thread keep their
  // order.
  if (!WriteAll(fd.get(), bytes, deadline)) return std::nullopt;
  if (message.posted) return 0;

  std::string result;
  std::string why;
  if (!ReadUpTo(fd.get(), result, wire::kResultSize, deadline, why)) return std::nullopt;
  return wire::DecodeResult(result);
}

// ---- Caption files.

struct CaptionFile {
  pid_t pid = 0;
  std::string caption;
};

// "<handle>.caption" with a canonical positive handle.
std::optional<Handle> HandleOfCaptionFile(std::string_view name) {
  const std::string_view suffix = kCaptionSuffix;
  if (name.size() <= suffix.size() || !name.ends_with(suffix)) return std::nullopt;
  const std::string_view digits = name.substr(0, name.size() - suffix.size());
  if (digits.front() == '0') return std::nullopt;
  Handle handle = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), handle);
  if (error != std::errc() || end != digits.data() + digits.size() || handle <= 0) {
    return std::nullopt;
  }
  return handle;
}

std::optional<CaptionFile> ReadCaptionFile(const std::string& path) {
  Fd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  if (!fd) return std::nullopt;
  std::string content;
  char chunk[4096];
  for (;;) {
    const ssize_t n = read(fd.get(), chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    content.append(chunk, static_cast<std::size_t>(n));
    if (content.size() > kMaxCaptionFile) return std::nullopt;
  }
  const std::size_t newline = content.find('\n');
  if (newline == std::string::npos || newline == 0) return std::nullopt;
  CaptionFile file;
  const auto [end, error] = std::from_chars(content.data(), content.data() + newline, file.pid);
  // kill() takes 0 and negative numbers for process groups.
  if (error != std::errc() || end != content.data() + newline || file.pid <= 0) {
    return std::nullopt;
  }
  file.caption = content.substr(newline + 1);
  return file;
}

// A complete caption file under a temporary name, for link() to publish in one step.
std::string WriteCaptionDraft(const std::string& directory, const std::string& caption) {
  std::string path = directory + "/.draft-XXXXXX";
  Fd fd(mkostemp(path.data(), O_CLOEXEC));
  if (!fd) throw SystemError(errno, "cannot create a caption file in " + directory);
  const std::string content = std::to_string(getpid()) + "\n" + caption;
  std::string_view rest = content;
  while (!rest.empty()) {
    const ssize_t n = write(fd.get(), rest.data(), rest.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      unlink(path.c_str());
      throw SystemError(error, "cannot write the caption file " + path);
    }
    rest.remove_prefix(static_cast<std::size_t>(n));
  }
  return path;
}

}  // namespace

struct Window::Impl {
  // Binds the socket under a fresh handle, then publishes the caption: bind()
  // and link() never replace a file, so together they claim the handle, and
  // whoever finds the caption finds a socket that already listens.
  static void Claim(Window& window, const std::string& directory, const std::string& draft) {
    for (int attempt = 0; attempt < 64; ++attempt) {
      const Handle handle = RandomHandle();
      const std::string socketPath = EntryPath(directory, handle, kSocketSuffix);
      sockaddr_un address;
      if (!FillAddress(socketPath, address)) {
        throw SystemError(ENAMETOOLONG, "window socket path too long: " + socketPath);
      }
      Fd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
      if (!fd) throw SystemError(errno, "cannot create a window socket");
      if (bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (errno == EADDRINUSE) continue;
        throw SystemError(errno, "cannot bind " + socketPath);
      }
      if (listen(fd.get(), SOMAXCONN) != 0) {
        const int error = errno;
        unlink(socketPath.c_str());
        throw SystemError(error, "cannot listen on " + socketPath);
      }
      const std::string captionPath = EntryPath(directory, handle, kCaptionSuffix);
      if (link(draft.c_str(), captionPath.c_str()) != 0) {
        const int error = errno;
        unlink(socketPath.c_str());
        if (error == EEXIST) continue;  // left by a process that has gone
        throw SystemError(error, "cannot publish " + captionPath);
      }
      window.handle_ = handle;
      window.listenFd_ = fd.release();
      window.socketPath_ = socketPath;
      window.captionPath_ = captionPath;
      return;
    }
    throw SystemError(EEXIST, "no free window handle in " + directory);
  }

  // Runs the handler; `window` may be gone when it returns.
  static std::int64_t Call(Window& window, const Message& message) {
    const Handle handle = window.handle_;
    if (message.text) {
      AtomTable& atoms = ReceivedAtoms();
      std::lock_guard lock(atoms.mutex);
      atoms.texts.insert_or_assign(message.wParam, *message.text);
    }
    // A copy: the handler may destroy its window, and with it handler_.
    const Handler handler = window.handler_;
    try {
      return handler(message);
    } catch (const std::exception& e) {
      LogLine(LogPrefix(handle) + "handler failed: " + e.what());
    } catch (...) {
      LogLine(LogPrefix(handle) + "handler failed");
    }
    return 0;
  }

  // Takes the next connection and handles its message; false when no
  // connection is waiting. A bad frame is logged and dropped.
  static bool HandleQueued(Window& window) {
    Fd connection(accept4(window.listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
    if (!connection) return false;
    const Handle handle = window.handle_;
    // Blocks the loop for at most kFrameBound, but never skips ahead to a
    // later connection, which would break the order of one sender's messages.
    const Clock::time_point deadline = Clock::now() + kFrameBound;
    std::string bytes;
    std::string why;
    std::optional<wire::Frame> frame;
    if (ReadUpTo(connection.get(), bytes, wire::kHeaderSize, deadline, why)) {
      if (const std::optional<wire::Header> header = wire::DecodeHeader(bytes, why)) {
        const std::size_t size = wire::kHeaderSize + header->textLength.value_or(0);
        if (ReadUpTo(connection.get(), bytes, size, deadline, why)) {
          frame = wire::DecodeFrame(bytes, why);
        }
      }
    }
    if (!frame) {
      LogLine(LogPrefix(handle) + "discarded frame: " + why);
      return true;
    }
    const Message message{frame->msg, frame->wParam, frame->lParam, std::move(frame->text),
                          frame->kind == wire::Kind::kPost};
    const std::int64_t result = Call(window, message);
    // A sender that has given up makes this fail; nobody is left to tell.
    if (!message.posted) {
      WriteAll(connection.get(), wire::EncodeResult(result), Clock::now() + kFrameBound);
    }
    return true;
  }
};

Window::Window(MessageLoop& loop, std::string caption, Handler handler)
    : loop_(loop),
      caption_(std::move(caption)),
      handler_(std::move(handler)),
      ownerThread_(std::this_thread::get_id()) {
  const std::string directory = WindowDirectory();
  const std::string draft = WriteCaptionDraft(directory, caption_);
  try {
    Impl::Claim(*this, directory, draft);
  } catch (...) {
    unlink(draft.c_str());
    throw;
  }
  unlink(draft.c_str());
  {
    LocalWindows& locals = Locals();
    std::lock_guard lock(locals.mutex);
    locals.windows[handle_] =
        LocalWindow{ownerThread_, [this] { return Impl::HandleQueued(*this); },
                    [this](const Message& message) { return Impl::Call(*this, message); }};
  }
  loop_.WatchFd(listenFd_, [this] { OnReadable(); });
}

Window::~Window() {
  {
    LocalWindows& locals = Locals();
    std::lock_guard lock(locals.mutex);
    locals.windows.erase(handle_);
  }
  loop_.UnwatchFd(listenFd_);
  // The caption first: nobody finds the window any more, while the socket
  // file keeps the handle taken until it goes too. Connections still queued
  // are reset, so their senders stop waiting.
  unlink(captionPath_.c_str());
  close(listenFd_);
  unlink(socketPath_.c_str());
}

void Window::OnReadable() { Impl::HandleQueued(*this); }

std::optional<std::int64_t> SendMessage(Handle to, std::uint32_t msg, std::int64_t wParam,
                                        std::int64_t lParam, std::chrono::milliseconds timeout) {
  return Deliver(to, Message{msg, wParam, lParam, std::nullopt, false}, timeout);
}

std::optional<std::int64_t> SendTextMessage(Handle to, std::uint32_t msg, const std::string& text,
                                            std::chrono::milliseconds timeout) {
  if (text.size() > wire::kMaxTextBytes) return std::nullopt;
  return Deliver(to, Message{msg, NextAtom(), CodePoints(text), text, false}, timeout);
}

bool PostMessage(Handle to, std::uint32_t msg, std::int64_t wParam, std::int64_t lParam) {
  return Deliver(to, Message{msg, wParam, lParam, std::nullopt, true}, {}).has_value();
}

Handle FindWindow(const std::string& caption) {
  std::string directory;
  try {
    directory = WindowDirectory();
  } catch (const std::system_error&) {
    return 0;
  }
  const std::unique_ptr<DIR, int (*)(DIR*)> listing(opendir(directory.c_str()), closedir);
  if (!listing) return 0;
  Handle found = 0;
  // The whole listing, so that every entry left by a process that has gone
  // is removed, not only those before the match.
  while (const dirent* entry = readdir(listing.get())) {
    const std::optional<Handle> handle = HandleOfCaptionFile(entry->d_name);
    if (!handle) continue;
    const std::string captionPath = EntryPath(directory, *handle, kCaptionSuffix);
    const std::optional<CaptionFile> file = ReadCaptionFile(captionPath);
    if (!file) continue;
    if (kill(file->pid, 0) != 0 && errno == ESRCH) {
      unlink(EntryPath(directory, *handle, kSocketSuffix).c_str());
      unlink(captionPath.c_str());
      continue;
    }
    if (found == 0 && file->caption == caption) found = *handle;
  }
  return found;
}

std::optional<std::string> GetAtomText(std::int64_t atom) {
  AtomTable& atoms = ReceivedAtoms();
  std::lock_guard lock(atoms.mutex);
  const auto it = atoms.texts.find(atom);
  if (it == atoms.texts.end()) return std::nullopt;
  return it->second;
}

void DeleteAtom(std::int64_t atom) {
  AtomTable& atoms = ReceivedAtoms();
  std::lock_guard lock(atoms.mutex);
  atoms.texts.erase(atom);
}

std::string WindowDirectory() {
  std::string path = DirectoryPath();
  EnsurePrivateDirectory(path);
  return path;
}

}  // namespace win
