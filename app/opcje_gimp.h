// The run settings: the KONFIMPORT row of one import configuration with its
// option masks decoded, plus what INI and START add. Filled on the main
// thread at START and copied whole into the import thread, which reads only
// its copy.
#pragma once

#include <cstdint>
#include <string>

#include "platform/time/datetime.h"

struct TOpcjeGImp {
  std::int32_t IdSesji = 0;
  std::int32_t IdBlokady = 0;
  std::int32_t IdKonfImport = 0;
  std::string Serwer;
  std::string Sciezka;
  bool JestSciezka = false;
  std::string Login;
  std::string Haslo;
  std::int32_t WersjaZrodla = 0;
  bool KonfiguracjaWczytana = false;
  bool LogSzczegolowy = false;
  std::string Katalog1;
  std::string Katalog2;
  dt::DateTime CzasStartu = 0;
  dt::DateTime DataOstatniego = 0;
  dt::DateTime DataNastepnego = 0;
  // A length of time in days, held the way a date-time counts days.
  dt::DateTime InterwalAutoImp = 0;
  std::int32_t OpcjeAktualizacji = 0;
  std::int32_t OpcjeImportu = 0;
  bool AnalizaTowarow = false;
  bool AnalizaKontrahentow = false;
  bool ImportKontaktow = false;
  bool ImportSprzedazy = false;
  bool ImportZakupu = false;
  bool ImportMagazynowych = false;
  bool ImportZamowien = false;
  bool FakturyOperatorNazwa = false;
  bool KontrahenciWszystkieDane = false;
  bool KontrahenciDaneTeleadr = false;
  bool KontrahenciLimitKredytu = false;
  bool KontrahenciManager = false;
  bool KontrahenciNipRegon = false;
  bool KontaktyWszystkieDane = false;
  bool KontaktyDaneTeleadr = false;
  bool KontaktyStanowisko = false;
  bool KontaktyNipPesel = false;
  bool TowaryWszystkieDane = false;
  std::string NazwaSkrotKon;
  std::int32_t IdOddzialu = 0;
  std::int32_t IdOperatora = 0;
  std::int32_t OkresAnalizy = 0;
  // 0 or 1, passed to the procedures as integers.
  std::int32_t SzukacNipSkrot = 0;
  std::int32_t SzukacNip = 0;
  std::int32_t SzukacSkrot = 0;
  std::int32_t SzukacNazwa = 0;
  std::int32_t SzukacFaktKlucz = 0;
  std::int32_t NieDodajNowego = 0;
  std::string MagazynDef;
  // The additional options passed to the product procedure; fixed.
  std::int32_t DodatkoweOpcje = 127;
};

// The three option masks decoded into the flags above.
void DekodujOpcje(std::int32_t opcje, std::int32_t opcjeImportu, std::int32_t opcjeAktualizacji,
                  TOpcjeGImp& Opcje);

// The first day of the document window: the current month's first day, then
// OkresAnalizy months earlier.
dt::DateTime PoczatekOkresuAnalizy(const TOpcjeGImp& Opcje, dt::DateTime teraz);
