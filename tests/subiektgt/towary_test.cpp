// The product phase through the real databases: the generated products of
// the Subiekt GT stand-in, rows of its own for the edge cases, and the
// reference SP_IMPORTUJTOWAR.
#include "subiektgt/towary.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <map>
#include <regex>

#include "app/komunikaty_okna.h"
#include "importcore/konwencje_importu.h"
#include "platform/text/win1250.h"
#include "targetdb/transakcje.h"
#include "tests/support/phase_fixture.h"
#include "tests/support/procedure_probe.h"

namespace {

using testing_support::ParametryProcedury;
using testing_support::PhaseTest;
using testing_support::SondaProcedury;
using testing_support::TParametr;

// --- The tables and texts of the phase ----------------------------------------

TEST(RodzajTowaru, MapsTheKinds) {
  const std::pair<int, int> przypadki[] = {{1, 0},   {2, 1},  {4, 4},  {8, 2},   {16, 3},
                                           {32, -1}, {0, -1}, {3, -1}, {-1, -1}, {64, -1}};
  for (auto [rodzaj, id] : przypadki) EXPECT_EQ(RodzajTowaru(rodzaj), id) << rodzaj;
}

TEST(PrzygotujTowar, TakesTheProductFlagsFromBits15To19) {
  struct Przypadek {
    std::int32_t opcjeImportu;
    std::int32_t handlowy, promocyjny, serwisowy, produkcyjny, produkt;
  };
  const Przypadek przypadki[] = {
      {0, 0, 0, 0, 0, 0},
      {1 << 15, 1, 0, 0, 0, 0},
      {1 << 16, 0, 1, 0, 0, 0},
      {1 << 17, 0, 0, 1, 0, 0},
      {1 << 18, 0, 0, 0, 1, 0},
      {1 << 19, 0, 0, 0, 0, 1},
      {(1 << 14) | (1 << 20) | 2, 0, 0, 0, 0, 0},
      {-1, 1, 1, 1, 1, 1},
  };
  for (const Przypadek& p : przypadki) {
    TOpcjeGImp o;
    o.OpcjeImportu = p.opcjeImportu;
    const TTowar t = PrzygotujTowar(o);
    EXPECT_EQ(t.AHANDLOWY, p.handlowy) << p.opcjeImportu;
    EXPECT_EQ(t.APROMOCYJNY, p.promocyjny) << p.opcjeImportu;
    EXPECT_EQ(t.ASERWISOWY, p.serwisowy) << p.opcjeImportu;
    EXPECT_EQ(t.APRODUKCYJNY, p.produkcyjny) << p.opcjeImportu;
    EXPECT_EQ(t.APRODUKT, p.produkt) << p.opcjeImportu;
  }
  const TTowar t = PrzygotujTowar(TOpcjeGImp{});
  EXPECT_EQ(t.AIDFORMULY, 0);
  EXPECT_EQ(t.AIDFORMULYGWAR, -1);
  EXPECT_EQ(t.AIDGWARANCJI, -1);
  EXPECT_EQ(t.AIDRODZAJ, -1);
  EXPECT_TRUE(t.ANAZWA.empty());
  EXPECT_EQ(t.ACENA0, 0);
}

TEST(UslugaJednorazowa, IsTheOneOffService) {
  const TTowar& u = UslugaJednorazowa;
  for (const std::string* s : {&u.AIDTOWARZEW, &u.ANUMERDOKZEW, &u.ASKROTNAZWY, &u.ANAZWA})
    EXPECT_EQ(*s, "USŁUGA JEDNORAZOWA");
  EXPECT_EQ(u.AIDFORMULY, -1);
  EXPECT_EQ(u.AIDFORMULYGWAR, -1);
  EXPECT_EQ(u.AIDGWARANCJI, -1);
  EXPECT_EQ(u.AIDRODZAJ, 0);
  EXPECT_EQ(u.AHANDLOWY + u.APROMOCYJNY + u.ASERWISOWY + u.APRODUKCYJNY + u.APRODUKT, 0);
  EXPECT_TRUE(u.AVAT.empty());
  EXPECT_TRUE(u.AMODYFIKATOR.empty());
}

TEST(NormalizujTowar, UpperCasesAndTrimsAllButTheDescription) {
  TTowar t;
  t.AIDTOWARZEW = " 12 ";
  t.ANUMERDOKZEW = "  żółw-01 ";
  t.AKOD = " 590a ";
  t.ASKROTNAZWY = "\tżółw-01";
  t.ANAZWA = "  zażółć gęślą jaźń  ";
  t.ASWW = " 10.20 ";
  t.AKODTOWARU = "kt/1 ";
  t.AGRUPATOWAROWA = " Żywność ekologiczna";
  t.APODGRUPA = " pod ";
  t.AVAT = " %";
  t.AJM = "usł.";
  t.AMODYFIKATOR = "  Opis Mieszany  ";
  NormalizujTowar(t);
  EXPECT_EQ(t.AIDTOWARZEW, "12");
  EXPECT_EQ(t.ANUMERDOKZEW, "ŻÓŁW-01");
  EXPECT_EQ(t.AKOD, "590A");
  EXPECT_EQ(t.ASKROTNAZWY, "ŻÓŁW-01");
  EXPECT_EQ(t.ANAZWA, "ZAŻÓŁĆ GĘŚLĄ JAŹŃ");
  EXPECT_EQ(t.ASWW, "10.20");
  EXPECT_EQ(t.AKODTOWARU, "KT/1");
  EXPECT_EQ(t.AGRUPATOWAROWA, "ŻYWNOŚĆ EKOLOGICZNA");
  EXPECT_EQ(t.APODGRUPA, "POD");
  EXPECT_EQ(t.AVAT, "%");
  EXPECT_EQ(t.AJM, "USŁ.");
  EXPECT_EQ(t.AMODYFIKATOR, "  Opis Mieszany  ");
}

TEST(ZapytanieTowarow, FillsTheWarehouseMarkerAndEndsByMode) {
  const std::string stan = "(SELECT SUM(ST_STAN) FROM DBO.TW_STAN WHERE ST_TOWID=TW.TW_ID ";
  const std::string wszystkie = ZapytanieTowarow({}, false);
  EXPECT_EQ(wszystkie.rfind("SELECT \r\n  TW.TW_ID, TW.TW_SYMBOL, ", 0), 0u);
  EXPECT_NE(wszystkie.find(stan + ") ST_STAN, \r\n"), std::string::npos);
  EXPECT_EQ(wszystkie.find("$MAG_ID$"), std::string::npos);
  EXPECT_THAT(wszystkie, testing::EndsWith("SV.VAT_ID=TW.TW_IDVATSP \r\nWHERE 0=0\r\n"
                                           "ORDER BY TW.TW_ID \r\n"));

  const std::string wybrane = ZapytanieTowarow({1, 3, 12}, true);
  EXPECT_NE(wybrane.find(stan + "AND ST_MAGID IN (1,3,12)) ST_STAN, \r\n"), std::string::npos);
  EXPECT_THAT(wybrane, testing::EndsWith("WHERE 0=0\r\nAND TW.TW_ID=:ID \r\n"));
  EXPECT_NE(ZapytanieTowarow({7}, false).find("AND ST_MAGID IN (7)) ST_STAN"), std::string::npos);

  // Every line but the last of the fixed text ends in a blank.
  std::size_t poczatek = 0;
  for (std::size_t koniec; (koniec = wszystkie.find("\r\n", poczatek)) != std::string::npos;
       poczatek = koniec + 2) {
    const std::string linia = wszystkie.substr(poczatek, koniec - poczatek);
    if (linia != "WHERE 0=0") {
      EXPECT_EQ(linia.back(), ' ') << linia;
    }
  }
}

// --- The phase --------------------------------------------------------------

constexpr const char* kNaglowek = "AKCJA SKROT_NAZWY NAZWA IDZEWNETRZNE IDSOLVO";

class TowaryTest : public PhaseTest {
 protected:
  TOpcjeGImp Opcje() const {
    TOpcjeGImp o = DomyslneOpcje();
    o.LogSzczegolowy = true;
    o.AnalizaTowarow = true;
    o.OpcjeImportu = 2;
    o.ImportSprzedazy = true;
    return o;
  }

