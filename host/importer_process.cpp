#include "host/importer_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace host {

namespace {

ExitStatus FromWaitStatus(int status) {
  if (WIFSIGNALED(status)) return ExitStatus{0, WTERMSIG(status)};
  return ExitStatus{WEXITSTATUS(status), 0};
}

}  // namespace

std::string ExitStatus::Describe() const {
  if (signal != 0) {
    return "was killed by signal " + std::to_string(signal) + " (" + strsignal(signal) + ")";
  }
  return "exited with status " + std::to_string(code);
}

ImporterProcess::ImporterProcess(const std::string& path, const std::vector<std::string>& args) {
  // Everything the child needs is built before fork: after it, only
  // async-signal-safe calls.
  std::vector<std::string> strings{path};
  strings.insert(strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& s : strings) argv.push_back(s.data());
  argv.push_back(nullptr);

  // The child reports a failed exec through this pipe; a successful exec
  // closes it unwritten.
  int errorPipe[2];
  if (pipe2(errorPipe, O_CLOEXEC) != 0)
    throw std::system_error(errno, std::generic_category(), "pipe");

  pid_ = fork();
  if (pid_ < 0) {
    const int error = errno;
    close(errorPipe[0]);
    close(errorPipe[1]);
    throw std::system_error(error, std::generic_category(), "fork");
  }
  if (pid_ == 0) {
    close(errorPipe[0]);
    setpgid(0, 0);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execv(path.c_str(), argv.data());
    const int error = errno;
    [[maybe_unused]] const ssize_t written = write(errorPipe[1], &error, sizeof error);
    _exit(127);
  }
  close(errorPipe[1]);
  int childError = 0;
  ssize_t got;
  do {
    got = read(errorPipe[0], &childError, sizeof childError);
  } while (got < 0 && errno == EINTR);
  close(errorPipe[0]);
  if (got == static_cast<ssize_t>(sizeof childError)) {
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    throw std::system_error(childError, std::generic_category(), "cannot execute " + path);
  }
}

ImporterProcess::~ImporterProcess() {
  if (pid_ > 0 && !Poll()) Kill();
}

std::optional<ExitStatus> ImporterProcess::Poll() {
  if (status_ || pid_ <= 0) return status_;
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) == pid_) status_ = FromWaitStatus(status);
  return status_;
}

ExitStatus ImporterProcess::Kill() {
  if (Poll()) return *status_;
  if (pid_ <= 0) return ExitStatus{};  // never kill(-1): that would hit every process of the user
  kill(pid_, SIGKILL);
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  status_ = FromWaitStatus(status);
  return *status_;
}

}  // namespace host
