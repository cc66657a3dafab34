// The contact-person phase through both databases: the whole-base pass, the
// single-person import with its cache, refusals, update options, errors.
#include "subiektgt/kontakty.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "app/komunikaty_okna.h"
#include "platform/odbc/query.h"
#include "platform/text/win1250.h"
#include "tests/support/phase_fixture.h"

namespace {

using ::testing::Contains;
using ::testing::Not;
using ::testing::StartsWith;
using testing_support::PhaseTest;

// A person id no generated person has, and a customer id the stand-in does
// not know (its persons have no customer and no address).
constexpr int kBrakKlienta = 999999;

std::string Kolumny(const std::string& nazwa, int pk, int kh, int idKh, int idSolvo) {
  return "\"" + nazwa + "\" \"" + std::to_string(pk) + "\" \"" + std::to_string(kh) + "\" \"" +
         std::to_string(idKh) + "\" \"" + std::to_string(idSolvo) + "\"";
}

std::string Tekst(const char* sql) { return sql == nullptr ? "NULL" : sql; }

class KontaktyTest : public PhaseTest {
 protected:
  TOpcjeGImp Ustawienia(bool importKontaktow = true, bool importZamowien = false) {
    TOpcjeGImp o = DomyslneOpcje();
    o.LogSzczegolowy = true;
    o.ImportKontaktow = importKontaktow;
    o.ImportZamowien = importZamowien;
    return o;
  }

  int LiczbaZrodla(const std::string& sql) {
    odbc::Query q(&dmImport->DB_Subiekt);
    q.SetSqlText(sql);
    q.Open();
    const int n = q.Field(0).AsInteger();
    q.Close();
    return n;
  }
  std::string TekstZrodla(const std::string& sql) {
    odbc::Query q(&dmImport->DB_Subiekt);
    q.SetSqlText(sql);
    q.Open();
    std::string t = q.Eof() ? "" : q.Field(0).AsString();
    q.Close();
    return t;
  }
  int LiczbaOsob() { return LiczbaZrodla("SELECT COUNT(*) FROM dbo.kh_pracownik"); }
  int LiczbaPustychNazw() {
    return LiczbaZrodla(
        "SELECT COUNT(*) FROM dbo.kh_pracownik "
        "WHERE trim(coalesce(pk_imie, '') || ' ' || coalesce(pk_nazwisko, '')) = ''");
  }

  // A person of the stand-in; names are SQL literals or nullptr for NULL.
  void DodajOsobe(int pk, int kh, const char* imie, const char* nazwisko,
                  const char* podstaw = "true", const char* stanowisko = "'handlowiec'",
                  const char* telefon = "'111'", const char* email = "NULL") {
    subiekt->Execute(
        "INSERT INTO dbo.kh_pracownik (pk_id, pk_idkh, pk_imie, pk_nazwisko, pk_telefon, "
        "pk_telkomorka, pk_email, pk_stanowisko, pk_podstaw) VALUES (" +
        std::to_string(pk) + ", " + std::to_string(kh) + ", " + Tekst(imie) + ", " +
        Tekst(nazwisko) + ", " + Tekst(telefon) + ", NULL, " + Tekst(email) + ", " +
        Tekst(stanowisko) + ", " + Tekst(podstaw) + ")");
  }

  std::vector<std::string> Odrzuty(const std::string& poczatek) const {
    std::vector<std::string> wynik;
    for (const std::string& t : kanal->Texts(WM_LOG_ODRZUT)) {
      if (t.rfind(poczatek, 0) == 0) wynik.push_back(t);
    }
    return wynik;
  }

