// The settings report at the head of every run log.
#include "app/pliki.h"
#include "platform/system/files.h"
#include "platform/text/win1250.h"
#include "platform/time/formats.h"
#include "subiektgt/th_subiekt_imp.h"

namespace {

const char* TakNie(bool flaga) { return flaga ? "TAK" : "NIE"; }

}  // namespace

void TThSubiektImp::RaportUstawien() {
  const TOpcjeGImp& o = Opcje;
  if (o.DataOstatniego > 0)
    Loguj("  Ostatni import: " + formats::FormatDateTime("yyyy-mm-dd hh:nn:ss", o.DataOstatniego));
  Loguj("  Wersja programu importującego: " + WersjaPliku(sys::ExecutablePath()));
  Loguj("  " + std::string(68, '-'));
  Loguj("  Ustawienia (" + std::to_string(o.IdKonfImport) + "/" + std::to_string(o.IdSesji) + "/" +
        std::to_string(o.IdBlokady) + "/" + std::to_string(o.WersjaZrodla) + "):");
  Loguj("    - źródło danych: " + o.Serwer);
  Loguj("    - katalog na logi: " + o.Katalog1);
  Loguj(std::string("    - log szczegółowy: ") + TakNie(o.LogSzczegolowy));
  Loguj("    - wersja danych: " + std::to_string(o.WersjaZrodla));
  Loguj("    - import z ostatnich " + std::to_string(o.OkresAnalizy) + " miesięcy");

  struct TLinia {
    const char* tekst;
    bool wartosc;
  };
  const TLinia opcjeImportu[] = {
      {"      - analiza całej bazy towarów: ", o.AnalizaTowarow},
      {"      - analiza całej bazy kontrahentów: ", o.AnalizaKontrahentow},
      {"      - import osób kontaktowych: ", o.ImportKontaktow},
      {"      - import dokumentów sprzedaży: ", o.ImportSprzedazy},
      {"      - import dokumentów zakupu: ", o.ImportZakupu},
      {"      - import zamówień: ", o.ImportZamowien},
      {"      - import dokumentów magazynowych: ", o.ImportMagazynowych},
  };
  const TLinia opcjeAktualizacji[] = {
      {"      - aktualizacja wszystkich danych towarów: ", o.TowaryWszystkieDane},
      {"      - aktualizacja wszystkich danych kontrahentów: ", o.KontrahenciWszystkieDane},
      {"      - aktualizacja danych teleadresowych kontrahentów: ", o.KontrahenciDaneTeleadr},
      {"      - aktualizacja limitu kredytu kontrahentów: ", o.KontrahenciLimitKredytu},
      {"      - aktualizacja numerów NIP i REGON kontrahentów: ", o.KontrahenciNipRegon},
      {"      - aktualizacja prowadzącego kontrahentów: ", o.KontrahenciManager},
      {"      - aktualizacja wszystkich danych osób kontaktowych: ", o.KontaktyWszystkieDane},
      {"      - aktualizacja danych teleadresowych osób kontaktowych: ", o.KontaktyDaneTeleadr},
      {"      - aktualizacja danych opisowych osób kontaktowych: ", o.KontaktyStanowisko},
      {"      - aktualizacja numerów NIP i PESEL osób kontaktowych: ", o.KontaktyNipPesel},
      {"      - operator dla faktur na podstawie imienia i nazwiska: ", o.FakturyOperatorNazwa},
  };
  const TLinia opcjeLaczenia[] = {
      {"      - kod kontrahenta + numer NIP: ", o.SzukacNipSkrot == 1},
      {"      - kod kontrahenta: ", o.SzukacSkrot == 1},
      {"      - numer NIP: ", o.SzukacNip == 1},
      {"      - pełna nazwa: ", o.SzukacNazwa == 1},
  };
  Loguj("    - opcje importu:");
  for (const TLinia& l : opcjeImportu) Loguj(std::string(l.tekst) + TakNie(l.wartosc));
  Loguj("    - opcje aktualizacji:");
  for (const TLinia& l : opcjeAktualizacji) Loguj(std::string(l.tekst) + TakNie(l.wartosc));
  Loguj("    - opcje łączenia kontrahentów:");
  for (const TLinia& l : opcjeLaczenia) Loguj(std::string(l.tekst) + TakNie(l.wartosc));
  Loguj("    - cache'owanie danych: TAK");
  Loguj("    - domyślny skrót kontrahenta: \"" + o.NazwaSkrotKon + "\"");
  const std::string magazyny = text::Trim(o.MagazynDef);
  Loguj(magazyny.empty() ? "    - dokumenty importowane ze wszystkich magazynów"
                         : "    - dokumenty importowane z wybranych (" + magazyny + ") magazynów");
  Loguj(std::string(70, '-'));
  Loguj("");
}
