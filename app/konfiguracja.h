// Reading one KONFIMPORT row into the run settings. Main thread.
#pragma once

#include "app/opcje_gimp.h"
#include "platform/firebird/query.h"

// The statement of the configuration query.
inline constexpr const char* kZapytanieKonfImport =
    "select * from KONFIMPORT WHERE IDKONFIMPORT = :aIDKONFIMPORT";

// Reads the row of Opcje.IdKonfImport through IBQ_KONFIMPORT. Without such a
// row nothing in Opcje changes (KonfiguracjaWczytana stays unset); database
// errors go to the caller.
void WczytajKonfiguracje(fb::Query& IBQ_KONFIMPORT, TOpcjeGImp& Opcje);
