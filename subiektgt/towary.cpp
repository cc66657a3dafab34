#include "subiektgt/towary.h"

#include <optional>

#include "importcore/konwencje_importu.h"
#include "importcore/przebieg_importu.h"
#include "platform/odbc/query.h"
#include "platform/text/win1250.h"
#include "subiektgt/dm_import_subiekt.h"
#include "subiektgt/th_subiekt_imp.h"
#include "subiektgt/zrodlo_odbc.h"
#include "targetdb/dm_zq.h"

const TTowar UslugaJednorazowa = [] {
  TTowar t;
  t.AIDTOWARZEW = "USŁUGA JEDNORAZOWA";
  t.ANUMERDOKZEW = "USŁUGA JEDNORAZOWA";
  t.ASKROTNAZWY = "USŁUGA JEDNORAZOWA";
  t.ANAZWA = "USŁUGA JEDNORAZOWA";
  t.AIDFORMULY = -1;
  t.AIDFORMULYGWAR = -1;
  t.AIDGWARANCJI = -1;
  t.AIDRODZAJ = 0;
  return t;
}();

namespace {

// The products query up to its ending; $MAG_ID$ restricts the stock to the
// selected warehouses.
constexpr const char* kZapytanieTowarow =
    "SELECT \r\n"
    "  TW.TW_ID, TW.TW_SYMBOL, TW.TW_NAZWA, TW.TW_SWW, TW.TW_PODSTKODKRESK, TW.TW_JEDNMIARY, \r\n"
    "  TC.TC_CENANETTO0, TC.TC_CENANETTO1, TC.TC_CENANETTO2, TC.TC_CENANETTO3, "
    "TC.TC_CENANETTO4, \r\n"
    "  TC.TC_CENANETTO5, \r\n"
    "  GTW.GRT_NAZWA, \r\n"
    "  SV.VAT_STAWKA, \r\n"
    "  (SELECT SUM(ST_STAN) FROM DBO.TW_STAN WHERE ST_TOWID=TW.TW_ID $MAG_ID$) ST_STAN, \r\n"
    "  TW.TW_KODTOWARU, TW.TW_PKWIU, TW.TW_OPIS, TW.TW_MASA, TW.TW_RODZAJ \r\n"
    "FROM DBO.TW__TOWAR TW \r\n"
    "LEFT JOIN DBO.TW_CENA TC ON TC.TC_IDTOWAR=TW.TW_ID \r\n"
    "LEFT JOIN DBO.SL_GRUPATW GTW ON GTW.GRT_ID=TW.TW_IDGRUPA \r\n"
    "LEFT JOIN DBO.SL_STAWKAVAT SV ON SV.VAT_ID=TW.TW_IDVATSP \r\n"
    "WHERE 0=0\r\n";
constexpr std::string_view kZnacznikMagazynow = "$MAG_ID$";

// Product kind: TW_RODZAJ → AIDRODZAJ.
struct TRodzajTowaru {
  std::int32_t TW_RODZAJ;
  std::int32_t AIDRODZAJ;
};
constexpr TRodzajTowaru kRodzajeTowarow[] = {{1, 0}, {2, 1}, {4, 4}, {8, 2}, {16, 3}};

// The product flags, each from one bit of OPCJEIMPORTU.
struct TFlagaTowaru {
  int bit;
  std::int32_t TTowar::*pole;
};
constexpr TFlagaTowaru kFlagiTowaru[] = {
    {15, &TTowar::AHANDLOWY},    {16, &TTowar::APROMOCYJNY}, {17, &TTowar::ASERWISOWY},
    {18, &TTowar::APRODUKCYJNY}, {19, &TTowar::APRODUKT},
};

struct TLicznikiTowarow {
  int nowych = 0;
  int starych = 0;
  int zaktualizowanych = 0;
};

// The outcomes of SP_IMPORTUJTOWAR the phase accepts; any other code is
// neither counted nor logged and caches nothing.
struct TWynikTowaru {
  int kod;
  int TLicznikiTowarow::*licznik;
  const char* tag;
};
using L = TLicznikiTowarow;
constexpr TWynikTowaru kWynikiTowaru[] = {
    {0, &L::nowych, "TW DOD: "},
    {1, &L::starych, "TW STA: "},
    {2, &L::zaktualizowanych, "TW AKT: "},
};

const TWynikTowaru* WynikTowaru(int kod) {
  for (const TWynikTowaru& w : kWynikiTowaru) {
    if (w.kod == kod) return &w;
  }
  return nullptr;
}

// The columns of the products query, looked up once the query is open;
// each reads the current row. TW_SWW is fetched but not used.
struct TPolaTowaru {
  explicit TPolaTowaru(const odbc::Query& q)
      : TW_ID(q.FieldByName("TW_ID")),
        TW_SYMBOL(q.FieldByName("TW_SYMBOL")),
        TW_NAZWA(q.FieldByName("TW_NAZWA")),
        TW_PODSTKODKRESK(q.FieldByName("TW_PODSTKODKRESK")),
        TW_JEDNMIARY(q.FieldByName("TW_JEDNMIARY")),
        TC_CENANETTO0(q.FieldByName("TC_CENANETTO0")),
        TC_CENANETTO1(q.FieldByName("TC_CENANETTO1")),
        TC_CENANETTO2(q.FieldByName("TC_CENANETTO2")),
        TC_CENANETTO3(q.FieldByName("TC_CENANETTO3")),
        TC_CENANETTO4(q.FieldByName("TC_CENANETTO4")),
        TC_CENANETTO5(q.FieldByName("TC_CENANETTO5")),
        GRT_NAZWA(q.FieldByName("GRT_NAZWA")),
        VAT_STAWKA(q.FieldByName("VAT_STAWKA")),
        ST_STAN(q.FieldByName("ST_STAN")),
        TW_KODTOWARU(q.FieldByName("TW_KODTOWARU")),
        TW_PKWIU(q.FieldByName("TW_PKWIU")),
        TW_OPIS(q.FieldByName("TW_OPIS")),
        TW_MASA(q.FieldByName("TW_MASA")),
        TW_RODZAJ(q.FieldByName("TW_RODZAJ")) {}

