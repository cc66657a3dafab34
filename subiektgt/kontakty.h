// Contact persons: the persons of Subiekt GT customers (KH_PRACOWNIK), each
// with the main address of its customer, sent to SP_IMPORTKONTAKTY after
// their customer has been imported. The order headers ask for single
// persons through the cache's contact list.
#pragma once

#include <cstdint>
#include <string>

#include "app/opcje_gimp.h"
#include "platform/firebird/stored_proc.h"

// The inputs of SP_IMPORTKONTAKTY that depend on the person. Set up once
// before the first row; each row overwrites the fields it fills, the others
// stay as set up here.
struct TKontakt {
  std::int32_t IdKontaktu = 0;     // PK_ID
  std::int32_t IdKontrahenta = 0;  // PK_IDKH
  std::string Stanowisko;
  std::string Decyzyjnosc;  // never filled
  std::int32_t Plec = -1;
  std::string Nazwa;  // PK_IMIE + " " + PK_NAZWISKO, trimmed
  // The main address of the person's customer.
  std::string Kraj;
  std::string Wojewodztwo;
  std::string Ulica;
  std::string NrDomu;
  std::string NrLokalu;
  std::string Miasto;
  std::string KodPocztowy;
  std::string Telefon1;
  std::string Telefon2;  // never filled
  std::string TelefonKomorkowy;
  std::string Email;
  std::uint8_t Glowny = 0;  // 1 for the customer's main person
  std::string Fax;          // the customer's address
  std::string Kierunek;     // never filled
  std::string Pokoj;        // never filled
  std::string PokojKor;     // never filled
  std::string Pesel;        // never filled
  std::string Www;          // never filled
  std::string Nip;          // never filled
  std::string Skype;        // never filled
  // What the single-customer import answered; -1 before it and when the
  // customer was not accepted.
  std::int32_t IdKontrahentaSolvo = -1;
};

// Position, name, country, province, town, postal code and personal number
// upper-cased by the Windows-1250 rules; nothing trimmed, the other texts
// keep their case.
TKontakt NormalizujKontakt(TKontakt kontakt);

// Sets every input of SP_IMPORTKONTAKTY by its position (OID and OAKCJA come
// first), texts cut to their widths, executes it, stores OID in `idSolvo`
// and returns OAKCJA. Starts, commits and rolls back nothing; database
// errors pass through.
int ZapiszKontakt(fb::StoredProc& IBSPKO, int idSystemu, const TOpcjeGImp& opcje,
                  std::int32_t& idSolvo, const TKontakt& kontakt);
