#include "app/przelaczniki.h"

#include <utility>

#include "platform/text/win1250.h"

namespace {

std::vector<std::string>& Argumenty() {
  static std::vector<std::string> argumenty;
  return argumenty;
}

std::string Wzorzec(std::string_view nazwa) { return "-" + text::UpperWin1250(nazwa); }

}  // namespace

void UstawArgumenty(int argc, char** argv) {
  std::vector<std::string> argumenty;
  for (int i = 1; i < argc; ++i) argumenty.emplace_back(argv[i]);
  UstawArgumenty(std::move(argumenty));
}

void UstawArgumenty(std::vector<std::string> argumenty) { Argumenty() = std::move(argumenty); }

int LiczbaArgumentow() { return static_cast<int>(Argumenty().size()); }

bool JestPrzelacznik(std::string_view nazwa) {
  const std::string wzorzec = Wzorzec(nazwa);
  const std::string z_wartoscia = wzorzec + "=";
  for (const std::string& argument : Argumenty()) {
    const std::string duze = text::UpperWin1250(argument);
    if (duze == wzorzec || duze.starts_with(z_wartoscia)) return true;
  }
  return false;
}

std::string WartoscPrzelacznika(std::string_view nazwa) {
  const std::string z_wartoscia = Wzorzec(nazwa) + "=";
  for (const std::string& argument : Argumenty()) {
    if (text::UpperWin1250(argument).starts_with(z_wartoscia)) {
      return argument.substr(argument.find('=') + 1);
    }
  }
  return {};
}
