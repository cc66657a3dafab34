#include "tests/support/host_run.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testing_support {
namespace {

void AppendUtf8(std::string& out, unsigned code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

std::optional<std::string> StringAt(const std::string& line, const std::string& key) {
  const std::string marker = "\"" + key + "\": \"";
  std::size_t i = line.find(marker);
  if (i == std::string::npos) return std::nullopt;
  i += marker.size();
  std::string value;
  while (i < line.size() && line[i] != '"') {
    if (line[i] != '\\') {
      value += line[i++];
      continue;
    }
    const char e = line[i + 1];
    i += 2;
    switch (e) {
      case 'n':
        value += '\n';
        break;
      case 'r':
        value += '\r';
        break;
      case 't':
        value += '\t';
        break;
      case 'u':
        AppendUtf8(value, static_cast<unsigned>(std::stoul(line.substr(i, 4), nullptr, 16)));
        i += 4;
        break;
      default:
        value += e;
        break;
    }
  }
  return value;
}

std::int64_t NumberAt(const std::string& line, const std::string& key) {
  const std::string marker = "\"" + key + "\": ";
  const std::size_t i = line.find(marker);
  if (i == std::string::npos) return 0;
  return std::stoll(line.substr(i + marker.size()));
}

}  // namespace

TranscriptEntry ParseTranscriptLine(const std::string& line) {
  TranscriptEntry e;
  e.name = StringAt(line, "name").value_or("");
  e.msg = NumberAt(line, "msg");
  e.wParam = NumberAt(line, "wParam");
  e.lParam = NumberAt(line, "lParam");
  e.result = NumberAt(line, "result");
  e.text = StringAt(line, "text");
  return e;
}

std::vector<std::string> HostRun::LogLines() const {
  std::vector<std::string> lines;
  for (const auto& e : transcript) {
    if (e.name == "WM_LOG_LINIA" && e.text) lines.push_back(*e.text);
  }
  return lines;
}

bool HostRun::HasLogLine(const std::string& line) const {
  for (const auto& l : LogLines()) {
    if (l == line) return true;
  }
  return false;
}

std::vector<const TranscriptEntry*> HostRun::Named(const std::string& name) const {
  std::vector<const TranscriptEntry*> found;
  for (const auto& e : transcript) {
    if (e.name == name) found.push_back(&e);
  }
  return found;
}

namespace {

std::string HostCommand(const std::string& workDir, const std::string& arguments) {
  return "cd '" + workDir + "' && SOLVO_WINDOWS_DIR='" + workDir +
         "/windows' exec timeout --foreground 120 '" + SOLVO_HOST_PATH + "' run --importer '" +
         IMPORTER_PATH + "' --transcript '" + workDir + "/transcript.jsonl' " + arguments + " >'" +
         workDir + "/host.out' 2>&1 </dev/null";
}

HostRun Collect(const std::string& workDir, int status) {
  HostRun run;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream in(workDir + "/transcript.jsonl");
  for (std::string line; std::getline(in, line);)
    run.transcript.push_back(ParseTranscriptLine(line));
  std::ifstream outIn(workDir + "/host.out");
  std::stringstream text;
  text << outIn.rdbuf();
  run.out = text.str();
  return run;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

HostRun RunHost(const std::string& workDir, const std::string& arguments) {
  std::filesystem::create_directories(workDir);
  std::filesystem::remove(workDir + "/transcript.jsonl");
  const int status = std::system(HostCommand(workDir, arguments).c_str());
  return Collect(workDir, status);
}

HostRun RunHostInterrupted(const std::string& workDir, const std::string& arguments,
                           const std::string& trigger,
                           const std::function<void()>& afterInterrupt) {
  std::filesystem::create_directories(workDir);
  std::filesystem::remove(workDir + "/transcript.jsonl");
  const std::string command = HostCommand(workDir, arguments);
  const pid_t pid = fork();
  if (pid == 0) {
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  // timeout passes the signal on to solvo-host, once (--foreground: not to
  // its group as well, which would be a second Ctrl-C).
  for (int i = 0; i < 600; ++i) {
    if (ReadFile(workDir + "/transcript.jsonl").find(trigger) != std::string::npos) break;
    int early = 0;
    if (waitpid(pid, &early, WNOHANG) == pid) return Collect(workDir, early);
    usleep(100'000);
  }
  kill(pid, SIGINT);
  if (afterInterrupt) {
    for (int i = 0; i < 600; ++i) {
      if (ReadFile(workDir + "/host.out").find("Stopping the import") != std::string::npos) break;
      usleep(50'000);
    }
    afterInterrupt();
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return Collect(workDir, status);
}

}  // namespace testing_support
