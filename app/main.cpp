// Program entry: the host starts the importer with the launch switch and the
// Solvo database name; everything after start-up is driven by its messages.
#include <exception>

#include "app/komunikat.h"
#include "app/pliki.h"
#include "app/przelaczniki.h"
#include "app/zq_subiekt_gt_main.h"
#include "platform/window/message_loop.h"
#include "subiektgt/dm_import_subiekt.h"
#include "targetdb/dm_zq.h"

int main(int argc, char** argv) {
  UstawArgumenty(argc, argv);
  if (LiczbaArgumentow() < 2 || !JestPrzelacznik("wrotka")) return 0;

  win::MessageLoop petla;
  TZQSubiektGTMain okno(petla);
  TDMZQ dmzq(okno.NazwaBazy());
  TDMImportSubiekt dmImport(dmzq.BazaDanych);
  okno.Podlacz(dmzq, dmImport);
  try {
    dmzq.DataModuleCreate();
  } catch (const std::exception& e) {
    // Start-up goes on without the Solvo connection; later commands report
    // their own failures.
    PokazKomunikat(e.what());
  }
  okno.Pokaz(PlikIstnieje("debug_import.txt") && WartoscPrzelacznika("SHOW") == "1");
  petla.Run();
  return 0;
}
