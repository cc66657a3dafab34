// The source data module: the Subiekt GT side of an import and the Solvo
// query IBQ with its transaction T, which carry the configuration-row work
// of the control window and the Solvo-side reads of the removals.
#pragma once

#include "platform/firebird/database.h"
#include "platform/firebird/query.h"
#include "platform/firebird/transaction.h"

class TDMImportSubiekt {
 public:
  // Creating the module connects to nothing.
  explicit TDMImportSubiekt(fb::Database& bazaSolvo);

  fb::Transaction T;
  fb::Query IBQ;
};