  // The Solvo person linked to a Subiekt GT person, "" when none.
  std::string IdSolvo(int pk) {
    return solvo->Scalar(
        "SELECT IDLICZ FROM IMPEKSP WHERE IDSYSTEMOUT = 5 AND IDTABELI = 24 AND IDOUT = '" +
        std::to_string(pk) + "'");
  }
  // A column (or expression over K) of the Solvo person linked to PK_ID.
  std::string Kolumna(const std::string& kolumna, int pk) {
    return KolumnaPowiazanego("KONTAKTY", "K", 24, pk, kolumna);
  }
};

std::string Podsumowanie(int nowych, int zaktualizowanych, int starych, int pustych,
                         int zbytWiele) {
  return "  Nowych: " + std::to_string(nowych) +
         ", zaktualizowanych: " + std::to_string(zaktualizowanych) +
         ", starych: " + std::to_string(starych) + "  pusta nazwa: " + std::to_string(pustych) +
         ", zbyt wiele pasujących: " + std::to_string(zbytWiele);
}

TEST(NormalizujKontakt, UpperCasesTheNamedTextsOnly) {
  TKontakt k;
  k.Stanowisko = "główny księgowy";
  k.Nazwa = " żaneta źdźbło ";
  k.Kraj = "Polska";
  k.Wojewodztwo = "łódzkie";
  k.Miasto = "Łódź";
  k.KodPocztowy = "ab-123";
  k.Pesel = "x1";
  k.Ulica = "ul. Źródlana";
  k.Email = "Jan.Kowalski@Firma.pl";
  k.Telefon1 = "tel. 1";
  k.Fax = "fax";
  const TKontakt n = NormalizujKontakt(k);
  EXPECT_EQ(n.Stanowisko, "GŁÓWNY KSIĘGOWY");
  EXPECT_EQ(n.Nazwa, " ŻANETA ŹDŹBŁO ");  // not trimmed
  EXPECT_EQ(n.Kraj, "POLSKA");
  EXPECT_EQ(n.Wojewodztwo, "ŁÓDZKIE");
  EXPECT_EQ(n.Miasto, "ŁÓDŹ");
  EXPECT_EQ(n.KodPocztowy, "AB-123");
  EXPECT_EQ(n.Pesel, "X1");
  EXPECT_EQ(n.Ulica, "ul. Źródlana");
  EXPECT_EQ(n.Email, "Jan.Kowalski@Firma.pl");
  EXPECT_EQ(n.Telefon1, "tel. 1");
  EXPECT_EQ(n.Fax, "fax");
}

TEST_F(KontaktyTest, ProcedureTakesTheParametersInTheirDeclaredOrder) {
  const char* const nazwy[] = {"OID",
                               "OAKCJA",
                               "AIDSYSTEM",
                               "AIDKONTAKTZEW",
                               "AIDTABELIKONTAKT",
                               "AIDKONTRAHENTZEW",
                               "AIDKONTRAHENT",
                               "AIDTABELIKONTRAHENT",
                               "AIDTABELIKONTAKTZEW",
                               "AIDTABELIKONTRAHENTZEW",
                               "ANUMERDOKZEW",
                               "AWERSJAZRODLA",
                               "ASTANOWISKO",
                               "ATELEFON1",
                               "ATELEFON2",
                               "AFAX",
                               "ATELEFONKOMORKOWY",
                               "ASTATUS",
                               "AEDIT",
                               "AUSUNIETY",
                               "ADATAWPISU",
                               "AIDOPERATORA",
                               "AGLOWNY",
                               "ADECYZYJNOSC",
                               "AKONTAKT",
                               "AEMAIL",
                               "ALOGIN",
                               "AHASLO",
                               "AADRES",
                               "AKODPOCZTOWY",
                               "AKIERUNEK",
                               "AMIASTO",
                               "AKRAJ",
                               "ADATAURODZIN",
                               "ATERMINIMIENIN",
                               "AEXXID",
                               "APLEC",
                               "AROCZNICA",
                               "AADRESKOR",
                               "AKODPOCZTOWYKOR",
                               "AMIASTOKOR",
                               "AKRAJKOR",
                               "AIDODDZIALU",
                               "ATYPPOWIADOMIENIA",
                               "AKLUCZ",
                               "AEXPIR",
                               "AWOJEWODZTWO",
                               "AWOJEWODZTWOKOR",
                               "AADRESDOM",
                               "AADRESDOMKOR",
                               "AADRESMIESZKANIE",
                               "AADRESMIESZKANIEKOR",
                               "AADRESPOKOJ",
                               "AADRESPOKOJKOR",
                               "APESEL",
                               "AWWW",
                               "AKOMUNIKATORID",
                               "ANIP",
                               "ASKYPE",
                               "AOPCJE_KONTAKTYWSZYSTKIEDANE",
                               "AOPCJE_KONTAKTYDANETELEADR",
                               "AOPCJE_KONTAKTYSTANOWISKO",
                               "AOPCJE_KONTAKTYNIPPESEL"};
  fb::StoredProc& sp = dmzq->IBSPKO;
  ASSERT_EQ(sp.ParamCount(), std::size(nazwy));
  EXPECT_EQ(sp.OutputCount(), 2u);
  for (std::size_t i = 0; i < std::size(nazwy); ++i) EXPECT_EQ(sp.Params(i).Name(), nazwy[i]) << i;
}

TEST_F(KontaktyTest, WholePassImportsEveryPersonAndASecondRunFindsThemUnchanged) {
  const int osob = LiczbaOsob();
  const int pustych = LiczbaPustychNazw();
  const int przyjetych = osob - pustych;
  ASSERT_GT(pustych, 0);
  ASSERT_GT(przyjetych, 0);
  const int ostatni = LiczbaZrodla(
      "SELECT MAX(pk_id) FROM dbo.kh_pracownik "
      "WHERE trim(coalesce(pk_imie, '') || ' ' || coalesce(pk_nazwisko, '')) <> ''");

  NowyWatek(Ustawienia());
  const int wynik = watek->ImportujKontakty(-1);
  EXPECT_FALSE(watek->Przerwany());
  EXPECT_TRUE(kanal->Texts(WM_BLAD).empty());

  const auto linie = Linie();
  ASSERT_GE(linie.size(), 3u);
  EXPECT_EQ(linie[0], "Rozpoczynam import osób kontaktowych...");
  EXPECT_EQ(linie[1], "  Rekordów do analizy: " + std::to_string(osob));
  EXPECT_EQ(linie[2], Podsumowanie(przyjetych, 0, 0, pustych, 0));
  // The rate line follows when any time has passed.
  if (linie.size() > 3) {
    EXPECT_TRUE(std::regex_match(linie[3], std::regex("  [0-9]+ pozycji/s"))) << linie[3];
  }
  EXPECT_LE(linie.size(), 4u);

  EXPECT_THAT(watek->BuforLogu, Contains("AKCJA NAZWISKO IDZEWNETRZNE IDKONTRAHENTAZEWNETRZNE "
                                         "IDKONTRAHENTESOLVO IDSOLVO"));
  EXPECT_EQ(Szczegoly("KO DOD: ").size(), static_cast<std::size_t>(przyjetych));
  EXPECT_EQ(Szczegoly("KO PUS: ").size(), static_cast<std::size_t>(pustych));
  EXPECT_EQ(Szczegoly("ODRZUT: Pusta nazwa kontaktu: ").size(), static_cast<std::size_t>(pustych));
  EXPECT_EQ(Odrzuty("Pusta nazwa kontaktu: ").size(), static_cast<std::size_t>(pustych));
  EXPECT_EQ(kanal->Only(WM_POSTEP).front().lParam, osob);

  EXPECT_EQ(Liczba("KONTAKTY"), std::to_string(przyjetych));
  EXPECT_EQ(Liczba("IMPEKSP WHERE IDTABELI = 24 AND IDSYSTEMOUT = 5 AND WERSJAZRODLA = 1"),
            std::to_string(przyjetych));
  EXPECT_EQ(std::to_string(wynik), IdSolvo(ostatni));

  NowyWatek(Ustawienia());
  EXPECT_EQ(watek->ImportujKontakty(-1), wynik);
  EXPECT_THAT(Linie(), Contains(Podsumowanie(0, 0, przyjetych, pustych, 0)));
  EXPECT_EQ(Szczegoly("KO STA: ").size(), static_cast<std::size_t>(przyjetych));
  EXPECT_TRUE(Szczegoly("KO DOD: ").empty());
  EXPECT_EQ(Liczba("KONTAKTY"), std::to_string(przyjetych));
}

TEST_F(KontaktyTest, EveryPersonCarriesWhatTheCustomerImportAnswered) {
  // With a document import on, accepted customers are cached, so asking
  // again below returns exactly what the phase was given.
  NowyWatek(Ustawienia(true, true));
  watek->ImportujKontakty(-1);
  ASSERT_FALSE(watek->Przerwany());
  const std::regex wiersz("KO DOD: \"(.*)\" \"([0-9]+)\" \"([0-9]+)\" \"(-?[0-9]+)\" \"([0-9]+)\"");
  const auto dodane = Szczegoly("KO DOD: ");
  ASSERT_FALSE(dodane.empty());
  for (const std::string& l : dodane) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(l, m, wiersz)) << l;
    const int pk = std::stoi(m[2]);
    const int kh = std::stoi(m[3]);
    const int idKh = watek->ImportujKontrahentow(kh);
    EXPECT_EQ(std::stoi(m[4]), idKh) << l;
    EXPECT_EQ(m[5].str(), IdSolvo(pk)) << l;
    EXPECT_EQ(Kolumna("IDKONTRAHENTAZEW", pk), std::to_string(kh));
    if (idKh > 0) {
      EXPECT_EQ(Kolumna("IDKONTRAHENTA", pk), std::to_string(idKh)) << l;
    }
  }
  Zatwierdz();
}

