// The importer's own whole-base passes, run in this process the way the
// import thread runs them, with the host's messages kept in memory.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "subiektgt/dm_import_subiekt.h"
#include "targetdb/dm_zq.h"

namespace bench {

enum class Phase { Products, Customers };

struct PassResult {
  double seconds = 0;
  std::vector<std::string> logLines;  // what the host would show
};

class ImporterRun {
 public:
  // Connects to the Solvo database file `solvoPath` on the local server and
  // to the Subiekt GT data source `dsn`.
  ImporterRun(const std::string& solvoPath, const std::string& dsn);

  // One whole-base pass of a new run (empty cache and counters).
  PassResult Pass(Phase phase);
  // Only the pass's source query, fetched whole as the pass fetches it.
  double SourceReadSeconds(Phase phase);

 private:
  TOpcjeGImp opcje_;
  std::unique_ptr<TDMZQ> dmzq_;
  std::unique_ptr<TDMImportSubiekt> dmImport_;
};

}  // namespace bench
