// The customer phase through the real databases: the generated customers of
// the Subiekt GT stand-in, rows of its own for the edge cases, and the
// reference SP_IMPORTUJKONTRAHENTA.
#include "subiektgt/kontrahenci.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <functional>
#include <map>
#include <regex>

#include "app/komunikaty_okna.h"
#include "platform/firebird/query.h"
#include "platform/firebird/transaction.h"
#include "platform/text/win1250.h"
#include "tests/support/phase_fixture.h"
#include "tests/support/procedure_probe.h"

namespace {

using testing_support::ParametryProcedury;
using testing_support::PhaseTest;
using testing_support::SondaProcedury;
using testing_support::TParametr;

// --- The tables and texts of the phase ----------------------------------------

TEST(GrupaCenowa, MapsThePriceLevels) {
  const std::pair<int, int> przypadki[] = {{1, 0}, {2, 1}, {3, 2}, {0, -1}, {4, -1}, {-1, -1}};
  for (auto [cena, grupa] : przypadki) EXPECT_EQ(GrupaCenowa(cena), grupa) << cena;
}

TEST(TypKontrahenta, MapsTheKinds) {
  const std::pair<int, const char*> przypadki[] = {
      {0, "ODBIORCA/DOSTAWCA"}, {1, "DOSTAWCA"}, {2, "ODBIORCA"}, {3, ""}, {-1, ""}};
  for (auto [rodzaj, typ] : przypadki) EXPECT_EQ(TypKontrahenta(rodzaj), typ) << rodzaj;
}

TEST(UwagiKontrahenta, JoinsContactAndRemarks) {
  struct Przypadek {
    const char* kontakt;
    const char* uwagi;
    const char* wynik;
  };
  const Przypadek przypadki[] = {
      {"", "", ""},
      {"  ", "\t", ""},
      {"JAN NOWAK", "", "Kontakt główny: JAN NOWAK"},
      {"", "Płaci w terminie", "\r\nUwagi o firmie:\r\nPłaci w terminie"},
      {"JAN NOWAK", "Płaci", "Kontakt główny: JAN NOWAK\r\n\r\nUwagi o firmie:\r\nPłaci"},
      // Kept untrimmed once they are not blank.
      {" JAN ", " x ", "Kontakt główny:  JAN \r\n\r\nUwagi o firmie:\r\n x "},
  };
  for (const Przypadek& p : przypadki)
    EXPECT_EQ(UwagiKontrahenta(p.kontakt, p.uwagi), p.wynik) << p.kontakt << "|" << p.uwagi;
}

TEST(ZapytanieKontrahentow, EndsByMode) {
  const std::string calaBaza = ZapytanieKontrahentow(false);
  const std::string jeden = ZapytanieKontrahentow(true);
  EXPECT_EQ(calaBaza.rfind("SELECT \r\n  KH.KH_ID, \r\n", 0), 0u);
  EXPECT_THAT(calaBaza, testing::EndsWith("WHERE 0=0 \r\nORDER BY KH.KH_ID\r\n"));
  EXPECT_THAT(jeden, testing::EndsWith("WHERE 0=0 \r\nAND KH.KH_ID=:ID\r\n"));
  EXPECT_NE(calaBaza.find("ADR.ADR_NIP, ADR.ADR_NAZWAPELNA,\r\n  ADR.ADR_TELEFON"),
            std::string::npos);
  EXPECT_NE(calaBaza.find("ADR.ADR_TYPADRESU=1 \r\n"), std::string::npos);
}

TEST(NormalizujKontrahenta, UpperCasesTheCapitalTextsOnly) {
  TKontrahentRec k = PrzygotujKontrahenta();
  EXPECT_EQ(k.AIDCENTRALI, -1);
  k.ASKROTNAZWY = " żółw ";
  k.APELNANAZWA = "zakład „łąka”";
  k.AKODPOCZTOWY = "ab-1";
  k.AKRAJ = "polska";
  k.AWOJEWODZTWO = "śląskie";
  k.KontaktGlowny = "józef";
  k.AEXXLOGIN = "hurtownie";
  k.AMANAGER = "ewa";
  k.AMIASTO = "łódź";
  k.AADRES = "ul. długa";
  k.UwagiOFirmie = "małe";
  NormalizujKontrahenta(k);
  EXPECT_EQ(k.ASKROTNAZWY, " ŻÓŁW ");
  EXPECT_EQ(k.APELNANAZWA, "ZAKŁAD „ŁĄKA”");
  EXPECT_EQ(k.AKODPOCZTOWY, "AB-1");
  EXPECT_EQ(k.AKRAJ, "POLSKA");
  EXPECT_EQ(k.AWOJEWODZTWO, "ŚLĄSKIE");
  EXPECT_EQ(k.KontaktGlowny, "JÓZEF");
  EXPECT_EQ(k.AEXXLOGIN, "HURTOWNIE");
  EXPECT_EQ(k.AMANAGER, "EWA");
  EXPECT_EQ(k.AMIASTO, "ŁÓDŹ");
  EXPECT_EQ(k.AADRES, "ul. długa");
  EXPECT_EQ(k.UwagiOFirmie, "małe");
}

// --- The phase --------------------------------------------------------------

constexpr const char* kNaglowek = "AKCJA SKROT_NAZWY NAZWA NIP IDZEWNETRZNE GRUPA IDSOLVO";

class KontrahenciTest : public PhaseTest {
 protected:
  TOpcjeGImp Opcje() const {
    TOpcjeGImp o = DomyslneOpcje();
    o.LogSzczegolowy = true;
    o.AnalizaKontrahentow = true;
    o.ImportSprzedazy = true;
    return o;
  }

