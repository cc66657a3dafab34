#include "subiektgt/magazyny.h"

#include "importcore/konwencje_importu.h"
#include "importcore/odmiana.h"
#include "platform/text/win1250.h"
#include "subiektgt/dm_import_subiekt.h"
#include "subiektgt/th_subiekt_imp.h"
#include "targetdb/dm_zq.h"
#include "targetdb/transakcje.h"

namespace {

bool Odstep(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string WCudzyslowieSql(const std::string& tekst) {
  std::string wynik = "'";
  for (char c : tekst) {
    wynik += c;
    if (c == '\'') wynik += '\'';
  }
  return wynik + "'";
}

}  // namespace

std::vector<std::string> RozbijMagazynDef(const std::string& def) {
  std::vector<std::string> symbole;
  std::size_t i = 0;
  const std::size_t n = def.size();
  auto pominOdstepy = [&] {
    while (i < n && Odstep(def[i])) ++i;
  };
  pominOdstepy();
  while (i < n) {
    std::string symbol;
    if (def[i] == '"') {
      ++i;
      while (i < n) {
        if (def[i] == '"') {
          if (i + 1 < n && def[i + 1] == '"') {
            symbol += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        symbol += def[i++];
      }
    } else {
      const std::size_t poczatek = i;
      while (i < n && !Odstep(def[i]) && def[i] != ',') ++i;
      symbol = def.substr(poczatek, i - poczatek);
    }
    symbole.push_back(std::move(symbol));
    pominOdstepy();
    if (i < n && def[i] == ',') {
      ++i;
      pominOdstepy();
    }
  }
  return symbole;
}

std::vector<std::string> ZapytanieMagazynow(const std::vector<std::string>& symbole) {
  std::vector<std::string> linie = {"SELECT", "  MAG_ID, MAG_SYMBOL, MAG_NAZWA",
                                    "FROM DBO.SL_MAGAZYN"};
  if (!symbole.empty()) {
    linie.emplace_back("WHERE MAG_SYMBOL IN (");
    for (std::size_t k = 0; k < symbole.size(); ++k)
      linie.push_back(WCudzyslowieSql(symbole[k]) + (k + 1 < symbole.size() ? "," : ""));
    linie.emplace_back(")");
  }
  linie.emplace_back("ORDER BY MAG_ID");
  return linie;
}

void ZapiszMagazyn(fb::StoredProc& IBSPSL, fb::Query& UpdateSlownik, std::int32_t& idSolvo,
                   const TMagazyn& magazyn, const TOpcjeGImp& opcje) {
  IBSPSL.Params(1).SetInteger(kTypSlownikaMagazyny);
  IBSPSL.Params(2).SetString(text::FirstChars(text::UpperWin1250(magazyn.MAG_NAZWA), 80));
  IBSPSL.Params(3).SetInteger(opcje.IdOddzialu);
  IBSPSL.Params(4).SetInteger(opcje.IdOperatora);
  IBSPSL.ExecProc();
  idSolvo = IBSPSL.Params(0).AsInteger();

  UpdateSlownik.Close();
  UpdateSlownik.ParamByName("ID").SetInteger(idSolvo);
  UpdateSlownik.ParamByName("INFOSTRING")
      .SetString(text::FirstChars(text::UpperWin1250(magazyn.MAG_SYMBOL), 80));
  UpdateSlownik.ExecSQL();
}

void TThSubiektImp::ImportujMagazyny() {
  Loguj("Rozpoczynam import magazynów...");
  WybraneMagazyny.clear();
  Opcje.MagazynDef = text::Trim(Opcje.MagazynDef);
  odbc::Query& qMG = dm_.qMG;
  std::string kolumny;
  try {
    qMG.Close();
    qMG.SetSql(ZapytanieMagazynow(RozbijMagazynDef(Opcje.MagazynDef)));
    qMG.Open();
    if (!Przerwany()) {
      const int liczba = qMG.FetchAll();
      PostepStart(0, liczba);
      Loguj("  Rekordów do analizy: " + std::to_string(liczba));
      LogujSzczegolowo("MAG_ID MAG_SYMBOL MAG_NAZWA IDSOLVO");
      StartujTransakcje(dmzq_.Transaction);
      bool doKonca = true;
      for (; !qMG.Eof(); qMG.Next(), PostepKrok()) {
        if (Przerwany()) {
          doKonca = false;
          break;
        }
        TMagazyn magazyn;
        magazyn.MAG_ID = qMG.FieldByName("MAG_ID").AsInteger();
        magazyn.MAG_SYMBOL = qMG.FieldByName("MAG_SYMBOL").AsString();
        magazyn.MAG_NAZWA = qMG.FieldByName("MAG_NAZWA").AsString();
        kolumny = "\"" + std::to_string(magazyn.MAG_ID) + "\" \"" + magazyn.MAG_SYMBOL + "\" \"" +
                  magazyn.MAG_NAZWA + "\"";
        std::int32_t idSolvo = -1;
        ZapiszMagazyn(dmzq_.IBSPSL, dmzq_.UpdateSlownik, idSolvo, magazyn, Opcje);
        Cache.Dodaj(TImportCache::kMagazyny, magazyn.MAG_ID, idSolvo);
        LogujSzczegolowo(kolumny + " \"" + std::to_string(idSolvo) + "\"");
        WybraneMagazyny.push_back(magazyn.MAG_ID);
      }
      if (doKonca) ZatwierdzTransakcje(dmzq_.Transaction);
    }
  } catch (const std::exception& e) {
    ObsluzBladFazy(*this, dmzq_.Transaction, "MG Wyjątek(1)", e, kolumny);
  }
  qMG.Close();
  if (Przerwany()) return;
  Loguj("Pobrano informację o " +
        Odmiana(static_cast<std::int64_t>(WybraneMagazyny.size()), "magazynie", "magazynach", "",
                true));
  Loguj("");
  Cache.UstawSortowanie(TImportCache::kMagazyny, true);
}