  odbc::Field TW_ID, TW_SYMBOL, TW_NAZWA, TW_PODSTKODKRESK, TW_JEDNMIARY, TC_CENANETTO0,
      TC_CENANETTO1, TC_CENANETTO2, TC_CENANETTO3, TC_CENANETTO4, TC_CENANETTO5, GRT_NAZWA,
      VAT_STAWKA, ST_STAN, TW_KODTOWARU, TW_PKWIU, TW_OPIS, TW_MASA, TW_RODZAJ;
};

void WypelnijTowar(TTowar& t, const TPolaTowaru& p) {
  t.AIDTOWARZEW = std::to_string(p.TW_ID.AsInteger());
  t.ANUMERDOKZEW = p.TW_SYMBOL.AsString();
  t.AKOD = p.TW_PODSTKODKRESK.AsString();
  t.ASKROTNAZWY = t.ANUMERDOKZEW;
  t.ANAZWA = p.TW_NAZWA.AsString();
  t.AARC = 0;
  t.AILOSCDNI = 0;
  t.ACENA0 = p.TC_CENANETTO1.AsFloat();
  t.ACENA1 = p.TC_CENANETTO2.AsFloat();
  t.ACENA2 = p.TC_CENANETTO3.AsFloat();
  t.ACENA3 = p.TC_CENANETTO4.AsFloat();
  t.ACENA4 = p.TC_CENANETTO5.AsFloat();
  t.ACENAZAKUPU = p.TC_CENANETTO0.AsFloat();
  t.ASWW = p.TW_PKWIU.AsString();
  t.AILOSC = p.ST_STAN.AsFloat();
  t.ASTANMIN = 0;
  t.AMAXRABATPROC = 0;
  t.AKODTOWARU = p.TW_KODTOWARU.AsString();
  t.AMASA = p.TW_MASA.AsFloat();
  t.ADLUGOSC = 0;
  t.ASZEROKOSC = 0;
  t.AWYSOKOSC = 0;
  t.AIDFORMULY = -1;
  t.AWSPOLCZYNNIK = 0;
  t.AIDFORMULYGWAR = -1;
  t.AIDGWARANCJI = 0;
  t.AGRUPATOWAROWA = p.GRT_NAZWA.AsString();
  t.APODGRUPA.clear();
  t.AVAT = p.VAT_STAWKA.AsString() + " %";
  t.AJM = p.TW_JEDNMIARY.AsString();
  t.AMODYFIKATOR = p.TW_OPIS.AsString();
  t.AIDRODZAJ = RodzajTowaru(p.TW_RODZAJ.AsInteger());
}

// The work of one row, shared by the whole pass and the single import.
class TWierszTowaru {
 public:
  TWierszTowaru(TThSubiektImp& watek, fb::StoredProc& IBSPTW, const odbc::Query& qTW)
      : watek_(watek),
        IBSPTW_(IBSPTW),
        qTW_(qTW),
        wzor_(PrzygotujTowar(watek.Opcje)),
        doCache_(watek.Opcje.ImportSprzedazy || watek.Opcje.ImportZakupu ||
                 watek.Opcje.ImportZamowien || watek.Opcje.ImportMagazynowych) {}

