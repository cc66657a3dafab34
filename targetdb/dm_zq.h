// The Solvo data module: the importer's one connection to the Solvo database,
// its transactions and the database services the importer calls. Created and
// connected on the main thread; afterwards the connection is shared with the
// import thread, the host's protocol keeping their uses apart.
#pragma once

#include <string>

#include "platform/firebird/database.h"
#include "platform/firebird/query.h"
#include "platform/firebird/stored_proc.h"
#include "platform/firebird/transaction.h"
#include "targetdb/pass_dm.h"

// The three parts of the Solvo database name, from the command line.
struct TNazwaBazy {
  std::string DBHOST;
  std::string DBPATH;
  std::string DBFILE;
};

class TDMZQ {
 public:
  // `pass` is the module that reads the administrator password; the
  // process-wide one unless a test brings its own.
  explicit TDMZQ(TNazwaBazy nazwa, TPassDM& pass = PassDM());

  // Reads the administrator password through the bootstrap account, then
  // connects as the administrator, tests and registers the connection.
  // Raises the connection's error; the module then stays unconnected.
  void DataModuleCreate();
  // "select 1 from operator" in TransactionR; errors go to the caller.
  void TestDB();

  // Takes the run lock on an object in its own transaction. Granted exactly
  // when the returned lock id is above 0; an error counts as a refusal.
  bool ZalozBlokade(int typObiektu, int idObiektu, int idSesji, int& idBlokady);

  const TNazwaBazy& Nazwa() const { return nazwa_; }

  fb::Database BazaDanych;
  fb::Transaction Transaction;
  fb::Transaction TransactionR;
  fb::Transaction T_BLOKADY;
  fb::Query QueryR;
  fb::StoredProc SP_ZALOZBLOKADE;
  // The Solvo hooks before and after a phase, on the shared transaction.
  fb::Query IBSP_BeforeAfter;
  // The import procedures of the master data.
  fb::StoredProc IBSPTW;  // SP_IMPORTUJTOWAR
  fb::StoredProc IBSPKH;  // SP_IMPORTUJKONTRAHENTA
  fb::StoredProc IBSPKO;  // SP_IMPORTKONTAKTY
  // Warehouses: the dictionary entry and its symbol.
  fb::StoredProc IBSPSL;
  fb::Query UpdateSlownik;

 private:
  TNazwaBazy nazwa_;
  TPassDM& pass_;
};
