#include "tests/support/procedure_probe.h"

#include <gtest/gtest.h>

namespace testing_support {

std::string ParametryProcedury(SolvoTestDb& solvo, const std::string& procedura) {
  return solvo.Scalar(
      "SELECT LIST(N, ',') FROM (SELECT TRIM(RDB$PARAMETER_NAME) N FROM "
      "RDB$PROCEDURE_PARAMETERS WHERE RDB$PROCEDURE_NAME = '" +
      procedura + "' ORDER BY RDB$PARAMETER_TYPE DESC, RDB$PARAMETER_NUMBER)");
}

std::string SondaProcedury::Tabela() const {
  return "CREATE TABLE " + tabela_ + " (NR INTEGER, TEKST VARCHAR(500), LICZBA DOUBLE PRECISION)";
}

std::string SondaProcedury::Wejscia() const {
  std::string wejscia;
  for (const TParametr& p : parametry_) {
    const char* typ = p.rodzaj == 'T'   ? "VARCHAR(500)"
                      : p.rodzaj == 'B' ? "BLOB SUB_TYPE TEXT"
                      : p.rodzaj == 'S' ? "SMALLINT"
                      : p.rodzaj == 'F' ? "DOUBLE PRECISION"
                      : p.rodzaj == 'D' ? "DATE"
                                        : "INTEGER";
    wejscia += std::string(wejscia.empty() ? "" : ", ") + p.nazwa + " " + typ;
  }
  return wejscia;
}

std::string SondaProcedury::Zapisy() const {
  std::string zapisy;
  int nr = pierwszy_;
  for (const TParametr& p : parametry_) {
    const std::string wartosc = std::string(":") + p.nazwa;
    zapisy += "INSERT INTO " + tabela_ + " VALUES (" + std::to_string(nr++) + ", " +
              (p.rodzaj == 'T' || p.rodzaj == 'B' ? "CAST(" + wartosc + " AS VARCHAR(500)), NULL"
               : p.rodzaj == 'D'                  ? "NULL, IIF(" + wartosc + " IS NULL, 0, 1)"
                                                  : "NULL, " + wartosc) +
              "); ";
  }
  return zapisy;
}

void SondaProcedury::Sprawdz(SolvoTestDb& solvo, const std::map<int, std::string>& teksty,
                             const std::map<int, int>& liczby, const std::string& liczba) const {
  EXPECT_EQ(teksty.size() + liczby.size(), parametry_.size());
  EXPECT_EQ(solvo.Scalar("SELECT COUNT(*) FROM " + tabela_), std::to_string(parametry_.size()));
  for (const auto& [pozycja, wartosc] : teksty)
    EXPECT_EQ(
        solvo.Scalar("SELECT TEKST FROM " + tabela_ + " WHERE NR = " + std::to_string(pozycja)),
        wartosc)
        << parametry_[pozycja - pierwszy_].nazwa;
  for (const auto& [pozycja, wartosc] : liczby)
    EXPECT_EQ(solvo.Scalar("SELECT CAST(" + liczba + " AS INTEGER) FROM " + tabela_ +
                           " WHERE NR = " + std::to_string(pozycja)),
              std::to_string(wartosc))
        << parametry_[pozycja - pierwszy_].nazwa;
}

}  // namespace testing_support
