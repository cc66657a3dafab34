#include "subiektgt/th_subiekt_imp.h"

#include <functional>

#include "app/komunikaty_okna.h"
#include "importcore/bledy.h"
#include "platform/time/formats.h"
#include "subiektgt/dm_import_subiekt.h"

namespace {

std::string TekstWyjatkuPracy(const std::exception& e) {
  return "Podczas pracy wystąpił wyjątek: \r\n" + std::string(e.what()) + "\r\n" +
         NazwaKlasyBledu(e);
}

}  // namespace

TThSubiektImp::TThSubiektImp(int kodOperacji, std::unique_ptr<TKanalHosta> kanal, TDMZQ& dmzq,
                             TDMImportSubiekt& dmImport)
    : TFppCS(kodOperacji, kTypProgramuSubiektGT, std::move(kanal)), dmzq_(dmzq), dm_(dmImport) {}

bool TThSubiektImp::SprawdzStart() {
  if (Przerwany()) {
    if (KodBleduStartu == 1) {
      Loguj("Występił problem z połączenie z bazą Subiekt'a (" + Opcje.Serwer + ")");
    } else if (KodBleduStartu == 2 || KodBleduStartu == 3) {
      Loguj("Jest uruchomiony inny import. Proszę spróbować za chwilę.");
      Kanal().Kolejkuj(WM_INNY_IMPORT, 0, 0);
    }
    Loguj(TekstBleduStartu);
    return false;
  }
  StartTick = LicznikTaktow();
  Loguj(std::string(70, '-'));
  Loguj("Czas rozpoczęcia importu: " + formats::FormatDateTime("yyyy-mm-dd hh:nn:ss", Opcje.CzasStartu));
  return true;
}

void TThSubiektImp::Execute() {
  if (!SprawdzStart()) return;
  if (!TestujPolaczenie()) {
    // A run that could not even read the source did not finish.
    Terminate();
    return;
  }
  try {
    RaportUstawien();
    UstawCache();
    SprawdzKontrahentaDomyslnego();
    UstalTypyDokumentow();
    ImportujMagazyny();
  } catch (const std::exception& e) {
    ZglosBlad(TekstWyjatkuPracy(e));
    Terminate();
    return;
  }
  try {
    WykonajOperacje();
  } catch (const std::exception& e) {
    ZglosBlad(TekstWyjatkuPracy(e));
    Terminate();
  }
}

void TThSubiektImp::WykonajOperacje() {
  switch (KodOperacji) {
    case kOperacjaTowary:
      ImportujTowary(-1);
      break;
    case kOperacjaKontrahenci:
      ImportujKontrahentow(-1);
      ImportujKontakty(-1);
      break;
    case kOperacjaFaktury: {
      const std::function<void()> fazy[] = {
          [this] { ImportujFakHead(); },      [this] { ImportujFakDetail(-1); },
          [this] { ImportujFakWplaty(-1); },  [this] { UsunFaktury(); },
          [this] { UsunWplaty(); },
      };
      for (const auto& faza : fazy) {
        faza();
        if (Przerwany()) break;
      }
      break;
    }
    case kOperacjaPelnyImport:
      PelnyImport();
      break;
    default:
      break;  // nothing beyond the common preparation
  }
}

void TThSubiektImp::PelnyImport() {
  struct TFaza {
    int kodEtapu;
    bool TOpcjeGImp::*warunek;
    bool TOpcjeGImp::*warunekLub;  // may be null
    std::function<void(TThSubiektImp&)> uruchom;
  };
  using O = TOpcjeGImp;
  const TFaza fazy[] = {
      {kEtapTowary, &O::AnalizaTowarow, nullptr, [](TThSubiektImp& t) { t.ImportujTowary(-1); }},
      {kEtapKontrahenci, &O::AnalizaKontrahentow, nullptr,
       [](TThSubiektImp& t) { t.ImportujKontrahentow(-1); }},
      {kEtapKontakty, &O::ImportKontaktow, nullptr, [](TThSubiektImp& t) { t.ImportujKontakty(-1); }},
      {kEtapFakHead, &O::ImportSprzedazy, &O::ImportZakupu,
       [](TThSubiektImp& t) { t.ImportujFakHead(); }},
      {kEtapFakDetail, &O::ImportSprzedazy, &O::ImportZakupu,
       [](TThSubiektImp& t) { t.ImportujFakDetail(-1); }},
      {kEtapFakWplaty, &O::ImportSprzedazy, &O::ImportZakupu,
       [](TThSubiektImp& t) { t.ImportujFakWplaty(-1); }},
      {kEtapUsuwanieFaktur, &O::ImportSprzedazy, &O::ImportZakupu,
       [](TThSubiektImp& t) { t.UsunFaktury(); }},
      {kEtapUsuwanieFaktur, &O::ImportSprzedazy, &O::ImportZakupu,
       [](TThSubiektImp& t) { t.UsunWplaty(); }},
      {kEtapZamHead, &O::ImportZamowien, nullptr, [](TThSubiektImp& t) { t.ImportujZamHead(); }},
      {kEtapZamDetail, &O::ImportZamowien, nullptr,
       [](TThSubiektImp& t) { t.ImportujZamDetail(-1); }},
      {kEtapUsuwanieZamowien, &O::ImportZamowien, nullptr,
       [](TThSubiektImp& t) { t.UsunZamowienia(); }},
      {kEtapMagHead, &O::ImportMagazynowych, nullptr, [](TThSubiektImp& t) { t.ImportujMagHead(); }},
      {kEtapMagDetail, &O::ImportMagazynowych, nullptr,
       [](TThSubiektImp& t) { t.ImportujMagDetail(); }},
  };
  for (const TFaza& f : fazy) {
    const bool wlaczona = Opcje.*f.warunek || (f.warunekLub && Opcje.*f.warunekLub);
    if (!wlaczona) continue;
    OglosEtap(f.kodEtapu);
    if (Przerwany()) return;
    f.uruchom(*this);
    ZapiszLog(true);
  }
  if (!Przerwany()) Loguj("Cały import zakończony pomyślnie!");
}
