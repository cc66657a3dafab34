// solvo-host: stands in for the Solvo host application, starting the importer
// and driving one import run with window messages.
#include <iostream>
#include <string>
#include <vector>

#include "host/command_line.h"
#include "host/run.h"

int main(int argc, char** argv) {
  host::Command command;
  try {
    command = host::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const host::UsageError& e) {
    std::cerr << "solvo-host: " << e.what() << "\nRun 'solvo-host --help' for usage.\n";
    return host::kExitNotStarted;
  }
  if (command.kind == host::Command::Kind::kHelp) {
    std::cout << host::UsageText();
    return 0;
  }
  return host::RunImport(command.run);
}
