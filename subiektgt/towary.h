// Products: every Subiekt GT product with its prices, group, VAT rate and
// stock goes to SP_IMPORTUJTOWAR, which adds, updates or leaves it. A whole
// pass reads them all; the document-line phases import one product on
// demand (TThSubiektImp::ImportujTowary) and send UslugaJednorazowa for
// lines without a product.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/opcje_gimp.h"
#include "platform/firebird/stored_proc.h"

// One product's inputs of SP_IMPORTUJTOWAR; a field is named by the
// parameter it feeds.
struct TTowar {
  std::string AIDTOWARZEW;
  std::string ANUMERDOKZEW;
  std::string AKOD;
  std::string ASKROTNAZWY;
  std::string ANAZWA;
  std::int32_t AARC = 0;
  std::int32_t AILOSCDNI = 0;
  std::int32_t AHANDLOWY = 0;
  std::int32_t APROMOCYJNY = 0;
  double ACENA0 = 0;
  double ACENA1 = 0;
  double ACENA2 = 0;
  double ACENA3 = 0;
  double ACENA4 = 0;
  double ACENAZAKUPU = 0;
  std::int32_t ASERWISOWY = 0;
  std::string ASWW;
  double AILOSC = 0;
  double ASTANMIN = 0;
  double AMAXRABATPROC = 0;
  std::string AKODTOWARU;
  std::int32_t APRODUKCYJNY = 0;
  double AMASA = 0;
  double ADLUGOSC = 0;
  double ASZEROKOSC = 0;
  double AWYSOKOSC = 0;
  std::int32_t AIDFORMULY = 0;
  double AWSPOLCZYNNIK = 0;
  std::int32_t AIDFORMULYGWAR = 0;
  std::int32_t APRODUKT = 0;
  std::int32_t AIDGWARANCJI = 0;
  std::string AGRUPATOWAROWA;
  std::string APODGRUPA;
  std::string AVAT;
  std::string AJM;
  std::string AMODYFIKATOR;  // sent as a blob, whole
  std::int32_t AIDRODZAJ = 0;
};

// The one-off service that document lines without a product are booked on.
extern const TTowar UslugaJednorazowa;

// The starting record of every row: the five product flags from bits 15 to
// 19 of OPCJEIMPORTU, the formula of warranty, the warranty and the kind -1,
// everything else 0 or empty.
TTowar PrzygotujTowar(const TOpcjeGImp& opcje);

// Upper-cases by the Windows code page and trims the texts that Solvo keeps
// in capitals; the description keeps its case and blanks.
void NormalizujTowar(TTowar& towar);

// TW_RODZAJ → AIDRODZAJ; -1 for a kind the table does not know.
std::int32_t RodzajTowaru(std::int32_t twRodzaj);

// The products query: stock summed over `wybraneMagazyny` (over every
// warehouse when empty), ordered by TW_ID for the whole pass, or for the
// one product of the parameter ID.
std::string ZapytanieTowarow(const std::vector<std::int32_t>& wybraneMagazyny, bool jedenTowar);

// Sends one product: every input of SP_IMPORTUJTOWAR by position, texts cut
// to their widths. Stores OIDTOWAR in `idSolvo` and returns OAKCJA. Starts
// and commits nothing; database errors pass through.
int ZapiszTowar(fb::StoredProc& IBSPTW, int idSystemu, const TOpcjeGImp& opcje,
                std::int32_t& idSolvo, const TTowar& towar);
