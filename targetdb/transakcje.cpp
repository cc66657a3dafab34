#include "targetdb/transakcje.h"

void StartujTransakcje(fb::Transaction& t) {
  if (!t.Active()) t.Start();
}

void ZatwierdzTransakcje(fb::Transaction& t) {
  if (t.Active()) t.Commit();
}

void WycofajTransakcje(fb::Transaction& t) {
  if (t.Active()) t.Rollback();
}