  // The current row of qTW: record, procedure, counters, log line, cache.
  void Wykonaj();
  // The symbol of the row being handled, for the detailed log after an
  // error; empty before its symbol was read.
  const std::string& Klucz() const { return towar_.ANUMERDOKZEW; }

  TLicznikiTowarow liczniki;
  // The Solvo id of the last product accepted.
  std::int32_t wynik = -1;

 private:
  TThSubiektImp& watek_;
  fb::StoredProc& IBSPTW_;
  const odbc::Query& qTW_;
  // PrzygotujTowar's record; the settings do not change during a call.
  const TTowar wzor_;
  // Only the document phases ask for products later in the run.
  const bool doCache_;
  std::optional<TPolaTowaru> pola_;
  TTowar towar_;
};

void TWierszTowaru::Wykonaj() {
  if (!pola_) pola_.emplace(qTW_);
  towar_ = wzor_;
  const std::int32_t twId = pola_->TW_ID.AsInteger();
  WypelnijTowar(towar_, *pola_);
  NormalizujTowar(towar_);

  std::int32_t idSolvo = -1;
  const int akcja = ZapiszTowar(IBSPTW_, kIdSystemuSubiekt, watek_.Opcje, idSolvo, towar_);
  const TWynikTowaru* w = WynikTowaru(akcja);
  if (w == nullptr) return;
  ++(liczniki.*(w->licznik));
  if (watek_.LogSzczegolowy())
    watek_.LogujSzczegolowo(w->tag + TekstKolumn({towar_.ASKROTNAZWY, towar_.ANAZWA,
                                                  towar_.AIDTOWARZEW, std::to_string(idSolvo)}));
  // The row's own id: a refused row must not cache the id of the row
  // accepted before it.
  wynik = idSolvo;
  if (doCache_) watek_.Cache.Dodaj(TImportCache::kTowary, twId, idSolvo);
}

constexpr const char* kNaglowekWyjatku = "TW Wyjątek(1)";

}  // namespace

TTowar PrzygotujTowar(const TOpcjeGImp& opcje) {
  TTowar t;
  t.AIDFORMULYGWAR = -1;
  t.AIDGWARANCJI = -1;
  t.AIDRODZAJ = -1;
  const auto maska = static_cast<std::uint32_t>(opcje.OpcjeImportu);
  for (const TFlagaTowaru& f : kFlagiTowaru)
    t.*f.pole = static_cast<std::int32_t>((maska >> f.bit) & 1u);
  return t;
}

void NormalizujTowar(TTowar& t) {
  for (std::string* tekst :
       {&t.AIDTOWARZEW, &t.ANUMERDOKZEW, &t.AKOD, &t.ASKROTNAZWY, &t.ANAZWA, &t.ASWW, &t.AKODTOWARU,
        &t.AGRUPATOWAROWA, &t.APODGRUPA, &t.AVAT, &t.AJM})
    *tekst = text::Trim(text::UpperWin1250(*tekst));
}

std::int32_t RodzajTowaru(std::int32_t twRodzaj) {
  for (const TRodzajTowaru& r : kRodzajeTowarow) {
    if (r.TW_RODZAJ == twRodzaj) return r.AIDRODZAJ;
  }
  return -1;
}