TEST_F(KontaktyTest, EmptyNamesAreRefusedAndNamesAreTrimmedAndUpperCased) {
  struct Przypadek {
    const char* imie;
    const char* nazwisko;
    const char* nazwa;  // nullptr: refused as empty
  };
  const Przypadek przypadki[] = {
      {"''", "'Kowalski'", "KOWALSKI"},
      {nullptr, "'Kowalski'", "KOWALSKI"},
      {"'Jan'", nullptr, "JAN"},
      {"'Anna '", "' Żółcińska'", "ANNA   ŻÓŁCIŃSKA"},
      {"''", "''", nullptr},
      {nullptr, nullptr, nullptr},
      {"'  '", "' '", nullptr},
  };
  NowyWatek(Ustawienia(false, false));
  int pk = 9001;
  for (const Przypadek& p : przypadki) {
    SCOPED_TRACE(pk);
    DodajOsobe(pk, kBrakKlienta, p.imie, p.nazwisko);
    const int wynik = watek->ImportujKontakty(pk);
    if (p.nazwa == nullptr) {
      EXPECT_EQ(wynik, -1);
      const std::string kolumny = Kolumny("", pk, kBrakKlienta, -1, -1);
      EXPECT_THAT(watek->BuforLogu, Contains("KO PUS: " + kolumny));
      EXPECT_THAT(watek->BuforLogu, Contains("ODRZUT: Pusta nazwa kontaktu: " + kolumny));
      EXPECT_THAT(kanal->Texts(WM_LOG_ODRZUT), Contains("Pusta nazwa kontaktu: " + kolumny));
    } else {
      EXPECT_GT(wynik, 0);
      EXPECT_THAT(watek->BuforLogu,
                  Contains("KO DOD: " + Kolumny(p.nazwa, pk, kBrakKlienta, -1, wynik)));
    }
    ++pk;
  }
  EXPECT_FALSE(watek->Przerwany());
  // A single import writes no summary.
  EXPECT_TRUE(Linie().empty());
  Zatwierdz();
  EXPECT_EQ(Liczba("KONTAKTY"), "4");
  EXPECT_EQ(Kolumna("KONTAKT", 9004), "ANNA   ŻÓŁCIŃSKA");
  EXPECT_EQ(Kolumna("COALESCE(IDKONTRAHENTA, -1)", 9001), "-1");
  EXPECT_EQ(Kolumna("IDKONTRAHENTAZEW", 9001), std::to_string(kBrakKlienta));
}

