// The run lock: two imports of the same configuration must not run at once,
// from this computer or another. The lock is a row in the Solvo database.
#include "app/komunikat.h"
#include "app/pliki.h"
#include "platform/system/files.h"
#include "targetdb/dm_zq.h"
#include "targetdb/transakcje.h"

namespace {

// "debug.txt" beside the program file lets lock errors reach the screen.
bool JestZnacznikDebug() {
  return PlikIstnieje(sys::DirectoryOf(sys::ExecutablePath()) + "debug.txt");
}

}  // namespace

bool TDMZQ::ZalozBlokade(int typObiektu, int idObiektu, int idSesji, int& idBlokady) {
  bool przyznana = false;
  try {
    StartujTransakcje(T_BLOKADY);
    SP_ZALOZBLOKADE.ParamByName("ATYPOBIEKTU").SetInteger(typObiektu);
    SP_ZALOZBLOKADE.ParamByName("AIDOBIEKTU").SetInteger(idObiektu);
    SP_ZALOZBLOKADE.ParamByName("AIDSESJI").SetInteger(idSesji);
    SP_ZALOZBLOKADE.ExecProc();
    idBlokady = SP_ZALOZBLOKADE.ParamByName("OIDBLOKADY").AsInteger();
    ZatwierdzTransakcje(T_BLOKADY);
    przyznana = idBlokady > 0;
  } catch (const std::exception& e) {
    try {
      WycofajTransakcje(T_BLOKADY);
    } catch (const std::exception&) {
    }
    if (JestZnacznikDebug()) PokazKomunikat(e.what());
  }
  return przyznana;
}
