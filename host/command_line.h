// The command line of solvo-host: what to run and how the Solvo database name
// is handed to the importer.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace host {

// The three parts the importer joins back into the database name, cut the way
// the host passes them: the host with its colon, the directory with its
// trailing separator, the file.
struct DbName {
  std::string host;
  std::string path;
  std::string file;

  bool operator==(const DbName&) const = default;
};

// "server:/dir/crm.fdb" gives {"server:", "/dir/", "crm.fdb"}. A single letter
// before the first colon is a drive ("C:\dir\crm.fdb"), not a host; an IPv6
// host is bracketed ("[::1]:/dir/crm.fdb").
DbName SplitDbName(std::string_view db);

struct RunOptions {
  DbName db;
  std::int32_t config = 0;
  std::int32_t session = 1;
  std::int32_t operation = 550;
  std::string transcript;  // empty: none
  std::string importer;    // empty: the importer beside solvo-host
};

struct Command {
  enum class Kind { kHelp, kRun };
  Kind kind = Kind::kHelp;
  RunOptions run;
};

// A command line that cannot be run; the message says what is wrong with it.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Parses the arguments after the program name. Raises UsageError.
Command ParseCommandLine(const std::vector<std::string>& args);

// The text printed by --help.
std::string UsageText();

}  // namespace host