  // A column (or expression over T) of the Solvo product linked to TW_ID.
  std::string Kolumna(int twId, const std::string& wyrazenie) {
    return KolumnaPowiazanego("TOWARY", "T", 42, twId, wyrazenie);
  }

  // One Subiekt GT product of the test's own; SQL texts for the columns that
  // may be NULL.
  struct TProdukt {
    int id;
    std::string symbol = "TEST-1";
    std::string nazwa = "Towar testowy";
    std::string kodKreskowy = "'5901234567890'";
    std::string jm = "'szt.'";
    std::string kodTowaru = "'KT/1'";
    std::string pkwiu = "'10.20.30'";
    std::string opis = "NULL";
    std::string masa = "1.25";
    int rodzaj = 1;
    std::string grupa = "1";  // SL_GRUPATW id
    std::string vat = "1";    // SL_STAWKAVAT id
    // Net prices 0 to 5; empty: no price row.
    std::string ceny = "7.2, 10.5, 9.5, 9, 8.5, 8";
    // Stock per warehouse id.
    std::map<int, std::string> stany = {{1, "5"}, {2, "7.25"}};
  };

  void DodajTowar(const TProdukt& p) {
    const std::string id = std::to_string(p.id);
    std::string sql =
        "INSERT INTO dbo.tw__towar (tw_id, tw_symbol, tw_nazwa, tw_sww, tw_podstkodkresk, "
        "tw_jednmiary, tw_kodtowaru, tw_pkwiu, tw_opis, tw_masa, tw_rodzaj, tw_idgrupa, "
        "tw_idvatsp) VALUES (" +
        id + ", " + Sql(p.symbol) + ", " + Sql(p.nazwa) + ", 'SWW', " + p.kodKreskowy + ", " +
        p.jm + ", " + p.kodTowaru + ", " + p.pkwiu + ", " + p.opis + ", " + p.masa + ", " +
        std::to_string(p.rodzaj) + ", " + p.grupa + ", " + p.vat + ");\n";
    if (!p.ceny.empty())
      sql +=
          "INSERT INTO dbo.tw_cena (tc_id, tc_idtowar, tc_cenanetto0, tc_cenanetto1, "
          "tc_cenanetto2, tc_cenanetto3, tc_cenanetto4, tc_cenanetto5) VALUES (" +
          id + ", " + id + ", " + p.ceny + ");\n";
    for (const auto& [magazyn, stan] : p.stany)
      sql += "INSERT INTO dbo.tw_stan (st_towid, st_magid, st_stan) VALUES (" + id + ", " +
             std::to_string(magazyn) + ", " + stan + ");\n";
    subiekt->Execute(sql);
  }

