#include "subiektgt/dm_import_subiekt.h"

TDMImportSubiekt::TDMImportSubiekt(fb::Database& bazaSolvo)
    : T(&bazaSolvo, fb::EndAction::Rollback), IBQ(&bazaSolvo, &T) {
  T.params = {"read_committed", "rec_version", "nowait"};
}
