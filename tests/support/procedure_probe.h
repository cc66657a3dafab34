// A recorder put in the place of a Solvo import procedure, for the tests
// that check what a phase sends at each parameter position: it writes what
// arrives at each input into a table of its own, which the test then reads.
#pragma once

#include <map>
#include <span>
#include <string>
#include <utility>

#include "tests/support/solvo_test_db.h"

namespace testing_support {

// One input of a procedure, by its name and kind: T text, B text blob,
// S smallint, I integer, F double, D date.
struct TParametr {
  const char* nazwa;
  char rodzaj;
};

// The names of a procedure's parameters as the database declares them,
// outputs first, joined by commas.
std::string ParametryProcedury(SolvoTestDb& solvo, const std::string& procedura);

class SondaProcedury {
 public:
  // A recorder of `parametry` writing into `tabela`, the first input as row
  // `pierwszy` and the others after it.
  SondaProcedury(std::span<const TParametr> parametry, std::string tabela, int pierwszy)
      : parametry_(parametry), tabela_(std::move(tabela)), pierwszy_(pierwszy) {}

  // The statement that makes the table (NR, TEKST, LICZBA).
  std::string Tabela() const;
  // The inputs' declarations, for the procedure's head.
  std::string Wejscia() const;
  // The statements, for the procedure's body, that write each input: a text
  // in TEKST, a number in LICZBA, a date as 1 in LICZBA when given, 0 when
  // NULL.
  std::string Zapisy() const;

  // Expects the recorded rows to be exactly `teksty` and `liczby` by row
  // number, the numbers read as CAST(`liczba` AS INTEGER) (`liczba` being
  // "LICZBA" or an expression over it).
  void Sprawdz(SolvoTestDb& solvo, const std::map<int, std::string>& teksty,
               const std::map<int, int>& liczby, const std::string& liczba) const;

 private:
  std::span<const TParametr> parametry_;
  std::string tabela_;
  int pierwszy_;
};

}  // namespace testing_support
