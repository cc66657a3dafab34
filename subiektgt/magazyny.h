// Warehouses: every Subiekt GT warehouse (or those MagazynDef names) becomes
// a Solvo dictionary entry of type 18; the run keeps which warehouses it
// read (WybraneMagazyny) and their Solvo ids (the cache's warehouse list).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/opcje_gimp.h"
#include "platform/firebird/query.h"
#include "platform/firebird/stored_proc.h"

struct TMagazyn {
  std::int32_t MAG_ID = 0;
  std::string MAG_SYMBOL;
  std::string MAG_NAZWA;
};

// The dictionary type of warehouses.
inline constexpr int kTypSlownikaMagazyny = 18;

// The warehouse symbols of MagazynDef: separated by commas or blanks, an
// item in double quotes may hold both ("" inside stands for one quote).
std::vector<std::string> RozbijMagazynDef(const std::string& magazynDef);

// The lines of the warehouse query, restricted to the symbols when there are
// any; every symbol is quoted for SQL.
std::vector<std::string> ZapytanieMagazynow(const std::vector<std::string>& symbole);

// Sends one warehouse: the dictionary entry by name, then its symbol into
// INFOSTRING when that differs. Starts and commits nothing.
void ZapiszMagazyn(fb::StoredProc& IBSPSL, fb::Query& UpdateSlownik, std::int32_t& idSolvo,
                   const TMagazyn& magazyn, const TOpcjeGImp& opcje);
