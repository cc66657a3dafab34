// The source data module: the Subiekt GT connection with one source query
// per kind of data, and the Solvo query IBQ with its transaction T, which
// carry the configuration-row work of the control window and the
// Solvo-side reads of the removals. Created at start-up; the main thread
// connects it at START, the import thread then uses it.
#pragma once

#include <functional>
#include <string>

#include "app/opcje_gimp.h"
#include "platform/firebird/database.h"
#include "platform/firebird/query.h"
#include "platform/firebird/transaction.h"
#include "platform/odbc/connection.h"
#include "platform/odbc/query.h"

class TDMImportSubiekt {
 public:
  // Creating the module connects to nothing.
  explicit TDMImportSubiekt(fb::Database& bazaSolvo);

  // Connects DB_Subiekt through the configured data source. On failure
  // returns false with the error's message, also written to the control
  // window's log as "SUB " + message. Without a configuration row it fails
  // with an empty text.
  bool PolaczZSubiektem(const TOpcjeGImp& opcje, std::string& tekstBledu,
                        const std::function<void(const std::string&)>& logujOkno);
  // Closes DB_Subiekt; errors are ignored.
  void ZamknijSubiekta() noexcept;

  odbc::Connection DB_Subiekt;
  fb::Transaction T;
  fb::Query IBQ_KONFIMPORT;
  fb::Query IBQ;
  odbc::Query qTW;
  odbc::Query qKH;
  odbc::Query qFH;
  odbc::Query qFD;
  odbc::Query qFW;
  odbc::Query qKO;
  odbc::Query qZH;
  odbc::Query qZD;
  odbc::Query qMG;
  odbc::Query qMH;
  odbc::Query qMD;
};
