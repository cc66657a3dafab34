#include "subiektgt/kontrahenci.h"

#include <optional>

#include "importcore/konwencje_importu.h"
#include "importcore/przebieg_importu.h"
#include "platform/odbc/query.h"
#include "platform/text/win1250.h"
#include "subiektgt/dm_import_subiekt.h"
#include "subiektgt/th_subiekt_imp.h"
#include "subiektgt/zrodlo_odbc.h"
#include "targetdb/dm_zq.h"

namespace {

// The customers query up to its ending. A customer whose symbol is the
// placeholder of twenty asterisks gets the placeholder, a blank and its id,
// so that Solvo sees distinct short names.
constexpr const char* kZapytanieKontrahentow =
    "SELECT \r\n"
    "  KH.KH_ID, \r\n"
    "  CASE WHEN KH.KH_SYMBOL = '********************' THEN KH.KH_SYMBOL + ' ' + CAST(KH.KH_ID AS "
    "VARCHAR) ELSE KH.KH_SYMBOL END KH_SYMBOL, \r\n"
    "  KH.KH_REGON, KH.KH_EMAIL, KH.KH_WWW, \r\n"
    "  KH.KH_KONTAKT, KH.KH_UWAGI, KH.KH_MAXWARTKRED, KH.KH_PRACOWNIK, \r\n"
    "  KH.KH_CENA, KH.KH_RODZAJ, \r\n"
    "  ADR.ADR_NAZWA,ADR.ADR_ULICA, ADR.ADR_NRDOMU, ADR.ADR_NRLOKALU, \r\n"
    "  ADR.ADR_KOD, ADR.ADR_MIEJSCOWOSC, ADR.ADR_NIP, ADR.ADR_NAZWAPELNA,\r\n"
    "  ADR.ADR_TELEFON, ADR.ADR_FAKS, \r\n"
    "  GRK.GRK_NAZWA, \r\n"
    "  WOJ.WOJ_NAZWA, PA.PA_NAZWA, \r\n"
    "  COALESCE(RT.RT_PROCENT, -1) RT_PROCENT, \r\n"
    "  FP.FP_TERMIN \r\n"
    "FROM DBO.KH__KONTRAHENT KH \r\n"
    "LEFT JOIN DBO.ADR__EWID ADR ON ADR.ADR_IDOBIEKTU=KH.KH_ID AND ADR.ADR_TYPADRESU=1 \r\n"
    "LEFT JOIN DBO.SL_GRUPAKH GRK ON GRK.GRK_ID=KH.KH_IDGRUPA \r\n"
    "LEFT JOIN DBO.SL_WOJEWODZTWO WOJ ON WOJ.WOJ_ID=ADR.ADR_IDWOJEWODZTWO \r\n"
    "LEFT JOIN DBO.SL_PANSTWO PA ON PA.PA_ID=ADR.ADR_IDPANSTWO \r\n"
    "LEFT JOIN DBO.SL_RABAT RT ON RT.RT_ID=KH.KH_IDRABAT \r\n"
    "LEFT JOIN DBO.SL_FORMAPLATNOSCI FP ON FP.FP_ID = KH.KH_IDFORMAP \r\n"
    "WHERE 0=0 \r\n";

// The counters of a whole pass besides the rows, in the summary's order.
struct TLicznikiKontrahentow {
  int nowych = 0;
  int starych = 0;
  int zaktualizowanych = 0;
  int wieluPasujacych = 0;
  int powtorzonychKodow = 0;
};

// What the phase makes of an outcome of SP_IMPORTUJKONTRAHENTA.
struct TWynikKontrahenta {
  int kod;
  int TLicznikiKontrahentow::*licznik;  // nullptr: not counted
  const char* tag;
  const char* odrzut;  // nullptr: no reject line
  bool przyjety;       // its id becomes the result and may be cached
};

using L = TLicznikiKontrahentow;
constexpr TWynikKontrahenta kWynikiKontrahenta[] = {
    {0, &L::nowych, "KH DOD: ", nullptr, true},
    {1, &L::zaktualizowanych, "KH AKT: ", nullptr, true},
    {4, &L::starych, "KH STA: ", nullptr, true},
    {5, &L::wieluPasujacych, "KH BL1: ", "Kontrahentowi odpowiada za dużo rekordów: ", false},
    {6, &L::powtorzonychKodow, "KH SKR: ", "Inny kontrahent ma ten sam skrót: ", false},
    {7, nullptr, "KH BL2: ", "Opcje nie pozwalają na dodanie kontrahenta: ", false},
};

// nullptr for the codes the phase neither counts nor logs.
const TWynikKontrahenta* WynikKontrahenta(int kod) {
  for (const TWynikKontrahenta& w : kWynikiKontrahenta) {
    if (w.kod == kod) return &w;
  }
  return nullptr;
}

// The columns of the customers query, looked up once the query is open;
// each reads the current row.
struct TPolaKontrahenta {
  explicit TPolaKontrahenta(const odbc::Query& q)
      : KH_ID(q.FieldByName("KH_ID")),
        KH_SYMBOL(q.FieldByName("KH_SYMBOL")),
        KH_REGON(q.FieldByName("KH_REGON")),
        KH_EMAIL(q.FieldByName("KH_EMAIL")),
        KH_WWW(q.FieldByName("KH_WWW")),
        KH_KONTAKT(q.FieldByName("KH_KONTAKT")),
        KH_UWAGI(q.FieldByName("KH_UWAGI")),
        KH_MAXWARTKRED(q.FieldByName("KH_MAXWARTKRED")),
        KH_PRACOWNIK(q.FieldByName("KH_PRACOWNIK")),
        KH_CENA(q.FieldByName("KH_CENA")),
        KH_RODZAJ(q.FieldByName("KH_RODZAJ")),
        ADR_ULICA(q.FieldByName("ADR_ULICA")),
        ADR_NRDOMU(q.FieldByName("ADR_NRDOMU")),
        ADR_NRLOKALU(q.FieldByName("ADR_NRLOKALU")),
        ADR_KOD(q.FieldByName("ADR_KOD")),
        ADR_MIEJSCOWOSC(q.FieldByName("ADR_MIEJSCOWOSC")),
        ADR_NIP(q.FieldByName("ADR_NIP")),
        ADR_NAZWAPELNA(q.FieldByName("ADR_NAZWAPELNA")),
        ADR_TELEFON(q.FieldByName("ADR_TELEFON")),
        ADR_FAKS(q.FieldByName("ADR_FAKS")),
        GRK_NAZWA(q.FieldByName("GRK_NAZWA")),
        WOJ_NAZWA(q.FieldByName("WOJ_NAZWA")),
        PA_NAZWA(q.FieldByName("PA_NAZWA")),
        RT_PROCENT(q.FieldByName("RT_PROCENT")),
        FP_TERMIN(q.FieldByName("FP_TERMIN")) {}

