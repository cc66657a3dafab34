// The whole-base pass every phase runs: start line, source query, row count
// and progress, one shared-transaction call per row with a commit after
// every 2000th row and at the end, then the summary and the rate line. The
// phase supplies what differs: its texts, the work of one row and its
// summary. Import thread only.
#pragma once

#include <functional>
#include <string>

#include "platform/firebird/transaction.h"

class TFppCS;

// Rows of a source query, fetched whole before the loop so that their count
// is known.
class TZrodloWierszy {
 public:
  virtual ~TZrodloWierszy() = default;
  // Sets the statement text unless it equals the current one with blanks
  // trimmed, so that a repeated call keeps the prepared statement.
  virtual void UstawTekst(const std::string& sql) = 0;
  virtual void Otworz() = 0;
  // Fetches every row and returns their count.
  virtual int PobierzWszystkie() = 0;
  virtual bool Koniec() const = 0;
  virtual void Nastepny() = 0;
  virtual void Zamknij() noexcept = 0;
};

struct TPrzebiegCalejBazy {
  std::string liniaStartu;      // logged first, e.g. "Rozpoczynam import towarów..."
  std::string tekstZapytania;   // the source query
  std::string naglowekKolumn;   // the detailed log's header, "AKCJA ..."
  std::string naglowekWyjatku;  // e.g. "TW Wyjątek(1)"
  // One row: fill the record, call the procedure (or assign a phase
  // outcome), count, tag, reject, cache. May raise.
  std::function<void()> wiersz;
  // The current row's key, for the detailed log after an error.
  std::function<std::string()> kluczWiersza;
  // The summary line and the switch of the phase's cache list to sorted
  // order; called only when the pass was not stopped.
  std::function<void()> podsumowanie;
  std::string wciecieTempa = "  ";
  std::string jednostkaTempa;  // e.g. "towarów"
};

// Runs the pass over `zrodlo` in the shared transaction. An error ends it as
// every phase's error does (rollback, report, stop). Returns true when the
// pass reached the end of its data.
bool WykonajPrzebieg(TFppCS& watek, fb::Transaction& transakcja, TZrodloWierszy& zrodlo,
                     const TPrzebiegCalejBazy& przebieg);
