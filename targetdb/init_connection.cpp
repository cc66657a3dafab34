#include "targetdb/init_connection.h"

#include "app/pliki.h"
#include "platform/firebird/query.h"
#include "platform/firebird/transaction.h"
#include "platform/system/files.h"
#include "platform/system/host.h"
#include "platform/text/win1250.h"

namespace {

// Single quotes around the text, quotes inside doubled.
std::string Q(const std::string& tekst) {
  std::string wynik = "'";
  for (char c : tekst) {
    wynik += c;
    if (c == '\'') wynik += '\'';
  }
  return wynik + "'";
}

std::string NazwaProgramuBezRozszerzenia() {
  std::string nazwa = sys::ExecutablePath();
  nazwa = nazwa.substr(nazwa.find_last_of('/') + 1);
  const std::size_t kropka = nazwa.find_last_of('.');
  return kropka == std::string::npos || kropka == 0 ? nazwa : nazwa.substr(0, kropka);
}

}  // namespace

std::string TekstInitConnection(const std::string& wersja, const std::string& komputer,
                                const std::string& aplikacja) {
  return "SELECT ORESULT, OMESSAGE FROM SP_INITCONNECTION(" + Q(text::FirstChars(wersja, 30)) +
         "," + Q(text::FirstChars(komputer, 80)) + "," + Q(text::FirstChars(aplikacja, 80)) + "," +
         "0)";
}

void InitConnection(fb::Database& baza, const std::string& nazwaAplikacji) {
  fb::Transaction transakcja(&baza, fb::EndAction::Rollback);
  transakcja.params = {"read_committed", "rec_version", "nowait"};
  fb::Query zapytanie(&baza, &transakcja);
  zapytanie.SetParamCheck(false);
  try {
    const std::string aplikacja =
        nazwaAplikacji.empty() ? NazwaProgramuBezRozszerzenia() : nazwaAplikacji;
    zapytanie.SetSqlText(
        TekstInitConnection(WersjaPliku(sys::ExecutablePath()), sys::ComputerName(), aplikacja));
    transakcja.Start();
    zapytanie.Open();
    if (!zapytanie.Eof()) {
      // The server's answer is read but not acted upon.
      (void)zapytanie.FieldByName("ORESULT").AsInteger();
      (void)zapytanie.FieldByName("OMESSAGE").AsString();
    }
    zapytanie.Close();
    transakcja.Commit();
  } catch (const std::exception&) {
    try {
      if (transakcja.Active()) transakcja.Rollback();
    } catch (const std::exception&) {
    }
  }
}
