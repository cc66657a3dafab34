#include "subiektgt/dm_import_subiekt.h"

#include "app/konfiguracja.h"

TDMImportSubiekt::TDMImportSubiekt(fb::Database& bazaSolvo)
    : T(&bazaSolvo, fb::EndAction::Rollback),
      IBQ_KONFIMPORT(&bazaSolvo, &T),
      IBQ(&bazaSolvo, &T),
      qTW(&DB_Subiekt),
      qKH(&DB_Subiekt),
      qFH(&DB_Subiekt),
      qFD(&DB_Subiekt),
      qFW(&DB_Subiekt),
      qKO(&DB_Subiekt),
      qZH(&DB_Subiekt),
      qZD(&DB_Subiekt),
      qMG(&DB_Subiekt),
      qMH(&DB_Subiekt),
      qMD(&DB_Subiekt) {
  T.params = {"read_committed", "rec_version", "nowait"};
  IBQ_KONFIMPORT.SetSqlText(kZapytanieKonfImport);
}

bool TDMImportSubiekt::PolaczZSubiektem(const TOpcjeGImp& opcje, std::string& tekstBledu,
                                        const std::function<void(const std::string&)>& logujOkno) {
  tekstBledu.clear();
  if (!opcje.KonfiguracjaWczytana) return false;
  try {
    DB_Subiekt.Close();
    DB_Subiekt.dataSource = opcje.Serwer;
    DB_Subiekt.params = {"USER NAME=" + opcje.Login, "PASSWORD=" + opcje.Haslo,
                         "BLOBS TO CACHE=65535", "BLOB SIZE=999"};
    DB_Subiekt.Open();
    return true;
  } catch (const std::exception& e) {
    tekstBledu = e.what();
    if (logujOkno) logujOkno("SUB " + tekstBledu);
    return false;
  }
}

void TDMImportSubiekt::ZamknijSubiekta() noexcept { DB_Subiekt.Close(); }
