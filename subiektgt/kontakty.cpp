#include "subiektgt/kontakty.h"

#include <array>
#include <exception>
#include <string_view>
#include <utility>

#include "importcore/konwencje_importu.h"
#include "platform/odbc/query.h"
#include "platform/text/win1250.h"
#include "platform/time/datetime.h"
#include "subiektgt/dm_import_subiekt.h"
#include "subiektgt/th_subiekt_imp.h"
#include "targetdb/dm_zq.h"
#include "targetdb/transakcje.h"

namespace {

// The persons with the main address of their customer. The single-person
// text adds the PK_ID condition before the ORDER BY; both are kept trimmed,
// as the statement is compared and set.
constexpr std::string_view kZapytanieKontaktow =
    "SELECT \r\n"
    "  PK.PK_ID, PK.PK_IDKH, PK.PK_IMIE, PK.PK_NAZWISKO, PK.PK_TELEFON, PK.PK_TELKOMORKA,\r\n"
    "  PK.PK_EMAIL, PK.PK_STANOWISKO, PK.PK_PODSTAW,\r\n"
    "  ADR.ADR_ULICA, ADR.ADR_NRDOMU, ADR.ADR_NRLOKALU,\r\n"
    "  ADR.ADR_KOD, ADR.ADR_MIEJSCOWOSC, ADR.ADR_FAKS,\r\n"
    "  WOJ.WOJ_NAZWA, PA.PA_NAZWA\r\n"
    "FROM DBO.KH_PRACOWNIK PK\r\n"
    "LEFT JOIN DBO.ADR__EWID ADR ON ADR.ADR_IDOBIEKTU=PK.PK_IDKH AND ADR.ADR_TYPADRESU=1\r\n"
    "LEFT JOIN DBO.SL_WOJEWODZTWO WOJ ON WOJ.WOJ_ID=ADR.ADR_IDWOJEWODZTWO\r\n"
    "LEFT JOIN DBO.SL_PANSTWO PA ON PA.PA_ID=ADR.ADR_IDPANSTWO\r\n"
    "WHERE 0=0 \r\n";
constexpr std::string_view kWarunekJednejOsoby = "AND PK.PK_ID=:ID\r\n";
constexpr std::string_view kKolejnoscKontaktow = "ORDER BY PK.PK_ID\r\n";

const std::string kTekstCalejBazy =
    text::Trim(std::string(kZapytanieKontaktow).append(kKolejnoscKontaktow));
const std::string kTekstJednejOsoby = text::Trim(
    std::string(kZapytanieKontaktow).append(kWarunekJednejOsoby).append(kKolejnoscKontaktow));

// The counters of the phase, in the order of its summary line.
enum TLicznikKontaktow : int {
  kNowych,
  kZaktualizowanych,
  kStarych,
  kPustaNazwa,
  kZbytWielePasujacych,
  kLiczbaLicznikow,
};

// The outcomes of SP_IMPORTKONTAKTY the phase tells apart; any other code is
// neither counted nor logged nor accepted.
struct TWynikKontaktu {
  int OAKCJA;
  TLicznikKontaktow licznik;
  const char* znacznik;
  const char* odrzut;  // the reject line, nullptr when the row is accepted
};

constexpr TWynikKontaktu kWynikiKontaktow[] = {
    {0, kNowych, "KO DOD: ", nullptr},
    {1, kZaktualizowanych, "KO AKT: ", nullptr},
    {3, kPustaNazwa, "KO PUS: ", "Pusta nazwa kontaktu: "},
    {4, kStarych, "KO STA: ", nullptr},
    {5, kZbytWielePasujacych, "KO ZDR: ", "Zbyt wiele pasujących rekordów: "},
};

const TWynikKontaktu* WynikKontaktu(int oakcja) {
  for (const TWynikKontaktu& w : kWynikiKontaktow) {
    if (w.OAKCJA == oakcja) return &w;
  }
  return nullptr;
}

// The columns of qKO, looked up once after the query is opened; each reads
// the current row.
struct TPolaKontaktu {
  explicit TPolaKontaktu(const odbc::Query& q)
      : PK_ID(q.FieldByName("PK_ID")),
        PK_IDKH(q.FieldByName("PK_IDKH")),
        PK_IMIE(q.FieldByName("PK_IMIE")),
        PK_NAZWISKO(q.FieldByName("PK_NAZWISKO")),
        PK_TELEFON(q.FieldByName("PK_TELEFON")),
        PK_TELKOMORKA(q.FieldByName("PK_TELKOMORKA")),
        PK_EMAIL(q.FieldByName("PK_EMAIL")),
        PK_STANOWISKO(q.FieldByName("PK_STANOWISKO")),
        PK_PODSTAW(q.FieldByName("PK_PODSTAW")),
        ADR_ULICA(q.FieldByName("ADR_ULICA")),
        ADR_NRDOMU(q.FieldByName("ADR_NRDOMU")),
        ADR_NRLOKALU(q.FieldByName("ADR_NRLOKALU")),
        ADR_KOD(q.FieldByName("ADR_KOD")),
        ADR_MIEJSCOWOSC(q.FieldByName("ADR_MIEJSCOWOSC")),
        ADR_FAKS(q.FieldByName("ADR_FAKS")),
        WOJ_NAZWA(q.FieldByName("WOJ_NAZWA")),
        PA_NAZWA(q.FieldByName("PA_NAZWA")) {}