std::string ZapytanieTowarow(const std::vector<std::int32_t>& wybraneMagazyny, bool jedenTowar) {
  std::string magazyny;
  if (!wybraneMagazyny.empty()) {
    magazyny = "AND ST_MAGID IN (";
    for (std::size_t i = 0; i < wybraneMagazyny.size(); ++i) {
      if (i > 0) magazyny += ',';
      magazyny += std::to_string(wybraneMagazyny[i]);
    }
    magazyny += ')';
  }
  std::string sql = kZapytanieTowarow;
  sql.replace(sql.find(kZnacznikMagazynow), kZnacznikMagazynow.size(), magazyny);
  sql += jedenTowar ? "AND TW.TW_ID=:ID \r\n" : "ORDER BY TW.TW_ID \r\n";
  return sql;
}

int ZapiszTowar(fb::StoredProc& IBSPTW, int idSystemu, const TOpcjeGImp& opcje,
                std::int32_t& idSolvo, const TTowar& t) {
  auto tekst = [&IBSPTW](std::size_t i, const std::string& s, std::size_t szerokosc) {
    IBSPTW.Params(i).SetString(text::FirstChars(s, szerokosc));
  };
  auto liczba = [&IBSPTW](std::size_t i, std::int64_t v) { IBSPTW.Params(i).SetInteger(v); };
  auto kwota = [&IBSPTW](std::size_t i, double v) { IBSPTW.Params(i).SetFloat(v); };

  liczba(2, idSystemu);          // AIDSYSTEM
  liczba(3, opcje.IdOddzialu);   // AIDODDZIALU
  liczba(4, kTabelaTowary);      // AIDTABELITOWARY
  liczba(5, kTabelaTowary);      // AIDTABELITOWARYZEW
  tekst(6, t.AIDTOWARZEW, 100);  // AIDTOWARZEW
  IBSPTW.Params(7).SetString(    // ANUMERDOKZEW
      text::UpperWin1250(text::Trim(text::FirstChars(t.ANUMERDOKZEW, 50))));
  liczba(8, opcje.WersjaZrodla);  // AWERSJAZRODLA
  tekst(9, t.AKOD, 50);           // AKOD
  IBSPTW.Params(10).SetString(    // ASKROTNAZWY
      text::UpperWin1250(text::FirstChars(t.ASKROTNAZWY, 30)));
  tekst(11, t.ANAZWA, 250);                       // ANAZWA
  liczba(12, opcje.IdOperatora);                  // AIDOPERATORA
  liczba(13, t.AILOSCDNI);                        // AILOSCDNI
  liczba(14, 0);                                  // AUSUNIETY
  liczba(15, t.AHANDLOWY);                        // AHANDLOWY
  liczba(16, t.APROMOCYJNY);                      // APROMOCYJNY
  kwota(17, t.ACENA0);                            // ACENA0
  kwota(18, t.ACENA1);                            // ACENA1
  kwota(19, t.ACENA2);                            // ACENA2
  kwota(20, t.ACENA3);                            // ACENA3
  kwota(21, t.ACENA4);                            // ACENA4
  liczba(22, t.ASERWISOWY);                       // ASERWISOWY
  liczba(23, t.AARC);                             // AARC
  liczba(24, 0);                                  // AEDIT
  tekst(25, t.ASWW, 50);                          // ASWW
  kwota(26, t.AILOSC);                            // AILOSC
  tekst(27, t.AKODTOWARU, 50);                    // AKODTOWARU
  liczba(28, t.APRODUKCYJNY);                     // APRODUKCYJNY
  kwota(29, t.AMASA);                             // AMASA
  kwota(30, t.ADLUGOSC);                          // ADLUGOSC
  kwota(31, t.ASZEROKOSC);                        // ASZEROKOSC
  kwota(32, t.AWYSOKOSC);                         // AWYSOKOSC
  liczba(33, 1);                                  // ASYNC
  liczba(34, -1);                                 // AEXXID
  liczba(35, t.AIDFORMULY);                       // AIDFORMULY
  kwota(36, t.AWSPOLCZYNNIK);                     // AWSPOLCZYNNIK
  liczba(37, t.AIDFORMULYGWAR);                   // AIDFORMULYGWAR
  kwota(38, t.ACENAZAKUPU);                       // ACENAZAKUPU
  liczba(39, t.APRODUKT);                         // APRODUKT
  liczba(40, t.AIDGWARANCJI);                     // AIDGWARANCJI
  tekst(41, t.AGRUPATOWAROWA, 80);                // AGRUPATOWAROWA
  tekst(42, t.APODGRUPA, 80);                     // APODGRUPA
  tekst(43, t.AVAT, 80);                          // AVAT
  tekst(44, t.AJM, 80);                           // AJM
  liczba(45, opcje.TowaryWszystkieDane ? 1 : 0);  // AOPCJE_TOWARYWSZYSTKIEDANE
  liczba(46, opcje.OpcjeAktualizacji);            // AOPCJE_AKTUALIZACJI
  kwota(47, t.ASTANMIN);                          // ASTANMIN
  liczba(48, opcje.DodatkoweOpcje);               // ADODATKOWEOPCJE
  IBSPTW.Params(49).SetString(t.AMODYFIKATOR);    // AMODYFIKATOR, a blob: whole
  kwota(50, t.AMAXRABATPROC);                     // AMAXRABATPROC
  liczba(51, t.AIDRODZAJ);                        // AIDRODZAJ

  IBSPTW.ExecProc();
  idSolvo = IBSPTW.Params(0).AsInteger();  // OIDTOWAR
  return IBSPTW.Params(1).AsInteger();     // OAKCJA
}