  odbc::Field KH_ID, KH_SYMBOL, KH_REGON, KH_EMAIL, KH_WWW, KH_KONTAKT, KH_UWAGI, KH_MAXWARTKRED,
      KH_PRACOWNIK, KH_CENA, KH_RODZAJ, ADR_ULICA, ADR_NRDOMU, ADR_NRLOKALU, ADR_KOD,
      ADR_MIEJSCOWOSC, ADR_NIP, ADR_NAZWAPELNA, ADR_TELEFON, ADR_FAKS, GRK_NAZWA, WOJ_NAZWA,
      PA_NAZWA, RT_PROCENT, FP_TERMIN;
};

// The fields that come from the source columns as read; the notes, the tax
// number, the kind and AZRODLOKONTAKTU are set after the upper-casing.
void WypelnijKontrahenta(TKontrahentRec& k, const TPolaKontrahenta& p) {
  k.AIDKONTRAHENTZEW = std::to_string(p.KH_ID.AsInteger());
  k.ASKROTNAZWY = p.KH_SYMBOL.AsString();
  k.APELNANAZWA = p.ADR_NAZWAPELNA.AsString();
  k.AADRESDOM = p.ADR_NRDOMU.AsString();
  k.AADRESMIESZKANIE = p.ADR_NRLOKALU.AsString();
  k.AKODPOCZTOWY = p.ADR_KOD.AsString();
  k.AKRAJ = p.PA_NAZWA.AsString();
  k.AWOJEWODZTWO = p.WOJ_NAZWA.AsString();
  k.NipZrodla = p.ADR_NIP.AsString();
  k.AREGON = p.KH_REGON.AsString();
  k.ATELEFON1 = p.ADR_TELEFON.AsString();
  k.AFAX = p.ADR_FAKS.AsString();
  k.AEMAIL = p.KH_EMAIL.AsString();
  k.AWWW = p.KH_WWW.AsString();
  k.KontaktGlowny = p.KH_PRACOWNIK.AsString();
  // Unreadable remarks do not cost the customer: the notes go without them.
  try {
    k.UwagiOFirmie = p.KH_UWAGI.AsString();
  } catch (const std::exception&) {
    k.UwagiOFirmie.clear();
  }
  k.ATERMINPLATNOSCI = p.FP_TERMIN.AsInteger();
  k.AIDFORMYPLATNOSCI = 1;
  k.AFAKTKLUCZ = -1;
  k.AEXXLOGIN = p.GRK_NAZWA.AsString();
  k.AMANAGER = p.KH_KONTAKT.AsString();
  k.ALIMITWARTOSC = p.KH_MAXWARTKRED.AsFloat();
  k.ARABATPROC = p.RT_PROCENT.AsFloat() * -1;
  k.AGRUPACENOWA = GrupaCenowa(p.KH_CENA.AsInteger());
  k.AADRES = p.ADR_ULICA.AsString();
  k.AMIASTO = p.ADR_MIEJSCOWOSC.AsString();
}

// The work of one row, shared by the whole pass and the single import.
class TWierszKontrahenta {
 public:
  TWierszKontrahenta(TThSubiektImp& watek, fb::StoredProc& IBSPKH, const odbc::Query& qKH)
      : watek_(watek),
        IBSPKH_(IBSPKH),
        qKH_(qKH),
        doCache_(watek.Opcje.ImportSprzedazy || watek.Opcje.ImportZakupu ||
                 watek.Opcje.ImportZamowien || watek.Opcje.ImportMagazynowych) {}