  odbc::Field PK_ID, PK_IDKH, PK_IMIE, PK_NAZWISKO, PK_TELEFON, PK_TELKOMORKA, PK_EMAIL,
      PK_STANOWISKO, PK_PODSTAW, ADR_ULICA, ADR_NRDOMU, ADR_NRLOKALU, ADR_KOD, ADR_MIEJSCOWOSC,
      ADR_FAKS, WOJ_NAZWA, PA_NAZWA;
};

void WypelnijKontakt(TKontakt& k, const TPolaKontaktu& p) {
  k.IdKontaktu = p.PK_ID.AsInteger();
  k.IdKontrahenta = p.PK_IDKH.AsInteger();
  k.Stanowisko = p.PK_STANOWISKO.AsString();
  k.Nazwa = text::Trim(p.PK_IMIE.AsString() + " " + p.PK_NAZWISKO.AsString());
  k.Kraj = p.PA_NAZWA.AsString();
  k.Wojewodztwo = p.WOJ_NAZWA.AsString();
  k.Ulica = p.ADR_ULICA.AsString();
  k.NrDomu = p.ADR_NRDOMU.AsString();
  k.NrLokalu = p.ADR_NRLOKALU.AsString();
  k.Miasto = p.ADR_MIEJSCOWOSC.AsString();
  k.KodPocztowy = p.ADR_KOD.AsString();
  k.Telefon1 = p.PK_TELEFON.AsString();
  k.TelefonKomorkowy = p.PK_TELKOMORKA.AsString();
  k.Email = p.PK_EMAIL.AsString();
  k.Glowny = p.PK_PODSTAW.AsInteger() != 0 ? 1 : 0;
  k.Fax = p.ADR_FAKS.AsString();
  k.IdKontrahentaSolvo = -1;
}

// Replaces the statement only when it changes, so that repeated single-person
// calls keep the prepared one.
void UstawTekstZapytania(odbc::Query& q, const std::string& tekst) {
  if (tekst != text::Trim(q.SqlText())) q.SetSqlText(tekst);
}

}  // namespace

TKontakt NormalizujKontakt(TKontakt k) {
  k.Stanowisko = text::UpperWin1250(k.Stanowisko);
  k.Nazwa = text::UpperWin1250(k.Nazwa);
  k.Kraj = text::UpperWin1250(k.Kraj);
  k.Wojewodztwo = text::UpperWin1250(k.Wojewodztwo);
  k.Miasto = text::UpperWin1250(k.Miasto);
  k.KodPocztowy = text::UpperWin1250(k.KodPocztowy);
  k.Pesel = text::UpperWin1250(k.Pesel);
  return k;
}

