#include "importcore/odmiana.h"

std::string Odmiana(std::int64_t liczba, const std::string& pojedyncza, const std::string& kilka,
                    const std::string& wiele, bool zLiczba) {
  const std::string& few = kilka.empty() ? pojedyncza : kilka;
  const std::string& many = wiele.empty() ? few : wiele;
  const std::int64_t n = liczba < 0 ? -liczba : liczba;
  const std::int64_t jednosci = n % 10;
  const std::int64_t setki = n % 100;
  const std::string& forma = n == 1                                             ? pojedyncza
                             : (jednosci >= 2 && jednosci <= 4 && (setki < 12 || setki > 14)) ? few
                                                                                               : many;
  return zLiczba ? std::to_string(liczba) + " " + forma : forma;
}