TEST_F(KontaktyTest, SeveralUnlinkedNamesakesOfTheCustomerAreTooManyMatching) {
  // The customer as the customer import answers for it; imported here by a
  // link of our own while that import cannot run.
  NowyWatek(Ustawienia(true, true));
  const int przekazany = watek->ImportujKontrahentow(1);
  Zatwierdz();
  int idKh = przekazany;
  if (idKh <= 0) {
    idKh = 777001;
    solvo->Execute(
        {"INSERT INTO IMPEKSP (IDIMPEKSP, IDLICZ, IDTABELI, IDOUT, IDSYSTEMOUT, "
         "WERSJAZRODLA, NUMERDOK, IDODDZIALU) VALUES (GEN_ID(IDIMPEKSP_ID, 1), " +
         std::to_string(idKh) + ", 25, '1', 5, 1, 'KLIENT', 1)"});
  }
  // Persons entered in Solvo by hand: two namesakes and one single person.
  const std::string kh = std::to_string(idKh);
  solvo->Execute({
      "INSERT INTO KONTAKTY (ID, IDKONTRAHENTA, KONTAKT, IDODDZIALU) "
      "VALUES (GEN_ID(GEN_KONTAKTY, 1), " +
          kh + ", 'ZENOBIUSZ DUBLOWANY', 1)",
      "INSERT INTO KONTAKTY (ID, IDKONTRAHENTA, KONTAKT, IDODDZIALU) "
      "VALUES (GEN_ID(GEN_KONTAKTY, 1), " +
          kh + ", 'ZENOBIUSZ DUBLOWANY', 1)",
      "INSERT INTO KONTAKTY (ID, IDKONTRAHENTA, KONTAKT, IDODDZIALU) "
      "VALUES (GEN_ID(GEN_KONTAKTY, 1), " +
          kh + ", 'EUGENIA JEDYNA', 1)",
  });
  const std::string jedyna =
      solvo->Scalar("SELECT ID FROM KONTAKTY WHERE KONTAKT = 'EUGENIA JEDYNA'");
  DodajOsobe(29001, 1, "'Zenobiusz'", "'Dublowany'");
  DodajOsobe(29002, 1, "'Eugenia'", "'Jedyna'");

  const int osob = LiczbaOsob();
  const int pustych = LiczbaPustychNazw();
  NowyWatek(Ustawienia(true, true));
  watek->ImportujKontakty(-1);
  ASSERT_FALSE(watek->Przerwany());

  const std::string kolumny = Kolumny("ZENOBIUSZ DUBLOWANY", 29001, 1, przekazany, -1);
  EXPECT_THAT(watek->BuforLogu, Contains("KO ZDR: " + kolumny));
  EXPECT_THAT(watek->BuforLogu, Contains("ODRZUT: Zbyt wiele pasujących rekordów: " + kolumny));
  EXPECT_THAT(kanal->Texts(WM_LOG_ODRZUT), Contains("Zbyt wiele pasujących rekordów: " + kolumny));
  // The single namesake is taken over with its link; learning its source
  // customer is its one change.
  EXPECT_THAT(watek->BuforLogu, Contains("KO AKT: " + Kolumny("EUGENIA JEDYNA", 29002, 1,
                                                              przekazany, std::stoi(jedyna))));
  EXPECT_EQ(IdSolvo(29002), jedyna);
  EXPECT_EQ(Kolumna("IDKONTRAHENTAZEW", 29002), "1");
  EXPECT_EQ(IdSolvo(29001), "");
  std::int32_t id = 0;
  EXPECT_FALSE(watek->Cache.Znajdz(TImportCache::kKontakty, 29001, id));
  EXPECT_EQ(id, -1);
  EXPECT_THAT(Linie(), Contains(Podsumowanie(osob - pustych - 2, 1, 0, pustych, 1)));
  EXPECT_EQ(Liczba("KONTAKTY WHERE KONTAKT = 'ZENOBIUSZ DUBLOWANY'"), "2");
}

