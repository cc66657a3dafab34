#include "host/command_line.h"

#include <cctype>
#include <charconv>
#include <optional>

namespace host {

namespace {

// Where the host part ends (one past its colon), 0 when there is none.
std::size_t HostPartLength(std::string_view db) {
  if (db.starts_with('[')) {
    const std::size_t close = db.find("]:");
    return close == std::string_view::npos ? 0 : close + 2;
  }
  const std::size_t colon = db.find(':');
  if (colon == std::string_view::npos) return 0;
  if (colon == 1 && std::isalpha(static_cast<unsigned char>(db[0]))) return 0;
  return colon + 1;
}

std::int32_t ParseInteger(std::string_view option, std::string_view text) {
  std::int32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || ptr != end) {
    throw UsageError("--" + std::string(option) + " needs a 32-bit integer, got \"" +
                     std::string(text) + "\"");
  }
  return value;
}

struct OptionSlot {
  std::string_view name;
  std::optional<std::string> value;
};

}  // namespace

DbName SplitDbName(std::string_view db) {
  const std::size_t hostLength = HostPartLength(db);
  const std::string_view rest = db.substr(hostLength);
  const std::size_t separator = rest.find_last_of("/\\");
  const std::size_t pathLength = separator == std::string_view::npos ? 0 : separator + 1;
  return DbName{std::string(db.substr(0, hostLength)), std::string(rest.substr(0, pathLength)),
                std::string(rest.substr(pathLength))};
}

Command ParseCommandLine(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") return Command{};
  }
  if (args.empty()) throw UsageError("no command given");
  if (args[0] != "run") throw UsageError("unknown command \"" + args[0] + "\"");

  OptionSlot slots[] = {{"db", {}}, {"config", {}},     {"session", {}},
                        {"op", {}}, {"transcript", {}}, {"importer", {}}};
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!arg.starts_with("--")) throw UsageError("unexpected argument \"" + arg + "\"");
    std::string_view name = std::string_view(arg).substr(2);
    std::optional<std::string> value;
    if (const std::size_t equals = name.find('='); equals != std::string_view::npos) {
      value = std::string(name.substr(equals + 1));
      name = name.substr(0, equals);
    }
    OptionSlot* slot = nullptr;
    for (OptionSlot& candidate : slots) {
      if (candidate.name == name) slot = &candidate;
    }
    if (slot == nullptr) throw UsageError("unknown option \"--" + std::string(name) + "\"");
    if (!value) {
      if (i + 1 == args.size()) throw UsageError("--" + std::string(name) + " needs a value");
      value = args[++i];
    }
    if (slot->value) throw UsageError("--" + std::string(name) + " given twice");
    slot->value = std::move(value);
  }

  const auto& [db, config, session, operation, transcript, importer] = slots;
  if (!db.value) throw UsageError("--db is required");
  if (!config.value) throw UsageError("--config is required");

  Command command;
  command.kind = Command::Kind::kRun;
  RunOptions& run = command.run;
  run.db = SplitDbName(*db.value);
  if (run.db.file.empty()) {
    throw UsageError("--db \"" + *db.value + "\" does not name a database file");
  }
  run.config = ParseInteger(config.name, *config.value);
  if (session.value) run.session = ParseInteger(session.name, *session.value);
  if (operation.value) run.operation = ParseInteger(operation.name, *operation.value);
  if (transcript.value) {
    if (transcript.value->empty()) throw UsageError("--transcript needs a file name");
    run.transcript = *transcript.value;
  }
  if (importer.value) {
    if (importer.value->empty()) throw UsageError("--importer needs a path");
    run.importer = *importer.value;
  }
  return command;
}

std::string UsageText() {
  return "Usage: solvo-host run --db HOST:PATH --config ID [options]\n"
         "\n"
         "Starts the importer, drives one import run with window messages and shows\n"
         "what the importer reports.\n"
         "\n"
         "  --db HOST:PATH      Solvo database, e.g. localhost:/tmp/demo/crm.fdb\n"
         "                      (without HOST: the importer connects locally)\n"
         "  --config ID         import configuration id (KONFIMPORT)\n"
         "  --session N         host session id sent with WM_INI (default 1)\n"
         "  --op CODE           operation sent with WM_START: 502 products,\n"
         "                      503 customers, 510 invoices, 550 full import (default)\n"
         "  --transcript FILE   write every message received as one JSON line\n"
         "  --importer PATH     importer executable (default: subiektgt-import\n"
         "                      beside solvo-host)\n"
         "\n"
         "Exit status: 0 import finished, 1 import stopped, failed or crashed,\n"
         "2 bad arguments or the importer could not be started.\n"
         "Ctrl-C asks the importer to stop; a second Ctrl-C kills it.\n";
}

}  // namespace host