  static bool LiniaTempa(const std::string& l) {
    static const std::regex wzor("^  [0-9]+ towarów/s$");
    return std::regex_match(l, wzor);
  }
};

TEST_F(TowaryTest, WholePassImportsEveryProductAndASecondRunFindsThemUnchanged) {
  TOpcjeGImp o = Opcje();
  // With every column compared, an unchanged row proves equal values.
  o.TowaryWszystkieDane = true;
  o.OpcjeAktualizacji = 1 << 16;
  Nowy(o);
  watek->ImportujMagazyny();
  const int wynik = watek->ImportujTowary(-1);

  EXPECT_FALSE(watek->Przerwany());
  const auto linie = Linie();
  const auto start = std::find(linie.begin(), linie.end(), "Rozpoczynam import towarów...");
  ASSERT_NE(start, linie.end());
  const std::vector<std::string> faza(start, linie.end());
  ASSERT_GE(faza.size(), 3u);
  ASSERT_LE(faza.size(), 4u);
  EXPECT_EQ(faza[1], "  Rekordów do analizy: 100");
  EXPECT_EQ(faza[2], "  Nowych: 100, starych: 0, zaktualizowanych: 0");
  if (faza.size() == 4) {
    EXPECT_TRUE(LiniaTempa(faza[3])) << faza[3];
  }
  EXPECT_TRUE(kanal->Texts(WM_BLAD).empty());

  // Everything committed, each product with its link.
  EXPECT_FALSE(dmzq->Transaction.Active());
  EXPECT_EQ(Liczba("TOWARY"), "100");
  EXPECT_EQ(Liczba("IMPEKSP WHERE IDTABELI = 42 AND IDSYSTEMOUT = 5 AND WERSJAZRODLA = 1"), "100");
  EXPECT_EQ(std::to_string(wynik), Kolumna(100, "T.ID"));
  EXPECT_EQ(Kolumna(100, "I.NUMERDOK"), Kolumna(100, "T.SKROTNAZWY"));

  // The header and one tagged line per row, in TW_ID order.
  const auto& bufor = watek->BuforLogu;
  EXPECT_NE(std::find(bufor.begin(), bufor.end(), kNaglowek), bufor.end());
  const auto dodane = Szczegoly("TW DOD: ");
  ASSERT_EQ(dodane.size(), 100u);
  EXPECT_THAT(dodane[0], testing::EndsWith("\" \"1\" \"" + Kolumna(1, "T.ID") + "\""));
  EXPECT_EQ(dodane[99],
            "TW DOD: " + TekstKolumn({Kolumna(100, "T.SKROTNAZWY"), Kolumna(100, "T.NAZWA"), "100",
                                      std::to_string(wynik)}));

  // Accepted products are cached for the document phases, sorted at the end.
  EXPECT_TRUE(watek->Cache.Posortowana(TImportCache::kTowary));
  EXPECT_EQ(watek->Cache.Rozmiar(TImportCache::kTowary), 100u);
  std::int32_t id = 0;
  EXPECT_TRUE(watek->Cache.Znajdz(TImportCache::kTowary, 37, id));
  EXPECT_EQ(std::to_string(id), Kolumna(37, "T.ID"));

  // Progress over the 100 rows, after the warehouses' 5.
  const auto postep = kanal->Only(WM_POSTEP);
  ASSERT_FALSE(postep.empty());
  EXPECT_EQ(postep.back().wParam, 2);
  EXPECT_EQ(postep.back().lParam, 100);

  Nowy(o);
  watek->ImportujMagazyny();
  EXPECT_EQ(watek->ImportujTowary(-1), wynik);
  const auto drugie = Linie();
  EXPECT_NE(
      std::find(drugie.begin(), drugie.end(), "  Nowych: 0, starych: 100, zaktualizowanych: 0"),
      drugie.end());
  EXPECT_EQ(Szczegoly("TW STA: ").size(), 100u);
  EXPECT_EQ(Liczba("TOWARY"), "100");
  EXPECT_EQ(Liczba("IMPEKSP"), "100");
}

TEST_F(TowaryTest, WholePassOffDoesNothing) {
  TOpcjeGImp o = Opcje();
  o.AnalizaTowarow = false;
  Nowy(o);
  EXPECT_EQ(watek->ImportujTowary(-1), -1);
  EXPECT_TRUE(kanal->Messages().empty());
  EXPECT_TRUE(watek->BuforLogu.empty());
  EXPECT_EQ(Liczba("TOWARY"), "0");
}

TEST_F(TowaryTest, GeneratedEdgeProductsReachSolvoAsTheyShould) {
  Nowy(Opcje());
  ASSERT_GT(watek->ImportujTowary(-1), 0);
  struct Przypadek {
    int twId;
    const char* wyrazenie;
    const char* wartosc;
  };
  const Przypadek przypadki[] = {
      // no price row: every price 0
      {7, "CAST(T.CENA0 + T.CENA1 + T.CENA2 + T.CENA3 + T.CENA4 + T.CENAZAKUPU AS INTEGER)", "0"},
      // a price row of NULLs
      {59, "CAST(T.CENA0 + T.CENA4 + T.CENAZAKUPU AS INTEGER)", "0"},
      {11, "T.GRUPATOWAROWA", ""},
      {13, "T.VAT", "%"},
      {17, "CAST(T.ILOSC AS INTEGER)", "0"},
      {19, "T.IDRODZAJ", "-1"},
      {1, "T.IDRODZAJ", "0"},
      {20, "T.IDRODZAJ", "1"},
      {41, "T.IDRODZAJ", "4"},
      {43, "T.IDRODZAJ", "2"},
      {47, "T.IDRODZAJ", "3"},
      {23, "CHAR_LENGTH(T.NAZWA)", "250"},
      {29, "CHAR_LENGTH(T.SKROTNAZWY)", "30"},
      {29, "CHAR_LENGTH(I.NUMERDOK)", "50"},
      {97, "T.NAZWA", ""},
      {53, "T.KOD || '|' || T.SWW || '|' || T.KODTOWARU || '|' || CAST(T.MASA AS INTEGER)", "|||0"},
      {20, "T.JM", "USŁ."},
  };
  for (const Przypadek& p : przypadki)
    EXPECT_EQ(Kolumna(p.twId, p.wyrazenie), p.wartosc) << p.twId << " " << p.wyrazenie;
  // The pass's fixed values.
  EXPECT_EQ(Kolumna(2, "T.IDFORMULY || ' ' || T.IDFORMULYGWAR || ' ' || T.IDGWARANCJI"), "-1 -1 0");

  // Lower case with surrounding blanks: upper-cased and trimmed.
  const std::string symbol3 = Kolumna(3, "T.SKROTNAZWY");
  EXPECT_THAT(symbol3, testing::EndsWith("-000003"));
  EXPECT_EQ(symbol3, text::Trim(text::UpperWin1250(symbol3)));
  const std::string nazwa3 = Kolumna(3, "T.NAZWA");
  EXPECT_EQ(nazwa3, text::Trim(text::UpperWin1250(nazwa3)));
  EXPECT_FALSE(nazwa3.empty());

  // The multi-line description keeps its case and its line breaks.
  const std::string opis37 = Kolumna(37, "T.MODYFIKATOR");
  EXPECT_EQ(opis37.rfind("Opis towaru: ", 0), 0u) << opis37;
  EXPECT_THAT(opis37, testing::HasSubstr("\nUWAGA: przechowywać w suchym miejscu"));

  // The long name shows whole in the detailed log.
  const auto dodane = Szczegoly("TW DOD: ");
  const std::string nazwa23 = Kolumna(23, "T.NAZWA");
  const auto linia23 = std::find_if(dodane.begin(), dodane.end(), [&](const std::string& l) {
    return l.find("\" \"23\" \"") != std::string::npos;
  });
  ASSERT_NE(linia23, dodane.end());
  EXPECT_THAT(*linia23, testing::HasSubstr("\"" + nazwa23));
  EXPECT_THAT(*linia23, testing::Not(testing::HasSubstr("\"" + nazwa23 + "\"")));
}

TEST_F(TowaryTest, OwnProductsShowCuttingUpperCasingAndStock) {
  const std::string dlugaNazwa = "  zażółć gęślą jaźń " + std::string(250, 'x') + " koniec ";
  const std::string dlugiSymbol = "  żółw-" + std::string(51, 'y');  // 58 characters
  DodajTowar({.id = 100001,
              .symbol = dlugiSymbol,
              .nazwa = dlugaNazwa,
              .opis = "E'  Opis Mieszany\\r\\nDruga linia  '",
              .rodzaj = 8,
              .grupa = "12",
              .vat = "2"});
  DodajTowar({.id = 100002,
              .symbol = "BEZ-CEN",
              .nazwa = "",
              .kodKreskowy = "NULL",
              .jm = "NULL",
              .grupa = "NULL",
              .vat = "NULL",
              .ceny = "",
              .stany = {}});
  Nowy(Opcje());
  watek->WybraneMagazyny = {1, 2};
  ASSERT_GT(watek->ImportujTowary(-1), 0);

  const std::string nazwa = text::UpperWin1250(text::Trim(dlugaNazwa));
  EXPECT_EQ(Kolumna(100001, "T.NAZWA"), text::FirstChars(nazwa, 250));
  const std::string symbol = text::UpperWin1250(text::Trim(dlugiSymbol));
  EXPECT_EQ(Kolumna(100001, "T.SKROTNAZWY"), text::FirstChars(symbol, 30));
  EXPECT_EQ(Kolumna(100001, "I.NUMERDOK"), text::FirstChars(symbol, 50));
  EXPECT_EQ(Kolumna(100001, "T.GRUPATOWAROWA"), "ŻYWNOŚĆ EKOLOGICZNA");
  EXPECT_EQ(Kolumna(100001, "T.VAT"), "8 %");
  EXPECT_EQ(Kolumna(100001, "T.JM"), "SZT.");
  EXPECT_EQ(Kolumna(100001, "T.MODYFIKATOR"), "  Opis Mieszany\r\nDruga linia  ");
  EXPECT_EQ(Kolumna(100001, "CAST(T.ILOSC * 100 AS INTEGER)"), "1225");
  EXPECT_EQ(Kolumna(100001,
                    "CAST(T.CENA0 * 100 AS INTEGER) || ' ' || "
                    "CAST(T.CENA4 * 100 AS INTEGER) || ' ' || "
                    "CAST(T.CENAZAKUPU * 100 AS INTEGER)"),
            "1050 800 720");
  EXPECT_EQ(Kolumna(100001, "T.IDRODZAJ"), "2");
  // The detailed log carries the texts whole, normalised but not cut.
  const auto dodane = Szczegoly("TW DOD: ");
  ASSERT_EQ(dodane.size(), 102u);
  EXPECT_EQ(dodane[100],
            "TW DOD: " + TekstKolumn({symbol, nazwa, "100001", Kolumna(100001, "T.ID")}));

  // Nothing read from the joins: zeros and empty texts, the VAT rate a bare %.
  EXPECT_EQ(Kolumna(100002,
                    "T.NAZWA || '|' || T.KOD || '|' || T.JM || '|' || "
                    "T.GRUPATOWAROWA || '|' || T.VAT"),
            "||||%");
  EXPECT_EQ(Kolumna(100002, "CAST(T.CENA1 + T.CENAZAKUPU + T.ILOSC AS INTEGER)"), "0");

  // Stock only from the selected warehouses.
  Nowy(Opcje());
  watek->WybraneMagazyny = {1};
  solvo->Execute({"DELETE FROM IMPEKSP", "DELETE FROM TOWARY"});
  StartujTransakcje(dmzq->Transaction);
  ASSERT_GT(watek->ImportujTowary(100001), 0);
  Zatwierdz();
  EXPECT_EQ(Kolumna(100001, "CAST(T.ILOSC * 100 AS INTEGER)"), "500");
}

TEST_F(TowaryTest, PlaceholderSymbolsStayDistinctProducts) {
  DodajTowar({.id = 100007, .symbol = "********************", .nazwa = "Pierwszy"});
  DodajTowar({.id = 100009, .symbol = "********************", .nazwa = "Drugi"});
  Nowy(Opcje());
  const int pierwszy = watek->ImportujTowary(100007);
  const int drugi = watek->ImportujTowary(100009);
  Zatwierdz();
  ASSERT_GT(pierwszy, 0);
  ASSERT_GT(drugi, 0);
  EXPECT_NE(pierwszy, drugi);
  EXPECT_EQ(Liczba("TOWARY WHERE SKROTNAZWY = '********************'"), "2");
  EXPECT_EQ(Kolumna(100009, "T.NAZWA"), "DRUGI");
  EXPECT_EQ(Szczegoly("TW DOD: ").size(), 2u);
}

TEST_F(TowaryTest, UpdateOptionsDecideWhatChanges) {
  DodajTowar({.id = 100001});
  TOpcjeGImp o = Opcje();
  o.AnalizaTowarow = false;
  o.ImportSprzedazy = false;  // nothing cached: every call reaches Solvo
  auto wyslij = [&](const TOpcjeGImp& opcje) {
    Nowy(opcje);
    const int id = watek->ImportujTowary(100001);
    Zatwierdz();
    return id;
  };
  auto tag = [&] {
    const auto& b = watek->BuforLogu;
    return b.empty() ? std::string() : b.back().substr(0, 8);
  };
  const int id = wyslij(o);
  ASSERT_GT(id, 0);
  EXPECT_EQ(tag(), "TW DOD: ");

  subiekt->Execute(
      "UPDATE dbo.tw_cena SET tc_cenanetto1 = 11 WHERE tc_idtowar = 100001;"
      "UPDATE dbo.tw__towar SET tw_nazwa = 'Nowa nazwa' WHERE tw_id = 100001;");
  // Neither the price nor the name group allowed.
  o.DodatkoweOpcje = 0;
  EXPECT_EQ(wyslij(o), id);
  EXPECT_EQ(tag(), "TW STA: ");
  // Prices allowed, the name kept.
  o.DodatkoweOpcje = 1;
  EXPECT_EQ(wyslij(o), id);
  EXPECT_EQ(tag(), "TW AKT: ");
  EXPECT_EQ(Kolumna(100001, "CAST(T.CENA0 AS INTEGER) || ' ' || T.NAZWA"), "11 TOWAR TESTOWY");
  EXPECT_EQ(wyslij(o), id);
  EXPECT_EQ(tag(), "TW STA: ");
  // Everything allowed.
  o.DodatkoweOpcje = 127;
  o.TowaryWszystkieDane = true;
  EXPECT_EQ(wyslij(o), id);
  EXPECT_EQ(tag(), "TW AKT: ");
  EXPECT_EQ(Kolumna(100001, "T.NAZWA"), "NOWA NAZWA");
  EXPECT_EQ(wyslij(o), id);
  EXPECT_EQ(tag(), "TW STA: ");
  EXPECT_EQ(Liczba("TOWARY"), "1");
  EXPECT_EQ(Liczba("IMPEKSP"), "1");

  // A product deleted in Solvo comes back under its old link.
  solvo->Execute({"DELETE FROM TOWARY"});
  const int nowy = wyslij(o);
  EXPECT_NE(nowy, id);
  EXPECT_EQ(tag(), "TW DOD: ");
  EXPECT_EQ(Liczba("IMPEKSP"), "1");
  EXPECT_EQ(Kolumna(100001, "T.ID"), std::to_string(nowy));
}

TEST_F(TowaryTest, TheOneOffServiceIsOneProduct) {
  Nowy(Opcje());
  std::int32_t id = -1;
  EXPECT_EQ(ZapiszTowar(dmzq->IBSPTW, 5, watek->Opcje, id, UslugaJednorazowa), 0);
  ASSERT_GT(id, 0);
  std::int32_t ponownie = -1;
  EXPECT_EQ(ZapiszTowar(dmzq->IBSPTW, 5, watek->Opcje, ponownie, UslugaJednorazowa), 1);
  EXPECT_EQ(ponownie, id);
  Zatwierdz();
  EXPECT_EQ(solvo->Scalar("SELECT T.SKROTNAZWY || '|' || T.NAZWA || '|' || T.IDRODZAJ || '|' || "
                          "I.IDOUT || '|' || I.NUMERDOK FROM TOWARY T JOIN IMPEKSP I "
                          "ON I.IDLICZ = T.ID AND I.IDTABELI = 42 WHERE T.ID = " +
                          std::to_string(id)),
            "USŁUGA JEDNORAZOWA|USŁUGA JEDNORAZOWA|0|USŁUGA JEDNORAZOWA|USŁUGA JEDNORAZOWA");
  EXPECT_EQ(Liczba("TOWARY"), "1");
}

TEST_F(TowaryTest, SingleModeAnswersFromTheCacheWithoutTouchingEitherDatabase) {
  TOpcjeGImp o = Opcje();
  o.AnalizaTowarow = false;  // the list is sorted from the start
  Nowy(o);
  ASSERT_TRUE(watek->Cache.Posortowana(TImportCache::kTowary));
  const int id = watek->ImportujTowary(5);
  ASSERT_GT(id, 0);
  Zatwierdz();
  EXPECT_EQ(std::to_string(id), Kolumna(5, "T.ID"));
  EXPECT_EQ(Szczegoly("TW DOD: ").size(), 1u);
  // No start line, count, header, progress or summary in single mode.
  EXPECT_TRUE(Linie().empty());
  EXPECT_TRUE(kanal->Only(WM_POSTEP).empty());
  EXPECT_EQ(std::find(watek->BuforLogu.begin(), watek->BuforLogu.end(), kNaglowek),
            watek->BuforLogu.end());

  // Gone from both databases: only the cache can still answer.
  subiekt->Execute("DELETE FROM dbo.tw__towar WHERE tw_id = 5");
  solvo->Execute({"DELETE FROM IMPEKSP", "DELETE FROM TOWARY"});
  OczekujOdpowiedziZCache([&] { return watek->ImportujTowary(5); }, id);
  EXPECT_EQ(Liczba("TOWARY"), "0");
}

TEST_F(TowaryTest, MissingProductGivesMinusOne) {
  Nowy(Opcje());
  EXPECT_EQ(watek->ImportujTowary(999999), -1);
  EXPECT_EQ(watek->ImportujTowary(0), -1);
  EXPECT_FALSE(watek->Przerwany());
  EXPECT_TRUE(kanal->Messages().empty());
  EXPECT_TRUE(watek->BuforLogu.empty());
  EXPECT_EQ(watek->Cache.Rozmiar(TImportCache::kTowary), 0u);
  EXPECT_EQ(Liczba("TOWARY"), "0");
}

// --- Against a recorder in place of the procedure -----------------------------

// The inputs of SP_IMPORTUJTOWAR in their declared order, after the two
// outputs.
constexpr TParametr kParametry[] = {
    {"AIDSYSTEM", 'I'},
    {"AIDODDZIALU", 'I'},
    {"AIDTABELITOWARY", 'I'},
    {"AIDTABELITOWARYZEW", 'I'},
    {"AIDTOWARZEW", 'T'},
    {"ANUMERDOKZEW", 'T'},
    {"AWERSJAZRODLA", 'I'},
    {"AKOD", 'T'},
    {"ASKROTNAZWY", 'T'},
    {"ANAZWA", 'T'},
    {"AIDOPERATORA", 'I'},
    {"AILOSCDNI", 'I'},
    {"AUSUNIETY", 'I'},
    {"AHANDLOWY", 'I'},
    {"APROMOCYJNY", 'I'},
    {"ACENA0", 'F'},
    {"ACENA1", 'F'},
    {"ACENA2", 'F'},
    {"ACENA3", 'F'},
    {"ACENA4", 'F'},
    {"ASERWISOWY", 'I'},
    {"AARC", 'I'},
    {"AEDIT", 'I'},
    {"ASWW", 'T'},
    {"AILOSC", 'F'},
    {"AKODTOWARU", 'T'},
    {"APRODUKCYJNY", 'I'},
    {"AMASA", 'F'},
    {"ADLUGOSC", 'F'},
    {"ASZEROKOSC", 'F'},
    {"AWYSOKOSC", 'F'},
    {"ASYNC", 'I'},
    {"AEXXID", 'I'},
    {"AIDFORMULY", 'I'},
    {"AWSPOLCZYNNIK", 'F'},
    {"AIDFORMULYGWAR", 'I'},
    {"ACENAZAKUPU", 'F'},
    {"APRODUKT", 'I'},
    {"AIDGWARANCJI", 'I'},
    {"AGRUPATOWAROWA", 'T'},
    {"APODGRUPA", 'T'},
    {"AVAT", 'T'},
    {"AJM", 'T'},
    {"AOPCJE_TOWARYWSZYSTKIEDANE", 'S'},
    {"AOPCJE_AKTUALIZACJI", 'I'},
    {"ASTANMIN", 'F'},
    {"ADODATKOWEOPCJE", 'I'},
    {"AMODYFIKATOR", 'B'},
    {"AMAXRABATPROC", 'F'},
    {"AIDRODZAJ", 'I'},
};

class TowarySondaTest : public TowaryTest {
 protected:
  // Puts a recorder in the procedure's place: it writes down what arrives at
  // each position for AIDTOWARZEW = `nagrywany`, answers the Solvo id
  // 1000 + the source id, and the outcome 3 for source id 2, -1 for 3, 0
  // otherwise.
  void Sonda(const std::string& nagrywany) {
    solvo->Execute(
        {sonda_.Tabela(),
         "CREATE OR ALTER PROCEDURE SP_IMPORTUJTOWAR (" + sonda_.Wejscia() +
             ") RETURNS (OIDTOWAR INTEGER, OAKCJA SMALLINT) AS BEGIN IF (AIDTOWARZEW = '" +
             nagrywany + "') THEN BEGIN " + sonda_.Zapisy() +
             "END OIDTOWAR = 1000 + CAST(AIDTOWARZEW AS INTEGER); "
             "OAKCJA = CASE AIDTOWARZEW WHEN '2' THEN 3 WHEN '3' THEN -1 ELSE 0 END; END"});
  }

