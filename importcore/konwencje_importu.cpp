#include "importcore/konwencje_importu.h"

#include <cmath>

#include "importcore/bledy.h"
#include "importcore/fpp_cs.h"
#include "targetdb/transakcje.h"

std::string TekstKolumn(std::initializer_list<std::string_view> wartosci) {
  std::string tekst;
  for (std::string_view w : wartosci) {
    if (!tekst.empty()) tekst += ' ';
    tekst += '"';
    tekst += w;
    tekst += '"';
  }
  return tekst;
}

std::int64_t Tempo(std::int64_t wiersze, std::int64_t milisekundy) {
  if (milisekundy <= 0) return 0;
  // Exact in integers: twice the remainder against the divisor decides.
  const std::int64_t licznik = wiersze * 1000;
  std::int64_t wynik = licznik / milisekundy;
  const std::int64_t reszta2 = (licznik % milisekundy) * 2;
  if (reszta2 > milisekundy || (reszta2 == milisekundy && wynik % 2 != 0)) ++wynik;
  return wynik;
}

std::string LiniaTempa(std::string_view wciecie, std::int64_t wiersze, std::int64_t milisekundy,
                       std::string_view jednostka) {
  std::string linia(wciecie);
  linia += std::to_string(Tempo(wiersze, milisekundy));
  linia += ' ';
  linia += jednostka;
  linia += "/s";
  return linia;
}

std::string TekstWyjatku(std::string_view naglowek, const std::exception& e) {
  return std::string(naglowek) + ": " + std::to_string(KodBledu(e)) + " - " + e.what();
}

void ObsluzBladFazy(TFppCS& watek, fb::Transaction& transakcja, std::string_view naglowek,
                    const std::exception& e, const std::string& kluczWiersza) noexcept {
  try {
    WycofajTransakcje(transakcja);
  } catch (const std::exception&) {
    // A connection that broke cannot roll back; the server does it.
  }
  try {
    watek.ZglosBlad(TekstWyjatku(naglowek, e));
    watek.LogujSzczegolowo(kluczWiersza);
  } catch (const std::exception&) {
  }
  watek.Terminate();
}