  // A column (or expression over K) of the Solvo customer linked to KH_ID.
  std::string Kolumna(int khId, const std::string& wyrazenie) {
    return KolumnaPowiazanego("KONTRAHENT", "K", 25, khId, wyrazenie);
  }

  // One Subiekt GT customer of the test's own; `adres` false leaves it
  // without a main address.
  struct TKlient {
    int id;
    std::string symbol = "KLIENT";
    std::string nazwa = "Klient testowy";
    std::string nip = "111-222-33-44";
    std::string uwagi = "NULL";      // SQL
    std::string pracownik = "NULL";  // SQL
    std::string rabat = "1";         // SL_RABAT id, SQL
    int cena = 1;
    int rodzaj = 2;
    bool adres = true;
  };

  void DodajKlienta(const TKlient& k) {
    const std::string idGlownego = std::to_string(100000 + (k.id % 100000) * 2);
    const std::string idKorespondencji = std::to_string(100001 + (k.id % 100000) * 2);
    std::string sql =
        "INSERT INTO dbo.kh__kontrahent (kh_id, kh_symbol, kh_regon, kh_email, kh_www, "
        "kh_kontakt, kh_uwagi, kh_maxwartkred, kh_pracownik, kh_cena, kh_rodzaj, kh_idgrupa, "
        "kh_idrabat, kh_idformap) VALUES (" +
        std::to_string(k.id) + ", " + Sql(k.symbol) + ", '123456785', 'a@b.pl', 'www.b.pl', " +
        "'Anna Opiekun', " + k.uwagi + ", 1500, " + k.pracownik + ", " + std::to_string(k.cena) +
        ", " + std::to_string(k.rodzaj) + ", 1, " + k.rabat + ", 3);\n";
    if (k.adres)
      sql +=
          "INSERT INTO dbo.adr__ewid (adr_id, adr_idobiektu, adr_typadresu, adr_nazwa, "
          "adr_nazwapelna, adr_ulica, adr_nrdomu, adr_nrlokalu, adr_kod, adr_miejscowosc, "
          "adr_nip, adr_telefon, adr_faks, adr_idwojewodztwo, adr_idpanstwo) VALUES (" +
          idGlownego + ", " + std::to_string(k.id) + ", 1, 'krótka', " + Sql(k.nazwa) +
          ", 'ul. Źródlana', '12a', '3', '00-950', 'Łódź', " + Sql(k.nip) +
          ", '+48 22 100 20 30', '+48 22 100 20 31', 5, 1);\n";
    // A correspondence address, which the phase never reads.
    sql +=
        "INSERT INTO dbo.adr__ewid (adr_id, adr_idobiektu, adr_typadresu, adr_nazwapelna, "
        "adr_ulica, adr_nip, adr_telefon) VALUES (" +
        idKorespondencji + ", " + std::to_string(k.id) +
        ", 2, 'Adres do korespondencji', 'skr. poczt. 1', '999', '000');\n";
    subiekt->Execute(sql);
  }

  // A Solvo customer entered by hand in branch 1. Its texts travel as
  // parameters, converted to the database's code page.
  void DodajWSolvo(const std::string& skrot, const std::string& nip) {
    fb::Transaction t(&solvo->Admin(), fb::EndAction::Rollback);
    t.params = {"read_committed", "rec_version", "nowait"};
    fb::Query q(&solvo->Admin(), &t);
    q.SetSql({"INSERT INTO KONTRAHENT (ID, SKROTNAZWY, PELNANAZWA, NIP, IDODDZIALU)",
              "VALUES (GEN_ID(GEN_KONTRAHENT, 1), :SKROT, 'WPISANY RECZNIE', :NIP, 1)"});
    q.ParamByName("SKROT").SetString(skrot);
    q.ParamByName("NIP").SetString(nip);
    q.ExecSQL();
    t.Commit();
  }

  // Two customers Solvo cannot take: 9201, whose tax number two Solvo
  // customers share, written without dashes (outcome 5), and 9202, whose
  // short name, once upper-cased, belongs to another Solvo customer (6).
  void DodajSpornych() {
    DodajKlienta({.id = 9201, .symbol = "WIELE", .nip = "555-000-11-11"});
    DodajWSolvo("PIERWSZY", "5550001111");
    DodajWSolvo("DRUGI", "5550001111");
    DodajKlienta({.id = 9202, .symbol = "zajęty"});
    DodajWSolvo("ZAJĘTY", "");
  }