  // The current row of qKH: record, procedure, counters, log lines, cache.
  void Wykonaj();
  // The current record for the detailed log after an error.
  std::string Klucz() const;

  TLicznikiKontrahentow liczniki;
  // The Solvo id of the last customer accepted.
  std::int32_t wynik = -1;

 private:
  TThSubiektImp& watek_;
  fb::StoredProc& IBSPKH_;
  const odbc::Query& qKH_;
  // Only the document phases ask for customers later in the run.
  const bool doCache_;
  std::optional<TPolaKontrahenta> pola_;
  std::optional<TKontrahentRec> rekord_;
};

void TWierszKontrahenta::Wykonaj() {
  if (!pola_) pola_.emplace(qKH_);
  const TPolaKontrahenta& p = *pola_;
  rekord_ = PrzygotujKontrahenta();
  TKontrahentRec& k = *rekord_;
  const std::int32_t khId = p.KH_ID.AsInteger();
  WypelnijKontrahenta(k, p);
  NormalizujKontrahenta(k);
  k.AUWAGI = UwagiKontrahenta(k.KontaktGlowny, k.UwagiOFirmie);
  k.ANIP = k.NipZrodla;
  k.AFIRMA = 1;
  k.ADATAWPISU = dt::Now();
  k.AKODPOCZTOWYKOR.clear();
  k.ATELEFON2.clear();
  k.AKIERUNEK.clear();
  k.ATELEFONKOMORKOWY.clear();
  k.ASKYPE.clear();
  k.AADRESKOR.clear();
  k.AMIASTOKOR.clear();
  k.ASTATUS.clear();
  k.ATYPKONTRAHENTA = TypKontrahenta(p.KH_RODZAJ.AsInteger());
  // The group as Subiekt GT spells it; AEXXLOGIN has it in capitals.
  k.AZRODLOKONTAKTU = p.GRK_NAZWA.AsString();

  std::int32_t idSolvo = -1;
  const int akcja = ZapiszKontrahenta(IBSPKH_, kIdSystemuSubiekt, watek_.Opcje, idSolvo, k);
  const TWynikKontrahenta* w = WynikKontrahenta(akcja);
  if (w == nullptr) return;
  if (w->licznik != nullptr) ++(liczniki.*(w->licznik));
  if (watek_.LogSzczegolowy() || w->odrzut != nullptr) {
    const std::string kolumny =
        TekstKolumn({k.ASKROTNAZWY, k.APELNANAZWA, k.ANIP, k.AIDKONTRAHENTZEW, k.AEXXLOGIN,
                     std::to_string(idSolvo)});
    watek_.LogujSzczegolowo(w->tag + kolumny);
    if (w->odrzut != nullptr) watek_.LogujOdrzut(w->odrzut + kolumny);
  }
  if (!w->przyjety) return;
  wynik = idSolvo;
  if (doCache_) watek_.Cache.Dodaj(TImportCache::kKontrahenci, khId, idSolvo);
}

std::string TWierszKontrahenta::Klucz() const {
  if (!rekord_) return "";
  return "(" + rekord_->ASKROTNAZWY + ") " + rekord_->APELNANAZWA + " " + rekord_->ANIP;
}

}  // namespace