TEST_F(KontaktyTest, ContactListIsFilledOnlyWhenOrdersAreImported) {
  const int przyjetych = LiczbaOsob() - LiczbaPustychNazw();
  NowyWatek(Ustawienia(true, false));
  watek->ImportujKontakty(-1);
  ASSERT_FALSE(watek->Przerwany());
  EXPECT_EQ(watek->Cache.Rozmiar(TImportCache::kKontakty), 0u);

  // Unchanged persons count as accepted, so they are cached as well.
  NowyWatek(Ustawienia(true, true));
  watek->ImportujKontakty(-1);
  ASSERT_FALSE(watek->Przerwany());
  EXPECT_EQ(watek->Cache.Rozmiar(TImportCache::kKontakty), static_cast<std::size_t>(przyjetych));
  EXPECT_TRUE(watek->Cache.Posortowana(TImportCache::kKontakty));
  for (int pk : {1, 2, 10, 41}) {
    std::int32_t id = 0;
    if (IdSolvo(pk).empty()) continue;
    EXPECT_TRUE(watek->Cache.Znajdz(TImportCache::kKontakty, pk, id)) << pk;
    EXPECT_EQ(std::to_string(id), IdSolvo(pk)) << pk;
  }
  // Refused persons have no entry.
  const int pusty = LiczbaZrodla(
      "SELECT MIN(pk_id) FROM dbo.kh_pracownik "
      "WHERE trim(coalesce(pk_imie, '') || ' ' || coalesce(pk_nazwisko, '')) = ''");
  std::int32_t id = 0;
  EXPECT_FALSE(watek->Cache.Znajdz(TImportCache::kKontakty, pusty, id));
}

