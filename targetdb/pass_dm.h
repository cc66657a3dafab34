// The short-lived bootstrap connection that reads the server administrator's
// password from the Solvo database itself, through the low-privilege account
// "planer". One process-wide instance; main thread only.
#pragma once

#include <string>

#include "platform/firebird/database.h"
#include "platform/firebird/query.h"
#include "platform/firebird/transaction.h"

class TPassDM {
 public:
  TPassDM();

  // The name the bootstrap connection opens: host + path and file when the
  // host carries its own ':', otherwise host + ":" + path and file.
  static std::string NazwaBazy(const std::string& host, const std::string& sciezkaIPlik);

  // Makes the administrator password available in HasloSysdba(); empty after
  // a failed read. Once read, later calls keep it.
  void PobierzHasloSysdba(const std::string& host, const std::string& sciezkaIPlik);
  const std::string& HasloSysdba() const { return haslo_; }

  fb::Database IBDB;
  fb::Transaction IBT;
  fb::Query IBQ;

 private:
  std::string haslo_;
};

// The process-wide instance, created on first use.
TPassDM& PassDM();