  const SondaProcedury sonda_{kParametry, "SONDA_TW", 2};
};

TEST_F(TowarySondaTest, EveryParameterIsSentByItsPosition) {
  // The reference procedure declares exactly this list.
  std::string nazwy = "OIDTOWAR,OAKCJA";
  for (const TParametr& p : kParametry) nazwy += std::string(",") + p.nazwa;
  EXPECT_EQ(ParametryProcedury(*solvo, "SP_IMPORTUJTOWAR"), nazwy);

  Sonda("100001");
  DodajTowar({.id = 100001,
              .symbol = "  żółw-01 ",
              .nazwa = "  zażółć gęślą jaźń  ",
              .kodKreskowy = "' 5901234567890 '",
              .kodTowaru = "'kt/1'",
              .opis = "E' Opis  Mieszany\\r\\nDruga linia '",
              .rodzaj = 8,
              .grupa = "12",
              .vat = "2"});
  TOpcjeGImp o = Opcje();
  o.IdOddzialu = 4;
  o.WersjaZrodla = 7;
  o.IdOperatora = 3;
  o.OpcjeImportu = 2 | (1 << 15) | (1 << 17) | (1 << 19);
  o.TowaryWszystkieDane = true;
  o.OpcjeAktualizacji = (1 << 16) | 1;
  Nowy(o);
  EXPECT_EQ(watek->ImportujTowary(100001), 1000 + 100001);
  Zatwierdz();

  const std::map<int, std::string> teksty = {
      {6, "100001"},
      {7, "ŻÓŁW-01"},
      {9, "5901234567890"},
      {10, "ŻÓŁW-01"},
      {11, "ZAŻÓŁĆ GĘŚLĄ JAŹŃ"},
      {25, "10.20.30"},
      {27, "KT/1"},
      {41, "ŻYWNOŚĆ EKOLOGICZNA"},
      {42, ""},
      {43, "8 %"},
      {44, "SZT."},
      {49, " Opis  Mieszany\r\nDruga linia "},
  };
  // Numbers times 100.
  const std::map<int, int> liczby = {
      {2, 500},    {3, 400},  {4, 4200}, {5, 4200},  {8, 700},   {12, 300},     {13, 0},
      {14, 0},     {15, 100}, {16, 0},   {17, 1050}, {18, 950},  {19, 900},     {20, 850},
      {21, 800},   {22, 100}, {23, 0},   {24, 0},    {26, 1225}, {28, 0},       {29, 125},
      {30, 0},     {31, 0},   {32, 0},   {33, 100},  {34, -100}, {35, -100},    {36, 0},
      {37, -100},  {38, 720}, {39, 100}, {40, 0},    {45, 100},  {46, 6553700}, {47, 0},
      {48, 12700}, {50, 0},   {51, 200},
  };
  sonda_.Sprawdz(*solvo, teksty, liczby, "LICZBA * 100");
}

TEST_F(TowarySondaTest, UnlistedOutcomesAreNeitherCountedNorLoggedNorCached) {
  Sonda("");
  Nowy(Opcje());
  // The pass ends on product 100, accepted.
  EXPECT_EQ(watek->ImportujTowary(-1), 1100);
  const auto linie = Linie();
  ASSERT_GE(linie.size(), 3u);
  EXPECT_EQ(linie[2], "  Nowych: 98, starych: 0, zaktualizowanych: 0");
  EXPECT_EQ(Szczegoly("TW DOD: ").size(), 98u);
  EXPECT_EQ(watek->Cache.Rozmiar(TImportCache::kTowary), 98u);
  std::int32_t id = 0;
  EXPECT_TRUE(watek->Cache.Znajdz(TImportCache::kTowary, 1, id));
  EXPECT_EQ(id, 1001);
  EXPECT_FALSE(watek->Cache.Znajdz(TImportCache::kTowary, 2, id));
  EXPECT_FALSE(watek->Cache.Znajdz(TImportCache::kTowary, 3, id));

  // In single mode a refused product answers -1, not the id accepted before.
  TOpcjeGImp o = Opcje();
  o.AnalizaTowarow = false;
  Nowy(o);
  EXPECT_EQ(watek->ImportujTowary(1), 1001);
  EXPECT_EQ(watek->ImportujTowary(2), -1);
  EXPECT_EQ(watek->ImportujTowary(3), -1);
  EXPECT_FALSE(watek->Przerwany());
  EXPECT_EQ(watek->Cache.Rozmiar(TImportCache::kTowary), 1u);
  EXPECT_EQ(watek->BuforLogu.size(), 1u);
  Zatwierdz();
}

// --- Errors --------------------------------------------------------------------

class TowaryBladTest : public TowaryTest {
 protected:
  // Solvo refuses one product with an error of its own.
  void SetUp() override {
    TowaryTest::SetUp();
    solvo->Execute({"CREATE EXCEPTION E_TOWAR_TESTU 'Towar odrzucony przez test'",
                    "CREATE TRIGGER TOWAR_TESTU FOR TOWARY BEFORE INSERT AS BEGIN "
                    "IF (NEW.SKROTNAZWY = 'BLAD-1') THEN EXCEPTION E_TOWAR_TESTU; END"});
  }