int ZapiszKontakt(fb::StoredProc& IBSPKO, int idSystemu, const TOpcjeGImp& opcje,
                  std::int32_t& idSolvo, const TKontakt& k) {
  constexpr dt::DateTime kDataZero = 0;
  IBSPKO.Params(2).SetInteger(idSystemu);                                 // AIDSYSTEM
  IBSPKO.Params(3).SetString(std::to_string(k.IdKontaktu));               // AIDKONTAKTZEW
  IBSPKO.Params(4).SetInteger(kTabelaKontakty);                           // AIDTABELIKONTAKT
  IBSPKO.Params(5).SetString(std::to_string(k.IdKontrahenta));            // AIDKONTRAHENTZEW
  IBSPKO.Params(6).SetInteger(k.IdKontrahentaSolvo);                      // AIDKONTRAHENT
  IBSPKO.Params(7).SetInteger(kTabelaKontrahent);                         // AIDTABELIKONTRAHENT
  IBSPKO.Params(8).SetInteger(kTabelaKontakty);                           // AIDTABELIKONTAKTZEW
  IBSPKO.Params(9).SetInteger(kTabelaKontrahent);                         // AIDTABELIKONTRAHENTZEW
  IBSPKO.Params(10).SetString(text::FirstChars(k.Nazwa, 50));             // ANUMERDOKZEW
  IBSPKO.Params(11).SetInteger(opcje.WersjaZrodla);                       // AWERSJAZRODLA
  IBSPKO.Params(12).SetString(text::FirstChars(k.Stanowisko, 250));       // ASTANOWISKO
  IBSPKO.Params(13).SetString(text::FirstChars(k.Telefon1, 20));          // ATELEFON1
  IBSPKO.Params(14).SetString(text::FirstChars(k.Telefon2, 20));          // ATELEFON2
  IBSPKO.Params(15).SetString(text::FirstChars(k.Fax, 20));               // AFAX
  IBSPKO.Params(16).SetString(text::FirstChars(k.TelefonKomorkowy, 20));  // ATELEFONKOMORKOWY
  IBSPKO.Params(17).SetInteger(0);                                        // ASTATUS
  IBSPKO.Params(18).SetInteger(0);                                        // AEDIT
  IBSPKO.Params(19).SetInteger(0);                                        // AUSUNIETY
  IBSPKO.Params(20).SetDateTime(dt::Now());                               // ADATAWPISU
  IBSPKO.Params(21).SetInteger(opcje.IdOperatora);                        // AIDOPERATORA
  IBSPKO.Params(22).SetInteger(k.Glowny);                                 // AGLOWNY
  IBSPKO.Params(23).SetString(text::FirstChars(k.Decyzyjnosc, 80));       // ADECYZYJNOSC
  IBSPKO.Params(24).SetString(text::FirstChars(k.Nazwa, 80));             // AKONTAKT
  IBSPKO.Params(25).SetString(text::FirstChars(k.Email, 80));             // AEMAIL
  IBSPKO.Params(26).SetString("");                                        // ALOGIN
  IBSPKO.Params(27).SetString("");                                        // AHASLO
  IBSPKO.Params(28).SetString(text::FirstChars(k.Ulica, 250));            // AADRES
  IBSPKO.Params(29).SetString(text::FirstChars(k.KodPocztowy, 10));       // AKODPOCZTOWY
  IBSPKO.Params(30).SetString(text::FirstChars(k.Kierunek, 6));           // AKIERUNEK
  IBSPKO.Params(31).SetString(text::FirstChars(k.Miasto, 250));           // AMIASTO
  IBSPKO.Params(32).SetString(text::FirstChars(k.Kraj, 250));             // AKRAJ
  IBSPKO.Params(33).SetDateTime(kDataZero);                               // ADATAURODZIN
  IBSPKO.Params(34).SetDateTime(kDataZero);                               // ATERMINIMIENIN
  IBSPKO.Params(35).SetInteger(-1);                                       // AEXXID
  IBSPKO.Params(36).SetInteger(k.Plec);                                   // APLEC
  IBSPKO.Params(37).SetDateTime(kDataZero);                               // AROCZNICA
  // The correspondence address repeats the main one.
  IBSPKO.Params(38).SetString(text::FirstChars(k.Ulica, 250));        // AADRESKOR
  IBSPKO.Params(39).SetString(text::FirstChars(k.KodPocztowy, 10));   // AKODPOCZTOWYKOR
  IBSPKO.Params(40).SetString(text::FirstChars(k.Miasto, 250));       // AMIASTOKOR
  IBSPKO.Params(41).SetString(text::FirstChars(k.Kraj, 250));         // AKRAJKOR
  IBSPKO.Params(42).SetInteger(opcje.IdOddzialu);                     // AIDODDZIALU
  IBSPKO.Params(43).SetInteger(-1);                                   // ATYPPOWIADOMIENIA
  IBSPKO.Params(44).SetString("");                                    // AKLUCZ
  IBSPKO.Params(45).SetDateTime(kDataZero);                           // AEXPIR
  IBSPKO.Params(46).SetString(text::FirstChars(k.Wojewodztwo, 250));  // AWOJEWODZTWO
  IBSPKO.Params(47).SetString(text::FirstChars(k.Wojewodztwo, 250));  // AWOJEWODZTWOKOR
  IBSPKO.Params(48).SetString(text::FirstChars(k.NrDomu, 10));        // AADRESDOM
  IBSPKO.Params(49).SetString(text::FirstChars(k.NrDomu, 10));        // AADRESDOMKOR
  IBSPKO.Params(50).SetString(text::FirstChars(k.NrLokalu, 10));      // AADRESMIESZKANIE
  IBSPKO.Params(51).SetString(text::FirstChars(k.NrLokalu, 10));      // AADRESMIESZKANIEKOR
  IBSPKO.Params(52).SetString(text::FirstChars(k.Pokoj, 10));         // AADRESPOKOJ
  IBSPKO.Params(53).SetString(text::FirstChars(k.PokojKor, 10));      // AADRESPOKOJKOR
  IBSPKO.Params(54).SetString(text::FirstChars(k.Pesel, 15));         // APESEL
  IBSPKO.Params(55).SetString(text::FirstChars(k.Www, 250));          // AWWW
  IBSPKO.Params(56).SetString("");                                    // AKOMUNIKATORID
  IBSPKO.Params(57).SetString(text::FirstChars(k.Nip, 20));           // ANIP
  IBSPKO.Params(58).SetString(text::FirstChars(k.Skype, 32));         // ASKYPE
  IBSPKO.Params(59).SetInteger(opcje.KontaktyWszystkieDane ? 1
                                                           : 0);    // AOPCJE_KONTAKTYWSZYSTKIEDANE
  IBSPKO.Params(60).SetInteger(opcje.KontaktyDaneTeleadr ? 1 : 0);  // AOPCJE_KONTAKTYDANETELEADR
  IBSPKO.Params(61).SetInteger(opcje.KontaktyStanowisko ? 1 : 0);   // AOPCJE_KONTAKTYSTANOWISKO
  IBSPKO.Params(62).SetInteger(opcje.KontaktyNipPesel ? 1 : 0);     // AOPCJE_KONTAKTYNIPPESEL
  IBSPKO.ExecProc();
  idSolvo = IBSPKO.Params(0).AsInteger();  // OID
  return IBSPKO.Params(1).AsInteger();     // OAKCJA
}

