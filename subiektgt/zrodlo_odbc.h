// A Subiekt GT source query as the rows of a whole pass.
#pragma once

#include <string>

#include "importcore/przebieg_importu.h"
#include "platform/odbc/query.h"
#include "platform/text/win1250.h"

class TZrodloOdbc : public TZrodloWierszy {
 public:
  explicit TZrodloOdbc(odbc::Query& zapytanie) : q_(zapytanie) {}
  void UstawTekst(const std::string& sql) override {
    if (text::Trim(sql) != text::Trim(q_.SqlText())) q_.SetSqlText(sql);
  }
  void Otworz() override { q_.Open(); }
  int PobierzWszystkie() override { return q_.FetchAll(); }
  bool Koniec() const override { return q_.Eof(); }
  void Nastepny() override { q_.Next(); }
  void Zamknij() noexcept override { q_.Close(); }

 private:
  odbc::Query& q_;
};