TKontrahentRec PrzygotujKontrahenta() {
  TKontrahentRec k;
  k.APODGRUPA.clear();
  k.AADRESDOMKOR.clear();
  k.AADRESMIESZKANIEKOR.clear();
  k.AWOJEWODZTWOKOR.clear();
  k.AKRAJKOR.clear();
  k.AIDCENTRALI = -1;
  return k;
}

void NormalizujKontrahenta(TKontrahentRec& k) {
  for (std::string* tekst :
       {&k.ASKROTNAZWY, &k.APELNANAZWA, &k.AKODPOCZTOWY, &k.AKRAJ, &k.AWOJEWODZTWO,
        &k.KontaktGlowny, &k.AEXXLOGIN, &k.AMANAGER, &k.AMIASTO})
    *tekst = text::UpperWin1250(*tekst);
}

std::string UwagiKontrahenta(const std::string& kontaktGlowny, const std::string& uwagiOFirmie) {
  std::string uwagi;
  auto dopisz = [&uwagi](const std::string& czesc) {
    if (!uwagi.empty()) uwagi += "\r\n";
    uwagi += czesc;
  };
  if (!text::Trim(kontaktGlowny).empty()) dopisz("Kontakt główny: " + kontaktGlowny);
  if (!text::Trim(uwagiOFirmie).empty()) dopisz("\r\nUwagi o firmie:\r\n" + uwagiOFirmie);
  return uwagi;
}

std::int32_t GrupaCenowa(std::int32_t khCena) {
  switch (khCena) {
    case 1:
      return 0;
    case 2:
      return 1;
    case 3:
      return 2;
    default:
      return -1;
  }
}

std::string TypKontrahenta(std::int32_t khRodzaj) {
  switch (khRodzaj) {
    case 0:
      return "ODBIORCA/DOSTAWCA";
    case 1:
      return "DOSTAWCA";
    case 2:
      return "ODBIORCA";
    default:
      return "";
  }
}

std::string ZapytanieKontrahentow(bool jedenKontrahent) {
  return std::string(kZapytanieKontrahentow) +
         (jedenKontrahent ? "AND KH.KH_ID=:ID\r\n" : "ORDER BY KH.KH_ID\r\n");
}