int TThSubiektImp::ImportujKontakty(std::int64_t id) {
  const bool calaBaza = id == -1;
  std::int32_t wynik = -1;
  if (calaBaza) {
    if (!Opcje.ImportKontaktow) return -1;
  } else {
    std::int32_t zCache = -1;
    if (Cache.Znajdz(TImportCache::kKontakty, id, zCache)) return zCache;
  }

  std::array<std::int64_t, kLiczbaLicznikow> liczniki{};
  std::int64_t wiersze = 0;
  std::uint32_t start = 0;
  std::uint32_t uplynelo = 0;
  odbc::Query& qKO = dm_.qKO;
  qKO.Close();

  TKontakt kontakt;
  std::int32_t idKontaktuSolvo = -1;
  // Built only for lines that get written: the detailed log, a reject line,
  // the key of a failed row.
  auto kolumny = [&] {
    return TekstKolumn(
        {kontakt.Nazwa, std::to_string(kontakt.IdKontaktu), std::to_string(kontakt.IdKontrahenta),
         std::to_string(kontakt.IdKontrahentaSolvo), std::to_string(idKontaktuSolvo)});
  };

  try {
    bool otwarte = true;
    if (calaBaza) {
      Loguj("Rozpoczynam import osób kontaktowych...");
      UstawTekstZapytania(qKO, kTekstCalejBazy);
      qKO.Open();
      if (Przerwany()) {
        otwarte = false;
      } else {
        const int liczba = qKO.FetchAll();
        PostepStart(0, liczba);
        Loguj("  Rekordów do analizy: " + std::to_string(liczba));
        LogujSzczegolowo(
            "AKCJA NAZWISKO IDZEWNETRZNE IDKONTRAHENTAZEWNETRZNE IDKONTRAHENTESOLVO IDSOLVO");
        start = LicznikTaktow();
      }
    } else {
      UstawTekstZapytania(qKO, kTekstJednejOsoby);
      qKO.ParamByName("ID").SetInteger(id);
      qKO.Open();
      // Read to the end before the customer query runs on the same
      // connection (a server without multiple active result sets refuses
      // a second open cursor).
      qKO.FetchAll();
    }

    if (otwarte) {
      const TPolaKontaktu pola(qKO);
      for (; !qKO.Eof(); qKO.Next()) {
        if (Przerwany()) break;
        ++wiersze;
        WypelnijKontakt(kontakt, pola);
        kontakt = NormalizujKontakt(std::move(kontakt));
        idKontaktuSolvo = -1;
        if (calaBaza) StartujTransakcje(dmzq_.Transaction);
        kontakt.IdKontrahentaSolvo = ImportujKontrahentow(kontakt.IdKontrahenta);
        // The customer phase reports and rolls back its own errors; the
        // person is not sent into the transaction it has just ended.
        if (Przerwany()) break;
        const int akcja =
            ZapiszKontakt(dmzq_.IBSPKO, kIdSystemuSubiekt, Opcje, idKontaktuSolvo, kontakt);
        if (const TWynikKontaktu* w = WynikKontaktu(akcja)) {
          ++liczniki[w->licznik];
          if (LogSzczegolowy() || w->odrzut) {
            const std::string tekst = kolumny();
            LogujSzczegolowo(w->znacznik + tekst);
            if (w->odrzut) LogujOdrzut(w->odrzut + tekst);
          }
          if (!w->odrzut) {
            wynik = idKontaktuSolvo;
            // Only the order headers look persons up.
            if (Opcje.ImportZamowien)
              Cache.Dodaj(TImportCache::kKontakty, kontakt.IdKontaktu, idKontaktuSolvo);
          }
        }
        if (calaBaza) {
          PostepKrok();
          if (wiersze % kWierszyMiedzyZatwierdzeniami == 0) ZatwierdzTransakcje(dmzq_.Transaction);
        }
      }
      if (calaBaza && qKO.Eof() && !Przerwany()) {
        ZatwierdzTransakcje(dmzq_.Transaction);
        uplynelo = LicznikTaktow() - start;
      }
    }
  } catch (const std::exception& e) {
    ObsluzBladFazy(*this, dmzq_.Transaction, "Wyjątek", e, kolumny());
    // The rollback took the rows since the last commit with it.
    wynik = -1;
  }

  qKO.Close();
  if (calaBaza && !Przerwany()) {
    Loguj("  Nowych: " + std::to_string(liczniki[kNowych]) +
          ", zaktualizowanych: " + std::to_string(liczniki[kZaktualizowanych]) +
          ", starych: " + std::to_string(liczniki[kStarych]) +
          "  pusta nazwa: " + std::to_string(liczniki[kPustaNazwa]) +
          ", zbyt wiele pasujących: " + std::to_string(liczniki[kZbytWielePasujacych]));
    Cache.UstawSortowanie(TImportCache::kKontakty, true);
    if (uplynelo != 0) Loguj(LiniaTempa("  ", wiersze, uplynelo, "pozycji"));
  }
  return wynik;
}
