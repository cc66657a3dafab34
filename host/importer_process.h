// The importer as a child process: started with fork/exec, sharing the
// host's stdout and stderr, in a process group of its own so that a Ctrl-C on
// the terminal reaches the host alone (which then asks the importer to stop).
// Main thread only.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace host {

struct ExitStatus {
  int code = 0;    // when it exited
  int signal = 0;  // when a signal ended it; 0 otherwise

  // "exited with status 3", "was killed by signal 9 (Killed)".
  std::string Describe() const;
};

class ImporterProcess {
 public:
  // Runs `path` with argv[0] = path and the given arguments. Raises
  // std::system_error naming the path when it cannot be executed.
  ImporterProcess(const std::string& path, const std::vector<std::string>& args);
  // A child still running is killed and reaped: the host never leaves an
  // importer behind.
  ~ImporterProcess();
  ImporterProcess(const ImporterProcess&) = delete;
  ImporterProcess& operator=(const ImporterProcess&) = delete;

  pid_t Pid() const { return pid_; }

  // The exit status once the child has ended; does not wait.
  std::optional<ExitStatus> Poll();
  // SIGKILL, then waits for the end.
  ExitStatus Kill();

 private:
  pid_t pid_ = -1;
  std::optional<ExitStatus> status_;
};

}  // namespace host