int ZapiszKontrahenta(fb::StoredProc& IBSPKH, int idSystemu, const TOpcjeGImp& opcje,
                      std::int32_t& idSolvo, const TKontrahentRec& k) {
  // Only what is sent loses the apostrophes: the caller's record keeps the
  // tax number as read, for its log lines.
  std::string nip = k.ANIP;
  std::erase(nip, '\'');

  auto tekst = [&IBSPKH](std::size_t i, const std::string& s, std::size_t szerokosc) {
    IBSPKH.Params(i).SetString(text::FirstChars(s, szerokosc));
  };
  auto liczba = [&IBSPKH](std::size_t i, std::int64_t v) { IBSPKH.Params(i).SetInteger(v); };
  auto flaga = [&IBSPKH](std::size_t i, bool wlaczona) {
    IBSPKH.Params(i).SetInteger(wlaczona ? 1 : 0);
  };

  liczba(3, idSystemu);                         // AIDSYSTEM
  tekst(4, k.AIDKONTRAHENTZEW, 100);            // AIDKONTRAHENTZEW
  liczba(5, kTabelaKontrahent);                 // AIDTABELIKONTRAHENT
  liczba(6, kTabelaKontrahent);                 // AIDTABELIKONTRAHENTZEW
  tekst(7, k.ASKROTNAZWY, 50);                  // ANUMERDOKZEW
  liczba(8, opcje.WersjaZrodla);                // AWERSJAZRODLA
  liczba(9, opcje.IdOperatora);                 // AIDOPERATORA
  tekst(10, k.ASKROTNAZWY, 30);                 // ASKROTNAZWY
  tekst(11, k.APELNANAZWA, 250);                // APELNANAZWA
  tekst(12, nip, 20);                           // ANIP
  tekst(13, k.AREGON, 13);                      // AREGON
  IBSPKH.Params(14).SetDateTime(k.ADATAWPISU);  // ADATAWPISU
  IBSPKH.Params(15).SetString(k.AUWAGI);        // AUWAGI, a blob: whole
  liczba(16, k.AFIRMA);                         // AFIRMA
  liczba(17, k.AIDCENTRALI);                    // AIDCENTRALI
  liczba(18, opcje.IdOddzialu);                 // AIDODDZIALU
  tekst(19, k.AADRES, 250);                     // AADRES
  tekst(20, k.AMIASTO, 80);                     // AMIASTO
  tekst(21, k.AKODPOCZTOWY, 10);                // AKODPOCZTOWY
  tekst(22, k.AADRESDOM, 10);                   // AADRESDOM
  tekst(23, k.AADRESMIESZKANIE, 10);            // AADRESMIESZKANIE
  tekst(24, k.AWOJEWODZTWO, 80);                // AWOJEWODZTWO
  tekst(25, k.AKRAJ, 80);                       // AKRAJ
  tekst(26, k.AADRESKOR, 250);                  // AADRESKOR
  tekst(27, k.AMIASTOKOR, 80);                  // AMIASTOKOR
  tekst(28, k.AKODPOCZTOWYKOR, 10);             // AKODPOCZTOWYKOR
  tekst(29, k.AADRESDOMKOR, 10);                // AADRESDOMKOR
  tekst(30, k.AADRESMIESZKANIEKOR, 10);         // AADRESMIESZKANIEKOR
  tekst(31, k.AWOJEWODZTWOKOR, 80);             // AWOJEWODZTWOKOR
  tekst(32, k.AKRAJKOR, 80);                    // AKRAJKOR
  tekst(33, k.ATYPKONTRAHENTA, 80);             // ATYPKONTRAHENTA
  liczba(34, 0);                                // AUSUNIETY
  tekst(35, k.ATELEFON1, 20);                   // ATELEFON1
  tekst(36, k.ATELEFON2, 20);                   // ATELEFON2
  tekst(37, k.AFAX, 20);                        // AFAX
  tekst(38, k.AEMAIL, 80);                      // AEMAIL
  tekst(39, k.AWWW, 250);                       // AWWW
  tekst(40, k.ASKYPE, 32);                      // ASKYPE
  IBSPKH.Params(41).SetString("");              // ANRDEALERSKI
  tekst(42, k.AEXXLOGIN, 30);                   // AEXXLOGIN
  liczba(43, -1);                               // AIDZRODLOKONTAKTU
  liczba(44, k.AGRUPACENOWA);                   // AGRUPACENOWA
  tekst(45, k.AKIERUNEK, 6);                    // AKIERUNEK
  liczba(46, -1);                               // AIDPOLECAJACEGO
  tekst(47, k.ATELEFONKOMORKOWY, 20);           // ATELEFONKOMORKOWY
  IBSPKH.Params(48).SetFloat(k.ALIMITWARTOSC);  // ALIMITWARTOSC
  IBSPKH.Params(49).SetFloat(0);                // AODSETKIPROCENT
  liczba(50, -1);                               // AIDGRUPAMANAGEROW
  liczba(51, k.AIDFORMYPLATNOSCI);              // AIDFORMYPLATNOSCI
  liczba(52, k.ATERMINPLATNOSCI);               // ATERMINPLATNOSCI
  liczba(53, -1);                               // AIDPODGRUPY
  liczba(54, k.AFAKTKLUCZ);                     // AFAKTKLUCZ
  flaga(55, opcje.KontrahenciWszystkieDane);    // AOPCJE_KONTRAHENCIWSZYSTKIEDANE
  flaga(56, opcje.KontrahenciDaneTeleadr);      // AOPCJE_KONTRAHENCIDANETELEADR
  flaga(57, opcje.KontrahenciLimitKredytu);     // AOPCJE_KONTRAHENCILIMITKREDYTU
  flaga(58, opcje.KontrahenciManager);          // AOPCJE_KONTRAHENCIMANAGER
  flaga(59, opcje.KontrahenciNipRegon);         // AOPCJE_KONTRAHENCINIPREGON
  liczba(60, 0);                                // AOPCJE_KONTRAHENCIODDZIALY
  flaga(61, opcje.SzukacNipSkrot != 0);         // AOPCJE_SZUKACNIPSKROT
  flaga(62, opcje.SzukacNip != 0);              // AOPCJE_SZUKACNIP
  flaga(63, opcje.SzukacSkrot != 0);            // AOPCJE_SZUKACSKROT
  flaga(64, opcje.SzukacNazwa != 0);            // AOPCJE_SZUKACNAZWA
  liczba(65, 0);                                // AOPCJE_SZUKACFAKTKLUCZ: AFAKTKLUCZ is -1
  flaga(66, opcje.NieDodajNowego != 0);         // AOPCJE_NIEDODAJNOWEGO
  tekst(67, k.AMANAGER, 121);                   // AMANAGER
  tekst(68, k.ASTATUS, 80);                     // ASTATUS
  tekst(69, k.AZRODLOKONTAKTU, 80);             // AZRODLOKONTAKTU
  liczba(70, opcje.OpcjeAktualizacji);          // AOPCJE_AKTUALIZACJI
  tekst(71, k.APODGRUPA, 80);                   // APODGRUPA
  IBSPKH.Params(72).SetFloat(k.ARABATPROC);     // ARABATPROC

  IBSPKH.ExecProc();
  idSolvo = IBSPKH.Params(0).AsInteger();  // OIDKONTRAHENTA
  return IBSPKH.Params(1).AsInteger();     // OAKCJA
}

