#include "app/pliki.h"

#include "platform/system/file_version.h"
#include "platform/system/files.h"

bool PlikIstnieje(const std::string& sciezka) { return sys::IsExistingNonDirectory(sciezka); }

std::string WersjaPliku(const std::string& sciezka) {
  const auto wersja = sys::ReadFileVersion(sciezka);
  if (!wersja) return {};
  std::string tekst;
  for (const std::uint32_t liczba : *wersja) {
    if (!tekst.empty()) tekst += '.';
    tekst += std::to_string(liczba);
  }
  return tekst;
}