TEST_F(KontaktyTest, SinglePersonIsAnsweredFromTheCacheWithNothingSent) {
  // As in a run that imports orders but not the whole contact base.
  Nowy(Ustawienia(false, true));
  ASSERT_TRUE(watek->Cache.Posortowana(TImportCache::kKontakty));
  const int pk = 1;
  const int id = watek->ImportujKontakty(pk);
  ASSERT_GT(id, 0);
  Zatwierdz();
  EXPECT_EQ(IdSolvo(pk), std::to_string(id));
  EXPECT_THAT(watek->BuforLogu, Contains(StartsWith("KO DOD: ")));
  EXPECT_TRUE(Linie().empty());
  EXPECT_TRUE(kanal->Only(WM_POSTEP).empty());

  // Neither database could answer now: the cache does.
  solvo->Execute({"DELETE FROM IMPEKSP", "DELETE FROM KONTAKTY"});
  dmImport->ZamknijSubiekta();
  OczekujOdpowiedziZCache([&] { return watek->ImportujKontakty(pk); }, id);
  EXPECT_FALSE(watek->Przerwany());
  EXPECT_EQ(Liczba("KONTAKTY"), "0");
}

TEST_F(KontaktyTest, AbsentPersonAndSwitchedOffPassGiveMinusOne) {
  NowyWatek(Ustawienia(false, true));
  EXPECT_EQ(watek->ImportujKontakty(-1), -1);
  EXPECT_TRUE(Linie().empty());
  EXPECT_EQ(watek->ImportujKontakty(kBrakKlienta), -1);
  EXPECT_FALSE(watek->Przerwany());
  EXPECT_TRUE(kanal->Messages().empty());
  EXPECT_TRUE(Szczegoly("KO ").empty());
  EXPECT_EQ(watek->Cache.Rozmiar(TImportCache::kKontakty), 0u);
  Zatwierdz();
  EXPECT_EQ(Liczba("KONTAKTY"), "0");
}

TEST_F(KontaktyTest, PassStoppedBeforeItsRowsSendsNothingAndWritesNoSummary) {
  NowyWatek(Ustawienia(true, true));
  watek->Terminate();
  EXPECT_EQ(watek->ImportujKontakty(-1), -1);
  EXPECT_EQ(Linie(), std::vector<std::string>{"Rozpoczynam import osób kontaktowych..."});
  EXPECT_TRUE(Szczegoly("KO ").empty());
  EXPECT_FALSE(dmzq->Transaction.Active());
  EXPECT_EQ(Liczba("KONTAKTY"), "0");
}

// A person that Solvo refuses with an error, after all generated persons.
class KontaktyBladTest : public KontaktyTest {
 protected:
  void SetUp() override {
    KontaktyTest::SetUp();
    solvo->Execute({
        "CREATE EXCEPTION E_TEST_KONTAKT 'kontakt zablokowany w teście'",
        "CREATE TRIGGER T_TEST_KONTAKT FOR KONTAKTY BEFORE INSERT AS BEGIN "
        "IF (NEW.KONTAKT = 'BLAD TESTOWY') THEN EXCEPTION E_TEST_KONTAKT; END",
    });
    DodajOsobe(kBlednaOsoba, kBrakKlienta, "'Blad'", "'Testowy'");
  }
  static constexpr int kBlednaOsoba = 25000;
  const std::regex wyjatek_{"Wyjątek: (-?[0-9]+) - ([\\s\\S]*)"};
};

TEST_F(KontaktyBladTest, ErrorInTheWholePassRollsBackAndStopsTheRun) {
  NowyWatek(Ustawienia(true, true));
  EXPECT_EQ(watek->ImportujKontakty(-1), -1);
  // -836: a user exception; fewer than 2000 rows, so nothing had been committed.
  OczekujPrzerwania("Wyjątek: -836 - [\\s\\S]*", "kontakt zablokowany w teście",
                    Kolumny("BLAD TESTOWY", kBlednaOsoba, kBrakKlienta, -1, -1));
  EXPECT_EQ(Liczba("KONTAKTY"), "0");
  EXPECT_EQ(Liczba("IMPEKSP"), "0");
  EXPECT_THAT(Linie(), Not(Contains(StartsWith("  Nowych: "))));
}