int TThSubiektImp::ImportujKontrahentow(std::int64_t id) {
  odbc::Query& qKH = dm_.qKH;
  TZrodloOdbc zrodlo(qKH);
  TWierszKontrahenta wiersz(*this, dmzq_.IBSPKH, qKH);

  if (id == -1) {
    if (!Opcje.AnalizaKontrahentow) return -1;
    TPrzebiegCalejBazy przebieg;
    przebieg.liniaStartu = "Rozpoczynam import kontrahentów...";
    przebieg.tekstZapytania = ZapytanieKontrahentow(false);
    przebieg.naglowekKolumn = "AKCJA SKROT_NAZWY NAZWA NIP IDZEWNETRZNE GRUPA IDSOLVO";
    przebieg.naglowekWyjatku = "KH Wyjątek";
    przebieg.wiersz = [&wiersz] { wiersz.Wykonaj(); };
    // Asked for only when the pass failed; the phase then answers -1.
    przebieg.kluczWiersza = [&wiersz] {
      wiersz.wynik = -1;
      return wiersz.Klucz();
    };
    przebieg.podsumowanie = [this, &wiersz] {
      const TLicznikiKontrahentow& l = wiersz.liczniki;
      Loguj("  Nowych: " + std::to_string(l.nowych) + ", starych: " + std::to_string(l.starych) +
            ", zaktualizowanych: " + std::to_string(l.zaktualizowanych) +
            ", błędnych, wiele rekordów odpowiadających: " + std::to_string(l.wieluPasujacych) +
            ", błędnych, powtórzony kod kontrahenta: " + std::to_string(l.powtorzonychKodow));
      Cache.UstawSortowanie(TImportCache::kKontrahenci, true);
    };
    przebieg.wciecieTempa = " ";
    przebieg.jednostkaTempa = "kontrahentów";
    WykonajPrzebieg(*this, dmzq_.Transaction, zrodlo, przebieg);
    return wiersz.wynik;
  }

  // One customer for another phase, inside that phase's transaction.
  std::int32_t idSolvo = -1;
  if (Cache.Znajdz(TImportCache::kKontrahenci, id, idSolvo)) return idSolvo;
  try {
    zrodlo.Zamknij();
    zrodlo.UstawTekst(ZapytanieKontrahentow(true));
    qKH.ParamByName("ID").SetInteger(id);
    zrodlo.Otworz();
    for (; !zrodlo.Koniec(); zrodlo.Nastepny()) {
      if (Przerwany()) break;
      wiersz.Wykonaj();
    }
  } catch (const std::exception& e) {
    ObsluzBladFazy(*this, dmzq_.Transaction, "KH Wyjątek", e, wiersz.Klucz());
    wiersz.wynik = -1;
  }
  zrodlo.Zamknij();
  return wiersz.wynik;
}