  static bool LiniaTempa(const std::string& l) {
    static const std::regex wzor("^ [0-9]+ kontrahentów/s$");
    return std::regex_match(l, wzor);
  }
};

TEST_F(KontrahenciTest, WholePassImportsEveryCustomerAndASecondRunFindsThemUnchanged) {
  TOpcjeGImp o = Opcje();
  // With every update option on, an unchanged row proves equal values.
  o.KontrahenciWszystkieDane = o.KontrahenciDaneTeleadr = o.KontrahenciLimitKredytu = true;
  o.KontrahenciNipRegon = o.KontrahenciManager = true;
  o.OpcjeAktualizacji = 1 | 2 | 4 | 4096;
  Nowy(o);
  const int wynik = watek->ImportujKontrahentow(-1);

  EXPECT_FALSE(watek->Przerwany());
  const auto linie = Linie();
  ASSERT_GE(linie.size(), 3u);
  ASSERT_LE(linie.size(), 4u);
  EXPECT_EQ(linie[0], "Rozpoczynam import kontrahentów...");
  EXPECT_EQ(linie[1], "  Rekordów do analizy: 50");
  EXPECT_EQ(linie[2],
            "  Nowych: 50, starych: 0, zaktualizowanych: 0, błędnych, wiele rekordów "
            "odpowiadających: 0, błędnych, powtórzony kod kontrahenta: 0");
  if (linie.size() == 4) {
    EXPECT_TRUE(LiniaTempa(linie[3])) << linie[3];
  }
  EXPECT_TRUE(kanal->Texts(WM_LOG_ODRZUT).empty());
  EXPECT_TRUE(kanal->Texts(WM_BLAD).empty());

  // Everything committed, each customer with its link.
  EXPECT_EQ(Liczba("KONTRAHENT"), "50");
  EXPECT_EQ(Liczba("IMPEKSP WHERE IDTABELI = 25 AND IDSYSTEMOUT = 5 AND WERSJAZRODLA = 1"), "50");
  EXPECT_EQ(std::to_string(wynik), Kolumna(50, "K.ID"));
  EXPECT_EQ(Kolumna(50, "I.NUMERDOK"), Kolumna(50, "K.SKROTNAZWY"));

  // The header and one tagged line per row, in KH_ID order.
  const auto& bufor = watek->BuforLogu;
  EXPECT_NE(std::find(bufor.begin(), bufor.end(), kNaglowek), bufor.end());
  const auto dodane = Szczegoly("KH DOD: ");
  ASSERT_EQ(dodane.size(), 50u);
  EXPECT_THAT(dodane[0], testing::HasSubstr("\" \"1\" \""));
  EXPECT_THAT(dodane[49], testing::EndsWith("\"50\" \"" + Kolumna(50, "EXXLOGIN") + "\" \"" +
                                            std::to_string(wynik) + "\""));

  // The placeholder symbols became distinct short names.
  EXPECT_EQ(Kolumna(7, "K.SKROTNAZWY"), "******************** 7");
  EXPECT_EQ(Kolumna(27, "K.SKROTNAZWY"), "******************** 27");

  // Accepted customers are cached for the document phases, sorted at the end.
  EXPECT_TRUE(watek->Cache.Posortowana(TImportCache::kKontrahenci));
  EXPECT_EQ(watek->Cache.Rozmiar(TImportCache::kKontrahenci), 50u);
  std::int32_t id = 0;
  EXPECT_TRUE(watek->Cache.Znajdz(TImportCache::kKontrahenci, 27, id));
  EXPECT_EQ(std::to_string(id), Kolumna(27, "K.ID"));

  // Progress over the 50 rows.
  const auto postep = kanal->Only(WM_POSTEP);
  ASSERT_FALSE(postep.empty());
  EXPECT_EQ(postep.front().wParam, 1);
  EXPECT_EQ(postep.front().lParam, 50);

  Nowy(o);
  EXPECT_EQ(watek->ImportujKontrahentow(-1), wynik);
  const auto drugie = Linie();
  ASSERT_GE(drugie.size(), 3u);
  EXPECT_EQ(drugie[2],
            "  Nowych: 0, starych: 50, zaktualizowanych: 0, błędnych, wiele rekordów "
            "odpowiadających: 0, błędnych, powtórzony kod kontrahenta: 0");
  EXPECT_EQ(Szczegoly("KH STA: ").size(), 50u);
  EXPECT_EQ(Liczba("KONTRAHENT"), "50");
  EXPECT_EQ(Liczba("IMPEKSP"), "50");
}

TEST_F(KontrahenciTest, WholePassOffDoesNothing) {
  TOpcjeGImp o = Opcje();
  o.AnalizaKontrahentow = false;
  Nowy(o);
  EXPECT_EQ(watek->ImportujKontrahentow(-1), -1);
  EXPECT_TRUE(kanal->Messages().empty());
  EXPECT_TRUE(watek->BuforLogu.empty());
  EXPECT_EQ(Liczba("KONTRAHENT"), "0");
}

TEST_F(KontrahenciTest, EdgeCustomersReachSolvoAsTheyShould) {
  const std::string dlugaNazwa = "Przedsiębiorstwo „Żuraw” " + std::string(250, 'x') + " koniec";
  const int zastepczy = 1234567891;
  DodajKlienta({.id = zastepczy, .symbol = "********************"});
  DodajKlienta({.id = 9002, .symbol = "BEZADRESU", .adres = false});
  DodajKlienta({.id = 9003, .symbol = "BEZRABATU", .rabat = "NULL", .cena = 0, .rodzaj = 3});
  DodajKlienta({.id = 9004, .symbol = "APOSTROFY", .nip = "123'456'78'90", .cena = 3});
  DodajKlienta({.id = 9005, .symbol = "TYLKOUWAGI", .uwagi = "'Płaci w terminie'"});
  DodajKlienta({.id = 9006,
                .symbol = "żółw-długi",
                .nazwa = dlugaNazwa,
                .pracownik = "'Józef Kowalski'",
                .rabat = "6",
                .rodzaj = 0});

  Nowy(Opcje());
  for (int id : {zastepczy, 9002, 9003, 9004, 9005, 9006})
    EXPECT_GT(watek->ImportujKontrahentow(id), 0) << id;
  // Single mode leaves the commit to its caller.
  Zatwierdz();
  ASSERT_FALSE(watek->Przerwany());

  struct Oczekiwanie {
    int id;
    const char* wyrazenie;
    std::string wartosc;
  };
  const Oczekiwanie oczekiwane[] = {
      // The placeholder, a blank and the id, cut to 30: nine digits survive.
      {zastepczy, "K.SKROTNAZWY", "******************** 123456789"},
      {zastepczy, "I.NUMERDOK", "******************** 1234567891"},
      // Without a main address every address column is empty; the
      // correspondence address is never read.
      {9002,
       "'[' || K.PELNANAZWA || K.ADRES || K.ADRESDOM || K.ADRESMIESZKANIE || K.KODPOCZTOWY || "
       "K.MIASTO || K.WOJEWODZTWO || K.KRAJ || K.NIP || K.TELEFON1 || K.FAX || ']'",
       "[]"},
      {9002, "K.REGON", "123456785"},
      // No discount row: -1 times -1.
      {9003, "CAST(K.RABATPROC * 100 AS INTEGER)", "100"},
      {9004, "CAST(K.RABATPROC * 100 AS INTEGER)", "500"},
      {9006, "CAST(K.RABATPROC * 100 AS INTEGER)", "-300"},
      {9003, "K.GRUPACENOWA", "-1"},
      {9004, "K.GRUPACENOWA", "2"},
      {9005, "K.GRUPACENOWA", "0"},
      {9003, "'[' || K.TYPKONTRAHENTA || ']'", "[]"},
      {9004, "K.TYPKONTRAHENTA", "ODBIORCA"},
      {9006, "K.TYPKONTRAHENTA", "ODBIORCA/DOSTAWCA"},
      {9004, "K.NIP", "1234567890"},
      {9005, "K.NIP", "111-222-33-44"},
      {9005, "CAST(K.UWAGI AS VARCHAR(200))", "\r\nUwagi o firmie:\r\nPłaci w terminie"},
      {9006, "CAST(K.UWAGI AS VARCHAR(200))", "Kontakt główny: JÓZEF KOWALSKI"},
      {9006, "K.SKROTNAZWY", "ŻÓŁW-DŁUGI"},
      {9006, "K.PELNANAZWA", text::FirstChars(text::UpperWin1250(dlugaNazwa), 250)},
      {9006, "CHAR_LENGTH(K.PELNANAZWA)", "250"},
      {9006, "K.MIASTO", "ŁÓDŹ"},
      {9006, "K.ADRES", "ul. Źródlana"},
      {9006, "K.WOJEWODZTWO", "ŁÓDZKIE"},
      {9006, "K.KRAJ", "POLSKA"},
      {9006, "K.KODPOCZTOWY", "00-950"},
      {9006, "K.EXXLOGIN", "HURTOWNIE"},
      {9006, "K.ZRODLOKONTAKTU", "Hurtownie"},
      {9006, "K.MANAGER", "ANNA OPIEKUN"},
      {9006, "K.TERMINPLATNOSCI", "14"},
      {9006, "K.IDFORMYPLATNOSCI", "1"},
      {9006, "K.FAKTKLUCZ", "-1"},
      {9006, "K.IDCENTRALI", "-1"},
      {9006, "K.FIRMA", "1"},
      {9006, "CAST(K.LIMITWARTOSC AS INTEGER)", "1500"},
      {9006, "K.TELEFON1 || '|' || K.FAX || '|' || K.TELEFON2",
       "+48 22 100 20 30|+48 22 100 20 31|"},
      {9006, "K.IDODDZIALU || '/' || K.IDOPERATORA", "1/1"},
      {9006, "IIF(K.DATAWPISU IS NULL, 'brak', 'jest')", "jest"},
  };
  for (const Oczekiwanie& o : oczekiwane)
    EXPECT_EQ(Kolumna(o.id, o.wyrazenie), o.wartosc) << o.id << ": " << o.wyrazenie;

  // The detailed log shows what was read: the whole name, the apostrophes.
  const auto dodane = Szczegoly("KH DOD: ");
  ASSERT_EQ(dodane.size(), 6u);
  EXPECT_EQ(dodane[3],
            "KH DOD: \"APOSTROFY\" \"KLIENT TESTOWY\" \"123'456'78'90\" \"9004\" \"HURTOWNIE\" \"" +
                Kolumna(9004, "K.ID") + "\"");
  EXPECT_THAT(dodane[5], testing::HasSubstr("\"" + text::UpperWin1250(dlugaNazwa) + "\""));
}

// The inputs of SP_IMPORTUJKONTRAHENTA in their declared order, after the
// three outputs.
constexpr TParametr kParametry[] = {
    {"AIDSYSTEM", 'I'},
    {"AIDKONTRAHENTZEW", 'T'},
    {"AIDTABELIKONTRAHENT", 'I'},
    {"AIDTABELIKONTRAHENTZEW", 'I'},
    {"ANUMERDOKZEW", 'T'},
    {"AWERSJAZRODLA", 'I'},
    {"AIDOPERATORA", 'I'},
    {"ASKROTNAZWY", 'T'},
    {"APELNANAZWA", 'T'},
    {"ANIP", 'T'},
    {"AREGON", 'T'},
    {"ADATAWPISU", 'D'},
    {"AUWAGI", 'B'},
    {"AFIRMA", 'I'},
    {"AIDCENTRALI", 'I'},
    {"AIDODDZIALU", 'I'},
    {"AADRES", 'T'},
    {"AMIASTO", 'T'},
    {"AKODPOCZTOWY", 'T'},
    {"AADRESDOM", 'T'},
    {"AADRESMIESZKANIE", 'T'},
    {"AWOJEWODZTWO", 'T'},
    {"AKRAJ", 'T'},
    {"AADRESKOR", 'T'},
    {"AMIASTOKOR", 'T'},
    {"AKODPOCZTOWYKOR", 'T'},
    {"AADRESDOMKOR", 'T'},
    {"AADRESMIESZKANIEKOR", 'T'},
    {"AWOJEWODZTWOKOR", 'T'},
    {"AKRAJKOR", 'T'},
    {"ATYPKONTRAHENTA", 'T'},
    {"AUSUNIETY", 'I'},
    {"ATELEFON1", 'T'},
    {"ATELEFON2", 'T'},
    {"AFAX", 'T'},
    {"AEMAIL", 'T'},
    {"AWWW", 'T'},
    {"ASKYPE", 'T'},
    {"ANRDEALERSKI", 'T'},
    {"AEXXLOGIN", 'T'},
    {"AIDZRODLOKONTAKTU", 'I'},
    {"AGRUPACENOWA", 'I'},
    {"AKIERUNEK", 'T'},
    {"AIDPOLECAJACEGO", 'I'},
    {"ATELEFONKOMORKOWY", 'T'},
    {"ALIMITWARTOSC", 'F'},
    {"AODSETKIPROCENT", 'F'},
    {"AIDGRUPAMANAGEROW", 'I'},
    {"AIDFORMYPLATNOSCI", 'I'},
    {"ATERMINPLATNOSCI", 'I'},
    {"AIDPODGRUPY", 'I'},
    {"AFAKTKLUCZ", 'I'},
    {"AOPCJE_KONTRAHENCIWSZYSTKIEDANE", 'S'},
    {"AOPCJE_KONTRAHENCIDANETELEADR", 'S'},
    {"AOPCJE_KONTRAHENCILIMITKREDYTU", 'S'},
    {"AOPCJE_KONTRAHENCIMANAGER", 'S'},
    {"AOPCJE_KONTRAHENCINIPREGON", 'S'},
    {"AOPCJE_KONTRAHENCIODDZIALY", 'S'},
    {"AOPCJE_SZUKACNIPSKROT", 'I'},
    {"AOPCJE_SZUKACNIP", 'I'},
    {"AOPCJE_SZUKACSKROT", 'I'},
    {"AOPCJE_SZUKACNAZWA", 'I'},
    {"AOPCJE_SZUKACFAKTKLUCZ", 'I'},
    {"AOPCJE_NIEDODAJNOWEGO", 'I'},
    {"AMANAGER", 'T'},
    {"ASTATUS", 'T'},
    {"AZRODLOKONTAKTU", 'T'},
    {"AOPCJE_AKTUALIZACJI", 'I'},
    {"APODGRUPA", 'T'},
    {"ARABATPROC", 'F'},
};

TEST_F(KontrahenciTest, EveryParameterIsSentByItsPosition) {
  // The reference procedure declares exactly this list.
  std::string nazwy = "OIDKONTRAHENTA,OAKCJA,OSPOSZNAL";
  for (const TParametr& p : kParametry) nazwy += std::string(",") + p.nazwa;
  EXPECT_EQ(ParametryProcedury(*solvo, "SP_IMPORTUJKONTRAHENTA"), nazwy);

  // A recorder in its place writes down what arrives at each position.
  const SondaProcedury sonda(kParametry, "SONDA_KH", 3);
  solvo->Execute({sonda.Tabela(),
                  "CREATE OR ALTER PROCEDURE SP_IMPORTUJKONTRAHENTA (" + sonda.Wejscia() +
                      ") RETURNS (OIDKONTRAHENTA INTEGER, OAKCJA SMALLINT, OSPOSZNAL INTEGER) "
                      "AS BEGIN " +
                      sonda.Zapisy() + "OIDKONTRAHENTA = 4242; OAKCJA = 0; OSPOSZNAL = 9; END"});

  const std::string symbol = "abcdefghij-abcdefghij-abcdefghij-abcdef";  // 39 characters
  DodajKlienta({.id = 9300,
                .symbol = symbol,
                .nip = "12'34'56",
                .uwagi = "'Uwaga'",
                .pracownik = "'Jan Kowal'",
                .rodzaj = 2});
  TOpcjeGImp o = Opcje();
  o.WersjaZrodla = 7;
  o.IdOperatora = 3;
  o.KontrahenciWszystkieDane = o.KontrahenciLimitKredytu = o.KontrahenciNipRegon = true;
  o.SzukacNip = o.SzukacNazwa = 1;
  o.SzukacFaktKlucz = 1;  // never passed on: the record has no such key
  o.NieDodajNowego = 1;
  o.OpcjeAktualizacji = 1 | 4 | 4096;
  Nowy(o);
  EXPECT_EQ(watek->ImportujKontrahentow(9300), 4242);
  Zatwierdz();

  const std::string duze = text::UpperWin1250(symbol);
  const std::map<int, std::string> teksty = {
      {4, "9300"},
      {7, duze},
      {10, duze.substr(0, 30)},
      {11, "KLIENT TESTOWY"},
      {12, "123456"},
      {13, "123456785"},
      {15, "Kontakt główny: JAN KOWAL\r\n\r\nUwagi o firmie:\r\nUwaga"},
      {19, "ul. Źródlana"},
      {20, "ŁÓDŹ"},
      {21, "00-950"},
      {22, "12a"},
      {23, "3"},
      {24, "ŁÓDZKIE"},
      {25, "POLSKA"},
      {26, ""},
      {27, ""},
      {28, ""},
      {29, ""},
      {30, ""},
      {31, ""},
      {32, ""},
      {33, "ODBIORCA"},
      {35, "+48 22 100 20 30"},
      {36, ""},
      {37, "+48 22 100 20 31"},
      {38, "a@b.pl"},
      {39, "www.b.pl"},
      {40, ""},
      {41, ""},
      {42, "HURTOWNIE"},
      {45, ""},
      {47, ""},
      {67, "ANNA OPIEKUN"},
      {68, ""},
      {69, "Hurtownie"},
      {71, ""},
  };
  const std::map<int, int> liczby = {
      {3, 5},   {5, 25},  {6, 25}, {8, 7},   {9, 3},     {14, 1},    {16, 1},  {17, -1}, {18, 1},
      {34, 0},  {43, -1}, {44, 0}, {46, -1}, {48, 1500}, {49, 0},    {50, -1}, {51, 1},  {52, 14},
      {53, -1}, {54, -1}, {55, 1}, {56, 0},  {57, 1},    {58, 0},    {59, 1},  {60, 0},  {61, 0},
      {62, 1},  {63, 0},  {64, 1}, {65, 0},  {66, 1},    {70, 4101}, {72, 5},
  };
  sonda.Sprawdz(*solvo, teksty, liczby, "LICZBA");
}

TEST_F(KontrahenciTest, UpdateOptionsDecideWhichColumnsChange) {
  DodajKlienta({.id = 9100, .symbol = "ZMIANY"});
  Nowy(Opcje());
  ASSERT_GT(watek->ImportujKontrahentow(9100), 0);
  Zatwierdz();

  struct Przypadek {
    const char* nazwa;
    std::function<void(TOpcjeGImp&)> opcja;
    const char* zmianaWSubiekcie;
    const char* kolumna;
    const char* przed;
    const char* po;
  };
  const Przypadek przypadki[] = {
      {"teleadresowe", [](TOpcjeGImp& o) { o.KontrahenciDaneTeleadr = true; },
       "UPDATE dbo.adr__ewid SET adr_telefon = '+48 61 999' WHERE adr_idobiektu = 9100 AND "
       "adr_typadresu = 1",
       "K.TELEFON1", "+48 22 100 20 30", "+48 61 999"},
      {"limit kredytu", [](TOpcjeGImp& o) { o.KontrahenciLimitKredytu = true; },
       "UPDATE dbo.kh__kontrahent SET kh_maxwartkred = 2500.5 WHERE kh_id = 9100",
       "CAST(K.LIMITWARTOSC * 10 AS INTEGER)", "15000", "25005"},
      {"NIP i REGON", [](TOpcjeGImp& o) { o.KontrahenciNipRegon = true; },
       "UPDATE dbo.kh__kontrahent SET kh_regon = '987654321' WHERE kh_id = 9100", "K.REGON",
       "123456785", "987654321"},
      {"prowadzący", [](TOpcjeGImp& o) { o.KontrahenciManager = true; },
       "UPDATE dbo.kh__kontrahent SET kh_kontakt = 'Łucja Nowa' WHERE kh_id = 9100", "K.MANAGER",
       "ANNA OPIEKUN", "ŁUCJA NOWA"},
      {"wszystkie dane", [](TOpcjeGImp& o) { o.KontrahenciWszystkieDane = true; },
       "UPDATE dbo.adr__ewid SET adr_nazwapelna = 'Nowa nazwa' WHERE adr_idobiektu = 9100 AND "
       "adr_typadresu = 1",
       "K.PELNANAZWA", "KLIENT TESTOWY", "NOWA NAZWA"},
      {"wszystkie dane obejmują teleadresowe",
       [](TOpcjeGImp& o) { o.KontrahenciWszystkieDane = true; },
       "UPDATE dbo.adr__ewid SET adr_miejscowosc = 'Gdańsk' WHERE adr_idobiektu = 9100 AND "
       "adr_typadresu = 1",
       "K.MIASTO", "ŁÓDŹ", "GDAŃSK"},
  };
  for (const Przypadek& p : przypadki) {
    SCOPED_TRACE(p.nazwa);
    subiekt->Execute(p.zmianaWSubiekcie);
    // Without the option the change stays in Subiekt GT: unchanged.
    Nowy(Opcje());
    watek->ImportujKontrahentow(9100);
    Zatwierdz();
    EXPECT_EQ(Szczegoly("KH STA: ").size(), 1u);
    EXPECT_EQ(Kolumna(9100, p.kolumna), p.przed);

    TOpcjeGImp o = Opcje();
    p.opcja(o);
    Nowy(o);
    watek->ImportujKontrahentow(9100);
    Zatwierdz();
    EXPECT_EQ(Szczegoly("KH AKT: ").size(), 1u);
    EXPECT_EQ(Kolumna(9100, p.kolumna), p.po);
  }
  EXPECT_EQ(Liczba("KONTRAHENT"), "1");
}

TEST_F(KontrahenciTest, RefusedCustomersAreRejectedOnceToTheHostAndAskedForAgain) {
  DodajSpornych();
  // 7: nothing matches and adding is not allowed.
  DodajKlienta({.id = 9203, .symbol = "NOWY"});

  struct Przypadek {
    int id;
    std::function<void(TOpcjeGImp&)> opcje;
    std::string tag;
    std::string odrzut;
    std::string kolumny;
  };
  const Przypadek przypadki[] = {
      {9201, [](TOpcjeGImp& o) { o.SzukacNip = 1; },
       "KH BL1: ", "Kontrahentowi odpowiada za dużo rekordów: ",
       "\"WIELE\" \"KLIENT TESTOWY\" \"555-000-11-11\" \"9201\" \"HURTOWNIE\" \"-1\""},
      {9202, [](TOpcjeGImp&) {}, "KH SKR: ", "Inny kontrahent ma ten sam skrót: ",
       "\"ZAJĘTY\" \"KLIENT TESTOWY\" \"111-222-33-44\" \"9202\" \"HURTOWNIE\" \"-1\""},
      {9203, [](TOpcjeGImp& o) { o.NieDodajNowego = 1; },
       "KH BL2: ", "Opcje nie pozwalają na dodanie kontrahenta: ",
       "\"NOWY\" \"KLIENT TESTOWY\" \"111-222-33-44\" \"9203\" \"HURTOWNIE\" \"-1\""},
  };
  for (const Przypadek& p : przypadki) {
    SCOPED_TRACE(p.tag);
    TOpcjeGImp o = Opcje();
    p.opcje(o);
    Nowy(o);
    // Asked for by two documents: refusals are not cached, so it is sent
    // twice, logged twice, and reaches the host once.
    EXPECT_EQ(watek->ImportujKontrahentow(p.id), -1);
    EXPECT_EQ(watek->ImportujKontrahentow(p.id), -1);
    EXPECT_FALSE(watek->Przerwany());
    EXPECT_EQ(Szczegoly(p.tag), (std::vector<std::string>(2, p.tag + p.kolumny)));
    EXPECT_EQ(Szczegoly("ODRZUT: "),
              (std::vector<std::string>(2, "ODRZUT: " + p.odrzut + p.kolumny)));
    EXPECT_EQ(kanal->Texts(WM_LOG_ODRZUT), (std::vector<std::string>{p.odrzut + p.kolumny}));
    std::int32_t id = 0;
    EXPECT_FALSE(watek->Cache.Znajdz(TImportCache::kKontrahenci, p.id, id));
    Zatwierdz();
    EXPECT_EQ(Liczba("IMPEKSP WHERE IDOUT = '" + std::to_string(p.id) + "'"), "0");
  }
  EXPECT_EQ(Liczba("KONTRAHENT"), "3");
}

TEST_F(KontrahenciTest, WholePassCountsRefusalsAndOutcomeSevenHasNoCounter) {
  DodajSpornych();

  TOpcjeGImp o = Opcje();
  o.SzukacNip = 1;
  Nowy(o);
  watek->ImportujKontrahentow(-1);
  auto linie = Linie();
  ASSERT_GE(linie.size(), 3u);
  EXPECT_EQ(linie[1], "  Rekordów do analizy: 52");
  EXPECT_EQ(linie[2],
            "  Nowych: 50, starych: 0, zaktualizowanych: 0, błędnych, wiele rekordów "
            "odpowiadających: 1, błędnych, powtórzony kod kontrahenta: 1");
  EXPECT_EQ(kanal->Texts(WM_LOG_ODRZUT).size(), 2u);
  EXPECT_EQ(watek->Cache.Rozmiar(TImportCache::kKontrahenci), 50u);

  // Adding not allowed: every customer is new again and refused; outcome 7
  // has no counter of its own.
  solvo->Execute(
      {"DELETE FROM IMPEKSP", "DELETE FROM KONTRAHENT WHERE PELNANAZWA <> 'WPISANY RECZNIE'"});
  o.SzukacNip = 0;
  o.NieDodajNowego = 1;
  Nowy(o);
  watek->ImportujKontrahentow(-1);
  linie = Linie();
  ASSERT_GE(linie.size(), 3u);
  EXPECT_EQ(linie[2],
            "  Nowych: 0, starych: 0, zaktualizowanych: 0, błędnych, wiele rekordów "
            "odpowiadających: 0, błędnych, powtórzony kod kontrahenta: 0");
  EXPECT_EQ(Szczegoly("KH BL2: ").size(), 52u);
  // Each row's text differs, so each reaches the host.
  EXPECT_EQ(kanal->Texts(WM_LOG_ODRZUT).size(), 52u);
  EXPECT_EQ(watek->Cache.Rozmiar(TImportCache::kKontrahenci), 0u);
  EXPECT_EQ(Liczba("KONTRAHENT"), "3");
}

TEST_F(KontrahenciTest, SingleModeAnswersFromTheCacheWithoutTouchingEitherDatabase) {
  TOpcjeGImp o = Opcje();
  o.AnalizaKontrahentow = false;  // the list is sorted from the start
  Nowy(o);
  ASSERT_TRUE(watek->Cache.Posortowana(TImportCache::kKontrahenci));
  const int id = watek->ImportujKontrahentow(5);
  ASSERT_GT(id, 0);
  Zatwierdz();
  EXPECT_EQ(std::to_string(id), Kolumna(5, "K.ID"));
  EXPECT_EQ(Szczegoly("KH DOD: ").size(), 1u);
  // No start line, count, header, progress or summary in single mode.
  EXPECT_TRUE(Linie().empty());
  EXPECT_TRUE(kanal->Only(WM_POSTEP).empty());

  // Gone from both databases: only the cache can still answer.
  subiekt->Execute("DELETE FROM dbo.kh__kontrahent WHERE kh_id = 5");
  solvo->Execute({"DELETE FROM IMPEKSP", "DELETE FROM KONTRAHENT"});
  OczekujOdpowiedziZCache([&] { return watek->ImportujKontrahentow(5); }, id);
}

TEST_F(KontrahenciTest, WithoutDocumentImportsNothingIsCachedAndTheCustomerIsSentAgain) {
  TOpcjeGImp o = Opcje();
  o.ImportSprzedazy = false;
  o.ImportKontaktow = true;
  Nowy(o);
  const int id = watek->ImportujKontrahentow(8);
  ASSERT_GT(id, 0);
  EXPECT_EQ(watek->ImportujKontrahentow(8), id);
  EXPECT_EQ(Szczegoly("KH DOD: ").size(), 1u);
  EXPECT_EQ(Szczegoly("KH STA: ").size(), 1u);
  EXPECT_EQ(watek->Cache.Rozmiar(TImportCache::kKontrahenci), 0u);
}

TEST_F(KontrahenciTest, MissingCustomerGivesMinusOne) {
  Nowy(Opcje());
  EXPECT_EQ(watek->ImportujKontrahentow(999999), -1);
  EXPECT_EQ(watek->ImportujKontrahentow(-7), -1);
  EXPECT_FALSE(watek->Przerwany());
  EXPECT_TRUE(kanal->Messages().empty());
  EXPECT_TRUE(watek->BuforLogu.empty());
}

class KontrahenciBladTest : public KontrahenciTest {
 protected:
  // Solvo refuses one customer with an error of its own.
  void SetUp() override {
    KontrahenciTest::SetUp();
    solvo->Execute({"CREATE EXCEPTION E_KONTRAHENT_TESTU 'Kontrahent odrzucony przez test'",
                    "CREATE TRIGGER KONTRAHENT_TESTU FOR KONTRAHENT BEFORE INSERT AS BEGIN "
                    "IF (NEW.SKROTNAZWY = 'BLAD-9999') THEN EXCEPTION E_KONTRAHENT_TESTU; END"});
    DodajKlienta({.id = 9999, .symbol = "blad-9999", .nip = "12'34"});
  }