  // The log ends with the symbol of the row being handled.
  void OczekujBledu() {
    OczekujPrzerwania("^TW Wyjątek\\(1\\): -836 - [^]*$", "Towar odrzucony przez test", "BLAD-1");
  }
};

TEST_F(TowaryBladTest, AnErrorInTheWholePassRollsBackSinceTheLastCommitAndStops) {
  // 100 generated products and 1950 of the test's own: the failing one is
  // row 2050, after the commit at row 2000.
  subiekt->Execute(
      "INSERT INTO dbo.tw__towar (tw_id, tw_symbol, tw_nazwa, tw_rodzaj) "
      "SELECT 100000 + i, CASE WHEN i = 1950 THEN 'blad-1' ELSE 'MASA-' || i END, "
      "'Towar ' || i, 1 FROM generate_series(1, 1950) AS i;"
      "INSERT INTO dbo.tw__towar (tw_id, tw_symbol, tw_nazwa, tw_rodzaj) "
      "VALUES (200000, 'PO-BLEDZIE', 'Nigdy nie wysłany', 1);");
  TOpcjeGImp o = Opcje();
  o.LogSzczegolowy = true;
  Nowy(o);
  EXPECT_EQ(watek->ImportujTowary(-1), -1);
  OczekujBledu();
  EXPECT_EQ(Liczba("TOWARY"), "2000");
  EXPECT_EQ(Liczba("IMPEKSP"), "2000");
  EXPECT_EQ(Kolumna(101900, "COUNT(*)"), "1");
  EXPECT_EQ(Kolumna(101901, "COUNT(*)"), "0");
  const auto linie = Linie();
  ASSERT_EQ(linie.size(), 2u);  // start and row count, no summary or rate
  EXPECT_EQ(linie[1], "  Rekordów do analizy: 2051");
  EXPECT_FALSE(watek->Cache.Posortowana(TImportCache::kTowary));
}

TEST_F(TowaryBladTest, AnErrorInSingleModeRollsBackTheCallersRows) {
  DodajTowar({.id = 100001, .symbol = "blad-1"});
  TOpcjeGImp o = Opcje();
  o.AnalizaTowarow = false;
  Nowy(o);
  StartujTransakcje(dmzq->Transaction);
  ASSERT_GT(watek->ImportujTowary(1), 0);
  EXPECT_EQ(watek->ImportujTowary(100001), -1);
  OczekujBledu();
  EXPECT_EQ(Liczba("TOWARY"), "0");
  // Nothing cached for the failed product; the caller stops at its next test.
  std::int32_t id = 0;
  EXPECT_FALSE(watek->Cache.Znajdz(TImportCache::kTowary, 100001, id));
}

TEST_F(TowaryBladTest, AnErrorOpeningTheQueryLeavesAnEmptyKey) {
  subiekt->Execute("ALTER TABLE dbo.tw__towar RENAME COLUMN tw_masa TO tw_masa_stara;");
  Nowy(Opcje());
  EXPECT_EQ(watek->ImportujTowary(-1), -1);
  EXPECT_TRUE(watek->Przerwany());
  const auto bledy = kanal->Texts(WM_BLAD);
  ASSERT_EQ(bledy.size(), 1u);
  EXPECT_EQ(bledy[0].rfind("TW Wyjątek(1): ", 0), 0u) << bledy[0];
  EXPECT_EQ(watek->BuforLogu.back(), "");
  EXPECT_EQ(Linie(), std::vector<std::string>{"Rozpoczynam import towarów..."});
}

}  // namespace
