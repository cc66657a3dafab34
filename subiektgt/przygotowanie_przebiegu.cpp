// The run state prepared before the phases: cache modes, the customer that
// receives receipts, the document-type lists; and the Solvo hooks.
#include "subiektgt/dm_import_subiekt.h"
#include "subiektgt/th_subiekt_imp.h"
#include "targetdb/dm_zq.h"
#include "targetdb/transakcje.h"

namespace {

// Hook procedure suffixes by index; the Subiekt GT import uses index 6.
constexpr const char* kSufiksyHakow[] = {
    "",          "_TOWARY",    "_STANYMAG",  "_TOWARYKODY", "_KONTRAHENT", "_KONTAKTY",
    "_FAKHEAD",  "_FAKDETAIL", "_FAKWPLATY", "_MAGHEAD",    "_MAGDETAIL",
};

}  // namespace

void TThSubiektImp::UstawCache() {
  Cache.UstawSortowanie(TImportCache::kKontrahenci, !Opcje.AnalizaKontrahentow);
  Cache.UstawSortowanie(TImportCache::kTowary, !Opcje.AnalizaTowarow);
  Cache.UstawSortowanie(TImportCache::kKontakty, !Opcje.ImportKontaktow);
  Cache.UstawSortowanie(TImportCache::kFakHead, false);
  Cache.UstawSortowanie(TImportCache::kZamHead, false);
  Cache.UstawSortowanie(TImportCache::kMagazyny, false);
}

void TThSubiektImp::SprawdzKontrahentaDomyslnego() {
  if (IdKontrahentaParagonow != -1) return;
  LogujDoPliku("  Sprawdzanie kontrahenta domyślnego...");
  fb::Query& IBQ = dm_.IBQ;
  try {
    StartujTransakcje(dm_.T);
    IBQ.Close();
    IBQ.SetSql({"SELECT FIRST 1 ID, PELNANAZWA FROM KONTRAHENT", "WHERE SKROTNAZWY=:SKROTNAZWY",
                "AND IDODDZIALU=" + std::to_string(Opcje.IdOddzialu), "AND USUNIETY=0",
                "ORDER BY ARC"});
    IBQ.ParamByName("SKROTNAZWY").SetString(Opcje.NazwaSkrotKon);
    IBQ.Open();
    if (!IBQ.Eof()) {
      IdKontrahentaParagonow = IBQ.FieldByName("ID").AsInteger();
      Loguj("  Znaleziono kontrahenta dla paragonów: \"" + IBQ.FieldByName("PELNANAZWA").AsString() +
            "\"");
    }
    IBQ.Close();
    ZatwierdzTransakcje(dm_.T);
  } catch (const std::exception&) {
    IBQ.Close();
    WycofajTransakcje(dm_.T);
    throw;
  }
  LogujDoPliku("  ID=" + std::to_string(IdKontrahentaParagonow) +
               " (-1 -> brak kontrahenta domyślnego)");
  if (IdKontrahentaParagonow == -1)
    Loguj("Brak kontrahenta dla paragonów (paragony nie będą importowane)");
}

void TThSubiektImp::UstalTypyDokumentow() {
  TypyFaktur.clear();
  TypyZamowien.clear();
  TypyMagazynowe.clear();
  if (Opcje.ImportSprzedazy && IdKontrahentaParagonow != -1) TypyFaktur.push_back(21);
  if (Opcje.ImportSprzedazy) TypyFaktur.insert(TypyFaktur.end(), {2, 6, 4, 14});
  if (Opcje.ImportZakupu) TypyFaktur.insert(TypyFaktur.end(), {1, 5, 3});
  if (Opcje.ImportZamowien) TypyZamowien.push_back(16);
  if (Opcje.ImportMagazynowych) TypyMagazynowe.insert(TypyMagazynowe.end(), {10, 11});
}

TThSubiektImp::TOdpowiedzHaka TThSubiektImp::WywolajHak(const char* procedura,
                                                        const char* etykieta, int indeks) {
  StartujTransakcje(dmzq_.Transaction);
  fb::Query& q = dmzq_.IBSP_BeforeAfter;
  q.Close();
  q.SetSql({"SELECT p.ORESULT, p.OMESSAGE",
            std::string("FROM ") + procedura + kSufiksyHakow[indeks] + "(:AIDKONFIMPORT) p"});
  q.ParamByName("AIDKONFIMPORT").SetInteger(Opcje.IdKonfImport);
  q.Open();
  TOdpowiedzHaka odpowiedz;
  odpowiedz.OMESSAGE = q.FieldByName("OMESSAGE").AsString();
  odpowiedz.ORESULT = q.FieldByName("ORESULT").AsInteger();
  ZatwierdzTransakcje(dmzq_.Transaction);
  Loguj(std::string(etykieta) + std::to_string(odpowiedz.ORESULT) + " " + odpowiedz.OMESSAGE);
  return odpowiedz;
}

TThSubiektImp::TOdpowiedzHaka TThSubiektImp::WywolajOnBefore(int indeks) {
  return WywolajHak("SP_ON_BEFORE_I", "Before: ", indeks);
}

TThSubiektImp::TOdpowiedzHaka TThSubiektImp::WywolajOnAfter(int indeks) {
  return WywolajHak("SP_ON_AFTER_I", "After: ", indeks);
}

bool TThSubiektImp::TestujPolaczenie() {
  Loguj("  Testowanie połączenia z bazą:");
  odbc::Query& qKH = dm_.qKH;
  try {
    qKH.Close();
    qKH.SetSql({"SELECT MAG_ID FROM DBO.SL_MAGAZYN"});
    qKH.Open();
    Loguj("  Połączenie testowe OK.");
    qKH.Close();
    return true;
  } catch (const std::exception& e) {
    qKH.Close();
    Loguj("  Błąd podczas połączenia: \r\n  Błąd systemowy: " + std::string(e.what()));
    return false;
  }
}
