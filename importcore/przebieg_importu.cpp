#include "importcore/przebieg_importu.h"

#include "importcore/fpp_cs.h"
#include "importcore/konwencje_importu.h"
#include "targetdb/transakcje.h"

bool WykonajPrzebieg(TFppCS& watek, fb::Transaction& transakcja, TZrodloWierszy& zrodlo,
                     const TPrzebiegCalejBazy& p) {
  zrodlo.Zamknij();
  watek.Loguj(p.liniaStartu);
  bool doKonca = false;
  std::int64_t wiersze = 0;
  std::uint32_t start = 0;
  std::uint32_t uplynelo = 0;
  try {
    zrodlo.UstawTekst(p.tekstZapytania);
    zrodlo.Otworz();
    if (watek.Przerwany()) {
      zrodlo.Zamknij();
      return false;
    }
    const int liczba = zrodlo.PobierzWszystkie();
    watek.PostepStart(0, liczba);
    watek.Loguj("  Rekordów do analizy: " + std::to_string(liczba));
    watek.LogujSzczegolowo(p.naglowekKolumn);
    start = LicznikTaktow();
    while (!zrodlo.Koniec()) {
      if (watek.Przerwany()) break;
      ++wiersze;
      StartujTransakcje(transakcja);
      p.wiersz();
      zrodlo.Nastepny();
      watek.PostepKrok();
      if (wiersze % kWierszyMiedzyZatwierdzeniami == 0) ZatwierdzTransakcje(transakcja);
    }
    if (zrodlo.Koniec() && !watek.Przerwany()) {
      ZatwierdzTransakcje(transakcja);
      doKonca = true;
    }
    uplynelo = LicznikTaktow() - start;
  } catch (const std::exception& e) {
    ObsluzBladFazy(watek, transakcja, p.naglowekWyjatku, e, p.kluczWiersza ? p.kluczWiersza() : "");
  }
  zrodlo.Zamknij();
  if (watek.Przerwany()) return false;
  if (p.podsumowanie) p.podsumowanie();
  if (uplynelo != 0) watek.Loguj(LiniaTempa(p.wciecieTempa, wiersze, uplynelo, p.jednostkaTempa));
  return doKonca;
}