TEST_F(KontaktyBladTest, ErrorInASingleImportRollsBackTheCallersTransaction) {
  NowyWatek(Ustawienia(false, true));
  // The caller's uncommitted work: a person imported on its behalf.
  ASSERT_GT(watek->ImportujKontakty(1), 0);
  ASSERT_TRUE(dmzq->Transaction.Active());
  EXPECT_EQ(watek->ImportujKontakty(kBlednaOsoba), -1);
  EXPECT_TRUE(watek->Przerwany());
  const auto bledy = kanal->Texts(WM_BLAD);
  ASSERT_EQ(bledy.size(), 1u);
  EXPECT_TRUE(std::regex_match(bledy[0], wyjatek_)) << bledy[0];
  EXPECT_FALSE(dmzq->Transaction.Active());
  EXPECT_EQ(Liczba("KONTAKTY"), "0");
}

TEST_F(KontaktyTest, UpdateOptionsDecideWhatAnUpdateChanges) {
  struct Przypadek {
    const char* opis;
    bool wszystkie, teleadr, stanowisko, nipPesel;
    const char* znacznik;
    const char* nazwa;
    const char* stanowiskoPo;
    const char* telefonPo;
  };
  const Przypadek przypadki[] = {
      {"none", false, false, false, false, "KO STA: ", "JAN TESTOWY", "HANDLOWIEC", "111"},
      {"position", false, false, true, false, "KO AKT: ", "JAN TESTOWY", "PREZES", "111"},
      {"phones", false, true, false, false, "KO AKT: ", "JAN TESTOWY", "HANDLOWIEC", "222"},
      {"tax numbers", false, false, false, true, "KO STA: ", "JAN TESTOWY", "HANDLOWIEC", "111"},
      {"all", true, false, false, false, "KO AKT: ", "JAN ZMIENIONY", "PREZES", "222"},
  };
  int pk = 9101;
  for (const Przypadek& p : przypadki) {
    SCOPED_TRACE(p.opis);
    DodajOsobe(pk, kBrakKlienta, "'Jan'", "'Testowy'");
    NowyWatek(Ustawienia(false, false));
    const int id = watek->ImportujKontakty(pk);
    ASSERT_GT(id, 0);
    Zatwierdz();
    subiekt->Execute(
        "UPDATE dbo.kh_pracownik SET pk_stanowisko = 'prezes', pk_telefon = '222', "
        "pk_nazwisko = 'Zmieniony' WHERE pk_id = " +
        std::to_string(pk));

    TOpcjeGImp o = Ustawienia(false, false);
    o.KontaktyWszystkieDane = p.wszystkie;
    o.KontaktyDaneTeleadr = p.teleadr;
    o.KontaktyStanowisko = p.stanowisko;
    o.KontaktyNipPesel = p.nipPesel;
    NowyWatek(o);
    EXPECT_EQ(watek->ImportujKontakty(pk), id);
    EXPECT_THAT(watek->BuforLogu, Contains(StartsWith(p.znacznik)));
    Zatwierdz();
    EXPECT_EQ(Kolumna("KONTAKT", pk), p.nazwa);
    EXPECT_EQ(Kolumna("STANOWISKO", pk), p.stanowiskoPo);
    EXPECT_EQ(Kolumna("TELEFON1", pk), p.telefonPo);

    // Sent again with the same options, nothing is left to change.
    NowyWatek(o);
    EXPECT_EQ(watek->ImportujKontakty(pk), id);
    EXPECT_THAT(watek->BuforLogu, Contains(StartsWith("KO STA: ")));
    Zatwierdz();
    ++pk;
  }
  EXPECT_EQ(Liczba("KONTAKTY"), std::to_string(std::size(przypadki)));
}