  void OczekujBledu() {
    OczekujPrzerwania("^KH Wyjątek: -[0-9]+ - [^]*$", "Kontrahent odrzucony przez test",
                      "(BLAD-9999) KLIENT TESTOWY 12'34");
  }
};

TEST_F(KontrahenciBladTest, AnErrorInTheWholePassRollsBackAndStops) {
  Nowy(Opcje());
  EXPECT_EQ(watek->ImportujKontrahentow(-1), -1);
  OczekujBledu();
  // The 50 customers before it were in the same uncommitted stretch.
  EXPECT_EQ(Liczba("KONTRAHENT"), "0");
  const auto linie = Linie();
  EXPECT_EQ(linie.size(), 2u);  // start and row count, no summary or rate
  EXPECT_EQ(watek->Cache.Posortowana(TImportCache::kKontrahenci), false);
}

TEST_F(KontrahenciBladTest, AnErrorInSingleModeRollsBackTheCallersRows) {
  TOpcjeGImp o = Opcje();
  o.AnalizaKontrahentow = false;
  Nowy(o);
  ASSERT_GT(watek->ImportujKontrahentow(1), 0);
  EXPECT_EQ(watek->ImportujKontrahentow(9999), -1);
  OczekujBledu();
  EXPECT_EQ(Liczba("KONTRAHENT"), "0");
}

}  // namespace