int TThSubiektImp::ImportujTowary(std::int64_t id) {
  odbc::Query& qTW = dm_.qTW;
  TZrodloOdbc zrodlo(qTW);
  TWierszTowaru wiersz(*this, dmzq_.IBSPTW, qTW);

  if (id == -1) {
    if (!Opcje.AnalizaTowarow) return -1;
    TPrzebiegCalejBazy przebieg;
    przebieg.liniaStartu = "Rozpoczynam import towarów...";
    przebieg.tekstZapytania = ZapytanieTowarow(WybraneMagazyny, false);
    przebieg.naglowekKolumn = "AKCJA SKROT_NAZWY NAZWA IDZEWNETRZNE IDSOLVO";
    przebieg.naglowekWyjatku = kNaglowekWyjatku;
    przebieg.wiersz = [&wiersz] { wiersz.Wykonaj(); };
    // Asked for only when the pass failed: the rows since the last commit
    // are gone, so no id of theirs is answered.
    przebieg.kluczWiersza = [&wiersz] {
      wiersz.wynik = -1;
      return wiersz.Klucz();
    };
    przebieg.podsumowanie = [this, &wiersz] {
      const TLicznikiTowarow& l = wiersz.liczniki;
      Loguj("  Nowych: " + std::to_string(l.nowych) + ", starych: " + std::to_string(l.starych) +
            ", zaktualizowanych: " + std::to_string(l.zaktualizowanych));
      Cache.UstawSortowanie(TImportCache::kTowary, true);
    };
    przebieg.jednostkaTempa = "towarów";
    WykonajPrzebieg(*this, dmzq_.Transaction, zrodlo, przebieg);
    return wiersz.wynik;
  }

  // One product for a document line, inside that phase's transaction.
  std::int32_t idSolvo = -1;
  if (Cache.Znajdz(TImportCache::kTowary, id, idSolvo)) return idSolvo;
  try {
    zrodlo.Zamknij();
    zrodlo.UstawTekst(ZapytanieTowarow(WybraneMagazyny, true));
    qTW.ParamByName("ID").SetInteger(id);
    zrodlo.Otworz();
    for (; !zrodlo.Koniec(); zrodlo.Nastepny()) {
      if (Przerwany()) break;
      wiersz.Wykonaj();
    }
  } catch (const std::exception& e) {
    ObsluzBladFazy(*this, dmzq_.Transaction, kNaglowekWyjatku, e, wiersz.Klucz());
    wiersz.wynik = -1;
  }
  zrodlo.Zamknij();
  return wiersz.wynik;
}