TEST_F(KontaktyTest, AddressIsTheCustomersMainAddressAndTextsAreCutToTheirWidths) {
  subiekt->Execute(
      "INSERT INTO dbo.kh__kontrahent (kh_id, kh_symbol) VALUES (99001, 'ADRESOWY'), "
      "(99002, 'BEZADRESU');"
      "INSERT INTO dbo.adr__ewid (adr_id, adr_idobiektu, adr_typadresu, adr_ulica, adr_nrdomu, "
      "adr_nrlokalu, adr_kod, adr_miejscowosc, adr_faks, adr_idwojewodztwo, adr_idpanstwo) "
      "VALUES (990001, 99001, 1, 'ul. Źródlana', '5a', '7', 'pl-950', 'Łódź', '42 111', 1, 1), "
      "(990002, 99001, 2, 'skr. poczt. 1', '', '', '00-001', 'Warszawa', '', 2, 2)");
  const std::string dlugieImie(45, 'a');
  const std::string dlugieNazwisko = "Żółkiewska-" + std::string(59, 'b');
  struct Osoba {
    int pk;
    int kh;
    const char* podstaw;
    int glowny;
  };
  const Osoba osoby[] = {
      {9301, 99001, "true", 1},
      {9302, 99001, "false", 0},
      {9303, 99001, nullptr, 0},
      {9304, 99002, "true", 1},
  };
  for (const Osoba& o : osoby)
    DodajOsobe(o.pk, o.kh, "'Jan'", "'Nowak'", o.podstaw, "'główny księgowy'",
               "'+48 22 123 45 67 wew. 1234567'", "'Jan.Nowak@Firma.PL'");
  DodajOsobe(9305, 99001, Sql(dlugieImie).c_str(), Sql(dlugieNazwisko).c_str());

  NowyWatek(Ustawienia(false, false));
  for (const Osoba& o : osoby) ASSERT_GT(watek->ImportujKontakty(o.pk), 0);
  const int idDlugi = watek->ImportujKontakty(9305);
  ASSERT_GT(idDlugi, 0);
  Zatwierdz();

  const std::string woj =
      text::UpperWin1250(TekstZrodla("SELECT woj_nazwa FROM dbo.sl_wojewodztwo WHERE woj_id = 1"));
  const std::string kraj =
      text::UpperWin1250(TekstZrodla("SELECT pa_nazwa FROM dbo.sl_panstwo WHERE pa_id = 1"));
  ASSERT_FALSE(woj.empty());
  struct Pole {
    const char* kolumna;
    std::string zAdresem;  // persons of 99001; those of 99002 have none
  };
  const Pole pola[] = {
      {"ADRES", "ul. Źródlana"},
      {"ADRESKOR", "ul. Źródlana"},
      {"ADRESDOM", "5a"},
      {"ADRESDOMKOR", "5a"},
      {"ADRESMIESZKANIE", "7"},
      {"ADRESMIESZKANIEKOR", "7"},
      {"KODPOCZTOWY", "PL-950"},
      {"KODPOCZTOWYKOR", "PL-950"},
      {"MIASTO", "ŁÓDŹ"},
      {"MIASTOKOR", "ŁÓDŹ"},
      {"WOJEWODZTWO", woj},
      {"WOJEWODZTWOKOR", woj},
      {"KRAJ", kraj},
      {"KRAJKOR", kraj},
      {"FAX", "42 111"},
  };
  for (const Osoba& o : osoby) {
    SCOPED_TRACE(o.pk);
    for (const Pole& p : pola)
      EXPECT_EQ(Kolumna(p.kolumna, o.pk), o.kh == 99001 ? p.zAdresem : "") << p.kolumna;
    EXPECT_EQ(Kolumna("GLOWNY", o.pk), std::to_string(o.glowny));
    EXPECT_EQ(Kolumna("STANOWISKO", o.pk), "GŁÓWNY KSIĘGOWY");
    EXPECT_EQ(Kolumna("EMAIL", o.pk), "Jan.Nowak@Firma.PL");
    EXPECT_EQ(Kolumna("TELEFON1", o.pk), "+48 22 123 45 67 wew");
    EXPECT_EQ(Kolumna("PLEC", o.pk), "-1");
    EXPECT_EQ(Kolumna("COALESCE(EXXID, 0)", o.pk), "-1");
  }

  // The name is cut in Solvo, whole in the detailed log.
  const std::string nazwa = text::UpperWin1250(dlugieImie + " " + dlugieNazwisko);
  EXPECT_EQ(Kolumna("KONTAKT", 9305), text::FirstChars(nazwa, 80));
  EXPECT_EQ(solvo->Scalar("SELECT NUMERDOK FROM IMPEKSP WHERE IDTABELI = 24 AND IDOUT = '9305'"),
            text::FirstChars(nazwa, 50));
  EXPECT_THAT(watek->BuforLogu,
              Contains("KO DOD: " +
                       Kolumny(nazwa, 9305, 99001, watek->ImportujKontrahentow(99001), idDlugi)));
  Zatwierdz();
}

}  // namespace
