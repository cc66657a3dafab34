// The bracket around every unit of work on the Solvo database. No nesting is
// counted: a commit or rollback ends the transaction for everyone who uses
// the same transaction object.
#pragma once

#include "platform/firebird/transaction.h"

// Starts the transaction unless it is already active (then it keeps running).
void StartujTransakcje(fb::Transaction& t);
// Commits the transaction if it is active; otherwise does nothing.
void ZatwierdzTransakcje(fb::Transaction& t);
// Rolls the transaction back if it is active; otherwise does nothing.
void WycofajTransakcje(fb::Transaction& t);
