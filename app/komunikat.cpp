#include "app/komunikat.h"

#include <cstdio>
#include <string>

void PokazKomunikat(std::string_view tekst) {
  const std::string linia = std::string(kTytulAplikacji) + ": " + std::string(tekst) + "\n";
  std::fputs(linia.c_str(), stderr);
  std::fflush(stderr);
}
