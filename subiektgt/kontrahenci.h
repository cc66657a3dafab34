// Customers: every Subiekt GT customer with its main address and
// dictionaries goes to SP_IMPORTUJKONTRAHENTA, which matches it against
// Solvo, adds, updates or refuses it. A whole pass reads them all; another
// phase imports one customer on demand (TThSubiektImp::ImportujKontrahentow).
#pragma once

#include <cstdint>
#include <string>

#include "app/opcje_gimp.h"
#include "platform/firebird/stored_proc.h"
#include "platform/time/datetime.h"

// One customer's inputs of SP_IMPORTUJKONTRAHENTA; a field is named by the
// parameter it feeds. Three fields feed no parameter directly: NipZrodla
// (becomes ANIP), KontaktGlowny and UwagiOFirmie (become AUWAGI).
struct TKontrahentRec {
  std::string AIDKONTRAHENTZEW;
  std::string ASKROTNAZWY;  // also ANUMERDOKZEW
  std::string APELNANAZWA;
  std::string AADRESDOM;
  std::string AADRESMIESZKANIE;
  std::string AKODPOCZTOWY;
  std::string AKODPOCZTOWYKOR;
  std::string AKRAJ;
  std::string AWOJEWODZTWO;
  std::string NipZrodla;
  std::string AREGON;
  std::string ATELEFON1;
  std::string ATELEFON2;
  std::string AFAX;
  std::string AEMAIL;
  std::string AWWW;
  std::string KontaktGlowny;
  std::string UwagiOFirmie;
  std::int32_t ATERMINPLATNOSCI = 0;
  std::int32_t AIDFORMYPLATNOSCI = 0;
  std::int32_t AFAKTKLUCZ = 0;
  std::string AEXXLOGIN;
  std::string AMANAGER;
  double ALIMITWARTOSC = 0;
  double ARABATPROC = 0;
  std::int32_t AGRUPACENOWA = 0;
  std::string AKIERUNEK;
  std::string ATELEFONKOMORKOWY;
  std::string ASKYPE;
  std::int32_t AFIRMA = 0;
  std::string AUWAGI;
  std::string ANIP;
  std::string ATYPKONTRAHENTA;
  std::string APODGRUPA;
  std::string AADRES;
  std::string AADRESKOR;
  std::string AMIASTO;
  std::string AMIASTOKOR;
  std::string AADRESDOMKOR;
  std::string AADRESMIESZKANIEKOR;
  std::string AWOJEWODZTWOKOR;
  std::string AKRAJKOR;
  dt::DateTime ADATAWPISU = 0;
  std::string ASTATUS;
  std::string AZRODLOKONTAKTU;
  std::int32_t AIDCENTRALI = 0;
};

// The starting record of every row.
TKontrahentRec PrzygotujKontrahenta();

// Upper-cases, by the Windows code page and without trimming, the texts
// sent in capitals: short and full name, postcode, country, province, main
// contact, group, manager and city.
void NormalizujKontrahenta(TKontrahentRec& kontrahent);

// The notes: "Kontakt główny: " + contact when the contact is not blank,
// then "\r\nUwagi o firmie:\r\n" + remarks when the remarks are not blank,
// the second part on a new line after the first.
std::string UwagiKontrahenta(const std::string& kontaktGlowny, const std::string& uwagiOFirmie);

// KH_CENA → AGRUPACENOWA.
std::int32_t GrupaCenowa(std::int32_t khCena);
// KH_RODZAJ → ATYPKONTRAHENTA.
std::string TypKontrahenta(std::int32_t khRodzaj);

// The customers query: ordered by KH_ID for the whole pass, or for the
// one customer of the parameter ID.
std::string ZapytanieKontrahentow(bool jedenKontrahent);

// Sends one customer: every input of SP_IMPORTUJKONTRAHENTA by position,
// ANIP without apostrophes, texts cut to their widths. Stores
// OIDKONTRAHENTA in `idSolvo` and returns OAKCJA. Starts and commits
// nothing; database errors pass through.
int ZapiszKontrahenta(fb::StoredProc& IBSPKH, int idSystemu, const TOpcjeGImp& opcje,
                      std::int32_t& idSolvo, const TKontrahentRec& kontrahent);
